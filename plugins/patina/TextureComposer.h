#pragma once
// The texture composer: one TextureSettings record becomes a colour grid. A canvas of the size
// gets the background pattern, the base function, the generator of the texture family, the
// colour function and the pattern blend; every value is then mapped through the colour ramp and
// the post effects (tiling, kaleidoscope, relief) run on the colours.

#include "NoiseCanvas.h"
#include "TextureSettings.h"

#include <QImage>

#include <cstdint>

namespace kfm::patina {

using kfm::noise::CNoiseCanvas;

// The composer's π and 2π.
inline constexpr double kPi = 3.1415926535;
inline constexpr double kTwoPi = 2 * kPi;
// The sides of a composed texture.
inline constexpr int kMinTextureSide = 32;
inline constexpr int kMaxTextureSide = 2048;

// The post effects of a composition.
struct TextureEffects {
    bool tile = false;
    bool kaleidoscope = false;
    bool relief = false;
};

// The angle wrapped into [0, 2π) and looked up in the sine table: at balance 0.5 the entry at
// truncate(100·a); otherwise the first 2π·b of the period is stretched over half of it
// (a·0.5 / b) and the rest over the other half (0.5 / (1 - b)·(a - 2π·b) + π). The index is kept
// within the table whatever the angle or balance (a non-finite angle reads entry 0).
double SkewedSine(double angle, double balance);

// The base function's value at column x, row y, for zoom f (functions above 7 give 0 as "none").
std::int32_t BaseFunctionValue(int function, int zoom, int x, int y);
// The base function over the whole grid (the canvas's work grid).
void BaseFunction(CGrid& work, int function, int zoom);

// The colour-function step over the canvas: for each cell s = 15·N + 10·B (N noise, B work
// grid), the function's value, averaged with the pattern when there is one, clamped to 0..255.
void ApplyColourFunction(CNoiseCanvas& canvas, int speed, int function);
// Colour function 6: each cell in row order takes the noise at (x + o, y + o) limited to the
// grid, o = clamp(B, 0, 255) >> 3.
void Displace(CNoiseCanvas& canvas);
// Warp modes 1 and 2 of the noise grid (nothing for other modes, or for signed noise that is not
// absolute).
void Warp(CNoiseCanvas& canvas, int mode);

// Every noise cell v becomes ramp[min(unsigned v, 255)] (a negative value maps to entry 255).
void MapThroughRamp(CGrid& noise, const std::array<std::uint32_t, 256>& ramp);

// Composes the texture at width x height (each clamped to 32..2048) into settings.output and
// returns the seed in force: -1 with seed mode -1, else the seed given, 0 standing for a seed
// from the clock. settings.output is null when memory ran out.
int ComposeTexture(TextureSettings& settings, int width, int height, int seed,
                   const TextureEffects& effects);

// Composes and paints the texture at the image's top left, then drops the output grid. Returns
// the seed in force.
int RenderPreview(TextureSettings& settings, QImage& image, int width, int height, int seed,
                  const TextureEffects& effects);

// Where RenderTextureToFrame writes: width x height pixels of three bytes (blue, green, red),
// rows top first, rowBytes apart.
struct FrameRows {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int rowBytes = 0;
};

// Renders the texture into the rows. With stretch the texture is composed at 256 x 256 and
// stretched (bilinear) to the frame; otherwise it is composed at the frame's size and repeated
// where the frame is larger than a texture can be (x mod width, y mod height), seamless with
// the tile effect. False, with the rows untouched, when memory ran out.
bool RenderTextureToFrame(TextureSettings& settings, const FrameRows& frame, int seed,
                          const TextureEffects& effects, bool stretch);

} // namespace kfm::patina
