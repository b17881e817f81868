#include "PlugInManager.h"

#include "PluginLibrary.h"
#include "StartupValues.h"
#include "filterhost/PluginListFile.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <set>
#include <system_error>

namespace fs = std::filesystem;
using kfm::filterhost::FileNameOfPath;
using kfm::filterhost::FolderKey;
using kfm::filterhost::FolderOfPath;
using kfm::filterhost::IsInsideFolder;
using kfm::filterhost::JoinPath;
using kfm::filterhost::PluginMenu;

namespace {

constexpr const char* kPluginExtension = ".kfp";
constexpr const char* kCommandSuffix = "...";

// "*.kfp", the extension compared without regard to ASCII case.
bool hasPluginExtension(const std::string& name) {
    const std::string extension = kPluginExtension;
    if (name.size() <= extension.size())
        return false;
    return std::equal(
        extension.begin(), extension.end(), name.end() - extension.size(),
        [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

enum class EntryKind { PluginFile, Folder };

// The names of the folder's plug-in files or sub-folders, sorted byte-wise (symbolic links
// followed); none when the folder cannot be read.
std::vector<std::string> entriesOf(const std::string& folder, EntryKind kind) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code statError;
        const std::string name = it->path().filename().string();
        const bool wanted = kind == EntryKind::Folder
                                ? it->is_directory(statError)
                                : it->is_regular_file(statError) && hasPluginExtension(name);
        if (wanted && !statError)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Sorted place of a new item among the items from `start` on: before the first item whose text
// sorts after the new one. A sub-menu is compared with sub-menus only and never goes behind the
// first command; a command is compared with commands and sub-menus. Separators are passed over.
int sortedPosition(PluginMenu& menu, int start, const std::string& text, bool subMenu) {
    const int count = menu.ItemCount();
    for (int pos = start; pos < count; ++pos) {
        const PluginMenu::ItemKind kind = menu.Kind(pos);
        if (kind == PluginMenu::ItemKind::Separator)
            continue;
        if (subMenu && kind == PluginMenu::ItemKind::Command)
            return pos;
        if (menu.Text(pos).compare(text) > 0)
            return pos;
    }
    return count;
}

// The position of the sub-menu with this text from `start` on; -1 when there is none.
int findSubMenu(PluginMenu& menu, int start, const std::string& text) {
    for (int pos = start; pos < menu.ItemCount(); ++pos)
        if (menu.Kind(pos) == PluginMenu::ItemKind::SubMenu && menu.Text(pos) == text)
            return pos;
    return -1;
}

int firstSeparator(PluginMenu& menu) {
    for (int pos = 0; pos < menu.ItemCount(); ++pos)
        if (menu.Kind(pos) == PluginMenu::ItemKind::Separator)
            return pos;
    return -1;
}

std::string appPath(int kind) {
    char path[4096];
    return kfm::shell::GetAppPath(kind, path, sizeof path) ? std::string(path) : std::string();
}

constexpr int kAppPathKeldoList = 1;
constexpr int kAppPathPluginFolder = 2;

} // namespace

// One folder search or rebuild: it enters every folder once, so symbolic links that lead back
// into a folder already searched end there.
class CPlugInManager::Search {
public:
    explicit Search(CPlugInManager& manager) : manager_(manager) {}

    int folder(const std::string& path, bool addEmpty, bool registerOnly) {
        if (path.empty() || manager_.findFolder(path) >= 0)
            return 0;
        if (registerOnly) {
            if (addEmpty)
                manager_.registerFolder(path);
            return 1;
        }
        if (!enter(path))
            return 0;
        int index = -1;
        scanFiles(path, index);
        if (index < 0 && addEmpty)
            index = manager_.registerFolder(path);
        for (const std::string& sub : entriesOf(path, EntryKind::Folder))
            folder(JoinPath(path, sub), false, false);
        return 1;
    }

    // Searches a known folder again (its records emptied first); known sub-folders the same way.
    void rescan(int index) {
        const std::string path = manager_.folders_[static_cast<std::size_t>(index)].path;
        if (!enter(path))
            return;
        manager_.folders_[static_cast<std::size_t>(index)].records.clear();
        scanFiles(path, index);
        for (const std::string& sub : entriesOf(path, EntryKind::Folder)) {
            const std::string subPath = JoinPath(path, sub);
            if (const int known = manager_.findFolder(subPath); known >= 0)
                rescan(known);
            else
                folder(subPath, false, false);
        }
    }

private:
    // False when the folder (by its resolved path) was searched already.
    bool enter(const std::string& path) {
        std::error_code error;
        fs::path resolved = fs::canonical(path, error);
        if (error)
            resolved = fs::absolute(path, error).lexically_normal();
        return visited_.insert(resolved.string()).second;
    }

    // Adds a record for every plug-in file of the folder that describes itself; the folder is
    // registered with the first one when index is -1.
    void scanFiles(const std::string& path, int& index) {
        for (const std::string& name : entriesOf(path, EntryKind::PluginFile)) {
            const auto description = kfm::plugins::DescribePlugin(JoinPath(path, name));
            if (!description)
                continue;
            if (index < 0)
                index = manager_.registerFolder(path);
            manager_.addRecord(index, PlugInRecord{description->category, description->name, name,
                                                   0, description->minSelectedFrames});
        }
    }

    CPlugInManager& manager_;
    std::set<std::string> visited_;
};

int CPlugInManager::findFolder(const std::string& folder) const {
    const std::string key = FolderKey(folder);
    for (std::size_t i = 0; i < folders_.size(); ++i)
        if (FolderKey(folders_[i].path) == key)
            return static_cast<int>(i);
    return -1;
}

int CPlugInManager::registerFolder(const std::string& folder) {
    folders_.push_back(PlugInFolder{folder, {}});
    return static_cast<int>(folders_.size()) - 1;
}

int CPlugInManager::addRecord(int folder, const PlugInRecord& record) {
    if (folder < 0 || folder >= static_cast<int>(folders_.size()) || record.name.empty() ||
        record.fileName.empty())
        return 0;
    auto& records = folders_[static_cast<std::size_t>(folder)].records;
    const bool known =
        std::any_of(records.begin(), records.end(),
                    [&record](const PlugInRecord& r) { return r.fileName == record.fileName; });
    if (!known) {
        records.push_back(record);
        records.back().commandId = 0;
        records.back().minSelectedFrames = std::max(record.minSelectedFrames, 0);
    }
    return 1;
}

int CPlugInManager::PlugInSearchFolder(const std::string& folder) {
    Search search(*this);
    const int searched = search.folder(folder, true, false);
    if (!searched)
        PlugInRebuild();
    return searched;
}

void CPlugInManager::PlugInRebuild() {
    Search search(*this);
    // Folders registered on the way are appended and entered already.
    for (std::size_t i = 0; i < folders_.size(); ++i)
        search.rescan(static_cast<int>(i));
}

int CPlugInManager::PlugInRemove(const std::string& folder) {
    const auto removed = std::erase_if(
        folders_, [&folder](const PlugInFolder& f) { return IsInsideFolder(f.path, folder); });
    return removed ? 1 : 0;
}

int CPlugInManager::PlugInRemoveAll() {
    folders_.clear();
    return 1;
}

int CPlugInManager::PlugInGetCount() const {
    return std::accumulate(folders_.begin(), folders_.end(), 0, [](int n, const PlugInFolder& f) {
        return n + static_cast<int>(f.records.size());
    });
}

HRESULT CPlugInManager::PlugInReadCache(const std::string& file, bool foldersOnly) {
    kfm::filterhost::PluginList list;
    switch (kfm::filterhost::ReadPluginListFile(file, list)) {
    case kfm::filterhost::PluginListRead::Missing:
        return S_OK;
    case kfm::filterhost::PluginListRead::BadHeader:
        return E_FAIL;
    case kfm::filterhost::PluginListRead::Read:
        break;
    }
    Search search(*this);
    for (const std::string& folder : list.folders)
        search.folder(folder, true, true);
    if (foldersOnly)
        return S_OK;
    for (const auto& r : list.records)
        if (const int folder = findFolder(FolderOfPath(r.path)); folder >= 0)
            addRecord(folder, PlugInRecord{r.category, r.name, FileNameOfPath(r.path), 0,
                                           r.minSelectedFrames});
    return S_OK;
}

int CPlugInManager::PlugInWriteCache(const std::string& file) const {
    kfm::filterhost::PluginList list;
    for (const PlugInFolder& folder : folders_) {
        list.folders.push_back(folder.path);
        for (const PlugInRecord& r : folder.records)
            list.records.push_back(
                {r.category, r.name, JoinPath(folder.path, r.fileName), r.minSelectedFrames});
    }
    return kfm::filterhost::WritePluginListFile(file, list) ? 1 : 0;
}

int CPlugInManager::BuildPluginMenu(const void* hostToken, PluginMenu& menu, UINT firstId,
                                    UINT lastId, bool separator) {
    if (!hostToken || PlugInGetCount() == 0)
        return 0;
    int start = 0;
    if (separator) {
        menu.InsertSeparator(menu.ItemCount());
        start = firstSeparator(menu) + 1;
    }
    UINT id = firstId;
    for (PlugInFolder& folder : folders_) {
        for (PlugInRecord& record : folder.records) {
            // Ids past the range would reach no handler or another range's.
            if (id > lastId) {
                record.commandId = 0;
                continue;
            }
            record.commandId = id++;
            const std::string text = record.name + kCommandSuffix;
            if (record.category.empty()) {
                menu.InsertCommand(sortedPosition(menu, start, text, false), text,
                                   record.commandId);
                continue;
            }
            PluginMenu* sub = nullptr;
            if (const int pos = findSubMenu(menu, start, record.category); pos >= 0)
                sub = menu.SubMenu(pos);
            else
                sub = menu.InsertSubMenu(sortedPosition(menu, start, record.category, true),
                                         record.category);
            if (sub)
                sub->InsertCommand(sortedPosition(*sub, 0, text, false), text, record.commandId);
        }
    }
    return 0;
}

const PlugInRecord* CPlugInManager::recordById(UINT id, const PlugInFolder** folder) const {
    if (id == 0)
        return nullptr;
    for (const PlugInFolder& f : folders_)
        for (const PlugInRecord& r : f.records)
            if (r.commandId == id) {
                if (folder)
                    *folder = &f;
                return &r;
            }
    return nullptr;
}

std::string CPlugInManager::GetPluginPathById(UINT id) const {
    const PlugInFolder* folder = nullptr;
    const PlugInRecord* record = recordById(id, &folder);
    return record ? JoinPath(folder->path, record->fileName) : std::string();
}

int CPlugInManager::GetPluginMinFrames(UINT id) const {
    const PlugInRecord* record = recordById(id, nullptr);
    return record ? record->minSelectedFrames : 0;
}

void CPlugInManager::ScanPlugins() {
    PlugInSearchFolder(appPath(kAppPathPluginFolder));
    if (const std::string cache = appPath(kAppPathKeldoList); !cache.empty())
        PlugInWriteCache(cache);
}

CPlugInManager& ThePlugInManager() {
    static CPlugInManager manager;
    return manager;
}

std::vector<std::string> MergeFolderList(std::vector<std::string> items,
                                         const std::vector<PlugInFolder>& folders) {
    for (const PlugInFolder& folder : folders) {
        const bool held = std::any_of(items.begin(), items.end(), [&folder](const std::string& i) {
            return IsInsideFolder(folder.path, i);
        });
        if (held)
            continue;
        const auto inside = [&folder](const std::string& i) {
            return IsInsideFolder(i, folder.path);
        };
        const auto first = std::find_if(items.begin(), items.end(), inside);
        if (first == items.end()) {
            items.push_back(folder.path);
            continue;
        }
        *first = folder.path;
        items.erase(std::remove_if(std::next(first), items.end(), inside), items.end());
    }
    return items;
}
