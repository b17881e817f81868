#include "PopupMenu.h"

#include "ResourceAccess.h"
#include "ResourceScripts.h"
#include "resources/ResourceTable.h"

#include <QAction>

namespace kfm::ui {

namespace {

void fill(QMenu& menu, const std::vector<kfm::shell::MenuEntry>& entries) {
    using Kind = kfm::shell::MenuEntry::Kind;
    for (const auto& entry : entries) {
        const QString text = FromCodePage1252(entry.text.substr(0, entry.text.find('\t')));
        switch (entry.kind) {
        case Kind::Separator:
            menu.addSeparator();
            break;
        case Kind::Popup:
            fill(*menu.addMenu(text), entry.children);
            break;
        case Kind::Item:
            menu.addAction(text)->setData(static_cast<uint>(entry.id));
            break;
        }
    }
}

} // namespace

std::unique_ptr<QMenu> LoadPopupMenu(UINT menuId, int index, QWidget* parent) {
    const QByteArray data = ResourceData(RT_MENU, menuId);
    const auto entries = kfm::shell::ParseMenuScript(
        std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    if (!entries || index < 0 || index >= static_cast<int>(entries->size()))
        return nullptr;
    const auto& popup = (*entries)[static_cast<std::size_t>(index)];
    if (popup.kind != kfm::shell::MenuEntry::Kind::Popup)
        return nullptr;
    auto menu = std::make_unique<QMenu>(parent);
    fill(*menu, popup.children);
    return menu;
}

QAction* FindMenuCommand(const QMenu& menu, UINT id) {
    for (QAction* action : menu.actions()) {
        if (action->menu()) {
            if (QAction* inner = FindMenuCommand(*action->menu(), id))
                return inner;
        } else if (MenuCommandOf(action) == id) {
            return action;
        }
    }
    return nullptr;
}

UINT MenuCommandOf(const QAction* action) {
    return action ? action->data().toUInt() : 0;
}

} // namespace kfm::ui
