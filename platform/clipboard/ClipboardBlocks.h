#pragma once
// What the clipboard and its MIME forms (ClipboardFormats.h) both build on: the formats
// registered by name and the MIME types they travel as, global blocks made of bytes, and the
// METAFILEPICT block of CF_METAFILEPICT. Clipboard.h includes this header, so its callers see
// all of it.

#include "types/Export.h"
#include "types/Win32Types.h"

#include <optional>
#include <string>

class QByteArray;

extern "C" KFM_PLATFORM_API UINT RegisterClipboardFormatA(const char* name);
// The name a format was registered with; its length, 0 for a format that was not registered.
extern "C" KFM_PLATFORM_API int GetClipboardFormatNameA(UINT format, char* buffer, int size);

namespace kfm::clipboard {
// The MIME type a registered format travels as between programs: "application/x-" and its name
// in lower case; empty for formats that were not registered.
KFM_PLATFORM_API std::string mimeTypeOf(UINT format);
// The metafile picture a CF_METAFILEPICT block holds; nothing for a block too small for one.
KFM_PLATFORM_API std::optional<METAFILEPICT> metafilePictureInBlock(HGLOBAL block);
// A new movable CF_METAFILEPICT block holding the picture (its metafile goes with the block);
// null when there is no memory for it.
KFM_PLATFORM_API HGLOBAL blockOfMetafilePicture(const METAFILEPICT& picture);

// A new movable block holding the bytes; null for no bytes or when there is no memory for them.
HGLOBAL globalOfBytes(const QByteArray& bytes);
} // namespace kfm::clipboard
