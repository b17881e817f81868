// The AVIFile stand-in on clips made by the ffmpeg tool at test time: file and stream
// information, every frame against ffmpeg's own decode for several codecs, one pass over the clip
// for frames asked for in order, random access, frames left out, no video, a cut-off file and
// files that are no AVI.

#include "video/AviFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "ClipFiles.h"
#include "TestSupport.h"

namespace {

using Picture = std::vector<std::uint8_t>;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// An open file, its first video stream and a frame decoder, closed in reverse order.
class OpenClip {
public:
    explicit OpenClip(const std::string& path) {
        AVIFileInit();
        result_ = AVIFileOpenA(&file_, path.c_str(), OF_READ, nullptr);
        if (file_ && AVIFileGetStream(file_, &stream_, streamtypeVIDEO, 0) == AVIERR_OK)
            frames_ = AVIStreamGetFrameOpen(stream_, nullptr);
    }
    ~OpenClip() {
        AVIStreamGetFrameClose(frames_);
        AVIStreamRelease(stream_);
        AVIFileRelease(file_);
        AVIFileExit();
    }
    OpenClip(const OpenClip&) = delete;
    OpenClip& operator=(const OpenClip&) = delete;

    HRESULT result() const { return result_; }
    PAVIFILE file() const { return file_; }
    PAVISTREAM stream() const { return stream_; }
    PGETFRAME frames() const { return frames_; }

    AVIFILEINFOA info() const {
        AVIFILEINFOA info{};
        AVIFileInfoA(file_, &info, sizeof info);
        return info;
    }

    // The frame's rows top first without padding; empty when the decoder gives none.
    Picture picture(LONG position) const {
        const auto* dib = static_cast<const std::uint8_t*>(AVIStreamGetFrame(frames_, position));
        if (!dib)
            return {};
        BITMAPINFOHEADER header;
        std::memcpy(&header, dib, sizeof header);
        EXPECT_EQ(header.biBitCount, 24);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
        const std::size_t stride = (static_cast<std::size_t>(header.biWidth) * 3 + 3) & ~3u;
        EXPECT_EQ(header.biSizeImage, stride * header.biHeight);
        Picture rows;
        for (int y = header.biHeight - 1; y >= 0; --y) {
            const std::uint8_t* row = dib + header.biSize + stride * y;
            rows.insert(rows.end(), row, row + header.biWidth * 3);
        }
        return rows;
    }

private:
    HRESULT result_ = 0;
    PAVIFILE file_ = nullptr;
    PAVISTREAM stream_ = nullptr;
    PGETFRAME frames_ = nullptr;
};

// Zeroes the data of the n-th video chunk ("00dc", from 0) of an AVI file's movie list.
bool wipeChunk(std::vector<std::uint8_t>& avi, int n) {
    const std::uint8_t movie[] = {'m', 'o', 'v', 'i'};
    const std::uint8_t tag[] = {'0', '0', 'd', 'c'};
    auto at = std::search(avi.begin(), avi.end(), std::begin(movie), std::end(movie));
    for (int found = 0;; ++found) {
        at = std::search(at, avi.end(), std::begin(tag), std::end(tag));
        if (at == avi.end() || avi.end() - at < 8)
            return false;
        if (found == n)
            break;
        at += 4;
    }
    std::uint32_t size = 0;
    std::memcpy(&size, &*(at + 4), 4);
    if (static_cast<std::size_t>(avi.end() - at) < 8 + size)
        return false;
    std::fill(at + 8, at + 8 + size, 0);
    return true;
}

struct Codec {
    const char* name;
    const char* encoder; // must be listed by the tool, or the test fails
    const char* arguments;
};

const Codec kCodecs[] = {
    {"mjpeg", "mjpeg", "-c:v mjpeg -q:v 4"},
    {"raw", "rawvideo", "-c:v rawvideo -pix_fmt bgr24"},
    {"mpeg4", "mpeg4", "-c:v mpeg4 -g 12 -bf 2"},
    {"h264", "libx264", "-c:v libx264 -g 12 -pix_fmt yuv420p"},
};

constexpr int kFrames = 40;

// Every clip of the suite, made once.
class AviFileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::vector<kfm::test::ClipRecipe> clips;
        for (const Codec& codec : kCodecs)
            clips.push_back({std::string(codec.name) + ".avi",
                             kfm::test::patternSource(kFrames, 25), codec.arguments, codec.encoder,
                             true});
        clips.push_back({"gop.avi", kfm::test::patternSource(kFrames, 25), "-c:v mpeg4 -g 10 -bf 0",
                         "mpeg4", true});
        // Frames 5 to 9 of the pattern left out: the file keeps empty chunks in their place, 35
        // positions for 30 pictures.
        clips.push_back({"variable.avi",
                         kfm::test::patternSource(35, 10) + ",select='not(between(n,5,9))'",
                         "-fps_mode passthrough -c:v mjpeg", "mjpeg", true});
        for (const Rate& rate : kRates)
            clips.push_back({rate.name, kfm::test::patternSource(4, rate.rate, rate.scale),
                             "-c:v mjpeg", "mjpeg"});
        clips.push_back({"sound.avi", "sine=duration=0.5", "-c:a pcm_s16le"});
        clips.push_back({"pattern.mp4", kfm::test::patternSource(3, 25), "-c:v mpeg4"});
        // From the MJPEG clip: its first half (the header still announces every frame), and a
        // copy whose 21st picture is wiped out.
        auto damage = [](const std::filesystem::path& at) {
            auto bytes = kfm::test::readFileBytes(at / "mjpeg.avi");
            auto half = bytes;
            half.resize(bytes.size() / 2);
            return wipeChunk(bytes, 20) && kfm::test::writeFileBytes(at / "damaged.avi", bytes) &&
                   kfm::test::writeFileBytes(at / "cut.avi", half);
        };
        folder = kfm::test::sharedClipFolder("avifile", clips,
                                             {{"cut.avi", true}, {"damaged.avi", false}}, damage);
    }
    void SetUp() override {
        ASSERT_FALSE(folder.empty()) << "the ffmpeg tool is not installed or cannot make the clips";
    }
    static std::string path(const std::string& name) { return (folder / name).string(); }
    static std::vector<Picture> references(const std::string& name) {
        return kfm::test::bgrPictures(folder, name, kWidth, kHeight);
    }

    struct Rate {
        const char* name;
        int rate, scale;
    };
    static constexpr Rate kRates[] = {
        {"rate30000.avi", 30000, 1001}, {"rate1.avi", 1, 2}, {"rate12.avi", 12, 1}};
    static inline std::filesystem::path folder;
};

} // namespace

TEST_F(AviFileTest, EveryCodecDecodesEveryFrameAsFfmpegDoesInOnePass) {
    for (const Codec& codec : kCodecs) {
        SCOPED_TRACE(codec.name);
        const std::string name = std::string(codec.name) + ".avi";
        ASSERT_TRUE(std::filesystem::exists(path(name))) << "ffmpeg lacks " << codec.encoder;
        const auto theirs = references(name);
        ASSERT_EQ(theirs.size(), std::size_t{kFrames});
        OpenClip clip(path(name));
        ASSERT_EQ(clip.result(), AVIERR_OK);
        const AVIFILEINFOA info = clip.info();
        EXPECT_EQ(info.dwWidth, static_cast<DWORD>(kWidth));
        EXPECT_EQ(info.dwHeight, static_cast<DWORD>(kHeight));
        EXPECT_EQ(info.dwRate, 25u);
        EXPECT_EQ(info.dwScale, 1u);
        EXPECT_EQ(info.dwLength, static_cast<DWORD>(kFrames));
        EXPECT_EQ(info.dwStreams, 1u);
        ASSERT_NE(clip.frames(), nullptr);
        for (int i = 0; i < kFrames; ++i)
            EXPECT_EQ(clip.picture(i), theirs[i]) << "frame " << i;
        EXPECT_EQ(kfm::video::decodedPictureCount(clip.frames()), kFrames);
        EXPECT_TRUE(clip.picture(kFrames).empty());
        EXPECT_TRUE(clip.picture(-1).empty());
    }
}

TEST_F(AviFileTest, FramesAskedForOutOfOrderAreTheSameFrames) {
    struct Case {
        const char* name;
        int mostPictures; // for the jumps below
    } cases[] = {
        // A jump seeks to the key frame before it: far fewer than the 40 + 35 + 39 pictures
        // that decoding from the start for each jump back would cost.
        {"gop.avi", 60},
        // With B-frames a jump back decodes from the start, the only place where the positions
        // of the pictures are known.
        {"mpeg4.avi", 4 * kFrames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto theirs = references(c.name);
        ASSERT_EQ(theirs.size(), std::size_t{kFrames});
        OpenClip clip(path(c.name));
        ASSERT_NE(clip.frames(), nullptr);
        for (const int i : {35, 3, 39, 0, 20, 21, 19, 12, 12, 38})
            EXPECT_EQ(clip.picture(i), theirs[i]) << "frame " << i;
        EXPECT_LE(kfm::video::decodedPictureCount(clip.frames()), c.mostPictures);

        // Every third frame in order: decoded on, one pass at most.
        OpenClip stepping(path(c.name));
        for (int i = 0; i < kFrames; i += 3)
            EXPECT_EQ(stepping.picture(i), theirs[i]) << "frame " << i;
        EXPECT_LE(kfm::video::decodedPictureCount(stepping.frames()), kFrames);
    }
}

TEST_F(AviFileTest, RateAndScaleComeFromTheVideoStream) {
    for (const Rate& rate : kRates) {
        SCOPED_TRACE(rate.name);
        OpenClip clip(path(rate.name));
        const AVIFILEINFOA info = clip.info();
        EXPECT_EQ(info.dwRate, static_cast<DWORD>(rate.rate));
        EXPECT_EQ(info.dwScale, static_cast<DWORD>(rate.scale));
        AVISTREAMINFOA stream{};
        ASSERT_EQ(AVIStreamInfoA(clip.stream(), &stream, sizeof stream), AVIERR_OK);
        EXPECT_EQ(stream.fccType, streamtypeVIDEO);
        EXPECT_EQ(stream.dwRate, static_cast<DWORD>(rate.rate));
        EXPECT_EQ(stream.dwScale, static_cast<DWORD>(rate.scale));
        EXPECT_EQ(stream.dwLength, 4u);
        EXPECT_EQ(stream.rcFrame.right, kWidth);
        EXPECT_EQ(AVIStreamLength(clip.stream()), 4);
        EXPECT_EQ(AVIStreamStart(clip.stream()), 0);
    }
}

TEST_F(AviFileTest, AFrameLeftOutShowsThePictureBeforeIt) {
    const auto theirs = references("variable.avi");
    ASSERT_EQ(theirs.size(), 30u);
    OpenClip clip(path("variable.avi"));
    ASSERT_EQ(clip.info().dwLength, 35u);
    for (int i = 0; i < 35; ++i) {
        const int shown = i < 5 ? i : i < 10 ? 4 : i - 5;
        EXPECT_EQ(clip.picture(i), theirs[shown]) << "frame " << i;
    }
    EXPECT_EQ(kfm::video::decodedPictureCount(clip.frames()), 30);
    EXPECT_EQ(clip.picture(7), theirs[4]); // backwards into the gap
}

TEST_F(AviFileTest, AClipWithoutVideoOpensButGivesNoFrames) {
    OpenClip clip(path("sound.avi"));
    ASSERT_EQ(clip.result(), AVIERR_OK);
    const AVIFILEINFOA info = clip.info();
    EXPECT_EQ(info.dwStreams, 1u);
    EXPECT_EQ(info.dwWidth, 0u);
    EXPECT_EQ(info.dwLength, 0u);
    EXPECT_EQ(clip.stream(), nullptr);
    PAVISTREAM any = nullptr;
    ASSERT_EQ(AVIFileGetStream(clip.file(), &any, 0, 0), AVIERR_OK);
    AVISTREAMINFOA stream{};
    AVIStreamInfoA(any, &stream, sizeof stream);
    EXPECT_EQ(stream.fccType, streamtypeAUDIO);
    EXPECT_EQ(AVIStreamGetFrameOpen(any, nullptr), nullptr);
    AVIStreamRelease(any);
    EXPECT_EQ(AVIFileGetStream(clip.file(), &any, 0, 1), AVIERR_NODATA);
    EXPECT_EQ(any, nullptr);
}

TEST_F(AviFileTest, ACutOffClipGivesTheFramesItHolds) {
    const auto theirs = references("cut.avi");
    OpenClip clip(path("cut.avi"));
    ASSERT_EQ(clip.result(), AVIERR_OK);
    EXPECT_EQ(clip.info().dwLength, 40u); // the header still claims them all
    ASSERT_NE(clip.frames(), nullptr);
    std::size_t delivered = 0;
    for (int i = 0; i < 40; ++i) {
        const Picture picture = clip.picture(i);
        if (picture.empty())
            continue;
        EXPECT_EQ(delivered, static_cast<std::size_t>(i)) << "frames come without gaps";
        ASSERT_LT(delivered, theirs.size());
        // The cut picture is decoded as far as its data go; what a decoder leaves in the rest
        // of it is its own.
        if (delivered + 1 < theirs.size()) {
            EXPECT_EQ(picture, theirs[delivered]) << "frame " << i;
        }
        ++delivered;
    }
    EXPECT_EQ(delivered, theirs.size());
    EXPECT_GT(delivered, 5u);
    EXPECT_LT(delivered, 40u);
}

TEST_F(AviFileTest, ADamagedPictureIsLeftOutAndTheRestFollows) {
    const auto theirs = references("mjpeg.avi");
    OpenClip clip(path("damaged.avi"));
    ASSERT_NE(clip.frames(), nullptr);
    for (int i = 0; i < kFrames; ++i) {
        const int shown = i == 20 ? 19 : i; // the picture before shows in its place
        EXPECT_EQ(clip.picture(i), theirs[shown]) << "frame " << i;
    }
}

TEST_F(AviFileTest, FilesThatAreNoAviAreRefused) {
    const kfm::test::TempDir dir;
    const std::string text = dir.file("text.avi");
    ASSERT_TRUE(kfm::test::writeFileBytes(text, {'n', 'o', ' ', 'c', 'l', 'i', 'p'}));
    const std::string flic = kfm::test::testDataPath("flic/a.fli").string();
    for (const std::string& other : {text, path("pattern.mp4"), flic}) {
        PAVIFILE file = reinterpret_cast<PAVIFILE>(1);
        EXPECT_EQ(AVIFileOpenA(&file, other.c_str(), OF_READ, nullptr), AVIERR_BADFORMAT) << other;
        EXPECT_EQ(file, nullptr);
    }
    PAVIFILE file = nullptr;
    EXPECT_EQ(AVIFileOpenA(&file, dir.file("missing.avi").c_str(), OF_READ, nullptr),
              AVIERR_FILEOPEN);
    EXPECT_EQ(AVIFileOpenA(&file, nullptr, OF_READ, nullptr), AVIERR_BADPARAM);
    EXPECT_EQ(AVIStreamGetFrame(nullptr, 0), nullptr);
    EXPECT_EQ(AVIStreamGetFrameOpen(nullptr, nullptr), nullptr);
}

TEST_F(AviFileTest, InformationIsCopiedUpToTheSizeGiven) {
    OpenClip clip(path("mjpeg.avi"));
    AVIFILEINFOA info;
    std::memset(&info, 0xAB, sizeof info);
    ASSERT_EQ(AVIFileInfoA(clip.file(), &info, 24), AVIERR_OK);
    EXPECT_EQ(info.dwWidth, static_cast<DWORD>(kWidth)); // bytes 20 to 23
    EXPECT_EQ(info.dwHeight, 0xABABABABu);
    EXPECT_STRNE(clip.info().szFileType, "");
    // A 24-bit DIB is the one format offered.
    BITMAPINFOHEADER wanted{};
    wanted.biBitCount = 8;
    EXPECT_EQ(AVIStreamGetFrameOpen(clip.stream(), &wanted), nullptr);
}
