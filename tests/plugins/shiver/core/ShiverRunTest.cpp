// The distortion effect's computation on a small fixture frame: the documented cases as a table,
// the frames' records, the sequence that closes its loop, the difference masks, the faults
// mended (the random table's size, cleared hidden pixels, difference frames that keep their
// picture, frames wider than 2048), bad input, cancelling, the preview pictures and golden
// frames of every displacement type.

#include "ShiverRun.h"

#include "Random.h"
#include "ShiverFixture.h"
#include "TestSupport.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

// The preview's counter is text, which needs the GUI application's fonts.
class GuiApplication : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "plugin_shiver_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiApplication);

using kfm::shiver::CShiverKeys;
using kfm::shiver::CShiverRun;
using kfm::shiver::MakeFrames;
using kfm::shiver::ShiverHooks;
using kfm::shiver::ShiverSettings;
using kfm::shiver::test::framePixel;
using kfm::shiver::test::maskByte;
using kfm::shiver::test::SourceFrame;

struct ResultDeleter {
    void operator()(PluginResult* result) const { FreePluginResult(result); }
};
using Result = std::unique_ptr<PluginResult, ResultDeleter>;

Result makeFrames(SourceFrame& source, const ShiverSettings& settings,
                  const ShiverHooks& hooks = {}) {
    const auto run = CShiverRun::create(source.input());
    if (!run)
        return nullptr;
    return Result(MakeFrames(*run, settings, hooks));
}

// Whether frame j shows the source unmoved: every pixel the source's, the mask its complement.
bool undistorted(const PluginFrame& frame, const SourceFrame& source, bool masked) {
    auto& s = const_cast<SourceFrame&>(source);
    for (int y = 0; y < frame.image.bmHeight; ++y)
        for (int x = 0; x < frame.image.bmWidth; ++x) {
            const std::uint8_t opaque = masked ? static_cast<std::uint8_t>(~s.maskAt(x, y)) : 255;
            const std::uint8_t expected = opaque ? s.pixel(x, y) : 0;
            if (framePixel(frame, x, y) != expected || (masked && maskByte(frame, x, y) != opaque))
                return false;
        }
    return true;
}

std::string describeFrames(const PluginResult& result) {
    std::ostringstream text;
    text << std::hex;
    for (int j = 0; j < result.count; ++j) {
        const PluginFrame& f = result.frames[j];
        text << "frame " << j << "\n";
        for (const bool mask : {false, true}) {
            if (mask && !f.mask.bmBits)
                break;
            for (int y = 0; y < f.image.bmHeight; ++y) {
                for (int x = 0; x < f.image.bmWidth; ++x) {
                    const int v = mask ? maskByte(f, x, y) : framePixel(f, x, y);
                    text << (v < 16 ? "0" : "") << v;
                }
                text << "\n";
            }
        }
    }
    return text.str();
}

} // namespace

TEST(ShiverRunTest, ThePartsCases) {
    SourceFrame source(48, 32, true);
    ShiverSettings still;
    still.horizontalMin = still.horizontalMax = 0;
    still.verticalMin = still.verticalMax = 0;
    still.firstUndeformed = true;
    ShiverSettings noType;
    noType.type = 9;
    const struct {
        const char* name;
        ShiverSettings settings;
        bool undistorted;
    } cases[] = {
        {"defaults", ShiverSettings{}, false},
        {"ranges 0..0, first frame undeformed", still, true},
        {"type 9", noType, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result result = makeFrames(source, c.settings);
        ASSERT_NE(result, nullptr);
        ASSERT_EQ(result->count, 8);
        bool allStill = true;
        for (int j = 0; j < result->count; ++j) {
            const PluginFrame& f = result->frames[j];
            EXPECT_EQ(f.delay, 12) << "100 / 8";
            EXPECT_EQ(f.disposal, 3);
            EXPECT_EQ(f.left, 7);
            EXPECT_EQ(f.top, 5);
            EXPECT_EQ(f.transparentIndex, 0);
            EXPECT_EQ(f.image.bmBitsPixel, 8);
            EXPECT_EQ(f.mask.bmBitsPixel, 8);
            ASSERT_NE(f.palette, nullptr);
            EXPECT_EQ(std::memcmp(f.palette, source.frame().palette, kPluginPaletteBytes), 0);
            allStill = allStill && undistorted(f, source, true);
        }
        EXPECT_EQ(allStill, c.undistorted);
    }
}

TEST(ShiverRunTest, TheSameSequenceNumberGivesTheSameFrames) {
    SourceFrame source(48, 32, false);
    ShiverSettings settings;
    settings.type = 3;
    const Result a = makeFrames(source, settings);
    const Result b = makeFrames(source, settings);
    settings.sequence = 2;
    const Result c = makeFrames(source, settings);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(describeFrames(*a), describeFrames(*b));
    EXPECT_NE(describeFrames(*a), describeFrames(*c));
    // Without a source mask the frames have none, and no transparent index.
    EXPECT_EQ(a->frames[0].mask.bmBits, nullptr);
    EXPECT_EQ(a->frames[0].transparentIndex, -1);
}

TEST(ShiverRunTest, KeyChangesCloseTheLoopAndStayInsideTheRandomTable) {
    // K key changes over N frames end on h = 1, the first key again; K above N changes keys once
    // a frame and draws at most two numbers past 2·N (the table's two extra entries).
    const struct {
        int n, k, changes;
    } cases[] = {{8, 2, 2}, {3, 1, 1}, {7, 3, 3}, {200, 199, 199}, {1, 200, 1}, {5, 200, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.n) + " frames, " + std::to_string(c.k) + " keys");
        ShiverSettings settings;
        settings.frameCount = c.n;
        settings.keyCount = c.k;
        auto keys = CShiverKeys::create(settings, 4, 3);
        ASSERT_NE(keys, nullptr);
        for (int j = 0; j < c.n; ++j)
            keys->advance();
        EXPECT_EQ(keys->keysMade(), 1 + c.changes);
        if (c.k <= c.n) {
            EXPECT_EQ(keys->blend(), 1.0);
        }
    }
    SourceFrame source(6, 5, true);
    ShiverSettings many;
    many.frameCount = 2;
    many.keyCount = 200;
    EXPECT_NE(makeFrames(source, many), nullptr);
}

TEST(ShiverRunTest, PixelsTheMaskHidesAreCleared) {
    SourceFrame source(48, 32, true);
    // A hidden pixel that is not index 0 shows whether the output clears it or copies it.
    source.pixelAt(16, 16) = 9;
    for (const int type : {0, 5, 8}) {
        ShiverSettings settings;
        settings.type = type;
        settings.horizontalMin = -400;
        settings.horizontalMax = 400;
        const Result result = makeFrames(source, settings);
        ASSERT_NE(result, nullptr);
        int hidden = 0;
        for (int j = 0; j < result->count; ++j)
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 48; ++x)
                    if (maskByte(result->frames[j], x, y) == 0) {
                        ++hidden;
                        EXPECT_EQ(framePixel(result->frames[j], x, y), 0) << x << "," << y;
                    }
        EXPECT_GT(hidden, 0) << type;
    }
}

TEST(ShiverRunTest, DifferenceMasksMarkWhatChangedSinceThePictureBefore) {
    SourceFrame source(48, 32, false);
    ShiverSettings full;
    full.type = 4;
    ShiverSettings differences = full;
    differences.differencesOnly = true;
    const Result frames = makeFrames(source, full);
    const Result changed = makeFrames(source, differences);
    ASSERT_TRUE(frames && changed);
    for (int j = 0; j < changed->count; ++j) {
        const PluginFrame& f = changed->frames[j];
        EXPECT_EQ(f.disposal, 1) << "do not dispose";
        ASSERT_EQ(f.mask.bmBitsPixel, 8);
        int marked = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x) {
                const std::uint8_t before =
                    j == 0 ? source.pixel(x, y) : framePixel(frames->frames[j - 1], x, y);
                const bool differs = framePixel(f, x, y) != before;
                EXPECT_EQ(maskByte(f, x, y), differs ? 255 : 0) << j << ": " << x << "," << y;
                marked += differs;
                EXPECT_EQ(framePixel(f, x, y), framePixel(frames->frames[j], x, y));
            }
        if (j == 0) {
            EXPECT_GT(marked, 0);
        }
    }
}

TEST(ShiverRunTest, TransparentPixelsStayTransparentInDifferenceMasks) {
    SourceFrame source(48, 32, true);
    ShiverSettings settings;
    settings.differencesOnly = true;
    settings.horizontalMin = -400;
    settings.horizontalMax = 400;
    const auto run = CShiverRun::create(source.input());
    ASSERT_NE(run, nullptr);
    settings.differencesOnly = false;
    const Result full(MakeFrames(*run, settings));
    settings.differencesOnly = true;
    const Result changed(MakeFrames(*run, settings));
    ASSERT_TRUE(full && changed);
    for (int j = 0; j < full->count; ++j)
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x)
                if (maskByte(full->frames[j], x, y) == 0) {
                    EXPECT_EQ(maskByte(changed->frames[j], x, y), 0) << j << ": " << x << "," << y;
                }
}

TEST(ShiverRunTest, FramesWiderThan2048AreDistortedAcrossTheirWidth) {
    SourceFrame source(2100, 3, false);
    ShiverSettings settings;
    settings.type = 2;
    settings.frameCount = 2;
    settings.keyCount = 2;
    settings.horizontalMin = 0;
    settings.horizontalMax = 900;
    const Result result = makeFrames(source, settings);
    ASSERT_NE(result, nullptr);
    int moved = 0;
    for (int j = 0; j < result->count; ++j)
        for (int x = 2048; x < 2100; ++x)
            moved += framePixel(result->frames[j], x, 1) != source.pixel(x, 1);
    EXPECT_GT(moved, 0);
}

TEST(ShiverRunTest, BadInputGivesNoRun) {
    SourceFrame source(48, 32, true);
    PluginRunInput none = *source.input();
    none.count = 0;
    EXPECT_EQ(CShiverRun::create(&none), nullptr);
    EXPECT_EQ(CShiverRun::create(nullptr), nullptr);
    PluginRunInput noFrames = *source.input();
    noFrames.frames = nullptr;
    EXPECT_EQ(CShiverRun::create(&noFrames), nullptr);
    PluginFrame noPixels = source.frame();
    noPixels.image.bmBits = nullptr;
    PluginRunInput withoutPixels = *source.input();
    withoutPixels.frames = &noPixels;
    EXPECT_EQ(CShiverRun::create(&withoutPixels), nullptr);

    // A mask of another size is ignored.
    source.frame().mask.bmWidth = 47;
    const auto run = CShiverRun::create(source.input());
    ASSERT_NE(run, nullptr);
    EXPECT_FALSE(run->hasMask());
    const Result result(MakeFrames(*run, ShiverSettings{}));
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->frames[0].mask.bmBits, nullptr);
}

TEST(ShiverRunTest, OnePixelFramesWork) {
    SourceFrame source(1, 1, false);
    for (int type = 0; type <= 9; ++type) {
        ShiverSettings settings;
        settings.type = type;
        const Result result = makeFrames(source, settings);
        ASSERT_NE(result, nullptr) << type;
        EXPECT_EQ(framePixel(result->frames[7], 0, 0), source.pixel(0, 0)) << type;
    }
}

TEST(ShiverRunTest, ProgressCountsTheFramesAndCancelGivesNoResult) {
    SourceFrame source(48, 32, true);
    static std::vector<int> steps;
    steps.clear();
    std::atomic<bool> cancel{false};
    int pumps = 0;
    ShiverHooks hooks;
    hooks.progress = [](int, int current, int total) { steps.push_back(current * 1000 + total); };
    hooks.pump = [&] { ++pumps; };
    hooks.cancel = &cancel;
    ShiverSettings settings;
    settings.frameCount = 7;
    EXPECT_NE(makeFrames(source, settings, hooks), nullptr);
    EXPECT_EQ(steps, (std::vector<int>{7, 1007, 2007, 3007, 4007, 5007, 6007}));
    EXPECT_EQ(pumps, 3) << "frames 0, 3 and 6";

    // Esc during the pump of frame 3 ends the run with nothing.
    pumps = 0;
    hooks.pump = [&] {
        if (++pumps == 2)
            cancel.store(true);
    };
    EXPECT_EQ(makeFrames(source, settings, hooks), nullptr);
}

TEST(ShiverFieldTest, FieldsAreZeroMeanAndTakenModulo255) {
    for (int type = 0; type <= 9; ++type) {
        SCOPED_TRACE(type);
        auto field = kfm::noise::CGrid::create(40, 30);
        kfm::shiver::MakeShiverField(*field, type, 7);
        long long total = 0;
        bool nonZero = false;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const int v = field->get(x, y);
                EXPECT_GT(v, -255);
                EXPECT_LT(v, 255);
                total += v;
                nonZero = nonZero || v != 0;
            }
        EXPECT_LT(std::llabs(total) / (40 * 30), 2) << "zero-mean";
        EXPECT_EQ(nonZero, type < 9);
    }
}

TEST(ShiverPreviewTest, PicturesCoverThePreviewWithinTheSource) {
    SourceFrame source(48, 32, true);
    const auto run = CShiverRun::create(source.input());
    ASSERT_NE(run, nullptr);
    ShiverSettings settings;
    settings.horizontalMin = settings.horizontalMax = 0;
    settings.verticalMin = settings.verticalMax = 0;
    settings.firstUndeformed = true;
    int done = 0;
    const auto pictures =
        kfm::shiver::MakePreviewPictures(*run, settings, 240, 20, nullptr, [&](int) { ++done; });
    ASSERT_EQ(pictures.size(), 8u);
    EXPECT_EQ(done, 8);
    EXPECT_EQ(pictures[0].size(), QSize(48, 20));
    // The hole shows white, the rest its palette colours.
    EXPECT_EQ(pictures[0].pixel(16, 16), qRgb(255, 255, 255));
    const PALETTEENTRY& p = source.frame().palette[source.pixel(40, 2)];
    EXPECT_EQ(pictures[0].pixel(40, 2), qRgb(p.peRed, p.peGreen, p.peBlue));

    std::atomic<bool> cancel{true};
    EXPECT_TRUE(kfm::shiver::MakePreviewPictures(*run, settings, 240, 20, &cancel).empty());
}

// Golden frames: every type on the 48 x 32 fixture with its mask, sequence 1, four frames over
// two keys. Regenerate with KFM_WRITE_GOLDEN=<folder> after a deliberate change.
class ShiverGoldenTest : public ::testing::TestWithParam<int> {};

TEST_P(ShiverGoldenTest, MatchesTheStoredFrames) {
    SourceFrame source(48, 32, true);
    ShiverSettings settings;
    settings.type = GetParam();
    settings.frameCount = 4;
    const Result result = makeFrames(source, settings);
    ASSERT_NE(result, nullptr);
    const std::string name = "type" + std::to_string(GetParam());
    const std::string frames = describeFrames(*result);
    if (const char* folder = std::getenv("KFM_WRITE_GOLDEN")) {
        std::ofstream(std::string(folder) + "/" + name + ".txt") << frames;
        GTEST_SKIP() << "written";
    }
    std::ifstream in(kfm::test::testDataPath("plugins/shiver/" + name + ".txt"));
    ASSERT_TRUE(in) << name;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(frames, expected.str());
}

INSTANTIATE_TEST_SUITE_P(Types, ShiverGoldenTest, ::testing::Range(0, 9));
