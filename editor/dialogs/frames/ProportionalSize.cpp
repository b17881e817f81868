#include "ProportionalSize.h"

#include "FrameDialogRules.h"

#include <QCheckBox>

namespace kfm::dialogs {

ProportionalSize::ProportionalSize(QObject* parent, NumberField width, NumberField height,
                                   QCheckBox* keep, QWidget* picture, double ratio)
    : QObject(parent), width_(width), height_(height), keep_(keep), picture_(picture),
      ratio_(ratio > 0 ? ratio : 1.0) {
    connect(width_.edit, &kfm::ui::CNumEdit::committed, this, &ProportionalSize::widthCommitted);
    connect(height_.edit, &kfm::ui::CNumEdit::committed, this, &ProportionalSize::heightCommitted);
    connect(keep_, &QCheckBox::toggled, this, [this] {
        ShowPicture();
        FollowWidth();
    });
}

void ProportionalSize::FollowWidth() {
    if (keep_->isChecked())
        height_.Show(HeightForWidth(width_.Value(), ratio_));
}

void ProportionalSize::ShowPicture() {
    if (picture_)
        picture_->setVisible(keep_->isChecked());
}

void ProportionalSize::widthCommitted() {
    FollowWidth();
}

void ProportionalSize::heightCommitted() {
    if (keep_->isChecked())
        width_.Show(WidthForHeight(height_.Value(), ratio_));
}

} // namespace kfm::dialogs
