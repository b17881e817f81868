#include "metafile/EnhMetafile.h"

#include "EmfFixtures.h"
#include "gdi/DeviceContext.h"
#include "gdi/DibSection.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A bottom-up DIB section of the depth selected into a memory DC; the header has room for the
// whole colour table that an 8-bit section reads.
struct Surface {
    struct {
        BITMAPINFOHEADER bmiHeader;
        RGBQUAD bmiColors[256];
    } info{};
    HBITMAP bitmap = nullptr;
    std::uint8_t* bits = nullptr;
    HDC dc = nullptr;
    HBITMAP previous = nullptr;

    Surface(int width, int height, int bpp) {
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bpp);
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                  DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<std::uint8_t*>(p);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectBitmap(dc, bitmap);
    }
    ~Surface() {
        SelectBitmap(dc, previous);
        DeleteDC(dc);
        DeleteBitmap(bitmap);
    }
    // Pixel (x, y) counted from the top row.
    COLORREF colour(int x, int y) const {
        const int step = info.bmiHeader.biBitCount / 8;
        const std::uint8_t* p =
            bits +
            static_cast<std::size_t>(info.bmiHeader.biHeight - 1 - y) *
                kfm::gdi::dibRowBytes(info.bmiHeader.biWidth, info.bmiHeader.biBitCount) +
            step * x;
        return RGB(p[2], p[1], p[0]);
    }
};

constexpr COLORREF kRed = RGB(220, 0, 0);

HENHMETAFILE topHalfRed() {
    const auto bytes = kfm::test::EmfBuilder(4, 4).solidBrush(kRed).rectangle(0, 0, 5, 3).finish();
    return SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
}

// The rectangle's corners are both inside the picture, and the picture's top row is the DIB's
// top row although the DIB stores it last.
TEST(PlayEnhMetaFile, MapsTheFrameOntoTheInclusiveRectangleTopRowFirst) {
    HENHMETAFILE metafile = topHalfRed();
    ASSERT_TRUE(metafile);
    for (const int bpp : {24, 32}) {
        Surface surface(8, 8, bpp);
        const RECT rect{2, 2, 5, 5};
        EXPECT_TRUE(PlayEnhMetaFile(surface.dc, metafile, &rect)) << bpp;
        EXPECT_EQ(surface.colour(2, 2), kRed) << bpp;
        EXPECT_EQ(surface.colour(5, 3), kRed) << bpp;
        EXPECT_EQ(surface.colour(5, 4), RGB(0, 0, 0)) << bpp;
        EXPECT_EQ(surface.colour(6, 2), RGB(0, 0, 0)) << bpp;
        EXPECT_EQ(surface.colour(1, 2), RGB(0, 0, 0)) << bpp;
        if (bpp == 32) // the fourth byte stays 0, as GDI leaves it
            EXPECT_EQ(surface.bits[(8 - 1 - 2) * 32 + 2 * 4 + 3], 0);
    }
    DeleteEnhMetaFile(metafile);
}

TEST(PlayEnhMetaFile, RefusesWhatItCannotPlay) {
    HENHMETAFILE metafile = topHalfRed();
    Surface surface(4, 4, 24);
    Surface indexed(4, 4, 8);
    const RECT rect{0, 0, 3, 3};
    const RECT inverted{3, 0, 0, 3};
    EXPECT_FALSE(PlayEnhMetaFile(nullptr, metafile, &rect));
    EXPECT_FALSE(PlayEnhMetaFile(surface.dc, nullptr, &rect));
    EXPECT_FALSE(PlayEnhMetaFile(surface.dc, metafile, nullptr));
    EXPECT_FALSE(PlayEnhMetaFile(surface.dc, metafile, &inverted));
    EXPECT_FALSE(PlayEnhMetaFile(indexed.dc, metafile, &rect));
    EXPECT_EQ(surface.colour(0, 0), RGB(0, 0, 0));
    DeleteEnhMetaFile(metafile);
}

} // namespace
