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

    // What a command shows again after it changed the animation (bits, combined).
    enum Refresh : unsigned {
        kRebuildStrip = 1,       // the strip's items from the frame list, with their marks
        kRepaintStrip = 2,       // the strip's items as they are
        kAnimationPage = 4,      // the sheet's animation page
        kFramePage = 8,          // the frame page with the current frame
        kFramePageCommon = 16,   // the frame page with the common values of the selection
        kFrameControls = 32,     // the sheet's frame controls
        kOptimiserControls = 64, // the optimiser page's state
        kCanvas = 128,           // the canvas
    };
    // Counts the real frames again, then refreshes what is asked and syncs the strip's marks.
    void RefreshAfterEdit(unsigned what);

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
