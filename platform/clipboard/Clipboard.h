#pragma once
// The clipboard of the process: data by format number, owned by the clipboard once set.
// CF_DIB holds an HGLOBAL with a packed DIB, CF_BITMAP an HBITMAP, CF_ENHMETAFILE an
// HENHMETAFILE, registered formats an HGLOBAL.

#include "types/Export.h"
#include "types/Win32Types.h"

extern "C" KFM_PLATFORM_API BOOL OpenClipboard(HWND owner);
extern "C" KFM_PLATFORM_API BOOL CloseClipboard();
extern "C" KFM_PLATFORM_API BOOL EmptyClipboard();
extern "C" KFM_PLATFORM_API BOOL IsClipboardFormatAvailable(UINT format);
// The data stays the clipboard's.
extern "C" KFM_PLATFORM_API HANDLE GetClipboardData(UINT format);
// The clipboard takes ownership of data; null on failure (clipboard not open).
extern "C" KFM_PLATFORM_API HANDLE SetClipboardData(UINT format, HANDLE data);
extern "C" KFM_PLATFORM_API UINT RegisterClipboardFormatA(const char* name);
// The name a format was registered with; its length, 0 for a format that was not registered.
extern "C" KFM_PLATFORM_API int GetClipboardFormatNameA(UINT format, char* buffer, int size);

#include <string>

namespace kfm::clipboard {
// The MIME type a registered format travels as between programs: "application/x-" and its name
// in lower case; empty for formats that were not registered.
KFM_PLATFORM_API std::string mimeTypeOf(UINT format);
} // namespace kfm::clipboard
