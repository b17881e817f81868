// The colour ramp's markers and the preset files: the ramp's runs, marker edits, the markers'
// stored form in every version, presets written and read back exactly, the older layouts built
// byte by byte, and damaged files that must be refused without changing anything.

#include "PresetFile.h"
#include "GradientRamp.h"
#include "PresetCatalogue.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

namespace kfm::patina {
namespace {

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFF;

TEST(GradientRampTest, BlackToWhiteRunsOverAllEntries) {
    const GradientRamp ramp;
    ASSERT_EQ(ramp.Markers().size(), 2u);
    EXPECT_EQ(ramp.Ramp()[255], kWhite);
    // One step (255 / 256) above black, truncated.
    EXPECT_EQ(ramp.Ramp()[0], 0x000000u);
    EXPECT_EQ(ramp.Ramp()[1], 0x010101u);
    EXPECT_EQ(ramp.Ramp()[127], 0x7F7F7Fu);
}

TEST(GradientRampTest, SetGradientWithAMiddleColour) {
    GradientRamp ramp;
    ramp.SetGradient(0x000000, 0x0000FF, 0x00FF00, 0.25f);
    ASSERT_EQ(ramp.Markers().size(), 3u);
    EXPECT_EQ(ramp.Markers()[1], (GradientMarker{63, 0x00FF00}));
    // 64 entries to green, then 192 to red.
    EXPECT_EQ(ramp.Ramp()[63], 0x00FF00u);
    EXPECT_EQ(ramp.Ramp()[255], 0x0000FFu);
    EXPECT_EQ(ramp.Ramp()[64] & 0xFF, 1u);
}

TEST(GradientRampTest, EachRunStartsOneStepPastItsMarker) {
    GradientRamp ramp;
    ASSERT_TRUE(ramp.InsertMarker(100, kRed));
    ASSERT_TRUE(ramp.InsertMarker(37, 0x123456));
    ASSERT_EQ(ramp.Markers().size(), 4u);
    // The run from red at 100 to white at 255 has 156 steps of 255 / 156 for green and blue:
    // its first entry (the marker's own) is one step past red, and it ends on white.
    EXPECT_EQ(ramp.Ramp()[100], 0x0101FFu);
    EXPECT_EQ(ramp.Ramp()[101], 0x0303FFu);
    EXPECT_EQ(ramp.Ramp()[255], kWhite);
    // The run before ends one entry short of red: (255 - 0x56) / 64 per step for red.
    EXPECT_EQ(ramp.Ramp()[99] & 0xFF, static_cast<std::uint32_t>(0x56 + (255.0 - 0x56) * 63 / 64));
}

TEST(GradientRampTest, DeletingAnInnerMarkerJoinsItsNeighbours) {
    GradientRamp plain;
    GradientRamp edited;
    const auto red = edited.InsertMarker(128, kRed);
    ASSERT_TRUE(red);
    EXPECT_NE(edited.Ramp(), plain.Ramp());
    EXPECT_FALSE(edited.DeleteMarker(0));
    EXPECT_FALSE(edited.DeleteMarker(2));
    EXPECT_TRUE(edited.DeleteMarker(*red));
    EXPECT_EQ(edited.Markers(), plain.Markers());
    EXPECT_EQ(edited.Ramp(), plain.Ramp());
}

TEST(GradientRampTest, SixtyFourMarkersAtMost) {
    GradientRamp ramp;
    for (int i = 0; i < kMaxMarkers - 2; ++i)
        ASSERT_TRUE(ramp.InsertMarker(3 + i * 3, static_cast<std::uint32_t>(i)));
    EXPECT_EQ(ramp.Markers().size(), 64u);
    const auto before = ramp.Markers();
    EXPECT_FALSE(ramp.InsertMarker(200, kRed));
    EXPECT_EQ(ramp.Markers(), before);
}

TEST(GradientRampTest, MovedMarkersStayBetweenTheirNeighbours) {
    GradientRamp ramp;
    ramp.InsertMarker(100, kRed);
    ramp.InsertMarker(200, kRed);
    EXPECT_TRUE(ramp.MoveMarker(1, 250));
    EXPECT_EQ(ramp.Markers()[1].position, 200);
    EXPECT_TRUE(ramp.MoveMarker(1, -5));
    EXPECT_EQ(ramp.Markers()[1].position, 0);
    EXPECT_FALSE(ramp.MoveMarker(0, 10));
    EXPECT_FALSE(ramp.MoveMarker(3, 10));
}

std::vector<std::uint8_t> words(std::initializer_list<std::uint32_t> values) {
    LittleEndianWriter out;
    for (const std::uint32_t v : values)
        out.u32(v);
    return out.data();
}

TEST(GradientRampTest, StoredMarkersRoundTrip) {
    GradientRamp ramp;
    ramp.InsertMarker(90, 0x445566);
    LittleEndianWriter out;
    ramp.Store(out);
    EXPECT_EQ(out.data(), words({3, 3, 0, 0, 90, 0x445566, 255, kWhite}));
    GradientRamp loaded;
    loaded.SetGradient(kRed, kRed, 0, -1);
    LittleEndianReader in(out.data());
    ASSERT_TRUE(loaded.Load(in));
    EXPECT_EQ(loaded.Markers(), ramp.Markers());
    EXPECT_EQ(loaded.Ramp(), ramp.Ramp());
}

TEST(GradientRampTest, OlderStoredFormsAndDamagedOnes) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::vector<GradientMarker> want; // empty: refused
    };
    const std::vector<Case> cases = {
        {"version 2 drops markers whose extra word is 0",
         words({2, 3, 0, 1, 1, 10, 2, 0, 255, 3, 1}),
         {{0, 1}, {255, 3}}},
        {"version 1 holds eight markers",
         words({1, 0, 1, 1, 30, 2, 0, 40, 3, 0, 50, 4, 0, 60, 5, 0, 70, 6, 0, 80, 7, 0, 255, 8, 1}),
         {{0, 1}, {255, 8}}},
        {"top bytes of colours are cleared",
         words({3, 2, 0, 0xFF000001, 255, 2}),
         {{0, 1}, {255, 2}}},
        {"one marker", words({3, 1, 0, 0}), {}},
        {"65 markers", words({3, 65}), {}},
        {"a huge count", words({3, 0xFFFFFFFF, 0, 0}), {}},
        {"falling positions", words({3, 3, 0, 0, 200, 1, 100, 2}), {}},
        {"a position above 255", words({3, 2, 0, 0, 256, 1}), {}},
        {"a negative position", words({3, 2, 0xFFFFFFFF, 0, 255, 1}), {}},
        {"too few kept", words({2, 2, 0, 0, 0, 255, 1, 1}), {}},
        {"cut short", words({3, 2, 0, 0, 255}), {}},
    };
    for (const Case& c : cases) {
        GradientRamp ramp;
        const GradientRamp before;
        LittleEndianReader in(c.bytes);
        EXPECT_EQ(ramp.Load(in), !c.want.empty()) << c.what;
        EXPECT_EQ(ramp.Markers(), c.want.empty() ? before.Markers() : c.want) << c.what;
    }
}

// Settings apart from the defaults in every field a preset keeps.
TextureSettings unusualSettings() {
    TextureSettings s;
    SetTexture(s, 3, 2, 5.5, 17.25, 1.0, -2.5);
    s.warpMode = 2;
    s.seedMode = -1;
    SetPattern(s, 3, true, 13, 27);
    SetColouring(s, 6, 9, 700, 5);
    return s;
}

void expectSameSettings(const TextureSettings& a, const TextureSettings& b) {
    EXPECT_EQ(a.family, b.family);
    EXPECT_EQ(a.variant, b.variant);
    EXPECT_EQ(a.d, b.d);
    EXPECT_EQ(a.warpMode, b.warpMode);
    EXPECT_EQ(a.seedMode, b.seedMode);
    EXPECT_EQ(a.patternType, b.patternType);
    EXPECT_EQ(a.invertPattern, b.invertPattern);
    EXPECT_EQ(a.rowsPer256, b.rowsPer256);
    EXPECT_EQ(a.bricksPer256, b.bricksPer256);
    EXPECT_EQ(a.baseFunction, b.baseFunction);
    EXPECT_EQ(a.zoom, b.zoom);
    EXPECT_EQ(a.colourSpeed, b.colourSpeed);
    EXPECT_EQ(a.colourFunction, b.colourFunction);
}

TEST(PresetFileTest, SavedAndLoadedReproducesSettingsAndMarkers) {
    const TextureSettings saved = unusualSettings();
    GradientRamp ramp;
    ramp.InsertMarker(40, 0x112233);
    ramp.InsertMarker(41, 0x445566);
    const kfm::test::TempDir dir;
    const QString path = QString::fromStdString(dir.file("saved.ptn"));
    ASSERT_TRUE(SavePreset(path, saved, ramp));

    const std::vector<std::uint8_t> bytes = kfm::test::readFileBytes(dir.file("saved.ptn"));
    // 2 + 2 + 4 + 32 + 4 + 2 + 4 x 4 + 4 + 2 + 2 + 3 x 4, then the markers.
    EXPECT_EQ(bytes.size(), 78u + 8 + 4 * 8);
    EXPECT_EQ(bytes[0], 16);
    EXPECT_EQ(bytes[1], 0);

    TextureSettings loaded;
    GradientRamp loadedRamp;
    ASSERT_TRUE(LoadPreset(path, loaded, loadedRamp));
    expectSameSettings(loaded, saved);
    EXPECT_EQ(loadedRamp.Markers(), ramp.Markers());
    EXPECT_EQ(loadedRamp.Ramp(), ramp.Ramp());
}

TEST(PresetFileTest, AFileThatCannotBeOpenedLoadsNothing) {
    TextureSettings s = unusualSettings();
    GradientRamp ramp;
    EXPECT_FALSE(LoadPreset("/nonexistent/folder/x.ptn", s, ramp));
    expectSameSettings(s, unusualSettings());
    EXPECT_FALSE(SavePreset("/nonexistent/folder/x.ptn", s, ramp));
}

// A version 15 or 16 file with the fields given.
struct CurrentFields {
    std::uint16_t version = 16;
    std::uint16_t family = 0;
    std::uint32_t variant = 4;
    std::array<double, 4> d{2, 8, 3, 0};
    std::uint32_t seedMode = 0;
    std::uint16_t warp = 1;
    std::uint32_t base = 2;
    std::uint32_t zoom = 3;
    std::uint32_t speed = 300;
    std::uint16_t function = 1;
    std::uint16_t pattern = 1;
    std::uint32_t invert = 0;
    std::uint32_t rows = 8;
    std::uint32_t bricks = 4;
    std::vector<std::uint32_t> markers{3, 2, 0, 0, 255, kWhite};

    std::vector<std::uint8_t> bytes() const {
        LittleEndianWriter out;
        out.u16(version);
        out.u16(family);
        out.u32(variant);
        for (const double v : d)
            out.f64(v);
        out.u32(seedMode);
        out.u16(warp);
        out.u32(base);
        out.u32(zoom);
        out.u32(0);
        out.u32(speed);
        out.u16(function);
        out.u16(pattern);
        out.u32(invert);
        out.u32(rows);
        out.u32(bricks);
        for (const std::uint32_t w : markers)
            out.u32(w);
        return out.data();
    }
};

// A file of the older layouts, built field by field as the version holds them.
std::vector<std::uint8_t> legacyBytes(std::uint16_t version) {
    LittleEndianWriter out;
    out.u16(version);
    for (int i = 0; i < 6; ++i)
        out.u32(0xAAAAAAAA);
    out.u16(0xBBBB);
    if (version < 12) {
        out.u32(0x0000FF); // first colour
        out.u32(0xFF0000); // second colour
    }
    out.u16(0xCCCC);
    out.u32(333); // colour speed
    if (version >= 2) {
        out.u16(0xDDDD);
        out.u16(2); // family
        out.u16(3); // colour function
    }
    if (version >= 3)
        out.u16(2); // warp mode
    if (version >= 4)
        out.u32(0xFFFFFFFF); // seed mode -1
    if (version >= 5) {
        out.u32(0xEEEEEEEE);
        out.u32(0xEEEEEEEE);
    }
    if (version >= 6)
        for (int i = 0; i < 4; ++i)
            out.f64(1e9);
    if (version >= 7 && version <= 11) {
        out.u32(0x00FF00); // middle colour
        out.f32(0.5f);
    }
    if (version >= 8)
        out.u16(0x9999);
    if (version >= 9)
        out.u16(4); // pattern
    if (version >= 10)
        out.u32(0x77777777);
    if (version >= 11)
        out.u32(0x66666666);
    if (version >= 13) {
        out.u32(12); // rows
        out.u32(6);  // bricks
    }
    if (version >= 14)
        out.u32(1); // invert
    if (version >= 12)
        for (const std::uint32_t w : {3u, 3u, 0u, 0x0000FFu, 128u, 0x00FF00u, 255u, 0xFF0000u})
            out.u32(w);
    return out.data();
}

TEST(PresetFileTest, OlderVersionsLoadAsTheirLayoutsSay) {
    struct Want {
        std::uint16_t version;
        std::uint32_t family;
        int colourFunction;
        int warp;
        int seedMode;
        int pattern;
        int rows;
        int bricks;
        int invert;
        std::size_t markers;
        // Half way from red to blue without a middle colour. Green: the end of the first run (entry
        // 127 of SetGradient's two runs), or one step past it towards blue (entry 128, the first of
        // the markers' second run).
        std::uint32_t middle;
    };
    // The loader's defaults fill what a version lacks: family 0, colour function 0, warp 0,
    // seed mode 0, no pattern, bricks 8 by 4.
    const Want cases[] = {
        {1, 0, 0, 0, 0, 0, 8, 4, 0, 2, 0x7F007F},   {6, 2, 3, 2, -1, 0, 8, 4, 0, 2, 0x7F007F},
        {7, 2, 3, 2, -1, 0, 8, 4, 0, 3, 0x00FF00},  {11, 2, 3, 2, -1, 4, 8, 4, 0, 3, 0x00FF00},
        {12, 2, 3, 2, -1, 4, 8, 4, 0, 3, 0x01FD00}, {14, 2, 3, 2, -1, 4, 12, 6, 1, 3, 0x01FD00},
    };
    for (const Want& w : cases) {
        TextureSettings s;
        GradientRamp ramp;
        ASSERT_TRUE(ReadPreset(legacyBytes(w.version), s, ramp)) << w.version;
        EXPECT_EQ(s.family, w.family) << w.version;
        EXPECT_EQ(s.colourSpeed, 333) << w.version;
        EXPECT_EQ(s.colourFunction, w.colourFunction) << w.version;
        EXPECT_EQ(s.warpMode, w.warp) << w.version;
        EXPECT_EQ(s.seedMode, w.seedMode) << w.version;
        EXPECT_EQ(s.patternType, w.pattern) << w.version;
        EXPECT_EQ(s.rowsPer256, w.rows) << w.version;
        EXPECT_EQ(s.bricksPer256, w.bricks) << w.version;
        EXPECT_EQ(s.invertPattern, w.invert) << w.version;
        EXPECT_EQ(ramp.Markers().size(), w.markers) << w.version;
        EXPECT_GE(ramp.Ramp()[0] & 0xFF, 253u) << "red first, version " << w.version;
        EXPECT_EQ(ramp.Ramp()[255], 0xFF0000u) << w.version;
        EXPECT_EQ(ramp.Ramp()[w.version >= 12 ? 128 : 127], w.middle) << w.version;
    }
}

TEST(PresetFileTest, VersionFifteenOfFamilyZeroClearsD2) {
    CurrentFields f;
    f.version = 15;
    TextureSettings s;
    GradientRamp ramp;
    ASSERT_TRUE(ReadPreset(f.bytes(), s, ramp));
    EXPECT_EQ(s.d, (std::array<double, 4>{2, 8, 0, 0}));
    EXPECT_EQ(s.warpMode, 1) << "the warp mode is set after the texture";
    EXPECT_EQ(s.baseFunction, 2);
    EXPECT_EQ(s.zoom, 3);
    EXPECT_EQ(s.colourSpeed, 300);
    f.version = 16;
    ASSERT_TRUE(ReadPreset(f.bytes(), s, ramp));
    EXPECT_EQ(s.d[2], 3);
    f.version = 15;
    f.family = 3;
    ASSERT_TRUE(ReadPreset(f.bytes(), s, ramp));
    EXPECT_EQ(s.d[2], 3);
}

TEST(PresetFileTest, BrickCountsAreClampedIntoTheDialogsRange) {
    CurrentFields f;
    f.rows = 0;
    f.bricks = 0x7FFFFFFF;
    TextureSettings s;
    GradientRamp ramp;
    ASSERT_TRUE(ReadPreset(f.bytes(), s, ramp));
    EXPECT_EQ(s.rowsPer256, 1);
    EXPECT_EQ(s.bricksPer256, 100);
}

TEST(PresetFileTest, DamagedFilesAreRefusedAndChangeNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    const auto with = [&](const char* what, auto change) {
        CurrentFields f;
        change(f);
        cases.push_back({what, f.bytes()});
    };
    with("version 0", [](CurrentFields& f) { f.version = 0; });
    with("version 17", [](CurrentFields& f) { f.version = 17; });
    with("a NaN parameter", [&](CurrentFields& f) { f.d[1] = nan; });
    with("an infinite parameter", [&](CurrentFields& f) { f.d[3] = -inf; });
    with("colour speed 0", [](CurrentFields& f) { f.speed = 0; });
    with("family 5", [](CurrentFields& f) { f.family = 5; });
    with("base function 8", [](CurrentFields& f) { f.base = 8; });
    with("base function -1", [](CurrentFields& f) { f.base = 0xFFFFFFFF; });
    with("one marker", [](CurrentFields& f) { f.markers = {3, 1, 0, 0}; });
    with("65 markers", [](CurrentFields& f) { f.markers = {3, 65, 0, 0, 255, 0}; });
    with("falling markers", [](CurrentFields& f) { f.markers = {3, 3, 0, 0, 99, 0, 98, 0}; });
    with("a marker at 300", [](CurrentFields& f) { f.markers = {3, 2, 0, 0, 300, 0}; });
    with("no markers", [](CurrentFields& f) { f.markers.clear(); });
    {
        std::vector<std::uint8_t> legacy = legacyBytes(6);
        // The first legacy double becomes a NaN.
        const std::size_t at = 2 + 24 + 2 + 8 + 2 + 4 + 6 + 2 + 4 + 8;
        const double bad = nan;
        std::memcpy(&legacy[at], &bad, 8);
        cases.push_back({"a legacy NaN", legacy});
        std::vector<std::uint8_t> zeroSpeed = legacyBytes(3);
        std::fill_n(zeroSpeed.begin() + 2 + 24 + 2 + 8 + 2, 4, 0);
        cases.push_back({"a legacy colour speed of 0", zeroSpeed});
        std::vector<std::uint8_t> middleNaN = legacyBytes(7);
        const float badFloat = std::numeric_limits<float>::quiet_NaN();
        std::memcpy(&middleNaN[middleNaN.size() - 4], &badFloat, 4);
        cases.push_back({"a NaN middle position", middleNaN});
    }
    const std::vector<std::uint8_t> whole = CurrentFields{}.bytes();
    for (const std::size_t cut :
         {std::size_t{0}, std::size_t{1}, std::size_t{40}, whole.size() - 1})
        cases.push_back(
            {"cut short",
             std::vector(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut))});
    for (const std::uint16_t version : {1, 6, 7, 11, 12, 14}) {
        const std::vector<std::uint8_t> legacy = legacyBytes(version);
        cases.push_back({"a legacy file cut short", std::vector(legacy.begin(), legacy.end() - 1)});
    }

    for (const Case& c : cases) {
        TextureSettings s = unusualSettings();
        GradientRamp ramp;
        ramp.InsertMarker(77, kRed);
        const GradientRamp before = ramp;
        EXPECT_FALSE(ReadPreset(c.bytes, s, ramp)) << c.what;
        expectSameSettings(s, unusualSettings());
        EXPECT_EQ(ramp.Markers(), before.Markers()) << c.what;
    }
}

} // namespace
} // namespace kfm::patina

namespace kfm::patina {
namespace {

// The shipped presets reach every family and variant, and each reads back as it was made.
TEST(PresetCatalogueTest, OnePresetPerFamilyAndVariantThatReadsBack) {
    std::set<std::pair<std::uint32_t, int>> reached;
    for (const CataloguePreset& p : PresetCatalogue()) {
        reached.insert({p.settings.family, p.settings.variant});
        TextureSettings loaded;
        GradientRamp ramp;
        ASSERT_TRUE(ReadPreset(PresetBytes(p.settings, p.ramp), loaded, ramp)) << p.title;
        EXPECT_EQ(loaded.d, p.settings.d) << p.title;
        EXPECT_EQ(ramp.Markers(), p.ramp.Markers()) << p.title;
    }
    const int variants[] = {10, 1, 2, 5, 2};
    for (std::uint32_t family = 0; family <= 4; ++family)
        for (int v = 0; v < variants[family]; ++v)
            EXPECT_TRUE(reached.count({family, v})) << family << "/" << v;
}

} // namespace
} // namespace kfm::patina
