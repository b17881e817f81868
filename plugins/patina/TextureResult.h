#pragma once
// The texture plug-in's run result: one 24-bit frame of the canvas size holding the texture.

#include "PluginInterface.h"
#include "TextureComposer.h"

namespace kfm::patina {

// What the dialog hands over for the frame: the seed of the last preview, the post effects and
// the stretch flag.
struct TextureOutput {
    int seed = 0;
    TextureEffects effects{};
    bool stretch = false;
};

// Null, without a progress call, for a width or height below 1. Otherwise reports (0, 1, 2),
// makes a result of one frame of width x height at 24 bits without a mask, renders the texture
// into it (top row first), reports (0, 2, 2) and returns it. Null, with everything freed, when
// memory runs out. The progress procedure may be null.
PluginResult* BuildTextureResult(TextureSettings& settings, int width, int height,
                                 PluginProgressProc progress, const TextureOutput& output);

} // namespace kfm::patina
