#pragma once
// Hands the rows of a span-level decoder to the row packer.

#include <algorithm>
#include <vector>

#include "PackedRows.h"
#include "RowPacker.h"
#include "RowSink.h"

namespace kpx {

class PackerRowSink final : public RowSink {
public:
    explicit PackerRowSink(RowPacker& packer) : packer_(packer) {}
    std::span<std::uint8_t> rowBuffer() override { return packer_.rowBuffer(); }
    bool rowDone(int row) override { return packer_.storeRow(row); }

private:
    RowPacker& packer_;
};

} // namespace kpx

namespace kpx {

// Takes rows already packed in the layout of a DIB of `depth` bits (1, 4 or 8 bits of indices,
// or 24- and 32-bit pixels) and hands them to the row packer one index or pixel at a time.
class PackedRowSink final : public RowSink {
public:
    PackedRowSink(RowPacker& packer, int depth, std::size_t packedBytes)
        : packer_(packer), depth_(depth), packed_(packedBytes) {}
    std::span<std::uint8_t> rowBuffer() override { return packed_; }
    bool rowDone(int row) override {
        const std::span<std::uint8_t> out = packer_.rowBuffer();
        if (depth_ <= 8)
            unpackRow(packed_.data(), depth_, out);
        else
            std::copy_n(packed_.begin(), std::min(out.size(), packed_.size()), out.begin());
        return packer_.storeRow(row);
    }

private:
    RowPacker& packer_;
    int depth_;
    std::vector<std::uint8_t> packed_;
};

// The packer's source for rows of a DIB depth.
inline RowPacker::Source packerSourceFor(int depth) {
    if (depth == 32)
        return RowPacker::Source::Bgra;
    return depth > 8 ? RowPacker::Source::Bgr : RowPacker::Source::Indices;
}

} // namespace kpx
