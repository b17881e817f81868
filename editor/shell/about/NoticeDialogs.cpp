#include "NoticeDialogs.h"

#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "ShellServices.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <string>

namespace kfm::ui {

using namespace kfm5res;

namespace {

// A message with the warning icon beside it.
QLayout* messageRow(QWidget* parent, QLabel* text) {
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(parent);
    const int extent = parent->style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(parent->style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(extent));
    row->addWidget(icon, 0, Qt::AlignTop);
    text->setWordWrap(true);
    row->addWidget(text, 1);
    return row;
}

QDialogButtonBox* buttonRow(ResourceDialog& dialog, QDialogButtonBox::StandardButtons which) {
    auto* buttons = new QDialogButtonBox(which, &dialog);
    const QList<QAbstractButton*> all = buttons->buttons();
    for (QAbstractButton* button : all) {
        const auto role = buttons->buttonRole(button);
        dialog.kit().add(role == QDialogButtonBox::AcceptRole || role == QDialogButtonBox::YesRole
                             ? IDOK
                             : IDCANCEL,
                         button);
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

} // namespace

CDlgMsgEditor::CDlgMsgEditor(QWidget* parent)
    : ResourceDialog(parent, IDD_MSG_EDITOR, GetResourceHandle()) {
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(messageRow(this, new QLabel(kit().text(IDS_MSG_EDITOR_TEXT), this)));
    showNextTime_ = kit().add(IDC_MSG_EDITOR_SHOW_NEXT_TIME,
                              new QCheckBox(kit().text(IDC_MSG_EDITOR_SHOW_NEXT_TIME), this));
    showNextTime_->setChecked(m_bShowNextTime != 0);
    rows->addWidget(showNextTime_);
    rows->addWidget(buttonRow(*this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
}

void CDlgMsgEditor::accept() {
    m_bShowNextTime = showNextTime_->isChecked() ? 1 : 0;
    ResourceDialog::accept();
}

CDlgFrameChanged::CDlgFrameChanged(QWidget* parent, int frameNumber)
    : ResourceDialog(parent, IDD_FRAME_CHANGED, GetResourceHandle()) {
    m_strText = FromCodePage1252(
        FormatText(ResourceText(IDS_FRAME_CHANGED), {std::to_string(frameNumber)}));
    auto* rows = new QVBoxLayout(this);
    auto* text = kit().add(IDC_FRAME_CHANGED_TEXT, new QLabel(m_strText, this));
    rows->addLayout(messageRow(this, text));
    check_ = kit().add(IDC_FRAME_CHANGED_END_EDIT,
                       new QCheckBox(kit().text(IDC_FRAME_CHANGED_END_EDIT), this));
    check_->setChecked(m_bCheck != 0);
    rows->addWidget(check_);
    rows->addWidget(buttonRow(*this, QDialogButtonBox::Yes | QDialogButtonBox::No));
}

void CDlgFrameChanged::done(int result) {
    // Cancel honours the check box too: ending the outside edit is asked either way.
    m_bCheck = check_->isChecked() ? 1 : 0;
    ResourceDialog::done(result);
}

} // namespace kfm::ui
