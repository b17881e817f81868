#pragma once
// The presets that ship beside the plug-in: one per texture family and variant. The dialog has
// no control that picks a family, so these are the way to every family but the start one.

#include "GradientRamp.h"
#include "TextureSettings.h"

#include <string>
#include <vector>

namespace kfm::patina {

struct CataloguePreset {
    // The file's title (its name without ".ptn"), UTF-8.
    std::string title;
    TextureSettings settings;
    GradientRamp ramp;
};

std::vector<CataloguePreset> PresetCatalogue();

// Writes every preset of the catalogue into the folder; false when one cannot be written.
bool WritePresetCatalogue(const std::string& folder);

} // namespace kfm::patina
