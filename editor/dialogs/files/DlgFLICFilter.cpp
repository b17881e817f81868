#include "DlgFLICFilter.h"

#include "FlicPreview.h"
#include "Kfm5ResourceIds.h"

namespace kfm::dialogs {

const ClipDialogIds CDlgFLICFilter::kIds{
    .start = kStart,
    .startSpin = kStartSpin,
    .count = kCount,
    .countSpin = kCountSpin,
    .divisor = kDivisor,
    .divisorSpin = kDivisorSpin,
    .slider = kSlider,
    .position = kPosition,
    .positionTime = kPositionTime,
    .rangeStartTime = kRangeStartTime,
    .rangeLength = kRangeLength,
    .clipFrames = kClipFrames,
    .clipLength = kClipLength,
    .limitText = kLimitText,
    .previewHost = kPreviewHost,
    .rangeStartLabel = kRangeStartLabel,
    .rangeCountLabel = kRangeCountLabel,
    .sound = 0,
    .merge = kMerge,
    .allFrames = kAllFrames,
    .loop = kLoop,
    .loopIsButton = false,
    .play = kPlay,
    .stop = kStop,
    .toStart = kToStart,
    .previous = kPrevious,
    .next = kNext,
    .toEnd = kToEnd,
    .playRange = kPlayRange,
    .setRangeStart = kSetRangeStart,
    .setRangeEnd = kSetRangeEnd,
};

CDlgFLICFilter::CDlgFLICFilter(QWidget* parent, FlicPreview* preview, const QString& path,
                               int limit, const ClipChoiceValues& values)
    : ClipFilterDialog(parent, kfm5res::IDD_FLIC_FILTER, kIds, preview, path, limit, values) {}

} // namespace kfm::dialogs
