// Loads, saves, compositions, comparisons and deletes on several threads at once: every save
// keeps its own pixels and every thread gets what it would get alone.

#include "FormatId.h"
#include "FrameComposition.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LoadFrontEnd.h"
#include "MultiFrameFiles.h"
#include "SaveFrontEnd.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::size_t rowBytes(const KpxImageRecord& record) {
    return (static_cast<std::size_t>(record.width()) * record.bitCount() + 31) / 32 * 4;
}

// The colour of every pixel of an 8- or 24-bit image, top row first.
std::vector<Rgb> pixelColours(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    std::vector<Rgb> colours;
    if (!record || (record->bitCount() != 8 && record->bitCount() != 24))
        return colours;
    for (std::int32_t y = record->height() - 1; y >= 0; --y) {
        const std::uint8_t* row =
            record->bits + static_cast<std::size_t>(y) * rowBytes(*record.get());
        for (std::int32_t x = 0; x < record->width(); ++x) {
            if (record->bitCount() == 24) {
                colours.push_back({row[3 * x + 2], row[3 * x + 1], row[3 * x]});
                continue;
            }
            const RGBQUAD& c = record->colors()[row[x]];
            colours.push_back({c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
    }
    return colours;
}

// An 8-bit image with sixteen grey levels in a pattern of its own.
KpxHandle patternImage(int width, int height, int seed) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    kpx::ImageLock record(image, kKpxWrite);
    for (int i = 0; i < 16; ++i) {
        const auto level = static_cast<BYTE>(i * 17);
        record->colors()[i] = RGBQUAD{level, level, level, 0};
    }
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            record->bits[static_cast<std::size_t>(y) * rowBytes(*record.get()) + x] =
                static_cast<std::uint8_t>((x * 3 + y * 5 + seed) % 16);
    return image;
}

class CodecThreadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(KpxLiveImageCount(), 0) << "an earlier test leaked images"; }
    void TearDown() override { EXPECT_EQ(KpxLiveImageCount(), 0); }

    kfm::test::TempDir dir_;
};

// Small saves run while wide images load on other threads: a save must copy rows of its own
// image's size, and a load store rows of its own, whatever the other threads are doing. The
// saved files are read back once the loads have stopped.
TEST_F(CodecThreadTest, SavesBesideLoadsOnOtherThreadsKeepTheirPixels) {
    constexpr int kSavers = 4;
    constexpr int kRounds = 30;
    const std::string wide = dir_.file("wide.gif");
    std::vector<Rgb> wideColours;
    {
        const KpxHandle image = patternImage(1200, 30, 0);
        wideColours = pixelColours(image);
        ASSERT_EQ(KPXSaveImage(image, wide.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr), 1);
        KPXDeleteImage(image);
    }
    std::atomic<bool> stop{false};
    std::atomic<int> wrongLoads{0};
    std::vector<std::thread> loaders;
    for (int t = 0; t < 3; ++t)
        loaders.emplace_back([&] {
            while (!stop) {
                // 0 only when the other loads kept the loader busy too long.
                if (const KpxHandle image = KPXLoadImage(nullptr, wide.c_str(), nullptr)) {
                    if (pixelColours(image) != wideColours)
                        ++wrongLoads;
                    KPXDeleteImage(image);
                }
            }
        });
    const auto savedPath = [&](int saver, int round) {
        return dir_.file("small" + std::to_string(saver) + "_" + std::to_string(round) + ".gif");
    };
    std::atomic<int> failedSaves{0};
    std::vector<std::thread> savers;
    for (int t = 0; t < kSavers; ++t)
        savers.emplace_back([&, t] {
            const KpxHandle image = patternImage(7 + t, 40, t);
            for (int round = 0; round < kRounds; ++round)
                if (KPXSaveImage(image, savedPath(t, round).c_str(), formatNumber(FormatId::Gif), 0,
                                 0, nullptr) != 1)
                    ++failedSaves;
            KPXDeleteImage(image);
        });
    for (std::thread& s : savers)
        s.join();
    stop = true;
    for (std::thread& l : loaders)
        l.join();
    EXPECT_EQ(failedSaves.load(), 0);
    EXPECT_EQ(wrongLoads.load(), 0);
    for (int t = 0; t < kSavers; ++t) {
        const KpxHandle original = patternImage(7 + t, 40, t);
        const std::vector<Rgb> expected = pixelColours(original);
        KPXDeleteImage(original);
        for (int round = 0; round < kRounds; ++round) {
            const KpxHandle saved = KPXLoadImage(nullptr, savedPath(t, round).c_str(), nullptr);
            EXPECT_EQ(pixelColours(saved), expected) << "saver " << t << ", round " << round;
            KPXDeleteImage(saved);
        }
    }
}

// Eight threads each load animations, compose them, compare images that all threads share and
// delete what they made; every thread must get the answers it gets alone.
TEST_F(CodecThreadTest, EightThreadsLoadComposeCompareAndDelete) {
    const std::string animation = kfm::test::testDataPath("gif/peers/im-disposals.gif").string();
    const KpxHandle shared = patternImage(40, 30, 1);
    const KpxHandle twin = patternImage(40, 30, 1);
    const KpxHandle other = patternImage(40, 30, 2);

    const auto loadAndCompose = [&] {
        const KpxHandle chain = KPXLoadImageFramesOffset(animation.c_str(), 0, nullptr, nullptr);
        if (chain <= 0)
            return std::vector<Rgb>{};
        KpxHandle canvas = 0;
        {
            kpx::ImageLock first(chain, kKpxRead);
            canvas = KPXCreateImage(first->screenWidth, first->screenHeight, 24);
        }
        KPXRenderFrames(chain, canvas, 0, 0, 0, 1000, RGB(0, 0, 0), 0, 1);
        std::vector<Rgb> picture = pixelColours(canvas);
        KPXDeleteImage(canvas);
        KPXDeleteImage(chain);
        return picture;
    };
    const std::vector<Rgb> alone = loadAndCompose();
    ASSERT_FALSE(alone.empty());

    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < 6; ++round) {
                if (loadAndCompose() != alone)
                    ++wrong;
                KpxInvalidateChecksum(KpxFindImage(shared));
                if (KPXCompareImages(shared, twin) != 1 || KPXCompareImages(shared, other) != 0)
                    ++wrong;
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
    for (const KpxHandle h : {shared, twin, other})
        KPXDeleteImage(h);
}

} // namespace
