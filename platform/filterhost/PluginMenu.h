#pragma once
// The menu that plug-in and filter commands go into, as the plug-in manager and the outside
// filter host see it: items by position, each a command with its id, a sub-menu or a separator.
// The editor adapts a QMenu to it; tests use a plain list.

#include <string>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::filterhost {

class KFM_PLATFORM_API PluginMenu {
public:
    enum class ItemKind { Command, SubMenu, Separator };

    virtual ~PluginMenu() = default;

    virtual int ItemCount() const = 0;
    virtual ItemKind Kind(int position) const = 0;
    // The item's text (UTF-8, as inserted); empty for separators.
    virtual std::string Text(int position) const = 0;
    // The command id of a command item; 0 for the others.
    virtual UINT CommandId(int position) const = 0;
    // The sub-menu of a sub-menu item; null for the others.
    virtual PluginMenu* SubMenu(int position) = 0;

    // Inserts before the item at position (ItemCount() appends). Commands are inserted disabled;
    // their update handler enables them.
    virtual void InsertCommand(int position, const std::string& text, UINT id) = 0;
    virtual PluginMenu* InsertSubMenu(int position, const std::string& text) = 0;
    virtual void InsertSeparator(int position) = 0;
    virtual void DeleteItem(int position) = 0;
};

} // namespace kfm::filterhost
