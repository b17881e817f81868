#pragma once
// The arithmetic of the bitmap effects: per-colour operations (brightness and contrast, colour
// balance, hue and saturation, tint ramp), 5 x 5 kernel filters and the mosaic. The functions
// here work on colours, rows and colour tables; KPXApplyBitmapEffect makes the copies.

#include "Bitra5.h"
#include "PixelConversion.h"

#include <array>
#include <cstdint>

namespace kpx {

// One filter: 5 x 5 weights row by row (centre at row 2, column 2), a divisor, biases added
// after the division, and a grey flag that replaces the three channel sums by their average.
struct EffectKernel {
    std::array<std::int16_t, 25> weights{};
    std::uint8_t divisor = 1;
    std::uint8_t biasRed = 0;
    std::uint8_t biasGreen = 0;
    std::uint8_t biasBlue = 0;
    bool grey = false;
};

EffectKernel sharpenKernel();
EffectKernel edgesKernel();
// The emboss kernel of a direction (kKpxEmboss...), flat areas getting colour (COLORREF);
// false for an unknown direction.
bool embossKernel(int direction, COLORREF colour, EffectKernel* out);

// A colour as three ints; operations limit their results to 0..255.
struct EffectColor {
    int red;
    int green;
    int blue;
};

// (c + 128)(v - 128) / 128 + b + 128 for each channel.
EffectColor brightnessContrast(EffectColor c, int brightness, int contrast);
// The hue turned by degrees, the saturation scaled, the brightness added.
class HueSaturation {
public:
    HueSaturation(int hue, int saturation, int brightness);
    EffectColor apply(EffectColor c) const;

private:
    int forwardTurns_ = 0;                 // (r, g, b) <- (g, b, r), this many times
    int backTurns_ = 0;                    // (r, g, b) <- (b, r, g), this many times
    std::array<double, 256> ownShare_{};   // w x v
    std::array<double, 256> otherShare_{}; // (1 - w) x v
    std::array<int, 511> spread_{};        // f x d rounded, for d = -255..255
    int brightness_ = 0;
};
// Entry i of the tint ramp of a tint colour: its channels less their minimum, plus i (at most
// 255).
RGBQUAD tintRampEntry(COLORREF tint, int i);

// Filters a 24-bit picture in place; rows[y] is picture row y from the top. Rows and columns
// beyond the picture repeat its edge. progress steps once a row.
void filterPicture(std::uint8_t* const* rows, int width, int height, const EffectKernel& kernel,
                   KpxRowProgress& progress);
// Fills each size x size block of a 24-bit picture (aligned at the top left; the last column and
// row of blocks are what remains) with its integer average per channel. progress steps once a
// row.
void mosaicPicture(std::uint8_t* const* rows, int width, int height, int size,
                   KpxRowProgress& progress);

} // namespace kpx
