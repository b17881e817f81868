#pragma once
// Hands the rows of a span-level decoder to the row packer.

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
