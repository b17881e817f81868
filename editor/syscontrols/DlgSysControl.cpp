#include "DlgSysControl.h"

#include "AnimationData.h"
#include "ControlDrawing.h"
#include "ControlItems.h"
#include "DisplayHelpers.h"
#include "EdgeLocks.h"
#include "FrameObject.h"
#include "FrameTransforms.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "PaletteRender.h"
#include "ResourceAccess.h"
#include "ShellServices.h"
#include "SysControlPageFactory.h"
#include "SysControlRecord.h"
#include "SysControlTypes.h"
#include "gdi/SystemLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::syscontrols {

namespace {

namespace w = word;
namespace ie = kfm::shell::imageedit;
using kfm::ui::CNumEdit;
using kfm::ui::CUpDown;

constexpr int kPreviewWidth = 300;
constexpr int kPreviewHeight = 220;
constexpr int kSheetWidth = 440;
constexpr int kSheetHeight = 200;
// Movable, resizable, centred and shown through its transparency.
constexpr std::uint32_t kPlacementFlags =
    ie::kOverlayTransparent | ie::kOverlayCentre | ie::kObjectResizable | ie::kObjectMovable;
constexpr int kMaxSize = 9999;
constexpr int kMaxTextLength = static_cast<int>(kMaxRecordText);
constexpr std::uint32_t kTransparentFlag = kKpxTransparencyIndexFlag;

// The five general style boxes in the order of words 7..11.
constexpr std::array<int, 5> kFlagBoxes = {CDlgSysControl::kClientEdge, CDlgSysControl::kStaticEdge,
                                           CDlgSysControl::kModalFrame, CDlgSysControl::kDisabled,
                                           CDlgSysControl::kSetFocus};
constexpr std::array<UINT, 5> kFlagTexts = {
    kfm5res::IDS_SC_CLIENT_EDGE, kfm5res::IDS_SC_STATIC_EDGE, kfm5res::IDS_SC_MODAL_FRAME,
    kfm5res::IDS_SC_DISABLED, kfm5res::IDS_SC_FOCUS};

// The place of the preview: a frame with two sunken 3-D rectangles; the preview lies 2 pixels
// inside it.
class PreviewFrame : public QWidget {
public:
    explicit PreviewFrame(QWidget* parent) : QWidget(parent) {
        setFixedSize(kPreviewWidth, kPreviewHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect outer = rect();
        kfm::ui::Draw3dRect(painter, outer, kfm::ui::ToQColor(GetSysColor(COLOR_3DDKSHADOW)),
                            kfm::ui::ToQColor(GetSysColor(COLOR_3DHILIGHT)));
        kfm::ui::Draw3dRect(painter, outer.adjusted(1, 1, -1, -1),
                            kfm::ui::ToQColor(GetSysColor(COLOR_BTNSHADOW)),
                            kfm::ui::ToQColor(GetSysColor(COLOR_3DLIGHT)));
    }
};

bool typeHasText(int type) {
    switch (type) {
    case ListBox:
    case ComboBox:
    case Tab:
    case GroupBox:
    case PushButton:
    case RadioButton:
    case CheckBox:
    case StaticText:
    case EditBox:
    case Dialog:
    case MessageBox:
        return true;
    default:
        return false;
    }
}

bool sizedToText(int type) {
    return type == RadioButton || type == CheckBox || type == StaticText;
}

// The index of the palette entry with that colour; -1 when the table has none.
int indexOfColour(KpxHandle image, COLORREF colour) {
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    if (!info)
        return -1;
    const int count = static_cast<int>(
        info->bmiHeader.biClrUsed ? info->bmiHeader.biClrUsed : 1u << info->bmiHeader.biBitCount);
    for (int i = 0; i < std::min(count, 256); ++i)
        if (static_cast<COLORREF>(KPXGetColorFromPalette(image, i)) == colour)
            return i;
    return -1;
}

// The transparency word of an image: its first entry when it is a palette index.
std::uint32_t transparencyWordOf(KpxHandle image) {
    const int index = GetImageTransparentIndex(image);
    return index >= 0 ? kTransparentFlag | static_cast<std::uint32_t>(index) : 0;
}

} // namespace

CDlgSysControl::CDlgSysControl(QWidget* parent, int mode, CObjFrame* edited, KpxHandle background,
                               int left, int top, int right, int bottom, UtcClock clock)
    : ResourceDialog(parent, kfm5res::IDD_SYSCONTROL, kfm::ui::GetResourceHandle()), mode_(mode),
      edited_(mode == kEdit ? edited : nullptr),
      background_(background), imageRect_{left, top, right, bottom}, clock_(std::move(clock)) {
    const int animationWidth = g_pAnimationData ? g_pAnimationData->AnimationWidth : 0;
    const int animationHeight = g_pAnimationData ? g_pAnimationData->AnimationHeight : 0;
    canvasWidth_ = animationWidth;
    canvasHeight_ = animationHeight;
    if (!background_) {
        background_ = KPXCreateImage(std::max(1, animationWidth), std::max(1, animationHeight), 8);
        KPXFillImageByIndexColor(background_, 255);
        ownImage_ = background_ != 0;
        imageRect_ = RECT{0, 0, animationWidth, animationHeight};
    }
    buildControls();
    initDialog();
    connectControls();
}

CDlgSysControl::~CDlgSysControl() {
    if (ownImage_)
        KPXDeleteImage(background_);
}

std::unique_ptr<CObjFrame> CDlgSysControl::TakeNewFrame() {
    return std::move(newFrame_);
}

CSysControlPage* CDlgSysControl::Page(int row) const {
    return row >= 0 && row < kTypeListRows ? pages_[static_cast<std::size_t>(row)].data() : nullptr;
}

// -------------------- Building

void CDlgSysControl::buildControls() {
    auto& k = kit();
    typeList_ = k.add(kTypeList, new QComboBox(this));
    for (int row = 0; row < kTypeListRows; ++row)
        typeList_->addItem(k.text(kfm5res::IDS_SC_TYPE_FIRST + static_cast<UINT>(row)));
    auto* typeLabel = new QLabel(k.text(kfm5res::IDS_SC_TYPE), this);
    typeLabel->setBuddy(typeList_);

    auto* general = new QGroupBox(k.text(kfm5res::IDS_SC_GENERAL), this);
    auto* generalRows = new QVBoxLayout(general);
    for (std::size_t i = 0; i < kFlagBoxes.size(); ++i) {
        flagBoxes_[i] = k.add(kFlagBoxes[i], new QCheckBox(k.text(kFlagTexts[i]), general));
        generalRows->addWidget(flagBoxes_[i]);
    }

    auto* position = new QGroupBox(k.text(kfm5res::IDS_SC_POSITION), this);
    auto* grid = new QGridLayout(position);
    auto numberField = [&](int editId, int upDownId, UINT label, int row) {
        NumberField field;
        field.edit = k.add(editId, new CNumEdit(position));
        field.upDown = k.add(upDownId, new CUpDown(position));
        field.upDown->SetBuddy(field.edit);
        field.edit->setFixedWidth(56);
        auto* caption = new QLabel(k.text(label), position);
        caption->setBuddy(field.edit);
        grid->addWidget(caption, row, 0);
        grid->addWidget(field.edit, row, 1);
        grid->addWidget(field.upDown, row, 2);
        return field;
    };
    left_ = numberField(kLeft, kLeftUpDown, kfm5res::IDS_SC_LEFT, 0);
    top_ = numberField(kTop, kTopUpDown, kfm5res::IDS_SC_TOP, 1);
    width_ = numberField(kWidth, kWidthUpDown, kfm5res::IDS_SC_WIDTH, 2);
    height_ = numberField(kHeight, kHeightUpDown, kfm5res::IDS_SC_HEIGHT, 3);

    text_ = k.add(kText, new CNumEdit(this));
    textLabel_ = k.add(kTextLabel, new QLabel(k.text(kfm5res::IDS_SC_TEXT), this));
    textLabel_->setBuddy(text_);
    addItem_ = k.add(kAddItem, new QPushButton(k.text(kfm5res::IDS_SC_ADD_ITEM), this));
    replaceItem_ = k.add(kReplaceItem, new QPushButton(k.text(kfm5res::IDS_SC_REPLACE_ITEM), this));
    deleteItem_ = k.add(kDeleteItem, new QPushButton(k.text(kfm5res::IDS_SC_DELETE_ITEM), this));
    for (QPushButton* button : {addItem_, replaceItem_, deleteItem_})
        button->setAutoDefault(false);

    previewFrame_ = k.add(kPreviewFrame, new PreviewFrame(this));
    auto viewButton = [&](int id, UINT icon, UINT tip) {
        auto* button = k.add(id, new QToolButton(this));
        button->setCheckable(true);
        button->setAutoExclusive(false);
        button->setIcon(QIcon(kfm::ui::ResourcePixmap(icon)));
        button->setToolTip(k.text(tip));
        return button;
    };
    placementView_ =
        viewButton(kPlacementView, kfm5res::kIconPlacementView, kfm5res::IDS_TIP_PLACEMENT_VIEW);
    controlView_ =
        viewButton(kControlView, kfm5res::kIconControlView, kfm5res::IDS_TIP_CONTROL_VIEW);

    auto* sheetFrame = k.add(kSheetFrame, new QWidget(this));
    sheetFrame->setMinimumSize(kSheetWidth, kSheetHeight);
    sheet_ = new QStackedWidget(sheetFrame);
    auto* sheetLayout = new QVBoxLayout(sheetFrame);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->addWidget(sheet_);
    // One place per row of the type list; a row's page is made when it is first shown.
    for (int row = 0; row < kTypeListRows; ++row)
        sheet_->addWidget(new QWidget(sheet_));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    k.add(IDOK, buttons->button(QDialogButtonBox::Ok));
    k.add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgSysControl::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgSysControl::reject);

    auto* itemButtons = new QHBoxLayout;
    itemButtons->addWidget(addItem_);
    itemButtons->addWidget(replaceItem_);
    itemButtons->addWidget(deleteItem_);
    auto* leftColumn = new QVBoxLayout;
    leftColumn->addWidget(typeLabel);
    leftColumn->addWidget(typeList_);
    leftColumn->addWidget(general);
    leftColumn->addWidget(position);
    leftColumn->addWidget(textLabel_);
    leftColumn->addWidget(text_);
    leftColumn->addLayout(itemButtons);
    leftColumn->addStretch();
    auto* views = new QHBoxLayout;
    views->addWidget(controlView_);
    views->addWidget(placementView_);
    views->addStretch();
    auto* rightColumn = new QVBoxLayout;
    rightColumn->addLayout(views);
    rightColumn->addWidget(previewFrame_);
    rightColumn->addWidget(sheetFrame);
    auto* columns = new QHBoxLayout;
    columns->addLayout(leftColumn);
    columns->addLayout(rightColumn, 1);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(columns);
    rows->addWidget(buttons);
}

void CDlgSysControl::connectControls() {
    connect(typeList_, &QComboBox::activated, this, [this] { OnSelChangeType(); });
    for (std::size_t i = 0; i < flagBoxes_.size(); ++i)
        connect(flagBoxes_[i], &QCheckBox::clicked, this,
                [this, i] { OnGeneralFlag(w::GeneralClientEdge + static_cast<int>(i)); });
    connect(addItem_, &QPushButton::clicked, this, &CDlgSysControl::OnAddItem);
    connect(deleteItem_, &QPushButton::clicked, this, &CDlgSysControl::OnDeleteItem);
    connect(replaceItem_, &QPushButton::clicked, this, &CDlgSysControl::OnSetItemText);
    connect(placementView_, &QToolButton::clicked, this, &CDlgSysControl::OnPlacementView);
    connect(controlView_, &QToolButton::clicked, this, &CDlgSysControl::OnControlView);
}

// -------------------- Opening

void CDlgSysControl::initDialog() {
    preview_ = new CSysControlWnd(previewFrame_);
    preview_->setGeometry(previewFrame_->rect().adjusted(2, 2, -2, -2));
    preview_->setFrameStyle(0);
    preview_->SetHost(this);
    preview_->SetNotifyWindow(this);
    preview_->SetShowTransparency(true);
    preview_->SetZoom(100);
    preview_->SetTool(CSysControlWnd::kToolControl);
    const TransparencyGrid grid = GetTransparencyGrid();
    preview_->SetChessboard(grid.cell, grid.color1, grid.color2);

    SysControlSettings s;
    LoadContext context;
    context.animationWidth = canvasWidth_;
    context.animationHeight = canvasHeight_;
    context.clock = clock_;
    LoadSettings(s, context, &stored_);
    if (edited_ && edited_->hasControl) {
        RecordToSettings(s, edited_->control, KPXWidth(static_cast<KpxHandle>(edited_->GetImage())),
                         KPXHeight(static_cast<KpxHandle>(edited_->GetImage())));
        setWindowTitle(kit().text(kfm5res::IDS_SYSCONTROL_EDIT_CAPTION));
    } else {
        setWindowTitle(kit().text(kfm5res::IDS_SYSCONTROL_NEW_CAPTION));
    }
    preview_->SetSettings(s);

    typeList_->setCurrentIndex(0);
    typeList_->setCurrentIndex(kfm::syscontrols::ComboIndexFromType(s[w::Type]));
    showPage(typeList_->currentIndex());
    // A type without a row opens on the row the mapping gives.
    s[w::Type] = TypeFromComboIndex();
    if (edited_) {
        s[w::Left] = edited_->left;
        s[w::Top] = edited_->top;
    }
    ApplyTypeSize(s);
    preview_->SetSettings(s);

    left_.edit->setMaxLength(5);
    top_.edit->setMaxLength(5);
    for (NumberField* field : {&width_, &height_}) {
        field->edit->setMaxLength(4);
        field->edit->SetRange(1, kMaxSize);
        field->upDown->SetRange32(1, kMaxSize);
    }
    text_->SetMode(kfm::shell::NumEditLogic::Text);
    text_->setMaxLength(kMaxTextLength);

    const int type = s[w::Type];
    if (edited_) {
        preview_->SetItemsFromText(s.Text);
        const int selection = SelectionWordOfType(type);
        if (selection >= 0)
            s.Text = CSysControlWnd::ItemFromText(s.Text, s[selection]);
    }
    width_.upDown->SetPos(s[w::Width]);
    height_.upDown->SetPos(s[w::Height]);
    preview_->SetSettings(s);
    UpdatePositionRanges();
    left_.upDown->SetPos(s[w::Left]);
    top_.upDown->SetPos(s[w::Top]);
    // The fields hold every number to its range.
    s[w::Left] = left_.upDown->GetPos();
    s[w::Top] = top_.upDown->GetPos();
    s[w::Width] = width_.upDown->GetPos();
    s[w::Height] = height_.upDown->GetPos();
    preview_->SetSettings(s);
    text_->setText(ShownText(s.Text));
    for (std::size_t i = 0; i < flagBoxes_.size(); ++i)
        flagBoxes_[i]->setChecked(s.flag(w::GeneralClientEdge + static_cast<int>(i)));

    UpdatePlacement();
    OnSelChangeType();
    if (mode_ == kEdit)
        text_->setFocus();
    else
        typeList_->setFocus();

    setAutoApply(true);
    placementView_->setChecked(false);
    controlView_->setChecked(true);
}

void CDlgSysControl::showPage(int row) {
    if (row < 0 || row >= kTypeListRows)
        return;
    auto& page = pages_[static_cast<std::size_t>(row)];
    if (!page) {
        QWidget* place = sheet_->widget(row);
        page =
            CreateSysControlPage(kfm::syscontrols::TypeFromComboIndex(row), sheet_, preview_, this);
        sheet_->insertWidget(row, page);
        sheet_->removeWidget(place);
        place->deleteLater();
    }
    sheet_->setCurrentIndex(row);
}

// -------------------- Type and sizes

int CDlgSysControl::TypeFromComboIndex() const {
    return kfm::syscontrols::TypeFromComboIndex(typeList_->currentIndex());
}

int CDlgSysControl::ComboIndexFromType(int type) {
    return kfm::syscontrols::ComboIndexFromType(type);
}

void CDlgSysControl::ApplyTypeSize(SysControlSettings& s) {
    const int type = s[w::Type];
    if (s[w::PBWidth] == 0 || s[w::PBHeight] == 0) {
        preview_->SetSettings(s);
        int width = 0;
        int height = 0;
        if (type == PushButton) {
            preview_->FitSizeToText(PushButton);
            width = preview_->Settings()[w::Width];
            height = preview_->Settings()[w::Height];
        } else {
            preview_->GetTextSize(&width, &height);
        }
        s[w::PBWidth] = width;
        s[w::PBHeight] = height;
    }
    const SizeWords size = SizeWordsOfType(type);
    if (sizedToText(type)) {
        const bool keep = mode_ == kEdit && s[size.width] > 0 && s[size.height] > 0;
        if (!keep) {
            preview_->SetSettings(s);
            preview_->FitSizeToText(type);
            s[size.width] = preview_->Settings()[w::Width];
            s[size.height] = preview_->Settings()[w::Height];
        }
    }
    if (size.width >= 0) {
        s[w::Width] = s[size.width];
        s[w::Height] = s[size.height];
    } else {
        const FixedSize fixed = FixedSizeOfType(type);
        s[w::Width] = fixed.width;
        s[w::Height] = fixed.height;
    }
}

void CDlgSysControl::storeCurrentSize(SysControlSettings& s) const {
    const int type = s[w::Type];
    const SizeWords size = SizeWordsOfType(type);
    if (size.width < 0)
        return;
    // A horizontal scroll bar keeps its height, a vertical one its width.
    if (type != VScrollBar)
        s[size.width] = s[w::Width];
    if (type != HScrollBar)
        s[size.height] = s[w::Height];
}

void CDlgSysControl::readFlags() {
    for (std::size_t i = 0; i < flagBoxes_.size(); ++i)
        flags_[i] = flagBoxes_[i]->isChecked();
}

std::string CDlgSysControl::fieldText() const {
    return kfm::ui::ToCodePage1252(text_->text());
}

bool CDlgSysControl::controlView() const {
    return preview_->GetTool() == CSysControlWnd::kToolControl;
}

void CDlgSysControl::rebuild() {
    preview_->UpdateControl(0, controlView() ? 1 : 0, 1);
}

void CDlgSysControl::setAutoApply(bool on) {
    for (CNumEdit* edit : {left_.edit, top_.edit, width_.edit, height_.edit, text_})
        edit->SetAutoApply(on);
}

void CDlgSysControl::suspendAutoApply() {
    for (CNumEdit* edit : {left_.edit, top_.edit, width_.edit, height_.edit, text_})
        edit->SuspendAutoApply();
    for (const auto& page : pages_)
        if (page)
            page->SuspendAutoApply();
}

void CDlgSysControl::resumeAutoApply() {
    for (CNumEdit* edit : {left_.edit, top_.edit, width_.edit, height_.edit, text_})
        edit->ResumeAutoApply();
    for (const auto& page : pages_)
        if (page)
            page->ResumeAutoApply();
}

void CDlgSysControl::OnSelChangeType() {
    const int row = typeList_->currentIndex();
    showPage(row);
    typeList_->setFocus();
    readFlags();
    const int newType = TypeFromComboIndex();
    SysControlSettings s;
    preview_->GetSettings(s);
    const int oldType = preview_->GetType() ? preview_->GetType() : s[w::Type];
    s.Text = fieldText();
    preview_->SetSettings(s);

    suspendAutoApply();
    // The outgoing type keeps what its fields and its live control hold.
    s[w::Type] = oldType;
    s[w::Width] = width_.upDown->GetPos();
    s[w::Height] = height_.upDown->GetPos();
    storeCurrentSize(s);
    // Only a live control of the outgoing type has positions to keep (none has when the dialog
    // opens, and the stored ones stay).
    const bool liveOld = preview_->GetType() == oldType;
    if (liveOld && oldType == HScrollBar)
        s[w::SBHScrollPos] = preview_->GetScrollPos();
    else if (liveOld && oldType == VScrollBar)
        s[w::SBVScrollPos] = preview_->GetScrollPos();
    else if (liveOld && oldType == Slider)
        s[w::SLPos] = preview_->GetSliderPos();
    if (CSysControlPage* page = Page(kfm::syscontrols::ComboIndexFromType(oldType));
        page && IsListedType(oldType))
        page->StorePageValues(s);

    // The incoming type brings its own size and page values.
    const SizeWords size = SizeWordsOfType(newType);
    if (sizedToText(newType) && (s[size.width] == 0 || s[size.height] == 0)) {
        preview_->SetSettings(s);
        preview_->FitSizeToText(newType);
        s[size.width] = preview_->Settings()[w::Width];
        s[size.height] = preview_->Settings()[w::Height];
    }
    if (size.width >= 0) {
        s[w::Width] = s[size.width];
        s[w::Height] = s[size.height];
    } else {
        const FixedSize fixed = FixedSizeOfType(newType);
        s[w::Width] = fixed.width;
        s[w::Height] = fixed.height;
    }
    width_.upDown->SetPos(s[w::Width]);
    height_.upDown->SetPos(s[w::Height]);
    s[w::Width] = width_.upDown->GetPos();
    s[w::Height] = height_.upDown->GetPos();
    if (CSysControlPage* page = Page(row))
        page->LoadPageValues(s);

    s[w::Type] = newType;
    preview_->SetSettings(s);
    preview_->UpdateControl(newType, controlView() ? 1 : 0, 1);
    // The list box and combo box may have taken another height.
    preview_->GetSettings(s);
    applyEnabling(newType, s);
    UpdateDateTimeCtrl(newType);

    resumeAutoApply();
    UpdateCanvas();
    if (controlView())
        preview_->PlaceControl(1);
    typeList_->setFocus();
}

void CDlgSysControl::applyEnabling(int type, const SysControlSettings& s) {
    const bool items = HasItems(type);
    addItem_->setEnabled(items);
    replaceItem_->setEnabled(items);
    text_->setEnabled(typeHasText(type));
    textLabel_->setEnabled(typeHasText(type));
    const int selection = SelectionWordOfType(type);
    deleteItem_->setEnabled(items && s[selection] >= 0);
    for (const int id : {kStaticEdge, kModalFrame, kSetFocus})
        kit().control(id)->setEnabled(type != MessageBox);
    for (const int typeOfPage : {EditBox, ListBox})
        if (CSysControlPage* page = Page(kfm::syscontrols::ComboIndexFromType(typeOfPage)))
            page->UpdateEnabling();
}

void CDlgSysControl::UpdateDateTimeCtrl(int type) {
    if (type != DateTime)
        return;
    if (CSysControlPage* page = Page(kfm::syscontrols::ComboIndexFromType(DateTime)))
        page->UpdateDateTime(preview_->Settings());
}

void CDlgSysControl::UpdateTabItemRanges() {
    if (CSysControlPage* page = Page(kfm::syscontrols::ComboIndexFromType(Tab)))
        page->UpdateTabItemRanges(std::max(1, preview_->GetItemCount()));
}

void CDlgSysControl::SetSizeFields(int width, int height) {
    for (const auto& [field, value] : {std::pair{width_, width}, std::pair{height_, height}}) {
        field.edit->SuspendAutoApply();
        field.upDown->SetPos(UpDownPosition(value));
        field.edit->ResumeAutoApply();
    }
}

// -------------------- Numbers

LRESULT CDlgSysControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == CNumEdit::WM_NUMEDIT_CHANGED) {
        OnValueChanged(reinterpret_cast<CNumEdit*>(lParam));
        return 1;
    }
    if (message == CSysControlWnd::WM_SYSCONTROL_MOVED) {
        OnPreviewMoved(wParam, lParam);
        return 0;
    }
    return 0;
}

void CDlgSysControl::OnValueChanged(CNumEdit* field) {
    SysControlSettings s;
    preview_->GetSettings(s);
    bool moved = false;
    bool sized = false;
    bool texted = false;
    if (field == left_.edit) {
        s[w::Left] = static_cast<std::int16_t>(left_.upDown->GetPos());
        moved = true;
    } else if (field == top_.edit) {
        s[w::Top] = static_cast<std::int16_t>(top_.upDown->GetPos());
        moved = true;
    } else if (field == width_.edit) {
        s[w::Width] = width_.upDown->GetPos();
        sized = true;
    } else if (field == height_.edit) {
        s[w::Height] = height_.upDown->GetPos();
        sized = true;
    } else if (field == text_) {
        s.Text = fieldText();
        texted = true;
    } else {
        return;
    }
    storeCurrentSize(s);
    preview_->SetSettings(s);
    const int type = s[w::Type];
    // The list types keep the field's text only for their item buttons.
    if (HasItems(type) && texted)
        return;
    if (controlView()) {
        if (moved || sized || (texted && sizedToText(type))) {
            UpdatePositionRanges();
            UpdateCanvas();
            preview_->PlaceControl(1);
        }
        if (texted)
            rebuild();
    } else {
        if (moved)
            UpdatePlacement();
        if (sized) {
            UpdatePositionRanges();
            rebuild();
            UpdateCanvas();
        }
        if (texted)
            rebuild();
    }
    if (sized && (type == MessageBox || type == ListBox || type == ComboBox)) {
        rebuild();
        UpdateCanvas();
    }
}

void CDlgSysControl::UpdatePositionRanges() {
    const SysControlSettings& s = preview_->Settings();
    const bool elastic = g_pAnimationData && g_pAnimationData->AnimationStateElasticSize;
    int leftMin = -999;
    int leftMax = 9999;
    int topMin = -999;
    int topMax = 9999;
    if (!controlView() || !elastic) {
        // At least one pixel of the control stays on the canvas.
        leftMin = elastic ? 0 : 1 - s[w::Width];
        topMin = elastic ? 0 : 1 - s[w::Height];
        leftMax = canvasWidth_ - 1;
        topMax = canvasHeight_ - 1;
    }
    left_.edit->SetRange(leftMin, leftMax);
    left_.upDown->SetRange32(leftMin, leftMax);
    top_.edit->SetRange(topMin, topMax);
    top_.upDown->SetRange32(topMin, topMax);
    left_.edit->Validate(false);
    top_.edit->Validate(false);
}

// -------------------- Canvas and views

void CDlgSysControl::ComputeCanvasSize() {
    const int animationWidth = g_pAnimationData ? g_pAnimationData->AnimationWidth : canvasWidth_;
    const int animationHeight =
        g_pAnimationData ? g_pAnimationData->AnimationHeight : canvasHeight_;
    if (!g_pAnimationData || !g_pAnimationData->AnimationStateElasticSize)
        return;
    const SysControlSettings& s = preview_->Settings();
    canvasWidth_ = std::max(animationWidth, left_.upDown->GetPos() + s[w::Width]);
    canvasHeight_ = std::max(animationHeight, top_.upDown->GetPos() + s[w::Height]);
}

void CDlgSysControl::UpdateCanvas() {
    ComputeCanvasSize();
    const SIZE canvas{canvasWidth_, canvasHeight_};
    preview_->CreateWorkImage(&canvas, true);
}

void CDlgSysControl::UpdatePlacement() {
    ComputeCanvasSize();
    const SIZE canvas{canvasWidth_, canvasHeight_};
    preview_->SetImage(background_, true, &imageRect_, &canvas);
    preview_->SetCaptureAsOverlay();
    if (!controlView()) {
        const SysControlSettings& s = preview_->Settings();
        const int left = left_.upDown->GetPos();
        const int top = top_.upDown->GetPos();
        preview_->SetViewRect(left, top, left + s[w::Width], top + s[w::Height]);
    }
}

void CDlgSysControl::OnPlacementView() {
    placementView_->setChecked(true);
    controlView_->setChecked(false);
    if (!controlView())
        return;
    preview_->SetTool(CSysControlWnd::kToolMove);
    preview_->Capture();
    preview_->SetCaptureAsOverlay();
    preview_->SetObjectFlags(kPlacementFlags);
    const SysControlSettings& s = preview_->Settings();
    const int left = left_.upDown->GetPos();
    const int top = top_.upDown->GetPos();
    preview_->SetViewRect(left, top, left + s[w::Width], top + s[w::Height]);
    const int type = s[w::Type];
    if ((type == Dialog || type == MessageBox) && !s.flag(w::GeneralDisabled))
        rebuild();
    UpdatePositionRanges();
    preview_->setFocus();
}

void CDlgSysControl::OnControlView() {
    controlView_->setChecked(true);
    placementView_->setChecked(false);
    if (controlView())
        return;
    preview_->DeleteCapture();
    preview_->SetObjectFlags(0);
    preview_->SetOverlayImage(0);
    preview_->SetTool(CSysControlWnd::kToolControl);
    const SysControlSettings& s = preview_->Settings();
    const int type = s[w::Type];
    if ((type == Dialog || type == MessageBox) && !s.flag(w::GeneralDisabled))
        rebuild();
    else
        preview_->PlaceControl(1);
    UpdatePositionRanges();
}

void CDlgSysControl::OnPreviewMoved(WPARAM ended, LPARAM position) {
    const int left = static_cast<std::int16_t>(position & 0xFFFF);
    const int top = static_cast<std::int16_t>((position >> 16) & 0xFFFF);
    UpdatePositionRanges();
    suspendAutoApply();
    left_.upDown->SetPos(left);
    top_.upDown->SetPos(top);
    SysControlSettings s;
    preview_->GetSettings(s);
    s[w::Left] = left;
    s[w::Top] = top;
    RECT object{};
    preview_->GetViewRect(&object);
    const int width = object.right - object.left;
    const int height = object.bottom - object.top;
    const bool elastic = g_pAnimationData && g_pAnimationData->AnimationStateElasticSize;
    if (width == s[w::Width] && height == s[w::Height]) {
        preview_->SetSettings(s);
        if (ended && elastic)
            UpdatePlacement();
    } else {
        width_.upDown->SetPos(width);
        height_.upDown->SetPos(height);
        if (ended) {
            s[w::Width] = width_.upDown->GetPos();
            s[w::Height] = height_.upDown->GetPos();
            storeCurrentSize(s);
            preview_->SetSettings(s);
            rebuild();
        } else {
            // The canvas follows the drag; the control is rebuilt once, when it ends.
            SysControlSettings during = s;
            during[w::Width] = width;
            during[w::Height] = height;
            preview_->SetSettings(during);
            UpdateCanvas();
            preview_->SetSettings(s);
        }
    }
    resumeAutoApply();
}

// -------------------- Items and styles

void CDlgSysControl::OnAddItem() {
    const std::string text = fieldText();
    switch (CheckNewItem(preview_->Items(), text)) {
    case ItemRefusal::Empty:
        return;
    case ItemRefusal::TooLong:
        ShellMessageBox(kfm5res::IDS_SC_ITEM_TOO_LONG, MB_ICONEXCLAMATION_);
        return;
    case ItemRefusal::None:
        break;
    }
    preview_->AddItem(text);
    rebuild();
    const int type = preview_->Settings()[w::Type];
    const bool elastic = g_pAnimationData && g_pAnimationData->AnimationStateElasticSize;
    if ((type == ListBox || type == ComboBox) && elastic) {
        UpdateCanvas();
        if (controlView())
            preview_->PlaceControl(1);
    }
    if (type == Tab)
        UpdateTabItemRanges();
}

void CDlgSysControl::OnDeleteItem() {
    preview_->DeleteSelectedItem();
    deleteItem_->setEnabled(preview_->GetItemCount() > 0);
    rebuild();
    if (preview_->Settings()[w::Type] == Tab)
        UpdateTabItemRanges();
}

void CDlgSysControl::OnSetItemText() {
    const std::string text = fieldText();
    std::vector<std::string> others = preview_->Items();
    SysControlSettings s;
    preview_->GetSettings(s);
    const int selection = SelectionWordOfType(s[w::Type]);
    if (selection >= 0 && s[selection] >= 0 && s[selection] < static_cast<int>(others.size())) {
        others.erase(others.begin() + s[selection]);
        if (CheckNewItem(others, text) == ItemRefusal::TooLong) {
            ShellMessageBox(kfm5res::IDS_SC_ITEM_TOO_LONG, MB_ICONEXCLAMATION_);
            return;
        }
    }
    preview_->SetSelectedItemText(text);
}

void CDlgSysControl::OnGeneralFlag(int word) {
    readFlags();
    SysControlSettings s;
    preview_->GetSettings(s);
    const std::size_t box = static_cast<std::size_t>(word - w::GeneralClientEdge);
    if (box >= flags_.size())
        return;
    s[word] = flags_[box] ? 1 : 0;
    preview_->SetSettings(s);
    rebuild();
}

// -------------------- What the preview tells

void CDlgSysControl::EnableDeleteItem(bool enable) {
    deleteItem_->setEnabled(enable);
}

void CDlgSysControl::ShowItemText(const std::string& text) {
    text_->SuspendAutoApply();
    text_->setText(ShownText(text));
    text_->ResumeAutoApply();
}

void CDlgSysControl::DateTimeChanged() {
    UpdateDateTimeCtrl(DateTime);
}

// -------------------- OK

bool CDlgSysControl::captureNewFrame() {
    SysControlSettings s;
    preview_->GetSettings(s);
    // OK always ends in placement view, with a fresh capture.
    if (controlView())
        OnPlacementView();
    else
        preview_->UpdateControl(0, 0, 1);
    preview_->viewport()->update();
    ScopedImage copy(KPXCreateImageFrom(preview_->GetCapturedImage(), 0));
    if (!copy.get()) {
        // Nothing is saved and the dialog stays open.
        ShellMessageBox(kfm5res::IDS_SC_CAPTURE_FAILED, MB_ICONEXCLAMATION_);
        return false;
    }
    const int left = s[w::Left];
    const int top = s[w::Top];
    const RECT rect{left, top, left + s[w::Width] - 1, top + s[w::Height] - 1};
    if (!CheckEdgeLocks(nullptr, &rect))
        return false;

    const int type = s[w::Type];
    const bool sameType =
        edited_ && edited_->hasControl && static_cast<std::int64_t>(edited_->control.type) == type;
    FrameInfo info{};
    if (sameType) {
        edited_->MakeFrameInfo(info);
        FreeFrameParts(info, 8 | 4 | 16 | 32);
    } else {
        KPXGetImageFramesInfo(copy.get(), &info);
        FreeFrameParts(info, 8 | 4 | 16 | 32);
        info.delay = 10;
    }
    const std::uint32_t ownTransparency = transparencyWordOf(copy.get());
    if ((ownTransparency >> 24) == 1)
        info.transparency = ownTransparency;
    const ControlObjectRecord record = SettingsToRecord(s, preview_->GetItemsText());
    const int width = KPXWidth(copy.get());
    const int height = KPXHeight(copy.get());
    auto frame = std::make_unique<CObjFrame>(copy.release(), width, height, left, top, info.delay,
                                             info.disposal, info.transparency, info.name,
                                             info.comment, nullptr, &record, nullptr, nullptr, 0);
    FreeFrameParts(info, 0);
    frame->selected = 1;
    frame->current = 1;
    if (edited_) {
        frame->marked = edited_->marked;
        frame->reserved1 = edited_->reserved1;
        frame->reserved2 = edited_->reserved2;
        const std::uint32_t old = edited_->transparency;
        const auto image = static_cast<KpxHandle>(frame->GetImage());
        if (sameType && (old & kTransparentFlag)) {
            // The old picture's transparent colour, found in the new picture's own palette.
            const auto oldImage = static_cast<KpxHandle>(edited_->GetImage());
            const COLORREF colour = static_cast<COLORREF>(
                KPXGetColorFromPalette(oldImage, static_cast<int>(old & 0xFF)));
            const int index = indexOfColour(image, colour);
            if (index >= 0) {
                SetImageTransparent(static_cast<short>(image), index);
                frame->transparency = kTransparentFlag | static_cast<std::uint32_t>(index);
            } else {
                KPXSetImageTransparent(image, nullptr, 0);
                frame->transparency = 0;
            }
        }
        ConvertFrameTo8Bit(frame.get(), edited_->alphaValue);
        frame->softAlpha = edited_->softAlpha;
        frame->alphaValue = edited_->alphaValue;
    }
    frame->PutFrameInfo(0);
    newFrame_ = std::move(frame);
    SaveSettings(s, &stored_);
    return true;
}

void CDlgSysControl::keyPressEvent(QKeyEvent* event) {
    // Enter in a field applies the field's value; it does not close the dialog.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && qobject_cast<CNumEdit*>(focusWidget())) {
        event->accept();
        return;
    }
    ResourceDialog::keyPressEvent(event);
}

void CDlgSysControl::accept() {
    OnSelChangeType();
    if (!captureNewFrame())
        return;
    ResourceDialog::accept();
}

} // namespace kfm::syscontrols
