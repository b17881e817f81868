#include "gdi/DeviceContext.h"
#include "gdi/DibSection.h"
#include "gdi/DrawDib.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstring>
#include <vector>

namespace {

// A DIB section with its header and colour table, freed at the end of the scope.
struct Dib {
    struct Info {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    HBITMAP bitmap = nullptr;
    std::uint8_t* bits = nullptr;

    Dib(int width, int height, int bpp, std::vector<RGBQUAD> colors = {}) {
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = width;
        info.header.biHeight = height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bpp);
        info.header.biClrUsed = static_cast<DWORD>(colors.size());
        std::copy(colors.begin(), colors.end(), info.colors);
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                  DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<std::uint8_t*>(p);
    }
    ~Dib() { DeleteBitmap(bitmap); }
    const BITMAPINFO* bmi() const { return reinterpret_cast<const BITMAPINFO*>(&info); }
    std::uint32_t stride() const {
        return kfm::gdi::dibRowBytes(info.header.biWidth, info.header.biBitCount);
    }
    // Row y counted from the top.
    std::uint8_t* row(int y) const {
        return bits + static_cast<std::size_t>(info.header.biHeight - 1 - y) * stride();
    }
    int index(int x, int y) const {
        const std::uint8_t* r = row(y);
        switch (info.header.biBitCount) {
        case 1:
            return (r[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (r[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
        default:
            return r[x];
        }
    }
    COLORREF color(int x, int y) const {
        const int step = info.header.biBitCount / 8;
        const std::uint8_t* p = row(y) + step * x;
        return RGB(p[2], p[1], p[0]);
    }
};

// A memory DC with a bitmap selected, freed at the end of the scope.
class MemDC {
public:
    explicit MemDC(HBITMAP bitmap, HDC reference = nullptr) : dc_(CreateCompatibleDC(reference)) {
        previous_ = SelectBitmap(dc_, bitmap);
    }
    ~MemDC() {
        SelectBitmap(dc_, previous_);
        DeleteDC(dc_);
    }
    HDC get() const { return dc_; }

private:
    HDC dc_;
    HBITMAP previous_;
};

RGBQUAD quad(BYTE r, BYTE g, BYTE b) {
    return RGBQUAD{b, g, r, 0};
}

} // namespace

TEST(DeviceContext, AnswersTechnologyAndTheSelectedBitmapsDepth) {
    Dib eight(2, 2, 8, {quad(0, 0, 0)});
    MemDC memory(eight.bitmap);
    EXPECT_EQ(GetDeviceCaps(memory.get(), TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_EQ(GetDeviceCaps(memory.get(), BITSPIXEL), 8);

    QImage page(4, 4, QImage::Format_RGB32);
    QPainter painter(&page);
    HDC printer = kfm::gdi::createPainterDC(&painter, kfm::gdi::DeviceKind::Printer, 24);
    EXPECT_EQ(GetDeviceCaps(printer, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(printer, BITSPIXEL), 24);
    HDC compatible = CreateCompatibleDC(printer);
    EXPECT_EQ(GetDeviceCaps(compatible, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(compatible, BITSPIXEL), 1); // the default 1 x 1 bitmap
    EXPECT_EQ(SelectBitmap(printer, eight.bitmap), nullptr);
    DeleteDC(compatible);
    DeleteDC(printer);
    EXPECT_EQ(GetDeviceCaps(nullptr, TECHNOLOGY), 0);
}

TEST(DeviceContext, StretchDIBitsCountsTheSourceFromTheBottomRow) {
    Dib source(1, 4, 24);
    for (int y = 0; y < 4; ++y)
        source.row(y)[2] =
            static_cast<std::uint8_t>(10 * (y + 1)); // red 10, 20, 30, 40 from the top
    Dib target(1, 2, 24);
    MemDC dc(target.bitmap);
    EXPECT_EQ(StretchDIBits(dc.get(), 0, 0, 1, 2, 0, 0, 1, 2, source.bits, source.bmi(),
                            DIB_RGB_COLORS, SRCCOPY),
              2);
    EXPECT_EQ(target.color(0, 0), RGB(30, 0, 0));
    EXPECT_EQ(target.color(0, 1), RGB(40, 0, 0));
}

TEST(DeviceContext, PaletteTargetsKeepIndicesWhereTheColoursAgree) {
    // Entry 3 differs between the tables: its pixels take the target's entry of that colour.
    std::vector<RGBQUAD> sourceTable(16, quad(0, 0, 0));
    std::vector<RGBQUAD> targetTable(16, quad(0, 0, 0));
    for (int i = 0; i < 16; ++i)
        sourceTable[i] = targetTable[i] = quad(static_cast<BYTE>(i * 16), 0, 0);
    sourceTable[3] = quad(0, 0, 255);
    targetTable[9] = quad(0, 0, 255);
    Dib source(5, 1, 4, sourceTable);
    for (int x = 0; x < 5; ++x) {
        const int index = (x == 2) ? 3 : x + 10;
        std::uint8_t& b = source.row(0)[x >> 1];
        b = static_cast<std::uint8_t>((x & 1) ? (b & 0xF0) | index : (b & 0x0F) | (index << 4));
    }
    Dib target(8, 1, 4, targetTable);
    MemDC dc(target.bitmap);
    EXPECT_TRUE(BitBlt(dc.get(), 1, 0, 5, 1, MemDC(source.bitmap).get(), 0, 0, SRCCOPY));
    const int expected[8] = {0, 10, 11, 9, 13, 14, 0, 0};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(target.index(x, 0), expected[x]) << x;
}

TEST(DeviceContext, OneBitTargetsAndRasterOperations) {
    const std::vector<RGBQUAD> mono{quad(0, 0, 0), quad(255, 255, 255)};
    Dib source(10, 1, 1, mono);
    source.row(0)[0] = 0b10110000; // pixels 0, 2, 3 set
    source.row(0)[1] = 0b01000000; // pixel 9 set
    Dib target(12, 1, 1, mono);
    target.row(0)[0] = 0b00000001; // pixel 7 set
    MemDC dc(target.bitmap);
    MemDC from(source.bitmap);
    EXPECT_TRUE(BitBlt(dc.get(), 1, 0, 10, 1, from.get(), 0, 0, SRCPAINT));
    const int expected[12] = {0, 1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 0};
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(target.index(x, 0), expected[x]) << x;
    EXPECT_TRUE(BitBlt(dc.get(), 1, 0, 10, 1, from.get(), 0, 0, SRCINVERT));
    EXPECT_EQ(target.index(7, 0), 1); // 1 ^ 0
    EXPECT_EQ(target.index(1, 0), 0); // 1 ^ 1
    EXPECT_FALSE(BitBlt(dc.get(), 0, 0, 1, 1, from.get(), 0, 0, BLACKNESS));
}

TEST(DeviceContext, BlitsClipToTargetAndSource) {
    Dib source(4, 4, 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            source.row(y)[3 * x + 1] = static_cast<std::uint8_t>(16 * y + x + 1);
    for (const int depth : {24, 32}) {
        Dib target(6, 6, depth);
        std::memset(target.bits, 0xAB, target.stride() * 6);
        MemDC dc(target.bitmap);
        MemDC from(source.bitmap);
        // Starts left of and above the target, and reaches past the source's right edge.
        EXPECT_TRUE(BitBlt(dc.get(), -1, -2, 6, 6, from.get(), 0, 0, SRCCOPY));
        EXPECT_EQ(target.color(0, 0), RGB(0, 16 * 2 + 1 + 1, 0));
        EXPECT_EQ(target.color(2, 1), RGB(0, 16 * 3 + 3 + 1, 0));
        EXPECT_EQ(target.color(3, 0), RGB(0xAB, 0xAB, 0xAB)); // source column 4 does not exist
        EXPECT_EQ(target.color(0, 2), RGB(0xAB, 0xAB, 0xAB)); // nor source row 4
        if (depth == 32) {
            EXPECT_EQ(target.row(0)[3], 0); // GDI leaves the fourth byte 0
        }
        EXPECT_FALSE(StretchBlt(dc.get(), 0, 0, 0, 2, from.get(), 0, 0, 2, 2, SRCCOPY));
        EXPECT_FALSE(StretchBlt(dc.get(), 0, 0, 2, 2, nullptr, 0, 0, 2, 2, SRCCOPY));
    }
}

TEST(DeviceContext, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    const std::vector<RGBQUAD> table{quad(0, 0, 0), quad(255, 255, 255), quad(200, 0, 0)};
    Dib target(8, 6, 8, table);
    std::memset(target.bits, 7, target.stride() * 6);
    MemDC dc(target.bitmap);
    HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
    SelectBrush(dc.get(), red);
    EXPECT_FALSE(DeleteBrush(red)); // still selected
    SelectPen(dc.get(), GetStockPen(BLACK_PEN));
    EXPECT_TRUE(Rectangle(dc.get(), 1, 1, 5, 4));
    EXPECT_EQ(target.index(1, 1), 0);
    EXPECT_EQ(target.index(4, 3), 0);
    EXPECT_EQ(target.index(2, 2), 2);
    EXPECT_EQ(target.index(5, 2), 7);
    // With the null pen the fill is one pixel smaller than the rectangle.
    SelectPen(dc.get(), GetStockPen(NULL_PEN));
    EXPECT_TRUE(Rectangle(dc.get(), 5, 0, 8, 3));
    EXPECT_EQ(target.index(5, 0), 2);
    EXPECT_EQ(target.index(6, 1), 2);
    EXPECT_EQ(target.index(7, 1), 7);
    EXPECT_EQ(target.index(6, 2), 7);
    SelectBrush(dc.get(), GetStockBrush(NULL_BRUSH));
    EXPECT_TRUE(DeleteBrush(red));
}

TEST(DeviceContext, DrawDibHalftonesTrueColourIntoPaletteTargets) {
    // A 2 x 1 picture of black and white halved into one pixel: the average, grey, is matched.
    const std::vector<RGBQUAD> table{quad(0, 0, 0), quad(255, 255, 255), quad(128, 128, 128)};
    Dib source(2, 1, 24);
    std::memset(source.row(0) + 3, 255, 3);
    Dib target(1, 1, 8, table);
    MemDC dc(target.bitmap);
    HDRAWDIB dd = DrawDibOpen();
    ASSERT_TRUE(DrawDibBegin(dd, dc.get(), 1, 1, &source.info.header, 2, 1, DDF_HALFTONE));
    EXPECT_TRUE(
        DrawDibDraw(dd, dc.get(), 0, 0, -1, -1, &source.info.header, source.bits, 0, 0, -1, -1, 0));
    EXPECT_EQ(target.index(0, 0), 2);
    DrawDibEnd(dd);
    // Without halftone the nearest pixel is taken.
    EXPECT_TRUE(
        DrawDibDraw(dd, dc.get(), 0, 0, 1, 1, &source.info.header, source.bits, 0, 0, 2, 1, 0));
    EXPECT_EQ(target.index(0, 0), 1);
    EXPECT_TRUE(DrawDibClose(dd));
}

TEST(DeviceContext, PalettesAreRealisedOnPaletteDevicesOnly) {
    LOGPALETTE logical{0x300, 1, {{1, 2, 3, 0}}};
    HPALETTE palette = CreatePalette(&logical);
    QImage screen(2, 2, QImage::Format_RGB32);
    QPainter painter(&screen);
    HDC eight = kfm::gdi::createPainterDC(&painter, kfm::gdi::DeviceKind::RasterDisplay, 8);
    HDC deep = kfm::gdi::createPainterDC(&painter, kfm::gdi::DeviceKind::RasterDisplay, 32);
    EXPECT_EQ(SelectPalette(eight, palette, FALSE), GetStockPalette(DEFAULT_PALETTE));
    EXPECT_EQ(RealizePalette(eight), 1u);
    SelectPalette(deep, palette, FALSE);
    EXPECT_EQ(RealizePalette(deep), 0u);
    EXPECT_EQ(RealizePalette(nullptr), GDI_ERROR);
    EXPECT_FALSE(DeletePalette(palette));
    SelectPalette(eight, GetStockPalette(DEFAULT_PALETTE), FALSE);
    SelectPalette(deep, GetStockPalette(DEFAULT_PALETTE), FALSE);
    EXPECT_TRUE(DeletePalette(palette));
    DeleteDC(eight);
    DeleteDC(deep);
}

namespace {

// The source pixel whose area holds a target pixel's centre, written out plainly.
int nearestSource(int offset, int start, int sourceSize, int targetSize) {
    return start + (2 * offset + 1) * sourceSize / (2 * targetSize);
}

} // namespace

TEST(DeviceContext, PaletteStretchesTakeTheNearestSourcePixel) {
    const struct {
        const char* name;
        int sourceWidth, sourceHeight, sourceBpp;
        int x, y, width, height;             // target rectangle
        int srcX, srcY, srcWidth, srcHeight; // source rectangle
        DWORD rop;
    } cases[] = {
        {"half", 40, 30, 8, 0, 0, 20, 15, 0, 0, 40, 30, SRCCOPY},
        {"two thirds", 31, 17, 8, 0, 0, 21, 11, 0, 0, 31, 17, SRCCOPY},
        {"enlarged", 7, 5, 8, 0, 0, 23, 19, 0, 0, 7, 5, SRCCOPY},
        {"partly left and above", 40, 30, 8, -5, -3, 30, 25, 0, 0, 40, 30, SRCCOPY},
        {"beyond the right", 40, 30, 8, 10, 4, 40, 30, 0, 0, 40, 30, SRCCOPY},
        {"source partly outside", 20, 20, 8, 0, 0, 25, 25, -4, 2, 26, 24, SRCCOPY},
        {"four-bit source", 33, 9, 4, 1, 1, 20, 6, 0, 0, 33, 9, SRCCOPY},
        {"inverting", 40, 30, 8, 0, 0, 20, 15, 0, 0, 40, 30, SRCINVERT},
    };
    for (const auto& c : cases) {
        const int colours = 1 << c.sourceBpp;
        std::vector<RGBQUAD> table(static_cast<std::size_t>(colours));
        for (int i = 0; i < colours; ++i)
            table[static_cast<std::size_t>(i)] =
                quad(static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2));
        Dib source(c.sourceWidth, c.sourceHeight, c.sourceBpp, table);
        for (int y = 0; y < c.sourceHeight; ++y)
            for (int x = 0; x < c.sourceWidth; ++x) {
                const int index = (x * 7 + y * 13) % colours;
                std::uint8_t* r = source.row(y);
                if (c.sourceBpp == 8)
                    r[x] = static_cast<std::uint8_t>(index);
                else
                    r[x >> 1] = static_cast<std::uint8_t>(
                        (x & 1) ? (r[x >> 1] & 0xF0) | index : (r[x >> 1] & 0x0F) | (index << 4));
            }
        table.resize(256, quad(1, 1, 1));
        Dib target(36, 28, 8, table);
        for (int y = 0; y < 28; ++y)
            std::memset(target.row(y), 200, 36);
        MemDC dc(target.bitmap);
        ASSERT_TRUE(StretchBlt(dc.get(), c.x, c.y, c.width, c.height, MemDC(source.bitmap).get(),
                               c.srcX, c.srcY, c.srcWidth, c.srcHeight, c.rop))
            << c.name;
        int wrong = 0;
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 36; ++x) {
                int expected = 200;
                const bool inside = x >= c.x && x < c.x + c.width && y >= c.y && y < c.y + c.height;
                const int u = nearestSource(x - c.x, c.srcX, c.srcWidth, c.width);
                const int v = nearestSource(y - c.y, c.srcY, c.srcHeight, c.height);
                if (inside && u >= 0 && u < c.sourceWidth && v >= 0 && v < c.sourceHeight) {
                    const int index = source.index(u, v);
                    expected = c.rop == SRCINVERT ? (index ^ 200) : index;
                }
                wrong += target.index(x, y) != expected;
            }
        EXPECT_EQ(wrong, 0) << c.name;
    }
}
