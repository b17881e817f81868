#include "QtPluginMenu.h"

#include "CommandRouter.h"

#include <QAction>
#include <QMenu>

namespace kfm::ui {

QtPluginMenu::QtPluginMenu(QMenu* menu, CommandRouter& router) : menu_(menu), router_(router) {}

QtPluginMenu::~QtPluginMenu() = default;

QAction* QtPluginMenu::at(int position) const {
    if (!menu_)
        return nullptr;
    const QList<QAction*> actions = menu_->actions();
    return position >= 0 && position < actions.size() ? actions[position] : nullptr;
}

QtPluginMenu* QtPluginMenu::adapterOf(QMenu* sub) {
    if (!sub)
        return nullptr;
    auto& adapter = subMenus_[sub];
    if (!adapter)
        adapter = std::make_unique<QtPluginMenu>(sub, router_);
    return adapter.get();
}

int QtPluginMenu::ItemCount() const {
    return menu_ ? static_cast<int>(menu_->actions().size()) : 0;
}

QtPluginMenu::ItemKind QtPluginMenu::Kind(int position) const {
    const QAction* action = at(position);
    if (!action || action->isSeparator())
        return ItemKind::Separator;
    return action->menu() ? ItemKind::SubMenu : ItemKind::Command;
}

std::string QtPluginMenu::Text(int position) const {
    const QAction* action = at(position);
    return action && !action->isSeparator() ? action->text().toStdString() : std::string();
}

UINT QtPluginMenu::CommandId(int position) const {
    return CommandRouter::IdOf(at(position));
}

kfm::filterhost::PluginMenu* QtPluginMenu::SubMenu(int position) {
    const QAction* action = at(position);
    return action ? adapterOf(action->menu()) : nullptr;
}

void QtPluginMenu::InsertCommand(int position, const std::string& text, UINT id) {
    if (!menu_)
        return;
    QAction* action = router_.Action(id);
    action->setText(QString::fromStdString(text));
    action->setEnabled(false);
    menu_->insertAction(at(position), action);
}

kfm::filterhost::PluginMenu* QtPluginMenu::InsertSubMenu(int position, const std::string& text) {
    if (!menu_)
        return nullptr;
    auto* sub = new QMenu(QString::fromStdString(text), menu_);
    QObject::connect(sub, &QMenu::aboutToShow, &router_,
                     [sub, router = &router_] { router->UpdateMenu(sub); });
    menu_->insertMenu(at(position), sub);
    return adapterOf(sub);
}

void QtPluginMenu::InsertSeparator(int position) {
    if (menu_)
        menu_->insertSeparator(at(position));
}

void QtPluginMenu::DeleteItem(int position) {
    QAction* action = at(position);
    if (!action)
        return;
    menu_->removeAction(action);
    if (QMenu* sub = action->menu()) {
        subMenus_.erase(sub);
        // The sub-menu owns its menu action.
        delete sub;
    } else if (!CommandRouter::IdOf(action)) {
        // A separator of this menu; command actions belong to the router.
        delete action;
    }
}

} // namespace kfm::ui
