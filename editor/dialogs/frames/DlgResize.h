#pragma once
// The resize dialog: a frame's new width and height, its proportions kept or not, and the
// resampling (or, for a vector frame, anti-aliasing of the drawing rendered again). OK makes the
// resized copy; a copy that cannot be made keeps the dialog open with a message.

#include "FrameDialogMessages.h"
#include "FrameDialogParts.h"
#include "FrameObject.h"
#include "framework/ResourceDialog.h"

#include <memory>

class QButtonGroup;
class QCheckBox;

namespace kfm::dialogs {

class ProportionalSize;

class CDlgResize : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kWidth = 10250,
        kWidthSpin = 10251,
        kHeight = 10234,
        kHeightSpin = 10235,
        kPicture = 10233,
        kProportions = 10241,
        kAntialias = 10232,
        kNearest = 10238,
        kLinear = 10242,
        kCubic = 10237,
        kArea = 10236,
    };

    // The frame is not owned and stays unchanged.
    CDlgResize(QWidget* parent, const CObjFrame& frame);
    ~CDlgResize() override;

    // The resized copy after OK (null before); the caller takes it.
    std::unique_ptr<CObjFrame> TakeResultFrame() { return std::move(result_); }
    const CObjFrame* GetResultFrame() const { return result_.get(); }
    void SetMessageSink(MessageSink sink) { message_ = std::move(sink); }

public slots:
    void accept() override;

private:
    const CObjFrame& frame_;
    NumberField width_;
    NumberField height_;
    QCheckBox* proportions_;
    QCheckBox* antialias_;
    QButtonGroup* interpolation_;
    ProportionalSize* size_;
    std::unique_ptr<CObjFrame> result_;
    MessageSink message_ = ShowWarning;
};

} // namespace kfm::dialogs
