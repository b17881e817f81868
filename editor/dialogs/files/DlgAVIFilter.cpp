#include "DlgAVIFilter.h"

#include "Kfm5ResourceIds.h"
#include "VideoPreview.h"

namespace kfm::dialogs {

const ClipDialogIds CDlgAVIFilter::kIds{
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
    .sound = kSound,
    .merge = kMerge,
    .allFrames = kAllFrames,
    .loop = kLoop,
    .loopIsButton = true,
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

CDlgAVIFilter::CDlgAVIFilter(QWidget* parent, VideoPreview* preview, const QString& path, int limit,
                             const ClipChoiceValues& values)
    : ClipFilterDialog(parent, kfm5res::IDD_AVI_FILTER, kIds, preview, path, limit, values) {}

} // namespace kfm::dialogs
