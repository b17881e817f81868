#include "CommandHandler.h"

#include "CommandRules.h"
#include "MainFrame.h"

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

} // namespace kfm::ui
