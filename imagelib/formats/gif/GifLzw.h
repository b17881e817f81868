#pragma once
// LZW coding of GIF image data. The decoder reads a chain of data sub-blocks and hands out index
// rows in file order (top to bottom, or the four interlace passes); the encoder turns index rows
// into a minimum-code-size byte and a sub-block chain. Both work on caller-owned memory and never
// read or write outside the spans they are given.

#include <cstdint>
#include <span>
#include <vector>

#include "ByteSource.h"
#include "CodecStatus.h"

namespace kpx::gif {

// Outcome of a coding run:
// - Ok: the end code was reached (decoding) or the data is complete (encoding);
// - Damaged (decoding): bad code or code size, missing terminator, truncated or short sub-block;
// - OutOfMemory: the code tables could not be allocated;
// - Unsupported (encoding): code size outside 2..8, or an index the code size cannot carry;
// - Stopped: the row sink or source asked to stop.

enum class RowOrder { Sequential, Interlaced };

// The rows of an image in file order: 0..height-1, or with interlacing the passes starting at
// rows 0, 4, 2, 1 with steps 8, 8, 4, 2 (passes whose first row lies past the height are skipped).
class RowSequence {
public:
    RowSequence(int height, RowOrder order);
    bool done() const { return row_ < 0; }
    int row() const { return row_; }
    void advance();

private:
    int height_;
    bool interlaced_;
    int pass_ = 0;
    int row_;
};

// Receives decoded rows. rowBuffer hands the decoder the memory for one row (at least width
// bytes; a shorter span stops the decoder); rowDone says that row is complete and returns false
// to stop decoding.
class LzwRowSink {
public:
    virtual ~LzwRowSink() = default;
    virtual std::span<std::uint8_t> rowBuffer(int row) = 0;
    virtual bool rowDone(int row) = 0;
};

// Supplies the index rows to encode (one byte per pixel, at least width bytes); a shorter span
// stops the encoder.
class LzwRowSource {
public:
    virtual ~LzwRowSource() = default;
    virtual std::span<const std::uint8_t> row(int row) = 0;
};

struct LzwDecodeResult {
    CodecStatus status = CodecStatus::Ok;
    int rowsDone = 0; // rows handed to rowDone, in file order
};

// Decodes the sub-block chain that follows the minimum-code-size byte (the span starts at the
// first length byte). Codes may start without a clear code; a full table (4096 entries) stays in
// use with 12-bit codes until a clear code arrives. Pixels beyond the last row are dropped.
LzwDecodeResult decodeLzw(std::span<const std::uint8_t> subBlocks, int minimumCodeSize, int width,
                          int height, RowOrder order, LzwRowSink& sink);
// The same for a chain that arrives in pieces (read from a file a piece at a time).
LzwDecodeResult decodeLzw(ByteChunks& subBlocks, int minimumCodeSize, int width, int height,
                          RowOrder order, LzwRowSink& sink);

// Decodes into a top-down buffer of width x height indices (rows placed by the interlace order).
// Rows the data does not reach are left as they were.
LzwDecodeResult decodeLzwImage(std::span<const std::uint8_t> subBlocks, int minimumCodeSize,
                               int width, int height, RowOrder order,
                               std::span<std::uint8_t> pixels);

// Encodes height rows of width indices, appending the minimum-code-size byte, the sub-blocks
// (255 bytes each but the last) and the terminator to out. minimumCodeSize 1 is raised to 2.
CodecStatus encodeLzw(LzwRowSource& source, int width, int height, int minimumCodeSize,
                      RowOrder order, std::vector<std::uint8_t>& out);

// Encodes a top-down buffer of width x height indices.
CodecStatus encodeLzwImage(std::span<const std::uint8_t> pixels, int width, int height,
                           int minimumCodeSize, RowOrder order, std::vector<std::uint8_t>& out);

} // namespace kpx::gif
