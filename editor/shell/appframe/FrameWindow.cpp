#include "FrameWindow.h"

#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "framework/Document.h"

#include <QCloseEvent>
#include <QMessageBox>

namespace kfm::ui {

CFrameWnd::CFrameWnd(QWidget* parent) : QMainWindow(parent), router_(this) {}

CFrameWnd::~CFrameWnd() = default;

void CFrameWnd::SetActiveDocument(CDocument* document) {
    document_ = document;
    OnUpdateFrameTitle();
}

void CFrameWnd::OnUpdateFrameTitle() {
    QString title = ResourceString(kfm5res::AFX_IDS_APP_TITLE);
    if (document_ && !document_->GetTitle().empty())
        title += QStringLiteral(" - ") + QString::fromStdString(document_->GetTitle());
    setWindowTitle(title);
}

bool CFrameWnd::SaveModified() {
    if (!document_ || !document_->IsModified())
        return true;
    const std::string& path = document_->GetPathName();
    const QString name = QString::fromStdString(path.empty() ? document_->GetTitle() : path);
    const QString question = ResourceString(kfm5res::AFX_IDP_ASK_TO_SAVE).replace("%1", name);
    const auto answer = QMessageBox::warning(
        this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::No)
        return true;
    if (!document_->OnFileSave())
        return false;
    OnDocumentSaved();
    return true;
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        return router_.Execute(static_cast<UINT>(wParam & 0xFFFF)) ? 0 : 1;
    return OnMessage(message, wParam, lParam);
}

LRESULT CFrameWnd::OnMessage(UINT, WPARAM, LPARAM) {
    return 0;
}

bool CFrameWnd::OnClose() {
    return SaveModified();
}

bool CFrameWnd::event(QEvent* event) {
    if (DispatchPostedMessage(event, *this))
        return true;
    return QMainWindow::event(event);
}

void CFrameWnd::closeEvent(QCloseEvent* event) {
    if (OnClose())
        event->accept();
    else
        event->ignore();
}

} // namespace kfm::ui
