#include "EncoderRows.h"

#include "PackedRows.h"

#include <algorithm>
#include <cstring>

namespace kpx {

namespace {

std::uint8_t greyOf(int red, int green, int blue) {
    return static_cast<std::uint8_t>((30 * red + 59 * green + 11 * blue) / 100);
}

} // namespace

EncoderRows::EncoderRows(const KpxCodecContext& context, KpxProgressProc progress, Form form)
    : fetched_(context, progress), form_(form), width_(std::max<int>(context.width, 0)) {
    std::memcpy(palette_, context.palette, sizeof palette_);
    for (int i = 0; i < 256; ++i)
        grey_[i] = greyOf(palette_[i][0], palette_[i][1], palette_[i][2]);
    converted_.resize(static_cast<std::size_t>(width_) * (form == Form::Grey ? 1 : 3));
}

std::span<const std::uint8_t> EncoderRows::row(int index) {
    const std::span<const std::uint8_t> in = fetched_.row(index);
    if (in.empty())
        return in;
    const int depth = fetched_.depth();
    if (form_ == Form::Grey) {
        toGrey(in.data());
        return converted_;
    }
    if ((form_ == Form::PackedOrBgr && depth <= 8) || depth == 24)
        return in;
    toBgr(in.data());
    return converted_;
}

void EncoderRows::toBgr(const std::uint8_t* in) {
    const int depth = fetched_.depth();
    std::uint8_t* out = converted_.data();
    for (int x = 0; x < width_; ++x, out += 3) {
        if (depth == 32) {
            std::copy_n(in + 4 * x, 3, out);
            continue;
        }
        const std::uint8_t* c = palette_[indexAt(in, x, depth)];
        out[0] = c[2];
        out[1] = c[1];
        out[2] = c[0];
    }
}

void EncoderRows::toGrey(const std::uint8_t* in) {
    const int depth = fetched_.depth();
    if (depth <= 8) {
        for (int x = 0; x < width_; ++x)
            converted_[x] = grey_[indexAt(in, x, depth)];
        return;
    }
    const int step = depth / 8;
    for (int x = 0; x < width_; ++x, in += step)
        converted_[x] = greyOf(in[2], in[1], in[0]);
}

} // namespace kpx
