#pragma once
// The list files of plug-in folders: "PlugInsKeldo.ini", the editor's cache of its ".kfp"
// plug-ins, and "PlugInsAdobe.ini", the outside filter host's folder list, share one layout.
// Every line ends with CR LF:
//
//   [PlugInHeader]
//   7678
//   [PlugInPath]
//   one line per folder
//   per plug-in: [category] (empty brackets for none), name, full path, minimum frame count
//
// Records follow one another; a record that does not start with "[" keeps the category of the
// one before. Folder comparisons ignore ASCII case and a trailing "/".

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::filterhost {

struct PluginListRecord {
    std::string category;
    std::string name;
    std::string path;
    int minSelectedFrames = 0;
};

struct PluginList {
    std::vector<std::string> folders;
    std::vector<PluginListRecord> records;
};

// The file's bytes, exactly as the editor writes them.
KFM_PLATFORM_API std::string FormatPluginList(const PluginList& list);

// Reads the bytes. S_OK; E_FAIL when the header is not "[PlugInHeader]" followed by "7678"
// (nothing is taken then). Lines may end with LF alone; a record cut short by the end of the
// bytes is dropped; a count that is no number reads as 0 and negative counts as 0.
KFM_PLATFORM_API HRESULT ParsePluginList(std::span<const std::uint8_t> bytes, PluginList& out);

enum class PluginListRead { Missing, Read, BadHeader };
// Reads a list file: Missing (nothing read) when it does not exist or cannot be opened.
KFM_PLATFORM_API PluginListRead ReadPluginListFile(const std::string& path, PluginList& out);
// Replaces the file; false when it cannot be written.
KFM_PLATFORM_API bool WritePluginListFile(const std::string& path, const PluginList& list);

// The key a folder is compared by: ASCII lower case, with a trailing "/".
KFM_PLATFORM_API std::string FolderKey(const std::string& folder);
// Whether path names the folder or lies below it (compared by FolderKey).
KFM_PLATFORM_API bool IsInsideFolder(const std::string& path, const std::string& folder);
// The folder part of a file's path, with its trailing "/"; empty when there is no "/".
KFM_PLATFORM_API std::string FolderOfPath(const std::string& path);
// The part after the last "/".
KFM_PLATFORM_API std::string FileNameOfPath(const std::string& path);
// The folder and the file name joined with one "/".
KFM_PLATFORM_API std::string JoinPath(const std::string& folder, const std::string& fileName);

} // namespace kfm::filterhost
