#pragma once
// What the views share for showing frames: the transparency checkerboard and labels shortened to
// a width.

#include <functional>
#include <string>
#include <string_view>

#include "types/Win32Types.h"

struct TransparencyGrid {
    int cell = 0; // checkerboard cell in pixels; 0 = no checkerboard
    COLORREF color1 = 0;
    COLORREF color2 = 0;
};

// The checkerboard of the settings TransparentGridSize, TransparentGridColor and
// OptionsAnimBkColor: a size below 1 gives no checkerboard and the background colour twice;
// otherwise cells of 2^(size + 2) pixels (at most 2^30) in the colour pair of the colour index,
// an index outside 0..7 taking the nearest pair.
TransparencyGrid GetTransparencyGrid(int gridSize, int gridColor, COLORREF background);
// The same from the program's settings.
TransparencyGrid GetTransparencyGrid();

// Measures a text in pixels in the device context that will draw it.
using TextMeasure = std::function<int(std::string_view)>;

// When the text measures at least maxWidth, cuts its last character until the cut text followed
// by "..." measures less than maxWidth and appends "..."; a text that never fits ends empty.
void ShortenTextToWidth(const TextMeasure& measure, std::string& text, int maxWidth);
