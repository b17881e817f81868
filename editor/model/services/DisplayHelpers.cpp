#include "DisplayHelpers.h"

#include "ProgramState.h"

#include <algorithm>
#include <array>

namespace {

struct ColorPair {
    COLORREF first;
    COLORREF second;
};

constexpr std::array<ColorPair, 8> kGridColors = {{
    {0xFFFFFF, 0xCECFCE},
    {0x636563, 0x9C9A9C},
    {0x313031, 0x636563},
    {0xFFFFFF, 0xCECFFF},
    {0xFFFFFF, 0xBDDBFF},
    {0xFFFFFF, 0xCEE7CE},
    {0xFFFFFF, 0xFFE3CE},
    {0xFFFFFF, 0xFFCFDE},
}};

constexpr int kLargestCellShift = 30;

} // namespace

TransparencyGrid GetTransparencyGrid(int gridSize, int gridColor, COLORREF background) {
    if (gridSize < 1)
        return {0, background, background};
    const int shift = std::min(gridSize, kLargestCellShift - 2) + 2;
    const auto row = static_cast<std::size_t>(
        std::clamp(gridColor, 0, static_cast<int>(kGridColors.size()) - 1));
    return {1 << shift, kGridColors[row].first, kGridColors[row].second};
}

void ShortenTextToWidth(const TextMeasure& measure, std::string& text, int maxWidth) {
    if (measure(text) < maxWidth)
        return;
    for (std::size_t cuts = text.size(); cuts > 0; --cuts) {
        text.pop_back();
        std::string withEllipsis = text + "...";
        if (measure(withEllipsis) < maxWidth) {
            text = std::move(withEllipsis);
            return;
        }
    }
}

TransparencyGrid GetTransparencyGrid() {
    return GetTransparencyGrid(g_Settings.transparentGridSize, g_Settings.transparentGridColor,
                               g_Settings.animBkColor);
}
