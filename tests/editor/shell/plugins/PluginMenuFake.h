#pragma once
// A plug-in menu as a plain list of items, described as text: "C:text:id" for a command,
// "S:text[...]" for a sub-menu with its items, "-" for a separator, joined by " | ".

#include "filterhost/PluginMenu.h"

#include <memory>
#include <string>
#include <vector>

class FakePluginMenu : public kfm::filterhost::PluginMenu {
public:
    FakePluginMenu() = default;
    // Items described as above (sub-menus empty).
    explicit FakePluginMenu(const std::vector<std::string>& items) {
        for (const std::string& item : items) {
            if (item == "-") {
                InsertSeparator(ItemCount());
            } else if (item.rfind("S:", 0) == 0) {
                InsertSubMenu(ItemCount(), item.substr(2));
            } else {
                const std::size_t colon = item.rfind(':');
                InsertCommand(ItemCount(), item.substr(2, colon - 2),
                              static_cast<UINT>(std::stoul(item.substr(colon + 1))));
            }
        }
    }

    int ItemCount() const override { return static_cast<int>(items_.size()); }
    ItemKind Kind(int position) const override { return items_[index(position)].kind; }
    std::string Text(int position) const override { return items_[index(position)].text; }
    UINT CommandId(int position) const override { return items_[index(position)].id; }
    PluginMenu* SubMenu(int position) override { return items_[index(position)].sub.get(); }
    void InsertCommand(int position, const std::string& text, UINT id) override {
        insert(position, Item{ItemKind::Command, text, id, nullptr});
    }
    PluginMenu* InsertSubMenu(int position, const std::string& text) override {
        auto sub = std::make_unique<FakePluginMenu>();
        FakePluginMenu* raw = sub.get();
        insert(position, Item{ItemKind::SubMenu, text, 0, std::move(sub)});
        return raw;
    }
    void InsertSeparator(int position) override {
        insert(position, Item{ItemKind::Separator, "", 0, nullptr});
    }
    void DeleteItem(int position) override {
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index(position)));
    }

    std::string Describe() const {
        std::string out;
        for (const Item& item : items_) {
            if (!out.empty())
                out += " | ";
            switch (item.kind) {
            case ItemKind::Separator:
                out += "-";
                break;
            case ItemKind::SubMenu:
                out += "S:" + item.text + "[" + item.sub->Describe() + "]";
                break;
            case ItemKind::Command:
                out += "C:" + item.text + ":" + std::to_string(item.id);
                break;
            }
        }
        return out;
    }

private:
    struct Item {
        ItemKind kind;
        std::string text;
        UINT id;
        std::unique_ptr<FakePluginMenu> sub;
    };

    std::size_t index(int position) const { return static_cast<std::size_t>(position); }
    void insert(int position, Item item) {
        items_.insert(items_.begin() + position, std::move(item));
    }

    std::vector<Item> items_;
};
