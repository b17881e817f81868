#include "ArrangeCommands.h"

#include "AnimationData.h"
#include "FrameAlignment.h"
#include "FrameOrder.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "views/AnimationView.h"
#include "views/MainPanes.h"

#include <algorithm>

namespace kfm::ui {

using namespace kfm5res;

int AlignModeForCommand(UINT id) {
    switch (id) {
    case ID_ALIGN_LEFT:
        return 1;
    case ID_ALIGN_TOP:
        return 2;
    case ID_ALIGN_RIGHT:
        return 3;
    case ID_ALIGN_BOTTOM:
        return 4;
    case ID_ALIGN_CENTRE_HORIZONTAL:
        return 5;
    case ID_ALIGN_CENTRE_VERTICAL:
        return 6;
    case ID_ALIGN_SPACE_ACROSS:
        return 7;
    case ID_ALIGN_SPACE_DOWN:
        return 8;
    default:
        return 0;
    }
}

void ArrangeCommands::RouteCommands(CommandRouter& router) {
    routeRange(router, ID_ALIGN_BOTTOM, ID_ALIGN_SPACE_DOWN, [this](UINT id) { align(id); });
    route(router, {ID_FRAME_MOVE_EARLIER}, [this](UINT) { move(true); });
    route(router, {ID_FRAME_MOVE_LATER}, [this](UINT) { move(false); });
    route(router, {ID_FRAME_DUPLICATE}, [this](UINT) { duplicate(); });
}

void ArrangeCommands::align(UINT id) {
    const int mode = AlignModeForCommand(id);
    if (!mode || !g_pAnimationData)
        return;
    switch (AlignFramesStep(mode)) {
    case AlignOutcome::NothingMoved:
        return;
    case AlignOutcome::Aligned:
        RefreshAfterEdit(kRepaintStrip | kCanvas | kAnimationPage | kFramePageCommon);
        return;
    case AlignOutcome::Undone:
        RefreshAfterEdit(kRepaintStrip | kCanvas | kFramePageCommon);
        return;
    }
}

void ArrangeCommands::move(bool earlier) {
    if (!g_pAnimationData)
        return;
    const int first = GetFirstSelFrameIndex();
    if (!MoveSelectedFramesStep(earlier))
        return;
    RefreshAfterEdit(kRebuildStrip | kCanvas | kFramePage);
    // The strip shows where the selection went.
    const int shown = earlier ? std::max(first - 1, 0) : GetLastSelFrameIndex();
    if (CAnimationView* strip = frame_.Panes().Strip())
        strip->EnsureItemVisible(shown, 0);
}

void ArrangeCommands::duplicate() {
    if (!g_pAnimationData || !CopyFramesListStep())
        return;
    RefreshAfterEdit(kRebuildStrip | kCanvas | kFramePage | kAnimationPage | kOptimiserControls);
    if (CAnimationView* strip = frame_.Panes().Strip())
        strip->EnsureItemVisible(GetCurrentFrameIndex(), 0);
}

} // namespace kfm::ui
