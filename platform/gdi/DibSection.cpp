#include "DibSection.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace kfm::gdi {

std::uint32_t dibRowBytes(std::int32_t width, std::int32_t bitsPerPixel) {
    if (width < 0 || bitsPerPixel < 0)
        return 0;
    const std::uint64_t bits = static_cast<std::uint64_t>(width) * bitsPerPixel;
    return static_cast<std::uint32_t>(((bits + 31) / 32) * 4);
}

namespace {

std::uint32_t tableSize(const BITMAPINFOHEADER& h) {
    if (h.biBitCount > 8)
        return 0;
    const std::uint32_t full = 1u << h.biBitCount;
    return (h.biClrUsed != 0 && h.biClrUsed < full) ? h.biClrUsed : full;
}

// Large sections are filled row by row soon after they are made: in huge pages, where the
// system gives them, that costs a few page faults instead of thousands.
void preferHugePages(void* memory, std::size_t bytes) {
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + bytes) & ~(kHugePage - 1);
    if (bytes >= 4 * kHugePage && end > first)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

} // namespace
} // namespace kfm::gdi

using kfm::gdi::DibSection;

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, HANDLE, DWORD) {
    if (bits)
        *bits = nullptr;
    if (!info)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const int bpp = h.biBitCount;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1)
        return nullptr;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return nullptr;
    const std::uint64_t height =
        h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(kfm::gdi::dibRowBytes(h.biWidth, bpp)) * height;
    if (bytes == 0 || bytes > (std::uint64_t{1} << 34))
        return nullptr;

    auto section = std::unique_ptr<DibSection>(new (std::nothrow) DibSection);
    if (!section)
        return nullptr;
    section->pixels.reset(static_cast<std::uint8_t*>(std::calloc(bytes, 1)));
    if (!section->pixels)
        return nullptr;
    kfm::gdi::preferHugePages(section->pixels.get(), bytes);
    section->pixelBytes = bytes;
    section->header = h;
    section->header.biSizeImage = static_cast<DWORD>(bytes);
    section->colorCount = kfm::gdi::tableSize(h);
    if (h.biCompression == BI_BITFIELDS) {
        std::memcpy(section->bitfields, info->bmiColors, sizeof(section->bitfields));
    } else if (section->colorCount) {
        std::memcpy(section->colors, info->bmiColors, section->colorCount * sizeof(RGBQUAD));
    }
    if (bits)
        *bits = section->pixels.get();
    return section.release();
}

BOOL DeleteBitmap(HBITMAP bitmap) {
    if (!bitmap)
        return FALSE;
    delete bitmap;
    return TRUE;
}

int GetDibSectionInfo(HBITMAP bitmap, DIBSECTION* out) {
    if (!bitmap || !out)
        return 0;
    DIBSECTION ds{};
    const BITMAPINFOHEADER& h = bitmap->header;
    ds.dsBm.bmType = 0;
    ds.dsBm.bmWidth = h.biWidth;
    ds.dsBm.bmHeight = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    ds.dsBm.bmWidthBytes = static_cast<LONG>(kfm::gdi::dibRowBytes(h.biWidth, h.biBitCount));
    ds.dsBm.bmPlanes = 1;
    ds.dsBm.bmBitsPixel = h.biBitCount;
    ds.dsBm.bmBits = bitmap->pixels.get();
    ds.dsBmih = h;
    std::memcpy(ds.dsBitfields, bitmap->bitfields, sizeof(ds.dsBitfields));
    *out = ds;
    return static_cast<int>(sizeof(DIBSECTION));
}

UINT GetDIBColorTable(HBITMAP bitmap, UINT start, UINT count, RGBQUAD* colors) {
    if (!bitmap || !colors || start >= bitmap->colorCount)
        return 0;
    const UINT n = std::min(count, bitmap->colorCount - start);
    std::memcpy(colors, bitmap->colors + start, n * sizeof(RGBQUAD));
    return n;
}

UINT SetDIBColorTable(HBITMAP bitmap, UINT start, UINT count, const RGBQUAD* colors) {
    if (!bitmap || !colors || start >= bitmap->colorCount)
        return 0;
    const UINT n = std::min(count, bitmap->colorCount - start);
    std::memcpy(bitmap->colors + start, colors, n * sizeof(RGBQUAD));
    return n;
}

namespace {

// Reads one pixel of a 16-, 24- or 32-bit row as 8-bit blue, green, red.
void readDeepPixel(const DibSection& s, const std::uint8_t* row, LONG x, BYTE* bgr) {
    switch (s.header.biBitCount) {
    case 16: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        DWORD rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
        if (s.header.biCompression == BI_BITFIELDS) {
            rMask = s.bitfields[0];
            gMask = s.bitfields[1];
            bMask = s.bitfields[2];
        }
        auto expand = [v](DWORD mask) -> BYTE {
            if (!mask)
                return 0;
            int shift = 0;
            while (!((mask >> shift) & 1))
                ++shift;
            int bits = 0;
            while ((mask >> (shift + bits)) & 1)
                ++bits;
            const unsigned value = (v & mask) >> shift;
            const unsigned max = (1u << bits) - 1;
            return static_cast<BYTE>((value * 255 + max / 2) / max);
        };
        bgr[0] = expand(bMask);
        bgr[1] = expand(gMask);
        bgr[2] = expand(rMask);
        break;
    }
    case 24:
        bgr[0] = row[3 * x];
        bgr[1] = row[3 * x + 1];
        bgr[2] = row[3 * x + 2];
        break;
    default:
        bgr[0] = row[4 * x];
        bgr[1] = row[4 * x + 1];
        bgr[2] = row[4 * x + 2];
        break;
    }
}

} // namespace

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT) {
    if (!bitmap || !info || !bits)
        return 0;
    const DibSection& s = *bitmap;
    BITMAPINFOHEADER& target = info->bmiHeader;
    const LONG width = s.header.biWidth;
    const LONG height = s.header.biHeight < 0 ? -s.header.biHeight : s.header.biHeight;
    if (target.biWidth != width || start >= static_cast<UINT>(height))
        return 0;
    const UINT rows = std::min<UINT>(lines, static_cast<UINT>(height) - start);
    const int srcBpp = s.header.biBitCount;
    const int dstBpp = target.biBitCount;
    const std::uint32_t srcRow = kfm::gdi::dibRowBytes(width, srcBpp);
    const std::uint32_t dstRow = kfm::gdi::dibRowBytes(width, dstBpp);
    auto* out = static_cast<std::uint8_t*>(bits);
    const std::uint8_t* in = s.pixels.get();

    if (srcBpp == dstBpp) {
        for (UINT r = 0; r < rows; ++r)
            std::memcpy(out + static_cast<std::size_t>(r) * dstRow,
                        in + static_cast<std::size_t>(start + r) * srcRow,
                        std::min(srcRow, dstRow));
        if (srcBpp <= 8)
            std::memcpy(info->bmiColors, s.colors, s.colorCount * sizeof(RGBQUAD));
        if (srcBpp == 16 && s.header.biCompression == BI_BITFIELDS)
            std::memcpy(info->bmiColors, s.bitfields, sizeof s.bitfields);
        return static_cast<int>(rows);
    }
    if (srcBpp < 16 || (dstBpp != 24 && dstBpp != 32))
        return 0;
    const int dstBytes = dstBpp / 8;
    for (UINT r = 0; r < rows; ++r) {
        const std::uint8_t* srcLine = in + static_cast<std::size_t>(start + r) * srcRow;
        std::uint8_t* dstLine = out + static_cast<std::size_t>(r) * dstRow;
        for (LONG x = 0; x < width; ++x) {
            BYTE bgr[3];
            readDeepPixel(s, srcLine, x, bgr);
            std::memcpy(dstLine + static_cast<std::size_t>(x) * dstBytes, bgr, 3);
            if (dstBytes == 4)
                dstLine[4 * x + 3] = 0;
        }
    }
    return static_cast<int>(rows);
}
