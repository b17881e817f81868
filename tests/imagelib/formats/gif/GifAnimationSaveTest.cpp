#include "FormatId.h"
#include "FrameChain.h"
#include "GifBlocks.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "MultiFrameFiles.h"
#include "SaveFrontEnd.h"
#include "Transparency.h"

#include "TestSupport.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace {

// An 8-bit frame whose pixel (x, y) holds (x + y + seed) % colours.
KpxHandle makeFrame(int width, int height, int seed, int colours) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bits[(height - 1 - y) * stride + x] =
                static_cast<std::uint8_t>((x + y + seed) % colours);
    return image;
}

void setFrameInfo(KpxHandle image, int left, int top, int delay, int disposal, const char* comment,
                  std::uint32_t transparency = 0) {
    FrameInfo info{};
    info.left = left;
    info.top = top;
    info.delay = delay;
    info.disposal = disposal;
    info.transparency = transparency;
    info.comment = const_cast<char*>(comment);
    ASSERT_EQ(KPXSetImageFramesInfo(image, &info), 1);
}

// A decoded file with the blocks that this test looks at.
struct Decoded {
    GifFileType* gif = nullptr;
    ~Decoded() {
        int error = 0;
        if (gif)
            DGifCloseFile(gif, &error);
    }
};

int readFromVector(GifFileType* gif, GifByteType* out, int n) {
    auto* source = static_cast<std::span<const std::uint8_t>*>(gif->UserData);
    const int k =
        static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(n), source->size()));
    std::memcpy(out, source->data(), static_cast<std::size_t>(k));
    *source = source->subspan(static_cast<std::size_t>(k));
    return k;
}

void slurp(const std::vector<std::uint8_t>& bytes, Decoded& decoded) {
    static std::span<const std::uint8_t> source;
    source = bytes;
    int error = 0;
    decoded.gif = DGifOpen(&source, readFromVector, &error);
    ASSERT_NE(decoded.gif, nullptr);
    ASSERT_EQ(DGifSlurp(decoded.gif), GIF_OK);
}

// The application identifiers and comments of one image's extension blocks, in file order.
std::vector<std::string> blockNames(const SavedImage& image) {
    std::vector<std::string> names;
    for (int i = 0; i < image.ExtensionBlockCount; ++i) {
        const ExtensionBlock& b = image.ExtensionBlocks[i];
        if (b.Function == APPLICATION_EXT_FUNC_CODE)
            names.emplace_back(reinterpret_cast<const char*>(b.Bytes),
                               strnlen(reinterpret_cast<const char*>(b.Bytes), 11));
        else if (b.Function == COMMENT_EXT_FUNC_CODE)
            names.push_back("comment:" + std::string(reinterpret_cast<const char*>(b.Bytes),
                                                     static_cast<std::size_t>(b.ByteCount)));
    }
    return names;
}

class GifAnimationSave : public ::testing::Test {
protected:
    void TearDown() override {
        if (head)
            KPXDeleteImage(head);
    }

    // Three frames with their own places, timing and comments "a", "" and "c".
    void makeChain() {
        head = makeFrame(6, 4, 0, 16);
        setFrameInfo(head, 0, 0, 10, 1, "a");
        const KpxHandle second = makeFrame(3, 2, 5, 16);
        setFrameInfo(second, 2, 1, 20, 2, nullptr, kKpxTransparencyIndexFlag | 3);
        const KpxHandle third = makeFrame(4, 4, 9, 16);
        setFrameInfo(third, 1, 0, 30, 3, "c");
        ASSERT_EQ(KPXAddImageFrame(head, second, -1), 1);
        ASSERT_EQ(KPXAddImageFrame(head, third, -1), 1);
        AnimateInfo animate{8, 6, 3, 4, const_cast<char*>("all")};
        ASSERT_EQ(KPXSetAnimateInfo(head, &animate), 1);
    }

    kfm::test::TempDir dir;
    KpxHandle head = 0;
};

TEST_F(GifAnimationSave, GiflibReadsEveryFrameAsWritten) {
    makeChain();
    const std::string path = dir.file("anim.gif");
    ASSERT_EQ(KPXSaveImageFrames(head, path.c_str(), formatNumber(FormatId::Gif), 0x604, 70,
                                 nullptr, nullptr),
              1);
    Decoded decoded;
    slurp(kfm::test::readFileBytes(path), decoded);
    GifFileType* gif = decoded.gif;
    EXPECT_EQ(gif->SWidth, 8);
    EXPECT_EQ(gif->SHeight, 6);
    ASSERT_EQ(gif->ImageCount, 3);
    const int delays[] = {10, 20, 30};
    const int disposals[] = {1, 2, 3};
    KpxHandle frame = head;
    for (int i = 0; i < 3; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock gcb{};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &gcb), GIF_OK) << "every frame has one";
        EXPECT_EQ(gcb.DelayTime, delays[i]);
        EXPECT_EQ(gcb.DisposalMode, disposals[i]);
        EXPECT_EQ(gcb.TransparentColor, i == 1 ? 3 : NO_TRANSPARENT_COLOR);
        EXPECT_EQ(image.ImageDesc.Width, KPXWidth(frame));
        const int width = KPXWidth(frame);
        const int height = KPXHeight(frame);
        const std::uint8_t* bits = KPXGetBits(frame);
        const int stride = KPXGetScanBytes(frame);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(image.RasterBits[y * width + x], bits[(height - 1 - y) * stride + x]);
        frame = KPXGetImageFramesImage(head, i + 1);
    }
    EXPECT_EQ(gif->SavedImages[1].ImageDesc.Left, 2);
    EXPECT_EQ(gif->SavedImages[1].ImageDesc.Top, 1);
    // The loop block stands before the first image; the animation comment and the joined title
    // follow the last image's data (giflib keeps them with the trailing blocks).
    std::vector<std::string> trailing;
    for (int i = 0; i < gif->ExtensionBlockCount; ++i) {
        const ExtensionBlock& b = gif->ExtensionBlocks[i];
        trailing.emplace_back(reinterpret_cast<const char*>(b.Bytes),
                              static_cast<std::size_t>(b.ByteCount));
    }
    EXPECT_NE(std::find(trailing.begin(), trailing.end(), "all"), trailing.end());
    EXPECT_NE(std::find(trailing.begin(), trailing.end(), "a||c|"), trailing.end())
        << "the title of five characters";
}

TEST_F(GifAnimationSave, FailedOrCancelledSaveKeepsTheOldFile) {
    makeChain();
    const std::string path = dir.file("keep.gif");
    { std::ofstream(path, std::ios::binary) << "precious bytes"; }
    const auto cancelAtSecond = [](KpxHandle, int index, void*) { return index == 1 ? 1 : 0; };
    EXPECT_EQ(KPXSaveImageFrames(head, path.c_str(), formatNumber(FormatId::Gif), 0, 0,
                                 cancelAtSecond, nullptr),
              -1);
    EXPECT_EQ(kfm::test::readFileBytes(path),
              (std::vector<std::uint8_t>{'p', 'r', 'e', 'c', 'i', 'o', 'u', 's', ' ', 'b', 'y', 't',
                                         'e', 's'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left";
    // A frame the encoder cannot write (a zero-size context is impossible, so use a folder as
    // the target: the temporary file cannot be created there).
    EXPECT_EQ(KPXSaveImageFrames(head, dir.path().string().c_str(), formatNumber(FormatId::Gif), 0,
                                 0, nullptr, nullptr),
              0);
}

// The animation save keeps the targets a single-image save takes: a name of 255 bytes, and a
// symbolic link, which stays a link while the file it points to gets the frames.
TEST_F(GifAnimationSave, LongestNamesAndLinkedFilesAreSaved) {
    makeChain();
    const std::string longest = dir.file(std::string(251, 'n') + ".gif");
    ASSERT_EQ(KPXSaveImageFrames(head, longest.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    Decoded fromLongest;
    slurp(kfm::test::readFileBytes(longest), fromLongest);
    EXPECT_EQ(fromLongest.gif->ImageCount, 3);

    const std::string real = dir.file("real.gif");
    { std::ofstream(real, std::ios::binary) << "old"; }
    const std::string link = dir.file("link.gif");
    std::filesystem::create_symlink("real.gif", link);
    ASSERT_EQ(
        KPXSaveImageFrames(head, link.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr, nullptr),
        1);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    Decoded fromLink;
    slurp(kfm::test::readFileBytes(real), fromLink);
    EXPECT_EQ(fromLink.gif->ImageCount, 3);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

// A frame of more than 8 bits is written through an 8-bit copy of its picture; the frame in the
// chain keeps its depth and pixels, and the copy is freed.
TEST_F(GifAnimationSave, DeepFramesAreWrittenAsEightBitCopies) {
    head = makeFrame(4, 4, 0, 4);
    const KpxHandle deep = KPXCreateImage(4, 4, 24);
    std::memset(KPXGetBits(deep), 0x80, KPXSizeImage(deep)); // mid grey
    ASSERT_EQ(KPXAddImageFrame(head, deep, -1), 1);
    const std::vector<std::uint8_t> pixels(KPXGetBits(deep), KPXGetBits(deep) + KPXSizeImage(deep));
    const int liveBefore = KpxLiveImageCount();
    const std::string path = dir.file("deep.gif");
    ASSERT_EQ(
        KPXSaveImageFrames(head, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr, nullptr),
        1);
    EXPECT_EQ(KpxLiveImageCount(), liveBefore) << "the 8-bit copy is freed";
    EXPECT_EQ(KPXbpp(deep), 24) << "the chain itself is unchanged";
    EXPECT_EQ(std::vector<std::uint8_t>(KPXGetBits(deep), KPXGetBits(deep) + KPXSizeImage(deep)),
              pixels);
    Decoded decoded;
    slurp(kfm::test::readFileBytes(path), decoded);
    ASSERT_EQ(decoded.gif->ImageCount, 2);
    const SavedImage& written = decoded.gif->SavedImages[1];
    const ColorMapObject* map =
        written.ImageDesc.ColorMap ? written.ImageDesc.ColorMap : decoded.gif->SColorMap;
    ASSERT_NE(map, nullptr);
    for (int p = 0; p < 16; ++p) {
        const int index = written.RasterBits[p];
        ASSERT_LT(index, map->ColorCount);
        const GifColorType colour = map->Colors[index];
        EXPECT_NEAR(colour.Red, 0x80, 8) << "pixel " << p;
        EXPECT_NEAR(colour.Green, 0x80, 8) << "pixel " << p;
        EXPECT_NEAR(colour.Blue, 0x80, 8) << "pixel " << p;
    }
}

TEST_F(GifAnimationSave, FewestCodeBitsCoverTheUsedEntries) {
    head = makeFrame(8, 8, 0, 5); // indices 0..4
    const std::string path = dir.file("bits.gif");
    ASSERT_EQ(KPXSaveImageFrames(head, path.c_str(), formatNumber(FormatId::Gif), 0x400, 0, nullptr,
                                 nullptr),
              1);
    const std::vector<std::uint8_t> bytes = kfm::test::readFileBytes(path);
    ASSERT_GT(bytes.size(), 13u);
    const int tableBits = (bytes[10] & 7) + 1;
    EXPECT_EQ((bytes[10] >> 4) & 7, 2) << "colour resolution of 3 bits";
    // Header, table, graphic control (8 bytes) and image descriptor (10 bytes), then the
    // minimum code size.
    const std::size_t codeSizeAt = 13 + 3 * (std::size_t{1} << tableBits) + 8 + 10;
    ASSERT_LT(codeSizeAt, bytes.size());
    EXPECT_EQ(bytes[codeSizeAt], 3);
    Decoded decoded;
    slurp(bytes, decoded);
    EXPECT_EQ(decoded.gif->SavedImages[0].RasterBits[7], 2); // (7 + 0) % 5
}

// The written colour tables cover every index in the data; trailing entries equal to entry 0
// that no pixel uses are still left out.
TEST_F(GifAnimationSave, WrittenTablesCoverEveryIndexTheDataCarries) {
    struct Case {
        const char* what;
        std::vector<int> highIndex; // per frame: one pixel of this index, -1 for none
        int colourBase;             // per-frame palette seed; frames with another seed get a
                                    // local table
        bool secondOwnTable;
        int expectedGlobalEntries;
    };
    const Case cases[] = {
        {"one frame, index past the distinct entries", {200}, 0, false, 256},
        {"one frame, low indices only", {-1}, 0, false, 32},
        {"second frame on the global table", {-1, 200}, 0, false, 256},
        {"second frame with its own table", {-1, 130}, 0, true, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KpxHandle first = 0;
        for (std::size_t k = 0; k < c.highIndex.size(); ++k) {
            const KpxHandle frame = makeFrame(8, 4, static_cast<int>(k), 32);
            RGBQUAD* colours = KPXGetBitmapInfoHeader(frame)->bmiColors;
            const int seed = (k == 1 && c.secondOwnTable) ? 99 : c.colourBase;
            for (int i = 0; i < 256; ++i)
                colours[i] = i < 32 && i > 0 ? RGBQUAD{static_cast<BYTE>(i * 7 + seed),
                                                       static_cast<BYTE>(i), 9, 0}
                                             : RGBQUAD{0, 0, 0, 0};
            if (c.highIndex[k] >= 0)
                KPXGetBits(frame)[0] = static_cast<std::uint8_t>(c.highIndex[k]);
            if (k == 0)
                first = frame;
            else
                ASSERT_EQ(KPXAddImageFrame(first, frame, -1), 1);
        }
        head = first;
        const std::string path = dir.file("table.gif");
        ASSERT_EQ(KPXSaveImageFrames(head, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                     nullptr),
                  1);
        KPXDeleteImage(head);
        head = 0;
        Decoded decoded;
        slurp(kfm::test::readFileBytes(path), decoded);
        ASSERT_NE(decoded.gif->SColorMap, nullptr);
        EXPECT_EQ(decoded.gif->SColorMap->ColorCount, c.expectedGlobalEntries);
        for (int k = 0; k < decoded.gif->ImageCount; ++k) {
            const SavedImage& image = decoded.gif->SavedImages[k];
            const ColorMapObject* map =
                image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : decoded.gif->SColorMap;
            const int n = image.ImageDesc.Width * image.ImageDesc.Height;
            const int highest = *std::max_element(image.RasterBits, image.RasterBits + n);
            EXPECT_LT(highest, map->ColorCount) << "frame " << k;
        }
    }
}

TEST_F(GifAnimationSave, ObjectBlocksAreWrittenBeforeTheImage) {
    head = makeFrame(4, 4, 0, 4);
    TextObjectRecord text;
    text.text = std::string("Hello");
    ControlObjectRecord control;
    control.type = 1;
    control.text = std::string("Push");
    control.caption = std::string();
    FrameInfo info{};
    info.delay = 5;
    info.name = const_cast<char*>("walk");
    info.textObject = &text;
    info.controlObject = &control;
    ASSERT_EQ(KPXSetImageFramesInfo(head, &info), 1);
    const std::string path = dir.file("objects.gif");
    ASSERT_EQ(
        KPXSaveImageFrames(head, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr, nullptr),
        1);
    Decoded decoded;
    slurp(kfm::test::readFileBytes(path), decoded);
    const std::vector<std::string> names = blockNames(decoded.gif->SavedImages[0]);
    EXPECT_NE(std::find(names.begin(), names.end(), "comment:walk"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "KFMTEXTI5"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "KFMCTRLI5"), names.end());
}

TEST(GifSingleSave, TransparentIndexGivesAGraphicControlBlock) {
    kfm::test::TempDir dir;
    for (const bool transparent : {false, true}) {
        const KpxHandle image = makeFrame(4, 4, 0, 4);
        if (transparent) {
            KpxTransparentEntry entry{};
            entry.mode = 1;
            entry.blue = 2;
            ASSERT_EQ(KPXSetImageTransparent(image, &entry, 1), 1);
        }
        const std::string path = dir.file(transparent ? "t.gif" : "o.gif");
        ASSERT_EQ(KPXSaveImage(image, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr), 1);
        Decoded decoded;
        slurp(kfm::test::readFileBytes(path), decoded);
        GraphicsControlBlock gcb{};
        const bool has = DGifSavedExtensionToGCB(decoded.gif, 0, &gcb) == GIF_OK &&
                         gcb.TransparentColor != NO_TRANSPARENT_COLOR;
        EXPECT_EQ(has, transparent);
        if (transparent) {
            EXPECT_EQ(gcb.TransparentColor, 2);
        }
        KPXDeleteImage(image);
    }
}

} // namespace

namespace {

// A frame for the table tests: its depth, its palette (entries 0..3 distinct, every later entry
// equal to entry 0; or every entry distinct) and the highest index one of its pixels holds.
struct TableFrame {
    int depth;
    bool fourColours;
    int highest;
};

KpxHandle tableFrame(const TableFrame& f, int seed) {
    const KpxHandle image = KPXCreateImage(5, 3, f.depth);
    if (f.depth <= 8) {
        RGBQUAD* colours = KPXGetBitmapInfoHeader(image)->bmiColors;
        for (int i = 0; i < (1 << f.depth); ++i)
            colours[i] = !f.fourColours || i < 4
                             ? RGBQUAD{static_cast<BYTE>(i * 9 + 1), static_cast<BYTE>(seed),
                                       static_cast<BYTE>(200 - i / 2), 0}
                             : RGBQUAD{1, static_cast<BYTE>(seed), 200, 0};
    }
    // Pixel (0, 0) holds the highest index; the others 0..2.
    for (int x = 0; x < 5; ++x)
        for (int y = 0; y < 3; ++y) {
            const int v = x == 0 && y == 0 ? f.highest : (x + y) % 3;
            std::uint8_t* row = KPXGetBits(image) + (2 - y) * KPXGetScanBytes(image);
            if (f.depth == 8)
                row[x] = static_cast<std::uint8_t>(v);
            else if (f.depth == 4)
                row[x / 2] |= static_cast<std::uint8_t>((x & 1) ? v : v << 4);
            else if (f.depth == 1)
                row[x / 8] |= static_cast<std::uint8_t>(v ? 0x80 >> (x & 7) : 0);
            else
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = static_cast<std::uint8_t>(v * 40);
        }
    return image;
}

} // namespace

// The save looks at a frame's pixels before writing only where the bytes depend on them; the
// tables and code sizes written stay those the used entries ask for. The file's (first frame's)
// table keeps the distinct entries and covers every index the frames sharing it use; with the
// fewest code bits each frame's code size covers its own used entries (and the first frame's
// those of the frames sharing its table).
TEST_F(GifAnimationSave, TablesAndCodeSizesFollowTheEntriesTheFramesUse) {
    struct Case {
        const char* what;
        std::vector<TableFrame> frames;
        std::int32_t flags;
        int globalEntries;
        std::vector<int> codeSizes;
    } const cases[] = {
        {"a later frame on the shared table uses index 40",
         {{8, true, 3}, {8, true, 40}},
         0,
         64,
         {8, 8}},
        {"a later four-bit frame uses index 12", {{8, true, 3}, {4, true, 12}}, 0, 16, {8, 4}},
        {"a later one-bit frame", {{8, true, 3}, {1, true, 1}}, 0, 4, {8, 2}},
        {"a later frame that uses only low indices", {{8, true, 3}, {8, true, 2}}, 0, 4, {8, 8}},
        {"a deep first frame", {{24, false, 3}, {8, true, 2}}, 0, 256, {8, 8}},
        {"fewest bits, shared table", {{8, true, 3}, {8, true, 40}}, 0x400, 64, {6, 6}},
        {"fewest bits, own tables", {{8, false, 3}, {8, false, 40}}, 0x400, 4, {2, 6}},
        {"fewest bits, four and one bits", {{4, true, 9}, {1, true, 1}}, 0x400, 16, {4, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KpxHandle first = 0;
        int seed = 7;
        for (const TableFrame& f : c.frames) {
            // Frames with all entries distinct get colours of their own (a local table).
            const KpxHandle frame = tableFrame(f, f.fourColours ? 7 : seed += 20);
            if (!first)
                first = frame;
            else
                ASSERT_EQ(KPXAddImageFrame(first, frame, -1), 1);
        }
        const std::string path = dir.file("tables.gif");
        ASSERT_EQ(KPXSaveImageFrames(first, path.c_str(), formatNumber(FormatId::Gif), c.flags, 0,
                                     nullptr, nullptr),
                  1);
        KPXDeleteImage(first);
        const std::vector<std::uint8_t> bytes = kfm::test::readFileBytes(path);
        const kpx::gif::GifFileIndex index = kpx::gif::scanGif(bytes);
        ASSERT_EQ(index.frames.size(), c.frames.size());
        EXPECT_EQ(1 << index.globalTableBits, c.globalEntries);
        for (std::size_t k = 0; k < c.frames.size(); ++k)
            EXPECT_EQ(index.frames[k].minimumCodeSize, c.codeSizes[k]) << "frame " << k;
        // Every index lies inside the table the frame is decoded with.
        Decoded decoded;
        slurp(bytes, decoded);
        for (int k = 0; k < decoded.gif->ImageCount; ++k) {
            const SavedImage& image = decoded.gif->SavedImages[k];
            const ColorMapObject* map =
                image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : decoded.gif->SColorMap;
            const int n = image.ImageDesc.Width * image.ImageDesc.Height;
            EXPECT_LT(*std::max_element(image.RasterBits, image.RasterBits + n), map->ColorCount)
                << "frame " << k;
        }
    }
}

// The entry a frame's file makes transparent is never shown: a frame whose table differs from
// the first frame's there alone is written in the file's table (which then reaches that index),
// while a difference at an entry the frame shows still gives it a table of its own.
TEST_F(GifAnimationSave, ATableDifferingOnlyAtTheTransparentEntryIsNotWrittenAgain) {
    struct Case {
        const char* what;
        std::vector<int> changedEntries; // entries of the second frame's table given new colours
        bool localTable;
    } const cases[] = {
        {"only the transparent entry differs", {40}, false},
        {"a shown entry differs", {2}, true},
        {"the transparent entry and a shown one differ", {40, 2}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const KpxHandle first = tableFrame({8, true, 3}, 7);
        setFrameInfo(first, 0, 0, 10, 1, nullptr);
        const KpxHandle second = tableFrame({8, true, 40}, 7);
        for (const int entry : c.changedEntries)
            KPXGetBitmapInfoHeader(second)->bmiColors[entry] = RGBQUAD{224, 224, 224, 0};
        KPXFillDIBColorTable(second);
        setFrameInfo(second, 0, 0, 10, 1, nullptr, kKpxTransparencyIndexFlag | 40);
        ASSERT_EQ(KPXAddImageFrame(first, second, -1), 1);
        const std::string path = dir.file("transparent-entry.gif");
        ASSERT_EQ(KPXSaveImageFrames(first, path.c_str(), formatNumber(FormatId::Gif), 0, 0,
                                     nullptr, nullptr),
                  1);
        KPXDeleteImage(first);
        Decoded decoded;
        slurp(kfm::test::readFileBytes(path), decoded);
        ASSERT_EQ(decoded.gif->ImageCount, 2);
        const SavedImage& image = decoded.gif->SavedImages[1];
        EXPECT_EQ(image.ImageDesc.ColorMap != nullptr, c.localTable);
        GraphicsControlBlock gcb{};
        ASSERT_EQ(DGifSavedExtensionToGCB(decoded.gif, 1, &gcb), GIF_OK);
        EXPECT_EQ(gcb.TransparentColor, 40);
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : decoded.gif->SColorMap;
        EXPECT_GT(map->ColorCount, 40) << "the transparent index lies inside the table";
        // The entries the frame shows keep their colours.
        const std::vector<int> shown = {0, 1, 2};
        for (const int entry : shown) {
            const bool changed = std::find(c.changedEntries.begin(), c.changedEntries.end(),
                                           entry) != c.changedEntries.end();
            EXPECT_EQ(map->Colors[entry].Blue, changed ? 224 : entry * 9 + 1) << entry;
        }
    }
}
