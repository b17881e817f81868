#pragma once
// Menus, toolbars and shortcuts built from the language library's resources, with their items
// bound to the router's command actions.

#include "types/Win32Types.h"

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
// Gives the commands the keys of accelerator table id (several keys per command may be listed).
bool LoadAccelerators(UINT tableId, CommandRouter& router);

} // namespace kfm::ui
