#pragma once
// Context menus from the language library: sub-menu index of a menu resource, its items as plain
// actions that carry their command id (QAction::data), for windows that handle the commands
// themselves rather than through the main window's router.

#include <QMenu>

#include <memory>

#include "types/Win32Types.h"

namespace kfm::ui {

// Null when the resource or the sub-menu is missing.
std::unique_ptr<QMenu> LoadPopupMenu(UINT menuId, int index, QWidget* parent);
// The item of the menu (or its sub-menus) with the command id; null when there is none.
QAction* FindMenuCommand(const QMenu& menu, UINT id);
// The command id an action of such a menu carries; 0 for none.
UINT MenuCommandOf(const QAction* action);

} // namespace kfm::ui
