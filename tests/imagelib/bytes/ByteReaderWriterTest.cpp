#include "ByteReader.h"
#include "ByteWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using kpx::ByteReader;
using kpx::ByteWriter;

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ByteReader, ReadsLittleEndianFieldsInOrder) {
    const Bytes data = {0x7F, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F};
    ByteReader in(data);
    EXPECT_EQ(in.u8(), 0x7F);
    EXPECT_EQ(in.u16le(), 0x1234);
    EXPECT_EQ(in.u32le(), 0x12345678u);
    EXPECT_EQ(in.i16le(), -2);
    EXPECT_EQ(in.f64le(), 1.0);
    EXPECT_TRUE(in.atEnd());
    EXPECT_FALSE(in.truncated());
}

TEST(ByteReader, SignedReadsExtendTheSign) {
    const Bytes data = {0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFF};
    ByteReader in(data);
    EXPECT_EQ(in.i16le(), INT16_MIN);
    EXPECT_EQ(in.i32le(), -1);
}

// Every kind of read that asks for more than is left: it yields nothing, the cursor goes to the
// end, and every later read fails too, however small.
TEST(ByteReader, TruncationIsStickyForEveryKindOfRead) {
    struct Case {
        const char* name;
        void (*overRead)(ByteReader&);
    };
    const Case cases[] = {
        {"u16le", [](ByteReader& r) { EXPECT_EQ(r.u16le(), 0); }},
        {"u32le", [](ByteReader& r) { EXPECT_EQ(r.u32le(), 0u); }},
        {"f64le", [](ByteReader& r) { EXPECT_EQ(r.f64le(), 0.0); }},
        {"bytes", [](ByteReader& r) { EXPECT_TRUE(r.bytes(4).empty()); }},
        {"skip", [](ByteReader& r) { r.skip(4); }},
        {"subReader", [](ByteReader& r) { EXPECT_EQ(r.subReader(4).remaining(), 1u); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes data = {0x01, 0x02, 0x03};
        ByteReader in(data);
        EXPECT_EQ(in.u16le(), 0x0201);
        c.overRead(in);
        EXPECT_TRUE(in.truncated());
        EXPECT_TRUE(in.atEnd());
        EXPECT_EQ(in.u8(), 0) << "the byte the failed read left must not be handed out";
        EXPECT_TRUE(in.truncated());
    }
}

TEST(ByteReader, ReadingExactlyToTheEndIsNoTruncation) {
    const Bytes data = {1, 2, 3, 4};
    ByteReader in(data);
    EXPECT_EQ(in.bytes(4).size(), 4u);
    EXPECT_TRUE(in.atEnd());
    EXPECT_FALSE(in.truncated());
    EXPECT_EQ(in.peek(), 0);
    EXPECT_FALSE(in.truncated()) << "peeking at the end reads nothing";
}

TEST(ByteReader, SubReaderSeesOnlyItsChunk) {
    const Bytes data = {0xAA, 0x01, 0x02, 0x03, 0xBB};
    ByteReader in(data);
    in.skip(1);
    ByteReader chunk = in.subReader(3);
    EXPECT_EQ(in.position(), 4u);
    EXPECT_EQ(in.u8(), 0xBB) << "the outer reader steps over the chunk";
    EXPECT_EQ(chunk.remaining(), 3u);
    EXPECT_EQ(chunk.u16le(), 0x0201);
    EXPECT_EQ(chunk.u16le(), 0) << "the chunk ends at its own size, not at the outer data's";
    EXPECT_TRUE(chunk.truncated());
    EXPECT_FALSE(in.truncated()) << "a chunk's truncation stays in the chunk";
}

TEST(ByteReader, ShortSubReaderHoldsWhatThereIsAndTruncatesTheOuterReader) {
    const Bytes data = {1, 2};
    ByteReader in(data);
    ByteReader chunk = in.subReader(5);
    EXPECT_TRUE(in.truncated());
    EXPECT_FALSE(chunk.truncated());
    EXPECT_EQ(chunk.u16le(), 0x0201);
}

TEST(ByteReader, ZeroPaddedFillsTheMissingBytesAndCutsLongInput) {
    const Bytes shortInput = {1, 2};
    EXPECT_EQ((kpx::zeroPadded<4>(shortInput)), (std::array<std::uint8_t, 4>{1, 2, 0, 0}));
    const Bytes longInput = {1, 2, 3, 4, 5};
    EXPECT_EQ((kpx::zeroPadded<4>(longInput)), (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
}

TEST(ByteWriter, AppendsLittleEndianFieldsThatReadBack) {
    Bytes out = {0xEE};
    ByteWriter w(out);
    w.u8(0x7F);
    w.u16le(0x1234);
    w.u32le(0x12345678);
    w.i16le(-2);
    w.i32le(-1);
    w.f64le(-0.5);
    w.text("GIF");
    w.zeros(2);
    const Bytes head = {0xEE, 0x7F, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF};
    ASSERT_EQ(out.size(), 1u + 1 + 2 + 4 + 2 + 4 + 8 + 3 + 2);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), out.begin()));

    ByteReader in(out);
    in.skip(1 + 1 + 2 + 4 + 2);
    EXPECT_EQ(in.i32le(), -1);
    EXPECT_EQ(in.f64le(), -0.5);
    const auto text = in.bytes(3);
    EXPECT_EQ(std::string(text.begin(), text.end()), "GIF");
    EXPECT_EQ(in.u16le(), 0);
    EXPECT_FALSE(in.truncated());
}

} // namespace
