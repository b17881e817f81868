// The distortion plug-in's frames as the editor takes them in and the image library composes
// them: for an opaque source shown before them, the full frames (disposal 3) and the difference
// frames (8-bit masks of the changed pixels, disposal 1) give the same picture after every frame.

#include "FrameChainBuild.h"
#include "ModelTestSupport.h"
#include "PluginFrames.h"
#include "PluginRecordFixtures.h"
#include "ShiverFixture.h"
#include "ShiverRun.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using kfm::plugins::InsertReturnedFrame;
using kfm::plugins::ReturnedFrame;
using kfm::plugins::UnpackPluginFrame;

namespace {

constexpr COLORREF kBackground = RGB(10, 200, 30);
constexpr int kScreenWidth = 64;
constexpr int kScreenHeight = 48;

struct ResultDeleter {
    void operator()(PluginResult* result) const { FreePluginResult(result); }
};
using Result = std::unique_ptr<PluginResult, ResultDeleter>;

using Screen = std::vector<std::uint32_t>;

class ShiverCompositionTest : public ModelTest {
protected:
    // The screens after each result frame, the source shown before them: the frames enter the
    // animation as the editor takes returned frames in, and the library composes the chain.
    std::vector<Screen> composedScreens(PluginFrame& source, const PluginResult& result) {
        animation().frames.erase(animation().frames.begin(), std::prev(animation().frames.end()));
        animation().AnimationWidth = kScreenWidth;
        animation().AnimationHeight = kScreenHeight;
        int position = -1;
        const auto add = [&](const PluginFrame& record) {
            ReturnedFrame returned = UnpackPluginFrame(record);
            EXPECT_EQ(returned.status, ReturnedFrame::Status::Ok);
            position = InsertReturnedFrame(animation().frames, position, std::move(returned));
        };
        add(source);
        for (int j = 0; j < result.count; ++j)
            add(result.frames[j]);
        animation().UpdateFrameCount();

        std::vector<Screen> screens;
        auto& frames = animation().frames;
        EXPECT_EQ(BuildFramesImage(frames, 0, 0), 1);
        for (int k = 1; k <= result.count; ++k) {
            const ScopedImage canvas(KPXCreateImage(kScreenWidth, kScreenHeight, 24));
            for (int y = 0; y < kScreenHeight; ++y)
                std::memset(imageRowFromTop(canvas.get(), y), 0x55, kScreenWidth * 3);
            KPXRenderFrames(frames.front().GetImage(), canvas.get(), 0, 0, 0, k, kBackground, 0, 1);
            Screen pixels;
            for (int y = 0; y < kScreenHeight; ++y)
                for (int x = 0; x < kScreenWidth; ++x)
                    pixels.push_back(rgbAt(canvas.get(), x, y));
            screens.push_back(std::move(pixels));
        }
        SplitFramesImage(frames, 0);
        return screens;
    }
};

} // namespace

TEST_F(ShiverCompositionTest, DifferenceFramesComposeToTheFullFrames) {
    kfm::shiver::test::SourceFrame source(48, 32, false);
    const auto run = kfm::shiver::CShiverRun::create(source.input());
    ASSERT_NE(run, nullptr);
    for (const int type : {0, 4, 8}) {
        SCOPED_TRACE(type);
        kfm::shiver::ShiverSettings settings;
        settings.type = type;
        settings.frameCount = 6;
        settings.keyCount = 3;
        const Result full(kfm::shiver::MakeFrames(*run, settings));
        settings.differencesOnly = true;
        const Result changed(kfm::shiver::MakeFrames(*run, settings));
        ASSERT_TRUE(full && changed);
        const std::vector<Screen> fullScreens = composedScreens(source.frame(), *full);
        const std::vector<Screen> changedScreens = composedScreens(source.frame(), *changed);
        ASSERT_EQ(fullScreens.size(), 6u);
        ASSERT_EQ(changedScreens.size(), 6u);
        for (std::size_t k = 0; k < fullScreens.size(); ++k)
            EXPECT_EQ(changedScreens[k], fullScreens[k]) << "after frame " << k;
        // The frames really moved, and were drawn: the screen is not the canvas it started as.
        EXPECT_NE(fullScreens.front(), fullScreens[2]);
        EXPECT_NE(fullScreens.front()[20 * kScreenWidth + 20], 0x555555u);
    }
}
