#pragma once
// Writing uncompressed bottom-up bitmaps with a 40-byte info header: 1, 4 and 8 bits with their
// colour table, and 24 bits.

#include <cstdint>
#include <vector>

#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::bmp {

struct EncodeImage {
    int width = 0;
    int height = 0;
    // The depth of the rows the source gives: 1, 4, 8, 24 or 32 (DIB rows, padded to 4 bytes).
    // The file takes 1, 4, 8 or 24 bits; 32-bit rows lose their fourth byte.
    int rowDepth = 0;
    const std::uint8_t (*palette)[3] = nullptr; // red, green, blue; 2^depth entries up to 8 bits
};

// Appends the whole file to out, taking the rows from the bottom one up. Unsupported for a
// depth the file cannot take; Stopped when the source gives an empty row or out cannot write.
CodecStatus encodeBmp(const EncodeImage& image, RowSource& rows, ByteSink& out);

} // namespace kpx::bmp
