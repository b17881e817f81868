#include "FrameCommands.h"

#include "AnimationData.h"
#include "DlgPaletteImage.h"
#include "FrameTransforms.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "PaletteChange.h"
#include "UndoHistory.h"

namespace kfm::ui {

using namespace kfm5res;

void FrameCommands::RouteCommands(CommandRouter& router) {
    routeWaiting(router, {ID_FRAME_NEW, ID_FRAME_NEW_TEXT, ID_FRAME_ROTATE, ID_FRAME_RESIZE,
                          ID_FRAME_ADJUST_DELAYS, ID_FRAME_TWEEN});
    route(router, {ID_FRAME_MIRROR_HORIZONTAL}, [this](UINT) { mirror(1); });
    route(router, {ID_FRAME_MIRROR_VERTICAL}, [this](UINT) { mirror(2); });
    route(router, {ID_FRAME_PALETTE}, [this](UINT) { palette(); });
}

void FrameCommands::mirror(int flags) {
    if (g_pAnimationData && MirrorCurrentFrameStep(flags))
        RefreshAfterEdit(kRepaintStrip | kCanvas | kAnimationPage);
}

void FrameCommands::palette() {
    CObjFrame* current = g_pAnimationData ? GetCurrentFrame() : nullptr;
    if (!current || !current->GetImage())
        return;
    // The dialog edits a copy; the change is carried to the frames afterwards.
    CObjFrame copy(*current);
    kfm::dialogs::CDlgPaletteImage dialog(&frame_, &copy,
                                          kfm::dialogs::CDlgPaletteImage::kModePaletteColour);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindPalette);
    ApplyPaletteChange(static_cast<KpxHandle>(current->GetImage()),
                       static_cast<KpxHandle>(copy.GetImage()), dialog.GetApplyMethod(),
                       dialog.GetApplySelection() == 0);
    if (undo.EndStep(0))
        RefreshAfterEdit(kRebuildStrip | kCanvas | kFramePage);
}

} // namespace kfm::ui
