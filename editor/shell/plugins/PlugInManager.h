#pragma once
// The plug-in manager: which ".kfp" plug-ins exist, in which folders, and which menu command
// runs each. It searches plug-in folders, keeps the result as folders each holding its plug-in
// records, saves that list in the cache file "PlugInsKeldo.ini" beside the program and reads it
// back, and builds the plug-in commands of the plug-in menu with ids 41500 to 42998.
//
// Paths keep their spelling for loading; folders are compared by a copy in lower case with a
// trailing "/". A plug-in library that a search loads stays loaded for the life of the process.

#include <string>
#include <vector>

#include "filterhost/PluginMenu.h"
#include "types/Win32Types.h"

class QListWidget;

struct PlugInRecord {
    // Empty: no category, the command stands directly in the plug-in menu.
    std::string category;
    std::string name;
    // The file name with its extension, relative to its folder.
    std::string fileName;
    // 0 until the menu is built (and for records beyond the menu's last id).
    UINT commandId = 0;
    int minSelectedFrames = 0;
};

struct PlugInFolder {
    // The folder's path as given.
    std::string path;
    std::vector<PlugInRecord> records;
};

class CPlugInManager {
public:
    // Searches the folder and its sub-folders for plug-ins (the folder is registered even when
    // only its sub-folders hold plug-ins). When the folder was already known, or the path is
    // empty, every known folder is searched again instead. The folder search's result: 1 when
    // the folder was searched, else 0.
    int PlugInSearchFolder(const std::string& folder);
    // Empties every known folder's records and searches each again, with its sub-folders (one
    // not yet known is registered when it holds a plug-in).
    void PlugInRebuild();
    // Removes the folder and the known folders below it, with their records; 1 when one was
    // removed.
    int PlugInRemove(const std::string& folder);
    int PlugInRemoveAll();
    // The number of records over all folders.
    int PlugInGetCount() const;

    // Reads a list file in the cache's layout: its folders are registered without being searched
    // and its records added to the known folder of their path (others are dropped); with
    // foldersOnly the records are left out. S_OK, also when the file is missing (nothing read);
    // E_FAIL for a bad header (what the manager held stays).
    HRESULT PlugInReadCache(const std::string& file, bool foldersOnly);
    // Writes the cache file; 1 when written.
    int PlugInWriteCache(const std::string& file) const;
    // Fills the preferences page's list with the known folders: a folder inside a listed one is
    // left out, a listed one inside the folder is replaced by it. The number of items.
    int PlugInQuery(QListWidget* list) const;

    // Inserts the plug-in commands into the menu (nothing without a host token or records), ids
    // counting up from firstId, in folder and list order; records past lastId get no command.
    // With the separator flag a separator is appended and the commands go after the menu's first
    // separator, else from position 0. Commands with a category go into its sub-menu. Each goes
    // to its sorted place (see the source). 0.
    int BuildPluginMenu(const void* hostToken, kfm::filterhost::PluginMenu& menu, UINT firstId,
                        UINT lastId, bool separator);
    // The full path of the plug-in of a command; empty when no record has the id.
    std::string GetPluginPathById(UINT id) const;
    // The least number of selected frames the command needs; 0 when no record has the id.
    int GetPluginMinFrames(UINT id) const;

    // The start-up search: the program's "Plug-Ins" folder, then the cache file written.
    void ScanPlugins();

    const std::vector<PlugInFolder>& Folders() const { return folders_; }

private:
    class Search;

    // The folder's index, or -1 when it is not known.
    int findFolder(const std::string& folder) const;
    int registerFolder(const std::string& folder);
    // Adds a record to a folder: 0 when refused (no name or file name), 1 when added or a
    // record of that file name is already there.
    int addRecord(int folder, const PlugInRecord& record);
    const PlugInRecord* recordById(UINT id, const PlugInFolder** folder) const;

    std::vector<PlugInFolder> folders_;
};

// The program-wide instance.
CPlugInManager& ThePlugInManager();

// The folder list of the preferences page, as PlugInQuery builds it: for each folder, left out
// when an item already holds it, put in place of the first item inside it (later such items
// removed), else appended.
std::vector<std::string> MergeFolderList(std::vector<std::string> items,
                                         const std::vector<PlugInFolder>& folders);
