#include "PageOption.h"

#include "AnimationView.h"
#include "AppSettings.h"
#include "GIFSheet.h"
#include "ImageView.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "ProgramState.h"
#include "ResourceAccess.h"
#include "SmallControls.h"
#include "UndoHistory.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kfm::ui {

using namespace kfm5res;
namespace rules = kfm::shell;

namespace {

constexpr UINT kGridSizeTexts[] = {IDS_GRID_NONE, IDS_GRID_SIZE_SMALL, IDS_GRID_SIZE_MEDIUM,
                                   IDS_GRID_SIZE_LARGE};
// The colour pairs of the checkerboard in the order of their index.
constexpr UINT kGridColourTexts[] = {IDS_GRID_COLOUR_FIRST + 3, IDS_GRID_COLOUR_FIRST + 4,
                                     IDS_GRID_COLOUR_FIRST + 1, IDS_GRID_COLOUR_FIRST + 7,
                                     IDS_GRID_COLOUR_FIRST + 5, IDS_GRID_COLOUR_FIRST + 2,
                                     IDS_GRID_COLOUR_FIRST,     IDS_GRID_COLOUR_FIRST + 6};

constexpr COLORREF kDefaultCanvasColour = 0xC0FFFF;
constexpr COLORREF kDefaultBackground = 0xFFFFFF;
constexpr int kDefaultUndoSteps = 10;

COLORREF colourDialog(COLORREF start, QWidget* parent) {
    const QColor initial(GetRValue(start), GetGValue(start), GetBValue(start));
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid())
        return start;
    return rules::RgbColour(chosen.red(), chosen.green(), chosen.blue());
}

} // namespace

CPageOption::CPageOption(CGIFSheet& sheet, QWidget* parent)
    : ResourcePage(parent, IDD_PAGE_OPTIONS, GetResourceHandle()), sheet_(sheet),
      chooseColour_(colourDialog) {
    build();
    Refresh();
}

void CPageOption::build() {
    DialogKit& k = kit();
    auto* outer = new QVBoxLayout(this);
    area_ = k.add(kPageArea, new QWidget);
    outer->addWidget(area_, 1);
    auto* page = new QVBoxLayout(area_);
    page->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    page->addLayout(form);

    background_ = k.add(kAnimBackground, new CColorButton);
    canvasColour_ = k.add(kCanvasColour, new CColorButton);
    for (CColorButton* button : {background_, canvasColour_})
        button->EnableToolTip(true);
    form->addRow(AddLabel(k, 0, IDS_PAGE_ANIM_BACKGROUND), background_);
    form->addRow(AddLabel(k, 0, IDS_PAGE_CANVAS_COLOUR), canvasColour_);
    gridSize_ = k.add(kGridSize, new QComboBox);
    for (const UINT id : kGridSizeTexts)
        gridSize_->addItem(k.text(id));
    gridSize_->setToolTip(k.text(IDS_TIP_GRID_SIZE));
    form->addRow(AddLabel(k, 0, IDS_PAGE_GRID_SIZE), gridSize_);
    gridColour_ = k.add(kGridColour, new QComboBox);
    for (const UINT id : kGridColourTexts)
        gridColour_->addItem(k.text(id));
    gridColour_->setToolTip(k.text(IDS_TIP_GRID_COLOUR));
    form->addRow(AddLabel(k, kGridColourLabel, IDS_PAGE_GRID_COLOUR), gridColour_);

    position_ = k.add(kThumbPosition, new QCheckBox(k.text(IDS_PAGE_THUMB_POSITION)));
    outline_ = k.add(kThumbFrame, new QCheckBox(k.text(IDS_PAGE_THUMB_FRAME)));
    transparency_ = k.add(kThumbTransparency, new QCheckBox(k.text(IDS_PAGE_THUMB_TRANSPARENCY)));
    for (QCheckBox* check : {position_, outline_, transparency_})
        page->addWidget(check);
    defaults_ = k.add(kDefaults, new QPushButton(k.text(IDS_PAGE_DEFAULTS)));
    page->addWidget(defaults_, 0, Qt::AlignLeft);
    page->addStretch(1);

    auto& s = rules::g_AppSettings;
    connect(position_, &QCheckBox::clicked, this,
            [this, &s] { onThumbnailCheck(position_, &s.OptionsThumbDispWithPos); });
    connect(transparency_, &QCheckBox::clicked, this,
            [this, &s] { onThumbnailCheck(transparency_, &s.OptionsThumbDispTransp); });
    connect(outline_, &QCheckBox::clicked, this, [this] { onFrameOutlineCheck(); });
    connect(gridSize_, &QComboBox::activated, this, [this](int i) { onGridSizeChosen(i); });
    connect(gridColour_, &QComboBox::activated, this, [this](int i) { onGridColourChosen(i); });
    connect(defaults_, &QPushButton::clicked, this, [this] { onDefaults(); });
    connect(background_, &CColorButton::clicked, this, [this] { onBackgroundColour(); });
    connect(canvasColour_, &CColorButton::clicked, this, [this] { onCanvasColour(); });
}

QSize CPageOption::AreaSize() const {
    return area_->sizeHint();
}

void CPageOption::Refresh() {
    const auto& s = rules::g_AppSettings;
    background_->SetColor(g_Settings.animBkColor);
    canvasColour_->SetColor(static_cast<COLORREF>(s.ColorImageView));
    gridSize_->setCurrentIndex(std::clamp(g_Settings.transparentGridSize, 0, 3));
    gridColour_->setCurrentIndex(std::clamp(g_Settings.transparentGridColor, 0, 7));
    position_->setChecked(s.OptionsThumbDispWithPos != 0);
    outline_->setChecked(s.OptionsThumbDispFrame != 0);
    transparency_->setChecked(s.OptionsThumbDispTransp != 0);
    UpdateGridEnabling();
}

void CPageOption::UpdateGridEnabling() {
    const bool on = !previewing_;
    for (QWidget* w :
         std::initializer_list<QWidget*>{gridSize_, position_, outline_, transparency_, defaults_})
        w->setEnabled(on);
    const bool grid = on && gridSize_->currentIndex() > 0;
    gridColour_->setEnabled(grid);
    if (QWidget* label = kit().control(kGridColourLabel))
        label->setEnabled(grid);
}

void CPageOption::EnableControls(bool enable) {
    previewing_ = !enable;
    UpdateGridEnabling();
}

void CPageOption::repaintCanvas() {
    if (CImageView* canvas = sheet_.Panes().Canvas()) {
        canvas->RecalcCanvas();
        canvas->RefreshCanvas();
    }
}

void CPageOption::refreshDocumentViews() {
    repaintCanvas();
    if (CAnimationView* strip = sheet_.Panes().Strip())
        strip->RefreshItems();
}

void CPageOption::onThumbnailCheck(QCheckBox* check, int* setting) {
    *setting = check->isChecked() ? 1 : 0;
    if (CAnimationView* strip = sheet_.Panes().Strip())
        strip->RefreshItems();
}

void CPageOption::onFrameOutlineCheck() {
    rules::g_AppSettings.OptionsThumbDispFrame = outline_->isChecked() ? 1 : 0;
    repaintCanvas();
}

void CPageOption::onGridSizeChosen(int item) {
    g_Settings.transparentGridSize = item;
    UpdateGridEnabling();
    repaintCanvas();
}

void CPageOption::onGridColourChosen(int item) {
    g_Settings.transparentGridColor = item;
    repaintCanvas();
}

void CPageOption::onCanvasColour() {
    auto& s = rules::g_AppSettings;
    s.ColorImageView =
        static_cast<int>(chooseColour_(static_cast<COLORREF>(s.ColorImageView), this));
    canvasColour_->SetColor(static_cast<COLORREF>(s.ColorImageView));
    repaintCanvas();
}

void CPageOption::onBackgroundColour() {
    g_Settings.animBkColor = chooseColour_(g_Settings.animBkColor, this);
    background_->SetColor(g_Settings.animBkColor);
    refreshDocumentViews();
}

void CPageOption::onDefaults() {
    auto& s = rules::g_AppSettings;
    s.OptionsThumbDispWithPos = 1;
    s.OptionsThumbDispFrame = 1;
    g_Settings.transparentGridSize = 2;
    g_Settings.transparentGridColor = 0;
    s.ColorImageView = static_cast<int>(kDefaultCanvasColour);
    g_Settings.animBkColor = kDefaultBackground;
    g_Settings.undoSteps = kDefaultUndoSteps;
    TheUndoHistory().SetSize(kDefaultUndoSteps);
    Refresh();
    refreshDocumentViews();
}

} // namespace kfm::ui
