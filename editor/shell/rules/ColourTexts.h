#pragma once
// The texts that name a colour in tooltips and dialog fields, made from format strings of the
// language library. The values fill the format's placeholders in order and are never read as
// formats themselves, so a translated format with too few or wrong placeholders stays harmless.

#include <string>

#include "types/Win32Types.h"

namespace kfm::shell {

// The colour as the number red * 65536 + green * 256 + blue, six upper-case hexadecimal digits.
std::string HexColour(COLORREF colour);
// A palette entry: the format filled with index, red, green, blue and the hexadecimal colour.
std::string PaletteColourText(const std::string& format, int index, COLORREF colour);
// A colour alone: the format filled with red, green, blue and the hexadecimal colour.
std::string ColourText(const std::string& format, COLORREF colour);
// A field that shows one number.
std::string NumberFieldText(const std::string& format, int value);
// The field's label without a number: the format less its last two characters (the
// placeholder).
std::string BlankFieldText(const std::string& format);

} // namespace kfm::shell
