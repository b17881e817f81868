// Import of AVI clips (made by the ffmpeg tool at test time) and FLIC files into frames: frame
// counts, pictures against ffmpeg's and Pillow's decodes, delays from rate and scale, ranges,
// steps, merging, the animation record, progress and stopping, and the clips that give nothing.

#include "ClipImport.h"
#include "ModelTestSupport.h"

#include "ClipFiles.h"
#include "FlicCorpus.h"
#include "FlicTestFiles.h"
#include "TestSupport.h"

#include <cstring>
#include <filesystem>

namespace {

using Picture = std::vector<std::uint8_t>;

std::string flicFile(const std::string& name) {
    return kfm::test::testDataPath("flic/" + name).string();
}

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kLongFrames = 2500;

// The image's rows, top first, without padding.
Picture rowsOf(std::uint16_t handle) {
    const auto image = static_cast<KpxHandle>(handle);
    const int w = KPXWidth(image);
    const int h = KPXHeight(image);
    const int rowBytes = w * KPXbpp(image) / 8;
    const std::uint8_t* bits = KPXGetBits(image);
    Picture rows;
    for (int y = h - 1; y >= 0; --y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(y) * KPXGetScanBytes(image);
        rows.insert(rows.end(), row, row + rowBytes);
    }
    return rows;
}

const CObjFrame& frameOf(const FrameList& list, std::size_t i) {
    return *std::next(list.begin(), static_cast<std::ptrdiff_t>(i));
}

// Counts the calls of the progress function and answers "stop" at the call numbered stopAt.
struct ProgressLog {
    std::vector<int> positions;
    int stopAt = -1;
};
ProgressLog* progressLog = nullptr;

int logProgress(int unused, int position, HWND) {
    EXPECT_EQ(unused, 0);
    progressLog->positions.push_back(position);
    return static_cast<int>(progressLog->positions.size()) - 1 == progressLog->stopAt;
}

class ClipImportTest : public ModelTest {
protected:
    static void SetUpTestSuite() {
        using kfm::test::patternSource;
        std::vector<kfm::test::ClipRecipe> clips = {
            {"mjpeg.avi", patternSource(40, 25), "-c:v mjpeg -q:v 4", "mjpeg", true},
            {"h264.avi", patternSource(40, 25), "-c:v libx264 -g 10 -pix_fmt yuv420p", "libx264",
             true},
            // Three identical pictures.
            {"still.avi", "color=c=red:size=64x48:rate=10:duration=0.3,format=bgr24",
             "-c:v rawvideo -pix_fmt bgr24"},
            {"slow.avi", patternSource(3, 1, 2), "-c:v mjpeg", "mjpeg"},
            // Pattern frames 5 to 9 left out: 35 positions, 30 pictures.
            {"variable.avi", patternSource(35, 10) + ",select='not(between(n,5,9))'",
             "-fps_mode passthrough -c:v mjpeg", "mjpeg", true},
            {"long.avi", patternSource(kLongFrames, 25, 1, "32x24"), "-c:v mjpeg", "mjpeg"},
            // The sound stream comes first.
            {"sound-first.avi", "sine=duration=1[out0];" + patternSource(10, 10) + "[out1]",
             "-c:a pcm_s16le -c:v mjpeg", "mjpeg"},
            {"sound.avi", "sine=duration=0.5", "-c:a pcm_s16le"},
        };
        auto cut = [](const std::filesystem::path& at) {
            auto bytes = kfm::test::readFileBytes(at / "mjpeg.avi");
            bytes.resize(bytes.size() / 2);
            return kfm::test::writeFileBytes(at / "cut.avi", bytes);
        };
        folder = kfm::test::sharedClipFolder("clipimport", clips, {{"cut.avi", true}}, cut);
    }

    void SetUp() override {
        ModelTest::SetUp();
        ASSERT_FALSE(folder.empty()) << "the ffmpeg tool is not installed or cannot make the clips";
    }
    static std::string clip(const std::string& name) { return (folder / name).string(); }
    static std::vector<Picture> references(const std::string& name) {
        return kfm::test::bgrPictures(folder, name, kWidth, kHeight);
    }
    int importAvi(const std::string& name, int start, int count, int step = 1, BOOL merge = 0,
                  CAnimationData* record = nullptr, ImportProgress progress = nullptr) {
        return ImportAviFrames(record, list, clip(name).c_str(), start, count, step, merge,
                               progress, nullptr);
    }

    static inline std::filesystem::path folder;
    FrameList list;
};

} // namespace

TEST_F(ClipImportTest, AviClipsBecomeFramesWithTheirPicturesAndTiming) {
    for (const std::string name : {"mjpeg.avi", "h264.avi"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(std::filesystem::exists(clip(name))) << "not made: ffmpeg lacks the encoder";
        list.clear();
        const auto theirs = references(name);
        ASSERT_EQ(theirs.size(), 40u);
        ASSERT_EQ(importAvi(name, 0, 200), 1); // the range is shortened to the clip
        ASSERT_EQ(list.size(), 40u);
        for (const std::size_t i : {0u, 20u, 39u}) {
            const CObjFrame& frame = frameOf(list, i);
            EXPECT_EQ(rowsOf(frame.GetImage()), theirs[i]) << "frame " << i;
            EXPECT_EQ(KPXbpp(static_cast<KpxHandle>(frame.GetImage())), 24);
            EXPECT_EQ(frame.width, kWidth);
            EXPECT_EQ(frame.height, kHeight);
            EXPECT_EQ(frame.left, 0);
            EXPECT_EQ(frame.top, 0);
            EXPECT_EQ(frame.delay, 4); // 25 frames a second
            EXPECT_EQ(frame.disposal, 1);
            EXPECT_EQ(frame.transparency, 0u);
        }
    }
}

TEST_F(ClipImportTest, RangeAndStepChooseTheFrames) {
    const auto theirs = references("mjpeg.avi");
    struct Case {
        int start, count, step;
        std::vector<int> frames;
    } cases[] = {
        {0, 10, 3, {0, 3, 6, 9}},
        {35, 10, 1, {35, 36, 37, 38, 39}}, // past the end: shortened
        {37, 3, -1, {37, 38, 39}},         // a step below 1 takes every frame
        {40, 5, 1, {}},
        {-2, 4, 1, {0, 1}}, // positions before the clip are passed over
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        list.clear();
        ASSERT_EQ(importAvi("mjpeg.avi", c.start, c.count, c.step), 1);
        ASSERT_EQ(list.size(), c.frames.size());
        for (std::size_t i = 0; i < c.frames.size(); ++i)
            EXPECT_EQ(rowsOf(frameOf(list, i).GetImage()), theirs[c.frames[i]]);
    }
}

TEST_F(ClipImportTest, MergingDropsRepeatedPictures) {
    // Three identical pictures become one, with the delay of one frame.
    ASSERT_EQ(importAvi("still.avi", 0, 3, 1, 1), 1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().delay, 10);
    list.clear();
    ASSERT_EQ(importAvi("still.avi", 0, 3, 1, 0), 1);
    EXPECT_EQ(list.size(), 3u);

    // The five positions of a gap repeat the picture before it: merged away.
    const auto theirs = references("variable.avi");
    list.clear();
    ASSERT_EQ(importAvi("variable.avi", 0, 35, 1, 0), 1);
    EXPECT_EQ(list.size(), 35u);
    EXPECT_EQ(rowsOf(frameOf(list, 7).GetImage()), theirs[4]);
    list.clear();
    ASSERT_EQ(importAvi("variable.avi", 0, 35, 1, 1), 1);
    ASSERT_EQ(list.size(), 30u);
    EXPECT_EQ(rowsOf(frameOf(list, 5).GetImage()), theirs[5]);
}

TEST(AviFrameDelay, FollowsRateAndScale) {
    struct Case {
        DWORD rate, scale;
        int delay;
    } cases[] = {
        {25, 1, 4},  {30000, 1001, 3}, // 29 whole frames a second
        {10, 1, 10}, {120, 1, 0},      // faster than 100 frames a second
        {1, 2, 200},                   // slower than one frame a second: the length of one frame
        {2, 3, 150}, {1, 1000, 65535}, {0, 1, 0}, {1, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AviFrameDelay(c.rate, c.scale), c.delay) << c.rate << "/" << c.scale;
}

TEST_F(ClipImportTest, AClipOfLessThanOneFrameASecondShowsEachFrameItsTime) {
    ASSERT_EQ(importAvi("slow.avi", 0, 3), 1);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.front().delay, 200);
}

TEST_F(ClipImportTest, TheAnimationRecordTakesTheClipsValues) {
    shellFake.strings[10792] = "from a clip";
    CAnimationData record;
    record.frameCount = 99;
    ASSERT_EQ(importAvi("mjpeg.avi", 5, 10, 2, 0, &record), 1);
    EXPECT_EQ(record.AnimationWidth, kWidth);
    EXPECT_EQ(record.AnimationHeight, kHeight);
    EXPECT_EQ(record.loopCount, 1);
    EXPECT_EQ(record.comment, "from a clip");
    EXPECT_EQ(record.frameCount, 5);
    EXPECT_EQ(list.size(), 5u);
}

TEST_F(ClipImportTest, ALongClipReportsProgressAndCanBeStopped) {
    ProgressLog log;
    progressLog = &log;
    CAnimationData record;
    ASSERT_EQ(importAvi("long.avi", 0, kLongFrames, 1, 0, &record, logProgress), 1);
    EXPECT_EQ(list.size(), std::size_t{kLongFrames});
    ASSERT_EQ(log.positions.size(), std::size_t{kLongFrames});
    EXPECT_EQ(log.positions[0], 0);
    EXPECT_EQ(log.positions.back(), kLongFrames - 1);
    EXPECT_EQ(record.frameCount, kLongFrames);

    list.clear();
    log = ProgressLog{{}, 1000};
    list.emplace_back(); // frames already in the list go too
    CAnimationData stopped;
    EXPECT_EQ(importAvi("long.avi", 0, kLongFrames, 1, 0, &stopped, logProgress), 2);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(log.positions.size(), 1001u);
    EXPECT_EQ(stopped.AnimationWidth, 32); // filled as far as it went
    EXPECT_EQ(stopped.frameCount, 0);
    progressLog = nullptr;
}

TEST_F(ClipImportTest, ClipsThatGiveNoPicturesLeaveTheListAlone) {
    CAnimationData record;
    record.AnimationWidth = 7;
    for (const std::string name : {"sound.avi", "missing.avi"}) {
        EXPECT_EQ(importAvi(name, 0, 10, 1, 0, &record), 1) << name;
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(record.AnimationWidth, 7);
    }
    const std::string flic = flicFile("a.fli");
    EXPECT_EQ(ImportAviFrames(&record, list, flic.c_str(), 0, 10, 1, 0, nullptr, nullptr), 1);
    EXPECT_TRUE(list.empty());
    // Missing arguments.
    EXPECT_EQ(ImportAviFrames(nullptr, list, nullptr, 0, 10, 1, 0, nullptr, nullptr), 0);
    EXPECT_EQ(ImportAviFrames(nullptr, list, "", 0, 10, 1, 0, nullptr, nullptr), 0);
    EXPECT_EQ(importAvi("mjpeg.avi", 0, 0), 0);
    EXPECT_EQ(importAvi("mjpeg.avi", 0, 10, 0), 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(ClipImportTest, AClipWhoseSoundComesFirstStillGivesItsPictures) {
    ASSERT_EQ(importAvi("sound-first.avi", 0, 10), 1);
    EXPECT_EQ(list.size(), 10u);
}

TEST_F(ClipImportTest, ACutOffClipGivesTheFramesItHolds) {
    const auto theirs = references("cut.avi");
    ASSERT_EQ(importAvi("cut.avi", 0, 40), 1);
    ASSERT_EQ(list.size(), theirs.size());
    ASSERT_GT(list.size(), 2u);
    for (std::size_t i = 0; i + 1 < list.size(); ++i)
        EXPECT_EQ(rowsOf(frameOf(list, i).GetImage()), theirs[i]) << "frame " << i;
}

TEST_F(ClipImportTest, GetAviFileInfoDescribesAviClipsOnly) {
    AviFileInformation info;
    ASSERT_EQ(GetAviFileInfo(clip("mjpeg.avi").c_str(), info), 1);
    DWORD values[11];
    std::memcpy(values, info.bytes.data(), sizeof values);
    EXPECT_EQ(values[5], static_cast<DWORD>(kWidth));
    EXPECT_EQ(values[6], static_cast<DWORD>(kHeight));
    EXPECT_EQ(values[7], 1u);  // scale
    EXPECT_EQ(values[8], 25u); // rate
    EXPECT_EQ(values[9], 40u); // frames
    AviFileInformation none;
    EXPECT_EQ(GetAviFileInfo(flicFile("a.fli").c_str(), none), 0);
    EXPECT_EQ(GetAviFileInfo(clip("missing.avi").c_str(), none), 0);
}

// -------------------- FLIC

namespace {

class FlicImportTest : public ModelTest {
protected:
    // Opens the file; the reader is released at the end of the test.
    FlicReader* open(const std::string& path) {
        FlicReader* reader = nullptr;
        EXPECT_EQ(FLICFileOpen(&reader, path.c_str()), 0) << path;
        readers.emplace_back(reader, &FLICFileRelease);
        return reader;
    }
    std::vector<std::string> indexMd5s() const {
        std::vector<std::string> md5s;
        for (const CObjFrame& frame : list)
            md5s.push_back(kfm::test::md5Hex(rowsOf(frame.GetImage())));
        return md5s;
    }

    std::vector<std::unique_ptr<FlicReader, int (*)(FlicReader*)>> readers;
    kfm::test::TempDir dir;
    FrameList list;
};

} // namespace

TEST_F(FlicImportTest, EveryFrameWithTheHeadersTiming) {
    shellFake.strings[10798] = "from a FLIC";
    const auto expected = kfm::test::expectedFlicFrames("2422.flc");
    CAnimationData record;
    FlicReader* reader = open(flicFile("2422.flc"));
    ASSERT_EQ(ImportFlicFrames(&record, list, reader, 0, 27, 1, 0, nullptr, nullptr), 1);
    ASSERT_EQ(list.size(), 27u);
    EXPECT_EQ(indexMd5s(), std::vector<std::string>(expected.begin(), expected.begin() + 27));
    const CObjFrame& frame = list.front();
    EXPECT_EQ(KPXbpp(static_cast<KpxHandle>(frame.GetImage())), 8);
    EXPECT_EQ(frame.delay, 17); // 171 ms
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.disposal, 1);
    EXPECT_EQ(record.AnimationWidth, 320);
    EXPECT_EQ(record.AnimationHeight, 200);
    EXPECT_EQ(record.loopCount, 0);
    EXPECT_EQ(record.comment, "from a FLIC");
    EXPECT_EQ(record.frameCount, 27);

    // A second import of the same reader starts again at the first frame.
    list.clear();
    ASSERT_EQ(ImportFlicFrames(nullptr, list, reader, 0, 2, 1, 0, nullptr, nullptr), 1);
    EXPECT_EQ(indexMd5s(), std::vector<std::string>(expected.begin(), expected.begin() + 2));
}

TEST_F(FlicImportTest, ARangeLaterInTheFileShowsItsOwnFrames) {
    const auto expected = kfm::test::expectedFlicFrames("a.fli");
    FlicReader* reader = open(flicFile("a.fli"));
    // Frames 100, 103, 106 and 109: each picture builds on every frame before it.
    ASSERT_EQ(ImportFlicFrames(nullptr, list, reader, 100, 10, 3, 0, nullptr, nullptr), 1);
    EXPECT_EQ(indexMd5s(), (std::vector<std::string>{expected[100], expected[103], expected[106],
                                                     expected[109]}));
    EXPECT_EQ(list.front().delay, 7); // 71 ms

    // Past the end the range is shortened; no ring frame is taken.
    list.clear();
    ASSERT_EQ(ImportFlicFrames(nullptr, list, reader, 380, 10, 1, 0, nullptr, nullptr), 1);
    EXPECT_EQ(indexMd5s(), (std::vector<std::string>{expected[380], expected[381], expected[382],
                                                     expected[383]}));
}

TEST_F(FlicImportTest, MergingKeepsOneOfIdenticalFramesAndSpeedGivesTheDelay) {
    flic_test::Picture red{flic_test::Bytes(12, 1), {}};
    red.palette[3] = 252;
    flic_test::Picture blue{flic_test::Bytes(12, 2), {}};
    blue.palette[8] = 252;
    const std::string path = dir.file("still.flc");
    ASSERT_TRUE(kfm::test::writeFileBytes(
        path, flic_test::animation({.width = 4, .height = 3, .speed = 70}, {red, red, red, blue})));
    FlicReader* reader = open(path);
    ASSERT_EQ(ImportFlicFrames(nullptr, list, reader, 0, 4, 1, 1, nullptr, nullptr), 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.front().delay, 7); // 70 ms, the delay of a single frame
    EXPECT_EQ(rowsOf(list.back().GetImage()), blue.pixels);
    list.clear();
    ASSERT_EQ(ImportFlicFrames(nullptr, list, reader, 0, 4, 1, 0, nullptr, nullptr), 1);
    EXPECT_EQ(list.size(), 4u);
}

TEST_F(FlicImportTest, StoppingEmptiesTheListAndArgumentsAreChecked) {
    FlicReader* reader = open(flicFile("a.fli"));
    ProgressLog log{{}, 4};
    progressLog = &log;
    EXPECT_EQ(ImportFlicFrames(nullptr, list, reader, 0, 50, 1, 0, logProgress, nullptr), 2);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(log.positions, (std::vector<int>{0, 1, 2, 3, 4}));
    progressLog = nullptr;
    EXPECT_EQ(ImportFlicFrames(nullptr, list, nullptr, 0, 5, 1, 0, nullptr, nullptr), 0);
    EXPECT_EQ(ImportFlicFrames(nullptr, list, reader, 0, 0, 1, 0, nullptr, nullptr), 0);
    EXPECT_EQ(ImportFlicFrames(nullptr, list, reader, 0, 5, 0, 0, nullptr, nullptr), 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(FlicImportTest, AFileCutShortGivesTheFramesItHolds) {
    // Cut inside the eleventh frame chunk, which starts at 10068.
    auto bytes = kfm::test::readFileBytes(flicFile("2422.flc"));
    bytes.resize(10200);
    const std::string path = dir.file("cut.flc");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, bytes));
    const auto expected = kfm::test::expectedFlicFrames("2422.flc");
    FlicReader* reader = open(path);
    ASSERT_EQ(ImportFlicFrames(nullptr, list, reader, 0, 27, 1, 0, nullptr, nullptr), 1);
    const auto md5s = indexMd5s();
    ASSERT_EQ(md5s.size(), 11u);
    // All but the frame cut in two are whole.
    EXPECT_EQ(std::vector<std::string>(md5s.begin(), md5s.end() - 1),
              std::vector<std::string>(expected.begin(), expected.begin() + md5s.size() - 1));
}
