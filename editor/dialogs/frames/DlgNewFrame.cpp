#include "DlgNewFrame.h"

#include "AnimationData.h"
#include "FrameDialogRules.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "SmallControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

using kfm::ui::CColorButton;

namespace {

int animationSide(bool width) {
    if (!g_pAnimationData)
        return kMinSide;
    return std::clamp(width ? g_pAnimationData->AnimationWidth : g_pAnimationData->AnimationHeight,
                      kMinSide, kMaxSide);
}

NewFrameValues held(NewFrameValues v) {
    v.width = std::clamp(v.width, kMinSide, kMaxSide);
    v.height = std::clamp(v.height, kMinSide, kMaxSide);
    v.index = std::clamp(v.index, 0, 255);
    return v;
}

} // namespace

CDlgNewFrame::CDlgNewFrame(QWidget* parent, const NewFrameValues& caller,
                           const NewFrameValues& custom, int source)
    : ResourceDialog(parent, kfm5res::IDD_NEW_FRAME, kfm::ui::GetResourceHandle()), caller_(caller),
      custom_(held(custom)), source_(source >= kCustom && source <= kAnimation ? source : kCustom),
      colourImage_(CreateFinePaletteImage()) {
    if (caller_.width < 1)
        caller_.width = animationSide(true);
    if (caller_.height < 1)
        caller_.height = animationSide(false);
    caller_ = held(caller_);

    sources_ = kit().add(kSource, new QComboBox(this));
    for (const UINT text :
         {kfm5res::IDS_NEW_FRAME_SOURCE_CUSTOM, kfm5res::IDS_NEW_FRAME_SOURCE_CALLER,
          kfm5res::IDS_NEW_FRAME_SOURCE_ANIMATION})
        sources_->addItem(kit().text(text));
    width_ = AddNumberField(kit(), kWidth, kWidthSpin, kMinSide, kMaxSide, 5);
    height_ = AddNumberField(kit(), kHeight, kHeightSpin, kMinSide, kMaxSide, 5);
    colour_ = kit().add(kColour, new CColorButton(this));
    colour_->EnableToolTip(true);
    transparent_ = AddCheck(kit(), kTransparent);

    auto* fields = new QFormLayout;
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_NEW_FRAME_SOURCE, sources_), sources_);
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_WIDTH, width_.edit), width_.row);
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_HEIGHT, height_.edit), height_.row);
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_NEW_FRAME_COLOUR, colour_), colour_);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(fields);
    rows->addWidget(transparent_);
    AddOkCancel(*this, rows);

    sources_->setCurrentIndex(source_);
    setColour(caller_.colour, caller_.index);
    sourceChanged(source_);
    connect(sources_, &QComboBox::currentIndexChanged, this, &CDlgNewFrame::sourceChanged);
    connect(colour_, &CColorButton::clicked, this, &CDlgNewFrame::chooseColour);
}

NewFrameValues CDlgNewFrame::shown() const {
    NewFrameValues v;
    v.width = width_.Value();
    v.height = height_.Value();
    v.colour = colour_->GetColor();
    v.index = colour_->GetPaletteIndex();
    v.transparent = transparent_->isChecked();
    return v;
}

void CDlgNewFrame::show(const NewFrameValues& values, bool withColour) {
    width_.Show(values.width);
    height_.Show(values.height);
    if (withColour) {
        setColour(values.colour, values.index);
        transparent_->setChecked(values.transparent);
    }
}

void CDlgNewFrame::setColour(COLORREF colour, int index) {
    index = std::clamp(index, 0, 255);
    SetFinePaletteEntry(colourImage_.get(), colour, index);
    colour_->SetPaletteColor(colour, index);
}

void CDlgNewFrame::sourceChanged(int source) {
    // The user's own values are kept when they leave them, never overwritten by the others.
    if (source_ == kCustom && source != kCustom)
        custom_ = shown();
    source_ = source;
    switch (source) {
    case kCaller:
        show(caller_, true);
        break;
    case kAnimation:
        show(NewFrameValues{animationSide(true), animationSide(false)}, false);
        break;
    default:
        show(custom_, true);
        break;
    }
}

void CDlgNewFrame::chooseColour() {
    const int chosen = chooser_(this, colourImage_.get(), colour_->GetPaletteIndex());
    if (chosen < 0 || chosen > 255)
        return;
    setColour(KPXGetColorFromPalette(colourImage_.get(), chosen), chosen);
}

void CDlgNewFrame::accept() {
    result_ = shown();
    resultSource_ = sources_->currentIndex();
    if (resultSource_ == kCustom)
        custom_ = result_;
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
