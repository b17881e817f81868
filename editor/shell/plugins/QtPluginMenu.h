#pragma once
// The plug-in menu of the main window as the plug-in manager and the filter host see it: a QMenu
// whose command items are the router's command actions (their update handlers enable them).

#include <QPointer>

#include <map>
#include <memory>

#include "filterhost/PluginMenu.h"

class QAction;
class QMenu;

namespace kfm::ui {

class CommandRouter;

class QtPluginMenu final : public kfm::filterhost::PluginMenu {
public:
    QtPluginMenu(QMenu* menu, CommandRouter& router);
    ~QtPluginMenu() override;

    int ItemCount() const override;
    ItemKind Kind(int position) const override;
    std::string Text(int position) const override;
    UINT CommandId(int position) const override;
    PluginMenu* SubMenu(int position) override;
    void InsertCommand(int position, const std::string& text, UINT id) override;
    PluginMenu* InsertSubMenu(int position, const std::string& text) override;
    void InsertSeparator(int position) override;
    void DeleteItem(int position) override;

private:
    QAction* at(int position) const;
    QtPluginMenu* adapterOf(QMenu* sub);

    QPointer<QMenu> menu_;
    CommandRouter& router_;
    std::map<QMenu*, std::unique_ptr<QtPluginMenu>> subMenus_;
};

} // namespace kfm::ui
