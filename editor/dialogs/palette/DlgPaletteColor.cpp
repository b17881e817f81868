#include "DlgPaletteColor.h"

#include "ControlDrawing.h"
#include "Kfm5ResourceIds.h"
#include "PaletteGridWnd.h"
#include "ResourceAccess.h"
#include "SmallControls.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kfm::dialogs {

using kfm::ui::CColorButton;
using kfm::ui::CColorSwatch;

namespace {

constexpr int kGridSide = 190;

} // namespace

CDlgPaletteColor::CDlgPaletteColor(QWidget* parent, KpxHandle image, int index)
    : ResourceDialog(parent, kfm5res::IDD_PALETTE_COLOUR, kfm::ui::GetResourceHandle()),
      image_(image), chosen_(index), initialIndex_(index),
      initialColour_(KPXGetColorFromPalette(image, index)) {
    auto* columns = new QHBoxLayout;
    grid_ = kit().add(kGrid, new CPaletteGridWnd(this));
    grid_->setFixedSize(kGridSide, kGridSide); // square
    columns->addWidget(grid_, 0, Qt::AlignTop);

    auto* fields = new QVBoxLayout;
    button_ = kit().add(kColourButton, new CColorButton(this));
    fields->addWidget(button_);
    chosenFields_ = std::make_unique<EntryFields>(kit(), fields, kChosenIndex, kChosenRed,
                                                  kChosenGreen, kChosenBlue);
    fields->addSpacing(8);
    swatch_ = kit().add(kSwatch, new CColorSwatch(this));
    swatch_->setMinimumSize(40, 22);
    swatch_->SetFrame(true);
    fields->addWidget(swatch_);
    hoverFields_ = std::make_unique<EntryFields>(kit(), fields, kHoverIndex, kHoverRed, kHoverGreen,
                                                 kHoverBlue);
    fields->addSpacing(8);
    auto* used = kit().add(kUsedCount, new QLabel(this));
    auto* table = kit().add(kTableCount, new QLabel(this));
    fields->addWidget(used);
    fields->addWidget(table);
    fields->addStretch();
    columns->addLayout(fields);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    kit().add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(columns);
    rows->addWidget(buttons);

    const int usedCount = grid_->SetImage(image_);
    grid_->SetSelection(chosen_);
    showChosen();
    button_->EnableToolTip(true);
    showHover(-1, false, 0);
    used->setText(NumberText(kfm5res::IDS_USED_COLOUR_COUNT, usedCount));
    table->setText(NumberText(kfm5res::IDS_COLOUR_TABLE_COUNT, ColourTableSize(image_)));

    connect(grid_, &CPaletteGridWnd::selected, this, &CDlgPaletteColor::choose);
    connect(grid_, &CPaletteGridWnd::hovered, this, &CDlgPaletteColor::showHover);
    connect(grid_, &CPaletteGridWnd::activated, this, &CDlgPaletteColor::editColour);
    connect(button_, &CColorButton::clicked, this, &CDlgPaletteColor::editColour);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgPaletteColor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgPaletteColor::reject);
    grid_->setFocus();
}

CDlgPaletteColor::~CDlgPaletteColor() = default;

void CDlgPaletteColor::showChosen() {
    ShowChosenEntry(*chosenFields_, *button_, image_, chosen_);
}

void CDlgPaletteColor::choose(int index) {
    // The arrows may walk into the empty rows of a short table: those are no entries to choose.
    if (!IsTableEntry(image_, index)) {
        grid_->SetSelection(chosen_);
        return;
    }
    chosen_ = index;
    showChosen();
}

void CDlgPaletteColor::showHover(int index, bool overCell, unsigned colour) {
    ShowHoveredEntry(*hoverFields_, *swatch_, index, overCell, colour);
}

void CDlgPaletteColor::editColour() {
    if (ChangeEntryColour(chooser_, *grid_, chosen_, button_->GetColor(), this))
        showChosen();
}

void CDlgPaletteColor::reject() {
    chosen_ = initialIndex_;
    if (KPXSetColorToPalette(image_, initialIndex_, initialColour_) != 0)
        KPXFillDIBColorTable(image_);
    ResourceDialog::reject();
}

} // namespace kfm::dialogs
