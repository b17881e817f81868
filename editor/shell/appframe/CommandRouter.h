#pragma once
// Command routing: every command id has one QAction (shared by menus, toolbars and shortcuts),
// one handler and one update handler. The update handlers decide enabled, checked and text; they
// run when the program falls idle after input or a command, and for a menu's items just before
// the menu opens. A command that its update handler disables is not run.

#include <QAction>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <map>
#include <optional>

#include "types/Win32Types.h"

class QMenu;

namespace kfm::ui {

// What an update handler sets for one command.
struct CmdUI {
    UINT id = 0;
    bool enabled = false;
    bool checked = false;
    std::optional<QString> text;

    void Enable(bool on = true) { enabled = on; }
    void SetCheck(bool on = true) { checked = on; }
    void SetText(const QString& t) { text = t; }
};

class CommandRouter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(UINT id)>;
    using UpdateHandler = std::function<void(CmdUI&)>;

    explicit CommandRouter(QObject* parent = nullptr);
    ~CommandRouter() override;

    // Routes the ids first..last to a handler and an update handler (a later registration of an
    // id replaces the earlier one).
    void Route(UINT first, UINT last, Handler handler, UpdateHandler update);
    void Route(UINT id, Handler handler, UpdateHandler update) {
        Route(id, id, std::move(handler), std::move(update));
    }
    bool IsRouted(UINT id) const;

    // The command's action (created on first use; its object name is "ID_" and the id).
    QAction* Action(UINT id);
    // The command id of an action made here; 0 for other actions.
    static UINT IdOf(const QAction* action);

    // Runs the update handler of id and applies the result to its action.
    CmdUI Update(UINT id);
    // Every routed command, as the idle pass does.
    void UpdateAll();
    // The items of a menu (and its submenus' own items), before it opens.
    void UpdateMenu(QMenu* menu);
    // Runs the command when its update handler enables it; false otherwise.
    bool Execute(UINT id);

    // Asks for an idle pass once the event loop is free again.
    void RequestIdleUpdate();
    // Starts watching the application's input to run the idle passes.
    void WatchApplicationInput();
    // The number of idle passes run so far (for tests).
    int IdlePasses() const { return idlePasses_; }

signals:
    void commandExecuted(UINT id);
    // After each idle pass, for states that are no command (status-bar panes).
    void idle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Route_ {
        Handler handler;
        UpdateHandler update;
    };
    const Route_* routeOf(UINT id) const;
    void runIdlePass();

    std::map<UINT, Route_> routes_;
    std::map<UINT, QPointer<QAction>> actions_;
    QTimer idleTimer_;
    int idlePasses_ = 0;
    bool watching_ = false;
};

} // namespace kfm::ui
