// Fuzz target of the texture plug-in's preset reader (".ptn" files come from anywhere): any bytes
// must be read or refused without touching memory outside them, a refused file must leave the
// settings and markers as they were, and an accepted one must compose a texture and read back
// unchanged after a write.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "PresetFile.h"
#include "TextureComposer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kfm::patina;
    TextureSettings settings;
    GradientRamp ramp;
    const auto before = ramp.Markers();
    if (!ReadPreset(std::span<const std::uint8_t>(data, size), settings, ramp)) {
        if (ramp.Markers() != before || settings.family != 0 || settings.colourSpeed != 2)
            std::abort();
        return 0;
    }
    if (!GradientRamp::ValidMarkers(ramp.Markers()) || settings.colourSpeed == 0 ||
        settings.family > kMaxFamily || settings.baseFunction > kMaxBaseFunction ||
        settings.rowsPer256 < kMinBrickCount || settings.rowsPer256 > kMaxBrickCount ||
        settings.bricksPer256 < kMinBrickCount || settings.bricksPer256 > kMaxBrickCount)
        std::abort();

    TextureSettings again;
    GradientRamp againRamp;
    if (!ReadPreset(PresetBytes(settings, ramp), again, againRamp) ||
        PresetBytes(again, againRamp) != PresetBytes(settings, ramp))
        std::abort();

    settings.ramp = ramp.Ramp();
    ComposeTexture(settings, 32, 32, 7, {.tile = true, .kaleidoscope = true, .relief = true});
    if (!settings.output)
        std::abort();
    return 0;
}
