#include "TextureSettings.h"

#include <algorithm>
#include <cmath>

namespace kfm::patina {

namespace {

double clampFinite(double value, double low, double high) {
    return std::isfinite(value) ? std::clamp(value, low, high) : low;
}

double atLeast(double value, double low) {
    return std::isfinite(value) ? std::max(value, low) : low;
}

double finiteOrZero(double value) {
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

void SetTexture(TextureSettings& s, std::uint32_t family, int variant, double d0, double d1,
                double d2, double d3) {
    s.family = std::min(family, kMaxFamily);
    s.warpMode = 0;
    switch (s.family) {
    case 0:
        s.variant = std::clamp(variant, 0, 9);
        s.d = {clampFinite(d0, 1, 8), clampFinite(d1, 1, 64), atLeast(d2, 0), finiteOrZero(d3)};
        break;
    case 1:
        s.variant = 0;
        s.d = {clampFinite(d0, 0, 255), clampFinite(d1, 0, 1), 0, finiteOrZero(d3)};
        break;
    case 2:
        s.variant = std::clamp(variant, 0, 1);
        s.d = {clampFinite(d0, 0, 2), 0, 0, finiteOrZero(d3)};
        break;
    case 3:
        s.variant = std::clamp(variant, 0, 4);
        s.d = {clampFinite(d0, 1, 8), clampFinite(d1, 1, 32), atLeast(d2, 0), finiteOrZero(d3)};
        break;
    default:
        s.variant = std::clamp(variant, 0, 1);
        s.d = {finiteOrZero(d0), finiteOrZero(d1), finiteOrZero(d2), finiteOrZero(d3)};
        break;
    }
}

void SetPattern(TextureSettings& s, int type, bool invert, int rowsPer256, int bricksPer256) {
    s.patternType = type;
    s.invertPattern = invert ? 1 : 0;
    s.rowsPer256 = std::clamp(rowsPer256, kMinBrickCount, kMaxBrickCount);
    s.bricksPer256 = std::clamp(bricksPer256, kMinBrickCount, kMaxBrickCount);
}

void SetColouring(TextureSettings& s, int baseFunction, int zoom, int colourSpeed,
                  int colourFunction) {
    s.baseFunction = baseFunction;
    s.zoom = zoom;
    s.colourSpeed = colourSpeed;
    s.colourFunction = colourFunction;
}

} // namespace kfm::patina
