// The block scanner: the details list, the frame index it keeps, palettes, and damaged files.

#include <gtest/gtest.h>

#include <cstring>

#include "GifBlocks.h"
#include "GifTestFiles.h"

using kpx::CodecStatus;
using namespace kpx::gif;
using namespace kfm::test::gif;

namespace {

// A small image's data: a 2 x 2 image of index 1 at code size 2.
void smallImage(Bytes& out, int left = 0, int top = 0, std::uint8_t packed = 0) {
    descriptor(out, left, top, 2, 2, packed);
    out.push_back(2);
    out.insert(out.end(), {0x02, 0x0C, 0x0A, 0x00}); // clear, 1, 6(=1 1), 1... end
}

Bytes twoImageFile() {
    Bytes f = header(8, 6, 2);
    graphicControl(f, 0x01 | (2 << 2), 30, 3);
    smallImage(f);
    comment(f, "second");
    smallImage(f, 4, 2);
    f.push_back(0x3B);
    return f;
}

} // namespace

TEST(GifScanner, DetailsListsEveryBlock) {
    Bytes f = header(8, 6, 2);
    const std::string longText(50, 'x');
    comment(f, longText);
    graphicControl(f, 0x01, 10, 2);
    smallImage(f);
    f.push_back(0x3B);
    std::vector<BlockEntry> list;
    const GifFileIndex index = scanGif(f, {.list = &list});
    ASSERT_EQ(index.status, CodecStatus::Ok);
    ASSERT_EQ(list.size(), 5u);
    const BlockKind kinds[] = {BlockKind::Header, BlockKind::GlobalColorTable, BlockKind::Comment,
                               BlockKind::GraphicControl, BlockKind::Image};
    std::size_t offset = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].kind, kinds[i]) << i;
        EXPECT_EQ(static_cast<std::size_t>(list[i].offset), offset) << i;
        offset += static_cast<std::size_t>(list[i].size);
    }
    EXPECT_EQ(offset, f.size() - 1); // everything but the trailer
    EXPECT_STREQ(list[0].text.data(), "GIF89a");
    EXPECT_EQ(list[0].width, 8);
    EXPECT_EQ(list[1].bits, 2);
    EXPECT_EQ(std::string(list[2].text.data()), std::string(45, 'x') + "..");
    EXPECT_EQ(list[3].bits, 0x01);
    EXPECT_EQ(list[4].width, 2);
    EXPECT_EQ(list[4].size, 10 + 1 + 4);
}

TEST(GifScanner, ListRespectsItsCapacity) {
    Bytes f = header(8, 6, 2);
    for (int i = 0; i < 20; ++i)
        comment(f, "c");
    smallImage(f);
    std::vector<BlockEntry> list;
    const GifFileIndex index = scanGif(f, {.list = &list, .listCapacity = 4});
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(index.frames.size(), 1u);
}

TEST(GifScanner, IndexRemembersWhereEachFrameStarts) {
    const Bytes f = twoImageFile();
    const GifFileIndex index = scanGif(f);
    ASSERT_EQ(index.frames.size(), 2u);
    const FrameLocation& a = index.frames[0];
    const FrameLocation& b = index.frames[1];
    EXPECT_EQ(a.runStart, 13u + 12u);
    EXPECT_EQ(f[a.descriptor], 0x2C);
    EXPECT_EQ(b.runStart, a.dataEnd);
    EXPECT_EQ(f[b.descriptor], 0x2C);
    EXPECT_EQ(b.left, 4);
    EXPECT_EQ(b.top, 2);
    EXPECT_TRUE(a.dataComplete);
    // A graphic control belongs to the next image only: the second image has none of its own.
    EXPECT_EQ(a.control.delay, 30);
    EXPECT_EQ(a.control.transparent, transparentIndexColor(3));
    EXPECT_EQ(a.control.disposal, 2);
    EXPECT_EQ(b.control.delay, 0);
    EXPECT_EQ(b.control.transparent, kNoTransparency);
    EXPECT_EQ(b.control.disposal, 0);
    EXPECT_EQ(index.trailingRunStart, b.dataEnd);
    EXPECT_EQ(f[index.scanEnd], 0x3B);
}

TEST(GifScanner, PalettesFollowTheTableRule) {
    Bytes f = header(4, 4, 2);
    f[13 + 3 * 0] = 9; // entry 0 red
    smallImage(f);
    const GifFileIndex withTable = scanGif(f);
    EXPECT_EQ(withTable.palette[0], 9);
    EXPECT_EQ(withTable.palette[3 * 3], 255); // entry 3 of the grey table
    EXPECT_EQ(withTable.palette[3 * 4], 9);   // entries after the table copy entry 0
    EXPECT_EQ(withTable.palette[3 * 255], 9);

    Bytes bare = {'G', 'I', 'F', '8', '7', 'a', 4, 0, 4, 0, 0x00, 0, 0};
    smallImage(bare);
    const GifFileIndex noTable = scanGif(bare);
    EXPECT_EQ(noTable.status, CodecStatus::Ok);
    EXPECT_EQ(noTable.description, "GIF87a");
    EXPECT_EQ(noTable.globalTableBits, 0);
    EXPECT_EQ(noTable.palette[0], 0);
    EXPECT_EQ(noTable.palette[3], 255);
    EXPECT_EQ(noTable.palette[5], 255);
    EXPECT_EQ(noTable.frames.size(), 1u);

    // A local table replaces the palette for its frame only.
    Bytes local = header(4, 4, 1);
    descriptor(local, 0, 0, 2, 2, 0x80);
    local.insert(local.end(), {10, 20, 30, 40, 50, 60});
    local.insert(local.end(), {2, 0x02, 0x0C, 0x0A, 0x00});
    const GifFileIndex li = scanGif(local);
    ASSERT_EQ(li.frames.size(), 1u);
    const auto palette = framePalette(local, li, li.frames[0]);
    EXPECT_EQ(palette[0], 10);
    EXPECT_EQ(palette[5], 60);
    EXPECT_EQ(palette[6], 10);
}

TEST(GifScanner, FillBytesAreSkippedAndOtherBytesEndTheFile) {
    Bytes f = header(4, 4, 2);
    f.insert(f.end(), {0xFF, 0xFF});
    smallImage(f);
    f.push_back(0x00); // not a block: the scan ends here
    smallImage(f);
    const GifFileIndex index = scanGif(f);
    EXPECT_EQ(index.status, CodecStatus::Ok);
    EXPECT_EQ(index.frames.size(), 1u);
}

TEST(GifScanner, LoopingBlockIsReadInAnyCase) {
    Bytes f = header(4, 4, 2);
    f.insert(f.end(), {0x21, 0xFF, 0x0B});
    for (char c : std::string("netscape2.0"))
        f.push_back(static_cast<std::uint8_t>(c));
    f.insert(f.end(), {0x03, 0x01, 0x05, 0x00, 0x00});
    smallImage(f);
    const GifFileIndex index = scanGif(f);
    EXPECT_EQ(index.loopCountAtFirstImage, 5);
    EXPECT_EQ(index.loopCount, 5);
    EXPECT_EQ(scanGif(twoImageFile()).loopCountAtFirstImage, -1);
}

TEST(GifScanner, DamagedFilesEndWithTheirResultCode) {
    const Bytes good = twoImageFile();
    const GifFileIndex full = scanGif(good);
    const std::size_t secondDescriptor = full.frames[1].descriptor;
    struct Case {
        const char* name;
        std::size_t keep;
        CodecStatus status;
        std::size_t frames;
    } const cases[] = {
        {"no header", 12, CodecStatus::Damaged, 0},
        {"global table cut", 20, CodecStatus::Truncated, 0},
        {"descriptor cut", secondDescriptor + 5, CodecStatus::Truncated, 1},
        {"code size missing", secondDescriptor + 10, CodecStatus::Damaged, 1},
        {"data cut", secondDescriptor + 12, CodecStatus::Ok, 2},
        {"trailer missing", good.size() - 1, CodecStatus::Ok, 2},
    };
    for (const Case& c : cases) {
        const Bytes cut(good.begin(), good.begin() + static_cast<long>(c.keep));
        const GifFileIndex index = scanGif(cut);
        EXPECT_EQ(index.status, c.status) << c.name;
        EXPECT_EQ(index.frames.size(), c.frames) << c.name;
    }
    Bytes notGif = good;
    notGif[0] = 'J';
    EXPECT_EQ(scanGif(notGif).status, CodecStatus::Damaged);
    const GifFileIndex cutData =
        scanGif(Bytes(good.begin(), good.begin() + static_cast<long>(secondDescriptor + 12)));
    EXPECT_FALSE(cutData.frames[1].dataComplete);
}

TEST(GifScanner, ScansFromAnOffset) {
    Bytes f = {'j', 'u', 'n', 'k'};
    const Bytes gif = twoImageFile();
    f.insert(f.end(), gif.begin(), gif.end());
    std::vector<BlockEntry> list;
    const GifFileIndex index = scanGif(f, {.offset = 4, .list = &list});
    EXPECT_EQ(index.frames.size(), 2u);
    EXPECT_EQ(list[0].offset, 4);
}

TEST(GifScanner, LongBlockChainsScanInOnePass) {
    // A comment of a million one-byte sub-blocks and a chain that runs off the end.
    Bytes f = header(4, 4, 2);
    f.insert(f.end(), {0x21, 0xFE});
    for (int i = 0; i < 1000000; ++i)
        f.insert(f.end(), {0x01, 'a'});
    f.push_back(0);
    f.insert(f.end(), {0x21, 0x99});
    for (int i = 0; i < 1000; ++i)
        f.insert(f.end(), {0xFF, 0x01});
    const GifFileIndex index = scanGif(f);
    EXPECT_EQ(index.status, CodecStatus::Ok);
    EXPECT_EQ(index.frames.size(), 0u);
    EXPECT_EQ(index.scanEnd, f.size());
}

TEST(GifScanner, VisitorSeesExtensionsOfOneRun) {
    const Bytes f = twoImageFile();
    const GifFileIndex index = scanGif(f);
    struct Recorder : ExtensionVisitor {
        std::vector<std::string> comments;
        int controls = 0;
        void comment(std::string text) override { comments.push_back(text); }
        void graphicControl(const GraphicControl&, std::uint8_t) override { ++controls; }
    } first, second;
    EXPECT_EQ(visitExtensions(f, index.frames[0].runStart, first), index.frames[0].descriptor);
    EXPECT_EQ(first.controls, 1);
    EXPECT_TRUE(first.comments.empty());
    EXPECT_EQ(visitExtensions(f, index.frames[1].runStart, second), index.frames[1].descriptor);
    EXPECT_EQ(second.comments, std::vector<std::string>{"second"});
}

namespace {

// Bytes that are not in memory for the scanner: it reads them through copies and views, a
// window at a time. The size may claim more bytes than there are (a file cut while it is read).
class FileLikeSource final : public kpx::ByteSource {
public:
    explicit FileLikeSource(const Bytes& bytes, std::uint64_t claimedSize = 0)
        : bytes_(bytes), size_(claimedSize ? claimedSize : bytes.size()) {}
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset >= bytes_.size())
            return 0;
        const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - offset);
        std::copy_n(bytes_.begin() + static_cast<long>(offset), n, out.begin());
        return n;
    }

private:
    const Bytes& bytes_;
    std::uint64_t size_;
};

// Three frames of noise large enough that their data and a long comment cross many windows of
// the scanner, with extensions and fill bytes between them.
Bytes largeFile() {
    Bytes f = header(300, 200, 8);
    f.insert(f.end(), {0x21, 0xFF, 0x0B});
    f.insert(f.end(), {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 5, 0, 0});
    comment(f, std::string(100000, 'c'));
    for (int i = 0; i < 3; ++i) {
        graphicControl(f, 0x04 | (i & 1), 10 * i, i);
        f.push_back(0xFF); // a fill byte
        descriptor(f, 0, 0, 300, 200, 0);
        encodeLzwImage(indexImage(300, 200, 8, Content::Noise, static_cast<unsigned>(i)), 300, 200,
                       8, RowOrder::Sequential, f);
    }
    comment(f, "after");
    f.push_back(0x3B);
    return f;
}

} // namespace

TEST(GifScanner, FileReadAWindowAtATimeScansAsInMemory) {
    const Bytes f = largeFile();
    ASSERT_GT(f.size(), 4 * kpx::SourceReader::kWindow);
    std::vector<BlockEntry> listed, listedFromFile;
    const GifFileIndex memory = scanGif(f, {.list = &listed});
    FileLikeSource source(f);
    const GifFileIndex file = scanGif(source, {.list = &listedFromFile});
    EXPECT_EQ(file.status, memory.status);
    EXPECT_EQ(file.loopCount, 5);
    EXPECT_EQ(file.scanEnd, memory.scanEnd);
    EXPECT_EQ(file.trailingRunStart, memory.trailingRunStart);
    ASSERT_EQ(file.frames.size(), 3u);
    ASSERT_EQ(file.frames.size(), memory.frames.size());
    for (std::size_t i = 0; i < file.frames.size(); ++i) {
        SCOPED_TRACE(i);
        const FrameLocation& a = file.frames[i];
        const FrameLocation& b = memory.frames[i];
        EXPECT_EQ(a.runStart, b.runStart);
        EXPECT_EQ(a.descriptor, b.descriptor);
        EXPECT_EQ(a.dataStart, b.dataStart);
        EXPECT_EQ(a.dataEnd, b.dataEnd);
        EXPECT_EQ(a.control.delay, b.control.delay);
        EXPECT_EQ(a.control.transparent, b.control.transparent);
    }
    ASSERT_EQ(listedFromFile.size(), listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listedFromFile[i].kind, listed[i].kind) << i;
        EXPECT_EQ(listedFromFile[i].offset, listed[i].offset) << i;
        EXPECT_EQ(listedFromFile[i].text, listed[i].text) << i;
    }
}

// A cut file is scanned to where its bytes end: no frame is found past the cut, and no frame
// whose data the cut reaches counts as complete.
TEST(GifScanner, FileCutWhileReadEndsCleanly) {
    const Bytes whole = largeFile();
    const GifFileIndex complete = scanGif(whole);
    for (const std::size_t cut : {std::size_t{20}, complete.frames[0].dataStart + 5000,
                                  complete.frames[2].descriptor + 4, whole.size() - 3}) {
        SCOPED_TRACE(cut);
        const Bytes bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
        FileLikeSource source(bytes, whole.size()); // the size still says the whole file
        const GifFileIndex index = scanGif(source);
        EXPECT_LE(index.frames.size(), complete.frames.size());
        for (const FrameLocation& f : index.frames) {
            EXPECT_LT(f.descriptor, cut);
            if (f.dataComplete)
                EXPECT_LE(f.dataEnd, cut);
        }
    }
}
