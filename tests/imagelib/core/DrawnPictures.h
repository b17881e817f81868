#pragma once
// Small pictures drawn as text for the image processing tests: one string per picture row from
// the top, one character per pixel. '.' is paper and '#' is ink; further letters are further
// colours of 8- and 24-bit pictures. Any depth is read back into the same form, so an expected
// result is drawn by hand beside the test.

#include "PixelHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kfm::test {

using Picture = std::vector<std::string>;

// The asymmetric shape that shows every flip and turn.
inline const Picture kF = {
    "####", "#...", "###.", "#...", "#...",
};

// Values of the characters: palette indices of 8-bit pictures, colours of 24-bit pictures
// (each with its own value in every channel, so swapped channels show).
constexpr char kPictureChars[] = ".#abc";
constexpr int kPictureIndices[] = {0, 7, 20, 40, 60};
constexpr COLORREF kPictureColours[] = {RGB(250, 251, 252), RGB(10, 120, 230), RGB(200, 30, 90),
                                        RGB(5, 6, 7), RGB(99, 88, 77)};

inline int charSlot(char c) {
    for (int i = 0; kPictureChars[i]; ++i)
        if (kPictureChars[i] == c)
            return i;
    return 0;
}

inline void drawPicture(KpxHandle image, const Picture& rows, int atX = 0, int atY = 0) {
    const int depth = KPXbpp(image);
    for (int y = 0; y < static_cast<int>(rows.size()); ++y)
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
            const int slot = charSlot(rows[y][x]);
            if (depth == 24)
                setColor(image, atX + x, atY + y, kPictureColours[slot]);
            else if (depth == 1)
                setIndex(image, atX + x, atY + y, slot == 0 ? 0 : 1);
            else
                setIndex(image, atX + x, atY + y, kPictureIndices[slot]);
        }
}

// A new image of the picture's size and the depth, drawn.
inline KpxHandle makePicture(const Picture& rows, int depth) {
    const KpxHandle image =
        KPXCreateImage(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()), depth);
    if (image)
        drawPicture(image, rows);
    return image;
}

// A picture of one character everywhere.
inline Picture plainPicture(int width, int height, char c) {
    return Picture(static_cast<std::size_t>(height),
                   std::string(static_cast<std::size_t>(width), c));
}

inline char pictureCharAt(KpxHandle image, int x, int y) {
    const int depth = KPXbpp(image);
    if (depth == 1)
        return getIndex(image, x, y) ? '#' : '.';
    for (int i = 0; kPictureChars[i]; ++i) {
        const bool same = depth == 24 ? getColor(image, x, y) == kPictureColours[i]
                                      : getIndex(image, x, y) == kPictureIndices[i];
        if (same)
            return kPictureChars[i];
    }
    return '?';
}

inline Picture readPicture(KpxHandle image) {
    Picture rows;
    for (int y = 0; y < KPXHeight(image); ++y) {
        std::string row;
        for (int x = 0; x < KPXWidth(image); ++x)
            row += pictureCharAt(image, x, y);
        rows.push_back(row);
    }
    return rows;
}

// Pictures print one row per line in failure messages.
inline std::string shown(const Picture& rows) {
    std::string text = "\n";
    for (const std::string& row : rows)
        text += row + "\n";
    return text;
}

} // namespace kfm::test
