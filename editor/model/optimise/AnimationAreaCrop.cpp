#include "AnimationAreaCrop.h"

#include "Bitra5.h"
#include "Kfm5ResourceIds.h"
#include "ShellServices.h"
#include "UndoHistory.h"

#include <algorithm>

namespace {

constexpr UINT kMessageDefaultSecondButton = 0x100;
constexpr int kNoFrameOutside = 6;

bool isSourceFrame(const CObjFrame& f) {
    return f.hasText || f.hasVector || f.hasControl;
}

bool sticksOut(const CObjFrame& f) {
    const CAnimationData& a = *g_pAnimationData;
    return f.left < 0 || f.top < 0 || f.left + f.width > a.AnimationWidth ||
           f.top + f.height > a.AnimationHeight || f.left > a.AnimationWidth;
}

// The inclusive intersection of the frame with the animation area, in screen coordinates;
// right < left or bottom < top when they do not meet.
RECT visiblePart(const CObjFrame& f) {
    const CAnimationData& a = *g_pAnimationData;
    return RECT{std::max(f.left, 0), std::max(f.top, 0),
                std::min(f.left + f.width - 1, a.AnimationWidth - 1),
                std::min(f.top + f.height - 1, a.AnimationHeight - 1)};
}

// Replaces the frame's images by their part inside the animation area; false when none is left.
bool cropFrame(CObjFrame& f) {
    const RECT r = visiblePart(f);
    if (r.right < r.left || r.bottom < r.top)
        return false;
    const RECT crop{r.left - f.left, r.top - f.top, r.right - f.left, r.bottom - f.top};
    const auto image = static_cast<KpxHandle>(f.GetImage());
    const KpxHandle cropped =
        KPXCropImageEx(image, crop.left, crop.top, crop.right, crop.bottom, 1);
    if (!cropped)
        return false;
    if (const auto mask = static_cast<KpxHandle>(f.GetMaskImage())) {
        const KpxHandle croppedMask =
            KPXCropImageEx(mask, crop.left, crop.top, crop.right, crop.bottom, 0);
        KPXDeleteImage(
            static_cast<KpxHandle>(f.SetMaskImage(static_cast<std::uint16_t>(croppedMask))));
    }
    KPXDeleteImage(static_cast<KpxHandle>(f.SetImage(static_cast<std::uint16_t>(cropped))));
    f.left = r.left;
    f.top = r.top;
    f.width = KPXWidth(cropped);
    f.height = KPXHeight(cropped);
    return true;
}

} // namespace

int IsFrameOutsideAnimation(const CObjFrame& f, int textFlag, int vectorFlag) {
    if (f.hasText != textFlag && f.hasVector != vectorFlag)
        return 0;
    return sticksOut(f) ? 1 : 0;
}

int CheckFramesInsideAnimation() {
    const FrameList& list = g_pAnimationData->frames;
    const bool anyOutside = std::any_of(list.begin(), list.end(), [](const CObjFrame& f) {
        return !isSourceFrame(f) && sticksOut(f);
    });
    if (!anyOutside)
        return kNoFrameOutside;
    const int answer =
        ShellMessageBox(kfm5res::IDS_QUESTION_CROP, MB_OKCANCEL_ | kMessageDefaultSecondButton);
    if (answer != IDOK)
        return IDCANCEL;
    CUndoHistory& history = TheUndoHistory();
    history.BeginStep(kUndoKindCrop);
    CropFramesToAnimation();
    history.EndStep(0);
    shell().refreshViews(TRUE, TRUE);
    return IDOK;
}

void CropFramesToAnimation() {
    CAnimationData& a = *g_pAnimationData;
    for (auto it = a.frames.begin(); it != a.frames.end();) {
        CObjFrame& f = *it;
        if (isSourceFrame(f) || !sticksOut(f) || !f.GetImage() || cropFrame(f)) {
            ++it;
            continue;
        }
        it = a.frames.erase(it);
        --a.frameCount;
    }
}
