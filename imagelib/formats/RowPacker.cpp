#include "RowPacker.h"

#include <algorithm>

#include "PackedRows.h"
#include "RowCallbacks.h"

namespace kpx {

namespace {

std::size_t nonNegative(int value) {
    return static_cast<std::size_t>(std::max(value, 0));
}

int packedDepth(const KpxCodecContext& context, RowPacker::Source source) {
    if (source == RowPacker::Source::Bgr)
        return 24;
    if (source == RowPacker::Source::Bgra)
        return 32;
    return std::min(KpxNormalizeBitCount(context.bitsPerPixel), 8);
}

// The byte after the last pixel of a row: set bits at 1 bit a pixel, else the fill index.
std::uint8_t paddingByte(int depth, std::uint8_t fillIndex) {
    if (depth == 1)
        return 0xFF;
    if (depth >= 24)
        return 0;
    return repeatedIndexByte(depth, fillIndex);
}

} // namespace

RowPacker::RowPacker(const KpxCodecContext& context, KpxProgressProc progress, Source source,
                     std::uint8_t fillIndex)
    : storeRow_(context.storeRow), progress_(progress), source_(source),
      depth_(packedDepth(context, source)), fillIndex_(fillIndex),
      decodedBytes_(nonNegative(context.width) *
                    static_cast<std::size_t>(depth_ >= 24 ? depth_ / 8 : 1)),
      decoded_(std::max<std::size_t>(decodedBytes_, KpxGetRowLayout().rowBytes)),
      packed_(
          std::max<std::size_t>(KpxGetRowLayout().rowBytes, dibRowBytes(context.width, depth_))),
      stored_(nonNegative(context.height), false) {}

bool RowPacker::storeRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= stored_.size())
        return false;
    if (progress_)
        progress_();
    stored_[static_cast<std::size_t>(row)] = true;
    ++rowsStored_;
    if (!storeRow_)
        return true;
    // Rows of whole bytes a pixel are stored from the decoded row itself, padded in place.
    if (depth_ >= 8) {
        std::fill(decoded_.begin() + static_cast<std::ptrdiff_t>(decodedBytes_), decoded_.end(),
                  paddingByte(depth_, fillIndex_));
        return storeRow_(decoded_.data(), row) == 0;
    }
    pack();
    return storeRow_(packed_.data(), row) == 0;
}

bool RowPacker::fillMissingRows() {
    std::fill(decoded_.begin(), decoded_.end(), source_ == Source::Indices ? fillIndex_ : 0);
    for (std::size_t row = 0; row < stored_.size(); ++row)
        if (!stored_[row] && !storeRow(static_cast<int>(row)))
            return false;
    return true;
}

void RowPacker::pack() {
    std::fill(packed_.begin(), packed_.end(), paddingByte(depth_, fillIndex_));
    if (depth_ == 1) {
        // Any index but 0 sets the pixel: a 1-bit image has two colours.
        for (std::uint8_t& index : rowBuffer())
            index = index != 0 ? 1 : 0;
    }
    packRow(rowBuffer(), packed_.data(), depth_);
}

} // namespace kpx
