// FLIC files from elsewhere (tests/data/flic, see SOURCES.md): every frame of the two real
// animations against the index planes ffmpeg and Pillow decode, their palettes against Pillow's
// own checks, and the damaged files, which fail cleanly or give what their data hold.
// Pictures written by the test encoders are checked against ffmpeg's decoder where it is
// installed.

#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "FlicCorpus.h"
#include "FlicStreamSupport.h"
#include "FlicTestFiles.h"
#include "TestSupport.h"

using flic_test::Bytes;
using flic_test::OpenFlic;

namespace {

std::string dataFile(const std::string& name) {
    return kfm::test::testDataPath("flic/" + name).string();
}

} // namespace

TEST(FlicCorpus, EveryFrameOfTheRealAnimationsMatches) {
    for (const std::string name : {"a.fli", "2422.flc"}) {
        SCOPED_TRACE(name);
        const auto expected = kfm::test::expectedFlicFrames(name);
        OpenFlic flic(dataFile(name));
        ASSERT_EQ(flic.result(), 0);
        // The expected list ends with the ring frame.
        ASSERT_EQ(expected.size(), std::size_t{flic->frameCount} + 1);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0) << "frame " << i;
            EXPECT_EQ(kfm::test::md5Hex(flic_test::currentPicture(flic.get()).indices), expected[i])
                << "frame " << i;
        }
        EXPECT_EQ(flic->currentFrame, 1);
        // Playing on after the ring frame gives the second frame again.
        ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
        EXPECT_EQ(kfm::test::md5Hex(flic_test::currentPicture(flic.get()).indices), expected[1]);
    }
}

TEST(FlicCorpus, HeadersAndPalettesMatchPillowsChecks) {
    OpenFlic fli(dataFile("a.fli"));
    ASSERT_EQ(fli.result(), 0);
    EXPECT_EQ(fli->frameCount, 384);
    EXPECT_EQ(fli->width, 320);
    EXPECT_EQ(fli->height, 200);
    EXPECT_EQ(fli->delay, 71u);
    // Frame 50 (from 0) is Pillow's a_fli.png, 6-bit colours widened by two bits.
    for (int i = 0; i <= 50; ++i)
        ASSERT_EQ(FLICStreamGetNextFrame(fli.get()), 0);
    const auto picture = flic_test::currentPicture(fli.get());
    const QImage png(QString::fromStdString(dataFile("a_fli.png")));
    ASSERT_EQ(png.width(), 320);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            const std::uint8_t index = picture.indices[static_cast<std::size_t>(y) * 320 + x];
            const QRgb theirs = png.pixel(x, y);
            ASSERT_EQ(qRed(theirs), picture.palette[index * 3]) << x << "," << y;
            ASSERT_EQ(qGreen(theirs), picture.palette[index * 3 + 1]) << x << "," << y;
            ASSERT_EQ(qBlue(theirs), picture.palette[index * 3 + 2]) << x << "," << y;
        }

    OpenFlic flc(dataFile("2422.flc"));
    ASSERT_EQ(flc.result(), 0);
    EXPECT_EQ(flc->frameCount, 27);
    EXPECT_EQ(flc->delay, 171u);
    ASSERT_EQ(FLICStreamGetNextFrame(flc.get()), 0);
    const auto palette = flic_test::currentPicture(flc.get()).palette;
    auto entry = [&](int i) {
        return std::array<int, 3>{palette[i * 3], palette[i * 3 + 1], palette[i * 3 + 2]};
    };
    EXPECT_EQ(entry(1), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(entry(127), (std::array<int, 3>{204, 204, 12}));
    EXPECT_EQ(entry(255), (std::array<int, 3>{252, 0, 0}));
}

TEST(FlicCorpus, TheColourChunkMayComeAfterThePicture) {
    const auto expected = kfm::test::expectedFlicFrames("hopper.fli");
    ASSERT_EQ(expected.size(), 1u);
    std::array<std::uint8_t, 768> firstPalette{};
    for (const std::string name : {"hopper.fli", "hopper_palette_chunk_second.fli"}) {
        SCOPED_TRACE(name);
        OpenFlic flic(dataFile(name));
        ASSERT_EQ(flic.result(), 0);
        ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
        const auto picture = flic_test::currentPicture(flic.get());
        EXPECT_EQ(kfm::test::md5Hex(picture.indices), expected[0]);
        if (name == "hopper.fli")
            firstPalette = picture.palette;
        else
            EXPECT_EQ(picture.palette, firstPalette);
        EXPECT_EQ(FLICStreamGetNextFrame(flic.get()), 1); // no ring frame
    }
}

// How the library fares with each damaged file: the open result and the frames read before the
// first that cannot be (every frame and one more are asked for).
TEST(FlicCorpus, DamagedFilesFailCleanlyOrGiveWhatTheyHold) {
    struct Outcome {
        int open;
        int frames;
    };
    const std::map<std::string, Outcome> outcomes = {
        // The truncated copy of hopper: its one frame decodes as far as the file goes.
        {"crash-5762152299364352.fli", {0, 1}},
        // A copy chunk of 603 bytes for a 4096 x 3 picture (see below).
        {"fli_overflow.fli", {0, 1}},
        // 4096 x 36864 from 4096 bytes.
        {"initial.fli", {-1, 0}},
    };
    int opened = 0;
    std::size_t files = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(kfm::test::testDataPath("flic-damaged"))) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        ++files;
        OpenFlic flic(entry.path().string());
        // Every other file is a fuzzed FLI whose depth is not 8.
        const auto known = outcomes.find(name);
        const Outcome expected = known != outcomes.end() ? known->second : Outcome{2, 0};
        EXPECT_EQ(flic.result(), expected.open);
        if (flic.result() != 0)
            continue;
        ++opened;
        int frames = 0;
        while (frames <= flic->frameCount && FLICStreamGetNextFrame(flic.get()) == 0) {
            flic_test::currentPicture(flic.get());
            ++frames;
        }
        EXPECT_EQ(frames, expected.frames);
    }
    EXPECT_EQ(files, 41u);
    EXPECT_EQ(opened, 2);

    // The copy sub-chunk claims 1024 bytes but its frame ends 603 bytes into it: those 603 are
    // the start of the picture, and nothing after the frame is read into it.
    const auto path = kfm::test::testDataPath("flic-damaged/fli_overflow.fli");
    const Bytes file = kfm::test::readFileBytes(path);
    OpenFlic flic(path.string());
    ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
    const auto picture = flic_test::currentPicture(flic.get());
    constexpr std::ptrdiff_t kCopyData = 543 + 6;
    constexpr std::ptrdiff_t kFrameEnd = 128 + 1024;
    EXPECT_TRUE(
        std::equal(file.begin() + kCopyData, file.begin() + kFrameEnd, picture.indices.begin()));
}

namespace {

// ffmpeg's decode of a FLIC file as 8-bit frames: per frame the indices; empty when ffmpeg is
// not installed or fails.
std::vector<Bytes> ffmpegFrames(const std::string& path, int width, int height) {
    const std::string command =
        "ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt pal8 - 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {};
    Bytes all;
    std::uint8_t buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        all.insert(all.end(), buffer, buffer + n);
    if (pclose(pipe) != 0)
        return {};
    // Each raw frame holds the indices, then a palette of 256 four-byte entries.
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    const std::size_t frameBytes = pixels + 1024;
    std::vector<Bytes> frames;
    for (std::size_t at = 0; at + frameBytes <= all.size(); at += frameBytes)
        frames.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(at),
                            all.begin() + static_cast<std::ptrdiff_t>(at + pixels));
    return frames;
}

bool haveFfmpeg() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

// Pictures with runs, noise, moving blocks and a line of changes per frame.
std::vector<flic_test::Picture> movingPictures(int w, int h, int count) {
    std::vector<flic_test::Picture> pictures;
    std::mt19937 random(7);
    for (int k = 0; k < count; ++k) {
        flic_test::Picture p{Bytes(static_cast<std::size_t>(w) * h), {}};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint8_t v = static_cast<std::uint8_t>((x / 9 + y / 7) % 5);
                if (x >= 3 * k && x < 3 * k + 10 && y >= k && y < k + 6)
                    v = 200;
                if (y == (5 * k) % h)
                    v = static_cast<std::uint8_t>(random());
                p.pixels[static_cast<std::size_t>(y) * w + x] = v;
            }
        for (int i = 0; i < 768; ++i)
            p.palette[i] = static_cast<std::uint8_t>(((i * 7 + (k / 3) * 16) % 64) * 4);
        pictures.push_back(p);
    }
    return pictures;
}

} // namespace

TEST(FlicCorpus, WrittenFilesDecodeAsFfmpegDecodesThem) {
    ASSERT_TRUE(haveFfmpeg()) << "the ffmpeg tool is not installed";
    const kfm::test::TempDir dir;
    for (const std::uint16_t magic : {std::uint16_t{0xAF11}, std::uint16_t{0xAF12}}) {
        SCOPED_TRACE(magic);
        // ffmpeg stores the value of the word delta's last-pixel word at the end of its padded
        // line rather than in the picture's last column, so the FLC file has an even width.
        const int w = magic == 0xAF11 ? 61 : 62;
        const int h = 23;
        const auto pictures = movingPictures(w, h, 12);
        const std::string path = dir.file(magic == 0xAF11 ? "moving.fli" : "moving.flc");
        ASSERT_TRUE(kfm::test::writeFileBytes(
            path, flic_test::animation({.magic = magic,
                                        .width = static_cast<std::uint16_t>(w),
                                        .height = static_cast<std::uint16_t>(h)},
                                       pictures)));
        const auto theirs = ffmpegFrames(path, w, h);
        ASSERT_GE(theirs.size(), pictures.size());
        OpenFlic flic(path);
        ASSERT_EQ(flic.result(), 0);
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            ASSERT_EQ(FLICStreamGetNextFrame(flic.get()), 0);
            const auto ours = flic_test::currentPicture(flic.get());
            EXPECT_EQ(ours.indices, pictures[i].pixels) << "frame " << i;
            EXPECT_EQ(ours.indices, theirs[i]) << "frame " << i;
            EXPECT_EQ(ours.palette, pictures[i].palette) << "frame " << i;
        }
    }
}
