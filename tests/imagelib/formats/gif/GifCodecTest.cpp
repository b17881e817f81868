// The GIF codec behind the library's exports: single images and animations written and read
// back, both directions against giflib, the objects of a frame, the title convention,
// cancelling and the break table, damaged data and the details list.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "Bitra5Testing.h"
#include "FormatDispatch.h"
#include "FormatId.h"
#include "FrameChain.h"
#include "GifBlocks.h"
#include "GifReader.h"
#include "GifTestFiles.h"
#include "GifWriter.h"
#include "GiflibOracle.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LoadFrontEnd.h"
#include "MultiFrameFiles.h"
#include "ObjectRecordCompare.h"
#include "SaveFrontEnd.h"
#include "TestSupport.h"
#include "Transparency.h"

using namespace kfm::test::gif;
namespace giflib = kfm::test::giflib;

namespace {

// An image whose top-down indices are given, with a palette of distinct colours.
KpxHandle makeImage(int width, int height, int depth, const Bytes& indices, int seed = 0) {
    const KpxHandle image = KPXCreateImage(width, height, depth);
    kpx::ImageLock record(image, kKpxWrite);
    RGBQUAD* colors = record->colors();
    for (std::uint32_t i = 0; i < record->colorCount(); ++i)
        colors[i] = RGBQUAD{static_cast<BYTE>(i * 3 + seed), static_cast<BYTE>(255 - i),
                            static_cast<BYTE>(i ^ 0x55), 0};
    const auto scan =
        static_cast<std::uint32_t>(KPXCalcScanBytes(record->width(), record->bitCount()));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = record->bits + static_cast<std::size_t>(height - 1 - y) * scan;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t v = indices[static_cast<std::size_t>(y * width + x)];
            if (depth == 8)
                row[x] = v;
            else if (depth == 4)
                row[x / 2] = static_cast<std::uint8_t>((x & 1) ? (row[x / 2] & 0xF0) | v
                                                               : (row[x / 2] & 0x0F) | (v << 4));
            else if (v)
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            else
                row[x / 8] &= static_cast<std::uint8_t>(~(0x80 >> (x & 7)));
        }
    }
    return image;
}

// The top-down indices of an image.
Bytes indicesOf(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    if (!record)
        return {};
    const int w = record->width(), h = record->height(), depth = record->bitCount();
    const auto scan =
        static_cast<std::uint32_t>(KPXCalcScanBytes(record->width(), record->bitCount()));
    Bytes out;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = record->bits + static_cast<std::size_t>(h - 1 - y) * scan;
        for (int x = 0; x < w; ++x)
            out.push_back(depth == 8   ? row[x]
                          : depth == 4 ? ((x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4)
                                       : (row[x / 8] >> (7 - (x & 7))) & 1);
    }
    return out;
}

std::vector<std::string> applicationIds(const Bytes& file) {
    std::vector<kpx::gif::BlockEntry> list;
    kpx::gif::scanGif(file, {.list = &list});
    std::vector<std::string> ids;
    for (const auto& e : list)
        if (e.kind == kpx::gif::BlockKind::Application)
            ids.emplace_back(e.text.data());
    return ids;
}

int chainLength(KpxHandle first) {
    return first > 0 ? KPXGetImageFramesNum(first) : 0;
}

class GifCodec : public ::testing::Test {
protected:
    kfm::test::TempDir dir;
    std::string path = dir.file("out.gif");
};

} // namespace

TEST_F(GifCodec, SingleImagesRoundTripAndGiflibReadsThem) {
    struct Case {
        int width, height, depth, option;
    } const cases[] = {{5, 3, 1, 0},    {9, 7, 4, 0},    {33, 17, 8, 0},
                       {1, 3, 8, 0x80}, {7, 1, 4, 0x80}, {40, 37, 8, 0x80}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " depth " << c.depth);
        const Bytes indices =
            indexImage(c.width, c.height, c.depth == 1 ? 1 : c.depth, Content::Noise);
        const KpxHandle image = makeImage(c.width, c.height, c.depth, indices);
        ASSERT_EQ(
            KPXSaveImage(image, path.c_str(), formatNumber(FormatId::Gif), c.option, 0, nullptr),
            1);
        const Bytes file = kfm::test::readFileBytes(path);
        const auto theirs = giflib::slurp(file);
        ASSERT_TRUE(theirs.has_value());
        ASSERT_EQ(theirs->images.size(), 1u);
        EXPECT_EQ(theirs->images[0].interlaced, c.option != 0);
        EXPECT_EQ(theirs->images[0].indices, indices);
        const KpxHandle back = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(back, 0);
        EXPECT_EQ(KPXbpp(back), c.depth);
        EXPECT_EQ(indicesOf(back), indices);
        KPXDeleteImage(back);
        KPXDeleteImage(image);
    }
}

TEST_F(GifCodec, GiflibFilesLoadWithTheirIndicesAndPalette) {
    for (int bits = 1; bits <= 8; ++bits) {
        SCOPED_TRACE(bits);
        const Bytes indices = indexImage(23, 11, bits, Content::Noise, 5);
        kfm::test::writeFileBytes(path, giflib::spew(23, 11, bits, bits % 2 == 0, indices));
        const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(image, 0);
        EXPECT_EQ(indicesOf(image), indices);
        {
            kpx::ImageLock record(image, kKpxRead);
            const int last = (1 << bits) - 1;
            EXPECT_EQ(record->colors()[last].rgbRed, 255);
        }
        KPXDeleteImage(image);
    }
}

TEST_F(GifCodec, GraphicControlOnlyWithTransparencyForSingleImages) {
    const KpxHandle image = makeImage(4, 4, 8, Bytes(16, 3));
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr), 1);
    auto controls = [this] {
        std::vector<kpx::gif::BlockEntry> list;
        kpx::gif::scanGif(kfm::test::readFileBytes(path), {.list = &list});
        return std::count_if(list.begin(), list.end(), [](const kpx::gif::BlockEntry& e) {
            return e.kind == kpx::gif::BlockKind::GraphicControl;
        });
    };
    EXPECT_EQ(controls(), 0);
    KpxTransparentEntry entry{};
    entry.mode = kKpxTransparentIndex;
    entry.blue = 3;
    KPXSetImageTransparent(image, &entry, 1);
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr), 1);
    EXPECT_EQ(controls(), 1);
    const Bytes file = kfm::test::readFileBytes(path);
    const Bytes gce = {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x03, 0x00};
    EXPECT_NE(std::search(file.begin(), file.end(), gce.begin(), gce.end()), file.end());
    KPXDeleteImage(image);
}

TEST_F(GifCodec, AnimationRoundTripKeepsFramesObjectsAndComments) {
    const char* comments[] = {"a", nullptr, "c"};
    std::vector<Bytes> pictures;
    KpxHandle first = 0;
    for (int i = 0; i < 3; ++i) {
        pictures.push_back(indexImage(12 + i, 9, 8, Content::Noise, static_cast<unsigned>(i)));
        const KpxHandle frame = makeImage(12 + i, 9, 8, pictures.back(), i == 2 ? 9 : 0);
        {
            kpx::ImageLock r(frame, kKpxWrite);
            r->delay = 10 * (i + 1);
            r->disposal = i;
            r->left = i;
            r->top = 2 * i;
            r->screenWidth = 30;
            r->screenHeight = 20;
            r->loopCount = 0;
            if (comments[i])
                r->comment = comments[i];
            r->name = "frame" + std::to_string(i);
            if (i == 1) {
                r->textObject = std::make_unique<TextObjectRecord>();
                r->textObject->text = std::string(300, 'T');
                r->textObject->left = -5;
                r->controlObject = std::make_unique<ControlObjectRecord>();
                r->controlObject->text = "";
                r->controlObject->caption = "OK";
                r->npImageObject = std::make_unique<NPImageObjectRecord>();
                r->npImageObject->alpha.assign(3, 1);
                r->npImageObject->pixels8.assign(600, 4);
                r->npImageObject->palette = {1, 2, 3};
            }
        }
        if (i == 0)
            first = frame;
        else
            ASSERT_EQ(KPXAddImageFrame(first, frame, -1), 1);
    }
    {
        kpx::ImageLock r(first, kKpxWrite);
        r->animationComment = "whole";
    }
    ASSERT_EQ(KPXSaveImageFrames(first, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    const Bytes file = kfm::test::readFileBytes(path);
    const auto ids = applicationIds(file);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "KFMTITLE4.0"), 1);
    const std::string title = "a||c|";
    EXPECT_NE(std::search(file.begin(), file.end(), title.begin(), title.end()), file.end());

    const auto theirs = giflib::slurp(file);
    ASSERT_TRUE(theirs.has_value());
    ASSERT_EQ(theirs->images.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(theirs->images[i].indices, pictures[i]) << i;
    EXPECT_TRUE(theirs->images[0].localColors.empty());
    EXPECT_FALSE(theirs->images[2].localColors.empty()); // its palette differs

    const unsigned long readsBefore = KpxGifFileReadCountForTest();
    const KpxHandle back = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
    EXPECT_EQ(KpxGifFileReadCountForTest() - readsBefore, 1u);
    ASSERT_GT(back, 0);
    ASSERT_EQ(chainLength(back), 3);
    KpxHandle original = first;
    KpxHandle loaded = back;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(indicesOf(loaded), pictures[static_cast<std::size_t>(i)]);
        kpx::ImageLock a(original, kKpxRead), b(loaded, kKpxRead);
        EXPECT_EQ(b->delay, a->delay);
        EXPECT_EQ(b->disposal, a->disposal);
        EXPECT_EQ(b->left, a->left);
        EXPECT_EQ(b->top, a->top);
        EXPECT_EQ(b->screenWidth, 30);
        EXPECT_EQ(b->name, a->name);
        EXPECT_EQ(b->comment, a->comment);
        if (i > 0) {
            EXPECT_EQ(b->firstFrame, back);
        }
        EXPECT_EQ(b->frameOfAnimation, 1);
        for (std::uint32_t k = 0; k < a->colorCount(); ++k)
            EXPECT_EQ(b->colors()[k].rgbRed, a->colors()[k].rgbRed);
        EXPECT_TRUE(kfm::records::frameObjectsEqual(a->textObject.get(), b->textObject.get()));
        EXPECT_TRUE(
            kfm::records::frameObjectsEqual(a->controlObject.get(), b->controlObject.get()));
        EXPECT_TRUE(
            kfm::records::frameObjectsEqual(a->npImageObject.get(), b->npImageObject.get()));
        EXPECT_EQ(b->textObject != nullptr, a->textObject != nullptr);
        if (i == 0) {
            EXPECT_EQ(b->loopCount, 0);
            EXPECT_EQ(b->animationComment, std::optional<std::string>("whole"));
        }
        original = static_cast<KpxHandle>(a->nextFrame);
        loaded = static_cast<KpxHandle>(b->nextFrame);
    }
    KPXDeleteImage(back);
    KPXDeleteImage(first);
}

TEST_F(GifCodec, TitleOfBarsOnlyIsNotWritten) {
    for (const auto& [comment, written] :
         std::vector<std::pair<std::string, bool>>{{"||", false}, {"a||", true}}) {
        const KpxHandle image = makeImage(2, 2, 8, Bytes(4, 1));
        {
            kpx::ImageLock r(image, kKpxWrite);
            r->comment = comment;
        }
        ASSERT_EQ(KPXSaveImage(image, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr), 1);
        const auto ids = applicationIds(kfm::test::readFileBytes(path));
        EXPECT_EQ(std::count(ids.begin(), ids.end(), "KFMTITLE4.0"), written ? 1 : 0) << comment;
        KPXDeleteImage(image);
    }
}

namespace {

// A chain of n small 8-bit frames sharing one palette.
KpxHandle makeChain(int n, int width = 6, int height = 5) {
    KpxHandle first = 0;
    for (int i = 0; i < n; ++i) {
        const KpxHandle frame =
            makeImage(width, height, 8,
                      indexImage(width, height, 3, Content::Noise, static_cast<unsigned>(i)));
        if (i == 0)
            first = frame;
        else
            KPXAddImageFrame(first, frame, -1);
    }
    return first;
}

struct ProgressLog {
    int stopAt = -1;
    int breakAt = -1;
    std::vector<int> frames;
    KpxHandle firstSeen = 0;
};
ProgressLog stoppingAt(int frame) {
    return ProgressLog{frame, -1, {}, 0};
}
ProgressLog breakingAt(int frame) {
    return ProgressLog{-1, frame, {}, 0};
}

int logProgress(KpxHandle first, int index, void* user) {
    auto* log = static_cast<ProgressLog*>(user);
    log->frames.push_back(index);
    log->firstSeen = first;
    if (index == log->breakAt)
        KPXBreakLoadImageFrames(first);
    return index == log->stopAt ? 1 : 0;
}

} // namespace

TEST_F(GifCodec, LongAnimationLoadsFromOneReadOfTheFile) {
    const KpxHandle chain = makeChain(120, 3, 2);
    ASSERT_EQ(KPXSaveImageFrames(chain, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    ProgressLog log;
    const unsigned long before = KpxGifFileReadCountForTest();
    const KpxHandle back = KPXLoadImageFramesOffset(path.c_str(), 0, logProgress, &log);
    EXPECT_EQ(KpxGifFileReadCountForTest() - before, 1u);
    EXPECT_EQ(chainLength(back), 120);
    EXPECT_EQ(log.frames.size(), 120u);
    EXPECT_EQ(log.frames.back(), 119);
    KPXDeleteImage(back);
    KPXDeleteImage(chain);
}

TEST_F(GifCodec, ProgressStopsLoadsAndSaves) {
    const KpxHandle chain = makeChain(4);
    ASSERT_EQ(KPXSaveImageFrames(chain, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    const Bytes saved = kfm::test::readFileBytes(path);

    ProgressLog stopFirst = stoppingAt(0);
    EXPECT_EQ(KPXLoadImageFramesOffset(path.c_str(), 0, logProgress, &stopFirst), -1);
    EXPECT_EQ(KpxFindImage(stopFirst.firstSeen), nullptr); // nothing left alive

    ProgressLog breakFirst = breakingAt(0);
    const KpxHandle partial = KPXLoadImageFramesOffset(path.c_str(), 0, logProgress, &breakFirst);
    EXPECT_GT(partial, 0);
    EXPECT_EQ(chainLength(partial), 1);
    KPXDeleteImage(partial);

    // A stopped save leaves the old file as it was.
    ProgressLog stopSave = stoppingAt(1);
    const KpxHandle other = makeChain(3, 9, 9);
    EXPECT_EQ(KPXSaveImageFrames(other, path.c_str(), formatNumber(FormatId::Gif), 0, 0,
                                 logProgress, &stopSave),
              -1);
    EXPECT_EQ(kfm::test::readFileBytes(path), saved);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    KPXDeleteImage(other);
    KPXDeleteImage(chain);
}

TEST_F(GifCodec, BreakTableHoldsTenDistinctHandles) {
    const KpxHandle chain = makeChain(3);
    ASSERT_EQ(KPXSaveImageFrames(chain, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    EXPECT_EQ(KPXBreakLoadImageFrames(0), 0);
    // Nine distinct handles, one of them twice: a slot stays free for the load's request.
    for (KpxHandle h = 20001; h <= 20009; ++h)
        EXPECT_EQ(KPXBreakLoadImageFrames(h), 1);
    EXPECT_EQ(KPXBreakLoadImageFrames(20005), 1);
    ProgressLog log = breakingAt(0);
    KpxHandle back = KPXLoadImageFramesOffset(path.c_str(), 0, logProgress, &log);
    EXPECT_EQ(chainLength(back), 1);
    KPXDeleteImage(back);
    // With all ten slots in use the request is dropped and the load runs to its end.
    EXPECT_EQ(KPXBreakLoadImageFrames(20010), 1);
    log = breakingAt(0);
    back = KPXLoadImageFramesOffset(path.c_str(), 0, logProgress, &log);
    EXPECT_EQ(chainLength(back), 3);
    KPXDeleteImage(back);
    for (KpxHandle h = 20001; h <= 20010; ++h)
        KPXDeleteImage(h); // clears their slots
    KPXDeleteImage(chain);
}

namespace {

KpxResult failingSecondFrame(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                             const KpxTransparentEntry* transparent, std::int32_t count) {
    if (context->frameNumber == 1)
        return kKpxWriteError;
    return KpxGifSave(context, path, progress, transparent, count);
}

} // namespace

TEST_F(GifCodec, FailedSaveKeepsTheOldFile) {
    const Bytes old = {'o', 'l', 'd'};
    kfm::test::writeFileBytes(path, old);
    KpxCodecEntry entry = KpxFindCodec(20);
    entry.save = failingSecondFrame;
    KpxRegisterCodec(&entry);
    const KpxHandle chain = makeChain(3);
    EXPECT_EQ(KPXSaveImageFrames(chain, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              0);
    KpxUnregisterCodec(20);
    EXPECT_EQ(kfm::test::readFileBytes(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    KPXDeleteImage(chain);
}

TEST_F(GifCodec, DeepFramesAreWrittenAsEightBitCopiesAndCodeBitsCanShrink) {
    const KpxHandle chain = makeChain(2);
    const KpxHandle deep = KPXCreateImage(6, 5, 24);
    KPXAddImageFrame(chain, deep, -1);
    // Frame 0 uses five palette entries: with flag 0x400 it is written with 3 code bits.
    Bytes five(30);
    for (std::size_t i = 0; i < five.size(); ++i)
        five[i] = static_cast<std::uint8_t>(i % 5);
    const KpxHandle small = makeImage(6, 5, 8, five);
    ASSERT_EQ(KPXSaveImageFrames(small, path.c_str(), formatNumber(FormatId::Gif),
                                 kKpxSaveFewestCodeBits, 0, nullptr, nullptr),
              1);
    const auto index = kpx::gif::scanGif(kfm::test::readFileBytes(path));
    ASSERT_EQ(index.frames.size(), 1u);
    EXPECT_EQ(index.frames[0].minimumCodeSize, 3);
    const KpxHandle reloaded = KPXLoadImage(nullptr, path.c_str(), nullptr);
    EXPECT_EQ(indicesOf(reloaded), five);
    KPXDeleteImage(reloaded);

    ASSERT_EQ(KPXSaveImageFrames(chain, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    EXPECT_EQ(KPXbpp(deep), 24);
    const auto theirs = giflib::slurp(kfm::test::readFileBytes(path));
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(theirs->images.size(), 3u);
    KPXDeleteImage(small);
    KPXDeleteImage(chain);
}

TEST_F(GifCodec, DamagedDataGivesBackgroundRowsAndMissingFramesFail) {
    // Two images; the second one's data stops after its first row.
    Bytes f = header(4, 4, 2);
    for (int i = 0; i < 2; ++i) {
        descriptor(f, 0, 0, 4, 4, 0);
        const Bytes pixels(16, 2);
        Bytes data;
        kpx::gif::encodeLzwImage(pixels, 4, 4, 2, kpx::gif::RowOrder::Sequential, data);
        if (i == 1) {
            Bytes chain = TrackedCodes(2).add({4, 2, 6, 7}).finish(); // 1 + 2 + 3 = 6 pixels
            data.assign(1, 2);
            data.insert(data.end(), chain.begin(), chain.end());
        }
        f.insert(f.end(), data.begin(), data.end());
    }
    f.push_back(0x3B);
    kfm::test::writeFileBytes(path, f);
    KpxCodecContext context;
    const KpxHandle second = KpxLoadImageCore(nullptr, path.c_str(), 0, 1, &context, -1, nullptr);
    ASSERT_NE(second, 0);
    // The first row is complete; the second was cut short and, like the rows after it, takes
    // the background index.
    Bytes expected(16, 0);
    std::fill_n(expected.begin(), 4, 2);
    EXPECT_EQ(indicesOf(second), expected);
    EXPECT_EQ(context.frameCount, 2);
    KPXDeleteImage(second);
    // Frame 5 of a two-image file: nothing to decode, no image.
    EXPECT_EQ(KpxLoadImageCore(nullptr, path.c_str(), 0, 5, &context, -1, nullptr), 0);
}

TEST_F(GifCodec, DetailsNeverWritePastTheCallersArray) {
    Bytes f = header(2, 2, 1);
    for (int i = 0; i < 30; ++i)
        comment(f, "note " + std::to_string(i));
    descriptor(f, 0, 0, 2, 2, 0);
    f.insert(f.end(), {2, 2, 0x44, 0x01, 0x00, 0x3B});
    kfm::test::writeFileBytes(path, f);
    std::vector<KpxGifBlockInfo> list(6);
    list[5].kind = 12345;
    EXPECT_EQ(KPXGetGifDetails(path.c_str(), list.data(), 5), 5);
    EXPECT_EQ(list[5].kind, 12345);
    EXPECT_EQ(list[0].kind, 1);
    EXPECT_STREQ(list[2].text, "note 0");
    EXPECT_EQ(KPXGetGifDetails(dir.file("missing.gif").c_str(), list.data(), 5), 0);
}

TEST_F(GifCodec, SizesAndPositionsPastSixteenBitsAreRefused) {
    struct Case {
        const char* what;
        int screenWidth, screenHeight, left, top, width, height;
    };
    const Case cases[] = {
        {"wide image", 40000, 2, 0, 0, 40000, 2}, {"tall image", 2, 40000, 0, 0, 2, 40000},
        {"wide screen", 40000, 2, 0, 0, 2, 2},    {"far left", 4, 4, 40000, 0, 2, 2},
        {"far down", 4, 4, 0, 32768, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes f = header(c.screenWidth, c.screenHeight, 2);
        descriptor(f, c.left, c.top, c.width, c.height, 0);
        const Bytes pixels(static_cast<std::size_t>(c.width) * c.height, 1);
        kpx::gif::encodeLzwImage(pixels, c.width, c.height, 2, kpx::gif::RowOrder::Sequential, f);
        f.push_back(0x3B);
        kfm::test::writeFileBytes(path, f);
        KpxCodecContext context;
        EXPECT_EQ(KpxGifGetInfo(&context, path.c_str(), 0, nullptr, nullptr), kKpxBadData);
        context = KpxCodecContext{};
        EXPECT_EQ(KpxGifLoadFrame(&context, path.c_str(), 0, nullptr, nullptr, nullptr),
                  kKpxBadData);
        EXPECT_EQ(KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr), 0);
    }
    // The largest size that fits still loads.
    Bytes f = header(32767, 2, 2);
    descriptor(f, 0, 0, 32767, 2, 0);
    kpx::gif::encodeLzwImage(Bytes(2 * 32767, 1), 32767, 2, 2, kpx::gif::RowOrder::Sequential, f);
    f.push_back(0x3B);
    kfm::test::writeFileBytes(path, f);
    const KpxHandle image = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
    ASSERT_GT(image, 0);
    EXPECT_EQ(KPXWidth(image), 32767);
    KPXDeleteImage(image);
}

namespace {

// A 4 x 4 frame of index 2 with a graphic control giving its delay.
void plainFrame(Bytes& f, int delay, int left = 0) {
    graphicControl(f, 0, delay, 0);
    descriptor(f, left, 0, 4, 4, 0);
    kpx::gif::encodeLzwImage(Bytes(16, 2), 4, 4, 2, kpx::gif::RowOrder::Sequential, f);
}

std::vector<int> chainDelays(KpxHandle first) {
    std::vector<int> delays;
    for (int i = 0; i < chainLength(first); ++i) {
        kpx::ImageLock record(KPXGetImageFramesImage(first, i), kKpxRead);
        delays.push_back(record ? record->delay : -1);
    }
    return delays;
}

} // namespace

TEST_F(GifCodec, FramesThatFailOrDecodeOnlyInPartAreReported) {
    // Four images: the second lies past the 16-bit positions and cannot load; the fourth's data
    // holds a code the table does not have yet after its first pixel.
    Bytes f = header(4, 4, 2);
    plainFrame(f, 10);
    plainFrame(f, 20, 40000);
    plainFrame(f, 30);
    graphicControl(f, 0, 40, 0);
    descriptor(f, 0, 0, 4, 4, 0);
    f.push_back(2);
    const Bytes chain = TrackedCodes(2).add({4, 1, 7}).finish();
    f.insert(f.end(), chain.begin(), chain.end());
    f.push_back(0x3B);
    kfm::test::writeFileBytes(path, f);

    const KpxHandle first = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
    ASSERT_GT(first, 0);
    EXPECT_EQ(chainDelays(first), (std::vector<int>{10, 30, 40}));
    const KpxFramesLoadReport report = KPXGetFramesLoadReport();
    EXPECT_EQ(report.imagesInFile, 4);
    EXPECT_EQ(report.lostImages, std::vector<int>{1});
    EXPECT_EQ(report.damagedFrames, std::vector<int>{2});
    EXPECT_FALSE(report.complete());
    // The plain calls copy no more than the caller's array holds.
    std::int32_t lost[2] = {-1, -1};
    EXPECT_EQ(KPXGetFramesLoadLost(lost, 0), 1);
    EXPECT_EQ(lost[0], -1);
    EXPECT_EQ(KPXGetFramesLoadLost(lost, 2), 1);
    EXPECT_EQ(lost[0], 1);
    EXPECT_EQ(lost[1], -1);
    EXPECT_EQ(KPXGetFramesLoadDamaged(nullptr, 5), 1);
    KPXDeleteImage(first);

    // A sound file leaves a complete report; a file whose first image fails gives no chain.
    Bytes sound = header(4, 4, 2);
    plainFrame(sound, 10);
    plainFrame(sound, 20);
    sound.push_back(0x3B);
    kfm::test::writeFileBytes(path, sound);
    const KpxHandle back = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
    EXPECT_EQ(chainLength(back), 2);
    EXPECT_TRUE(KPXGetFramesLoadReport().complete());
    KPXDeleteImage(back);
    Bytes firstFails = header(4, 4, 2);
    plainFrame(firstFails, 10, 40000);
    firstFails.push_back(0x3B);
    kfm::test::writeFileBytes(path, firstFails);
    EXPECT_EQ(KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr), 0);
}

// Files whose LZW data the decoder cannot follow (peers that give up on a bad code refuse them):
// they open, and the load says which frames are not the picture the file holds.
TEST_F(GifCodec, UndecodableDataIsReportedNotPassedOffAsThePicture) {
    for (const char* name : {"pygif/max-codes.gif", "pillow/issue_2811.gif"}) {
        SCOPED_TRACE(name);
        const std::string file = kfm::test::testDataPath("gif/" + std::string(name)).string();
        const KpxHandle first = KPXLoadImageFramesOffset(file.c_str(), 0, nullptr, nullptr);
        ASSERT_GT(first, 0);
        const KpxFramesLoadReport report = KPXGetFramesLoadReport();
        EXPECT_FALSE(report.damagedFrames.empty());
        KPXDeleteImage(first);
    }
}

TEST_F(GifCodec, FilesWithMoreFramesThanTheCountHoldsAreRefused) {
    Bytes f = header(1, 1, 1);
    const Bytes tiny = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0x00};
    for (int i = 0; i < 32768; ++i)
        f.insert(f.end(), tiny.begin(), tiny.end());
    f.push_back(0x3B);
    kfm::test::writeFileBytes(path, f);
    KpxCodecContext context;
    EXPECT_EQ(KpxGifGetInfo(&context, path.c_str(), 0, nullptr, nullptr), kKpxBadData);
    EXPECT_EQ(KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr), 0);
    // One image fewer fits: the scan takes it (the frames themselves are not loaded here).
    f.erase(f.end() - 1 - static_cast<long>(tiny.size()), f.end() - 1);
    kfm::test::writeFileBytes(path, f);
    context = KpxCodecContext{};
    EXPECT_EQ(KpxGifGetInfo(&context, path.c_str(), 0, nullptr, nullptr), kKpxOk);
    EXPECT_EQ(context.frameCount, 32767);
}

namespace {

// What a load's progress call does to the file after a given frame.
struct FileChange {
    std::string path;
    int afterFrame = 0;
    std::function<void(const std::string&)> change;
};

int changeFile(KpxHandle, int index, void* user) {
    auto* c = static_cast<FileChange*>(user);
    if (index == c->afterFrame)
        c->change(c->path);
    return 0;
}

// A chain deleted at the end of its scope.
struct OwnedChain {
    explicit OwnedChain(KpxHandle handle) : first(handle) {}
    KpxHandle first;
    ~OwnedChain() {
        if (first > 0)
            KPXDeleteImage(first);
    }
    OwnedChain(const OwnedChain&) = delete;
    OwnedChain& operator=(const OwnedChain&) = delete;
};

std::vector<Bytes> framesOf(KpxHandle first) {
    std::vector<Bytes> frames;
    for (int i = 0; first > 0 && i < KPXGetImageFramesNum(first); ++i)
        frames.push_back(indicesOf(KPXGetImageFramesImage(first, i)));
    return frames;
}

} // namespace

// The load keeps the file it opened for all its frames: it neither looks the file up again nor
// stats it per frame. A file removed, renamed or replaced by another one during the load still
// loads whole, as it was when the load began.
TEST_F(GifCodec, FileRemovedOrReplacedDuringALoadLoadsAsItWasOpened) {
    const KpxHandle chain = makeChain(6, 40, 30);
    ASSERT_EQ(KPXSaveImageFrames(chain, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    const KpxHandle other = makeChain(2, 9, 9);
    const std::string otherPath = dir.file("other.gif");
    ASSERT_EQ(KPXSaveImageFrames(other, otherPath.c_str(), formatNumber(FormatId::Gif), 0, 0,
                                 nullptr, nullptr),
              1);
    const Bytes saved = kfm::test::readFileBytes(path);
    const std::vector<Bytes> expected = framesOf(chain);
    struct Case {
        const char* what;
        std::function<void(const std::string&)> change;
    } const cases[] = {
        {"removed", [](const std::string& p) { std::filesystem::remove(p); }},
        {"renamed", [&](const std::string& p) { std::filesystem::rename(p, p + ".old"); }},
        {"replaced",
         [&](const std::string& p) {
             const std::string next = p + ".next";
             std::filesystem::copy_file(otherPath, next);
             std::filesystem::rename(next, p);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kfm::test::writeFileBytes(path, saved);
        FileChange change{path, 1, c.change};
        const KpxHandle back = KPXLoadImageFramesOffset(path.c_str(), 0, changeFile, &change);
        ASSERT_GT(back, 0);
        EXPECT_EQ(framesOf(back), expected);
        EXPECT_TRUE(KPXGetFramesLoadReport().complete());
        KPXDeleteImage(back);
        std::error_code ignored;
        std::filesystem::remove(path + ".old", ignored);
    }
    KPXDeleteImage(other);
    KPXDeleteImage(chain);
}

// A file cut short while it loads: the frames before the cut load whole, and each frame the cut
// reaches is reported (damaged or lost), never passed off as the picture. The frames are large
// enough that the part after the cut was not read yet when the file was cut.
TEST_F(GifCodec, FileCutShortDuringALoadKeepsTheFramesBeforeTheCut) {
    const OwnedChain chain{makeChain(6, 500, 400)};
    ASSERT_EQ(KPXSaveImageFrames(chain.first, path.c_str(), formatNumber(FormatId::Gif), 0, 0,
                                 nullptr, nullptr),
              1);
    const Bytes saved = kfm::test::readFileBytes(path);
    const kpx::gif::GifFileIndex index = kpx::gif::scanGif(saved);
    ASSERT_EQ(index.frames.size(), 6u);
    ASSERT_GT(index.frames[3].dataStart, index.frames[1].dataEnd + (std::size_t{1} << 16));
    const std::vector<Bytes> expected = framesOf(chain.first);
    for (const std::size_t cut : {index.frames[3].dataStart + 20, index.frames[3].descriptor,
                                  (index.frames[5].dataStart + index.frames[5].dataEnd) / 2}) {
        SCOPED_TRACE(cut);
        kfm::test::writeFileBytes(path, saved);
        FileChange change{path, 1,
                          [cut](const std::string& p) { std::filesystem::resize_file(p, cut); }};
        const OwnedChain back{KPXLoadImageFramesOffset(path.c_str(), 0, changeFile, &change)};
        ASSERT_GT(back.first, 0);
        const std::vector<Bytes> frames = framesOf(back.first);
        const KpxFramesLoadReport report = KPXGetFramesLoadReport();
        // Images whose data lies before the cut load as they were.
        std::size_t whole = 0;
        while (whole < index.frames.size() && index.frames[whole].dataEnd <= cut)
            ++whole;
        ASSERT_GE(frames.size(), whole);
        for (std::size_t i = 0; i < whole; ++i)
            EXPECT_EQ(frames[i], expected[i]) << "frame " << i;
        // Every image the cut reaches is damaged or lost.
        EXPECT_EQ(report.damagedFrames.size() + report.lostImages.size(), 6 - whole);
        for (const int damaged : report.damagedFrames)
            EXPECT_GE(damaged, static_cast<int>(whole));
    }
}

namespace {

// Removes the save's temporary file(s) in a folder after a given frame.
struct TemporaryRemoval {
    std::filesystem::path folder;
    int afterFrame = 0;
    int removed = 0;
};

int removeTemporaries(KpxHandle, int index, void* user) {
    auto* r = static_cast<TemporaryRemoval*>(user);
    if (index != r->afterFrame)
        return 0;
    for (const auto& entry : std::filesystem::directory_iterator(r->folder))
        if (entry.path().extension() == ".tmp") {
            std::filesystem::remove(entry.path());
            ++r->removed;
        }
    return 0;
}

} // namespace

// The save writes every frame through the one temporary file it opened: when that file
// disappears during the save (removed by another program), the save fails and the target stays
// as it was, instead of the later frames starting a new file that replaces the target without
// the first frames. (Only a named temporary file, where unnamed ones are not available, can be
// removed.)
TEST_F(GifCodec, SaveWhoseTemporaryFileDisappearsFailsAndKeepsTheTarget) {
    struct NamedTemporaries {
        NamedTemporaries() { KpxUseUnnamedTemporaryFilesForTest(0); }
        ~NamedTemporaries() { KpxUseUnnamedTemporaryFilesForTest(1); }
    } named;
    const KpxHandle old = makeChain(2);
    ASSERT_EQ(
        KPXSaveImageFrames(old, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr, nullptr),
        1);
    const Bytes before = kfm::test::readFileBytes(path);
    const KpxHandle chain = makeChain(5, 12, 10);
    TemporaryRemoval removal{dir.path(), 1, 0};
    EXPECT_EQ(KPXSaveImageFrames(chain, path.c_str(), formatNumber(FormatId::Gif), 0, 0,
                                 removeTemporaries, &removal),
              0);
    EXPECT_EQ(removal.removed, 1);
    EXPECT_EQ(kfm::test::readFileBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    KPXDeleteImage(chain);
    KPXDeleteImage(old);
}
