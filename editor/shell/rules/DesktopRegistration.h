#pragma once
// The program's install registration on Linux: a desktop entry that names the program and
// opens GIF files with it, and the association of image/gif with that entry, both in the user's
// data folder ($XDG_DATA_HOME, or ~/.local/share). "/regserver" writes them, "/unregserver"
// removes them and leaves every other entry of the association list alone.

#include <string>

#include "types/Win32Types.h"

namespace kfm::shell {

// The desktop entry's file name (its id for the association list).
constexpr const char* kDesktopEntryName = "keldo-kfm5.desktop";
constexpr const char* kGifMimeType = "image/gif";

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share; no trailing "/".
std::string UserDataFolder();
std::string DesktopEntryPath();
std::string MimeAppsListPath();

// The desktop entry's text for the program at programPath.
std::string DesktopEntryText(const std::string& programPath);
// An association list with desktopId added first to mimeType's line of "[Added Associations]"
// (section and line created when missing), or with desktopId removed from every line of that
// section (lines left empty go).
std::string WithAssociation(const std::string& listText, const std::string& mimeType,
                            const std::string& desktopId);
std::string WithoutAssociation(const std::string& listText, const std::string& desktopId);

// 0 on success, E_FAIL when a file cannot be written or removed.
HRESULT RegisterDesktopEntry(const std::string& programPath);
HRESULT UnregisterDesktopEntry();

} // namespace kfm::shell
