#include "CommandHandler.h"

#include "AnimationData.h"
#include "CommandRules.h"
#include "MainFrame.h"
#include "sheet/GIFSheet.h"
#include "views/AnimationView.h"
#include "views/MainPanes.h"

namespace kfm::ui {

CommandRouter::UpdateHandler CommandHandler::rules() {
    return [this](CmdUI& ui) {
        const kfm::shell::CommandState state =
            kfm::shell::QueryCommandState(ui.id, frame_.UiSnapshot());
        ui.Enable(state.enabled);
        ui.SetCheck(state.checked);
    };
}

void CommandHandler::route(CommandRouter& router, std::initializer_list<UINT> ids,
                           CommandRouter::Handler handler) {
    for (const UINT id : ids)
        router.Route(id, handler, rules());
}

void CommandHandler::routeRange(CommandRouter& router, UINT first, UINT last,
                                CommandRouter::Handler handler) {
    router.Route(first, last, std::move(handler), rules());
}

void CommandHandler::routeWaiting(CommandRouter& router, std::initializer_list<UINT> ids) {
    for (const UINT id : ids)
        router.Route(id, nullptr, [](CmdUI& ui) { ui.Enable(false); });
}

void CommandHandler::routeWaitingRange(CommandRouter& router, UINT first, UINT last) {
    router.Route(first, last, nullptr, [](CmdUI& ui) { ui.Enable(false); });
}

void CommandHandler::RefreshAfterEdit(unsigned what) {
    if (g_pAnimationData)
        g_pAnimationData->UpdateFrameCount();
    MainPanes& panes = frame_.Panes();
    if (CAnimationView* strip = panes.Strip()) {
        if (what & kRebuildStrip)
            strip->RefreshItems();
        else if (what & kRepaintStrip)
            strip->viewport()->update();
        strip->SyncSelection();
        strip->SyncFocus();
    }
    if (CGIFSheet* sheet = panes.Sheet()) {
        if (what & kAnimationPage)
            sheet->UpdateAnimationPage();
        if (what & kFramePageCommon)
            sheet->UpdateFramePageFromSelection();
        else if (what & kFramePage)
            sheet->UpdateFramePage(GetCurrentFrame());
        if (what & kFrameControls)
            sheet->UpdateFrameControls(1, GetSelFramesCount(), IsAnyFrame24Bit());
        if (what & kOptimiserControls)
            sheet->UpdateOptimizeState();
    }
    if (what & kCanvas)
        panes.RedrawViews(true, false);
}

} // namespace kfm::ui
