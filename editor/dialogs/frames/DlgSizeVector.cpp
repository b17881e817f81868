#include "DlgSizeVector.h"

#include "AnimationData.h"
#include "FrameDialogRules.h"
#include "Kfm5ResourceIds.h"
#include "ProportionalSize.h"
#include "ResourceAccess.h"
#include "SmallControls.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

CDlgSizeVector::CDlgSizeVector(QWidget* parent, int left, int top, int right, int bottom,
                               const QString& text)
    : ResourceDialog(parent, kfm5res::IDD_SIZE_VECTOR, kfm::ui::GetResourceHandle(),
                     "Dlgs\\SizeVector") {
    width_ = AddNumberField(kit(), kWidth, kWidthSpin, kMinSide, kMaxSide, 4);
    height_ = AddNumberField(kit(), kHeight, kHeightSpin, kMinSide, kMaxSide, 4);
    proportions_ = AddCheck(kit(), kProportions);
    antialias_ = AddCheck(kit(), kAntialias);
    auto* caption = kit().add(kText, new QLabel(text, this));
    caption->setWordWrap(true);
    auto* picture = kit().add(kPicture, ProportionsPicture(this));

    auto* fields = new QFormLayout;
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_WIDTH, width_.edit), width_.row);
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_HEIGHT, height_.edit), height_.row);
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(caption);
    rows->addLayout(fields);
    rows->addWidget(picture);
    rows->addWidget(proportions_);
    rows->addWidget(antialias_);
    AddOkCancel(*this, rows);

    const int animationWidth = g_pAnimationData ? g_pAnimationData->AnimationWidth : 0;
    const int animationHeight = g_pAnimationData ? g_pAnimationData->AnimationHeight : 0;
    // A drawing with an empty box takes the proportions of the animation (or a square).
    const double ratio = AspectRatio(right - left, bottom - top, animationWidth, animationHeight);
    width_.Show(kit().readInt("Width", std::max(animationWidth, kMinSide), kMinSide, kMaxSide));
    height_.Show(kit().readInt("Height", std::max(animationHeight, kMinSide), kMinSide, kMaxSide));
    proportions_->setChecked(kit().readInt("Proportions", 1, 0, 1) != 0);
    antialias_->setChecked(kit().readInt("Antialising", 1, 0, 1) != 0);
    size_ = new ProportionalSize(this, width_, height_, proportions_, picture, ratio);
    size_->ShowPicture();
    size_->FollowWidth();
}

int CDlgSizeVector::GetAntialiasing() const {
    return antialias_->isChecked() ? 1 : 0;
}

void CDlgSizeVector::accept() {
    const int width = width_.Value();
    const int height = height_.Value();
    result_ = RECT{0, 0, width - 1, height - 1};
    kit().writeInt("Width", width);
    kit().writeInt("Height", height);
    kit().writeInt("Proportions", proportions_->isChecked());
    kit().writeInt("Antialising", antialias_->isChecked());
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
