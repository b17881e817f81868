#pragma once
// The run-length compressions of bitmaps, RLE8 and RLE4. Rows are stored bottom row first. A
// pair (n, v) with n > 0 repeats v (RLE8) or its two nibbles in turn (RLE4) n times; an escape
// 0 then: 0 ends the row, 1 ends the bitmap, 2 moves right and up by the next two bytes, and
// n >= 3 gives n pixels as they are, padded to a whole 16-bit word. Pixels the data skips are
// index 0; pixels past the row's end are dropped.

#include <cstdint>
#include <span>

#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::bmp {

struct RleResult {
    // Ok when the end-of-bitmap escape or the last row was reached, Truncated when the data ends
    // before, Damaged when a move leaves the picture, Stopped when the sink asked to stop.
    CodecStatus status = CodecStatus::Ok;
    int rowsDone = 0;
    // Pixels the data reached. Pixels that row ends and moves pass over count for at most what
    // a run of the escape's length could give (255 for two bytes), so skips alone never make a
    // few bytes reach a huge picture.
    std::uint64_t reached = 0;
};

// Decodes into index rows (one byte a pixel) handed to the sink with their number from the top.
// Rows the data does not reach are not handed on. bits is 8 (RLE8) or 4 (RLE4).
RleResult decodeRle(std::span<const std::uint8_t> data, int width, int height, int bits,
                    RowSink& sink);

// The same walk without pixels: how far the data reaches.
RleResult measureRle(std::span<const std::uint8_t> data, int width, int height, int bits);

} // namespace kpx::bmp
