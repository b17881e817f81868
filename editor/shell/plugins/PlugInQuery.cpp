// The plug-in manager's folder list on the preferences page.

#include "PlugInManager.h"

#include <QListWidget>

int CPlugInManager::PlugInQuery(QListWidget* list) const {
    if (!list)
        return 0;
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i)
        items.push_back(list->item(i)->text().toStdString());
    const std::vector<std::string> merged = MergeFolderList(std::move(items), folders_);
    list->clear();
    for (const std::string& item : merged)
        list->addItem(QString::fromStdString(item));
    return list->count();
}
