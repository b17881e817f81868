#pragma once
// Device-independent bitmaps: pixel memory with a BITMAPINFOHEADER, rows bottom-up and padded to
// 4 bytes. An HBITMAP names one of these objects.

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::gdi {

// Pixel memory comes from calloc: large blocks arrive as zeroed pages from the system, so a new
// section is not written over once before its first use.
struct FreeDeleter {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

struct DibSection {
    BITMAPINFOHEADER header{};
    DWORD bitfields[3]{};
    RGBQUAD colors[256]{};
    std::uint32_t colorCount = 0;
    std::unique_ptr<std::uint8_t[], FreeDeleter> pixels;
    std::size_t pixelBytes = 0;
};

// Bytes of one row: width x bits rounded up to whole 32-bit words. Computed in 64 bits so wide
// images never wrap; 0 for a negative width or depth.
KFM_PLATFORM_API std::uint32_t dibRowBytes(std::int32_t width, std::int32_t bitsPerPixel);

} // namespace kfm::gdi

// Creates a DIB section from a header and colour table; *bits receives the zeroed pixel memory.
// Null when the header is unusable or memory is short.
extern "C" KFM_PLATFORM_API HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage,
                                                     void** bits, HANDLE section, DWORD offset);
extern "C" KFM_PLATFORM_API BOOL DeleteBitmap(HBITMAP bitmap);
// Fills a DIBSECTION (as GetObject with sizeof(DIBSECTION)); 0 for a null handle.
extern "C" KFM_PLATFORM_API int GetDibSectionInfo(HBITMAP bitmap, DIBSECTION* out);
// Reads and writes the colour table kept with the DIB section.
extern "C" KFM_PLATFORM_API UINT GetDIBColorTable(HBITMAP bitmap, UINT start, UINT count,
                                                  RGBQUAD* colors);
extern "C" KFM_PLATFORM_API UINT SetDIBColorTable(HBITMAP bitmap, UINT start, UINT count,
                                                  const RGBQUAD* colors);

constexpr UINT DIB_RGB_COLORS = 0;

// Copies rows of a DIB section into bits laid out as info describes (its width must match).
// Supports the same depth (with the colour table copied into info), and 16-, 24- and 32-bit
// sources into 24- or 32-bit targets. Returns the number of rows copied, 0 on failure.
extern "C" KFM_PLATFORM_API int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines,
                                          void* bits, BITMAPINFO* info, UINT usage);
