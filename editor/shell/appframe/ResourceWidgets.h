#pragma once
// Menus, toolbars and shortcuts built from the language library's resources, with their items
// bound to the router's command actions.

#include <memory>

#include "types/Win32Types.h"

class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace kfm::ui {

class CommandRouter;

// Fills the menu bar from menu resource id; false when the resource is missing or malformed.
bool LoadMenuBar(QMenuBar* bar, UINT menuId, CommandRouter& router);
// Fills a toolbar from toolbar resource id and the bitmap of the same id (16 x 16 pictures side
// by side); false when the resource is missing or malformed.
bool LoadToolBar(QToolBar* bar, UINT toolbarId, CommandRouter& router);
// Submenu `index` of menu resource menuId as a context menu of the router's command actions
// (brought up to date before it opens); null when the resource or the submenu is missing.
std::unique_ptr<QMenu> LoadCommandMenu(UINT menuId, int index, CommandRouter& router,
                                       QWidget* parent);
// Gives the commands the keys of accelerator table id (several keys per command may be listed).
bool LoadAccelerators(UINT tableId, CommandRouter& router);

} // namespace kfm::ui
