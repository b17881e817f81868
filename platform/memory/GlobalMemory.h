#pragma once
// Global memory blocks: the transport of packed DIBs between the library, the clipboard and its
// callers. A block is zero-initialised when asked; the caller frees what it receives.

#include "types/Export.h"
#include "types/Win32Types.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

extern "C" KFM_PLATFORM_API HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
extern "C" KFM_PLATFORM_API void* GlobalLock(HGLOBAL block);
extern "C" KFM_PLATFORM_API BOOL GlobalUnlock(HGLOBAL block);
extern "C" KFM_PLATFORM_API std::size_t GlobalSize(HGLOBAL block);
// Returns null on success, as the platform function does.
extern "C" KFM_PLATFORM_API HGLOBAL GlobalFree(HGLOBAL block);
