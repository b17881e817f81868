#include "PasteSpecialDialog.h"

#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kfm::ui {

PasteSpecialDialog::PasteSpecialDialog(QWidget* parent,
                                       std::vector<kfm::model::PasteSpecialEntry> entries)
    : ResourceDialog(parent, kfm5res::IDD_PASTE_SPECIAL, GetResourceHandle()),
      entries_(std::move(entries)) {
    auto* rows = new QVBoxLayout(this);
    auto* caption = new QLabel(kit().text(kfm5res::IDS_PASTE_AS), this);
    list_ = kit().add(kFormatList, new QListWidget(this));
    caption->setBuddy(list_);
    for (const auto& entry : entries_)
        list_->addItem(kit().text(entry.nameId));
    result_ = kit().add(kResultText, new QLabel(this));
    result_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    kit().add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    rows->addWidget(caption);
    rows->addWidget(list_);
    rows->addWidget(result_);
    rows->addWidget(buttons);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int) { showResult(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, &PasteSpecialDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &PasteSpecialDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PasteSpecialDialog::reject);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!entries_.empty());
    if (!entries_.empty())
        list_->setCurrentRow(0);
    showResult();
}

UINT PasteSpecialDialog::ChosenFormat() const {
    const int row = list_->currentRow();
    return row >= 0 && row < static_cast<int>(entries_.size()) ? entries_[row].format : 0;
}

void PasteSpecialDialog::showResult() {
    const int row = list_->currentRow();
    result_->setText(row >= 0 && row < static_cast<int>(entries_.size())
                         ? kit().text(entries_[row].resultId)
                         : QString());
}

} // namespace kfm::ui
