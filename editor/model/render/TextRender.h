#pragma once
// The text object rasteriser: a text record becomes an 8-bit image whose anti-aliased edges
// and shadow are carried by a graded transparency image (255 transparent .. 0 opaque). Glyphs
// come from our own rasteriser over the font's outlines; placement follows their a, b, c widths
// and, with kerning on, the font's pair amounts; the result is rotated through a perspective
// warp and mirrored by the record's matrix.

#include <string_view>

#include "Bitra5.h"
#include "text/TextFont.h"

struct TextSize {
    int width = 0;
    int height = 0;
    bool operator==(const TextSize&) const = default;
};

struct TextStyle {
    COLORREF colour = 0;
    bool shadow = false;
    int shadowDx = 0;
    int shadowDy = 0;
    COLORREF shadowColour = 0;
    int shadowTransparency = 0; // percent
    bool shadowBlur = false;
    bool underline = false;
    bool strikeOut = false;
    int format = kfm::text::kGlyphGray8;
    bool kerning = false;
    int angle = 0; // degrees
    int interpolation = 0;
    bool mirrored = false;
    bool rotatedExtent = true;
};

// The margin around a line: tmHeight / 10 + 2.
int TextMargin(const kfm::text::Font& font);

// Lays one line out from (x, y) and, when image is given, draws its coverage there (the image
// gets the grey ramp and is cleared to 255 first). (line width + 4, tmHeight + 4); (0, 0) for
// an empty text or a glyph the font cannot give.
TextSize LayoutGlyphs(const kfm::text::Font& font, KpxHandle image, int x, int y,
                      std::string_view text, bool underline, bool strikeOut, int format,
                      bool kerning);

// Measure mode (image 0): the size an image must have for the text. Render mode: draws the text
// into the image (8 bits, of the measured size) and returns the laid-out size before rotation.
TextSize RenderText(const kfm::text::Font& font, KpxHandle image, int x, int y,
                    std::string_view text, const TextStyle& style);

// Colours an 8-bit image from the text's coverage and the shadow's (8-bit planes of its size,
// 255 uncovered; no shadow plane for none): the text blended by its coverage onto the shadow's
// or its own colour, else the shadow or the background. The palette is the exact one of those
// colours (as KPXColorConvert24to8 makes it), with background, text and shadow colours moved
// to indexes 0, 1 and 2.
void ColourTextWithShadow(KpxHandle image, KpxHandle coverage, KpxHandle shadow, COLORREF colour,
                          COLORREF shadowColour, COLORREF background);

// Renders the info's text record into a new image and writes its size into the info; 0 for a
// missing record, a font that cannot be made (zero or huge height) or a size beyond the
// library's images.
short CreateTextImage(FrameInfo* info);

// Moves an 8-bit image's pixels by (dx, dy) as one linear move of the buffer; vacated pixels
// become 255.
void ShiftImageContent(KpxHandle image, int dx, int dy);
// Exchanges two palette indexes in the pixels and the colour table of an 8-bit image.
void SwapPaletteIndexes(KpxHandle image, int first, int second);
