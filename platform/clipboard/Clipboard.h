#pragma once
// The desktop's clipboard, shared with other programs, through the clipboard functions of the
// Windows interface. Data go by format number; ClipboardFormats.h says which MIME types each
// format travels as. The functions work in the thread of the QGuiApplication; without one
// (command-line tools, tests without a GUI) or from another thread they fail (FALSE, null).
//
// Handles: CF_DIB, CF_METAFILEPICT, CF_HDROP and registered formats are HGLOBALs, CF_BITMAP an
// HBITMAP, CF_ENHMETAFILE an HENHMETAFILE. The block of CF_METAFILEPICT holds a METAFILEPICT
// whose metafile goes with the block.
// - SetClipboardData takes ownership of its handle: the clipboard frees it when the clipboard is
//   emptied or another program (or another part of this one) replaces the content.
// - GetClipboardData gives the clipboard's handle: the one that was set while this program owns
//   the content, else one made from the desktop's data, which stays valid until the next
//   EmptyClipboard or CloseClipboard. The caller never frees either.
// - SetClipboardData without EmptyClipboard adds to what the clipboard holds, as on Windows.

#include "ClipboardBlocks.h"
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
