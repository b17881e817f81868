#include "OptimizeCommands.h"

#include "AnimationData.h"
#include "FrameTransforms.h"
#include "Kfm5ResourceIds.h"
#include "Optimizer.h"
#include "PaletteRender.h"
#include "ShellServices.h"
#include "UndoHistory.h"

namespace kfm::ui {

using namespace kfm5res;

namespace {

// The common values of several selected frames, or the one selected frame.
constexpr unsigned kFramesShown =
    CommandHandler::kFramePageCommon | CommandHandler::kCanvas | CommandHandler::kRebuildStrip;

} // namespace

void OptimizeCommands::RouteCommands(CommandRouter& router) {
    route(router, {ID_FRAME_CROP}, [this](UINT) { crop(); });
    route(router, {ID_FRAME_OBJECTS_TO_IMAGES}, [this](UINT) { objectsToImages(); });
    route(router, {ID_FRAME_MERGE}, [this](UINT) { merge(); });
    route(router, {ID_FRAME_RENDER_STATES}, [this](UINT) { renderStates(); });
}

void OptimizeCommands::crop() {
    if (!g_pAnimationData)
        return;
    WaitCursor wait;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindCrop);
    CropFramesToOptimalRect(0);
    if (undo.EndStep(0))
        RefreshAfterEdit(kRebuildStrip | kCanvas | kFramePage);
}

void OptimizeCommands::objectsToImages() {
    if (!g_pAnimationData)
        return;
    WaitCursor wait;
    if (ConvertObjectsToImagesStep())
        RefreshAfterEdit(kFramesShown | kFrameControls);
}

void OptimizeCommands::merge() {
    if (!g_pAnimationData)
        return;
    WaitCursor wait;
    if (MergeSelectedFrames(&g_pAnimationData->frames) != 1)
        return;
    RefreshAfterEdit(kRebuildStrip | kCanvas | kOptimiserControls | kAnimationPage |
                     (GetSelFramesCount() == 1 ? kFramePage : 0));
}

void OptimizeCommands::renderStates() {
    if (!g_pAnimationData)
        return;
    WaitCursor wait;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindRenderStates);
    RenderAnimationStates(&g_pAnimationData->frames, GetLastSelFrameIndex());
    if (undo.EndStep(0))
        RefreshAfterEdit(kFramesShown);
}

} // namespace kfm::ui
