#include "DlgResize.h"

#include "FrameDialogRules.h"
#include "FrameResize.h"
#include "Kfm5ResourceIds.h"
#include "ProportionalSize.h"
#include "ResourceAccess.h"
#include "SmallControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kfm::dialogs {

CDlgResize::CDlgResize(QWidget* parent, const CObjFrame& frame)
    : ResourceDialog(parent, kfm5res::IDD_RESIZE, kfm::ui::GetResourceHandle(), "Dlgs\\Resize"),
      frame_(frame) {
    width_ = AddNumberField(kit(), kWidth, kWidthSpin, kMinSide, kMaxSide, 4);
    height_ = AddNumberField(kit(), kHeight, kHeightSpin, kMinSide, kMaxSide, 4);
    proportions_ = AddCheck(kit(), kProportions);
    antialias_ = AddCheck(kit(), kAntialias);
    auto* picture = kit().add(kPicture, ProportionsPicture(this));
    interpolation_ = new QButtonGroup(this);
    auto* resampling = new QGroupBox(kit().text(kfm5res::IDS_LABEL_INTERPOLATION), this);
    auto* resamplingRows = new QVBoxLayout(resampling);
    int index = 0;
    for (const int id : {kNearest, kLinear, kCubic, kArea}) {
        QRadioButton* radio = AddRadio(kit(), id);
        interpolation_->addButton(radio, index++);
        resamplingRows->addWidget(radio);
    }

    auto* fields = new QFormLayout;
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_WIDTH, width_.edit), width_.row);
    fields->addRow(AddLabel(kit(), kfm5res::IDS_LABEL_HEIGHT, height_.edit), height_.row);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(fields);
    rows->addWidget(picture);
    rows->addWidget(proportions_);
    rows->addWidget(antialias_);
    rows->addWidget(resampling);
    AddOkCancel(*this, rows);

    const bool vector = frame_.hasVector != 0;
    // A vector frame keeps its drawing's proportions; a damaged record with an empty size takes
    // the frame's own.
    const double ratio =
        vector ? AspectRatio(frame_.vector.width, frame_.vector.height, frame_.width, frame_.height)
               : AspectRatio(frame_.width, frame_.height, 1, 1);
    proportions_->setChecked(kit().readInt("Proportions", 1, 0, 1) != 0);
    antialias_->setChecked(kit().readInt("Antialising", 1, 0, 1) != 0);
    const int chosen = kit().readInt("Interpolation", 0, 0, 3);
    if (QAbstractButton* radio = interpolation_->button(chosen))
        radio->setChecked(true);
    width_.Show(std::clamp(frame_.width, kMinSide, kMaxSide));
    height_.Show(std::clamp(frame_.height, kMinSide, kMaxSide));
    size_ = new ProportionalSize(this, width_, height_, proportions_, picture, ratio);
    size_->ShowPicture();
    size_->FollowWidth();
    antialias_->setEnabled(vector);
    resampling->setEnabled(!vector);
    for (QAbstractButton* radio : interpolation_->buttons())
        radio->setEnabled(!vector);
}

CDlgResize::~CDlgResize() = default;

void CDlgResize::accept() {
    kit().writeInt("Proportions", proportions_->isChecked());
    kit().writeInt("Antialising", antialias_->isChecked());
    kit().writeInt("Interpolation", std::max(interpolation_->checkedId(), 0));
    auto made = std::make_unique<CObjFrame>();
    if (!kfm::model::FrameResizeCopy(frame_, width_.Value(), height_.Value(),
                                     std::max(interpolation_->checkedId(), 0),
                                     antialias_->isChecked(), *made)) {
        message_(this, kit().text(kfm5res::IDS_EMPTY_RESULT));
        return;
    }
    result_ = std::move(made);
    ResourceDialog::accept();
}

} // namespace kfm::dialogs
