#pragma once
// A view of an image's pixels as stored, read row by row in every depth: the layer that the
// undithered conversion and the dithers both read through. Also the progress counter and the
// inverse colour table they share. Nothing here locks or creates images.

#include "Bitra5.h"
#include "NearestColor.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct KpxImageRecord;

// Counts processed rows over every pass of a conversion and calls the callback once per
// `passes` rows, so that it runs once per image row over the whole conversion.
struct KpxRowProgress {
    KpxRowCallback callback = nullptr;
    int rows = 0;
    int passes = 1;
    void step() {
        if (++rows < passes)
            return;
        rows = 0;
        if (callback)
            callback();
    }
};

// Maps a colour to a working-palette index through 32 levels of red and green and 16 of blue.
struct KpxInverseColorTable {
    static constexpr int kCells = 16384;
    std::array<std::uint8_t, kCells> cells{};

    static int cellOf(int red, int green, int blue) {
        return (red >> 3) + 32 * (green >> 3) + 1024 * (blue >> 4);
    }
    // Fills every cell with the entry nearest to the cell's colour (R x 8, G x 8, B x 16).
    void build(const kpx::Rgb* palette, int count);
    std::uint8_t lookup(int red, int green, int blue) const {
        return cells[cellOf(red, green, blue)];
    }
};

namespace kpx {

using Palette = std::vector<Rgb>;

// One image's pixels as stored: rows bottom-up, padded to 4 bytes.
struct PixelSurface {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int bitCount = 0; // 1, 4, 8, 16, 24 or 32
    std::uint32_t stride = 0;
    // The colour table of palette images, padded with black to 256 entries.
    std::array<Rgb, 256> colors{};
    int colorCount = 0;
    // Red, green and blue bit fields of 16- and 32-bit pixels.
    std::array<std::uint32_t, 3> masks{};

    std::uint8_t* row(int y) const { return bits + static_cast<std::size_t>(y) * stride; }
    bool hasPalette() const { return bitCount <= 8; }
};

// A view of a locked record (the record must stay locked while the view is used).
PixelSurface surfaceOf(const KpxImageRecord& record);

// One stored row as blue, green, red bytes, 3 per pixel (palette rows through their colours).
void expandRowToBgr(const PixelSurface& source, int y, std::uint8_t* out);
// One stored row as grey bytes for 1-bit dithering: (R x 30 + G x 59 + B x 11) / divisor,
// at most 255, with divisor 85 for true-colour rows and 90 for palette rows.
void expandRowToGrey(const PixelSurface& source, int y, std::uint8_t* out);

constexpr int luminance(int red, int green, int blue) {
    return red * 30 + green * 59 + blue * 11;
}

} // namespace kpx
