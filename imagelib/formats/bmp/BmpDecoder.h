#pragma once
// The pixels of a bitmap: uncompressed rows of every depth, bit-field rows and the run-length
// compressions, decoded into rows of indices or blue-green-red(-alpha) bytes.

#include <cstdint>
#include <span>

#include "BmpHeader.h"
#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::bmp {

struct DecodeResult {
    // Ok when every row was decoded; Truncated when the data ends first and Damaged when it
    // cannot be followed (the rows decoded before were handed on); Stopped when the sink asked to
    // stop; Unsupported for a depth or compression the decoder cannot read.
    CodecStatus status = CodecStatus::Ok;
    int rowsDone = 0;
};

// Bytes of one decoded row for the sink: width indices, or 3 or 4 bytes a pixel.
std::size_t decodedRowBytes(const BmpHeader& header);

// Decodes the pixels that start at header.pixelOffset of data (the bitmap from its first byte)
// and hands each row to the sink with its number counted from the top.
DecodeResult decodePixels(std::span<const std::uint8_t> data, const BmpHeader& header,
                          RowSink& sink);

// Whether the stored rows are already the rows of the image the bitmap loads into (uncompressed
// 1, 4, 8 and 24 bits, and 32 bits in the plain byte order), so they need no decoding.
bool storedAsImageRows(const BmpHeader& header);

// How many pixels the data can give: whole stored rows, or what the run-length data reaches.
std::uint64_t dataReach(std::span<const std::uint8_t> data, const BmpHeader& header);

// How many pixels of whole stored rows a bitmap of `bytes` bytes (from its first byte) holds.
std::uint64_t storedReach(std::uint64_t bytes, const BmpHeader& header);

} // namespace kpx::bmp
