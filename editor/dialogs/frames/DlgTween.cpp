#include "DlgTween.h"

#include "AnimationData.h"
#include "Kfm5ResourceIds.h"
#include "ProgramState.h"
#include "ResourceAccess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

using kfm::model::TweenOutcome;
using kfm::model::TweenPlacement;

namespace {

constexpr int kMaxNewFrames = 999;
constexpr int kMaxDelay = 32000;

int realFrameCount() {
    return g_pAnimationData ? std::max(g_pAnimationData->RealFrameCount(), 1) : 1;
}

} // namespace

CDlgTween::CDlgTween(QWidget* parent, int first, int second)
    : ResourceDialog(parent, kfm5res::IDD_TWEEN, kfm::ui::GetResourceHandle(), "Dlgs\\Tween") {
    const int frames = realFrameCount();
    first_ = AddNumberField(kit(), kFirst, kFirstSpin, 1, frames, 3);
    second_ = AddNumberField(kit(), kSecond, kSecondSpin, 1, frames, 3);
    count_ = AddNumberField(kit(), kCount, kCountSpin, 1, kMaxNewFrames, 3);
    delay_ = AddNumberField(kit(), kDelay, kDelaySpin, 0, kMaxDelay, 5);
    pictures_ = kit().add(kPictures, new QComboBox(this));
    for (const UINT text : {kfm5res::IDS_TWEEN_PICTURES_BOTH, kfm5res::IDS_TWEEN_PICTURES_FIRST,
                            kfm5res::IDS_TWEEN_PICTURES_SECOND})
        pictures_->addItem(kit().text(text));
    position_ = AddCheck(kit(), kPosition);
    transparency_ = AddCheck(kit(), kTransparency);
    insert_ = AddRadio(kit(), kInsert);
    updateBetween_ = AddRadio(kit(), kUpdateBetween);
    updateSelected_ = AddRadio(kit(), kUpdateSelected);

    auto* fields = new QFormLayout;
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_TWEEN_FIRST, first_.edit), first_.row);
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_TWEEN_SECOND, second_.edit), second_.row);
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_TWEEN_COUNT, count_.edit), count_.row);
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_TWEEN_DELAY, delay_.edit), delay_.row);
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_TWEEN_PICTURES, pictures_), pictures_);
    auto* placement = new QGroupBox(this);
    auto* placementRows = new QVBoxLayout(placement);
    placementRows->addWidget(insert_);
    placementRows->addWidget(updateBetween_);
    placementRows->addWidget(updateSelected_);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(fields);
    rows->addWidget(transparency_);
    rows->addWidget(position_);
    rows->addWidget(placement);
    AddOkCancel(*this, rows);

    first_.Show(std::clamp(first, 1, frames));
    second_.Show(std::clamp(second, 1, frames));
    readSettings();
    enableByTransparency();
    connect(transparency_, &QCheckBox::toggled, this, &CDlgTween::enableByTransparency);
}

void CDlgTween::readSettings() {
    count_.Show(kit().readInt("NumFrames", 5, 1, kMaxNewFrames));
    delay_.Show(kit().readInt("Delay", 50, 0, kMaxDelay));
    pictures_->setCurrentIndex(kit().readInt("FramesToTween", 0, 0, 2));
    position_->setChecked(kit().readInt("Position", 0, 0, 1) != 0);
    transparency_->setChecked(kit().readInt("Transparency", 1, 0, 1) != 0);
    if (kit().readInt("UpdateIntermedFrames", 0, 0, 1))
        updateBetween_->setChecked(true);
    else if (kit().readInt("UpdateSelFrames", 0, 0, 1))
        updateSelected_->setChecked(true);
    else
        insert_->setChecked(true);
}

void CDlgTween::writeSettings() const {
    kit().writeInt("NumFrames", count_.Value());
    kit().writeInt("Delay", delay_.Value());
    kit().writeInt("FramesToTween", pictures_->currentIndex());
    kit().writeInt("Position", position_->isChecked());
    kit().writeInt("Transparency", transparency_->isChecked());
    kit().writeInt("InsertFrames", insert_->isChecked());
    kit().writeInt("UpdateIntermedFrames", updateBetween_->isChecked());
    kit().writeInt("UpdateSelFrames", updateSelected_->isChecked());
}

void CDlgTween::enableByTransparency() {
    const bool on = transparency_->isChecked();
    position_->setEnabled(on);
    if (QWidget* ok = kit().control(IDOK))
        ok->setEnabled(on);
}

TweenPlacement CDlgTween::placement() const {
    if (updateBetween_->isChecked())
        return TweenPlacement::UpdateBetween;
    if (updateSelected_->isChecked())
        return TweenPlacement::UpdateSelected;
    return TweenPlacement::InsertAfterFirst;
}

kfm::model::TweenRequest CDlgTween::Request() const {
    kfm::model::TweenRequest request;
    request.first = first_.Value() - 1;
    request.second = second_.Value() - 1;
    request.count = count_.Value();
    request.delay = delay_.Value();
    request.pictures =
        static_cast<kfm::model::TweenPictures>(std::max(pictures_->currentIndex(), 0));
    request.travel = position_->isChecked();
    request.placement = placement();
    request.background = g_Settings.animBkColor;
    return request;
}

void CDlgTween::accept() {
    if (!g_pAnimationData || !transparency_->isChecked())
        return;
    switch (kfm::model::TweenFrames(g_pAnimationData->frames, Request())) {
    case TweenOutcome::Done:
        ResourceDialog::accept();
        return;
    case TweenOutcome::Cancelled:
        ResourceDialog::reject();
        return;
    case TweenOutcome::SecondNotAfterFirst:
        message_(this, kit().text(kfm5res::IDS_TWEEN_ORDER));
        return;
    case TweenOutcome::NothingBetween:
        message_(this, kit().text(kfm5res::IDS_TWEEN_NOTHING_BETWEEN));
        return;
    case TweenOutcome::NothingSelected:
        message_(this, kit().text(kfm5res::IDS_TWEEN_NOTHING_SELECTED));
        return;
    case TweenOutcome::Failed:
        message_(this, kit().text(kfm5res::IDS_EMPTY_RESULT));
        return;
    }
}

void CDlgTween::done(int result) {
    if (!settingsWritten_) {
        writeSettings();
        settingsWritten_ = true;
    }
    ResourceDialog::done(result);
}

} // namespace kfm::dialogs
