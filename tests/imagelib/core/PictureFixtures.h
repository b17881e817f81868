#pragma once
// Pictures drawn as text for the geometry tests: '#' is ink, '.' is paper, one string a row from
// the top. An image of 1, 4, 8 or 24 bits is made from such a drawing and read back into one, so
// that an expected result can be drawn by hand.

#include "PixelHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kfm::test {

using Drawing = std::vector<std::string>;

// The asymmetric "F" that every geometric operation is tried on (4 x 5).
inline const Drawing kLetterF = {"####", //
                                 "#...", //
                                 "###.", //
                                 "#...", //
                                 "#..."};

// Ink and paper: palette images use indices that no default table puts there, with colours of
// their own, so a lost or converted palette shows.
constexpr COLORREF kInk = RGB(200, 10, 30);
constexpr COLORREF kPaper = RGB(0, 90, 255);
inline int inkIndex(int depth) {
    return depth == 1 ? 1 : 7;
}
inline int paperIndex(int depth) {
    return depth == 1 ? 0 : 2;
}

// A new image of the drawing at a depth (1, 4, 8 or 24); the caller owns it.
inline KpxHandle makePicture(const Drawing& rows, int depth) {
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(rows.front().size());
    const KpxHandle image = KPXCreateImage(width, height, depth);
    if (depth <= 8) {
        setPaletteEntry(image, inkIndex(depth), kInk);
        setPaletteEntry(image, paperIndex(depth), kPaper);
        KPXFillDIBColorTable(image);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool ink = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#';
            if (depth == 24)
                setColor(image, x, y, ink ? kInk : kPaper);
            else
                setIndex(image, x, y, ink ? inkIndex(depth) : paperIndex(depth));
        }
    return image;
}

// The image read back: '#' for ink, '.' for paper (palette images by their indices), any other
// pixel '?'.
inline Drawing readPicture(KpxHandle image) {
    const int depth = KPXbpp(image);
    Drawing rows;
    for (int y = 0; y < KPXHeight(image); ++y) {
        std::string row;
        for (int x = 0; x < KPXWidth(image); ++x) {
            if (depth == 24) {
                const COLORREF c = getColor(image, x, y);
                row += c == kInk ? '#' : c == kPaper ? '.' : '?';
            } else {
                const int i = getIndex(image, x, y);
                row += i == inkIndex(depth) ? '#' : i == paperIndex(depth) ? '.' : '?';
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// Whether ink and paper still have their colours in the image's colour table.
inline bool keepsInkAndPaper(KpxHandle image) {
    const int depth = KPXbpp(image);
    return depth == 24 || (KPXGetColorFromPalette(image, inkIndex(depth)) == kInk &&
                           KPXGetColorFromPalette(image, paperIndex(depth)) == kPaper);
}

// A 1-bit mask read back: '#' where the bit is set (transparent).
inline Drawing readMask(KpxHandle mask) {
    Drawing rows;
    for (int y = 0; y < KPXHeight(mask); ++y) {
        std::string row;
        for (int x = 0; x < KPXWidth(mask); ++x)
            row += maskAt(mask, x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// A new 1-bit mask of the drawing ('#' set).
inline KpxHandle makeMask(const Drawing& rows) {
    const KpxHandle mask =
        KPXCreateImage(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()), 1);
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            setIndex(mask, static_cast<int>(x), static_cast<int>(y), rows[y][x] == '#');
    return mask;
}

} // namespace kfm::test
