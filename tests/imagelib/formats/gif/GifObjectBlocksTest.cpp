// The library's own application blocks: byte layouts as written, and what the reader makes of
// them (including the older text block and damaged NP-image arrays).

#include <gtest/gtest.h>

#include "GifBlocks.h"
#include "GifObjectBlocks.h"
#include "GifTestFiles.h"
#include "ObjectRecordBytes.h"
#include "ObjectRecordCompare.h"

using namespace kpx::gif;
using namespace kfm::test::gif;

namespace {

constexpr std::size_t kHeaderBytes = 14; // 0x21 0xFF 0x0B and 11 identifier bytes

// Reads blocks placed before a small image back into pending items.
PendingItems readBack(const ByteVector& blocks, bool readExtensions = true) {
    Bytes f = header(2, 2, 1);
    f.insert(f.end(), blocks.begin(), blocks.end());
    descriptor(f, 0, 0, 2, 2, 0);
    f.insert(f.end(), {2, 2, 0x44, 0x01, 0x00, 0x3B});
    const GifFileIndex index = scanGif(f);
    EXPECT_EQ(index.frames.size(), 1u);
    PendingItemsReader reader(readExtensions);
    visitExtensions(f, index.frames.empty() ? 0 : index.frames[0].runStart, reader);
    return std::move(reader.items);
}

Bytes tail(const ByteVector& block, std::size_t from) {
    return Bytes(block.begin() + static_cast<long>(from), block.end());
}

ControlObjectRecord control(std::optional<std::string> text, std::optional<std::string> caption) {
    ControlObjectRecord r;
    r.type = 3;
    r.values[0] = 42;
    r.text = std::move(text);
    r.caption = std::move(caption);
    return r;
}

} // namespace

TEST(GifObjectBlocks, IdentifiersArePaddedToElevenBytes) {
    const ByteVector title = titleBlock("a|");
    EXPECT_EQ(Bytes(title.begin(), title.begin() + 14),
              (Bytes{0x21, 0xFF, 0x0B, 'K', 'F', 'M', 'T', 'I', 'T', 'L', 'E', '4', '.', '0'}));
    EXPECT_EQ(tail(title, 14), (Bytes{0x02, 'a', '|', 0x00}));
    const ByteVector control = controlObjectBlock(::control("", ""));
    EXPECT_EQ(Bytes(control.begin() + 3, control.begin() + 14),
              (Bytes{'K', 'F', 'M', 'C', 'T', 'R', 'L', 'I', '5', 0, 0}));
    EXPECT_EQ(loopBlock(0), (Bytes{0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2',
                                   '.', '0', 0x03, 0x01, 0x00, 0x00, 0x00}));
}

TEST(GifObjectBlocks, TextsSplitIntoSubBlocksOf255) {
    for (const std::size_t length : {std::size_t{255}, std::size_t{256}, std::size_t{600}}) {
        TextObjectRecord record;
        record.left = -7;
        record.text = std::string(length, 't');
        const ByteVector block = textObjectBlock(record);
        ASSERT_EQ(block[kHeaderBytes], 0x94);
        std::size_t at = kHeaderBytes + 1 + 148;
        std::vector<std::size_t> pieces;
        while (block[at] != 0) {
            pieces.push_back(block[at]);
            at += block[at] + 1u;
        }
        EXPECT_EQ(at, block.size() - 1);
        std::size_t sum = 0;
        for (std::size_t p : pieces)
            sum += p;
        EXPECT_EQ(sum, length);
        EXPECT_EQ(pieces.front(), std::min<std::size_t>(255, length));
        const PendingItems back = readBack(block);
        ASSERT_TRUE(back.text);
        EXPECT_TRUE(kfm::records::recordsEqual(*back.text, record)) << length;
    }
}

TEST(GifObjectBlocks, ControlTextsAndTheFirstTextLimit) {
    const ByteVector empty = controlObjectBlock(control("", "OK"));
    EXPECT_EQ(tail(empty, kHeaderBytes + 1 + 104), (Bytes{0x01, 0x00, 0x02, 'O', 'K', 0x00}));
    const PendingItems back = readBack(empty);
    ASSERT_TRUE(back.control);
    EXPECT_EQ(back.control->text, std::optional<std::string>(""));
    EXPECT_EQ(back.control->caption, std::optional<std::string>("OK"));
    EXPECT_EQ(back.control->values[0], 42);

    // A first text longer than one sub-block would hand its tail to the second text on reading:
    // the writer keeps its first 255 characters, and the second text survives intact.
    const std::string longText = std::string(255, 'a') + "TAIL";
    const PendingItems limited = readBack(controlObjectBlock(control(longText, "caption")));
    ASSERT_TRUE(limited.control);
    EXPECT_EQ(limited.control->text, std::optional<std::string>(std::string(255, 'a')));
    EXPECT_EQ(limited.control->caption, std::optional<std::string>("caption"));
    const std::string longCaption(700, 'c');
    const PendingItems longSecond = readBack(controlObjectBlock(control("x", longCaption)));
    EXPECT_EQ(longSecond.control->caption, std::optional<std::string>(longCaption));
}

TEST(GifObjectBlocks, NpImageArraysTravelInTheirOrder) {
    NPImageObjectRecord zeroAndTwo;
    zeroAndTwo.pixels24.assign(300, 7);
    zeroAndTwo.maskPixels.assign(5, 9);
    zeroAndTwo.alphaValue = 12;
    const auto a = npImageObjectBlock(zeroAndTwo);
    ASSERT_TRUE(a);
    // record, array 0 (255 + 45), array 2 (5), one terminator
    std::size_t at = kHeaderBytes + 1 + 64;
    std::vector<int> lengths;
    while ((*a)[at] != 0) {
        lengths.push_back((*a)[at]);
        at += (*a)[at] + 1u;
    }
    EXPECT_EQ(lengths, (std::vector<int>{255, 45, 5}));
    EXPECT_EQ(at, a->size() - 1);
    PendingItems back = readBack(*a);
    ASSERT_TRUE(back.npImage);
    EXPECT_TRUE(kfm::records::recordsEqual(*back.npImage, zeroAndTwo));

    NPImageObjectRecord oneAndThree;
    oneAndThree.alpha.assign(3, 1);
    oneAndThree.pixels8.assign(260, 2);
    oneAndThree.palette = {0x010203, -1, 77};
    const auto b = npImageObjectBlock(oneAndThree);
    ASSERT_TRUE(b);
    back = readBack(*b);
    ASSERT_TRUE(back.npImage);
    EXPECT_TRUE(kfm::records::recordsEqual(*back.npImage, oneAndThree));
}

TEST(GifObjectBlocks, DamagedNpImageArraysKeepWhatTheyReceived) {
    NPImageObjectRecord record;
    record.pixels24.assign(10, 7);
    record.maskPixels.assign(4, 9);
    ByteVector block = *npImageObjectBlock(record);
    // Make the first array's sub-block longer than its count: 10 announced, 12 carried.
    const std::size_t at = kHeaderBytes + 1 + 64;
    ASSERT_EQ(block[at], 10);
    block[at] = 12;
    block.insert(block.begin() + static_cast<long>(at + 1), {1, 1});
    const PendingItems back = readBack(block);
    ASSERT_TRUE(back.npImage);
    EXPECT_TRUE(back.npImage->pixels24.empty());
    EXPECT_TRUE(back.npImage->maskPixels.empty());
}

TEST(GifObjectBlocks, RecordsAreCutOrZeroFilledToTheirSize) {
    // A "KFMTEXTI5" block whose first sub-block is 255 bytes: the record takes 148 of them.
    ByteVector block = {0x21, 0xFF, 0x0B, 'K', 'F', 'M', 'T', 'E', 'X', 'T', 'I', '5', 0, 0, 0xFF};
    for (int i = 0; i < 255; ++i)
        block.push_back(static_cast<std::uint8_t>(i < 4 ? 5 : 0));
    block.insert(block.end(), {0x02, 'h', 'i', 0x00});
    PendingItems back = readBack(block);
    ASSERT_TRUE(back.text);
    EXPECT_EQ(back.text->left, 0x05050505);
    EXPECT_EQ(back.text->text, std::optional<std::string>("hi"));

    // A short control record: the rest reads as zero.
    ByteVector shortControl = {0x21, 0xFF, 0x0B, 'K', 'F',  'M',  'C',  'T',  'R',  'L',
                               'I',  '5',  0,    0,   0x02, 0x04, 0x00, 0x01, 0x00, 0x00};
    back = readBack(shortControl);
    ASSERT_TRUE(back.control);
    EXPECT_EQ(back.control->type, 4u);
    EXPECT_EQ(back.control->text, std::optional<std::string>(""));
    EXPECT_FALSE(back.control->caption);
}

TEST(GifObjectBlocks, OldTextRecordIsConverted) {
    std::vector<std::uint8_t> old(85, 0);
    old[0] = 0xFE, old[1] = 0xFF; // -2
    old[2] = 0x10, old[3] = 0x00; // 16
    old[4] = 0xAA, old[5] = 0xBB, old[6] = 0xCC, old[7] = 0x00;
    old[8] = 0x77;
    old[13] = 0xFD, old[14] = 0xFF; // -3
    old[21] = 0xF4;                 // first LOGFONTA byte
    old[80] = 0x99;                 // last LOGFONTA byte
    const auto converted = convertOldTextRecord(old);
    const std::vector<std::uint8_t> c(converted.begin(), converted.end());
    EXPECT_EQ(Bytes(c.begin(), c.begin() + 12),
              (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0x10, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0x00}));
    EXPECT_EQ(c[124], 0x77);
    EXPECT_EQ(Bytes(c.begin() + 16, c.begin() + 20), (Bytes{0xFD, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(c[28], 0xF4);
    EXPECT_EQ(c[87], 0x99);

    ByteVector block = {0x21, 0xFF, 0x0B, 'K', 'F', 'M', 'T', 'E',
                        'X',  'T',  'I',  '4', '.', '0', 85};
    block.insert(block.end(), old.begin(), old.end());
    block.insert(block.end(), {0x03, 'o', 'l', 'd', 0x00});
    const PendingItems back = readBack(block);
    ASSERT_TRUE(back.text);
    EXPECT_EQ(back.text->left, -2);
    EXPECT_EQ(back.text->top, 16);
    EXPECT_EQ(back.text->text, std::optional<std::string>("old"));
}

TEST(GifObjectBlocks, OwnBlocksAreSkippedWithoutReadExtensionsAndLaterOnesReplace) {
    TextObjectRecord first, second;
    first.text = "one";
    second.text = "two";
    ByteVector blocks = textObjectBlock(first);
    const ByteVector more = textObjectBlock(second);
    blocks.insert(blocks.end(), more.begin(), more.end());
    EXPECT_EQ(readBack(blocks).text->text, std::optional<std::string>("two"));
    EXPECT_FALSE(readBack(blocks, false).text);
}

TEST(GifObjectBlocks, EveryCommentBeforeAnImageIsKept) {
    struct Case {
        std::vector<std::string> comments;
        std::optional<std::string> kept;
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{"one"}, "one"},
        {{"one", "two"}, "one|two"},
        {{"a", "", "c"}, "a||c"},
        {{std::string("cut\0off", 7), "next"}, "cut|next"},
    };
    for (const Case& c : cases) {
        Bytes blocks;
        for (const std::string& text : c.comments)
            comment(blocks, text);
        EXPECT_EQ(readBack(ByteVector(blocks.begin(), blocks.end())).comment, c.kept)
            << c.comments.size();
    }
}
