#include "DlgPaletteImage.h"

#include "ControlDrawing.h"
#include "DisplayHelpers.h"
#include "FrameObject.h"
#include "Kfm5ResourceIds.h"
#include "PaletteGridWnd.h"
#include "PaletteImageWnd.h"
#include "ResourceAccess.h"
#include "SmallControls.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kfm::dialogs {

using kfm::ui::CColorButton;
using kfm::ui::CColorSwatch;

namespace {

constexpr int kFrameSide = 260;
constexpr int kGridSide = 190;
constexpr std::uint32_t kTransparentFlag = 0x01000000;
constexpr int kToolZoom = CPaletteImageWnd::kToolZoom;
constexpr int kToolPick = CPaletteImageWnd::kToolPick;
constexpr int kToolMakeTransparent = CPaletteImageWnd::kToolMakeTransparent;
constexpr int kToolRestore = CPaletteImageWnd::kToolRestore;
const char kSection[] = "Dlgs\\PaletteImage";

// The place of the image window: a square with two sunken 3-D frames; the window lies 2 pixels
// inside it.
class ImageFrame : public QWidget {
public:
    explicit ImageFrame(QWidget* parent) : QWidget(parent) { setFixedSize(kFrameSide, kFrameSide); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette& p = palette();
        const int side = height();
        kfm::ui::Draw3dRect(painter, QRect(0, 0, side, side), kfm::ui::DarkShadowColour(p),
                            kfm::ui::HighlightColour(p));
        kfm::ui::Draw3dRect(painter, QRect(1, 1, side - 2, side - 2), kfm::ui::ShadowColour(p),
                            kfm::ui::LightColour(p));
    }
};

QToolButton* toolButton(kfm::ui::DialogKit& kit, int id, UINT icon, UINT tip) {
    auto* button = kit.add(id, new QToolButton(kit.owner()));
    button->setCheckable(true);
    button->setIcon(QIcon(kfm::ui::ResourcePixmap(icon)));
    button->setToolTip(kit.text(tip));
    return button;
}

} // namespace

CDlgPaletteImage::CDlgPaletteImage(QWidget* parent, CObjFrame* frame, int mode)
    : ResourceDialog(parent, kfm5res::IDD_PALETTE_IMAGE, kfm::ui::GetResourceHandle(), kSection),
      frame_(frame), mode_(mode), work_(KPXCreateImageFrom(frame->GetImage(), 0)) {
    buildControls();
    imageWnd_->SetZoom(100);
    imageWnd_->SetTool(kToolPick);
    startOver();
    eyedropper_->setChecked(true);
    button_->EnableToolTip(true);
    applyMode();
    connectControls();
    qApp->installEventFilter(this);
}

CDlgPaletteImage::~CDlgPaletteImage() {
    KPXDeleteImage(work_);
}

void CDlgPaletteImage::buildControls() {
    auto& k = kit();
    auto* frameControl = k.add(kImageFrame, new ImageFrame(this));
    imageWnd_ = k.add(kImageWindow, new CPaletteImageWnd(frameControl));
    imageWnd_->setGeometry(2, 2, kFrameSide - 4, kFrameSide - 4);
    grid_ = k.add(kGrid, new CPaletteGridWnd(this));
    grid_->setFixedSize(kGridSide, kGridSide);

    zoom_ = toolButton(k, kZoom, kfm5res::kIconZoom, kfm5res::IDS_TIP_ZOOM);
    zoomOut_ = toolButton(k, kZoomOut, kfm5res::kIconZoomOut, kfm5res::IDS_TIP_ZOOM_OUT);
    eyedropper_ = toolButton(k, kEyedropper, kfm5res::kIconEyedropper, kfm5res::IDS_TIP_EYEDROPPER);
    makeTransparent_ = toolButton(k, kMakeTransparent, kfm5res::kIconMakeTransparent,
                                  kfm5res::IDS_TIP_MAKE_TRANSPARENT);
    restore_ =
        toolButton(k, kRestore, kfm5res::kIconRestoreColour, kfm5res::IDS_TIP_RESTORE_COLOUR);
    // Zoom out acts at once; the zoom tool and the eyedropper are one choice, so one of them
    // shows checked.
    zoomOut_->setCheckable(false);
    auto* toolChoice = new QButtonGroup(this);
    toolChoice->addButton(zoom_);
    toolChoice->addButton(eyedropper_);
    auto* reset = k.add(kReset, new QPushButton(k.text(kfm5res::IDS_PALETTE_RESET), this));
    auto* tools = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{zoom_, zoomOut_, eyedropper_, makeTransparent_, restore_})
        tools->addWidget(w);
    tools->addStretch();
    tools->addWidget(reset);

    auto* fields = new QVBoxLayout;
    button_ = k.add(kColourButton, new CColorButton(this));
    fields->addWidget(button_);
    chosenFields_ = std::make_unique<EntryFields>(k, fields, kChosenIndex, kChosenRed, kChosenGreen,
                                                  kChosenBlue);
    fields->addSpacing(8);
    swatch_ = k.add(kSwatch, new CColorSwatch(this));
    swatch_->setMinimumSize(40, 22);
    swatch_->SetFrame(true);
    fields->addWidget(swatch_);
    hoverFields_ =
        std::make_unique<EntryFields>(k, fields, kHoverIndex, kHoverRed, kHoverGreen, kHoverBlue);
    fields->addSpacing(8);
    usedCount_ = k.add(kUsedCount, new QLabel(this));
    tableCount_ = k.add(kTableCount, new QLabel(this));
    fields->addWidget(usedCount_);
    fields->addWidget(tableCount_);
    fields->addStretch();

    auto* paletteColumn = new QVBoxLayout;
    paletteColumn->addWidget(grid_);
    paletteColumn->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addWidget(frameControl, 0, Qt::AlignTop);
    columns->addLayout(paletteColumn);
    columns->addLayout(fields);

    applyLabel_ = k.add(kApplyLabel, new QLabel(k.text(kfm5res::IDS_PALETTE_APPLY_LABEL), this));
    apply_ =
        k.add(kApplySelection, new QCheckBox(k.text(kfm5res::IDS_PALETTE_APPLY_SELECTION), this));
    methodIndex_ =
        k.add(kMethodIndex, new QRadioButton(k.text(kfm5res::IDS_PALETTE_METHOD_INDEX), this));
    methodColour_ =
        k.add(kMethodColour, new QRadioButton(k.text(kfm5res::IDS_PALETTE_METHOD_COLOUR), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    k.add(IDOK, buttons->button(QDialogButtonBox::Ok));
    k.add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgPaletteImage::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgPaletteImage::reject);

    auto* rows = new QVBoxLayout(this);
    rows->addLayout(columns);
    rows->addLayout(tools);
    rows->addWidget(apply_);
    rows->addWidget(applyLabel_);
    rows->addWidget(methodIndex_);
    rows->addWidget(methodColour_);
    rows->addWidget(buttons);
}

void CDlgPaletteImage::connectControls() {
    connect(grid_, &CPaletteGridWnd::selected, this, &CDlgPaletteImage::choose);
    connect(grid_, &CPaletteGridWnd::hovered, this, &CDlgPaletteImage::showHover);
    connect(grid_, &CPaletteGridWnd::activated, this, &CDlgPaletteImage::editColour);
    connect(imageWnd_, &CPaletteImageWnd::hovered, this, &CDlgPaletteImage::showHover);
    connect(imageWnd_, &CPaletteImageWnd::picked, this, &CDlgPaletteImage::pick);
    connect(imageWnd_, &CPaletteImageWnd::usageChanged, this,
            [this](int index, bool used) { grid_->SetUsage(index, used ? 1 : 0); });
    connect(button_, &CColorButton::clicked, this, &CDlgPaletteImage::editColour);
    connect(eyedropper_, &QToolButton::clicked, this, &CDlgPaletteImage::onEyedropper);
    connect(makeTransparent_, &QToolButton::clicked, this,
            [this] { onToggle(makeTransparent_, restore_, kToolMakeTransparent); });
    connect(restore_, &QToolButton::clicked, this,
            [this] { onToggle(restore_, makeTransparent_, kToolRestore); });
    connect(zoom_, &QToolButton::clicked, this, [this] {
        imageWnd_->SetTool(kToolZoom);
        showTool();
    });
    connect(zoomOut_, &QToolButton::clicked, this, [this] { imageWnd_->ZoomOut(); });
    connect(apply_, &QCheckBox::clicked, this, [this] {
        readControls();
        enableMethods();
    });
    connect(kit().controlAs<QPushButton>(kReset), &QPushButton::clicked, this, [this] {
        KPXDeleteImage(work_);
        work_ = KPXCreateImageFrom(frame_->GetImage(), 0);
        KPXFillDIBColorTable(work_);
        startOver();
    });
}

bool CDlgPaletteImage::frameTransparent() const {
    return (frame_->transparency & kTransparentFlag) != 0;
}

// The work image, the chosen entry and both windows as the frame has them.
void CDlgPaletteImage::startOver() {
    chosen_ = static_cast<int>(frame_->transparency & 0xFF);
    imageWnd_->SetImage(work_, true);
    imageWnd_->SetReferenceImage(frame_->GetImage());
    const TransparencyGrid chessboard = GetTransparencyGrid();
    imageWnd_->SetChessboard(chessboard.cell, chessboard.color1, chessboard.color2);
    if (frameTransparent())
        imageWnd_->SetTransparentIndex(chosen_, false);
    grid_->SetImage(work_);
    grid_->SetSelection(chosen_);
    grid_->update();
    showChosen();
    showCounts();
    showHover(-1, false, 0);
}

void CDlgPaletteImage::showCounts() {
    usedCount_->setText(NumberText(kfm5res::IDS_USED_COLOUR_COUNT, grid_->UsedColourCount()));
    tableCount_->setText(NumberText(kfm5res::IDS_COLOUR_TABLE_COUNT, ColourTableSize(work_)));
}

void CDlgPaletteImage::showChosen() {
    ShowChosenEntry(*chosenFields_, *button_, work_, chosen_);
}

void CDlgPaletteImage::applyMode() {
    if (mode_ == kModeTransparentColour) {
        setWindowTitle(kit().text(kfm5res::IDS_CAPTION_TRANSPARENT_COLOUR));
        imageWnd_->SetShowTransparency(true);
        button_->SetDrawStyle(1);
        button_->SetHandCursor(false);
        for (QWidget* w :
             std::initializer_list<QWidget*>{applyLabel_, apply_, methodIndex_, methodColour_})
            w->hide();
    } else {
        setWindowTitle(kit().text(kfm5res::IDS_CAPTION_PALETTE_COLOURS));
        imageWnd_->SetShowTransparency(false);
        button_->SetDrawStyle(0);
        button_->SetHandCursor(true);
        makeTransparent_->hide();
        restore_->hide();
        applySelection_ = kit().readInt("ApplySelectionEP", 0) != 0;
        method_ = kit().readInt("ApplyMethodEP", 1);
    }
    apply_->setChecked(applySelection_);
    methodIndex_->setChecked(method_ == 1);
    methodColour_->setChecked(method_ == 2);
    enableMethods();
}

void CDlgPaletteImage::readControls() {
    applySelection_ = apply_->isChecked();
    method_ = methodIndex_->isChecked() ? 1 : 2;
}

void CDlgPaletteImage::enableMethods() {
    methodIndex_->setEnabled(apply_->isChecked());
    methodColour_->setEnabled(apply_->isChecked());
}

void CDlgPaletteImage::choose(int index) {
    // The arrows may walk into the empty rows of a short table: those are no entries to choose.
    if (!IsTableEntry(work_, index)) {
        grid_->SetSelection(chosen_);
        return;
    }
    chosen_ = index;
    if (mode_ == kModeTransparentColour && frameTransparent())
        imageWnd_->SetTransparentIndex(index, true);
    showChosen();
}

void CDlgPaletteImage::pick(int index) {
    chosen_ = index;
    grid_->SetSelection(index);
    showChosen();
}

void CDlgPaletteImage::showHover(int index, bool over, unsigned colour) {
    ShowHoveredEntry(*hoverFields_, *swatch_, index, over, colour);
}

void CDlgPaletteImage::editColour() {
    if (mode_ != kModePaletteColour)
        return;
    const std::optional<COLORREF> colour =
        ChangeEntryColour(chooser_, *grid_, chosen_, button_->GetColor(), this);
    if (!colour)
        return;
    imageWnd_->SetEntryColor(chosen_, *colour);
    showChosen();
}

void CDlgPaletteImage::onEyedropper() {
    if (makeTransparent_->isChecked())
        imageWnd_->SetTool(kToolMakeTransparent);
    else if (restore_->isChecked())
        imageWnd_->SetTool(kToolRestore);
    else
        imageWnd_->SetTool(kToolPick);
    showTool();
}

void CDlgPaletteImage::onToggle(QToolButton* toggle, QToolButton* other, int tool) {
    if (!toggle->isChecked())
        imageWnd_->SetTool(kToolPick);
    else if (imageWnd_->GetTool() != kToolZoom)
        imageWnd_->SetTool(tool);
    if (toggle->isChecked())
        other->setChecked(false);
    showTool();
}

void CDlgPaletteImage::showTool() {
    (imageWnd_->GetTool() == kToolZoom ? zoom_ : eyedropper_)->setChecked(true);
}

bool CDlgPaletteImage::eventFilter(QObject* watched, QEvent* event) {
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (key && watched->isWidgetType() &&
        (watched == this || isAncestorOf(static_cast<QWidget*>(watched))))
        trackModifiers(event);
    return ResourceDialog::eventFilter(watched, event);
}

// Holding Ctrl or Shift turns the eyedropper into the make-transparent or the restore tool while
// the key is down (transparent-colour mode only).
void CDlgPaletteImage::trackModifiers(QEvent* event) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const int tool = imageWnd_->GetTool();
    if (event->type() == QEvent::KeyPress && !keyHeld_) {
        const bool ctrl = key->key() == Qt::Key_Control || (key->modifiers() & Qt::ControlModifier);
        const bool shift = key->key() == Qt::Key_Shift || (key->modifiers() & Qt::ShiftModifier);
        if (mode_ == kModeTransparentColour) {
            if (ctrl && tool == kToolPick)
                imageWnd_->SetTool(kToolPick | kToolMakeTransparent);
            if (shift && imageWnd_->GetTool() == kToolPick)
                imageWnd_->SetTool(kToolPick | kToolRestore);
        }
        keyHeld_ = true;
    } else if (event->type() == QEvent::KeyRelease && keyHeld_) {
        const bool ctrl = key->key() != Qt::Key_Control && (key->modifiers() & Qt::ControlModifier);
        const bool shift = key->key() != Qt::Key_Shift && (key->modifiers() & Qt::ShiftModifier);
        if (mode_ == kModeTransparentColour) {
            const auto has = [&](int bits) { return (imageWnd_->GetTool() & bits) == bits; };
            if (!ctrl && has(kToolPick | kToolMakeTransparent))
                imageWnd_->SetTool(kToolPick);
            if (!shift && has(kToolPick | kToolRestore))
                imageWnd_->SetTool(kToolPick);
        }
        keyHeld_ = false;
    }
}

void CDlgPaletteImage::accept() {
    readControls();
    const KpxHandle edited = KPXCreateImageFrom(imageWnd_->GetImage(), 0);
    KPXDeleteImage(frame_->SetImage(edited));
    if (mode_ == kModeTransparentColour)
        frame_->transparency = kTransparentFlag + static_cast<std::uint32_t>(chosen_);
    else {
        kit().writeInt("ApplySelectionEP", applySelection_ ? 1 : 0);
        kit().writeInt("ApplyMethodEP", method_);
    }
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
