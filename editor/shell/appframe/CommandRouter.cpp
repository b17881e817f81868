#include "CommandRouter.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>

namespace kfm::ui {

namespace {

const char* const kIdProperty = "kfmCommandId";

// Events after which command states may have changed.
bool isActivity(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::Shortcut:
    case QEvent::WindowActivate:
    case QEvent::FocusIn:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

CommandRouter::CommandRouter(QObject* parent) : QObject(parent) {
    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(0);
    connect(&idleTimer_, &QTimer::timeout, this, &CommandRouter::runIdlePass);
}

CommandRouter::~CommandRouter() {
    if (watching_ && qApp)
        qApp->removeEventFilter(this);
}

void CommandRouter::Route(UINT first, UINT last, Handler handler, UpdateHandler update) {
    for (UINT id = first; id <= last; ++id)
        routes_[id] = Route_{handler, update};
}

bool CommandRouter::IsRouted(UINT id) const {
    return routeOf(id) != nullptr;
}

const CommandRouter::Route_* CommandRouter::routeOf(UINT id) const {
    const auto it = routes_.find(id);
    return it == routes_.end() ? nullptr : &it->second;
}

QAction* CommandRouter::Action(UINT id) {
    QPointer<QAction>& slot = actions_[id];
    if (!slot) {
        slot = new QAction(this);
        slot->setObjectName(QStringLiteral("ID_%1").arg(id));
        slot->setProperty(kIdProperty, id);
        slot->setEnabled(false);
        connect(slot, &QAction::triggered, this, [this, id] { Execute(id); });
    }
    return slot;
}

UINT CommandRouter::IdOf(const QAction* action) {
    return action ? action->property(kIdProperty).toUInt() : 0;
}

CmdUI CommandRouter::Update(UINT id) {
    CmdUI ui;
    ui.id = id;
    if (const Route_* route = routeOf(id); route && route->update)
        route->update(ui);
    if (const auto it = actions_.find(id); it != actions_.end() && it->second) {
        QAction* action = it->second;
        action->setEnabled(ui.enabled);
        if (action->isCheckable() || ui.checked) {
            action->setCheckable(true);
            action->setChecked(ui.checked);
        }
        if (ui.text)
            action->setText(*ui.text);
    }
    return ui;
}

void CommandRouter::UpdateAll() {
    for (const auto& [id, action] : actions_)
        if (action)
            Update(id);
}

void CommandRouter::UpdateMenu(QMenu* menu) {
    if (!menu)
        return;
    for (QAction* action : menu->actions()) {
        if (const UINT id = IdOf(action))
            Update(id);
    }
}

bool CommandRouter::Execute(UINT id) {
    const Route_* route = routeOf(id);
    if (!route || !route->handler || !Update(id).enabled)
        return false;
    // A copy: the handler may route the id anew.
    const Handler handler = route->handler;
    handler(id);
    emit commandExecuted(id);
    RequestIdleUpdate();
    return true;
}

void CommandRouter::RequestIdleUpdate() {
    if (!idleTimer_.isActive())
        idleTimer_.start();
}

void CommandRouter::WatchApplicationInput() {
    if (watching_ || !qApp)
        return;
    qApp->installEventFilter(this);
    watching_ = true;
}

bool CommandRouter::eventFilter(QObject* watched, QEvent* event) {
    if (isActivity(event->type()))
        RequestIdleUpdate();
    return QObject::eventFilter(watched, event);
}

void CommandRouter::runIdlePass() {
    ++idlePasses_;
    UpdateAll();
    emit idle();
}

} // namespace kfm::ui
