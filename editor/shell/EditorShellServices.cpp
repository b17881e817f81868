#include "EditorShellServices.h"

#include "EscapeMonitor.h"
#include "FileDialog.h"
#include "FlimmerApp.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "ResourceAccess.h"
#include "sheet/GIFSheet.h"
#include "shell/Process.h"
#include "views/AnimationView.h"
#include "views/MainPanes.h"

#include <QApplication>
#include <QMessageBox>

namespace kfm::ui {

namespace {

constexpr UINT kButtonMask = 0x0F;
constexpr UINT kIconMask = 0xF0;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

QMessageBox::StandardButtons buttonsOf(UINT flags) {
    switch (flags & kButtonMask) {
    case 1:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case 2:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4:
        return QMessageBox::Yes | QMessageBox::No;
    case 5:
        return QMessageBox::Retry | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconOf(UINT flags) {
    switch (flags & kIconMask) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x20:
        return QMessageBox::Question;
    case 0x30:
        return QMessageBox::Warning;
    case 0x40:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// The default button of the flags: the first, or the second with MB_DEFBUTTON2_. The standard
// buttons' values ascend in the order the boxes show them (Yes before No, Ok before Cancel).
QMessageBox::StandardButton defaultButtonOf(UINT flags) {
    const int wanted = (flags & MB_DEFBUTTON2_) ? 1 : 0;
    int seen = 0;
    const auto buttons = static_cast<unsigned>(buttonsOf(flags).toInt());
    for (unsigned bit = 1; bit != 0; bit <<= 1)
        if ((buttons & bit) && seen++ == wanted)
            return static_cast<QMessageBox::StandardButton>(bit);
    return QMessageBox::NoButton;
}

} // namespace

int MessageBoxResult(int button) {
    switch (button) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Abort:
        return IDABORT;
    case QMessageBox::Retry:
        return IDRETRY;
    case QMessageBox::Ignore:
        return IDIGNORE;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

CMainFrame* EditorShellServices::frame() const {
    return app_.MainFrame();
}

std::string EditorShellServices::loadString(UINT id) {
    return ResourceText(id);
}

EditorShellServices::EditorShellServices(CFlimmerApp& app) : app_(app) {
    kfm::shell::setMessageBoxHandler(
        [this](HWND, const std::string& text, const std::string& caption, UINT flags) {
            // The platform's texts are in the system's code page, UTF-8.
            return showBox(QString::fromStdString(text), QString::fromStdString(caption), flags);
        });
}

EditorShellServices::~EditorShellServices() {
    kfm::shell::setMessageBoxHandler(nullptr);
}

int EditorShellServices::showBox(const QString& text, const QString& caption, UINT flags) {
    QMessageBox box(iconOf(flags), caption, text, buttonsOf(flags), frame());
    box.setDefaultButton(defaultButtonOf(flags));
    return MessageBoxResult(box.exec());
}

int EditorShellServices::messageBox(const std::string& text, UINT flags) {
    return showBox(FromCodePage1252(text), ResourceString(kfm5res::AFX_IDS_APP_TITLE), flags);
}

bool EditorShellServices::hasMainWindow() {
    return frame() != nullptr;
}

LRESULT EditorShellServices::sendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    return frame() ? SendMessageTo(frame(), message, wParam, lParam) : 0;
}

bool EditorShellServices::escapePressed() {
    return TheEscapeMonitor().Poll();
}

void EditorShellServices::setWaitCursor(bool wait) {
    if (wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool EditorShellServices::hasActiveDocument() {
    return app_.Document() != nullptr;
}

void EditorShellServices::setDocumentModified(bool modified) {
    if (app_.Document())
        app_.Document()->SetModifiedFlag(modified ? TRUE : FALSE);
}

void EditorShellServices::refreshStripView() {
    if (CMainFrame* f = frame())
        if (CAnimationView* strip = f->Panes().Strip())
            strip->RefreshItems();
}

void EditorShellServices::redrawViews(int canvas, int strip) {
    if (CMainFrame* f = frame())
        f->Panes().RedrawViews(canvas != 0, strip != 0);
}

void EditorShellServices::updateAnimationPage() {
    if (CMainFrame* f = frame())
        if (CGIFSheet* sheet = f->Panes().Sheet())
            sheet->UpdateAnimationPage();
}

void EditorShellServices::updateOptimizeState() {
    if (CMainFrame* f = frame())
        if (CGIFSheet* sheet = f->Panes().Sheet())
            sheet->UpdateOptimizeState();
}

void EditorShellServices::updateAllViews() {
    if (CMainFrame* f = frame())
        f->Router().RequestIdleUpdate();
}

void EditorShellServices::refreshViews(BOOL invalidate, BOOL) {
    CMainFrame* f = frame();
    if (!f)
        return;
    if (invalidate)
        f->update();
    f->Router().RequestIdleUpdate();
}

int EditorShellServices::doFileDialog(FileDialogRequest& request) {
    return DoFileDialog(frame(), request);
}

} // namespace kfm::ui
