#pragma once
// Readers of the text resources of the language library: menus, toolbars and accelerator
// tables. The texts stay in the library's code page; the widgets convert them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "types/Win32Types.h"

namespace kfm::shell {

struct MenuEntry {
    enum class Kind { Item, Separator, Popup };
    Kind kind = Kind::Item;
    std::string text; // "\t" separates the shortcut shown beside an item
    UINT id = 0;
    std::vector<MenuEntry> children;
};

// POPUP "text" ... END, MENUITEM "text", id and MENUITEM SEPARATOR, one statement a line; blank
// lines and lines starting with "//" are skipped. Inside quotes "\t" is a tab, "\"" and """"
// a quote. Nothing for an unbalanced or malformed script.
std::optional<std::vector<MenuEntry>> ParseMenuScript(std::string_view script);

// BUTTON id or SEPARATOR per line. A separator has id 0; buttons carry the index of their
// picture in the toolbar's bitmap. Nothing for a malformed script.
struct ToolbarButton {
    UINT id = 0;
    int image = -1;
};
std::optional<std::vector<ToolbarButton>> ParseToolbarScript(std::string_view script);

// "keys", id per line.
struct Accelerator {
    std::string keys;
    UINT id = 0;
};
std::optional<std::vector<Accelerator>> ParseAcceleratorScript(std::string_view script);

} // namespace kfm::shell
