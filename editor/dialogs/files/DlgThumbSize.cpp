#include "DlgThumbSize.h"

#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "ResourceAccess.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kfm::dialogs {

using kfm::ui::CNumEdit;
using kfm::ui::CUpDown;

CDlgThumbSize::CDlgThumbSize(QWidget* parent, int* width, int* height)
    : ResourceDialog(parent, kfm5res::IDD_THUMB_SIZE, kfm::ui::GetResourceHandle()), width_(width),
      height_(height) {
    auto* grid = new QGridLayout;
    const auto field = [&](int row, int id, int spinId, const int* value) {
        auto* caption = new QLabel(kit().text(kfm5res::kFileDlgTextBase + id), this);
        auto* edit = kit().add(id, new CNumEdit(this));
        auto* spin = kit().add(spinId, new CUpDown(this));
        edit->setMaxLength(5);
        edit->SetRange(kMinSide, kMaxSide);
        edit->setMaximumWidth(60);
        spin->SetBuddy(edit);
        spin->SetRange32(kMinSide, kMaxSide);
        spin->SetPos(value ? *value : kMinSide);
        caption->setBuddy(edit);
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(spin, row, 2);
        return spin;
    };
    widthSpin_ = field(0, kWidth, kWidthSpin, width_);
    heightSpin_ = field(1, kHeight, kHeightSpin, height_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    kit().add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgThumbSize::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgThumbSize::reject);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(grid);
    rows->addWidget(buttons);
}

void CDlgThumbSize::accept() {
    if (width_)
        *width_ = widthSpin_->GetPos();
    if (height_)
        *height_ = heightSpin_->GetPos();
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
