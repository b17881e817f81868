// The runner over the program-wide animation with the test plug-in: what the plug-in receives,
// where its frames go, and every way a run ends.

#include "PluginRunner.h"
#include "ModelTestSupport.h"
#include "PluginRecordFixtures.h"
#include "TestPluginFiles.h"
#include "shell/Process.h"

#include <gtest/gtest.h>

using kfm::plugins::CountSelectedFramesWithPicture;
using kfm::plugins::IsFilterCommandEnabled;
using kfm::plugins::IsPluginCommandEnabled;
using kfm::plugins::RunPlugin;

namespace {

struct Box {
    std::string text;
    std::string caption;
    UINT flags;
};

class PluginRunnerTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        animation().AnimationWidth = 40;
        animation().AnimationHeight = 30;
        kfm::shell::setMessageBoxHandler(
            [this](HWND, const std::string& text, const std::string& caption, UINT flags) {
                boxes.push_back({text, caption, flags});
                return IDOK;
            });
        path =
            kfm::test::copyTestPlugin(kfm::test::newPluginFolder(), "TestPlugin.kfp", "Runner.kfp");
        control = kfm::test::testPluginControl(path);
        ASSERT_NE(control, nullptr);
    }
    void TearDown() override {
        kfm::shell::setMessageBoxHandler(nullptr);
        ModelTest::TearDown();
    }

    // Real frames 8-bit, each of its own size, selected as given.
    void addFrames(std::initializer_list<bool> selected) {
        int i = 0;
        for (const bool s : selected) {
            CObjFrame& f = addFrame(i, 2 * i, 4 + i, 3, 8);
            f.selected = s ? 1 : 0;
            f.delay = 10 + i;
            f.disposal = 2;
            ++i;
        }
    }

    // The frames the plug-in returns next.
    void returnFrames(std::vector<OwnedRecord*> records) {
        std::vector<TestReturnedFrame> frames;
        for (OwnedRecord* r : records)
            frames.push_back({r->frame, r->imageBytes(), r->maskBytes()});
        control->setResult(frames.data(), static_cast<int>(frames.size()));
    }

    std::vector<int> selection() {
        std::vector<int> out;
        int i = 0;
        for (const CObjFrame& f : animation().frames) {
            if (f.selected)
                out.push_back(i);
            ++i;
        }
        return out;
    }

    int currentIndex() {
        int i = 0;
        for (const CObjFrame& f : animation().frames) {
            if (f.current)
                return i;
            ++i;
        }
        return -1;
    }

    std::string path;
    TestPluginControl* control = nullptr;
    std::vector<Box> boxes;
};

} // namespace

TEST_F(PluginRunnerTest, ThePlugInReceivesTheSelectedFramesThatHaveAPicture) {
    g_Settings.animBkColor = 0x00C08040;
    // Frame 0: 8-bit with a known pattern; frame 1: selected without a picture; frame 2: 24-bit
    // with graded transparency; frame 3: not selected.
    CObjFrame& first = addFrame(3, 4, 4, 3, 8);
    KPXDeleteImage(static_cast<KpxHandle>(first.SetImage(static_cast<std::uint16_t>(
        makeIndexedImage(4, 3, [](int x, int y) { return 10 * y + x; })))));
    first.selected = 1;
    first.delay = 25;
    first.disposal = 3;
    CObjFrame& empty = addFrame(0, 0, 4, 3, 8);
    KPXDeleteImage(static_cast<KpxHandle>(empty.SetImage(0)));
    empty.selected = 1;
    CObjFrame& graded = addFrame(-2, 1, 5, 2, 24);
    const KpxHandle alpha = KPXCreateImage(5, 2, 8);
    imageRowFromTop(alpha, 0)[1] = 200;
    ASSERT_TRUE(KPXSetImageTransparentEx(graded.GetImage(), alpha));
    graded.selected = 1;
    addFrame(0, 0, 4, 4, 8);

    control->setMode(TestRunMode::Cancel);
    EXPECT_EQ(RunPlugin(path), 1);

    const PluginRunInput& in = *control->received();
    EXPECT_EQ(in.width, 40);
    EXPECT_EQ(in.height, 30);
    EXPECT_EQ(in.background, 0x00C08040u);
    ASSERT_EQ(in.count, 2);
    EXPECT_EQ(control->contextSize(), 12);
    // frameSlots carry the index only.
    for (int i = 0; i < 2; ++i) {
        PluginFrame expected{};
        expected.frameIndex = i == 0 ? 0 : 2;
        EXPECT_EQ(std::memcmp(&in.frameSlots[i], &expected, sizeof expected), 0) << i;
    }
    const PluginFrame& f0 = in.frames[0];
    EXPECT_EQ(f0.frameIndex, 0);
    EXPECT_EQ(f0.left, 3);
    EXPECT_EQ(f0.top, 4);
    EXPECT_EQ(f0.delay, 25);
    EXPECT_EQ(f0.disposal, 3);
    EXPECT_EQ(f0.image.bmBitsPixel, 8);
    EXPECT_EQ(f0.mask.bmBits, nullptr);
    // Rows come top down: each pixel shows the colour of the frame's pixel there.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const auto* row = static_cast<const std::uint8_t*>(f0.image.bmBits) +
                              static_cast<std::size_t>(f0.image.bmWidthBytes) * y;
            const PALETTEENTRY& c = f0.palette[row[x]];
            EXPECT_EQ((c.peRed << 16) | (c.peGreen << 8) | c.peBlue, testPaletteColour(10 * y + x));
        }
    const PluginFrame& f2 = in.frames[1];
    EXPECT_EQ(f2.frameIndex, 2);
    EXPECT_EQ(f2.left, -2);
    ASSERT_EQ(f2.mask.bmBitsPixel, 8);
    // An 8-bit mask in: 255 is transparent, as the library keeps it.
    const auto* maskTop = static_cast<const std::uint8_t*>(f2.mask.bmBits);
    EXPECT_EQ(maskTop[1], 200);
    EXPECT_EQ(maskTop[0], 0);

    // A cancel inserts nothing and gives nothing back to clean up; the progress was shown with
    // the plug-in's total and ended.
    EXPECT_EQ(animation().RealFrameCount(), 4);
    EXPECT_EQ(control->cleanUps(), 0);
    EXPECT_EQ(control->progressReports(), 2);
    ASSERT_EQ(shellFake.countSent(WM_PROGRESS_BEGIN), 1);
    EXPECT_EQ(shellFake.sent.front().lParam, 2);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_END), 1);
    EXPECT_FALSE(g_Progress.active);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PluginRunnerTest, ReturnedFramesFollowTheFirstSelectedFrameAndTheLastIsCurrent) {
    addFrames({false, true, false, true});
    OwnedRecord a(4, 4, 8, 0, [](int, int) { return 1u; });
    OwnedRecord b(5, 4, 24, 0, [](int, int) { return 0x00FF00u; });
    OwnedRecord c(6, 4, 8, 0, [](int, int) { return 2u; });
    a.frame.delay = 11;
    b.frame.delay = 22;
    c.frame.delay = 33;
    returnFrames({&a, &b, &c});
    EXPECT_EQ(RunPlugin(path), 1);
    ASSERT_EQ(animation().RealFrameCount(), 7);
    EXPECT_EQ(animation().frameCount, 7);
    EXPECT_EQ(frameAt(2).delay, 11);
    EXPECT_EQ(frameAt(3).delay, 22);
    EXPECT_EQ(frameAt(4).delay, 33);
    EXPECT_EQ(frameAt(4).width, 6);
    EXPECT_EQ(frameAt(5).delay, 12);
    EXPECT_EQ(selection(), (std::vector<int>{4}));
    EXPECT_EQ(currentIndex(), 4);
    EXPECT_EQ(control->cleanUps(), 1);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_END), 1);
}

TEST_F(PluginRunnerTest, AGeneratorWithoutSelectionAddsAfterTheFirstFrameOrBeforeThePlaceholder) {
    OwnedRecord generated(3, 3, 24, 0, [](int, int) { return 0x0000FFu; });
    returnFrames({&generated});
    EXPECT_EQ(RunPlugin(path), 1);
    ASSERT_EQ(animation().RealFrameCount(), 1);
    EXPECT_EQ(frameAt(0).width, 3);
    EXPECT_EQ(control->received()->count, 0);

    addFrames({false});
    for (CObjFrame& f : animation().frames)
        f.selected = 0;
    EXPECT_EQ(RunPlugin(path), 1);
    ASSERT_EQ(animation().RealFrameCount(), 3);
    EXPECT_EQ(selection(), (std::vector<int>{1}));
}

TEST_F(PluginRunnerTest, EveryKindOfReturnedFrameEntersWithItsTransparency) {
    addFrames({true});
    OwnedRecord indexed(4, 4, 8, 0, [](int x, int) { return x == 2 ? 5u : 1u; });
    indexed.frame.transparentIndex = 5;
    OwnedRecord trueColour(4, 4, 24, 0, [](int, int) { return 0x123456u; });
    OwnedRecord oneBit(
        4, 4, 24, 1, [](int, int) { return 0u; }, [](int x, int) { return x & 1; });
    OwnedRecord eightBit(
        4, 4, 8, 8, [](int, int) { return 3u; }, [](int, int) { return 128; });
    OwnedRecord noRowLength(4, 4, 24, 0, [](int x, int) { return x * 50u; });
    noRowLength.frame.image.bmWidthBytes = 0;
    OwnedRecord disposal(4, 4, 24, 0, [](int, int) { return 0u; });
    disposal.frame.disposal = 7;
    returnFrames({&indexed, &trueColour, &oneBit, &eightBit, &noRowLength, &disposal});
    EXPECT_EQ(RunPlugin(path), 1);
    ASSERT_EQ(animation().RealFrameCount(), 7);
    const struct {
        int index;
        bool graded;
    } expected[] = {{1, true}, {2, false}, {3, true}, {4, true}, {5, false}, {6, false}};
    for (const auto& e : expected) {
        const CObjFrame& f = frameAt(e.index);
        EXPECT_EQ(f.softAlpha, e.graded ? 1 : 0) << e.index;
        EXPECT_EQ(KPXbpp(f.GetImage()), 24) << e.index;
    }
    const KpxHandle alpha = KPXGetImageTransparentImageEx(frameAt(1).GetImage());
    ASSERT_NE(alpha, 0);
    EXPECT_EQ(imageRowFromTop(alpha, 0)[2], 255);
    EXPECT_EQ(imageRowFromTop(alpha, 0)[1], 0);
    EXPECT_EQ(rgbAt(frameAt(5).GetImage(), 3, 0), 150u);
    // Disposal 7 is taken as 0, which the model keeps as 1 (leave in place).
    EXPECT_EQ(frameAt(6).disposal, CObjFrame::NormalizeDisposal(0));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PluginRunnerTest, AnUnsupportedDepthShowsOneMessageAndTheOtherFramesEnter) {
    addFrames({true, false});
    OwnedRecord sixteen(4, 4, 24, 0, [](int, int) { return 0u; });
    sixteen.frame.image.bmBitsPixel = 16;
    OwnedRecord unreadable(4, 4, 8, 0, [](int, int) { return 0u; });
    std::free(unreadable.frame.palette);
    unreadable.frame.palette = nullptr;
    OwnedRecord good(7, 4, 24, 0, [](int, int) { return 0u; });
    returnFrames({&sixteen, &unreadable, &good});
    EXPECT_EQ(RunPlugin(path), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unsupported bit depth!");
    EXPECT_EQ(boxes[0].caption, "Error");
    // The frame that could be read follows the selected one directly.
    ASSERT_EQ(animation().RealFrameCount(), 3);
    EXPECT_EQ(frameAt(1).width, 7);
    EXPECT_EQ(control->cleanUps(), 1);
}

TEST_F(PluginRunnerTest, ALibraryThatCannotBeLoadedIsReportedAndEndsTheProgress) {
    const std::string text =
        kfm::test::copyTestPlugin(kfm::test::newPluginFolder(), "NotALibrary.kfp", "Text.kfp");
    const std::string missing = kfm::test::newPluginFolder().string() + "/Missing.kfp";
    for (const std::string& p : {text, missing}) {
        SCOPED_TRACE(p);
        boxes.clear();
        shellFake.sent.clear();
        addFrames({true});
        EXPECT_EQ(RunPlugin(p), 0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Error");
        EXPECT_NE(boxes[0].text.find(p), std::string::npos) << boxes[0].text;
        // The loader's reason follows the name.
        EXPECT_GT(boxes[0].text.size(), p.size() + 40) << boxes[0].text;
        EXPECT_EQ(shellFake.countSent(WM_PROGRESS_END), 1);
        EXPECT_FALSE(g_Progress.active);
    }
}

TEST_F(PluginRunnerTest, AMissingExportOrRunEntryEndsTheRunQuietly) {
    addFrames({true});
    const auto folder = kfm::test::newPluginFolder();
    for (const char* broken : {"NoExportPlugin.kfp", "NullRunPlugin.kfp"}) {
        SCOPED_TRACE(broken);
        shellFake.sent.clear();
        EXPECT_EQ(RunPlugin(kfm::test::copyTestPlugin(folder, broken, broken)), 0);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(shellFake.countSent(WM_PROGRESS_END), 1);
        EXPECT_EQ(animation().RealFrameCount(), 1);
    }
}

TEST_F(PluginRunnerTest, IdentityGivesTheSamePicturesBack) {
    addFrames({true, true});
    KPXDeleteImage(static_cast<KpxHandle>(frameAt(0).SetImage(static_cast<std::uint16_t>(
        makeIndexedImage(4, 3, [](int x, int y) { return 30 + x * y; })))));
    control->setMode(TestRunMode::Identity);
    EXPECT_EQ(RunPlugin(path), 1);
    ASSERT_EQ(animation().RealFrameCount(), 4);
    // The copies follow the first selected frame, in order.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rgbAt(frameAt(1).GetImage(), x, y), testPaletteColour(30 + x * y));
    EXPECT_EQ(frameAt(2).width, 5);
    EXPECT_EQ(frameAt(2).delay, 11);
}

TEST(PluginRulesTest, APlugInCommandNeedsEnoughSelectedFramesWithPictures) {
    const struct {
        std::vector<int> frames; // per real frame: 0 not selected, 1 selected, 2 selected without
                                 // a picture
        bool placeholderSelected;
        int minFrames;
        bool previewing;
        bool enabled;
    } cases[] = {
        {{1, 1, 0}, false, 2, false, true},  {{1, 0, 0}, false, 2, false, false},
        {{1, 2, 0}, false, 2, false, false}, {{1, 2, 1}, false, 3, false, false},
        {{1, 2, 1}, false, 2, false, true},  {{}, true, 0, false, true},
        {{}, false, 1, false, false},        {{1, 1}, false, 0, true, false},
        {{1, 1}, false, 2, true, false},
    };
    for (const auto& c : cases) {
        FrameList frames;
        for (const int kind : c.frames) {
            CObjFrame& f = frames.emplace_back();
            f.selected = kind != 0;
            if (kind != 2)
                f.SetImage(static_cast<std::uint16_t>(KPXCreateImage(1, 1, 8)));
        }
        frames.emplace_back().selected = c.placeholderSelected;
        const int count = CountSelectedFramesWithPicture(frames);
        EXPECT_EQ(IsPluginCommandEnabled(true, true, count, c.minFrames, c.previewing), c.enabled)
            << testing::PrintToString(c.frames) << " min " << c.minFrames;
    }
    EXPECT_FALSE(IsPluginCommandEnabled(false, true, 1, 0, false));
    EXPECT_FALSE(IsPluginCommandEnabled(true, false, 1, 0, false));
}

TEST(PluginRulesTest, AFilterCommandNeedsAnEditableCurrentFrameWithoutDrawing) {
    const struct {
        const char* what;
        int frames;
        int current;
        std::vector<int> selected;
        bool placeholderSelected;
        bool vector;
        bool previewing;
        bool enabled;
    } cases[] = {
        {"current and selected", 2, 1, {1}, false, false, false, true},
        {"current not selected", 2, 1, {0}, false, false, false, false},
        {"placeholder selected too", 2, 0, {0}, true, false, false, false},
        {"no real frame", 0, -1, {}, true, false, false, false},
        {"no current frame", 2, -1, {0}, false, false, false, false},
        {"a vector drawing", 2, 0, {0}, false, true, false, false},
        {"previewing", 2, 0, {0}, false, false, true, false},
    };
    for (const auto& c : cases) {
        FrameList frames(static_cast<std::size_t>(c.frames + 1));
        auto at = [&frames](int i) -> CObjFrame& { return *std::next(frames.begin(), i); };
        for (const int s : c.selected)
            at(s).selected = 1;
        frames.back().selected = c.placeholderSelected;
        if (c.current >= 0) {
            at(c.current).current = 1;
            at(c.current).hasVector = c.vector;
        }
        EXPECT_EQ(IsFilterCommandEnabled(true, true, frames, c.previewing), c.enabled) << c.what;
    }
}
