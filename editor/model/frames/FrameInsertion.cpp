#include "FrameInsertion.h"

#include "ShellServices.h"

#include <iterator>

int InsertFramesAfterCurrent(FrameList& incoming) {
    if (!g_pAnimationData || incoming.empty())
        return 0;
    CAnimationData& animation = *g_pAnimationData;
    if (animation.frames.empty())
        animation.ResetFrames();
    // After the current frame; before the placeholder when it is current or nothing is.
    const auto current = GetCurrentFrameNode();
    const auto placeholder = std::prev(animation.frames.end());
    const auto place = current == animation.frames.end() || current == placeholder
                           ? placeholder
                           : std::next(current);
    const int count = static_cast<int>(incoming.size());
    SelectIncomingFrames(incoming);
    animation.frames.splice(place, incoming);
    DeleteEmptyFrames();
    animation.UpdateFrameCount();
    shell().refreshStripView();
    shell().redrawViews(1, 1);
    shell().updateAnimationPage();
    shell().updateOptimizeState();
    return count;
}
