#include "PixelSurface.h"

#include "ImageRecord.h"
#include "PixelAccess.h"

#include <algorithm>
#include <bit>
#include <cstring>

void KpxInverseColorTable::build(const kpx::Rgb* palette, int count) {
    for (int blue = 0; blue < 16; ++blue)
        for (int green = 0; green < 32; ++green)
            for (int red = 0; red < 32; ++red)
                cells[red + 32 * green + 1024 * blue] = static_cast<std::uint8_t>(
                    kpx::nearestPaletteIndex(palette, count, red * 8, green * 8, blue * 16));
}

namespace kpx {
namespace {

constexpr std::uint32_t kMasks555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr std::uint32_t kMasks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

// One channel of a bit-field pixel, scaled to 0..255.
std::uint8_t fieldValue(std::uint32_t pixel, std::uint32_t mask) {
    if (!mask)
        return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t max = mask >> shift;
    const std::uint32_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((static_cast<std::uint64_t>(v) * 255 + max / 2) / max);
}

} // namespace

PixelSurface surfaceOf(const KpxImageRecord& record) {
    PixelSurface s;
    s.bits = record.bits;
    s.width = record.width();
    s.height = record.height();
    s.bitCount = record.bitCount();
    s.stride = record.rowBytes();
    if (s.bitCount <= 8) {
        s.colorCount = static_cast<int>(std::min<std::uint32_t>(record.colorCount(), 256));
        for (int i = 0; i < s.colorCount; ++i) {
            const RGBQUAD& q = record.colors()[i];
            s.colors[i] = Rgb{q.rgbRed, q.rgbGreen, q.rgbBlue};
        }
    } else if (record.header().biCompression == BI_BITFIELDS &&
               record.infoSize >= static_cast<std::int32_t>(sizeof(BITMAPINFOHEADER) + 12)) {
        std::memcpy(s.masks.data(), record.info.get() + sizeof(BITMAPINFOHEADER), 12);
    } else {
        const std::uint32_t* standard = s.bitCount == 16 ? kMasks555 : kMasks888;
        std::copy(standard, standard + 3, s.masks.begin());
    }
    return s;
}

void expandRowToBgr(const PixelSurface& source, int y, std::uint8_t* out) {
    const std::uint8_t* in = source.row(y);
    const int w = source.width;
    switch (source.bitCount) {
    case 24:
        std::memcpy(out, in, static_cast<std::size_t>(w) * 3);
        return;
    case 16:
    case 32: {
        const bool plain = source.bitCount == 32 && source.masks[0] == kMasks888[0] &&
                           source.masks[1] == kMasks888[1] && source.masks[2] == kMasks888[2];
        for (int x = 0; x < w; ++x, out += 3) {
            if (plain) {
                std::memcpy(out, in + static_cast<std::size_t>(x) * 4, 3);
                continue;
            }
            std::uint32_t pixel = 0;
            if (source.bitCount == 16)
                pixel = in[2 * x] | static_cast<std::uint32_t>(in[2 * x + 1]) << 8;
            else
                std::memcpy(&pixel, in + static_cast<std::size_t>(x) * 4, 4);
            out[0] = fieldValue(pixel, source.masks[2]);
            out[1] = fieldValue(pixel, source.masks[1]);
            out[2] = fieldValue(pixel, source.masks[0]);
        }
        return;
    }
    default:
        for (int x = 0; x < w; ++x, out += 3) {
            const Rgb& c = source.colors[indexAt(in, x, source.bitCount)];
            out[0] = c.blue;
            out[1] = c.green;
            out[2] = c.red;
        }
        return;
    }
}

void expandRowToGrey(const PixelSurface& source, int y, std::uint8_t* out) {
    const int w = source.width;
    if (source.hasPalette()) {
        const std::uint8_t* in = source.row(y);
        for (int x = 0; x < w; ++x) {
            const Rgb& c = source.colors[indexAt(in, x, source.bitCount)];
            out[x] =
                static_cast<std::uint8_t>(std::min(255, luminance(c.red, c.green, c.blue) / 90));
        }
        return;
    }
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(w) * 3);
    expandRowToBgr(source, y, bgr.data());
    for (int x = 0; x < w; ++x) {
        const std::uint8_t* p = &bgr[static_cast<std::size_t>(x) * 3];
        out[x] = static_cast<std::uint8_t>(std::min(255, luminance(p[2], p[1], p[0]) / 85));
    }
}

} // namespace kpx
