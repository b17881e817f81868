#include "ResourceWidgets.h"

#include "CommandRouter.h"
#include "ResourceAccess.h"
#include "ResourceScripts.h"
#include "resources/ResourceTable.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QToolBar>

#include <map>

namespace kfm::ui {

namespace {

constexpr int kButtonSize = 16;

std::string scriptOf(UINT type, UINT id) {
    const QByteArray data = ResourceData(type, id);
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

// Gives the command action its texts: the menu text (without the shortcut part after a tab),
// the status prompt and the tool tip.
void describe(QAction* action, UINT id, const std::string& menuText) {
    if (!menuText.empty())
        action->setText(FromCodePage1252(menuText.substr(0, menuText.find('\t'))));
    if (action->statusTip().isEmpty())
        action->setStatusTip(CommandPrompt(id));
    const QString tip = CommandToolTip(id);
    if (!tip.isEmpty())
        action->setToolTip(tip);
}

void fillMenu(QMenu* menu, const std::vector<kfm::shell::MenuEntry>& entries,
              CommandRouter& router) {
    using Kind = kfm::shell::MenuEntry::Kind;
    for (const auto& entry : entries) {
        switch (entry.kind) {
        case Kind::Separator:
            menu->addSeparator();
            break;
        case Kind::Popup: {
            QMenu* sub = menu->addMenu(FromCodePage1252(entry.text));
            QObject::connect(sub, &QMenu::aboutToShow, &router,
                             [sub, &router] { router.UpdateMenu(sub); });
            fillMenu(sub, entry.children, router);
            break;
        }
        case Kind::Item: {
            QAction* action = router.Action(entry.id);
            describe(action, entry.id, entry.text);
            menu->addAction(action);
            break;
        }
        }
    }
}

} // namespace

bool LoadMenuBar(QMenuBar* bar, UINT menuId, CommandRouter& router) {
    const auto entries = kfm::shell::ParseMenuScript(scriptOf(RT_MENU, menuId));
    if (!entries || entries->empty())
        return false;
    for (const auto& top : *entries) {
        if (top.kind != kfm::shell::MenuEntry::Kind::Popup)
            continue;
        QMenu* menu = bar->addMenu(FromCodePage1252(top.text));
        QObject::connect(menu, &QMenu::aboutToShow, &router,
                         [menu, &router] { router.UpdateMenu(menu); });
        fillMenu(menu, top.children, router);
    }
    return true;
}

std::unique_ptr<QMenu> LoadCommandMenu(UINT menuId, int index, CommandRouter& router,
                                       QWidget* parent) {
    const auto entries = kfm::shell::ParseMenuScript(scriptOf(RT_MENU, menuId));
    if (!entries || index < 0 || index >= static_cast<int>(entries->size()))
        return nullptr;
    const kfm::shell::MenuEntry& popup = (*entries)[static_cast<std::size_t>(index)];
    if (popup.kind != kfm::shell::MenuEntry::Kind::Popup)
        return nullptr;
    auto menu = std::make_unique<QMenu>(FromCodePage1252(popup.text), parent);
    fillMenu(menu.get(), popup.children, router);
    QMenu* raw = menu.get();
    QObject::connect(raw, &QMenu::aboutToShow, &router, [raw, &router] { router.UpdateMenu(raw); });
    return menu;
}

bool LoadToolBar(QToolBar* bar, UINT toolbarId, CommandRouter& router) {
    const auto buttons = kfm::shell::ParseToolbarScript(scriptOf(RT_TOOLBAR, toolbarId));
    if (!buttons)
        return false;
    QImage strip;
    const QByteArray bitmap = ResourceData(RT_BITMAP, toolbarId);
    if (!bitmap.isEmpty())
        strip.loadFromData(bitmap, "PNG");
    bar->setIconSize(QSize(kButtonSize, kButtonSize));
    for (const auto& button : *buttons) {
        if (button.id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = router.Action(button.id);
        describe(action, button.id, {});
        const QRect cell(button.image * kButtonSize, 0, kButtonSize, kButtonSize);
        if (!strip.isNull() && strip.rect().contains(cell))
            action->setIcon(QIcon(QPixmap::fromImage(strip.copy(cell))));
        if (action->text().isEmpty())
            action->setText(CommandToolTip(button.id));
        bar->addAction(action);
    }
    return true;
}

bool LoadAccelerators(UINT tableId, CommandRouter& router) {
    const auto table = kfm::shell::ParseAcceleratorScript(scriptOf(RT_ACCELERATOR, tableId));
    if (!table)
        return false;
    std::map<UINT, QList<QKeySequence>> keys;
    for (const auto& accelerator : *table) {
        const QKeySequence sequence(QString::fromStdString(accelerator.keys),
                                    QKeySequence::PortableText);
        if (!sequence.isEmpty())
            keys[accelerator.id].append(sequence);
    }
    for (const auto& [id, sequences] : keys)
        router.Action(id)->setShortcuts(sequences);
    return true;
}

} // namespace kfm::ui
