#pragma once
// The drop record of files (CF_HDROP): a 20-byte DROPFILES header (offset of the names, drop
// point, non-client flag, wide flag) and then the names, each zero-terminated, ended by an empty
// one. The clipboard, drag and drop and the document's import of dropped files share it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::clipboard {

// The drop record of the paths (UTF-8) with wide names; null for no paths. The caller frees it
// with GlobalFree.
KFM_PLATFORM_API HGLOBAL makeDropFilesBlock(const std::vector<std::string>& paths);

// The names of a drop record (wide or ANSI names) as UTF-8 paths, read within size bytes: a name
// without its terminating zero inside the block is left out.
KFM_PLATFORM_API std::vector<std::string> dropFilesNames(const std::uint8_t* block,
                                                         std::size_t size);

} // namespace kfm::clipboard
