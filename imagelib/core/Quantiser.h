#pragma once
// The histogram quantiser: counts every colour of a picture at full 8 bits per channel, cuts the
// colour space into boxes, gives each box one palette colour and maps the pixels onto the
// palette, with optional ordered dithering or error diffusion.
//
// Plain pixel work over caller-owned memory: no image handles and no locks.

#include <cstddef>
#include <cstdint>

#include "types/Win32Types.h"

namespace kpx {

// Called as the stages advance, with total = kQuantiserProgressTotal.
using QuantiserProgress = void (*)(int step, int total);
constexpr int kQuantiserProgressTotal = 20;

enum QuantiserMode : int {
    kQuantiseNearest = 0,
    kQuantiseOrdered = 1,
    kQuantiseFloydSteinberg = 2,
    kQuantiseBurkes = 3,
};

struct QuantiserJob {
    int width = 0;
    int height = 0;

    // Source pixels, bottom-up rows: 24 bits (B, G, R) or 8 bits through sourceColors.
    const std::uint8_t* sourceBits = nullptr;
    std::size_t sourceRowBytes = 0;
    int sourceBitCount = 24;
    const RGBQUAD* sourceColors = nullptr;
    int sourceColorCount = 0;
    int sourceTransparent = -1; // 8-bit source: index whose pixels are left out

    // Optional 1-bit mask of the same size (24-bit sources): only pixels whose bit is 1 count.
    const std::uint8_t* maskBits = nullptr;
    std::size_t maskRowBytes = 0;

    // Destination: 8-bit pixels and its colour table, which supplies the fixed leading entries
    // and receives the palette.
    std::uint8_t* destBits = nullptr;
    std::size_t destRowBytes = 0;
    RGBQUAD* destColors = nullptr;
    int destColorCount = 0;

    int transparentIndex = -1; // destination entry kept for left-out pixels, -1 for none
    int colours = 256;
    int mode = kQuantiseNearest;
    int fixed = 0;
    bool paletteOnly = false;
    QuantiserProgress progress = nullptr;
};

// Builds the palette into job.destColors and, unless paletteOnly, maps the pixels into
// job.destBits. Returns false (and changes nothing) when no pixel is counted or the job does
// not describe valid memory.
bool quantiseImage(const QuantiserJob& job);

} // namespace kpx
