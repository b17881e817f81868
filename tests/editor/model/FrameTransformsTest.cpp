// Rotation, mirroring, transparency level, conversion and merge of frames, on small asymmetric
// frames whose expected pictures are drawn by hand where the result is exact.

#include "ModelTestSupport.h"

#include "EmfFixtures.h"
#include "FrameTransforms.h"
#include "Geometry.h"
#include "ImageUtilities.h"
#include "ObjectRecordCompare.h"
#include "PaletteRender.h"
#include "ProgramState.h"
#include "TestSupport.h"
#include "TextRender.h"
#include "UndoHistory.h"
#include "VectorRender.h"
#include "metafile/EnhMetafile.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Picture = std::vector<std::string>;

// Palette entry i of the test frames: distinct colours, so a palette change shows.
RGBQUAD testColour(int i) {
    return RGBQUAD{static_cast<BYTE>(i * 3), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7),
                   0};
}

std::uint8_t* rowOf(KpxHandle image, int y) {
    return KPXGetBits(image) + static_cast<std::size_t>(KPXHeight(image) - 1 - y) *
                                   static_cast<std::size_t>(KPXGetScanBytes(image));
}

// An 8-bit image drawn by rows of digits (palette indexes), top row first.
KpxHandle paletteImage(const Picture& rows) {
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(rows[0].size());
    const KpxHandle image = KPXCreateImage(width, height, 8);
    BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    for (int i = 0; i < 256; ++i)
        info->bmiColors[i] = testColour(i);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rowOf(image, y)[x] = static_cast<std::uint8_t>(rows[y][x] - '0');
    KPXFillDIBColorTable(image);
    return image;
}

Picture paletteRows(KpxHandle image) {
    Picture rows;
    for (int y = 0; y < KPXHeight(image); ++y) {
        std::string row;
        for (int x = 0; x < KPXWidth(image); ++x)
            row += static_cast<char>('0' + rowOf(image, y)[x]);
        rows.push_back(row);
    }
    return rows;
}

// 24-bit pictures by letters: each letter stands for one colour.
COLORREF letterColour(char c) {
    return RGB((c - 'a') * 40, 255 - (c - 'a') * 30, 17 * (c - 'a'));
}

KpxHandle colourImage(const Picture& rows) {
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(rows[0].size());
    const KpxHandle image = KPXCreateImage(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = letterColour(rows[y][x]);
            std::uint8_t* p = rowOf(image, y) + x * 3;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return image;
}

Picture colourRows(KpxHandle image) {
    Picture rows;
    for (int y = 0; y < KPXHeight(image); ++y) {
        std::string row;
        for (int x = 0; x < KPXWidth(image); ++x) {
            const std::uint8_t* p = rowOf(image, y) + x * 3;
            char letter = '?';
            for (char c = 'a'; c <= 'z'; ++c)
                if (letterColour(c) == RGB(p[2], p[1], p[0]))
                    letter = c;
            row += letter;
        }
        rows.push_back(row);
    }
    return rows;
}

// An 8-bit grey image drawn by rows of values 0..255.
KpxHandle greyImage(const std::vector<std::vector<int>>& rows) {
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(rows[0].size());
    const KpxHandle image = KPXCreateImage(width, height, 8);
    BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    for (int i = 0; i < 256; ++i)
        info->bmiColors[i] =
            RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rowOf(image, y)[x] = static_cast<std::uint8_t>(rows[y][x]);
    KPXFillDIBColorTable(image);
    return image;
}

std::vector<std::vector<int>> greyRows(KpxHandle image) {
    std::vector<std::vector<int>> rows;
    for (int y = 0; image && y < KPXHeight(image); ++y) {
        rows.emplace_back();
        for (int x = 0; x < KPXWidth(image); ++x)
            rows.back().push_back(rowOf(image, y)[x]);
    }
    return rows;
}

bool sameColourTable(KpxHandle a, KpxHandle b) {
    return std::memcmp(KPXGetBitmapInfoHeader(a)->bmiColors, KPXGetBitmapInfoHeader(b)->bmiColors,
                       256 * sizeof(RGBQUAD)) == 0;
}

KpxHandle explicitOf(const CObjFrame& f) {
    return KPXGetImageTransparentImageEx(static_cast<KpxHandle>(f.GetImage()));
}

KpxHandle baseOf(const CObjFrame& f) {
    return static_cast<KpxHandle>(f.GetImage());
}

// The asymmetric 3 x 2 frame of the picture tests.
const Picture kFrame = {"012", "345"};

class FrameTransformsTest : public ModelTest {
protected:
    void TearDown() override {
        TheUndoHistory().Reset();
        ModelTest::TearDown();
    }

    CObjFrame& paletteFrame(const Picture& rows, int transparentIndex = -1) {
        CObjFrame& f = addFrame(0, 0, 1, 1);
        KPXDeleteImage(baseOf(f));
        const KpxHandle image = paletteImage(rows);
        f.SetImage(static_cast<std::uint16_t>(image));
        f.width = KPXWidth(image);
        f.height = KPXHeight(image);
        if (transparentIndex >= 0) {
            SetImageTransparent(static_cast<short>(image), transparentIndex);
            f.transparency = 0x1000000u + static_cast<std::uint32_t>(transparentIndex);
        }
        return f;
    }

    CObjFrame& colourFrame(const Picture& rows) {
        CObjFrame& f = addFrame(0, 0, 1, 1);
        KPXDeleteImage(baseOf(f));
        const KpxHandle image = colourImage(rows);
        f.SetImage(static_cast<std::uint16_t>(image));
        f.width = KPXWidth(image);
        f.height = KPXHeight(image);
        return f;
    }
};

struct QuarterTurnCase {
    int angle;
    Picture expected;
};

TEST_F(FrameTransformsTest, QuarterTurnsOfPaletteFrameAreExactAndKeepPaletteAndIndex) {
    const std::vector<QuarterTurnCase> cases = {
        {0, {"012", "345"}},       {90, {"30", "41", "52"}},  {180, {"543", "210"}},
        {270, {"25", "14", "03"}}, {-90, {"25", "14", "03"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.angle);
        CObjFrame& f = paletteFrame(kFrame, 4);
        const KpxHandle before = KPXCreateImageFrom(baseOf(f), 0);
        RotateFrame(&f, static_cast<short>(f.GetImage()), c.angle, 0);
        EXPECT_EQ(KPXbpp(baseOf(f)), 8);
        EXPECT_EQ(paletteRows(baseOf(f)), c.expected);
        EXPECT_EQ(f.width, static_cast<int>(c.expected[0].size()));
        EXPECT_EQ(f.height, static_cast<int>(c.expected.size()));
        EXPECT_TRUE(sameColourTable(baseOf(f), before));
        EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(f.GetImage())), 4);
        EXPECT_EQ(f.transparency, 0x1000004u);
        KPXDeleteImage(before);
    }
}

TEST_F(FrameTransformsTest, QuarterTurnOfColourFrameKeepsTwentyFourBits) {
    CObjFrame& f = colourFrame({"abc", "def"});
    RotateFrame(&f, static_cast<short>(f.GetImage()), 90, 0);
    EXPECT_EQ(KPXbpp(baseOf(f)), 24);
    EXPECT_EQ(colourRows(baseOf(f)), (Picture{"da", "eb", "fc"}));
}

struct MirrorCase {
    int flags;
    Picture expected;
};

TEST_F(FrameTransformsTest, MirrorsOfImageFrames) {
    // Both flags mirror both axes: the picture turns half round.
    const std::vector<MirrorCase> cases = {
        {1, {"210", "543"}},
        {2, {"345", "012"}},
        {3, {"543", "210"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        CObjFrame& f = paletteFrame(kFrame, 1);
        const KpxHandle before = KPXCreateImageFrom(baseOf(f), 0);
        FlipFrame(&f, c.flags);
        EXPECT_EQ(paletteRows(baseOf(f)), c.expected);
        EXPECT_TRUE(sameColourTable(baseOf(f), before));
        EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(f.GetImage())), 1);
        EXPECT_EQ(f.width, 3);
        EXPECT_EQ(f.height, 2);
        KPXDeleteImage(before);

        CObjFrame& colour = colourFrame({"abc", "def"});
        FlipFrame(&colour, c.flags);
        Picture letters = c.expected;
        for (std::string& row : letters)
            for (char& ch : row)
                ch = static_cast<char>('a' + (ch - '0'));
        EXPECT_EQ(colourRows(baseOf(colour)), letters);
    }
}

TEST_F(FrameTransformsTest, GradedFrameTurnsAndMirrorsItsTransparencyWithThePicture) {
    CObjFrame& f = colourFrame({"abc", "def"});
    f.softAlpha = 1;
    KPXSetImageTransparentEx(baseOf(f), greyImage({{0, 10, 20}, {30, 40, 255}}));
    RotateFrame(&f, static_cast<short>(f.GetImage()), 90, 0);
    EXPECT_EQ(colourRows(baseOf(f)), (Picture{"da", "eb", "fc"}));
    EXPECT_EQ(greyRows(explicitOf(f)),
              (std::vector<std::vector<int>>{{30, 0}, {40, 10}, {255, 20}}));
    FlipFrame(&f, 1);
    EXPECT_EQ(colourRows(baseOf(f)), (Picture{"ad", "be", "cf"}));
    EXPECT_EQ(greyRows(explicitOf(f)),
              (std::vector<std::vector<int>>{{0, 30}, {10, 40}, {20, 255}}));
}

TEST_F(FrameTransformsTest, FreeRotationOfOpaqueGradedFrameLeavesItsCornersTransparent) {
    CObjFrame& f = colourFrame(Picture(40, std::string(40, 'a')));
    f.softAlpha = 1;
    KPXSetImageTransparentEx(baseOf(f), CreateSolidImage(40, 40, 0));
    RotateFrame(&f, static_cast<short>(f.GetImage()), 30, 0);
    const auto alpha = greyRows(explicitOf(f));
    ASSERT_EQ(static_cast<int>(alpha.size()), f.height);
    ASSERT_EQ(static_cast<int>(alpha[0].size()), f.width);
    EXPECT_EQ(alpha.front().front(), 255);
    EXPECT_EQ(alpha.back().back(), 255);
    EXPECT_EQ(alpha[f.height / 2][f.width / 2], 0);
    EXPECT_EQ(colourRows(baseOf(f))[f.height / 2][f.width / 2], 'a');
}

TEST_F(FrameTransformsTest, FreeRotationOfPaletteFrameKeepsPaletteAndMakesCornersTransparent) {
    CObjFrame& f = paletteFrame({"11112222", "11112222", "33334444", "33334444"}, 0);
    const KpxHandle before = KPXCreateImageFrom(baseOf(f), 0);
    RotateFrame(&f, static_cast<short>(f.GetImage()), 45, 0);
    int width = 8;
    int height = 4;
    GetRotatedSize(45.0f, width, height);
    const KpxHandle image = baseOf(f);
    ASSERT_EQ(KPXbpp(image), 8);
    EXPECT_EQ(f.width, width);
    EXPECT_EQ(f.height, height);
    EXPECT_TRUE(sameColourTable(image, before));
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(image)), 0);
    const Picture rows = paletteRows(image);
    EXPECT_EQ(rows.front().front(), '0') << "corner outside the picture";
    EXPECT_EQ(rows.back().back(), '0');
    // Every colour of the picture survives, none other appears.
    std::string used;
    for (const std::string& row : rows)
        for (char c : row)
            if (used.find(c) == std::string::npos)
                used += c;
    std::sort(used.begin(), used.end());
    EXPECT_EQ(used, "01234");
    KPXDeleteImage(before);
}

TEST_F(FrameTransformsTest, FreeRotationOfColourFrameQuantisesToEightBits) {
    CObjFrame& f = colourFrame({"aabb", "aabb", "ccdd", "ccdd"});
    RotateFrame(&f, static_cast<short>(f.GetImage()), 30, 0);
    EXPECT_EQ(KPXbpp(baseOf(f)), 8);
    int width = 4;
    int height = 4;
    GetRotatedSize(30.0f, width, height);
    EXPECT_EQ(f.width, width);
    EXPECT_EQ(f.height, height);
}

TEST_F(FrameTransformsTest, RaiseTransparencyFollowsTheFormula) {
    const KpxHandle grey = greyImage({{0, 100, 255}, {1, 128, 254}});
    for (const int k : {0, 1, 128, 255}) {
        SCOPED_TRACE(k);
        const KpxHandle raised = static_cast<KpxHandle>(RaiseTransparency(grey, k));
        std::vector<std::vector<int>> expected = greyRows(grey);
        for (auto& row : expected)
            for (int& v : row)
                v = v + ((255 - v) * k) / 255;
        EXPECT_EQ(greyRows(raised), expected);
        KPXDeleteImage(raised);
    }
    KPXDeleteImage(grey);
    EXPECT_EQ(RaiseTransparency(0, 10), 0);
}

TEST_F(FrameTransformsTest, LevelOnIndexedFrameRemembersTheIndexAndComesOffAgain) {
    CObjFrame& f = paletteFrame({"505", "055"}, 5);
    SetFrameTransparencyLevel(&f, 50);
    EXPECT_EQ(f.transparency, 0x10005u);
    EXPECT_EQ(f.alphaValue, 50);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(f.GetImage())), -1);
    // 50 x 2.55 + 0.5 falls just short of 128 in binary floating point: k is 127.
    const int half = 127;
    EXPECT_EQ(greyRows(explicitOf(f)),
              (std::vector<std::vector<int>>{{255, half, 255}, {half, 255, 255}}));
    EXPECT_EQ(greyRows(static_cast<KpxHandle>(f.GetMaskImage())),
              (std::vector<std::vector<int>>{{255, 0, 255}, {0, 255, 255}}));
    // A new level raises the kept transparency, not the raised one.
    SetFrameTransparencyLevel(&f, 20);
    EXPECT_EQ(greyRows(explicitOf(f))[0][1], (255 * 51) / 255);

    SetFrameTransparencyLevel(&f, 0);
    EXPECT_EQ(f.transparency, 0x1000005u);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(f.GetImage())), 5);
    EXPECT_EQ(explicitOf(f), 0);
    EXPECT_EQ(f.GetMaskImage(), 0);
    EXPECT_EQ(f.alphaValue, 0) << "the frame page shows no level once it is off";
}

TEST_F(FrameTransformsTest, LevelComesOffFramesWithoutOwnTransparencyAndKeepsGradedOnes) {
    // A colour frame of its own opaque: the level alone, removed by level 0.
    CObjFrame& colour = colourFrame({"ab", "cd"});
    SetFrameTransparencyLevel(&colour, 40);
    EXPECT_EQ(greyRows(explicitOf(colour)),
              (std::vector<std::vector<int>>{{102, 102}, {102, 102}}));
    SetFrameTransparencyLevel(&colour, 0);
    EXPECT_EQ(explicitOf(colour), 0);

    // A graded palette frame gets its own transparency back.
    CObjFrame& graded = paletteFrame({"12", "34"});
    graded.softAlpha = 1;
    KPXSetImageTransparentEx(baseOf(graded), greyImage({{0, 60}, {200, 255}}));
    SetFrameTransparencyLevel(&graded, 100);
    EXPECT_EQ(greyRows(explicitOf(graded)),
              (std::vector<std::vector<int>>{{255, 255}, {255, 255}}));
    SetFrameTransparencyLevel(&graded, 0);
    EXPECT_EQ(greyRows(explicitOf(graded)), (std::vector<std::vector<int>>{{0, 60}, {200, 255}}));
}

TEST_F(FrameTransformsTest, LevelStaysAppliedThroughTurnsAndMirrors) {
    CObjFrame& f = paletteFrame({"501", "234"}, 5);
    SetFrameTransparencyLevel(&f, 50);
    RotateFrame(&f, static_cast<short>(f.GetImage()), 90, 0);
    EXPECT_EQ(paletteRows(baseOf(f)), (Picture{"25", "30", "41"}));
    EXPECT_EQ(f.alphaValue, 50);
    EXPECT_EQ(f.transparency, 0x10005u);
    EXPECT_EQ(greyRows(static_cast<KpxHandle>(f.GetMaskImage())),
              (std::vector<std::vector<int>>{{0, 255}, {0, 0}, {0, 0}}));
    EXPECT_EQ(greyRows(explicitOf(f)),
              (std::vector<std::vector<int>>{{127, 255}, {127, 127}, {127, 127}}));
    FlipFrame(&f, 1);
    EXPECT_EQ(greyRows(static_cast<KpxHandle>(f.GetMaskImage())),
              (std::vector<std::vector<int>>{{255, 0}, {0, 0}, {0, 0}}));
    SetFrameTransparencyLevel(&f, 0);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(f.GetImage())), 5);
    EXPECT_EQ(explicitOf(f), 0);
}

TEST_F(FrameTransformsTest, FramesTransparencyLevelStopsAtTheEndMarkers) {
    for (int i = 0; i < 4; ++i)
        colourFrame({"ab"});
    const int list[] = {3, 99, -7, 0, 4, 1};
    SetFramesTransparencyLevel(list, 30);
    EXPECT_EQ(frameAt(0).alphaValue, 30);
    EXPECT_EQ(frameAt(3).alphaValue, 30);
    EXPECT_EQ(frameAt(1).alphaValue, 0) << "after the index equal to the frame count";
    const int second[] = {2, -1, 1};
    SetFramesTransparencyLevel(second, 30);
    EXPECT_EQ(frameAt(2).alphaValue, 30);
    EXPECT_EQ(frameAt(1).alphaValue, 0) << "after -1";
}

TEST_F(FrameTransformsTest, ObjectKinds) {
    CObjFrame& text = colourFrame({"ab"});
    text.hasText = 1;
    EXPECT_EQ(GetFrameObjectKind(&text), kFrameKindText);
    CObjFrame& vector = paletteFrame({"1"});
    vector.hasVector = 1;
    EXPECT_EQ(GetFrameObjectKind(&vector), kFrameKindVector);
    CObjFrame& control = paletteFrame({"1"});
    control.hasControl = 1;
    EXPECT_EQ(GetFrameObjectKind(&control), kFrameKindControl);
    EXPECT_EQ(GetFrameObjectKind(&colourFrame({"ab"})), kFrameKindImage24);
    CObjFrame& soft = paletteFrame({"1"});
    soft.softAlpha = 1;
    EXPECT_EQ(GetFrameObjectKind(&soft), kFrameKindSoftAlpha8);
    EXPECT_EQ(GetFrameObjectKind(&paletteFrame({"1"})), kFrameKindImage);
    CObjFrame empty;
    EXPECT_EQ(GetFrameObjectKind(&empty), kFrameKindNone);
    EXPECT_EQ(GetFrameObjectKind(nullptr), kFrameKindNone);
}

TEST_F(FrameTransformsTest, ConvertTurnsGradedColourFrameIntoIndexedFrame) {
    g_Settings.animBkColor = RGB(1, 2, 3);
    CObjFrame& f = colourFrame({"ab", "cd"});
    f.softAlpha = 1;
    f.selected = 1;
    KPXSetImageTransparentEx(baseOf(f), greyImage({{0, 255}, {0, 0}}));
    ConvertObjectsToImages(&animation().frames);
    const KpxHandle image = baseOf(f);
    ASSERT_EQ(KPXbpp(image), 8);
    EXPECT_EQ(f.softAlpha, 0);
    ASSERT_TRUE(f.transparency & 0x1000000u);
    const int index = static_cast<int>(f.transparency & 0xFF);
    EXPECT_EQ(rowOf(image, 0)[1], index);
    EXPECT_NE(rowOf(image, 0)[0], index);
    const RGBQUAD entry = KPXGetBitmapInfoHeader(image)->bmiColors[index];
    EXPECT_EQ(RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue), RGB(1, 2, 3));
    g_Settings = ProgramSettings{};
}

TEST_F(FrameTransformsTest, ConvertKeepsThePaletteOfGradedPaletteFrame) {
    g_Settings.animBkColor = RGB(1, 2, 3);
    CObjFrame& f = paletteFrame({"12", "34"});
    f.softAlpha = 1;
    f.selected = 1;
    KPXSetImageTransparentEx(baseOf(f), greyImage({{0, 255}, {40, 0}}));
    const KpxHandle before = KPXCreateImageFrom(baseOf(f), 0);
    ConvertObjectsToImages(&animation().frames);
    const KpxHandle image = baseOf(f);
    // Index 0 is the first that no visible pixel uses.
    EXPECT_EQ(paletteRows(image), (Picture{"10", "34"}));
    EXPECT_EQ(f.transparency, 0x1000000u);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(image)), 0);
    EXPECT_EQ(explicitOf(f), 0);
    EXPECT_EQ(f.softAlpha, 0);
    const RGBQUAD* table = KPXGetBitmapInfoHeader(image)->bmiColors;
    EXPECT_EQ(RGB(table[0].rgbRed, table[0].rgbGreen, table[0].rgbBlue), RGB(1, 2, 3));
    EXPECT_EQ(std::memcmp(table + 1, KPXGetBitmapInfoHeader(before)->bmiColors + 1,
                          255 * sizeof(RGBQUAD)),
              0);
    KPXDeleteImage(before);
    g_Settings = ProgramSettings{};
}

// The letters an 8-bit picture shows through its colour table.
Picture shownLetters(KpxHandle image) {
    const RGBQUAD* table = KPXGetBitmapInfoHeader(image)->bmiColors;
    Picture rows;
    for (int y = 0; y < KPXHeight(image); ++y) {
        std::string row;
        for (int x = 0; x < KPXWidth(image); ++x) {
            const RGBQUAD c = table[rowOf(image, y)[x]];
            char letter = '?';
            for (char l = 'a'; l <= 'z'; ++l)
                if (letterColour(l) == RGB(c.rgbRed, c.rgbGreen, c.rgbBlue))
                    letter = l;
            row += letter;
        }
        rows.push_back(row);
    }
    return rows;
}

using Grey = std::vector<std::vector<int>>;

struct EightBitCase {
    const char* name;
    Grey own;        // the frame's graded transparency; empty: opaque
    int levelBefore; // level applied before the conversion
    int alpha;       // level asked of the conversion
    Grey expected;   // explicit transparency afterwards; empty: none
};

// A 24-bit frame becomes an 8-bit frame that shows the same colours; its graded transparency
// stays graded (not cut to one transparent index) and the asked level is applied over it.
TEST_F(FrameTransformsTest, ConvertTo8BitKeepsColoursAndGradedTransparency) {
    const int k40 = 102; // 40 % of 255
    const std::vector<EightBitCase> cases = {
        {"opaque, no level", {}, 0, 0, {}},
        {"opaque, level 40", {}, 0, 40, {{k40, k40}, {k40, k40}}},
        {"graded, no level", {{0, 60}, {200, 255}}, 0, 0, {{0, 60}, {200, 255}}},
        {"graded, level 40",
         {{0, 60}, {200, 255}},
         0,
         40,
         {{k40, 60 + (195 * k40) / 255}, {200 + (55 * k40) / 255, 255}}},
        {"graded, level 40 kept",
         {{0, 60}, {200, 255}},
         40,
         40,
         {{k40, 60 + (195 * k40) / 255}, {200 + (55 * k40) / 255, 255}}},
        {"graded, level taken off", {{0, 60}, {200, 255}}, 40, 0, {{0, 60}, {200, 255}}},
    };
    for (const EightBitCase& c : cases) {
        SCOPED_TRACE(c.name);
        CObjFrame& f = colourFrame({"ab", "cd"});
        if (!c.own.empty()) {
            f.softAlpha = 1;
            KPXSetImageTransparentEx(baseOf(f), greyImage(c.own));
        }
        if (c.levelBefore)
            SetFrameTransparencyLevel(&f, c.levelBefore);
        ConvertFrameTo8Bit(&f, c.alpha);
        ASSERT_EQ(KPXbpp(baseOf(f)), 8);
        EXPECT_EQ(shownLetters(baseOf(f)), (Picture{"ab", "cd"}));
        EXPECT_EQ(greyRows(explicitOf(f)), c.expected);
        EXPECT_EQ(f.alphaValue, c.alpha);
        if (c.alpha)
            EXPECT_EQ(greyRows(static_cast<KpxHandle>(f.GetMaskImage())),
                      c.own.empty() ? Grey{} : c.own)
                << "the level keeps the frame's own transparency to come off again";
        EXPECT_EQ(f.width, 2);
        EXPECT_EQ(f.height, 2);
    }
}

TEST_F(FrameTransformsTest, ConvertTo8BitKeepsAColourKeyAsTransparency) {
    CObjFrame& f = colourFrame({"ab", "ba"});
    const COLORREF key = letterColour('b');
    const KpxTransparentEntry entry{GetRValue(key), GetGValue(key), GetBValue(key), 0, 0, 0, 0};
    KPXSetImageTransparent(baseOf(f), &entry, 1);
    ConvertFrameTo8Bit(&f, 0);
    ASSERT_EQ(KPXbpp(baseOf(f)), 8);
    EXPECT_EQ(shownLetters(baseOf(f)), (Picture{"ab", "ba"}));
    EXPECT_EQ(greyRows(explicitOf(f)), (Grey{{0, 255}, {255, 0}}));
}

TEST_F(FrameTransformsTest, ConvertTo8BitLeavesPalettePixelsAndAppliesTheLevel) {
    CObjFrame& f = paletteFrame({"505", "055"}, 5);
    const KpxHandle before = KPXCreateImageFrom(baseOf(f), 0);
    ConvertFrameTo8Bit(&f, 50);
    EXPECT_EQ(paletteRows(baseOf(f)), (Picture{"505", "055"}));
    EXPECT_TRUE(sameColourTable(baseOf(f), before));
    EXPECT_EQ(f.alphaValue, 50);
    EXPECT_EQ(f.transparency, 0x10005u) << "the index is remembered under the level";
    ConvertFrameTo8Bit(&f, 0);
    EXPECT_EQ(f.transparency, 0x1000005u);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(f.GetImage())), 5);
    EXPECT_EQ(explicitOf(f), 0);
    KPXDeleteImage(before);
}

TEST_F(FrameTransformsTest, ConvertSelectedFramesTo8BitStopsAtTheEndOfTheList) {
    for (int i = 0; i < 3; ++i)
        colourFrame({"ab"});
    const std::vector<int> listed = {2, 0, -1, 1};
    ConvertSelFramesTo8Bit(&animation().frames, listed, 30);
    EXPECT_EQ(KPXbpp(baseOf(frameAt(2))), 8);
    EXPECT_EQ(frameAt(0).alphaValue, 30);
    EXPECT_EQ(KPXbpp(baseOf(frameAt(1))), 24) << "after -1";
    const std::vector<int> past = {3, 1};
    ConvertSelFramesTo8Bit(&animation().frames, past, 30);
    EXPECT_EQ(KPXbpp(baseOf(frameAt(1))), 24) << "after the index equal to the frame count";
    ConvertSelFramesTo8Bit(nullptr, listed, 30);
    ConvertFrameTo8Bit(nullptr, 30);
}

TEST_F(FrameTransformsTest, MergeComposesFramesOfDifferentPlacesSizesAndTransparency) {
    g_Settings.animBkColor = letterColour('z');
    CObjFrame& wide = colourFrame({"aaaa", "aaaa"});
    wide.left = 1;
    wide.top = 1;
    CObjFrame& small = paletteFrame({"12", "21"}, 2);
    small.left = 3;
    small.top = 2;
    // Index 1 of the small frame shows colour 'b'.
    KPXGetBitmapInfoHeader(baseOf(small))->bmiColors[1] =
        RGBQUAD{GetBValue(letterColour('b')), GetGValue(letterColour('b')),
                GetRValue(letterColour('b')), 0};
    KPXFillDIBColorTable(baseOf(small));
    CObjFrame& apart = colourFrame({"c"});
    apart.left = 0;
    apart.top = 3;
    CObjFrame& unselected = colourFrame({"d"});
    for (CObjFrame* f : {&wide, &small, &apart})
        f->selected = 1;
    for (CObjFrame& f : animation().frames)
        f.PutFrameInfo(0);
    TheUndoHistory().Reset();

    ASSERT_EQ(MergeSelectedFrames(&animation().frames), 1);
    EXPECT_EQ(animation().RealFrameCount(), 2);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindMergeFrames);
    CObjFrame& merged = frameAt(0);
    EXPECT_EQ(merged.selected, 1);
    EXPECT_EQ(merged.current, 1);
    EXPECT_EQ(frameAt(1).GetImage(), unselected.GetImage());
    EXPECT_EQ(frameAt(1).selected, 0);
    EXPECT_EQ(merged.left, 0);
    EXPECT_EQ(merged.top, 1);
    EXPECT_EQ(merged.width, 5);
    EXPECT_EQ(merged.height, 3);
    EXPECT_EQ(colourRows(baseOf(merged)), (Picture{"zaaaa", "zaaba", "czzzb"}));
    g_Settings = ProgramSettings{};
}

TEST_F(FrameTransformsTest, MergeOfNothingSelectedDoesNothing) {
    colourFrame({"ab"});
    EXPECT_EQ(MergeSelectedFrames(&animation().frames), 0);
    EXPECT_EQ(animation().RealFrameCount(), 1);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

// ---- Text frames

using kfm::test::ensureGuiApplication;

constexpr const char* kSans = "Liberation Sans";

class TextFrameTransformsTest : public FrameTransformsTest {
protected:
    void SetUp() override {
        FrameTransformsTest::SetUp();
        ensureGuiApplication();
        ASSERT_TRUE(kfm::text::faceExists(kSans, 0))
            << kSans << " (LiberationSans-Regular.ttf, fonts-liberation) is missing";
    }

    CObjFrame& textFrame() {
        CObjFrame& f = addFrame(2, 3, 1, 1);
        f.hasText = 1;
        f.text.left = 2;
        f.text.top = 3;
        f.text.color = RGB(200, 10, 10);
        f.text.antialias = 1;
        std::strcpy(f.text.font.lfFaceName, kSans);
        f.text.font.lfHeight = -14;
        f.text.text = "Fg";
        const KpxHandle image = render(f.text);
        KPXDeleteImage(static_cast<KpxHandle>(f.SetImage(static_cast<std::uint16_t>(image))));
        f.width = KPXWidth(image);
        f.height = KPXHeight(image);
        f.transparency = 0x1000000;
        return f;
    }

    static KpxHandle render(const TextObjectRecord& record) {
        TextObjectRecord copy = record;
        FrameInfo info{};
        info.textObject = &copy;
        return static_cast<KpxHandle>(CreateTextImage(&info));
    }

    static bool samePicture(KpxHandle a, KpxHandle b) {
        if (KPXWidth(a) != KPXWidth(b) || KPXHeight(a) != KPXHeight(b))
            return false;
        for (int y = 0; y < KPXHeight(a); ++y)
            if (std::memcmp(rowOf(a, y), rowOf(b, y), static_cast<std::size_t>(KPXWidth(a))))
                return false;
        const KpxHandle alphaA = KPXGetImageTransparentImageEx(a);
        const KpxHandle alphaB = KPXGetImageTransparentImageEx(b);
        return (alphaA == 0) == (alphaB == 0) && (!alphaA || greyRows(alphaA) == greyRows(alphaB));
    }

    static KpxHandle mirrored(KpxHandle image, int flags) {
        const KpxHandle copy = KPXCreateImageFrom(image, 0);
        KPXFlipImage(copy, flags);
        return copy;
    }
};

TEST_F(TextFrameTransformsTest, MirrorFlipsTheMatrixAndRendersTheMirroredPicture) {
    for (const int flags : {1, 2, 3}) {
        SCOPED_TRACE(flags);
        CObjFrame& f = textFrame();
        const KpxHandle upright = KPXCreateImageFrom(baseOf(f), 0);
        FlipFrame(&f, flags);
        EXPECT_EQ(f.text.matrix[0], flags & 1 ? -1.0 : 1.0);
        EXPECT_EQ(f.text.matrix[3], flags & 2 ? -1.0 : 1.0);
        EXPECT_EQ(f.text.matrix[1], 0.0);
        EXPECT_EQ(f.text.matrix[2], 0.0);
        const KpxHandle expected = render(f.text);
        EXPECT_TRUE(samePicture(baseOf(f), expected));
        // Mirroring the text left to right is mirroring its picture.
        const KpxHandle mirror = mirrored(upright, flags);
        if (flags == 1) {
            EXPECT_TRUE(samePicture(baseOf(f), mirror));
        }
        for (const KpxHandle h : {upright, expected, mirror})
            KPXDeleteImage(h);
    }
}

TEST_F(TextFrameTransformsTest, RotationSetsTheAngleAndRendersFromTheRecord) {
    CObjFrame& f = textFrame();
    f.text.interpolation = 0;
    RotateFrame(&f, static_cast<short>(f.GetImage()), 90, 2);
    EXPECT_EQ(GetRotationAngle(f.text.matrix), 90);
    EXPECT_EQ(f.text.interpolation, 2);
    const KpxHandle expected = render(f.text);
    EXPECT_TRUE(samePicture(baseOf(f), expected));
    EXPECT_EQ(f.width, KPXWidth(expected));
    EXPECT_EQ(f.height, KPXHeight(expected));
    // The angle is absolute: turning to 90 again changes nothing.
    RotateFrame(&f, static_cast<short>(f.GetImage()), 90, 2);
    EXPECT_TRUE(samePicture(baseOf(f), expected));
    KPXDeleteImage(expected);
}

TEST_F(TextFrameTransformsTest, LevelStaysAppliedToTheRenderedText) {
    CObjFrame& f = textFrame();
    SetFrameTransparencyLevel(&f, 40);
    RotateFrame(&f, static_cast<short>(f.GetImage()), 90, 0);
    EXPECT_EQ(f.alphaValue, 40);
    const KpxHandle own = render(f.text);
    const KpxHandle kept = static_cast<KpxHandle>(f.GetMaskImage());
    ASSERT_NE(kept, 0);
    EXPECT_EQ(greyRows(kept), greyRows(KPXGetImageTransparentImageEx(own)));
    const KpxHandle raised = static_cast<KpxHandle>(RaiseTransparency(kept, 102));
    EXPECT_EQ(greyRows(explicitOf(f)), greyRows(raised));
    KPXDeleteImage(raised);
    KPXDeleteImage(own);
}

TEST_F(TextFrameTransformsTest, TextThatCannotBeRenderedKeepsItsRecordAndPicture) {
    CObjFrame& f = textFrame();
    const std::uint16_t picture = f.GetImage();
    f.text.font.lfHeight = 0;
    const TextObjectRecord before = f.text;
    FlipFrame(&f, 1);
    RotateFrame(&f, static_cast<short>(f.GetImage()), 30, 0);
    EXPECT_TRUE(kfm::records::recordsEqual(f.text, before));
    EXPECT_EQ(f.GetImage(), picture);
}

} // namespace

// ---- Vector frames

namespace {

// A rectangle drawn with the null pen leaves its right column and bottom row out: each rectangle
// below reaches one pixel past what it fills.
HENHMETAFILE metafileOf(const std::vector<std::uint8_t>& bytes) {
    return SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
}

// Letter colours: a at the top left, b on the right, c below a, one pixel left untouched.
//   aabb
//   c.bb
std::vector<std::uint8_t> smallDrawing() {
    return kfm::test::EmfBuilder(4, 2)
        .solidBrush(letterColour('a'))
        .rectangle(0, 0, 3, 2)
        .solidBrush(letterColour('b'))
        .rectangle(2, 0, 5, 3)
        .solidBrush(letterColour('c'))
        .rectangle(0, 1, 2, 3)
        .finish();
}

// Halves: a on the left, b at the top right, the bottom right untouched; 8 x 4.
std::vector<std::uint8_t> quadrantDrawing() {
    return kfm::test::EmfBuilder(8, 4)
        .solidBrush(letterColour('a'))
        .rectangle(0, 0, 5, 5)
        .solidBrush(letterColour('b'))
        .rectangle(4, 0, 9, 3)
        .finish();
}

// The picture without the fully transparent rows and columns around what is drawn.
Picture drawn(Picture rows) {
    const auto blank = [](const std::string& row) {
        return row.find_first_not_of('.') == std::string::npos;
    };
    while (!rows.empty() && blank(rows.back()))
        rows.pop_back();
    while (!rows.empty() && blank(rows.front()))
        rows.erase(rows.begin());
    const auto column = [&](std::size_t x) {
        return std::all_of(rows.begin(), rows.end(),
                           [x](const std::string& row) { return row[x] == '.'; });
    };
    while (!rows.empty() && !rows[0].empty() && column(rows[0].size() - 1))
        for (std::string& row : rows)
            row.pop_back();
    while (!rows.empty() && !rows[0].empty() && column(0))
        for (std::string& row : rows)
            row.erase(0, 1);
    return rows;
}

class VectorFrameTransformsTest : public FrameTransformsTest {
protected:
    CObjFrame& vectorFrame(const std::vector<std::uint8_t>& emf, int width, int height) {
        CObjFrame& f = addFrame(5, 6, 1, 1);
        f.hasVector = 1;
        f.vector.metafile.reset(metafileOf(emf));
        f.vector.width = width;
        f.vector.height = height;
        f.vector.antialias = 0;
        const KpxHandle image = render(f.vector);
        KPXDeleteImage(static_cast<KpxHandle>(f.SetImage(static_cast<std::uint16_t>(image))));
        f.width = KPXWidth(image);
        f.height = KPXHeight(image);
        return f;
    }

    static KpxHandle render(const VectorObjectRecord& v) {
        return static_cast<KpxHandle>(RenderMetafileImage(
            v.metafile.get(), RECT{0, 0, v.width - 1, v.height - 1}, GetRotationAngle(v.matrix),
            v.interpolation, IsMatrixMirrored(v.matrix), v.antialias));
    }

    // Letters where the picture is opaque, '.' where it is fully transparent.
    static Picture visible(KpxHandle image) {
        Picture rows = colourRows(image);
        const auto alpha = greyRows(KPXGetImageTransparentImageEx(image));
        for (std::size_t y = 0; y < rows.size(); ++y)
            for (std::size_t x = 0; x < rows[y].size(); ++x)
                if (alpha[y][x] == 255)
                    rows[y][x] = '.';
        return rows;
    }
};

TEST_F(VectorFrameTransformsTest, MirrorsRenderTheMirroredDrawing) {
    const std::vector<MirrorCase> cases = {{1, {"bbaa", "bb.c"}}, {2, {"c.bb", "aabb"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        CObjFrame& f = vectorFrame(smallDrawing(), 4, 2);
        ASSERT_EQ(visible(baseOf(f)), (Picture{"aabb", "c.bb"}));
        FlipFrame(&f, c.flags);
        // Top to bottom is a half turn and a mirror: the warp gives the picture a margin.
        EXPECT_EQ(drawn(visible(baseOf(f))), c.expected);
        EXPECT_EQ(IsMatrixMirrored(f.vector.matrix), 1);
        const KpxHandle expected = render(f.vector);
        EXPECT_EQ(visible(baseOf(f)), visible(expected));
        EXPECT_EQ(f.width, KPXWidth(expected));
        EXPECT_EQ(f.height, KPXHeight(expected));
        KPXDeleteImage(expected);
    }
}

TEST_F(VectorFrameTransformsTest, MirrorOnBothAxesTurnsTheDrawingHalfRound) {
    CObjFrame& f = vectorFrame(quadrantDrawing(), 8, 4);
    FlipFrame(&f, 3);
    EXPECT_EQ(f.vector.matrix[0], -1.0);
    EXPECT_EQ(f.vector.matrix[3], -1.0);
    EXPECT_EQ(IsMatrixMirrored(f.vector.matrix), 0);
    const KpxHandle expected = render(f.vector);
    EXPECT_EQ(visible(baseOf(f)), visible(expected));
    KPXDeleteImage(expected);
    // Turned half round: b at the bottom left, a on the right, the top left untouched.
    const Picture picture = visible(baseOf(f));
    EXPECT_EQ(picture[1][1], '.');
    EXPECT_EQ(picture[3][2], 'b');
    EXPECT_EQ(picture[2][6], 'a');
}

TEST_F(VectorFrameTransformsTest, RotationTurnsTheDrawingFromItsRecord) {
    CObjFrame& f = vectorFrame(quadrantDrawing(), 8, 4);
    RotateFrame(&f, static_cast<short>(f.GetImage()), 90, 0);
    EXPECT_EQ(GetRotationAngle(f.vector.matrix), 90);
    EXPECT_EQ(f.vector.width, 8) << "the render size stays";
    const KpxHandle expected = render(f.vector);
    EXPECT_EQ(visible(baseOf(f)), visible(expected));
    EXPECT_EQ(f.width, KPXWidth(expected));
    EXPECT_EQ(f.height, KPXHeight(expected));
    KPXDeleteImage(expected);
    // Turned clockwise: a at the top, b at the bottom right, the bottom left untouched.
    const Picture picture = visible(baseOf(f));
    EXPECT_EQ(picture[2][2], 'a');
    EXPECT_EQ(picture[6][3], 'b');
    EXPECT_EQ(picture[6][1], '.');
}

TEST_F(VectorFrameTransformsTest, UndoRestoresTheVectorFrame) {
    CObjFrame& f = vectorFrame(smallDrawing(), 4, 2);
    f.current = 1;
    for (CObjFrame& frame : animation().frames)
        frame.PutFrameInfo(0);
    const std::uint16_t image = f.GetImage();
    const VectorObjectRecord record = f.vector;
    ASSERT_EQ(RotateCurrentFrameStep(90, 0), 1);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindRotate);
    ASSERT_EQ(MirrorCurrentFrameStep(1), 1);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindMirrorHorizontally);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    const CObjFrame& back = frameAt(0);
    EXPECT_EQ(back.GetImage(), image);
    EXPECT_TRUE(kfm::records::recordsEqual(back.vector, record));
    EXPECT_EQ(visible(baseOf(back)), (Picture{"aabb", "c.bb"}));
}

} // namespace
