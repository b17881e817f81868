#pragma once
// Gives a span-level encoder the image's rows through the codec context's fetch-row callback,
// in the image's own row layout, calling the progress function before each row.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "CodecContext.h"
#include "PackedRows.h"
#include "RowCallbacks.h"
#include "RowSink.h"

namespace kpx {

class FetchRowSource final : public RowSource {
public:
    FetchRowSource(const KpxCodecContext& context, KpxProgressProc progress)
        : fetchRow_(context.fetchRow), progress_(progress), depth_(rowDepthOf(context)),
          row_(std::max<std::size_t>(KpxGetRowLayout().rowBytes,
                                     dibRowBytes(std::max<int>(context.width, 0), depth_))) {}

    // The depth of the rows handed out: 1, 4, 8, 24 or 32.
    int depth() const { return depth_; }

    std::span<const std::uint8_t> row(int index) override {
        if (progress_)
            progress_();
        if (!fetchRow_ || fetchRow_(row_.data(), index) != 0)
            return {};
        return row_;
    }

private:
    // The layout the front end set up; the context's own depth when none is set.
    static int rowDepthOf(const KpxCodecContext& context) {
        const int depth = KpxGetRowLayout().depth;
        if (depth != 0)
            return depth;
        return KpxNormalizeBitCount(context.rowBitsPerPixel > 0 ? context.rowBitsPerPixel
                                                                : context.bitsPerPixel);
    }

    KpxRowFunction fetchRow_;
    KpxProgressProc progress_;
    int depth_;
    std::vector<std::uint8_t> row_;
};

} // namespace kpx
