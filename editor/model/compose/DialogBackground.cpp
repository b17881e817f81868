#include "DialogBackground.h"

#include "AnimationData.h"
#include "PaletteRender.h"

KpxHandle CreateObjectDialogBackground(int renderFrames, const RECT& selection, RECT& rect) {
    rect = RECT{0, 0, 0, 0};
    if (!g_pAnimationData)
        return 0;
    CAnimationData& animation = *g_pAnimationData;
    if (renderFrames && animation.RealFrameCount() > 0) {
        const int upTo = GetLastSelFrameIndex() - 1;
        if (upTo >= 0) {
            if (const auto rendered =
                    static_cast<KpxHandle>(CreateRenderedPreviewImage(&animation.frames, upTo))) {
                GetFramesRect(animation.frames, upTo, rect);
                return rendered;
            }
        }
    }
    if (selection.right <= selection.left || selection.bottom <= selection.top)
        return 0;
    const KpxHandle composite = CreatePreviewImage(
        selection.left, selection.top, selection.right - 1, selection.bottom - 1, 0, 0, 0);
    if (composite)
        rect = selection;
    return composite;
}
