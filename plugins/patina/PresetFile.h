#pragma once
// Preset files (".ptn"): the texture settings and the colour-ramp markers, little-endian without
// padding. Files are written in version 16; versions 15 and 16 and the older layouts 1 to 14
// are read. Every field is checked before anything changes: a file that would leave the
// settings unusable is refused as a whole.

#include "GradientRamp.h"
#include "TextureSettings.h"

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace kfm::patina {

inline constexpr std::uint16_t kPresetVersion = 16;
inline constexpr const char* kPresetExtension = "ptn";

// The version 16 bytes of the settings and markers.
std::vector<std::uint8_t> PresetBytes(const TextureSettings& settings, const GradientRamp& ramp);

// Reads a preset into the settings (family, variant, parameters, seed and warp modes, base
// function, zoom, colour speed and function, pattern, brick counts) and the markers. Refused
// (false, both unchanged) for a version outside 1..16, a double that is not finite, a colour
// speed of 0, a family above 4, a base function above 7, markers that are not 2..64 with
// positions 0..255 that never fall, or data that ends early. Brick counts are clamped into
// 1..100. Files below version 12 set the ramp from their two colours (and, in versions 7 to 11,
// the middle colour and its position).
bool ReadPreset(std::span<const std::uint8_t> bytes, TextureSettings& settings, GradientRamp& ramp);

// The file forms: false when the file cannot be opened, read or written (nothing changes).
bool LoadPreset(const QString& path, TextureSettings& settings, GradientRamp& ramp);
bool SavePreset(const QString& path, const TextureSettings& settings, const GradientRamp& ramp);

} // namespace kfm::patina
