#include "ColourTexts.h"

#include "ShellServices.h"

#include <cstdio>

namespace kfm::shell {

std::string HexColour(COLORREF colour) {
    const unsigned value = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06X", value);
    return digits;
}

std::string PaletteColourText(const std::string& format, int index, COLORREF colour) {
    return FormatText(format, {std::to_string(index), std::to_string(GetRValue(colour)),
                               std::to_string(GetGValue(colour)), std::to_string(GetBValue(colour)),
                               HexColour(colour)});
}

std::string ColourText(const std::string& format, COLORREF colour) {
    return FormatText(format, {std::to_string(GetRValue(colour)), std::to_string(GetGValue(colour)),
                               std::to_string(GetBValue(colour)), HexColour(colour)});
}

std::string NumberFieldText(const std::string& format, int value) {
    return FormatText(format, {std::to_string(value)});
}

std::string BlankFieldText(const std::string& format) {
    return format.size() < 2 ? std::string() : format.substr(0, format.size() - 2);
}

} // namespace kfm::shell
