#include "GifOwnBlocks.h"

#include "ObjectRecordBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kpx::gif::Bytes;

// Splits a block written by the writers back into its sub-blocks (after the 14-byte header of
// an application extension), checking the terminator.
std::vector<std::vector<std::uint8_t>> subBlocksOf(const Bytes& block, std::size_t start) {
    std::vector<std::vector<std::uint8_t>> blocks;
    std::size_t at = start;
    while (at < block.size() && block[at] != 0) {
        const std::size_t n = block[at];
        blocks.emplace_back(block.begin() + static_cast<std::ptrdiff_t>(at + 1),
                            block.begin() + static_cast<std::ptrdiff_t>(at + 1 + n));
        at += 1 + n;
    }
    EXPECT_EQ(at + 1, block.size()) << "one terminator, at the end";
    return blocks;
}

std::vector<std::span<const std::uint8_t>> spans(const std::vector<std::vector<std::uint8_t>>& b) {
    return {b.begin(), b.end()};
}

constexpr std::size_t kAppHeader = 14; // 0x21 0xFF 0x0B and 11 identifier bytes

TEST(GifOwnBlocks, TextSplitsAt255) {
    const struct {
        std::size_t length;
        std::vector<std::size_t> blocks;
    } cases[] = {{255, {255}}, {256, {255, 1}}, {510, {255, 255}}, {1, {1}}};
    for (const auto& c : cases) {
        Bytes out;
        kpx::gif::appendSubBlocks(out, std::string(c.length, 'x'));
        out.push_back(0);
        const auto blocks = subBlocksOf(out, 0);
        std::vector<std::size_t> sizes;
        for (const auto& b : blocks)
            sizes.push_back(b.size());
        EXPECT_EQ(sizes, c.blocks) << c.length;
    }
}

TEST(GifOwnBlocks, ApplicationIdentifiersArePaddedToEleven) {
    Bytes out;
    TextObjectRecord text;
    text.text = std::string("Hi");
    kpx::gif::appendTextExtension(out, text);
    const std::string expected("KFMTEXTI5\0\0", 11);
    EXPECT_EQ(out[0], 0x21);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(out[2], 0x0B);
    EXPECT_EQ(std::string(out.begin() + 3, out.begin() + 14), expected);
    EXPECT_EQ(out[kAppHeader], 0x94) << "the 148-byte record";
}

TEST(GifOwnBlocks, TextRecordRoundTrip) {
    TextObjectRecord text;
    text.left = -3;
    text.color = 0x00112233;
    text.kern = 1;
    text.matrix[1] = 0.5;
    text.text = std::string(300, 'q');
    Bytes out;
    kpx::gif::appendTextExtension(out, text);
    const auto blocks = subBlocksOf(out, kAppHeader);
    ASSERT_EQ(blocks.size(), 3u);
    const auto back = kpx::gif::readTextExtension(spans(blocks));
    ASSERT_TRUE(back);
    EXPECT_EQ(kfm::records::writeTextObjectRecord(*back),
              kfm::records::writeTextObjectRecord(text));
    EXPECT_EQ(back->text, text.text);
}

TEST(GifOwnBlocks, ControlWithEmptyFirstText) {
    ControlObjectRecord control;
    control.type = 3;
    control.text = std::string();
    control.caption = std::string("OK");
    Bytes out;
    kpx::gif::appendControlExtension(out, control);
    const Bytes tail(out.begin() + kAppHeader + 1 + 104, out.end());
    EXPECT_EQ(tail, (Bytes{0x01, 0x00, 0x02, 'O', 'K', 0x00}));
    const auto back = kpx::gif::readControlExtension(spans(subBlocksOf(out, kAppHeader)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, std::string());
    EXPECT_EQ(back->caption, std::string("OK"));
}

TEST(GifOwnBlocks, ControlFirstTextIsKeptToOneSubBlock) {
    ControlObjectRecord control;
    control.text = std::string(300, 'a');
    control.caption = std::string(10, 'b');
    Bytes out;
    kpx::gif::appendControlExtension(out, control);
    const auto back = kpx::gif::readControlExtension(spans(subBlocksOf(out, kAppHeader)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, std::string(255, 'a'));
    EXPECT_EQ(back->caption, std::string(10, 'b')) << "the second text is not corrupted";
}

TEST(GifOwnBlocks, NpImageArraysTravelInTheirOrder) {
    const struct {
        bool a0, a1, a2, a3;
    } cases[] = {{true, false, true, false}, {false, true, false, true}, {true, true, true, true}};
    for (const auto& c : cases) {
        NPImageObjectRecord record;
        if (c.a0)
            record.pixels24.assign(600, 7);
        if (c.a1)
            record.alpha.assign(300, 8);
        if (c.a2)
            record.maskPixels.assign(10, 9);
        if (c.a3) {
            record.pixels8.assign(256, 10);
            record.palette.assign(256, 0x00102030);
        }
        record.alphaValue = 77;
        Bytes out;
        ASSERT_TRUE(kpx::gif::appendNpImageExtension(out, record));
        const auto back = kpx::gif::readNpImageExtension(spans(subBlocksOf(out, kAppHeader)));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->pixels24, record.pixels24);
        EXPECT_EQ(back->maskPixels, record.maskPixels);
        EXPECT_EQ(back->pixels8, record.pixels8);
        EXPECT_EQ(back->palette, record.palette);
        EXPECT_EQ(back->alphaValue, 77);
    }
}

TEST(GifOwnBlocks, DamagedNpImageKeepsWhatArrived) {
    NPImageObjectRecord record;
    record.pixels24.assign(10, 1);
    record.maskPixels.assign(10, 2);
    Bytes out;
    ASSERT_TRUE(kpx::gif::appendNpImageExtension(out, record));
    auto blocks = subBlocksOf(out, kAppHeader);
    blocks[1].resize(20, 5); // array 0 now arrives longer than its count
    const auto back = kpx::gif::readNpImageExtension(spans(blocks));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->pixels24.empty());
    EXPECT_TRUE(back->maskPixels.empty()) << "no array after the damage is read";
}

TEST(GifOwnBlocks, OldTextRecordConverts) {
    std::vector<std::uint8_t> old(85, 0);
    old[0] = 0xFE; // left -2
    old[1] = 0xFF;
    old[2] = 5; // top 5
    old[4] = 0x11;
    old[8] = 1;     // IsShadow
    old[13] = 0xFD; // shadow x -3
    old[14] = 0xFF;
    old[19] = 1;  // antialias
    old[21] = 12; // lfHeight
    old[21 + 28] = 'A';
    const std::vector<std::vector<std::uint8_t>> blocks = {old, {'H', 'i'}};
    const auto record = kpx::gif::readOldTextExtension(spans(blocks));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->left, -2);
    EXPECT_EQ(record->top, 5);
    EXPECT_EQ(record->color, 0x11u);
    EXPECT_EQ(record->isShadow, 1);
    EXPECT_EQ(record->shadowXOffset, -3);
    EXPECT_EQ(record->antialias, 1);
    EXPECT_EQ(record->font.lfHeight, 12);
    EXPECT_EQ(record->font.lfFaceName[0], 'A');
    EXPECT_EQ(record->text, std::string("Hi"));
}

TEST(GifOwnBlocks, LoopAndTitle) {
    Bytes loop;
    kpx::gif::appendLoopExtension(loop, 0x0102);
    EXPECT_EQ(Bytes(loop.begin() + kAppHeader, loop.end()), (Bytes{3, 1, 0x02, 0x01, 0}));
    Bytes title;
    kpx::gif::appendTitleExtension(title, "a||");
    EXPECT_EQ(Bytes(title.begin() + kAppHeader, title.end()), (Bytes{3, 'a', '|', '|', 0}));
}

} // namespace
