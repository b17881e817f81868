// The FLIC span level: the file header, each sub-chunk kind on small hand-made frames, the
// encoders of FlicTestFiles.h round-tripped through the decoder, and damaged sub-chunks.

#include <gtest/gtest.h>

#include <random>

#include "FlicChunks.h"
#include "FlicTestFiles.h"

using namespace kpx::flic;
using flic_test::Bytes;
using kpx::CodecStatus;

namespace {

FileHeader headerOf(const flic_test::Header& h, CodecStatus expected = CodecStatus::Ok) {
    FileHeader header;
    EXPECT_EQ(readFileHeader(flic_test::header(h), header), expected);
    return header;
}

// Applies one frame of these sub-chunks to the canvas.
CodecStatus apply(Canvas& canvas, const std::vector<Bytes>& subChunks) {
    const Bytes frame = flic_test::frameChunk(subChunks);
    return decodeFrame(std::span(frame).subspan(kChunkHeaderSize),
                       static_cast<std::uint16_t>(subChunks.size()), canvas);
}

Bytes row(const Canvas& canvas, int y) {
    const auto at = canvas.pixels.begin() + static_cast<std::ptrdiff_t>(y) * canvas.width;
    return Bytes(at, at + canvas.width);
}

Bytes randomPicture(int w, int h, unsigned seed, int colours) {
    std::mt19937 random(seed);
    Bytes pixels(static_cast<std::size_t>(w) * h);
    for (auto& p : pixels)
        p = static_cast<std::uint8_t>(random() % colours);
    return pixels;
}

// A picture with a few changes from another: flat runs, scattered pixels, whole lines.
Bytes changedPicture(Bytes pixels, int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    for (int i = 0; i < 20; ++i)
        pixels[random() % pixels.size()] = static_cast<std::uint8_t>(random());
    const int y = static_cast<int>(random() % h);
    for (int x = 0; x < w; ++x)
        pixels[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(x / 5);
    return pixels;
}

} // namespace

TEST(FlicHeader, DelayAndFirstFrameFollowTheKindOfFile) {
    struct Case {
        std::uint16_t magic;
        std::uint32_t speed;
        std::uint32_t firstFrame;
        std::uint32_t delay;
        std::uint32_t offset;
    } cases[] = {
        {0xAF11, 5, 0, 71, 128},                  // 1/70 s units, truncated
        {0xAF11, 0, 0, 20, 128},                  // no speed: 20 ms
        {0xAF11, 0xFFFFFFFF, 0, 0xFFFFFFFF, 128}, // never wraps round
        {0xAF12, 171, 2906, 171, 2906},           // milliseconds; the header's frame offset
        {0xAF12, 40, 0, 40, 128},                 // an offset inside the header means 128
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        const FileHeader h =
            headerOf({.magic = c.magic, .speed = c.speed, .firstFrame = c.firstFrame});
        EXPECT_EQ(h.delayMs, c.delay);
        EXPECT_EQ(h.firstFrameOffset, c.offset);
    }
}

TEST(FlicHeader, MagicDepthAndLengthAreChecked) {
    headerOf({.depth = 0});
    headerOf({.magic = 0xAF13}, CodecStatus::Damaged);
    headerOf({.magic = 0xAF13, .depth = 16}, CodecStatus::Damaged); // the magic first
    headerOf({.depth = 16}, CodecStatus::Unsupported);
    headerOf({.depth = 255}, CodecStatus::Unsupported);
    FileHeader h;
    const Bytes bytes = flic_test::header({});
    EXPECT_EQ(readFileHeader(std::span(bytes).first(127), h), CodecStatus::Truncated);
}

TEST(FlicColors, PacketsSkipCountAndStopAtTheLastEntry) {
    Canvas canvas(2, 2);
    // Skip 250, ten entries: only six fit, and that packet ends the chunk.
    Bytes data;
    flic_test::put16(data, 2);
    data.insert(data.end(), {250, 10});
    for (int i = 0; i < 10; ++i)
        data.insert(data.end(), {static_cast<std::uint8_t>(i + 1), 2, 3});
    data.insert(data.end(), {0, 1, 9, 9, 9}); // never read
    EXPECT_EQ(apply(canvas, {flic_test::subChunk(4, data)}), CodecStatus::Ok);
    EXPECT_TRUE(canvas.paletteChanged);
    EXPECT_EQ(canvas.palette[249 * 3], 0);
    EXPECT_EQ(canvas.palette[250 * 3], 1);
    EXPECT_EQ(canvas.palette[255 * 3], 6);
    EXPECT_EQ(canvas.palette[0], 0);

    // 6-bit values are widened by two bits; a count of 0 means all 256; skips add up.
    Canvas six(2, 2);
    flic_test::Palette palette{};
    for (int i = 0; i < 768; ++i)
        palette[i] = static_cast<std::uint8_t>((i % 64) * 4);
    EXPECT_EQ(apply(six, {flic_test::colors(palette, true)}), CodecStatus::Ok);
    EXPECT_EQ(six.palette, palette);
    Bytes skips;
    flic_test::put16(skips, 2);
    skips.insert(skips.end(), {3, 1, 10, 20, 30, 2, 1, 40, 50, 60});
    EXPECT_EQ(apply(six, {flic_test::subChunk(4, skips)}), CodecStatus::Ok);
    EXPECT_EQ(six.palette[3 * 3 + 1], 20);
    EXPECT_EQ(six.palette[6 * 3 + 2], 60);
}

TEST(FlicColors, ColourDataEndingEarlyKeepsTheEntriesItHeld) {
    Canvas canvas(2, 2);
    Bytes data;
    flic_test::put16(data, 1);
    data.insert(data.end(), {0, 3, 7, 8, 9, 10});
    EXPECT_EQ(apply(canvas, {flic_test::subChunk(4, data)}), CodecStatus::Truncated);
    EXPECT_EQ(canvas.palette[2], 9);
    EXPECT_EQ(canvas.palette[3], 10);
    EXPECT_EQ(canvas.palette[4], 0);
}

TEST(FlicPictures, EncodedPicturesDecodeUnchanged) {
    // Odd and even widths, lines longer than one packet, a width past 255 pixels.
    struct Size {
        int w, h;
    } sizes[] = {{1, 1}, {7, 3}, {8, 4}, {300, 5}, {641, 3}};
    for (const Size s : sizes) {
        SCOPED_TRACE(s.w);
        for (const int colours : {2, 256}) {
            const Bytes first = randomPicture(s.w, s.h, 1, colours);
            const Bytes second = changedPicture(first, s.w, s.h, 2);
            Canvas canvas(static_cast<std::uint16_t>(s.w), static_cast<std::uint16_t>(s.h));
            ASSERT_EQ(apply(canvas, {flic_test::byteRun(first, s.w, s.h)}), CodecStatus::Ok);
            EXPECT_EQ(canvas.pixels, first);
            ASSERT_EQ(apply(canvas, {flic_test::deltaFlc(first, second, s.w, s.h)}),
                      CodecStatus::Ok);
            EXPECT_EQ(canvas.pixels, second);
            ASSERT_EQ(apply(canvas, {flic_test::deltaFli(second, first, s.w, s.h)}),
                      CodecStatus::Ok);
            EXPECT_EQ(canvas.pixels, first);
            EXPECT_FALSE(canvas.paletteChanged);
        }
    }
}

TEST(FlicPictures, BlackAndCopyFillTheWholePicture) {
    Canvas canvas(3, 2);
    ASSERT_EQ(apply(canvas, {flic_test::subChunk(16, {1, 2, 3, 4, 5, 6})}), CodecStatus::Ok);
    EXPECT_EQ(canvas.pixels, (Bytes{1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(apply(canvas, {flic_test::subChunk(13, {})}), CodecStatus::Ok);
    EXPECT_EQ(canvas.pixels, Bytes(6, 0));
    // A copy whose data end early sets the pixels it holds.
    EXPECT_EQ(apply(canvas, {flic_test::subChunk(16, {7, 8})}), CodecStatus::Truncated);
    EXPECT_EQ(canvas.pixels, (Bytes{7, 8, 0, 0, 0, 0}));
}

TEST(FlicPictures, RunPacketsAreCutAtTheLineEnd) {
    struct Case {
        const char* name;
        std::uint16_t type;
        Bytes data;
        Bytes expected; // 4 x 3 pixels, starting from all 9
    } cases[] = {
        // Byte runs: a run of 6 fills a line of 4; the packet left of that line is dropped and
        // its first byte read as the next line's count.
        {"run", 15, {2, 6, 1, 2, 5, 3, 1, 2, 3}, {1, 1, 1, 1, 3, 3, 3, 3, 3, 3, 9, 9}},
        // A count of 0 leaves the line as it was.
        {"zero count", 15, {0, 1, 0xFC, 1, 2, 3, 4}, {9, 9, 9, 9, 1, 2, 3, 4, 9, 9, 9, 9}},
        // After an overfilled line a count of 255 decodes every later line until it is full,
        // whatever its own count says.
        {"fill",
         15,
         {2, 5, 1, 255, 2, 4, 0xFE, 5, 6, 0, 4, 7},
         {1, 1, 1, 1, 4, 4, 5, 6, 7, 7, 7, 7}},
        // Without an overfilled line before it, 255 is a packet count like any other.
        {"plain 255", 15, {1, 4, 1, 255, 4, 7, 0, 4, 8}, {1, 1, 1, 1, 7, 7, 7, 7, 9, 9, 9, 9}},
        // Byte delta: line 1 only; a skip then a repeat running past the end.
        {"delta", 12, {1, 0, 1, 0, 1, 2, 0xFA, 3}, {9, 9, 9, 9, 9, 9, 3, 3, 9, 9, 9, 9}},
        // Literal bytes past the end are read but not written.
        {"delta literal",
         12,
         {0, 0, 2, 0, 1, 3, 3, 1, 2, 3, 1, 1, 1, 7},
         {9, 9, 9, 1, 9, 7, 9, 9, 9, 9, 9, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(4, 3);
        std::fill(canvas.pixels.begin(), canvas.pixels.end(), 9);
        apply(canvas, {flic_test::subChunk(c.type, c.data)});
        EXPECT_EQ(canvas.pixels, c.expected);
    }
}

TEST(FlicPictures, WordDeltaSkipsLinesSetsTheLastPixelAndRepeatsPairs) {
    Canvas canvas(5, 4);
    std::fill(canvas.pixels.begin(), canvas.pixels.end(), 9);
    Bytes data;
    flic_test::put16(data, 2);      // two lines with packets
    flic_test::put16(data, 0xFFFF); // skip one line
    flic_test::put16(data, 0x8007); // last pixel of line 1
    flic_test::put16(data, 1);
    data.insert(data.end(), {2, 0xFF, 4, 5}); // skip 2, pair (4, 5) once
    flic_test::put16(data, 1);
    data.insert(data.end(), {4, 1, 6, 7}); // line 2: skip 4, a literal pair cut at the end
    ASSERT_EQ(apply(canvas, {flic_test::subChunk(7, data)}), CodecStatus::Ok);
    EXPECT_EQ(row(canvas, 0), (Bytes{9, 9, 9, 9, 9}));
    EXPECT_EQ(row(canvas, 1), (Bytes{9, 9, 4, 5, 7}));
    EXPECT_EQ(row(canvas, 2), (Bytes{9, 9, 9, 9, 6}));
    EXPECT_EQ(row(canvas, 3), (Bytes{9, 9, 9, 9, 9}));

    // A skip past the last line ends the chunk.
    Bytes past;
    flic_test::put16(past, 1);
    flic_test::put16(past, static_cast<std::uint16_t>(0x10000 - 40));
    flic_test::put16(past, 1);
    past.insert(past.end(), {0, 1, 1, 1});
    EXPECT_EQ(apply(canvas, {flic_test::subChunk(7, past)}), CodecStatus::Ok);
    EXPECT_EQ(row(canvas, 0), (Bytes{9, 9, 9, 9, 9}));
}

TEST(FlicFrames, SubChunksAreReadWithinTheSizesTheyDeclare) {
    Canvas canvas(2, 1);
    // An unknown type is stepped over; a copy declared one byte short sets one pixel only.
    Bytes frame = flic_test::subChunk(18, {1, 2, 3});
    flic_test::append(frame, flic_test::subChunk(16, {5, 6}, 7));
    EXPECT_EQ(decodeFrame(frame, 2, canvas), CodecStatus::Truncated);
    EXPECT_EQ(canvas.pixels, (Bytes{5, 0}));

    // A size smaller than the sub-chunk's own header stops the frame.
    Canvas small(2, 1);
    Bytes tiny = flic_test::subChunk(16, {}, 3);
    flic_test::append(tiny, flic_test::subChunk(16, {1, 1}));
    EXPECT_EQ(decodeFrame(tiny, 2, small), CodecStatus::Damaged);
    EXPECT_EQ(small.pixels, (Bytes{0, 0}));

    // More sub-chunks announced than the frame holds.
    EXPECT_EQ(decodeFrame(flic_test::subChunk(16, {4, 4}), 3, small), CodecStatus::Truncated);
    EXPECT_EQ(small.pixels, (Bytes{4, 4}));
}

TEST(FlicFrames, ChunkHeaderNeedsSixteenBytes) {
    const Bytes chunk = flic_test::frameChunk({flic_test::subChunk(13, {})});
    ChunkHeader h;
    ASSERT_TRUE(readChunkHeader(chunk, h));
    EXPECT_EQ(h.size, 22u);
    EXPECT_EQ(h.type, kFrameChunk);
    EXPECT_EQ(h.subChunks, 1);
    EXPECT_FALSE(readChunkHeader(std::span(chunk).first(15), h));
}
