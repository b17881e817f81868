#pragma once
// The AVI import dialog (template 10596): the clip plays in its preview while the user chooses
// the frames to import, a divisor, and the sound, merge and loop options.

#include "ClipFilterDialog.h"

namespace kfm::dialogs {

class VideoPreview;

class CDlgAVIFilter final : public ClipFilterDialog {
    Q_OBJECT
public:
    enum Control : int {
        kToEnd = 10021,
        kSetRangeEnd = 10022,
        kDivisor = 10023,
        kDivisorSpin = 10024,
        kLimitText = 10025,
        kClipLength = 10026,
        kRangeLength = 10027,
        kSound = 10028,
        kMerge = 10029,
        kNext = 10030,
        kClipFrames = 10031,
        kCount = 10032,
        kCountSpin = 10033,
        kPlay = 10034,
        kPlayRange = 10035,
        kPosition = 10036,
        kStart = 10037,
        kStartSpin = 10038,
        kSlider = 10039,
        kPrevious = 10040,
        kPreviewHost = 10041,
        kAllFrames = 10042,
        kLoop = 10043,
        kToStart = 10044,
        kSetRangeStart = 10045,
        kStop = 10046,
        kRangeStartLabel = 10047,
        kRangeCountLabel = 10048,
        kRangeStartTime = 10049,
        kPositionTime = 10050,
    };
    static const ClipDialogIds kIds;

    // preview holds the opened clip; the dialog takes it over.
    CDlgAVIFilter(QWidget* parent, VideoPreview* preview, const QString& path, int limit,
                  const ClipChoiceValues& values);
};

} // namespace kfm::dialogs
