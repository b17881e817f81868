#pragma once
// Takes the rows a decoder produces (one 8-bit index a pixel, or 24-bit blue-green-red, or 32-bit
// blue-green-red-alpha), packs them to the image's row layout and stores them through the codec
// context's store-row callback.
// It counts the rows for the progress function and gives the rows the data never reached the
// fill value, so a decoder only produces rows.

#include <cstdint>
#include <span>
#include <vector>

#include "CodecContext.h"

namespace kpx {

class RowPacker {
public:
    enum class Source { Indices, Bgr, Bgra };

    // Rows of context.width pixels, context.height rows. Index rows are packed to the depth of
    // context.bitsPerPixel (1, 4 or 8 after rounding up); rows not reached take fillIndex.
    // Blue-green-red(-alpha) rows are stored as 24-bit (32-bit) rows; rows not reached are black.
    RowPacker(const KpxCodecContext& context, KpxProgressProc progress, Source source,
              std::uint8_t fillIndex = 0);

    // Memory for the next decoded row: width bytes of indices, or 3 (4) x width bytes.
    std::span<std::uint8_t> rowBuffer() { return std::span(decoded_).first(decodedBytes_); }

    // Packs the row buffer and stores it as picture row `row` (counted from the top). False when
    // the store asks to stop.
    bool storeRow(int row);

    // Stores the fill for every row not stored yet; false when the store asks to stop.
    bool fillMissingRows();

    int rowsStored() const { return rowsStored_; }

private:
    void pack();

    KpxRowFunction storeRow_;
    KpxProgressProc progress_;
    Source source_;
    int depth_;
    std::uint8_t fillIndex_;
    std::size_t decodedBytes_;
    // The decoded row, with room for the padding of a stored row.
    std::vector<std::uint8_t> decoded_;
    std::vector<std::uint8_t> packed_;
    std::vector<bool> stored_;
    int rowsStored_ = 0;
};

} // namespace kpx
