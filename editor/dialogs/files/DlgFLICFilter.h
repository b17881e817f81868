#pragma once
// The FLIC import dialog (template 10600): the AVI dialog's twin over a FLI or FLC file, without
// sound; its loop option is a check that makes the preview play endlessly.

#include "ClipFilterDialog.h"

namespace kfm::dialogs {

class FlicPreview;

class CDlgFLICFilter final : public ClipFilterDialog {
    Q_OBJECT
public:
    enum Control : int {
        kToEnd = 10073,
        kSetRangeEnd = 10074,
        kDivisor = 10075,
        kDivisorSpin = 10076,
        kRangeStartTime = 10077,
        kPositionTime = 10078,
        kRangeLength = 10079,
        kLoop = 10080,
        kMerge = 10081,
        kNext = 10082,
        kClipFrames = 10083,
        kCount = 10084,
        kCountSpin = 10085,
        kPlay = 10086,
        kPlayRange = 10087,
        kPosition = 10088,
        kStart = 10089,
        kStartSpin = 10090,
        kSlider = 10091,
        kPrevious = 10092,
        kClipLength = 10093,
        kAllFrames = 10094,
        kLimitText = 10095,
        kToStart = 10096,
        kSetRangeStart = 10097,
        kStop = 10098,
        kPreviewHost = 10099,
        kRangeStartLabel = 10100,
        kRangeCountLabel = 10101,
    };
    static const ClipDialogIds kIds;

    // preview holds the opened file; the dialog takes it over.
    CDlgFLICFilter(QWidget* parent, FlicPreview* preview, const QString& path, int limit,
                   const ClipChoiceValues& values);
};

} // namespace kfm::dialogs
