// LZW coding: row order, interoperability with giflib both ways, hand-made code streams for the
// decoder's edge cases, and damaged data.

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

#include "GifBlocks.h"
#include "GifLzw.h"
#include "GifTestFiles.h"
#include "GiflibOracle.h"

using kpx::CodecStatus;
using namespace kpx::gif;
using namespace kfm::test::gif;
namespace giflib = kfm::test::giflib;

namespace {

std::vector<int> rowsOf(int height, RowOrder order) {
    std::vector<int> rows;
    for (RowSequence seq(height, order); !seq.done(); seq.advance())
        rows.push_back(seq.row());
    return rows;
}

// Decodes the first image of a file with our scanner and decoder.
struct Decoded {
    LzwDecodeResult result;
    std::vector<std::uint8_t> pixels;
};
Decoded decodeFirstImage(const Bytes& file) {
    const GifFileIndex index = scanGif(file);
    EXPECT_EQ(index.status, CodecStatus::Ok);
    EXPECT_FALSE(index.frames.empty());
    if (index.frames.empty())
        return {};
    const FrameLocation& f = index.frames[0];
    Decoded d;
    d.pixels.assign(static_cast<std::size_t>(f.width) * f.height, 0xEE);
    d.result = decodeLzwImage(
        std::span(file).subspan(f.dataStart, f.dataEnd - f.dataStart), f.minimumCodeSize, f.width,
        f.height, f.interlaced() ? RowOrder::Interlaced : RowOrder::Sequential, d.pixels);
    return d;
}

Decoded decodeStream(const Bytes& chain, int codeSize, int width, int height,
                     RowOrder order = RowOrder::Sequential) {
    Decoded d;
    d.pixels.assign(static_cast<std::size_t>(width) * height, 0xEE);
    d.result = decodeLzwImage(chain, codeSize, width, height, order, d.pixels);
    return d;
}

// Walks an encoded stream the way a decoder does and records, for every clear code, the next
// free code at that moment.
std::vector<int> clearPoints(const Bytes& encoded) {
    const int size = encoded[0];
    std::string data = joinSubBlocks(std::span(encoded).subspan(1));
    const int clear = 1 << size;
    int width = size + 1, next = clear + 2, old = -1;
    std::size_t bit = 0;
    std::vector<int> points;
    for (;;) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((static_cast<std::uint8_t>(data[bit / 8]) >> (bit % 8)) & 1) << i;
        if (code == clear) {
            points.push_back(next);
            width = size + 1, next = clear + 2, old = -1;
            continue;
        }
        if (code == clear + 1)
            return points;
        if (old >= 0 && next < 4096 && ++next == (1 << width) && width < 12)
            ++width;
        old = code;
    }
}

} // namespace

TEST(GifRowSequence, InterlacedPassesVisitEachRowOnce) {
    EXPECT_EQ(rowsOf(1, RowOrder::Interlaced), (std::vector<int>{0}));
    EXPECT_EQ(rowsOf(2, RowOrder::Interlaced), (std::vector<int>{0, 1}));
    EXPECT_EQ(rowsOf(3, RowOrder::Interlaced), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(rowsOf(5, RowOrder::Interlaced), (std::vector<int>{0, 4, 2, 1, 3}));
    EXPECT_EQ(rowsOf(10, RowOrder::Interlaced), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
    EXPECT_TRUE(rowsOf(0, RowOrder::Interlaced).empty());
    for (int h = 1; h < 40; ++h) {
        std::vector<int> rows = rowsOf(h, RowOrder::Interlaced);
        std::sort(rows.begin(), rows.end());
        std::vector<int> all(static_cast<std::size_t>(h));
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(rows, all) << "height " << h;
    }
    EXPECT_EQ(rowsOf(3, RowOrder::Sequential), (std::vector<int>{0, 1, 2}));
}

struct InteropCase {
    int width, height, bits;
    bool interlaced;
    Content content;
};

class GifLzwInterop : public ::testing::TestWithParam<InteropCase> {};

TEST_P(GifLzwInterop, OurEncodingDecodesInGiflib) {
    const InteropCase c = GetParam();
    const auto pixels = indexImage(c.width, c.height, c.bits, c.content);
    const Bytes file = singleImageGif(c.width, c.height, c.bits, c.interlaced, pixels);
    const auto decoded = giflib::slurp(file);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->images.size(), 1u);
    EXPECT_EQ(decoded->images[0].indices, pixels);
}

TEST_P(GifLzwInterop, GiflibEncodingDecodesHere) {
    const InteropCase c = GetParam();
    const auto pixels = indexImage(c.width, c.height, c.bits, c.content, 7);
    const Bytes file = giflib::spew(c.width, c.height, c.bits, c.interlaced, pixels);
    const Decoded d = decodeFirstImage(file);
    EXPECT_EQ(d.result.status, CodecStatus::Ok);
    EXPECT_EQ(d.result.rowsDone, c.height);
    EXPECT_EQ(d.pixels, pixels);
}

TEST_P(GifLzwInterop, OurDataIsNoLargerThanGiflibs) {
    const InteropCase c = GetParam();
    const auto pixels = indexImage(c.width, c.height, c.bits, c.content, 3);
    Bytes ours;
    ASSERT_EQ(encodeLzwImage(pixels, c.width, c.height, c.bits,
                             c.interlaced ? RowOrder::Interlaced : RowOrder::Sequential, ours),
              CodecStatus::Ok);
    const Bytes theirs = giflib::spew(c.width, c.height, c.bits, c.interlaced, pixels);
    const GifFileIndex index = scanGif(theirs);
    ASSERT_EQ(index.frames.size(), 1u);
    const std::size_t theirData = index.frames[0].dataEnd - index.frames[0].dataStart + 1;
    EXPECT_LE(ours.size(), theirData);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, GifLzwInterop,
    ::testing::Values(InteropCase{1, 1, 1, false, Content::Flat},
                      InteropCase{1, 3, 8, true, Content::Noise},
                      InteropCase{17, 1, 4, true, Content::Noise},
                      InteropCase{64, 48, 1, false, Content::Noise},
                      InteropCase{63, 47, 2, true, Content::Stripes},
                      InteropCase{50, 50, 3, false, Content::Gradient},
                      InteropCase{33, 65, 4, true, Content::Noise},
                      InteropCase{100, 80, 5, false, Content::Stripes},
                      InteropCase{100, 81, 6, true, Content::Gradient},
                      InteropCase{128, 99, 7, false, Content::Noise},
                      // Noise at 8 bits fills the table many times over: clear codes at 4095.
                      InteropCase{300, 200, 8, false, Content::Noise},
                      InteropCase{301, 199, 8, true, Content::Gradient},
                      InteropCase{500, 400, 8, false, Content::Flat}));

TEST(GifLzwEncoder, ClearsOnceTheNextFreeCodeReaches4095) {
    const auto pixels = indexImage(200, 200, 8, Content::Noise);
    Bytes encoded;
    ASSERT_EQ(encodeLzwImage(pixels, 200, 200, 8, RowOrder::Sequential, encoded), CodecStatus::Ok);
    const std::vector<int> clears = clearPoints(encoded);
    ASSERT_GT(clears.size(), 3u);
    EXPECT_EQ(clears[0], 258); // the leading clear
    for (std::size_t i = 1; i < clears.size(); ++i)
        EXPECT_EQ(clears[i], 4095) << "clear " << i;
}

TEST(GifLzwEncoder, OneBitImagesUseCodeSizeTwo) {
    const std::vector<std::uint8_t> pixels = {0, 1, 1, 0, 1, 0};
    Bytes encoded;
    ASSERT_EQ(encodeLzwImage(pixels, 3, 2, 1, RowOrder::Sequential, encoded), CodecStatus::Ok);
    EXPECT_EQ(encoded[0], 2);
    EXPECT_EQ(decodeStream(Bytes(encoded.begin() + 1, encoded.end()), 2, 3, 2).pixels, pixels);
}

TEST(GifLzwEncoder, RefusesWhatTheCodeSizeCannotCarry) {
    Bytes out;
    const std::vector<std::uint8_t> pixels = {0, 1, 4};
    EXPECT_EQ(encodeLzwImage(pixels, 3, 1, 2, RowOrder::Sequential, out), CodecStatus::Unsupported);
    EXPECT_EQ(encodeLzwImage(pixels, 3, 1, 9, RowOrder::Sequential, out), CodecStatus::Unsupported);
    EXPECT_EQ(encodeLzwImage(pixels, 3, 2, 8, RowOrder::Sequential, out), CodecStatus::Stopped);
}

TEST(GifLzwEncoder, InterlacedRowsAreFetchedInPassOrder) {
    struct Recorder : LzwRowSource {
        std::vector<int> rows;
        std::vector<std::uint8_t> row_ = std::vector<std::uint8_t>(4, 0);
        std::span<const std::uint8_t> row(int r) override {
            rows.push_back(r);
            return row_;
        }
    };
    Recorder tall, flat;
    Bytes out;
    encodeLzw(tall, 4, 3, 2, RowOrder::Interlaced, out);
    encodeLzw(flat, 4, 1, 2, RowOrder::Interlaced, out);
    EXPECT_EQ(tall.rows, (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(flat.rows, (std::vector<int>{0}));
}

TEST(GifLzwDecoder, FirstCodeNeedNotBeAClearCode) {
    // Code size 2: clear 4, end 5; "1 2" becomes code 6.
    const Bytes chain = TrackedCodes(2).add({1, 2, 6, 5}).finish();
    const Decoded d = decodeStream(chain, 2, 4, 1);
    EXPECT_EQ(d.result.status, CodecStatus::Ok);
    EXPECT_EQ(d.pixels, (std::vector<std::uint8_t>{1, 2, 1, 2}));
    EXPECT_EQ(giflib::slurp(fileWithChain(4, 1, 2, chain))->images[0].indices, d.pixels);
}

TEST(GifLzwDecoder, FullTableContinuesWithTwelveBitCodesUntilAClear) {
    // Every code 0 after the first adds an entry "0 0" until the table holds 4096 codes.
    TrackedCodes codes(2);
    std::size_t pixels = 0;
    codes.add(4);
    for (; codes.next() < 4096; ++pixels)
        codes.add(0);
    ASSERT_EQ(codes.width(), 12);
    for (int i = 0; i < 10; ++i, pixels += 2)
        codes.add(4000);  // "0 0", no entry added
    codes.add({4, 3, 5}); // the deferred clear, then one pixel at 3-bit width
    ++pixels;
    const Bytes chain = codes.finish();
    const int width = static_cast<int>(pixels);
    const Decoded d = decodeStream(chain, 2, width, 1);
    EXPECT_EQ(d.result.status, CodecStatus::Ok);
    std::vector<std::uint8_t> expected(pixels, 0);
    expected.back() = 3;
    EXPECT_EQ(d.pixels, expected);
    const auto theirs = giflib::slurp(fileWithChain(width, 1, 2, chain));
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(theirs->images[0].indices, expected);
}

TEST(GifLzwDecoder, StringsCrossRowsAndExtraPixelsAreDropped) {
    const auto pixels = indexImage(7, 5, 2, Content::Flat);
    Bytes encoded;
    encodeLzwImage(pixels, 7, 5, 2, RowOrder::Sequential, encoded);
    const Bytes chain(encoded.begin() + 1, encoded.end());
    EXPECT_EQ(decodeStream(chain, 2, 7, 5).pixels, pixels);
    // Fewer rows than the data holds: the surplus is dropped, nothing written past the buffer.
    const Decoded d = decodeStream(chain, 2, 7, 3);
    EXPECT_EQ(d.result.status, CodecStatus::Ok);
    EXPECT_EQ(d.result.rowsDone, 3);
    // No rows at all (a zero-size image) still reads to the end code.
    EXPECT_EQ(decodeStream(chain, 2, 0, 0).result.status, CodecStatus::Ok);
}

struct DamageCase {
    const char* name;
    Bytes chain;
    int codeSize;
    int rowsExpected;
};

TEST(GifLzwDecoder, DamagedDataKeepsTheRowsDecodedSoFar) {
    const Bytes good = TrackedCodes(2).add({4, 1, 1, 2, 2, 5}).finish();
    Bytes longBlock = TrackedCodes(2).add({4, 1, 1, 2}).finish(255, false);
    longBlock[0] = 40; // announces more bytes than the data holds
    const DamageCase cases[] = {
        {"code past the table", TrackedCodes(2).add({4, 1, 1, 2, 9, 5}).finish(), 2, 1},
        {"new code without an old one", TrackedCodes(2).add({4, 6, 5}).finish(), 2, 0},
        {"terminator before the end code", TrackedCodes(2).add({1, 1, 2}).finish(), 2, 1},
        {"chain without a terminator", TrackedCodes(2).add({1, 1, 2}).finish(255, false), 2, 1},
        {"sub-block longer than the data", longBlock, 2, 1},
        {"zero-length sub-block first", Bytes{0, 5, 1, 2, 3, 4, 5}, 2, 0},
        {"empty chain", Bytes{}, 2, 0},
        {"code size 0", good, 0, 0},
        {"code size 9", good, 9, 0},
    };
    for (const DamageCase& c : cases) {
        const Decoded d = decodeStream(c.chain, c.codeSize, 3, 2);
        EXPECT_EQ(d.result.status, CodecStatus::Damaged) << c.name;
        EXPECT_EQ(d.result.rowsDone, c.rowsExpected) << c.name;
    }
    const Decoded d = decodeStream(good, 2, 2, 2);
    EXPECT_EQ(d.result.status, CodecStatus::Ok);
    EXPECT_EQ(d.pixels, (std::vector<std::uint8_t>{1, 1, 2, 2}));
}

TEST(GifLzwDecoder, SinkCanStopAfterAnyRow) {
    struct Stopper : LzwRowSink {
        std::vector<std::uint8_t> row = std::vector<std::uint8_t>(8);
        int allowed = 2, seen = 0;
        std::span<std::uint8_t> rowBuffer(int) override { return row; }
        bool rowDone(int) override { return ++seen < allowed; }
    } sink;
    const auto pixels = indexImage(8, 6, 3, Content::Noise);
    Bytes encoded;
    encodeLzwImage(pixels, 8, 6, 3, RowOrder::Sequential, encoded);
    const LzwDecodeResult r =
        decodeLzw(std::span(encoded).subspan(1), 3, 8, 6, RowOrder::Sequential, sink);
    EXPECT_EQ(r.status, CodecStatus::Stopped);
    EXPECT_EQ(r.rowsDone, 1);
    // A row buffer shorter than the width stops the decoder before it writes.
    std::vector<std::uint8_t> small(10);
    EXPECT_EQ(
        decodeLzwImage(std::span(encoded).subspan(1), 3, 8, 6, RowOrder::Sequential, small).status,
        CodecStatus::Stopped);
}

namespace {

// A run in memory handed out `piece` bytes at a time.
class Pieces final : public kpx::ByteChunks {
public:
    Pieces(std::span<const std::uint8_t> bytes, std::size_t piece) : rest_(bytes), piece_(piece) {}
    std::span<const std::uint8_t> next() override {
        const auto out = rest_.first(std::min(piece_, rest_.size()));
        rest_ = rest_.subspan(out.size());
        return out;
    }

private:
    std::span<const std::uint8_t> rest_;
    std::size_t piece_;
};

class Rows final : public LzwRowSink {
public:
    Rows(int width, int height)
        : width_(static_cast<std::size_t>(width)),
          pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xEE) {}
    std::span<std::uint8_t> rowBuffer(int row) override {
        return std::span(pixels).subspan(static_cast<std::size_t>(row) * width_, width_);
    }
    bool rowDone(int) override { return true; }

private:
    std::size_t width_;

public:
    std::vector<std::uint8_t> pixels;
};

} // namespace

// Image data read from a file a piece at a time: sub-blocks and codes that cross the pieces'
// ends decode as in one piece, whole or cut short.
TEST(GifLzwDecoder, DataInPiecesDecodesAsInOnePiece) {
    struct Case {
        int width, height, bits;
        Content content;
        RowOrder order;
    } const cases[] = {{97, 61, 8, Content::Noise, RowOrder::Sequential},
                       {300, 200, 3, Content::Flat, RowOrder::Sequential},
                       {64, 90, 5, Content::Gradient, RowOrder::Interlaced}};
    for (const Case& c : cases) {
        Bytes encoded;
        encodeLzwImage(indexImage(c.width, c.height, c.bits, c.content), c.width, c.height, c.bits,
                       c.order, encoded);
        const auto data = std::span<const std::uint8_t>(encoded).subspan(1);
        for (const std::size_t length : {data.size(), data.size() / 2}) {
            const auto run = data.first(length);
            Rows whole(c.width, c.height);
            const LzwDecodeResult expected =
                decodeLzw(run, encoded[0], c.width, c.height, c.order, whole);
            for (const std::size_t piece : {1u, 2u, 3u, 7u, 254u, 255u, 256u, 4000u}) {
                SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " length "
                                                << length << " piece " << piece);
                Pieces pieces(run, piece);
                Rows rows(c.width, c.height);
                const LzwDecodeResult result =
                    decodeLzw(pieces, encoded[0], c.width, c.height, c.order, rows);
                EXPECT_EQ(result.status, expected.status);
                EXPECT_EQ(result.rowsDone, expected.rowsDone);
                EXPECT_EQ(rows.pixels, whole.pixels);
            }
        }
    }
}

// A thread keeps its coding tables from one image for the next: what an image left in them
// never shows in the next one, whatever its code size, and a code the next image has not made
// yet is still damaged data.
TEST(GifLzwCoding, TablesKeptBetweenImagesStartEmpty) {
    const auto full = indexImage(300, 200, 8, Content::Noise);
    const auto small = indexImage(9, 8, 3, Content::Gradient);
    const auto encodeOnce = [](const std::vector<std::uint8_t>& pixels, int w, int h, int bits) {
        Bytes out;
        EXPECT_EQ(encodeLzwImage(pixels, w, h, bits, RowOrder::Sequential, out), CodecStatus::Ok);
        return out;
    };
    // The small image alone, on a thread whose tables served nothing before.
    Bytes alone;
    std::thread([&] { alone = encodeOnce(small, 9, 8, 3); }).join();
    // Here after an image that filled the tables many times over.
    const Bytes large = encodeOnce(full, 300, 200, 8);
    EXPECT_EQ(decodeStream(Bytes(large.begin() + 1, large.end()), 8, 300, 200).pixels, full);
    EXPECT_EQ(encodeOnce(small, 9, 8, 3), alone);
    EXPECT_EQ(decodeStream(Bytes(alone.begin() + 1, alone.end()), 3, 9, 8).pixels, small);

    // The single pixels the small image's strings overwrote (codes 10 and up) are single
    // pixels again for the next image of a larger code size.
    const Decoded again = decodeStream(Bytes(large.begin() + 1, large.end()), 8, 300, 200);
    ASSERT_EQ(again.result.status, CodecStatus::Ok);
    EXPECT_EQ(again.pixels, full);
    // Code size 2 (clear 4, end 5): code 7 is not made before code 6 is, whatever an earlier
    // image's table held at 7.
    const Decoded early = decodeStream(TrackedCodes(2).add({4, 1, 7, 5}).finish(), 2, 4, 1);
    EXPECT_EQ(early.result.status, CodecStatus::Damaged);
}
