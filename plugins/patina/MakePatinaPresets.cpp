// Writes the texture plug-in's presets into the folder given, with the plug-in's own writer; the
// build runs it to fill the "presets" folder beside Patina.kfp.

#include "PresetCatalogue.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <presets folder>\n", argv[0]);
        return 2;
    }
    if (!kfm::patina::WritePresetCatalogue(argv[1])) {
        std::fprintf(stderr, "cannot write the presets into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
