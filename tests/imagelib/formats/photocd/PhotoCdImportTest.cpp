// Photo CD import through the library's front ends: the public sample's geometry (its only
// oracle), the resolution the dialog chooses with its depths, the orientation, the resolutions
// that are not stored plain, damaged packs, and that a pack is never written.

#include "FormatDispatch.h"
#include "photocd/PhotoCd.h"
#include "photocd/ResolutionDialog.h"

#include "../stills/StillImageSupport.h"
#include "PhotoCdPacks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

namespace pcd = kfm::photocd;
using kfm::test::rgbOf;
constexpr std::int32_t kPhotoCd = 120;

// A dialog host that works the dialog as a script says and remembers what it showed.
class ScriptedHost : public pcd::ResolutionDialogHost {
public:
    explicit ScriptedHost(std::function<int(pcd::ResolutionDialog&)> script)
        : script_(std::move(script)) {
        pcd::setResolutionDialogHost(this);
    }
    ~ScriptedHost() override { pcd::setResolutionDialogHost(nullptr); }
    int run(HWND, pcd::ResolutionDialog& dialog) override {
        ++runs;
        entries = dialog.entries();
        defaultText = dialog.defaultText();
        return script_(dialog);
    }
    int runs = 0;
    std::vector<std::string> entries;
    std::string defaultText;

private:
    std::function<int(pcd::ResolutionDialog&)> script_;
};

std::function<int(pcd::ResolutionDialog&)> choose(int entry, int depth) {
    return [=](pcd::ResolutionDialog& d) {
        d.chooseResolution();
        d.selectEntry(entry);
        d.setDepth(depth);
        return IDOK;
    };
}

class PhotoCdImport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kfm::test::gunzipTo(kfm::test::testDataPath("pcd/hopper.pcd.gz"), sample));
    }
    // The sample with its orientation byte set.
    std::string turnedSample(std::uint8_t turns) {
        auto bytes = kfm::test::readFileBytes(sample);
        bytes[0xE02] = turns;
        const std::string path = dir.file("turned" + std::to_string(turns) + ".pcd");
        EXPECT_TRUE(kfm::test::writeFileBytes(path, bytes));
        return path;
    }
    kfm::test::TempDir dir;
    const std::string sample = dir.file("hopper.pcd");
};

TEST_F(PhotoCdImport, TheSampleReadsAsItsBasePictureWithoutADialogWindow) {
    KpxFileInfo info{};
    ASSERT_EQ(KPXGetInfoFile(sample.c_str(), &info), 1);
    EXPECT_EQ(info.formatId, kPhotoCd);
    EXPECT_EQ(info.width, 768);
    EXPECT_EQ(info.height, 512);
    EXPECT_EQ(info.bitsPerPixel, 24);
    EXPECT_STREQ(info.description, "Photo YCC format");
    EXPECT_EQ(info.fileSize, 788480);
    const KpxHandle image = KPXLoadImage(nullptr, sample.c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXWidth(image), 768);
    EXPECT_EQ(KPXHeight(image), 512);
    EXPECT_EQ(KPXbpp(image), 24);
    KPXDeleteImage(image);
}

TEST_F(PhotoCdImport, TheDialogChoosesResolutionAndDepth) {
    struct Case {
        int entry;
        int depth;
        int width;
        int bits;
    } const cases[] = {{0, pcd::kDepthColour24, 192, 24},
                       {1, pcd::kDepthColour8, 384, 8},
                       {2, pcd::kDepthGrey8, 768, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        ScriptedHost host(choose(c.entry, c.depth));
        const KpxHandle image = KPXLoadImage(nullptr, sample.c_str(), nullptr);
        ASSERT_NE(image, 0);
        EXPECT_EQ(host.runs, 1);
        EXPECT_EQ(host.entries, (std::vector<std::string>{"192 x 128 pixels", "384 x 256 pixels",
                                                          "768 x 512 pixels"}));
        EXPECT_EQ(host.defaultText, "Default size (768 x 512 pixels)");
        EXPECT_EQ(KPXWidth(image), c.width);
        EXPECT_EQ(KPXHeight(image), c.width * 2 / 3);
        EXPECT_EQ(KPXbpp(image), c.bits);
        const BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
        if (c.depth == pcd::kDepthGrey8) {
            EXPECT_EQ(info->bmiColors[77].rgbRed, 77);
            EXPECT_EQ(info->bmiColors[77].rgbBlue, 77);
        } else if (c.depth == pcd::kDepthColour8) {
            const auto palette = pcd::palette332();
            EXPECT_EQ(info->bmiColors[0x6D].rgbGreen, palette[0x6D].rgbGreen);
            EXPECT_EQ(info->bmiColors[0x6D].rgbBlue, palette[0x6D].rgbBlue);
        }
        KPXDeleteImage(image);
    }
}

TEST_F(PhotoCdImport, TheGreyRenderingShowsTheLuma) {
    const auto pattern = [](int, int x, int y) {
        return kfm::test::YccSample{static_cast<std::uint8_t>((x + 2 * y) % 180), 90, 200};
    };
    const std::string path = dir.file("luma.pcd");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, kfm::test::makePhotoCdPack(0, pattern, 1)));
    ScriptedHost host(choose(0, pcd::kDepthGrey8));
    const KpxHandle grey = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(grey, 0);
    const auto shown = rgbOf(grey);
    int mismatches = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 192; ++x) {
            const auto expected = static_cast<std::uint8_t>(
                std::min(255L, std::lround(1.3584 * ((x + 2 * y) % 180))));
            const std::size_t at = (std::size_t(y) * 192 + x) * 3;
            mismatches += shown.rgb[at] != expected || shown.rgb[at + 2] != expected;
        }
    EXPECT_EQ(mismatches, 0);
    KPXDeleteImage(grey);
}

TEST_F(PhotoCdImport, TheOrientationByteTurnsThePictureAQuarter) {
    const KpxHandle upright = KPXLoadImage(nullptr, sample.c_str(), nullptr);
    ASSERT_NE(upright, 0);
    const auto landscape = rgbOf(upright);
    for (const std::uint8_t turns : {1, 3}) {
        SCOPED_TRACE(int{turns});
        const std::string path = turnedSample(turns);
        KpxFileInfo info{};
        ASSERT_EQ(KPXGetInfoFile(path.c_str(), &info), 1);
        EXPECT_EQ(info.width, 512);
        EXPECT_EQ(info.height, 768);
        const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(image, 0);
        const auto turned = rgbOf(image);
        ASSERT_EQ(turned.width, 512);
        int mismatches = 0;
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < 512; ++x) {
                // A quarter to the left (1) or to the right (3).
                const int sx = turns == 1 ? 767 - y : y;
                const int sy = turns == 1 ? x : 511 - x;
                mismatches += !std::equal(turned.rgb.begin() + (y * 512 + x) * 3,
                                          turned.rgb.begin() + (y * 512 + x) * 3 + 3,
                                          landscape.rgb.begin() + (sy * 768 + sx) * 3);
            }
        EXPECT_EQ(mismatches, 0);
        KPXDeleteImage(image);
    }
    KPXDeleteImage(upright);
}

TEST_F(PhotoCdImport, TheInfoRequestAnswersEachResolutionQuestion) {
    struct Case {
        std::int16_t asked;
        std::int16_t answer;
        int width;
    } const cases[] = {{-1, 8, 768}, {-2, 2, 192}, {-3, 0x0E, 768}, {4, 4, 768}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        KpxCodecContext context;
        context.disposal = c.asked;
        ASSERT_EQ(KpxGetInfoByFormat(&context, sample.c_str(), 0, kPhotoCd, nullptr, nullptr),
                  kKpxOk);
        EXPECT_EQ(context.disposal, c.answer);
        EXPECT_EQ(context.width, c.width);
        EXPECT_EQ(context.bitsPerPixel, 24);
    }
}

TEST_F(PhotoCdImport, ResolutionsNotStoredPlainAndDamagedPacksLoadNothing) {
    const int before = KpxLiveImageCount();
    // A pack that says it holds 4Base: choosing it fails, its plain resolutions load.
    const auto pattern = [](int, int x, int y) {
        return kfm::test::YccSample{static_cast<std::uint8_t>(x + y), 156, 137};
    };
    const std::string larger = dir.file("larger.pcd");
    ASSERT_TRUE(kfm::test::writeFileBytes(larger, kfm::test::makePhotoCdPack(0x04, pattern)));
    {
        ScriptedHost host(choose(3, pcd::kDepthColour24));
        EXPECT_EQ(KPXLoadImage(nullptr, larger.c_str(), nullptr), 0);
        EXPECT_EQ(host.entries.size(), 4u);
    }
    {
        ScriptedHost host(choose(2, pcd::kDepthColour24));
        const KpxHandle image = KPXLoadImage(nullptr, larger.c_str(), nullptr);
        EXPECT_NE(image, 0);
        KPXDeleteImage(image);
    }
    // The sample cut inside its Base picture: Base fails, Base/4 loads.
    auto cut = kfm::test::readFileBytes(sample);
    cut.resize(200000);
    const std::string cutPath = dir.file("cut.pcd");
    ASSERT_TRUE(kfm::test::writeFileBytes(cutPath, cut));
    EXPECT_EQ(KPXLoadImage(nullptr, cutPath.c_str(), nullptr), 0);
    {
        ScriptedHost host(choose(1, pcd::kDepthColour24));
        const KpxHandle image = KPXLoadImage(nullptr, cutPath.c_str(), nullptr);
        EXPECT_NE(image, 0);
        KPXDeleteImage(image);
    }
    // Not a pack at all.
    const std::string notPack = dir.file("not.pcd");
    ASSERT_TRUE(kfm::test::writeFileBytes(notPack, std::vector<std::uint8_t>(5000, 0x20)));
    KpxFileInfo info{};
    EXPECT_EQ(KPXGetInfoFile(notPack.c_str(), &info), 0);
    EXPECT_EQ(KPXLoadImage(nullptr, notPack.c_str(), nullptr), 0);
    EXPECT_EQ(KpxLiveImageCount(), before);
}

TEST_F(PhotoCdImport, APackInsideALargerFileLoadsFromItsOffset) {
    auto bytes = std::vector<std::uint8_t>(300, 0);
    const auto pack = kfm::test::readFileBytes(sample);
    bytes.insert(bytes.end(), pack.begin(), pack.end());
    const std::string path = dir.file("inside.pcd");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, bytes));
    const KpxHandle image = KPXLoadImageOffset(nullptr, path.c_str(), 300, nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXWidth(image), 768);
    KPXDeleteImage(image);
}

TEST_F(PhotoCdImport, APackIsNeverWritten) {
    const KpxHandle image = KPXCreateImage(8, 8, 24);
    const std::string path = dir.file("out.pcd");
    EXPECT_EQ(KPXSaveImage(image, path.c_str(), kPhotoCd, 0, 0, nullptr), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    KpxCodecContext context;
    EXPECT_EQ(KpxSaveByFormat(&context, path.c_str(), kPhotoCd, nullptr, nullptr, 0),
              kKpxWriteError);
    KPXDeleteImage(image);
}

} // namespace
