#include "OptimizePageRules.h"

#include <array>
#include <cstdio>
#include <regex>

namespace kfm::shell {

namespace {

constexpr std::array<int, kMethodItemCount> kItemModes{1, 2, 3, 4, 5, 6, 7, 10};
constexpr std::array<int, 6> kModeCounts{256, 128, 64, 32, 16, 8};
constexpr std::array<int, kSpeedItemCount> kSpeeds{14400, 28800, 33600, 56000, 64000, 128000};

// printf with one value into a string (the formats come from the language library).
template <typename... Values> std::string printed(const std::string& format, Values... values) {
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, format.c_str(), values...);
    return n < 0 ? std::string() : std::string(buffer);
}

} // namespace

int PaletteModeForItem(int item) {
    if (item < 0 || item >= kMethodItemCount)
        return 0;
    return kItemModes[static_cast<std::size_t>(item)];
}

int ItemForPaletteMode(int mode) {
    for (int i = 0; i < kMethodItemCount; ++i)
        if (kItemModes[static_cast<std::size_t>(i)] == mode)
            return i;
    return -1;
}

int ColourCountForMode(int mode) {
    if (mode >= 1 && mode <= 6)
        return kModeCounts[static_cast<std::size_t>(mode - 1)];
    if (mode == 7 || mode == 10)
        return 256;
    return 0;
}

int ItemForColourCount(int count) {
    for (int mode = 1; mode <= 6; ++mode)
        if (kModeCounts[static_cast<std::size_t>(mode - 1)] == count)
            return ItemForPaletteMode(mode);
    return -1;
}

int SpeedForItem(int item) {
    if (item < 0 || item >= kSpeedItemCount)
        return kSpeeds[0];
    return kSpeeds[static_cast<std::size_t>(item)];
}

int ItemForSpeed(int speed) {
    for (int i = 0; i < kSpeedItemCount; ++i)
        if (kSpeeds[static_cast<std::size_t>(i)] == speed)
            return i;
    return -1;
}

int NormalizedSpeed(int speed) {
    return ItemForSpeed(speed) < 0 ? kSpeeds[0] : speed;
}

void ResetOptimizeOptions(CAnimationData& a) {
    a.OptimizePalette = PaletteModeForItem(0);
    a.OptimizeDither = 0;
    a.OptimizeRedundantPixels = 1;
    a.OptimizeComment = 1;
    a.OptimizeTitle = 1;
    a.OptimizeSpecialInfo = 1;
    a.OptimizeDiffMethod = 0;
    a.OptimizeNumColors = 256;
}

std::string FormatFileSize(int size, const SizeTexts& texts) {
    if (size <= 0)
        return texts.notMeasured;
    if (size < 1000)
        return printed(texts.bytes, size);
    // Only the number's own decimal point takes the language's character: the number is
    // printed with the format's conversion alone and then put in the place of that conversion.
    static const std::regex conversion(R"(%[-+ #0]*[0-9]*(\.[0-9]+)?[fFgGeE])");
    std::smatch match;
    if (!std::regex_search(texts.kilobytes, match, conversion))
        return printed(texts.kilobytes, size * 0.001);
    std::string number = printed(match.str(), size * 0.001);
    if (!texts.decimalPoint.empty())
        for (char& c : number)
            if (c == '.')
                c = texts.decimalPoint.front();
    std::string escaped;
    for (const char c : number)
        escaped += c == '%' ? std::string("%%") : std::string(1, c);
    const std::string format = match.prefix().str() + escaped + match.suffix().str();
    return printed(format, 0);
}

std::string FormatDownloadTime(int size, int speed, const SizeTexts& texts) {
    if (size <= 0)
        return texts.notMeasured;
    const double exact = size * 8.0 / (speed + 0.001);
    const int seconds = exact >= 2147483647.0 ? 2147483647 : static_cast<int>(exact);
    if (seconds >= 60)
        return printed(texts.minutes, seconds / 60, seconds % 60);
    return printed(texts.seconds, seconds);
}

} // namespace kfm::shell
