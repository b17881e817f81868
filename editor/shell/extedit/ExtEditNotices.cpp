#include "ExternalEdits.h"

#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "about/NoticeDialogs.h"

#include <QMessageBox>

namespace kfm::extedit {

namespace {

// The editor notice, the frame-changed notice and an information box.
class DialogNotices : public ExtEditNotices {
public:
    Answer AskBeforeRestart(QWidget* owner, bool showNextTime) override {
        kfm::ui::CDlgMsgEditor dialog(owner);
        const bool ok = dialog.exec() == QDialog::Accepted;
        return {ok, dialog.m_bShowNextTime != 0};
    }
    Answer AskTakeChanges(QWidget* owner, int frameNumber) override {
        kfm::ui::CDlgFrameChanged dialog(owner, frameNumber);
        const bool ok = dialog.exec() == QDialog::Accepted;
        return {ok, dialog.GetCheck() != 0};
    }
    void Inform(QWidget* owner, const QString& message) override {
        QMessageBox::information(
            owner, QString::fromStdString(kfm::ui::ResourceText(kfm5res::AFX_IDS_APP_TITLE)),
            message);
    }
};

} // namespace

std::unique_ptr<ExtEditNotices> MakeDialogNotices() {
    return std::make_unique<DialogNotices>();
}

} // namespace kfm::extedit
