#include "ColorConversion.h"
#include "ConversionFixtures.h"
#include "ImageTable.h"
#include "LibraryPalettes.h"
#include "gdi/DeviceContext.h"
#include "gdi/DibSection.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstring>
#include <string>
#include <vector>

using namespace kfm::test::conversion;

namespace {

const Colour kBlack{0, 0, 0};
const Colour kWhite{255, 255, 255};
const Colour kRed{255, 0, 0};
const Colour kGreen{0, 255, 0};
const Colour kBlue{0, 0, 255};

// Index of a pure colour in the default table of a palette depth.
int defaultIndex(int depth, const Colour& c) {
    if (c == kBlack)
        return 0;
    if (depth == 1)
        return 1;
    if (depth == 4)
        return c == kWhite ? 15 : c == kRed ? 9 : c == kGreen ? 10 : 12;
    return c == kWhite ? 255 : c == kRed ? 224 : c == kGreen ? 28 : 3;
}

std::uint16_t pack565(const Colour& c) {
    return static_cast<std::uint16_t>((c.red >> 3) << 11 | (c.green >> 2) << 5 | (c.blue >> 3));
}

// A picture of `depth` bits whose pixel x of every row shows colours[x % n].
KpxHandle makeFixture(int depth, const std::vector<Colour>& colours, int width, int height) {
    const KpxHandle image = KPXCreateImage(width, height, depth == 16 ? kKpxDepth565 : depth);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rowOf(image, y);
        for (int x = 0; x < width; ++x) {
            const Colour& c = colours[x % colours.size()];
            switch (depth) {
            case 16: {
                const std::uint16_t v = pack565(c);
                row[2 * x] = static_cast<std::uint8_t>(v & 0xFF);
                row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                break;
            }
            case 24:
                setRgb(image, x, y, c);
                break;
            case 32:
                row[4 * x] = static_cast<std::uint8_t>(c.blue);
                row[4 * x + 1] = static_cast<std::uint8_t>(c.green);
                row[4 * x + 2] = static_cast<std::uint8_t>(c.red);
                row[4 * x + 3] = 0x5A;
                break;
            default:
                setIndex(image, x, y, defaultIndex(depth, c));
            }
        }
    }
    return image;
}

// The 8 x 8 ordered-dither thresholds; a pixel in column x of stored row r uses [x & 7][r & 7].
constexpr int kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

int g_progressCalls = 0;
void countProgress() {
    ++g_progressCalls;
}

} // namespace

// Every source depth x target depth x dither mode on pictures of colours that the target's
// default palette holds exactly: each pixel must come out as its own colour.
TEST(ColorConvert, ExactColoursSurviveEveryDepthAndDither) {
    const std::vector<Colour> twoColours{kBlack, kWhite};
    const std::vector<Colour> fiveColours{kBlack, kWhite, kRed, kGreen, kBlue};
    for (const int source : {1, 4, 8, 16, 24, 32}) {
        for (const int target : {1, 4, 8, 24}) {
            for (const int dither : {0, 1, 2, 3}) {
                const auto& colours = (source == 1 || target == 1) ? twoColours : fiveColours;
                SCOPED_TRACE("source " + std::to_string(source) + " target " +
                             std::to_string(target) + " dither " + std::to_string(dither));
                ScopedImage in(makeFixture(source, colours, 11, 9));
                ASSERT_NE(in.get(), 0);
                ScopedImage out(KPXColorConvert(in, static_cast<short>(target),
                                                static_cast<short>(dither), 0, 0, nullptr,
                                                nullptr));
                ASSERT_NE(out.get(), 0);
                EXPECT_EQ(KPXbpp(out), source == 32 ? 24 : target);
                EXPECT_EQ(KPXWidth(out), 11);
                EXPECT_EQ(KPXHeight(out), 9);
                for (int y = 0; y < 9; ++y)
                    for (int x = 0; x < 11; ++x)
                        ASSERT_EQ(colourAt(out, x, y), colours[x % colours.size()])
                            << "pixel " << x << "," << y;
            }
        }
    }
}

TEST(ColorConvert, SourceKeepsItsPixelsAndResultCarriesNoAttributes) {
    ScopedImage in(makeFixture(24, {kRed, kBlue}, 4, 4));
    {
        kpx::ImageLock record(in, kKpxWrite);
        record->transparencyCount = 1;
        record->transparency[0].mode = 1;
        record->delay = 7;
    }
    const std::vector<std::uint8_t> before(KPXGetBits(in), KPXGetBits(in) + KPXSizeImage(in));
    ScopedImage out(KPXColorConvert(in, 8, 2, 1, 0, nullptr, nullptr));
    ASSERT_NE(out.get(), 0);
    EXPECT_EQ(0, std::memcmp(before.data(), KPXGetBits(in), before.size()));
    kpx::ImageLock record(out, kKpxRead);
    EXPECT_EQ(record->transparencyCount, 0);
    EXPECT_EQ(record->delay, 0);
}

TEST(ColorConvert, CallersPaletteIsUsedAndWrittenToTheTable) {
    PALETTEENTRY palette[16] = {};
    palette[0] = {10, 20, 30, 0};
    palette[1] = {200, 100, 50, 0};
    for (int i = 2; i < 16; ++i)
        palette[i] = {0, 0, 0, 0};
    ScopedImage in(makeFixture(24, {Colour{12, 22, 28}, Colour{198, 104, 52}}, 4, 2));
    ScopedImage out(KPXColorConvert(in, 4, 0, 0, 0, palette, nullptr));
    ASSERT_NE(out.get(), 0);
    EXPECT_EQ(tableEntry(out, 0), (Colour{10, 20, 30}));
    EXPECT_EQ(tableEntry(out, 1), (Colour{200, 100, 50}));
    EXPECT_EQ(indexAt(out, 0, 0), 0);
    EXPECT_EQ(indexAt(out, 1, 0), 1);
    EXPECT_EQ(indexAt(out, 3, 1), 1);
}

TEST(ColorConvert, RoundTripThroughTrueColourKeepsIndices) {
    struct Case {
        int depth;
        const PALETTEENTRY* palette;
    };
    for (const Case& c : {Case{8, KPXGetHardPalette()}, Case{8, nullptr},
                          Case{4, KPXGetWindows16Palette()}, Case{1, nullptr}}) {
        SCOPED_TRACE(c.depth);
        const int colours = 1 << c.depth;
        ScopedImage in(KPXCreateImage(16, 16, c.depth));
        for (int i = 0; i < 256; ++i)
            setIndex(in, i % 16, i / 16, i % colours);
        ScopedImage wide(KPXColorConvert(in, 24, 0, 0, 0, nullptr, nullptr));
        ASSERT_EQ(KPXbpp(wide), 24);
        ScopedImage back(
            KPXColorConvert(wide, static_cast<short>(c.depth), 0, 0, 0, c.palette, nullptr));
        ASSERT_NE(back.get(), 0);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(indexAt(back, i % 16, i / 16), i % colours) << "index " << i;
    }
}

TEST(ColorConvert, Reads565SourcesThroughTheirMasks) {
    ScopedImage in(KPXCreateImage(3, 1, kKpxDepth565));
    const std::uint16_t pixels[3] = {0xF800, 0x07E0,
                                     static_cast<std::uint16_t>(16 << 11 | 32 << 5 | 8)};
    std::memcpy(rowOf(in, 0), pixels, sizeof pixels);
    ScopedImage out(KPXColorConvert(in, 24, 0, 0, 0, nullptr, nullptr));
    ASSERT_EQ(KPXbpp(out), 24);
    EXPECT_EQ(rgbAt(out, 0, 0), kRed);
    EXPECT_EQ(rgbAt(out, 1, 0), kGreen);
    // 16 of 31, 32 of 63 and 8 of 31, scaled to 0..255 and rounded.
    EXPECT_EQ(rgbAt(out, 2, 0), (Colour{132, 130, 66}));

    // A 16-bit source without masks is 5-5-5.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 16;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    const std::uint16_t plain[2] = {31 << 10, 31 << 5};
    std::memcpy(bits, plain, sizeof plain);
    ScopedImage attached(KPXCreateImageAttach(section, nullptr));
    ASSERT_EQ(KPXbpp(attached), 16);
    ScopedImage fromPlain(KPXColorConvert(attached, 24, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(rgbAt(fromPlain, 0, 0), kRed);
    EXPECT_EQ(rgbAt(fromPlain, 1, 0), kGreen);
}

TEST(ColorConvert, DepthRulesAndRefusals) {
    ScopedImage in24(makeFixture(24, {kRed}, 2, 2));
    ScopedImage in32(makeFixture(32, {kRed}, 2, 2));
    ScopedImage in8(makeFixture(8, {kRed}, 2, 2));
    // 16 normalises to 24; 32-bit sources always give 24 bits, whatever was asked.
    ScopedImage sixteen(KPXColorConvert(in24, 16, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(KPXbpp(sixteen), 24);
    ScopedImage from32(KPXColorConvert(in32, 32, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(KPXbpp(from32), 24);
    ScopedImage from32grey(KPXColorConvert(in32, 8, 3, 9, 1, nullptr, nullptr));
    EXPECT_EQ(KPXbpp(from32grey), 24);
    EXPECT_EQ(rgbAt(from32grey, 1, 1), kRed);
    ScopedImage two(KPXColorConvert(in24, 2, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(KPXbpp(two), 4);
    // Grey ignores dither and palette mode, even unknown ones.
    ScopedImage grey(KPXColorConvert(in24, 1, 7, 5, 1, nullptr, nullptr));
    EXPECT_EQ(KPXbpp(grey), 8);

    const int before = KpxLiveImageCount();
    EXPECT_EQ(KPXColorConvert(0, 8, 0, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(KPXColorConvert(12345, 8, 0, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(KPXColorConvert(in24, 32, 0, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(KPXColorConvert(in8, 33, 0, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(KPXColorConvert(in24, 8, 4, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(KPXColorConvert(in24, 8, -1, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(KPXColorConvert(in24, 8, 0, 2, 0, nullptr, nullptr), 0);
    EXPECT_EQ(KPXColorConvert(in24, 8, 0, 0x82, 0, nullptr, nullptr), 0);
    EXPECT_EQ(KpxLiveImageCount(), before);
}

TEST(ColorConvert, GreyRampAndReservedEntry) {
    ScopedImage in(makeFixture(24, {kWhite, Colour{10, 200, 30}, kBlack}, 3, 2));
    ScopedImage grey(KPXColorConvert(in, 8, 0, 0, 1, nullptr, nullptr));
    ASSERT_EQ(KPXbpp(grey), 8);
    for (int j = 0; j < 256; ++j)
        ASSERT_EQ(tableEntry(grey, j), (Colour{j, j, j}));
    EXPECT_EQ(indexAt(grey, 0, 0), 255);
    EXPECT_EQ(indexAt(grey, 1, 0), (10 * 30 + 200 * 59 + 30 * 11) / 100);
    EXPECT_EQ(indexAt(grey, 2, 0), 0);

    for (const short mode : {0x80, 129}) {
        ScopedImage reserved(KPXColorConvert(in, 8, 0, mode, 1, nullptr, nullptr));
        EXPECT_EQ(indexAt(reserved, 0, 1), 254);
        EXPECT_EQ(tableEntry(reserved, 254), (Colour{254, 254, 254}));
    }
    // Palette sources go through a grey map, limited the same way with a reserved entry.
    ScopedImage palette(makeFixture(8, {kWhite, kRed}, 2, 1));
    ScopedImage greyFromPalette(KPXColorConvert(palette, 8, 0, 0x80, 1, nullptr, nullptr));
    EXPECT_EQ(indexAt(greyFromPalette, 0, 0), 254);
    EXPECT_EQ(indexAt(greyFromPalette, 1, 0), 76);
}

TEST(ColorConvert, ReservedEntryIsNeverUsed) {
    // White is the last entry of the default 8-bit palette; with the reservation no pixel may
    // use it, so white goes to its nearest other entry.
    ScopedImage in(makeFixture(24, {kWhite, kBlack}, 8, 8));
    for (const short dither : {0, 1, 2, 3}) {
        ScopedImage out(KPXColorConvert(in, 8, dither, 0x80, 0, nullptr, nullptr));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_NE(indexAt(out, x, y), 255) << "dither " << dither;
    }
}

TEST(ColorConvert, PopularityPaletteToOneBit) {
    // The two most frequent colours are dark: the palette is black and white.
    ScopedImage dark(
        makeFixture(24, {Colour{40, 40, 40}, Colour{40, 40, 40}, Colour{0, 0, 90}, kRed}, 8, 2));
    ScopedImage out(KPXColorConvert(dark, 1, 0, 1, 0, nullptr, nullptr));
    EXPECT_EQ(tableEntry(out, 0), kBlack);
    EXPECT_EQ(tableEntry(out, 1), kWhite);
    // A bright popular colour becomes entry 1.
    ScopedImage bright(makeFixture(24, {Colour{200, 16, 16}, Colour{200, 16, 16}, kBlack}, 9, 2));
    ScopedImage out2(KPXColorConvert(bright, 1, 0, 1, 0, nullptr, nullptr));
    EXPECT_EQ(tableEntry(out2, 1), (Colour{200, 16, 16}));
    EXPECT_EQ(indexAt(out2, 0, 0), 1);
    EXPECT_EQ(indexAt(out2, 2, 0), 0);
}

TEST(ColorConvert, PopularityPaletteToFourBits) {
    // Ten colours that are their own histogram bins, colour k used 10 - k times.
    std::vector<Colour> pool;
    for (int k = 0; k < 10; ++k)
        for (int n = 0; n < 10 - k; ++n)
            pool.push_back(Colour{8 * (k + 1), 16, 24 * k});
    ScopedImage in(KPXCreateImage(static_cast<int>(pool.size()), 1, 24));
    for (std::size_t i = 0; i < pool.size(); ++i)
        setRgb(in, static_cast<int>(i), 0, pool[i]);

    ScopedImage dithered(KPXColorConvert(in, 4, 1, 1, 0, nullptr, nullptr));
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(tableEntry(dithered, k), (Colour{8 * (k + 1), 16, 24 * k})) << k;
    const Colour tableB[7] = {kBlack, {128, 128, 128}, {192, 192, 192}, kWhite, kRed, kGreen,
                              kBlue};
    for (int p = 9; p < 16; ++p)
        EXPECT_EQ(tableEntry(dithered, p), tableB[p - 9]) << p;

    ScopedImage plain(KPXColorConvert(in, 4, 0, 1, 0, nullptr, nullptr));
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(tableEntry(plain, k), (Colour{8 * (k + 1), 16, 24 * k})) << k;
    const Colour tableA[4] = {kBlack, {128, 128, 128}, {192, 192, 192}, kWhite};
    for (int p = 12; p < 16; ++p)
        EXPECT_EQ(tableEntry(plain, p), tableA[p - 12]) << p;
    // Each pixel keeps its exact colour.
    for (std::size_t i = 0; i < pool.size(); ++i)
        ASSERT_EQ(colourAt(plain, static_cast<int>(i), 0), pool[i]);

    // With the reservation table B shifts down one position and entry 15 keeps its default.
    ScopedImage reserved(KPXColorConvert(in, 4, 1, 129, 0, nullptr, nullptr));
    EXPECT_EQ(tableEntry(reserved, 8), kWhite);
    EXPECT_EQ(tableEntry(reserved, 14), kGreen);
    EXPECT_EQ(tableEntry(reserved, 15), kWhite);
}

TEST(ColorConvert, PopularityPaletteFromPaletteSource) {
    // A 1-bit source has two entries; positions beyond them take its entry 0.
    ScopedImage in(KPXCreateImage(4, 1, 1));
    setTableEntry(in, 0, Colour{10, 20, 30});
    setTableEntry(in, 1, Colour{40, 50, 60});
    setIndex(in, 0, 0, 1);
    setIndex(in, 1, 0, 1);
    setIndex(in, 2, 0, 1);
    ScopedImage out(KPXColorConvert(in, 4, 0, 1, 0, nullptr, nullptr));
    EXPECT_EQ(tableEntry(out, 0), (Colour{40, 50, 60}));
    EXPECT_EQ(tableEntry(out, 1), (Colour{10, 20, 30}));
    for (int p = 2; p < 12; ++p)
        EXPECT_EQ(tableEntry(out, p), (Colour{10, 20, 30})) << p;
    EXPECT_EQ(tableEntry(out, 12), kBlack);
    EXPECT_EQ(colourAt(out, 0, 0), (Colour{40, 50, 60}));
    EXPECT_EQ(colourAt(out, 3, 0), (Colour{10, 20, 30}));
}

TEST(ColorConvert, PopularityPaletteToEightBits) {
    ScopedImage in(
        makeFixture(24, {Colour{8, 16, 24}, Colour{8, 16, 24}, Colour{80, 88, 96}}, 6, 3));
    ScopedImage plain(KPXColorConvert(in, 8, 0, 1, 0, nullptr, nullptr));
    EXPECT_EQ(tableEntry(plain, 0), (Colour{8, 16, 24}));
    EXPECT_EQ(tableEntry(plain, 1), (Colour{80, 88, 96}));
    const PALETTEENTRY& hard = KPXGetHardPalette()[250];
    EXPECT_EQ(tableEntry(plain, 250), (Colour{hard.peRed, hard.peGreen, hard.peBlue}));

    ScopedImage dithered(KPXColorConvert(in, 8, 2, 1, 0, nullptr, nullptr));
    for (int p = 192; p < 256; ++p) {
        const int n = p - 192;
        ASSERT_EQ(tableEntry(dithered, p),
                  (Colour{(n >> 4) * 85, ((n >> 2) & 3) * 85, (n & 3) * 85}));
    }
    ScopedImage reserved(KPXColorConvert(in, 8, 2, 129, 0, nullptr, nullptr));
    EXPECT_EQ(tableEntry(reserved, 191), kWhite);
    EXPECT_EQ(tableEntry(reserved, 254), (Colour{255, 255, 170}));
}

TEST(ColorConvert, ProgressIsCalledOncePerRow) {
    ScopedImage in24(makeFixture(24, {kRed, kGreen, kWhite}, 5, 7));
    ScopedImage in8(makeFixture(8, {kRed, kGreen, kWhite}, 5, 7));
    struct Case {
        KpxHandle image;
        short depth, dither, mode;
        int grey;
    };
    for (const Case& c : {Case{in24, 8, 0, 0, 0}, Case{in24, 8, 0, 1, 0}, Case{in24, 4, 2, 129, 0},
                          Case{in24, 1, 3, 1, 0}, Case{in24, 24, 0, 1, 0}, Case{in8, 8, 0, 1, 1},
                          Case{in8, 4, 1, 1, 0}, Case{in8, 24, 0, 0, 0}}) {
        g_progressCalls = 0;
        ScopedImage out(
            KPXColorConvert(c.image, c.depth, c.dither, c.mode, c.grey, nullptr, countProgress));
        ASSERT_NE(out.get(), 0);
        EXPECT_EQ(g_progressCalls, 7) << c.depth << " " << c.dither << " " << c.mode;
    }
}

TEST(ColorConvert, OrderedDitherToOneBit) {
    // Grey 100 x 85 / 85 = 100: a pixel is set where 25 > its threshold.
    ScopedImage in(makeFixture(24, {Colour{85, 85, 85}}, 8, 8));
    ScopedImage out(KPXColorConvert(in, 1, 1, 0, 0, nullptr, nullptr));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(indexAt(out, x, y), 25 > kBayer[x][y] ? 1 : 0) << x << "," << y;

    // Near white and near black ignore the thresholds.
    const std::vector<Colour> extremes{Colour{213, 213, 213}, Colour{4, 4, 4}};
    ScopedImage edge(makeFixture(24, extremes, 8, 8));
    ScopedImage edgeOut(KPXColorConvert(edge, 1, 1, 0, 0, nullptr, nullptr));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(indexAt(edgeOut, x, y), x % 2 == 0 ? 1 : 0);
}

TEST(ColorConvert, ErrorDiffusionToOneBitKnownValues) {
    // A row of three pixels of grey 100 (diffused errors worked out by hand).
    ScopedImage in(makeFixture(24, {Colour{85, 85, 85}}, 3, 1));
    ScopedImage floyd(KPXColorConvert(in, 1, 2, 0, 0, nullptr, nullptr));
    EXPECT_EQ(rowOf(floyd, 0)[0] & 0xE0, 0x40);
    ScopedImage burkes(KPXColorConvert(in, 1, 3, 0, 0, nullptr, nullptr));
    EXPECT_EQ(rowOf(burkes, 0)[0] & 0xE0, 0x80);
}

TEST(ColorConvert, DitheringMixesNeighbouringColours) {
    // Grey 160 lies between the palettes' greys: every dither mixes colours whose average lies
    // between the greys around it (the 16-colour palette has 128 and 192).
    const Colour mid{160, 160, 160};
    ScopedImage in(makeFixture(24, {mid}, 16, 16));
    for (const short depth : {4, 8}) {
        for (const short dither : {1, 2, 3}) {
            ScopedImage out(KPXColorConvert(in, depth, dither, 0, 0, nullptr, nullptr));
            long sum = 0;
            int distinct = 0;
            Colour first = colourAt(out, 0, 0);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const Colour c = colourAt(out, x, y);
                    sum += c.red + c.green + c.blue;
                    distinct += c == first ? 0 : 1;
                }
            EXPECT_GT(distinct, 0) << depth << " " << dither;
            const double mean = sum / (3.0 * 256);
            EXPECT_GT(mean, 128.0) << depth << " " << dither;
            EXPECT_LT(mean, 192.0) << depth << " " << dither;
        }
    }
}

TEST(ColorConvert, OrderedDitherToFourBitsUsesNeighbours) {
    // Near black: pixels whose threshold is below 30 / 3 >> 2 = 2 take black's brighter
    // neighbour, dark red (the lowest of three entries at distance 128).
    ScopedImage dark(makeFixture(24, {Colour{30, 0, 0}}, 8, 8));
    ScopedImage darkOut(KPXColorConvert(dark, 4, 1, 0, 0, nullptr, nullptr));
    // Near white: pixels whose threshold is below 25 >> 2 = 6 take white's darker neighbour,
    // light grey.
    ScopedImage light(makeFixture(24, {Colour{230, 230, 230}}, 8, 8));
    ScopedImage lightOut(KPXColorConvert(light, 4, 1, 0, 0, nullptr, nullptr));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(indexAt(darkOut, x, y), kBayer[x][y] < 2 ? 1 : 0) << x << "," << y;
            ASSERT_EQ(indexAt(lightOut, x, y), kBayer[x][y] < 6 ? 7 : 15) << x << "," << y;
        }
}

TEST(CreateImage8from24, PopularColoursCubeAndWhite) {
    std::vector<Colour> colours(30, Colour{240, 240, 240});
    colours.push_back(kWhite);
    colours.push_back(Colour{16, 32, 48});
    ScopedImage in(KPXCreateImage(static_cast<int>(colours.size()), 1, 24));
    for (std::size_t i = 0; i < colours.size(); ++i)
        setRgb(in, static_cast<int>(i), 0, colours[i]);
    ScopedImage out(KPXCreateImage8from24(in));
    ASSERT_EQ(KPXbpp(out), 8);
    EXPECT_EQ(tableEntry(out, 0), (Colour{240, 240, 240}));
    EXPECT_EQ(indexAt(out, 0, 0), 0);
    EXPECT_EQ(indexAt(out, 30, 0), 255);
    EXPECT_EQ(tableEntry(out, 255), kWhite);
    EXPECT_EQ(colourAt(out, 31, 0), (Colour{16, 32, 48}));
    // The colours run out after three bins: the rest repeat the last one taken.
    EXPECT_EQ(tableEntry(out, 191), tableEntry(out, 2));
    EXPECT_EQ(tableEntry(out, 192), kBlack);
    EXPECT_EQ(tableEntry(out, 193), (Colour{0, 0, 85}));

    ScopedImage in8(KPXCreateImage(2, 2, 8));
    EXPECT_EQ(KPXCreateImage8from24(in8), 0);
    EXPECT_EQ(KPXCreateImage8from24(0), 0);
}

TEST(CreateImage16from24, PacksFiveSixFive) {
    ScopedImage in(
        makeFixture(24, {kWhite, kBlack, Colour{100, 50, 200}, Colour{244, 246, 3}}, 4, 1));
    ScopedImage out(KPXCreateImage16from24(in));
    ASSERT_NE(out.get(), 0);
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(out);
    EXPECT_EQ(info->bmiHeader.biBitCount, 16);
    EXPECT_EQ(info->bmiHeader.biCompression, BI_BITFIELDS);
    const std::uint8_t* row = rowOf(out, 0);
    const auto pixel = [&](int x) { return row[2 * x] | row[2 * x + 1] << 8; };
    EXPECT_EQ(pixel(0), 0xFFFF);
    EXPECT_EQ(pixel(1), 0);
    EXPECT_EQ(pixel(2), 13 << 11 | 13 << 5 | 25);
    EXPECT_EQ(pixel(3), 31 << 11 | 62 << 5 | 0);

    ScopedImage odd(makeFixture(24, {kBlack}, 1, 2));
    ScopedImage oddOut(KPXCreateImage16from24(odd));
    EXPECT_EQ(rowOf(oddOut, 1)[2], 255); // row padding starts as 255
    EXPECT_EQ(rowOf(oddOut, 1)[3], 255);

    ScopedImage in4(KPXCreateImage(2, 2, 4));
    EXPECT_EQ(KPXCreateImage16from24(in4), 0);
    EXPECT_EQ(KPXCreateImage16from24(0), 0);
}

TEST(IsImageBlank, ComparesPixelBytesOnly) {
    ScopedImage in(KPXCreateImage(1, 3, 24));
    for (int y = 0; y < 3; ++y) {
        setRgb(in, 0, y, Colour{7, 7, 7});
        rowOf(in, y)[3] = 99; // padding
    }
    EXPECT_EQ(KPXIsImageBlank(in, 7), 1);
    EXPECT_EQ(KPXIsImageBlank(in, 0x107), 1);
    EXPECT_EQ(KPXIsImageBlank(in, 8), 0);
    rowOf(in, 2)[1] = 8;
    EXPECT_EQ(KPXIsImageBlank(in, 7), 0);
    ScopedImage in8(KPXCreateImage(2, 2, 8));
    EXPECT_EQ(KPXIsImageBlank(in8, 0), 0);
    EXPECT_EQ(KPXIsImageBlank(0, 0), 0);
}

// Only a raster printer can print white differently from a picture's white: every other device
// context answers 0.
TEST(IsPrintedColorWhite, ZeroForDevicesThatAreNoRasterPrinter) {
    EXPECT_EQ(KPXIsPrintedColorWhite(nullptr), 0);
    HDC memory = CreateCompatibleDC(nullptr);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(GetDeviceCaps(memory, TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_EQ(KPXIsPrintedColorWhite(memory), 0);
    DeleteDC(memory);
    QImage surface(8, 8, QImage::Format_RGB32);
    QPainter painter(&surface);
    for (const auto kind : {kfm::gdi::DeviceKind::RasterDisplay, kfm::gdi::DeviceKind::Metafile}) {
        HDC dc = kfm::gdi::createPainterDC(&painter, kind, 24);
        EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), static_cast<int>(kind));
        EXPECT_EQ(KPXIsPrintedColorWhite(dc), 0);
        DeleteDC(dc);
    }
}

TEST(ImageFillByColor, FillsMaskedPixelsOfEveryDepth) {
    ScopedImage mask(KPXCreateImage(5, 2, 1));
    setIndex(mask, 1, 0, 1);
    setIndex(mask, 4, 1, 1);
    const auto filled = [&](int x, int y) { return (x == 1 && y == 0) || (x == 4 && y == 1); };

    ScopedImage rgb(makeFixture(24, {kBlue}, 5, 2));
    EXPECT_EQ(KPXImageFillByColor(rgb, mask, RGB(10, 20, 30)), 1);
    ScopedImage idx8(makeFixture(8, {kBlue}, 5, 2));
    EXPECT_EQ(KPXImageFillByColor(idx8, mask, 0x1234), 1);
    ScopedImage idx4(makeFixture(4, {kBlue}, 5, 2));
    EXPECT_EQ(KPXImageFillByColor(idx4, mask, 0x1F), 1); // only the low nibble is an index
    ScopedImage idx1(makeFixture(1, {kBlack}, 5, 2));
    EXPECT_EQ(KPXImageFillByColor(idx1, mask, 1), 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(rgbAt(rgb, x, y), (filled(x, y) ? Colour{10, 20, 30} : kBlue));
            EXPECT_EQ(indexAt(idx8, x, y), filled(x, y) ? 0x34 : 3);
            EXPECT_EQ(indexAt(idx4, x, y), filled(x, y) ? 15 : 12);
            EXPECT_EQ(indexAt(idx1, x, y), filled(x, y) ? 1 : 0);
        }
    // Colour 0 clears the masked bits of a 1-bit image.
    EXPECT_EQ(KPXImageFillByColor(idx1, mask, 0), 1);
    EXPECT_EQ(indexAt(idx1, 1, 0), 0);
}

TEST(ImageFillByColor, RefusesBadMasksAndLeavesTheImage) {
    ScopedImage image(makeFixture(8, {kBlue}, 4, 4));
    ScopedImage wrongDepth(KPXCreateImage(4, 4, 8));
    ScopedImage wrongSize(KPXCreateImage(4, 5, 1));
    const std::vector<std::uint8_t> before(KPXGetBits(image),
                                           KPXGetBits(image) + KPXSizeImage(image));
    EXPECT_EQ(KPXImageFillByColor(image, wrongDepth, 1), 0);
    EXPECT_EQ(KPXImageFillByColor(image, wrongSize, 1), 0);
    EXPECT_EQ(KPXImageFillByColor(image, 0, 1), 0);
    EXPECT_EQ(KPXImageFillByColor(0, wrongSize, 1), 0);
    EXPECT_EQ(KPXImageFillByColor(image, 9999, 1), 0);
    EXPECT_EQ(0, std::memcmp(before.data(), KPXGetBits(image), before.size()));
    // A 1-bit image used as its own mask.
    ScopedImage self(KPXCreateImage(4, 4, 1));
    setIndex(self, 2, 2, 1);
    EXPECT_EQ(KPXImageFillByColor(self, self, 0), 1);
    EXPECT_EQ(indexAt(self, 2, 2), 0);
}

TEST(ImageFillByColor, DropsTheChecksum) {
    ScopedImage image(makeFixture(8, {kBlue}, 4, 4));
    ScopedImage mask(KPXCreateImage(4, 4, 1));
    {
        kpx::ImageLock record(image, kKpxRead);
        KpxImageChecksum(record.get());
        ASSERT_NE(record->checksum, 0u);
    }
    KPXImageFillByColor(image, mask, 1);
    kpx::ImageLock record(image, kKpxRead);
    EXPECT_EQ(record->checksum, 0u);
}
