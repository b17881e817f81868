#pragma once
// The optimisation page's options and texts, free of widgets: its method list and colour counts,
// the line speeds of the download estimate, the option defaults, and the size and download-time
// texts.

#include <string>

#include "AnimationData.h"

namespace kfm::shell {

constexpr int kMethodItemCount = 8;
// The palette mode that keeps every frame's palette (the keep radio).
constexpr int kPaletteModeKeep = 11;
// The palette mode of the method list's item (0 for no item).
int PaletteModeForItem(int item);
// The method list's item of a palette mode (-1 for none).
int ItemForPaletteMode(int mode);
// The colour count a method sets: 256 to 8 for modes 1 to 6, 256 for 7 and 10; 0 for others.
int ColourCountForMode(int mode);
// The method item that a typed colour count selects (8 to 256 in powers of two), else -1.
int ItemForColourCount(int count);

constexpr int kSpeedItemCount = 6;
// The line speed of speed list item 0 to 5 (bits per second); a stored speed that is none of
// them becomes the first.
int SpeedForItem(int item);
int ItemForSpeed(int speed);
int NormalizedSpeed(int speed);

// The page's defaults: method item 0, optimise the palette, no dithering, remove redundant
// pixels, comments, titles and special information, no difference method, 256 colours.
void ResetOptimizeOptions(CAnimationData& animation);

// The texts of the size display.
struct SizeTexts {
    std::string notMeasured; // shown for a size of 0 or less
    std::string bytes;       // a printf format of one int
    std::string kilobytes;   // a printf format of one floating value
    std::string decimalPoint;
    std::string minutes; // a printf format of minutes and seconds
    std::string seconds; // a printf format of seconds
};
// The size text: bytes below 1000, else kilobytes (size x 0.001) with the decimal point of the
// language.
std::string FormatFileSize(int size, const SizeTexts& texts);
// The download time at speed bits per second: size x 8 / (speed + 0.001) seconds, truncated;
// minutes and seconds from 60 up.
std::string FormatDownloadTime(int size, int speed, const SizeTexts& texts);

} // namespace kfm::shell
