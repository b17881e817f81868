#include "PageFrame.h"

#include "AnimationView.h"
#include "AppSettings.h"
#include "CanvasGeometry.h"
#include "DlgPaletteImage.h"
#include "FrameTransforms.h"
#include "GIFSheet.h"
#include "ImageView.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "PageAnimation.h"
#include "ResourceAccess.h"
#include "SmallControls.h"
#include "UndoHistory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace kfm::ui {

using namespace kfm5res;
namespace rules = kfm::shell;

namespace {

constexpr int kPositionMinimum = -999;
constexpr int kPositionMaximum = 9999;
constexpr int kDelayMaximum = 32000;
constexpr int kAlphaMaximum = 99;
constexpr int kNameLimit = 4096;

kfm::model::EdgeLockState edgeLocks() {
    const CAnimationData& a = *g_pAnimationData;
    return {a.AnimationWidth,          a.AnimationHeight,       a.AnimationStateElasticSize,
            a.AnimationStateLockLeft,  a.AnimationStateLockTop, a.AnimationStateLockRight,
            a.AnimationStateLockBottom};
}

// Where the canvas lets the selection go.
rules::MoveLimits selectionLimits() {
    RECT selection{};
    GetSelFramesBounds(selection);
    const POINT position{selection.left, selection.top};
    return rules::ComputeMoveLimits(selection, position, edgeLocks(),
                                    g_pAnimationData->RealFrameCount());
}

bool pickWithDialog(CObjFrame& frame, QWidget* parent) {
    kfm::dialogs::CDlgPaletteImage dialog(parent, &frame,
                                          kfm::dialogs::CDlgPaletteImage::kModeTransparentColour);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

CPageFrame::CPageFrame(CGIFSheet& sheet, QWidget* parent)
    : ResourcePage(parent, IDD_PAGE_FRAME, GetResourceHandle()), sheet_(sheet),
      watcher_(new TypingWatcher(this)), pickColour_(pickWithDialog) {
    build();
    for (const NumericField* f : {&left_, &top_, &delay_, &alpha_})
        f->edit->SetAutoApply(true);
    RefreshEnabling();
}

void CPageFrame::build() {
    DialogKit& k = kit();
    auto* page = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    page->addLayout(form);

    width_ = k.add(kWidthText, new QLabel);
    height_ = k.add(kHeightText, new QLabel);
    form->addRow(AddLabel(k, 0, IDS_PAGE_WIDTH), width_);
    form->addRow(AddLabel(k, 0, IDS_PAGE_HEIGHT), height_);

    QWidget* row = nullptr;
    left_ = AddNumericField(k, kLeft, kLeftSpin, kPositionMinimum, kPositionMaximum, 5, &row);
    form->addRow(AddLabel(k, 0, IDS_PAGE_LEFT), row);
    top_ = AddNumericField(k, kTop, kTopSpin, kPositionMinimum, kPositionMaximum, 5, &row);
    form->addRow(AddLabel(k, 0, IDS_PAGE_TOP), row);
    delay_ = AddNumericField(k, kDelay, kDelaySpin, 0, kDelayMaximum, 5, &row);
    form->addRow(AddLabel(k, 0, IDS_PAGE_DELAY), row);

    disposal_ = k.add(kDisposal, new QComboBox);
    for (const UINT id : {IDS_DISPOSAL_LEAVE, IDS_DISPOSAL_PREVIOUS, IDS_DISPOSAL_BACKGROUND})
        disposal_->addItem(k.text(id));
    disposal_->setToolTip(k.text(IDS_TIP_DISPOSAL));
    form->addRow(AddLabel(k, 0, IDS_PAGE_DISPOSAL), disposal_);

    mode_ = k.add(kTransparency, new QComboBox);
    for (const UINT id : {IDS_TRANSPARENCY_OPAQUE, IDS_TRANSPARENCY_COLOUR, IDS_TRANSPARENCY_ALPHA})
        mode_->addItem(k.text(id));
    form->addRow(AddLabel(k, 0, IDS_PAGE_TRANSPARENCY), mode_);

    auto* colourRow = new QWidget;
    auto* colourLayout = new QHBoxLayout(colourRow);
    colourLayout->setContentsMargins(0, 0, 0, 0);
    colour_ = k.add(kTransparentColour, new CColorButton);
    colour_->EnableToolTip(true);
    colourLayout->addWidget(colour_);
    pick_ = k.add(kPickColour, new QPushButton(k.text(IDS_PAGE_PICK_COLOUR)));
    colourLayout->addWidget(pick_);
    colourLayout->addStretch(1);
    form->addRow(AddLabel(k, 0, IDS_PAGE_TRANSPARENT_COLOUR), colourRow);

    alpha_ = AddNumericField(k, kAlpha, kAlphaSpin, 0, kAlphaMaximum, 2, &row);
    form->addRow(AddLabel(k, kAlphaLabel, IDS_PAGE_ALPHA), row);

    name_ = k.add(kName, new QLineEdit);
    name_->setMaxLength(kNameLimit);
    form->addRow(AddLabel(k, 0, IDS_PAGE_NAME), name_);

    alwaysShown_ = k.add(kAlwaysShown, new QCheckBox(k.text(IDS_PAGE_ALWAYS_SHOWN)));
    locked_ = k.add(kLocked, new QCheckBox(k.text(IDS_PAGE_LOCKED)));
    form->addRow(alwaysShown_);
    form->addRow(locked_);
    kind_ = k.add(kKindText, new QLabel);
    form->addRow(AddLabel(k, 0, IDS_PAGE_KIND), kind_);
    page->addStretch(1);

    for (const NumericField* f : {&left_, &top_, &delay_, &alpha_})
        watcher_->Watch(*f);
    name_->installEventFilter(this);
    connect(left_.edit, &CNumEdit::committed, this, [this] { onPositionCommitted(true); });
    connect(top_.edit, &CNumEdit::committed, this, [this] { onPositionCommitted(false); });
    connect(delay_.edit, &CNumEdit::committed, this, [this] { onDelayCommitted(); });
    connect(alpha_.edit, &CNumEdit::committed, this, [this] { onAlphaCommitted(); });
    connect(disposal_, &QComboBox::activated, this, [this](int i) { onDisposalChosen(i); });
    connect(mode_, &QComboBox::activated, this, [this](int i) { onModeChosen(i); });
    connect(name_, &QLineEdit::textEdited, this, [this] { onNameChanged(); });
    connect(colour_, &CColorButton::clicked, this, [this] { onPickColour(); });
    connect(pick_, &QPushButton::clicked, this, [this] { onPickColour(); });
    connect(alwaysShown_, &QCheckBox::clicked, this,
            [this] { onFlagClicked(alwaysShown_, rules::kPropertyAlwaysShown); });
    connect(locked_, &QCheckBox::clicked, this,
            [this] { onFlagClicked(locked_, rules::kPropertyLocked); });
}

bool CPageFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == name_) {
        if (event->type() == QEvent::FocusIn) {
            nameStepPending_ = true;
        } else if (event->type() == QEvent::FocusOut) {
            nameStepPending_ = false;
            if (nameStepOpen_) {
                nameStepOpen_ = false;
                TheUndoHistory().EndStep(0);
            }
        }
    }
    return ResourcePage::eventFilter(watched, event);
}

// ---------------------------------------------------------------- showing frames

void CPageFrame::setKindText(UINT id) {
    kind_->setText(id ? kit().text(id) : QString());
}

void CPageFrame::showFlag(QCheckBox* check, bool shared, int value) {
    check->setTristate(!shared);
    check->setCheckState(!shared ? Qt::PartiallyChecked : value ? Qt::Checked : Qt::Unchecked);
}

void CPageFrame::ShowFrame(const CObjFrame* frame) {
    if (!frame || !g_pAnimationData)
        return;
    const rules::ChangeSourceScope source(rules::kChangeSourceUpdate);
    updating_ = true;
    width_->setText(QString::number(frame->width));
    height_->setText(QString::number(frame->height));
    RefreshLimits();
    left_.Show(frame->left);
    top_.Show(frame->top);
    delay_.Show(frame->delay);
    alpha_.Show(frame->alphaValue);
    mode_->setCurrentIndex(rules::TransparencyModeOf(*frame));
    disposal_->setCurrentIndex(rules::ItemForDisposal(frame->disposal));
    name_->setText(FromCodePage1252(frame->name));
    showFlag(alwaysShown_, true, frame->reserved1);
    showFlag(locked_, true, frame->reserved2);
    ShowTransparentColor(frame);
    setKindText(rules::FrameKindTextId(*frame));
    CAnimationData& a = *g_pAnimationData;
    if (a.AnimationWidth == 0)
        a.AnimationWidth = frame->width;
    if (a.AnimationHeight == 0)
        a.AnimationHeight = frame->height;
    updating_ = false;
    // The colour and alpha controls follow the mode just shown.
    RefreshEnabling();
}

void CPageFrame::ShowFrames(std::span<const int> selected, const CObjFrame* current) {
    if (!g_pAnimationData)
        return;
    const rules::FramesSummary s = rules::SummarizeFrames(selected);
    if (s.count == 0)
        return;
    const rules::ChangeSourceScope source(rules::kChangeSourceUpdate);
    updating_ = true;
    width_->setText(QString::fromStdString(
        rules::FrameSizeText(static_cast<int>(s.bounds.right - s.bounds.left), s.count)));
    height_->setText(QString::fromStdString(
        rules::FrameSizeText(static_cast<int>(s.bounds.bottom - s.bounds.top), s.count)));
    RefreshLimits();
    left_.Show(static_cast<int>(s.bounds.left));
    top_.Show(static_cast<int>(s.bounds.top));
    mode_->setCurrentIndex(s.sameMode ? s.mode : -1);
    if (current) {
        delay_.Show(current->delay);
        alpha_.Show(current->alphaValue);
    }
    disposal_->setCurrentIndex(s.sameDisposal && current ? rules::ItemForDisposal(current->disposal)
                                                         : -1);
    name_->setText(s.sameName && current ? FromCodePage1252(current->name) : QString());
    setKindText(s.sameKind && current ? rules::FrameKindTextId(*current) : 0);
    const CObjFrame* first = rules::RealFrameAt(selected.empty() ? -1 : selected.front());
    showFlag(alwaysShown_, s.sameAlwaysShown, first ? first->reserved1 : 0);
    showFlag(locked_, s.sameLocked, first ? first->reserved2 : 0);
    updating_ = false;
    RefreshEnabling();
}

void CPageFrame::ShowTransparentColor(const CObjFrame* frame) {
    if (!frame || !colour_)
        return;
    const KpxHandle image = static_cast<KpxHandle>(frame->GetImage());
    const bool transparent = (frame->transparency & 0x01000000u) != 0;
    const COLORREF colour =
        transparent && image ? KPXGetColorFromPalette(image, frame->transparency & 0xFF) : 0;
    colour_->SetPaletteColor(colour, static_cast<int>(frame->transparency & 0xFF));
}

void CPageFrame::RefreshLimits() {
    if (!g_pAnimationData)
        return;
    const rules::MoveLimits limits = selectionLimits();
    const bool elastic = g_pAnimationData->AnimationStateElasticSize != 0;
    left_.SetLimits(limits.minX, elastic ? kPositionMaximum : limits.maxX);
    top_.SetLimits(limits.minY, elastic ? kPositionMaximum : limits.maxY);
}

int CPageFrame::PositionLimit(bool horizontal) const {
    int minimum = 0;
    int maximum = 0;
    (horizontal ? left_ : top_).edit->GetRange(&minimum, &maximum);
    return maximum;
}

void CPageFrame::ShowPositionOfSelection() {
    RECT selection{};
    GetSelFramesBounds(selection);
    SetPosition(static_cast<int>(selection.left), static_cast<int>(selection.top));
}

void CPageFrame::SetPosition(int x, int y) {
    const rules::ChangeSourceScope source(rules::kChangeSourceUpdate);
    updating_ = true;
    left_.Show(x);
    top_.Show(y);
    updating_ = false;
}

bool CPageFrame::LockedChecked() const {
    return locked_->checkState() == Qt::Checked;
}

// ---------------------------------------------------------------- enabling

void CPageFrame::SetControlsEnabled(bool enable, int count, bool any24) {
    enabled_ = enable;
    count_ = count;
    any24_ = any24;
    RefreshEnabling();
}

void CPageFrame::EnableControls(bool enable) {
    previewing_ = !enable;
    RefreshEnabling();
}

void CPageFrame::RefreshEnabling() {
    const bool on = enabled_ && !previewing_;
    for (const NumericField* f : {&left_, &top_, &delay_})
        f->SetEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{disposal_, name_, alwaysShown_, locked_})
        w->setEnabled(on);
    mode_->setEnabled(on && !any24_);
    const int mode = mode_->currentIndex();
    const bool colour = on && count_ == 1 && mode == rules::kTransparencyColour;
    pick_->setEnabled(colour);
    colour_->setEnabled(colour);
    const bool alpha = on && count_ >= 1 && mode == rules::kTransparencyAlpha;
    alpha_.SetEnabled(alpha);
    if (QWidget* label = kit().control(kAlphaLabel))
        label->setEnabled(alpha);
}

// ---------------------------------------------------------------- edits

bool CPageFrame::editsAllowed() const {
    return !updating_ && g_pAnimationData && sheet_.Panes().Strip() &&
           sheet_.Panes().GetPaneView(1);
}

bool CPageFrame::userCommit() const {
    return editsAllowed() && rules::g_nChangeSource == rules::kChangeSourceUser;
}

void CPageFrame::redrawChanged(bool canvasOnly) {
    MainPanes& panes = sheet_.Panes();
    if (panes.Canvas())
        panes.Canvas()->RefreshCanvas();
    if (!canvasOnly && panes.Strip())
        panes.Strip()->RedrawSelectedItems();
}

void CPageFrame::onPositionCommitted(bool horizontal) {
    if (!userCommit())
        return;
    const std::vector<int> selected = GetSelFramesArray();
    TheUndoHistory().BeginStep(kUndoKindMove);
    sheet_.SetFramesProperty(selected, (horizontal ? left_ : top_).Value(), nullptr,
                             horizontal ? rules::kPropertyLeft : rules::kPropertyTop);
    sheet_.RedrawViews(1);
    sheet_.UpdateEdgeState();
    sheet_.AnimationPage().RefreshSize();
    TheUndoHistory().EndStep(0);
}

void CPageFrame::onDelayCommitted() {
    if (!userCommit())
        return;
    const std::vector<int> selected = GetSelFramesArray();
    TheUndoHistory().BeginStep(kUndoKindDelay);
    sheet_.SetFramesProperty(selected, delay_.Value(), nullptr, rules::kPropertyDelay);
    TheUndoHistory().EndStep(0);
    redrawChanged(false);
}

void CPageFrame::showAgain() {
    sheet_.UpdateFramePageFromSelection();
}

void CPageFrame::onAlphaCommitted() {
    if (!userCommit())
        return;
    const std::vector<int> selected = GetSelFramesArray();
    TheUndoHistory().BeginStep(kUndoKindAlpha);
    ConvertSelFramesTo8Bit(&g_pAnimationData->frames, selected, alpha_.Value());
    sheet_.SetFramesProperty(selected, alpha_.Value(), nullptr, rules::kPropertyAlpha);
    showAgain();
    redrawChanged(false);
    TheUndoHistory().EndStep(0);
}

void CPageFrame::onDisposalChosen(int item) {
    if (!editsAllowed())
        return;
    const std::vector<int> selected = GetSelFramesArray();
    TheUndoHistory().BeginStep(kUndoKindDisposal);
    sheet_.SetFramesProperty(selected, item, nullptr, rules::kPropertyDisposal);
    TheUndoHistory().EndStep(0);
    redrawChanged(false);
}

void CPageFrame::onModeChosen(int mode) {
    if (!editsAllowed())
        return;
    const std::vector<int> selected = GetSelFramesArray();
    TheUndoHistory().BeginStep(kUndoKindTransparency);
    sheet_.SetFramesProperty(selected, mode, nullptr, rules::kPropertyTransparency);
    if (mode == rules::kTransparencyOpaque || mode == rules::kTransparencyColour) {
        ConvertSelFramesTo8Bit(&g_pAnimationData->frames, selected, 0);
        sheet_.SetFramesProperty(selected, 0, nullptr, rules::kPropertyAlpha);
        showAgain();
    }
    MainPanes& panes = sheet_.Panes();
    if (panes.Canvas())
        panes.Canvas()->RefreshCanvas();
    if (rules::g_AppSettings.OptionsThumbDispTransp && panes.Strip())
        panes.Strip()->RedrawSelectedItems();
    RefreshEnabling();
    TheUndoHistory().EndStep(0);
}

void CPageFrame::onNameChanged() {
    if (!editsAllowed())
        return;
    if (nameStepPending_ && !nameStepOpen_) {
        TheUndoHistory().BeginStep(kUndoKindFrameName);
        nameStepOpen_ = true;
    }
    const std::string text = ToCodePage1252(name_->text());
    sheet_.SetFramesProperty(GetSelFramesArray(), 0, &text, rules::kPropertyName);
}

void CPageFrame::onFlagClicked(QCheckBox* check, int property) {
    if (!editsAllowed())
        return;
    const std::vector<int> selected = GetSelFramesArray();
    const rules::FramesSummary s = rules::SummarizeFrames(selected);
    const bool shared = property == rules::kPropertyLocked ? s.sameLocked : s.sameAlwaysShown;
    const CObjFrame* first = rules::RealFrameAt(selected.empty() ? -1 : selected.front());
    const int shown =
        first ? (property == rules::kPropertyLocked ? first->reserved2 : first->reserved1) : 0;
    const int value = rules::NextFlagValue(shared, shown);
    sheet_.SetFramesProperty(selected, value, nullptr, property);
    updating_ = true;
    showFlag(check, true, value);
    updating_ = false;
    redrawChanged(true);
}

void CPageFrame::onPickColour() {
    if (!editsAllowed())
        return;
    const int first = GetFirstSelFrameIndex();
    CObjFrame* frame = rules::RealFrameAt(first);
    if (!frame || !frame->GetImage())
        return;
    TheUndoHistory().BeginStep(kUndoKindTransparentColour);
    if (pickColour_(*frame, window())) {
        // The frame's image takes the chosen entry as its transparent colour, as the
        // transparency word now names it.
        const int one[] = {first, -1};
        sheet_.SetFramesProperty(one, rules::kTransparencyColour, nullptr,
                                 rules::kPropertyTransparency);
        ShowTransparentColor(frame);
        MainPanes& panes = sheet_.Panes();
        if (rules::g_AppSettings.OptionsThumbDispTransp && panes.Strip())
            panes.Strip()->RedrawSelectedItems();
        if (panes.Canvas())
            panes.Canvas()->RefreshCanvas();
    }
    TheUndoHistory().EndStep(0);
}

} // namespace kfm::ui
