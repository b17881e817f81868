#pragma once
// The rotate dialog: a frame turned by 90 or 180 degrees or any angle, either way, with a choice
// of resampling, shown live over the animation in the preview. It works on a copy of the frame;
// a rotation that gives no picture keeps the dialog open with a message.

#include "FrameDialogMessages.h"
#include "FrameDialogParts.h"
#include "FrameObject.h"
#include "ImageEditWnd.h"
#include "ImageUtilities.h"
#include "framework/ResourceDialog.h"

#include <memory>

class QCheckBox;
class QRadioButton;
class QToolButton;

namespace kfm::dialogs {

// The rotate dialog's preview: the image edit window as it is.
class CRotatePreviewWnd : public kfm::ui::CImageEditWnd {
public:
    using kfm::ui::CImageEditWnd::CImageEditWnd;
};

class CDlgRotate : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kClockwise = 10265,
        kCounterClockwise = 10262,
        k90 = 10254,
        k180 = 10253,
        kFreeAngle = 10263,
        kAngle = 10255,
        kAngleSpin = 10256,
        kFast = 10260,
        kSmooth = 10259,
        kBest = 10258,
        kAntialias = 10261,
        kPreviewFrame = 10257,
        kPreview = 10264,
    };

    // background (not owned; 0: a blank one of the animation's size) lies at rect on the
    // animation's screen (right and bottom exclusive). The frame is not changed.
    CDlgRotate(QWidget* parent, KpxHandle background, const RECT& rect, const CObjFrame& frame);
    ~CDlgRotate() override;

    // After OK: the signed angle (negative counter-clockwise) and the rotated copy.
    int GetAngle() const { return resultAngle_; }
    int Resampling() const { return resampling_; }
    std::unique_ptr<CObjFrame> TakeResultFrame() { return std::move(result_); }
    const CObjFrame* WorkingFrame() const { return working_.get(); }
    CRotatePreviewWnd* Preview() const { return preview_; }
    void SetMessageSink(MessageSink sink) { message_ = std::move(sink); }

public slots:
    void accept() override;

private:
    int signedAngle() const;
    void setQuarter(int degrees);
    void resamplingChosen();
    void enableControls();
    void updatePreview();

    const CObjFrame& source_;
    ScopedImage ownBackground_;
    KpxHandle background_;
    RECT backgroundRect_;
    std::unique_ptr<CObjFrame> working_;
    std::unique_ptr<CObjFrame> result_;
    int resampling_ = 0;
    int resultAngle_ = 0;
    QToolButton* clockwise_;
    QToolButton* counterClockwise_;
    QCheckBox* freeAngle_;
    NumberField angle_;
    QRadioButton* fast_;
    QRadioButton* smooth_;
    QRadioButton* best_;
    QCheckBox* antialias_;
    CRotatePreviewWnd* preview_;
    MessageSink message_ = ShowWarning;
};

} // namespace kfm::dialogs
