// Creating images in every depth, packed DIBs, bitmaps, the clipboard, copies, separations,
// accessors and the comparison of images.

#include "ImageCreation.h"
#include "ImageTable.h"
#include "LibraryPalettes.h"

#include "clipboard/Clipboard.h"
#include "gdi/DibSection.h"
#include "memory/GlobalMemory.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class ImageCreationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(KpxLiveImageCount(), 0) << "an earlier test leaked images"; }
    void TearDown() override {
        for (auto it = owned_.rbegin(); it != owned_.rend(); ++it)
            while (KpxFindImage(*it))
                KPXDeleteImage(*it);
        EXPECT_EQ(KpxLiveImageCount(), 0);
    }
    KpxHandle keep(KpxHandle h) {
        owned_.push_back(h);
        return h;
    }

private:
    std::vector<KpxHandle> owned_;
};

const BITMAPINFOHEADER& headerOf(KpxHandle h) {
    return KPXGetBitmapInfoHeader(h)->bmiHeader;
}

// A packed DIB in a global block: header, then `extra` (colour table or masks), then pixels.
HGLOBAL packedDib(int width, int height, int bpp, DWORD compression,
                  const std::vector<DWORD>& extra, const std::vector<std::uint8_t>& pixels,
                  DWORD sizeImage = 0, std::size_t cutBytes = 0) {
    const std::size_t size = sizeof(BITMAPINFOHEADER) + 4 * extra.size() + pixels.size() - cutBytes;
    HGLOBAL block = GlobalAlloc(GHND, size);
    auto* p = static_cast<std::uint8_t*>(GlobalLock(block));
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bpp);
    h.biCompression = compression;
    h.biSizeImage = sizeImage;
    h.biClrUsed = bpp <= 8 ? static_cast<DWORD>(extra.size()) : 0;
    std::memcpy(p, &h, sizeof h);
    if (!extra.empty())
        std::memcpy(p + sizeof h, extra.data(), 4 * extra.size());
    if (pixels.size() > cutBytes)
        std::memcpy(p + sizeof h + 4 * extra.size(), pixels.data(), pixels.size() - cutBytes);
    GlobalUnlock(block);
    return block;
}

// Blue, green, red of pixel x of row y (counted from the bottom) of a 24-bit image.
std::vector<int> bgrAt(KpxHandle h, int x, int y) {
    const std::uint8_t* p = KPXGetBits(h) + y * KPXGetScanBytes(h) + 3 * x;
    return {p[0], p[1], p[2]};
}

struct DepthCase {
    int requested;
    int bits;
    DWORD compression;
    DWORD colors;
};

TEST_F(ImageCreationTest, CreatesEveryDepthWithItsHeader) {
    const DepthCase cases[] = {
        {0, 1, BI_RGB, 2},
        {1, 1, BI_RGB, 2},
        {2, 4, BI_RGB, 16},
        {4, 4, BI_RGB, 16},
        {5, 8, BI_RGB, 256},
        {8, 8, BI_RGB, 256},
        {16, 24, BI_RGB, 0},
        {24, 24, BI_RGB, 0},
        {25, 32, BI_RGB, 0},
        {32, 32, BI_RGB, 0},
        {kKpxDepth565, 16, BI_BITFIELDS, 0},
    };
    for (const DepthCase& c : cases) {
        SCOPED_TRACE(c.requested);
        const KpxHandle h = keep(KPXCreateImage(10, 3, c.requested));
        ASSERT_NE(h, 0);
        const BITMAPINFOHEADER& hdr = headerOf(h);
        EXPECT_EQ(hdr.biSize, 40u);
        EXPECT_EQ(hdr.biWidth, 10);
        EXPECT_EQ(hdr.biHeight, 3);
        EXPECT_EQ(hdr.biPlanes, 1);
        EXPECT_EQ(hdr.biBitCount, c.bits);
        EXPECT_EQ(KPXbpp(h), c.bits);
        EXPECT_EQ(hdr.biCompression, c.compression);
        EXPECT_EQ(hdr.biClrUsed, c.colors);
        EXPECT_EQ(hdr.biClrImportant, 0u);
        EXPECT_EQ(KPXGetScanBytes(h), KPXCalcScanBytes(10, c.bits));
        EXPECT_EQ(hdr.biSizeImage, static_cast<DWORD>(3 * KPXGetScanBytes(h)));
        EXPECT_EQ(KPXSizeImage(h), hdr.biSizeImage);
        EXPECT_NE(KPXGetBitmap(h), nullptr);
    }
}

TEST_F(ImageCreationTest, The565FormKeepsItsMasksBehindTheHeader) {
    const KpxHandle h = keep(KPXCreateImage(10, 10, kKpxDepth565));
    const auto* masks = reinterpret_cast<const DWORD*>(
        reinterpret_cast<const std::uint8_t*>(KPXGetBitmapInfoHeader(h)) + 40);
    EXPECT_EQ(masks[0], 0xF800u);
    EXPECT_EQ(masks[1], 0x07E0u);
    EXPECT_EQ(masks[2], 0x001Fu);
    // A copy keeps the form.
    const KpxHandle copy = keep(KPXCreateImageFrom(h, 0));
    EXPECT_EQ(KPXbpp(copy), 16);
    EXPECT_EQ(headerOf(copy).biCompression, BI_BITFIELDS);
    EXPECT_EQ(KPXCompareImages(h, copy), 1);
}

TEST_F(ImageCreationTest, RowSizes) {
    EXPECT_EQ(KPXCalcScanBytes(10, 1), 4);
    EXPECT_EQ(KPXCalcScanBytes(3, 24), 12);
    EXPECT_EQ(KPXCalcScanBytes(1, 8), 4);
    EXPECT_EQ(KPXCalcScanBytes(9, 4), 8);
    EXPECT_EQ(KPXCalcScanBytes(22000, 24), 66000);
    // A wide image: the row size must not wrap at 16 bits.
    const KpxHandle wide = keep(KPXCreateImage(22000, 2, 24));
    ASSERT_NE(wide, 0);
    EXPECT_EQ(KPXWidth(wide), 22000);
    EXPECT_EQ(KPXGetScanBytes(wide), 66000);
    EXPECT_EQ(KPXSizeImage(wide), 132000u);
    KPXGetBits(wide)[131999] = 7; // the last byte of the top row is inside the image
}

TEST_F(ImageCreationTest, RefusesSizesThatAreNotPositive) {
    EXPECT_EQ(KPXCreateImage(0, 5, 8), 0);
    EXPECT_EQ(KPXCreateImage(5, -1, 8), 0);
    EXPECT_EQ(KPXCreateImage(40000, 5, 8), 0); // -25536 as a 16-bit width
}

TEST_F(ImageCreationTest, ClearedImagesHaveTheDefaultTables) {
    const KpxHandle h8 = keep(KPXCreateImage(5, 5, 8));
    const RGBQUAD* table = KPXGetBitmapInfoHeader(h8)->bmiColors;
    const PALETTEENTRY* hard = KPXGetHardPalette();
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(table[i].rgbRed, hard[i].peRed);
        EXPECT_EQ(table[i].rgbGreen, hard[i].peGreen);
        EXPECT_EQ(table[i].rgbBlue, hard[i].peBlue);
        EXPECT_EQ(table[i].rgbReserved, 0);
    }
    const std::uint8_t* bits = KPXGetBits(h8);
    for (DWORD i = 0; i < KPXSizeImage(h8); ++i)
        ASSERT_EQ(bits[i], 0);
    // The DIB section holds the same table.
    RGBQUAD section[256];
    ASSERT_EQ(GetDIBColorTable(KPXGetBitmap(h8), 0, 256, section), 256u);
    EXPECT_EQ(std::memcmp(section, table, sizeof section), 0);

    const KpxHandle h1 = keep(KPXCreateImage(5, 5, 1));
    const RGBQUAD* mono = KPXGetBitmapInfoHeader(h1)->bmiColors;
    EXPECT_EQ(mono[0].rgbRed + mono[0].rgbGreen + mono[0].rgbBlue, 0);
    EXPECT_EQ(mono[1].rgbRed + mono[1].rgbGreen + mono[1].rgbBlue, 3 * 255);

    const KpxHandle h4 = keep(KPXCreateImage(5, 5, 4));
    const RGBQUAD* sixteen = KPXGetBitmapInfoHeader(h4)->bmiColors;
    const PALETTEENTRY* windows16 = KPXGetWindows16Palette();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(sixteen[i].rgbRed, windows16[i].peRed);
        EXPECT_EQ(sixteen[i].rgbBlue, windows16[i].peBlue);
    }
}

TEST_F(ImageCreationTest, PackedDibWithoutImageSizeIsAccepted) {
    std::vector<DWORD> colors(256);
    for (int i = 0; i < 256; ++i)
        colors[i] = static_cast<DWORD>(i) * 0x010101u; // grey ramp
    std::vector<std::uint8_t> pixels(8 * 2);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 9);
    HGLOBAL block = packedDib(5, 2, 8, BI_RGB, colors, pixels);
    const KpxHandle h = keep(KPXCreateImageFromGlobal(block));
    ASSERT_NE(h, 0);
    EXPECT_EQ(KPXWidth(h), 5);
    EXPECT_EQ(KPXHeight(h), 2);
    EXPECT_EQ(KPXbpp(h), 8);
    EXPECT_EQ(std::memcmp(KPXGetBits(h), pixels.data(), pixels.size()), 0);
    EXPECT_EQ(KPXGetBitmapInfoHeader(h)->bmiColors[200].rgbGreen, 200);
    // The computed size is written back into the block.
    EXPECT_EQ(static_cast<BITMAPINFOHEADER*>(GlobalLock(block))->biSizeImage, 16u);
    GlobalUnlock(block);
    GlobalFree(block);
}

TEST_F(ImageCreationTest, PackedDibWithAShortColourTable) {
    const std::vector<DWORD> colors = {0x00FF0000, 0x0000FF00, 0x000000FF};
    HGLOBAL block = packedDib(4, 1, 8, BI_RGB, colors, {0, 1, 2, 3});
    const KpxHandle h = keep(KPXCreateImageFromGlobal(block));
    ASSERT_NE(h, 0);
    const RGBQUAD* table = KPXGetBitmapInfoHeader(h)->bmiColors;
    EXPECT_EQ(table[0].rgbRed, 255);
    EXPECT_EQ(table[2].rgbBlue, 255);
    EXPECT_EQ(KPXGetBits(h)[3], 3);
    GlobalFree(block);
}

// A colour count above INT_MAX is more than the depth allows, so the whole table is read (it
// once became a negative table length).
TEST_F(ImageCreationTest, PackedDibWithAColourCountAboveIntMaxReadsTheWholeTable) {
    std::vector<DWORD> colors(256, 0x00102030);
    HGLOBAL block = packedDib(4, 1, 8, BI_RGB, colors, {0, 1, 2, 255});
    static_cast<BITMAPINFOHEADER*>(GlobalLock(block))->biClrUsed = 0xFFFFFFFCu;
    GlobalUnlock(block);
    const KpxHandle h = keep(KPXCreateImageFromGlobal(block));
    ASSERT_NE(h, 0);
    EXPECT_EQ(KPXGetBitmapInfoHeader(h)->bmiColors[255].rgbGreen, 0x20);
    EXPECT_EQ(KPXGetBits(h)[3], 255);
    GlobalFree(block);
}

// A 2-bit DIB becomes a 4-bit image with the same indexes (its pixels were once left zero).
TEST_F(ImageCreationTest, TwoBitPackedDibKeepsItsIndexes) {
    const std::vector<DWORD> colors = {0x00000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
    // Five pixels a row, 3 2 1 0 3 and 0 1 2 3 0, each row padded to four bytes.
    HGLOBAL block = packedDib(5, 2, 2, BI_RGB, colors,
                              {0b11100100, 0b11000000, 0, 0, 0b00011011, 0b00000000, 0, 0});
    const KpxHandle h = keep(KPXCreateImageFromGlobal(block));
    ASSERT_NE(h, 0);
    EXPECT_EQ(KPXbpp(h), 4);
    const std::uint8_t* bits = KPXGetBits(h);
    EXPECT_EQ(bits[0], 0x32);
    EXPECT_EQ(bits[1], 0x10);
    EXPECT_EQ(bits[2] & 0xF0, 0x30);
    EXPECT_EQ(bits[4], 0x01);
    EXPECT_EQ(bits[5], 0x23);
    EXPECT_EQ(bits[6] & 0xF0, 0x00);
    EXPECT_EQ(KPXGetBitmapInfoHeader(h)->bmiColors[3].rgbBlue, 0xFF);
    GlobalFree(block);
}

TEST_F(ImageCreationTest, BrokenPackedDibsAreRefused) {
    const std::vector<std::uint8_t> pixels(12 * 4, 0x55);
    // Pixels cut short by one byte.
    HGLOBAL truncated = packedDib(4, 4, 24, BI_RGB, {}, pixels, 0, 1);
    EXPECT_EQ(KPXCreateImageFromGlobal(truncated), 0);
    GlobalFree(truncated);
    // A header that claims far more rows than the block holds.
    HGLOBAL tall = packedDib(4, 1000, 24, BI_RGB, {}, pixels);
    EXPECT_EQ(KPXCreateImageFromGlobal(tall), 0);
    GlobalFree(tall);
    // Only the header.
    HGLOBAL bare = packedDib(4, 4, 8, BI_RGB, {}, {}, 0);
    EXPECT_EQ(KPXCreateImageFromGlobal(bare), 0);
    GlobalFree(bare);
    // Compressed (RLE) data is not a plain DIB.
    HGLOBAL rle = packedDib(4, 4, 8, 1, {}, pixels);
    EXPECT_EQ(KPXCreateImageFromGlobal(rle), 0);
    GlobalFree(rle);
    // Planes and bits per pixel whose product is no depth.
    HGLOBAL planes = packedDib(4, 4, 24, BI_RGB, {}, pixels);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(planes));
    header->biPlanes = 0xFFFF;
    header->biBitCount = 0xFFFF;
    GlobalUnlock(planes);
    EXPECT_EQ(KPXCreateImageFromGlobal(planes), 0);
    GlobalFree(planes);
    EXPECT_EQ(KPXCreateImageFromGlobal(nullptr), 0);
    EXPECT_EQ(KpxLiveImageCount(), 0);
}

TEST_F(ImageCreationTest, SixteenBitDibsBecomeTwentyFourBits) {
    // One row: red, green, blue, white.
    const std::vector<std::uint8_t> rgb555 = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F};
    const std::vector<std::uint8_t> rgb565 = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF};
    HGLOBAL b555 = packedDib(4, 1, 16, BI_RGB, {}, rgb555);
    HGLOBAL b565 = packedDib(4, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, rgb565);
    for (HGLOBAL block : {b555, b565}) {
        const KpxHandle h = keep(KPXCreateImageFromGlobal(block));
        ASSERT_NE(h, 0);
        EXPECT_EQ(KPXbpp(h), 24);
        EXPECT_EQ(bgrAt(h, 0, 0), (std::vector<int>{0, 0, 255}));
        EXPECT_EQ(bgrAt(h, 1, 0), (std::vector<int>{0, 255, 0}));
        EXPECT_EQ(bgrAt(h, 2, 0), (std::vector<int>{255, 0, 0}));
        EXPECT_EQ(bgrAt(h, 3, 0), (std::vector<int>{255, 255, 255}));
        GlobalFree(block);
    }
}

TEST_F(ImageCreationTest, TwentyFourBitDibKeepsItsPixels) {
    std::vector<std::uint8_t> pixels(8 * 2);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i + 1);
    HGLOBAL block = packedDib(2, 2, 24, BI_RGB, {}, pixels, 16);
    const KpxHandle h = keep(KPXCreateImageFromGlobal(block));
    ASSERT_NE(h, 0);
    EXPECT_EQ(KPXbpp(h), 24);
    EXPECT_EQ(std::memcmp(KPXGetBits(h), pixels.data(), pixels.size()), 0);
    GlobalFree(block);
}

// A DIB section owned by the test, with a four-colour table.
HBITMAP paletteSection(int bpp, int width, int height, void** bits) {
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[256];
    } info{};
    info.h.biSize = 40;
    info.h.biWidth = width;
    info.h.biHeight = height;
    info.h.biPlanes = 1;
    info.h.biBitCount = static_cast<WORD>(bpp);
    info.h.biClrUsed = bpp <= 8 ? (1u << bpp) : 0;
    info.colors[1] = RGBQUAD{10, 20, 30, 0};
    info.colors[2] = RGBQUAD{40, 50, 60, 0};
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, bits,
                            nullptr, 0);
}

TEST_F(ImageCreationTest, AttachTakesOverTheSectionWithoutCopying) {
    void* bits = nullptr;
    HBITMAP section = paletteSection(8, 6, 3, &bits);
    ASSERT_NE(section, nullptr);
    static_cast<std::uint8_t*>(bits)[0] = 2;
    const KpxHandle h = keep(KPXCreateImageAttach(section, nullptr));
    ASSERT_NE(h, 0);
    EXPECT_EQ(KPXGetBits(h), bits);
    EXPECT_EQ(KPXGetBitmap(h), section);
    EXPECT_EQ(KPXWidth(h), 6);
    EXPECT_EQ(KPXbpp(h), 8);
    EXPECT_EQ(headerOf(h).biClrUsed, 256u);
    EXPECT_EQ(KPXGetBitmapInfoHeader(h)->bmiColors[2].rgbRed, 60);
    // The image owns the section now: deleting the image frees it (checked under ASan).
}

TEST_F(ImageCreationTest, FromBitmapCopiesAndLeavesTheBitmapToTheCaller) {
    void* bits = nullptr;
    HBITMAP section = paletteSection(4, 3, 2, &bits);
    static_cast<std::uint8_t*>(bits)[0] = 0x12; // pixels 1 and 2
    const KpxHandle h = keep(KPXCreateImageFromBitmap(section, nullptr));
    ASSERT_NE(h, 0);
    EXPECT_EQ(KPXbpp(h), 4);
    EXPECT_NE(KPXGetBits(h), bits);
    EXPECT_EQ(KPXGetBits(h)[0], 0x12);
    EXPECT_EQ(KPXGetBitmapInfoHeader(h)->bmiColors[1].rgbBlue, 10);
    EXPECT_EQ(DeleteBitmap(section), TRUE);

    // A 32-bit bitmap is capped at 24 bits.
    struct {
        BITMAPINFOHEADER h;
    } info{{40, 2, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0}};
    HBITMAP deep = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
    const std::uint8_t px[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    std::memcpy(bits, px, sizeof px);
    const KpxHandle h24 = keep(KPXCreateImageFromBitmap(deep, nullptr));
    EXPECT_EQ(KPXbpp(h24), 24);
    EXPECT_EQ(bgrAt(h24, 1, 0), (std::vector<int>{4, 5, 6}));
    DeleteBitmap(deep);
    EXPECT_EQ(KPXCreateImageFromBitmap(nullptr, nullptr), 0);
}

TEST_F(ImageCreationTest, ClipboardRoundTrips) {
    kfm::test::ensureGuiApplication(); // the clipboard is the desktop's
    const KpxHandle h = keep(KPXCreateImage(7, 5, 8));
    KPXGetBits(h)[3] = 99;
    KPXGetBitmapInfoHeader(h)->bmiColors[99] = RGBQUAD{1, 2, 3, 0};
    for (UINT format : {CF_DIB, CF_BITMAP}) {
        SCOPED_TRACE(format);
        ASSERT_EQ(KPXCopyImageToClipboard(nullptr, h, static_cast<int>(format), 1), 1);
        EXPECT_TRUE(IsClipboardFormatAvailable(format));
        // The other picture format is made from it, as on Windows.
        EXPECT_TRUE(IsClipboardFormatAvailable(format == CF_DIB ? CF_BITMAP : CF_DIB));
        const KpxHandle back = keep(KPXCreateImageFromClipboard(nullptr));
        ASSERT_NE(back, 0);
        EXPECT_NE(back, h);
        EXPECT_EQ(KPXCompareImages(h, back), 1);
    }
    EXPECT_EQ(KPXCopyImageToClipboard(nullptr, h, 14, 1), 0);
    EXPECT_EQ(KPXCopyImageToClipboard(nullptr, 0, CF_DIB, 1), 0);
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(KPXCreateImageFromClipboard(nullptr), 0);
}

TEST_F(ImageCreationTest, ThirtyTwoBitClipboardPicturesBecomeTwentyFourBits) {
    kfm::test::ensureGuiApplication(); // the clipboard is the desktop's
    const KpxHandle h = keep(KPXCreateImage(2, 1, 32));
    std::uint8_t* bits = KPXGetBits(h);
    const std::uint8_t px[8] = {10, 20, 30, 0, 40, 50, 60, 0};
    std::memcpy(bits, px, sizeof px);
    ASSERT_EQ(KPXCopyImageToClipboard(nullptr, h, CF_DIB, 1), 1);
    const KpxHandle back = keep(KPXCreateImageFromClipboard(nullptr));
    ASSERT_NE(back, 0);
    EXPECT_EQ(KPXbpp(back), 24);
    EXPECT_EQ(bgrAt(back, 1, 0), (std::vector<int>{40, 50, 60}));
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
}

TEST_F(ImageCreationTest, SeparationPlates) {
    // Orange (255, 128, 0) and grey (100, 100, 100) in a 24-bit image.
    const KpxHandle rgb = keep(KPXCreateImage(2, 1, 24));
    std::uint8_t* bits = KPXGetBits(rgb);
    const std::uint8_t px[6] = {0, 128, 255, 100, 100, 100};
    std::memcpy(bits, px, sizeof px);
    // The same colours through a palette.
    const KpxHandle indexed = keep(KPXCreateImage(2, 1, 8));
    RGBQUAD* table = KPXGetBitmapInfoHeader(indexed)->bmiColors;
    table[5] = RGBQUAD{0, 128, 255, 0};
    table[6] = RGBQUAD{100, 100, 100, 0};
    KPXGetBits(indexed)[0] = 5;
    KPXGetBits(indexed)[1] = 6;

    struct PlateCase {
        int plate;
        int orange;
        int grey;
    };
    // Cyan 0/0, magenta 127/0, yellow 255/0, black 0/155.
    const PlateCase plates[] = {{2, 0, 0}, {3, 127, 0}, {4, 255, 0}, {5, 0, 155}};
    for (const KpxHandle source : {rgb, indexed}) {
        for (const PlateCase& c : plates) {
            for (int keepValue : {1, 0}) {
                SCOPED_TRACE(testing::Message() << "plate " << c.plate << " keep " << keepValue);
                const KpxHandle sep = keep(KPXCreateImageSeparateColor(source, c.plate, keepValue));
                ASSERT_NE(sep, 0);
                EXPECT_EQ(KPXbpp(sep), 8);
                const RGBQUAD grey = KPXGetBitmapInfoHeader(sep)->bmiColors[77];
                EXPECT_EQ(grey.rgbRed, 77);
                EXPECT_EQ(grey.rgbBlue, 77);
                const std::uint8_t* out = KPXGetBits(sep);
                EXPECT_EQ(out[0], keepValue ? c.orange : 255 - c.orange);
                EXPECT_EQ(out[1], keepValue ? c.grey : 255 - c.grey);
                KPXDeleteImage(sep);
            }
        }
    }
    EXPECT_EQ(KPXCreateImageSeparateColor(0, 2, 1), 0);
}

TEST_F(ImageCreationTest, GlobalBlockHoldsInfoThenPixels) {
    const KpxHandle h = keep(KPXCreateImage(3, 2, 8));
    KPXGetBits(h)[5] = 42;
    HGLOBAL block = KPXGetGlobalBlock(h);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 40u + 1024u + 8u);
    const auto* p = static_cast<const std::uint8_t*>(GlobalLock(block));
    EXPECT_EQ(std::memcmp(p, KPXGetBitmapInfoHeader(h), 40 + 1024), 0);
    EXPECT_EQ(p[40 + 1024 + 5], 42);
    GlobalUnlock(block);
    // The block is a packed DIB again.
    const KpxHandle back = keep(KPXCreateImageFromGlobal(block));
    EXPECT_EQ(KPXCompareImages(h, back), 1);
    GlobalFree(block);

    const KpxHandle h565 = keep(KPXCreateImage(3, 2, kKpxDepth565));
    HGLOBAL block565 = KPXGetGlobalBlock(h565);
    EXPECT_EQ(GlobalSize(block565), 40u + 12u + 16u);
    const auto* masks =
        reinterpret_cast<const DWORD*>(static_cast<std::uint8_t*>(GlobalLock(block565)) + 40);
    EXPECT_EQ(masks[0], 0xF800u);
    GlobalUnlock(block565);
    GlobalFree(block565);
    EXPECT_EQ(KPXGetGlobalBlock(0), nullptr);
}

TEST_F(ImageCreationTest, DetachHandsOverTheBitmap) {
    const KpxHandle h = KPXCreateImage(4, 4, 24);
    KPXGetBits(h)[0] = 17;
    HBITMAP bitmap = KPXDeleteImageDetach(h);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(KpxFindImage(h), nullptr);
    DIBSECTION ds{};
    ASSERT_NE(GetDibSectionInfo(bitmap, &ds), 0);
    EXPECT_EQ(ds.dsBm.bmWidth, 4);
    EXPECT_EQ(static_cast<std::uint8_t*>(ds.dsBm.bmBits)[0], 17);
    EXPECT_EQ(DeleteBitmap(bitmap), TRUE);
    EXPECT_EQ(KPXDeleteImageDetach(h), nullptr);
}

TEST_F(ImageCreationTest, DetachOfAHeldImageHandsOutNothing) {
    const KpxHandle h = keep(KPXCreateImage(4, 4, 24));
    KpxImageRecord* r = KpxLockImage(h, kKpxWrite);
    EXPECT_EQ(KPXDeleteImageDetach(h), nullptr);
    KpxUnlockImage(r, 0);
    EXPECT_NE(KPXGetBitmap(h), nullptr); // still the image's own
}

TEST_F(ImageCreationTest, SixteenBitCopiesOfFiveFiveFiveSectionsAreConverted) {
    struct {
        BITMAPINFOHEADER h;
    } info{{40, 2, 1, 1, 16, BI_RGB, 0, 0, 0, 0, 0}};
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    const std::uint8_t px[4] = {0x00, 0x7C, 0x1F, 0x00}; // red, blue
    std::memcpy(bits, px, sizeof px);
    const KpxHandle h = keep(KPXCreateImageAttach(section, nullptr));
    ASSERT_EQ(KPXbpp(h), 16);
    const KpxHandle copy = keep(KPXCreateImageFrom(h, 0));
    ASSERT_EQ(KPXbpp(copy), 24);
    EXPECT_EQ(bgrAt(copy, 0, 0), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(bgrAt(copy, 1, 0), (std::vector<int>{255, 0, 0}));
}

// Two equal 8-bit images for the comparison tests.
class CompareTest : public ImageCreationTest {
protected:
    void SetUp() override {
        ImageCreationTest::SetUp();
        a = keep(KPXCreateImage(6, 4, 8));
        b = keep(KPXCreateImage(6, 4, 8));
        ASSERT_EQ(KPXCompareImages(a, b), 1); // checksums now cached
    }
    KpxHandle a = 0;
    KpxHandle b = 0;
};

TEST_F(CompareTest, PixelChangeThroughGetBits) {
    KPXGetBits(a)[10] = 1;
    EXPECT_EQ(KPXCompareImages(a, b), 0);
    KPXGetBits(b)[10] = 1;
    EXPECT_EQ(KPXCompareImages(a, b), 1);
}

TEST_F(CompareTest, PixelChangeThroughAWriteLock) {
    {
        kpx::ImageLock r(a, kKpxWrite);
        r->bits[20] = 3;
    }
    EXPECT_EQ(KPXCompareImages(a, b), 0);
}

TEST_F(CompareTest, ColourTableChange) {
    KPXGetBitmapInfoHeader(a)->bmiColors[200].rgbGreen ^= 1;
    EXPECT_EQ(KPXCompareImages(a, b), 0);
}

TEST_F(CompareTest, ColourTableChangeThroughTheRecord) {
    {
        kpx::ImageLock r(b, kKpxWrite);
        r->colors()[3].rgbRed ^= 0x80;
    }
    KPXFillDIBColorTable(b);
    EXPECT_EQ(KPXCompareImages(a, b), 0);
}

TEST_F(CompareTest, DifferenceInTheBottomRowOnly) {
    // The checksum weighs each row by its number, so the bottom row adds nothing to it.
    KPXGetBits(a)[0] = 250;
    EXPECT_EQ(KPXCompareImages(a, b), 0);
}

TEST_F(CompareTest, TransparencyListsMustMatch) {
    const KpxTransparentEntry entry{1, 2, 3, 4, 0, 0, 0};
    {
        kpx::ImageLock r(a, kKpxWrite);
        r->transparency[0] = entry;
        r->transparencyCount = 1;
    }
    EXPECT_EQ(KPXCompareImages(a, b), 0);
    {
        kpx::ImageLock r(b, kKpxWrite);
        r->transparency[0] = entry;
        r->transparency[0].tolerance = 5;
        r->transparencyCount = 1;
    }
    EXPECT_EQ(KPXCompareImages(a, b), 0);
    {
        kpx::ImageLock r(b, kKpxWrite);
        r->transparency[0].tolerance = 4;
    }
    EXPECT_EQ(KPXCompareImages(a, b), 1);
}

TEST_F(CompareTest, ExplicitTransparencyImagesAndAngles) {
    const KpxHandle ea = KPXCreateImage(6, 4, 1);
    {
        kpx::ImageLock r(a, kKpxWrite);
        r->explicitTransparency = ea;
    }
    EXPECT_EQ(KPXCompareImages(a, b), 0);
    const KpxHandle eb = KPXCreateImage(6, 4, 1);
    {
        kpx::ImageLock r(b, kKpxWrite);
        r->explicitTransparency = eb;
    }
    EXPECT_EQ(KPXCompareImages(a, b), 1);
    KPXGetBits(eb)[0] = 0x80;
    EXPECT_EQ(KPXCompareImages(a, b), 0);
    KPXGetBits(eb)[0] = 0;
    {
        kpx::ImageLock r(b, kKpxWrite);
        r->rotateAngle = 90;
    }
    EXPECT_EQ(KPXCompareImages(a, b), 0);
}

TEST_F(CompareTest, DifferentSizesDepthsAndMissingImages) {
    const KpxHandle wider = keep(KPXCreateImage(7, 4, 8));
    const KpxHandle deeper = keep(KPXCreateImage(6, 4, 24));
    EXPECT_EQ(KPXCompareImages(a, wider), 0);
    EXPECT_EQ(KPXCompareImages(a, deeper), 0);
    EXPECT_EQ(KPXCompareImages(a, 0), 0);
    EXPECT_EQ(KPXCompareImages(0, a), 0);
    EXPECT_EQ(KPXCompareImages(a, 999), 0);
    EXPECT_EQ(KPXCompareImages(a, a), 1);
    // Nothing stays locked.
    EXPECT_EQ(KpxGetImagePermission(a, 0), kKpxFree);
    EXPECT_EQ(KpxGetImagePermission(b, 0), kKpxFree);
}

TEST_F(CompareTest, CopiesCarryTransparencyAngleAndExplicitImage) {
    const KpxHandle explicitImage = KPXCreateImage(6, 4, 8);
    KPXGetBits(explicitImage)[2] = 9;
    {
        kpx::ImageLock r(a, kKpxWrite);
        r->transparency[0] = KpxTransparentEntry{0, 0, 7, 0, 1, 0, 0};
        r->transparencyCount = 1;
        r->rotateAngle = -45;
        r->explicitTransparency = explicitImage;
        r->delay = 30; // frame fields are not copied
    }
    KPXGetBits(a)[1] = 5;
    const KpxHandle copy = keep(KPXCreateImageFrom(a, 0));
    ASSERT_NE(copy, 0);
    EXPECT_EQ(KPXCompareImages(a, copy), 1);
    kpx::ImageLock r(copy, kKpxRead);
    EXPECT_EQ(r->transparencyCount, 1);
    EXPECT_EQ(r->rotateAngle, -45);
    EXPECT_EQ(r->delay, 0);
    ASSERT_NE(r->explicitTransparency, 0);
    EXPECT_NE(r->explicitTransparency, explicitImage);
    EXPECT_EQ(KpxFindImage(explicitImage)->referenceCount, 1);
}

} // namespace
