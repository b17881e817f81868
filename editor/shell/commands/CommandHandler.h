#pragma once
// A group of the main window's commands: it routes its ids to its handlers, with the command
// rules as update handlers. Ids whose windows this build lacks are routed without a handler, so
// they show in the menus and stay disabled.

#include <initializer_list>

#include "CommandRouter.h"

namespace kfm::ui {

class CMainFrame;

class CommandHandler {
public:
    explicit CommandHandler(CMainFrame& frame) : frame_(frame) {}
    virtual ~CommandHandler() = default;
    CommandHandler(const CommandHandler&) = delete;
    CommandHandler& operator=(const CommandHandler&) = delete;

    virtual void RouteCommands(CommandRouter& router) = 0;

protected:
    // Routes ids to handler, each enabled and checked by the command rules.
    void route(CommandRouter& router, std::initializer_list<UINT> ids,
               CommandRouter::Handler handler);
    void routeRange(CommandRouter& router, UINT first, UINT last, CommandRouter::Handler handler);
    // Routes ids that wait for their windows: present and disabled.
    void routeWaiting(CommandRouter& router, std::initializer_list<UINT> ids);
    void routeWaitingRange(CommandRouter& router, UINT first, UINT last);

    CMainFrame& frame_;

private:
    CommandRouter::UpdateHandler rules();
};

} // namespace kfm::ui
