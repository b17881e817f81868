#pragma once
// What the geometry tests add to the drawn pictures: palette pictures whose ink and paper have
// colours of their own in the colour table (the 24-bit pictures' colours), so that a palette
// lost or replaced on the way shows, and 1-bit masks drawn and read as text ('#' set).

#include "DrawnPictures.h"

namespace kfm::test {

constexpr COLORREF kInkColour = kPictureColours[1];
constexpr COLORREF kPaperColour = kPictureColours[0];

inline int inkIndex(int depth) {
    return depth == 1 ? 1 : kPictureIndices[1];
}
inline int paperIndex(int depth) {
    return depth == 1 ? 0 : kPictureIndices[0];
}

// The drawn picture at a depth (1, 4, 8 or 24); palette pictures get the ink and paper colours
// into their colour tables. The caller owns the image.
inline KpxHandle makeColouredPicture(const Picture& rows, int depth) {
    const KpxHandle image = makePicture(rows, depth);
    if (image && depth <= 8) {
        setPaletteEntry(image, inkIndex(depth), kInkColour);
        setPaletteEntry(image, paperIndex(depth), kPaperColour);
        KPXFillDIBColorTable(image);
    }
    return image;
}

// Whether ink and paper still have their colours in the image's colour table.
inline bool keepsInkAndPaper(KpxHandle image) {
    const int depth = KPXbpp(image);
    return depth == 24 || (KPXGetColorFromPalette(image, inkIndex(depth)) == kInkColour &&
                           KPXGetColorFromPalette(image, paperIndex(depth)) == kPaperColour);
}

// A 1-bit mask read back: '#' where the bit is set (transparent).
inline Picture readMask(KpxHandle mask) {
    Picture rows;
    for (int y = 0; y < KPXHeight(mask); ++y) {
        std::string row;
        for (int x = 0; x < KPXWidth(mask); ++x)
            row += maskAt(mask, x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// A new 1-bit mask of the drawing ('#' set).
inline KpxHandle makeMask(const Picture& rows) {
    const KpxHandle mask =
        KPXCreateImage(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()), 1);
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            setIndex(mask, static_cast<int>(x), static_cast<int>(y), rows[y][x] == '#');
    return mask;
}

} // namespace kfm::test
