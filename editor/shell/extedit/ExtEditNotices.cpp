#include "ExternalEdits.h"

#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QCheckBox>
#include <QMessageBox>

namespace kfm::extedit {

namespace {

QString text(UINT id) {
    return QString::fromStdString(kfm::ui::ResourceText(id));
}

class DialogNotices : public ExtEditNotices {
public:
    Answer AskBeforeRestart(QWidget* owner, bool showNextTime) override {
        QMessageBox box(QMessageBox::Information, text(kfm5res::IDD_MSG_EDITOR),
                        text(kfm5res::IDS_MSG_EDITOR_TEXT), QMessageBox::Ok | QMessageBox::Cancel,
                        owner);
        auto* again = new QCheckBox(text(kfm5res::IDC_MSG_EDITOR_SHOW_NEXT_TIME), &box);
        again->setChecked(showNextTime);
        box.setCheckBox(again);
        const bool ok = box.exec() == QMessageBox::Ok;
        return {ok, again->isChecked()};
    }
    Answer AskTakeChanges(QWidget* owner, int frameNumber) override {
        QString question = text(kfm5res::IDS_FRAME_CHANGED);
        question.replace(QStringLiteral("%d"), QString::number(frameNumber));
        QMessageBox box(QMessageBox::Question, text(kfm5res::IDD_FRAME_CHANGED), question,
                        QMessageBox::Ok | QMessageBox::Cancel, owner);
        auto* end = new QCheckBox(text(kfm5res::IDC_FRAME_CHANGED_END_EDIT), &box);
        box.setCheckBox(end);
        const bool ok = box.exec() == QMessageBox::Ok;
        return {ok, end->isChecked()};
    }
    void Inform(QWidget* owner, const QString& message) override {
        QMessageBox::information(owner, text(kfm5res::AFX_IDS_APP_TITLE), message);
    }
};

} // namespace

std::unique_ptr<ExtEditNotices> MakeDialogNotices() {
    return std::make_unique<DialogNotices>();
}

} // namespace kfm::extedit
