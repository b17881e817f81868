// The exported FLIC reader on files written by the tests: opening, stepping through the frames
// and round the ring frame, prefix chunks, rewinding, and filling 8-bit images.

#include <gtest/gtest.h>

#include "FlicStreamSupport.h"
#include "FlicTestFiles.h"
#include "TestSupport.h"

using flic_test::Bytes;
using flic_test::OpenFlic;

namespace {

class FlicReaderTest : public ::testing::Test {
protected:
    std::string write(const Bytes& bytes, const std::string& name = "anim.flc") {
        const std::string path = dir.file(name);
        EXPECT_TRUE(kfm::test::writeFileBytes(path, bytes));
        return path;
    }

    kfm::test::TempDir dir;
};

// Pictures of 5 x 3 where picture k is all k + 1, each with its own palette.
std::vector<flic_test::Picture> numberedPictures(int count) {
    std::vector<flic_test::Picture> pictures;
    for (int k = 0; k < count; ++k) {
        flic_test::Picture p{Bytes(15, static_cast<std::uint8_t>(k + 1)), {}};
        p.palette[(k + 1) * 3] = static_cast<std::uint8_t>(40 * (k + 1));
        pictures.push_back(p);
    }
    return pictures;
}

} // namespace

TEST_F(FlicReaderTest, FramesRunOneToNThenTheRingFrameLeadsBackToTheSecond) {
    for (const std::uint16_t magic : {std::uint16_t{0xAF11}, std::uint16_t{0xAF12}}) {
        SCOPED_TRACE(magic);
        const auto pictures = numberedPictures(3);
        OpenFlic flic(
            write(flic_test::animation({.magic = magic, .width = 5, .height = 3}, pictures)));
        ASSERT_EQ(flic.result(), 0);
        EXPECT_EQ(flic->frameCount, 3);
        EXPECT_EQ(flic->currentFrame, 0);
        EXPECT_EQ(flic->paletteChanged, 1);
        const int expected[] = {1, 2, 3, 1, 2, 3, 1};
        for (const int k : expected) {
            ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
            EXPECT_EQ(flic->currentFrame, k);
            EXPECT_EQ(flic->paletteChanged, 1); // every picture has a palette of its own
            const auto picture = flic_test::currentPicture(flic.get());
            EXPECT_EQ(picture.indices, pictures[k - 1].pixels);
            EXPECT_EQ(picture.palette, pictures[k - 1].palette);
        }
    }
}

TEST_F(FlicReaderTest, WithoutARingFrameTheFrameAfterTheLastIsMissing) {
    const Bytes pixels(15, 4);
    OpenFlic flic(
        write(flic_test::file({.frames = 1, .width = 5, .height = 3},
                              {flic_test::frameChunk({flic_test::byteRun(pixels, 5, 3)})})));
    ASSERT_EQ(flic.result(), 0);
    EXPECT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
    EXPECT_EQ(flic->paletteChanged, 0);
    EXPECT_EQ(FLICStreamGetNextFrame(flic.get()), 1);
    EXPECT_EQ(FLICStreamGetNextFrame(nullptr), -1);
}

TEST_F(FlicReaderTest, PrefixChunksAreSteppedOver) {
    const Bytes pixels(15, 6);
    const Bytes prefix = flic_test::frameChunk({flic_test::subChunk(3, {1, 2})}, 0xF100);
    OpenFlic flic(write(
        flic_test::file({.frames = 1, .width = 5, .height = 3},
                        {prefix, flic_test::frameChunk({flic_test::byteRun(pixels, 5, 3)})})));
    ASSERT_EQ(flic.result(), 0);
    ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
    EXPECT_EQ(flic_test::currentPicture(flic.get()).indices, pixels);

    // A prefix chunk claiming no size would be found again and again.
    const Bytes empty = flic_test::frameChunk({}, 0xF100, 0);
    OpenFlic stuck(
        write(flic_test::file({.width = 5, .height = 3}, {empty, flic_test::frameChunk({})}),
              "stuck.flc"));
    ASSERT_EQ(stuck.result(), 0);
    EXPECT_EQ(FLICStreamGetNextFrame(stuck.get()), 1);
    // So would a frame chunk: it is refused rather than shown forever.
    OpenFlic zero(
        write(flic_test::file({.width = 5, .height = 3}, {flic_test::frameChunk({}, 0xF1FA, 0)}),
              "zero.flc"));
    EXPECT_EQ(FLICStreamGetNextFrame(zero.get()), 1);
    // Any other chunk type where a frame should be.
    OpenFlic other(
        write(flic_test::file({.width = 5, .height = 3}, {flic_test::frameChunk({}, 0x1234)}),
              "other.flc"));
    EXPECT_EQ(FLICStreamGetNextFrame(other.get()), 1);
}

TEST_F(FlicReaderTest, OpeningReportsWhatIsWrongWithTheFile) {
    struct Case {
        const char* name;
        Bytes bytes;
        int result;
    } cases[] = {
        {"short", Bytes(100, 0), 1},
        {"magic", flic_test::header({.magic = 0x1234}), 1},
        {"depth", flic_test::header({.depth = 24}), 2},
        {"no width", flic_test::header({.width = 0}), 1},
        {"no height", flic_test::header({.height = 0}), 1},
        // 40000 x 4 is more than the library's images hold.
        {"too wide", flic_test::header({.width = 40000}), -1},
        // 4096 x 4096 from 128 bytes: no data could draw such a picture.
        {"too large for its data", flic_test::header({.width = 4096, .height = 4096}), -1},
        {"header only", flic_test::header({}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenFlic flic(write(c.bytes, std::string(c.name) + ".fli"));
        EXPECT_EQ(flic.result(), c.result);
        EXPECT_EQ(flic.get() != nullptr, c.result == 0);
    }
    OpenFlic missing(dir.file("missing.fli"));
    EXPECT_EQ(missing.result(), -1);
    EXPECT_EQ(FLICFileOpen(nullptr, dir.file("x").c_str()), -1);
    KpxFlicReader* reader = reinterpret_cast<KpxFlicReader*>(1);
    EXPECT_EQ(FLICFileOpen(&reader, nullptr), -1);
    EXPECT_EQ(reader, nullptr);
    EXPECT_EQ(FLICFileRelease(nullptr), 0);
}

TEST_F(FlicReaderTest, HeaderValuesReachTheReader) {
    OpenFlic fli(write(
        flic_test::header({.magic = 0xAF11, .frames = 9, .width = 7, .height = 2, .speed = 5}),
        "speed.fli"));
    ASSERT_EQ(fli.result(), 0);
    EXPECT_EQ(fli->delay, 71u);
    EXPECT_EQ(fli->frameCount, 9);
    EXPECT_EQ(fli->width, 7);
    EXPECT_EQ(fli->height, 2);
    OpenFlic still(write(flic_test::header({.magic = 0xAF11, .speed = 0}), "still.fli"));
    EXPECT_EQ(still->delay, 20u);
}

TEST_F(FlicReaderTest, AFrameCutShortByTheFileEndKeepsWhatItHeld) {
    Bytes pixels(15, 3);
    Bytes bytes = flic_test::file({.width = 5, .height = 3},
                                  {flic_test::frameChunk({flic_test::subChunk(16, pixels)})});
    bytes.resize(bytes.size() - 6);
    OpenFlic flic(write(bytes));
    ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
    std::fill(pixels.end() - 6, pixels.end(), 0);
    EXPECT_EQ(flic_test::currentPicture(flic.get()).indices, pixels);
    EXPECT_EQ(FLICStreamGetNextFrame(flic.get()), 1);
}

TEST_F(FlicReaderTest, RewindingStartsAgainAtTheFirstFrameAndKeepsThePicture) {
    const auto pictures = numberedPictures(3);
    OpenFlic flic(write(flic_test::animation({.width = 5, .height = 3}, pictures)));
    for (int i = 0; i < 2; ++i)
        FLICStreamGetNextFrame(flic.get());
    EXPECT_EQ(FLICStreamSetCurFrame(flic.get()), 0);
    EXPECT_EQ(flic->currentFrame, 0);
    EXPECT_EQ(flic->paletteChanged, 1);
    EXPECT_EQ(flic_test::currentPicture(flic.get()).indices, pictures[1].pixels);
    ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
    EXPECT_EQ(flic->currentFrame, 1);
    EXPECT_EQ(flic_test::currentPicture(flic.get()).indices, pictures[0].pixels);
    EXPECT_EQ(FLICStreamSetCurFrame(nullptr), 0);
}

TEST_F(FlicReaderTest, FillingNeedsAnEightBitImageOfTheSameSize) {
    const auto pictures = numberedPictures(2);
    OpenFlic flic(write(flic_test::animation({.width = 5, .height = 3}, pictures)));
    ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
    struct Case {
        int w, h, depth;
    } refused[] = {{5, 3, 16}, {5, 3, 24}, {5, 3, 4}, {6, 3, 8}, {5, 2, 8}};
    for (const Case& c : refused) {
        const KpxHandle image = KPXCreateImage(c.w, c.h, c.depth);
        ASSERT_NE(image, 0);
        const std::vector<std::uint8_t> before(KPXGetBits(image),
                                               KPXGetBits(image) + KPXSizeImage(image));
        EXPECT_EQ(FLICStreamFillImage8(flic.get(), image, 0), -1);
        EXPECT_EQ(
            std::vector<std::uint8_t>(KPXGetBits(image), KPXGetBits(image) + KPXSizeImage(image)),
            before);
        KPXDeleteImage(image);
    }
    EXPECT_EQ(FLICStreamFillImage8(flic.get(), 0, 0), -1);
    EXPECT_EQ(FLICStreamFillImage8(nullptr, 1, 0), -1);
}

TEST_F(FlicReaderTest, ThePaletteCanBeLeftAloneWhenTheFrameKeptIt) {
    auto pictures = numberedPictures(3);
    pictures[1].palette = pictures[0].palette; // the second frame carries no colours
    OpenFlic flic(write(flic_test::animation({.width = 5, .height = 3}, pictures)));
    const KpxHandle image = KPXCreateImage(5, 3, 8);
    ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
    ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
    EXPECT_EQ(flic->paletteChanged, 0);
    KPXSetColorToPalette(image, 1, RGB(1, 2, 3));
    EXPECT_EQ(FLICStreamFillImage8(flic.get(), image, 1), 0);
    EXPECT_EQ(KPXGetColorFromPalette(image, 1), RGB(1, 2, 3));
    EXPECT_EQ(flic_test::pictureOf(image).indices, pictures[1].pixels);
    EXPECT_EQ(FLICStreamFillImage8(flic.get(), image, 0), 0);
    EXPECT_EQ(KPXGetColorFromPalette(image, 1), RGB(40, 0, 0));
    ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
    EXPECT_EQ(flic->paletteChanged, 1);
    EXPECT_EQ(FLICStreamFillImage8(flic.get(), image, 1), 0);
    EXPECT_EQ(KPXGetColorFromPalette(image, 3), RGB(120, 0, 0));
    KPXDeleteImage(image);
}
