#include "PresetCatalogue.h"

#include "PresetFile.h"

#include <QDir>
#include <QString>

namespace kfm::patina {

namespace {

struct Entry {
    const char* title;
    std::uint32_t family;
    int variant;
    double d0;
    double d1;
    double d2;
    double d3;
    int colourFunction;
    // The ramp's ends and middle colour (0x00BBGGRR) and the middle's place (-1: none).
    std::uint32_t from;
    std::uint32_t to;
    std::uint32_t middle;
    float at;
};

constexpr Entry kEntries[] = {
    {"Šum 1", 0, 0, 4, 4, 0, 0, 0, 0x101010, 0xF0F0F0, 0, -1},
    {"Šum 2", 0, 1, 4, 4, 0, 0, 0, 0x402000, 0xFFE0A0, 0, -1},
    {"Šum 3", 0, 2, 4, 4, 0, 0, 0, 0x000000, 0x40C0FF, 0, -1},
    {"Šum 4", 0, 3, 3, 8, 0, 0, 0, 0x204020, 0xC0FFC0, 0, -1},
    {"Šum 5", 0, 4, 4, 4, 0, 0, 0, 0x000000, 0xFFFFFF, 0, -1},
    {"Posunutý šum", 0, 5, 3, 8, 0, 0, 0, 0x300030, 0xFFC0FF, 0, -1},
    {"Šum 7", 0, 6, 5, 4, 0, 0, 0, 0x003060, 0xE0F0FF, 0x0080FF, 0.5f},
    {"Šum 8", 0, 7, 5, 4, 0, 0, 0, 0x000000, 0x00FFFF, 0, -1},
    {"Šum 9", 0, 8, 5, 4, 0, 0, 0, 0x602000, 0xFFFFFF, 0, -1},
    {"Kostky", 0, 9, 1, 1, 0, 0, 0, 0x202020, 0xD0D0D0, 0, -1},
    {"Mraky", 1, 0, 100, 0.98, 0, 0, 0, 0xFF8040, 0xFFFFFF, 0, -1},
    {"Pruhy", 2, 0, 0.5, 0, 0, 0, 0, 0x103060, 0x80D0FF, 0, -1},
    {"Tkanina", 2, 1, 1.0, 0, 0, 0, 0, 0x204080, 0xA0E0FF, 0, -1},
    {"Letokruhy", 3, 0, 3, 6, 0, 0, 0, 0x103060, 0x70B0E0, 0, -1},
    {"Zvlněná funkce", 3, 1, 3, 1, 0, 0, 0, 0x400000, 0xFFC080, 0, -1},
    {"Zvlněné pruhy", 3, 2, 3, 8, 0, 0, 0, 0x205020, 0xB0F0B0, 0, -1},
    {"Zvlněné kruhy", 3, 3, 3, 8, 0, 0, 0, 0x402040, 0xF0C0F0, 0, -1},
    {"Vlny", 3, 4, 3, 16, 0, 0, 0, 0x604000, 0xFFF0C0, 0, -1},
    {"Buňky", 4, 0, 1.0, 0, 0, 0, 0, 0x000000, 0xFFFFFF, 0, -1},
    {"Dlažba", 4, 1, -1.0, 1.0, 0, 0, 2, 0x203040, 0xC0D0E0, 0, -1},
};

} // namespace

std::vector<CataloguePreset> PresetCatalogue() {
    std::vector<CataloguePreset> presets;
    for (const Entry& e : kEntries) {
        CataloguePreset p;
        p.title = e.title;
        SetTexture(p.settings, e.family, e.variant, e.d0, e.d1, e.d2, e.d3);
        SetPattern(p.settings, 0, false, 8, 4);
        SetColouring(p.settings, 0, 1, 511, e.colourFunction);
        p.ramp.SetGradient(e.from, e.to, e.middle, e.at);
        presets.push_back(std::move(p));
    }
    return presets;
}

bool WritePresetCatalogue(const std::string& folder) {
    const QDir dir(QString::fromStdString(folder));
    if (!QDir().mkpath(dir.absolutePath()))
        return false;
    bool written = true;
    for (const CataloguePreset& p : PresetCatalogue())
        written = SavePreset(dir.filePath(QString::fromStdString(p.title) + QStringLiteral(".ptn")),
                             p.settings, p.ramp) &&
                  written;
    return written;
}

} // namespace kfm::patina
