#include "Compose.h"

#include "PixelAccess.h"

#include <algorithm>
#include <cstring>

namespace {

bool paletteDepth(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8;
}

// Rounds half away from zero. Each value rounds by its own sign, so that an unscaled frame at a
// negative position keeps its full extent.
std::int32_t roundHalfAway(double value) {
    return static_cast<std::int32_t>(value + (value < 0 ? -0.5 : 0.5));
}

// Calls draw(x) for the columns first..last - 1 of a row whose mask bit is clear (every
// column without a mask). The depths are decided once per row by the caller, not per pixel.
template <typename Draw>
void forVisiblePixels(const std::uint8_t* maskRow, std::int32_t first, std::int32_t last,
                      Draw draw) {
    if (!maskRow) {
        for (std::int32_t x = first; x < last; ++x)
            draw(x);
        return;
    }
    for (std::int32_t x = first; x < last; ++x)
        if (!kpx::maskBit(maskRow, x))
            draw(x);
}

} // namespace

bool kpx::composeImage(KpxImageRecord& canvas, const KpxImageRecord& source,
                       const KpxImageRecord* mask, std::int32_t x, std::int32_t y,
                       const IndexTranslation* translation) {
    if (!hasPixels(&canvas) || !hasPixels(&source))
        return false;
    const int canvasBpp = canvas.bitCount();
    const int sourceBpp = source.bitCount();
    if (canvasBpp != 8 && canvasBpp != 24)
        return false;
    if (mask && (!hasPixels(mask) || mask->bitCount() != 1 || mask->width() != source.width() ||
                 mask->height() != source.height()))
        return false;
    if (!paletteDepth(sourceBpp) && sourceBpp != 24)
        return false;
    if (canvasBpp == 8 && (sourceBpp == 24 || !translation))
        return false;
    if (x >= canvas.width() || y >= canvas.height())
        return true;

    const std::int32_t firstColumn = std::max(0, -x);
    const std::int32_t firstRow = std::max(0, -y);
    const std::int32_t lastColumn = std::min(source.width(), canvas.width() - x);
    const std::int32_t lastRow = std::min(source.height(), canvas.height() - y);
    const RGBQUAD* const colors = source.colors();
    const std::uint32_t colorCount = source.colorCount();
    for (std::int32_t sy = firstRow; sy < lastRow; ++sy) {
        const std::uint8_t* in = pictureRow(source, sy);
        const std::uint8_t* maskRow = mask ? pictureRow(*mask, sy) : nullptr;
        std::uint8_t* out = pictureRow(canvas, y + sy);
        if (canvasBpp == 8) {
            forVisiblePixels(maskRow, firstColumn, lastColumn, [&](std::int32_t sx) {
                out[x + sx] = (*translation)[static_cast<std::size_t>(
                    sourceBpp == 8 ? in[sx] : indexAt(in, sx, sourceBpp))];
            });
        } else if (sourceBpp == 24) {
            forVisiblePixels(maskRow, firstColumn, lastColumn, [&](std::int32_t sx) {
                std::memcpy(out + static_cast<std::size_t>(x + sx) * 3,
                            in + static_cast<std::size_t>(sx) * 3, 3);
            });
        } else {
            forVisiblePixels(maskRow, firstColumn, lastColumn, [&](std::int32_t sx) {
                const auto index = static_cast<std::uint32_t>(
                    sourceBpp == 8 ? in[sx] : indexAt(in, sx, sourceBpp));
                const RGBQUAD c = index < colorCount ? colors[index] : RGBQUAD{};
                std::uint8_t* p = out + static_cast<std::size_t>(x + sx) * 3;
                p[0] = c.rgbBlue;
                p[1] = c.rgbGreen;
                p[2] = c.rgbRed;
            });
        }
    }
    return true;
}

kpx::Area kpx::clipArea(const Area& area, std::int32_t width, std::int32_t height) {
    Area clipped{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, width),
                 std::min(area.bottom, height)};
    if (clipped.empty())
        return Area{};
    return clipped;
}

kpx::Area kpx::placeFrame(const Area& canvasRect, std::int32_t screenWidth,
                          std::int32_t screenHeight, std::int32_t frameLeft, std::int32_t frameTop,
                          std::int32_t frameWidth, std::int32_t frameHeight) {
    Area placed;
    if (screenWidth == 0 || screenHeight == 0) {
        placed.left = canvasRect.left + frameLeft;
        placed.top = canvasRect.top + frameTop;
        placed.right = placed.left + frameWidth;
        placed.bottom = placed.top + frameHeight;
        return placed;
    }
    const double sx = static_cast<double>(canvasRect.right - canvasRect.left) / screenWidth;
    const float sy =
        static_cast<float>(canvasRect.bottom - canvasRect.top) / static_cast<float>(screenHeight);
    placed.left = canvasRect.left + roundHalfAway(sx * frameLeft);
    placed.top = canvasRect.top + roundHalfAway(sy * static_cast<float>(frameTop));
    placed.right = placed.left + roundHalfAway(sx * frameWidth);
    placed.bottom = placed.top + roundHalfAway(sy * static_cast<float>(frameHeight));
    return placed;
}

void kpx::copyArea(const KpxImageRecord& from, std::int32_t fromX, std::int32_t fromY,
                   KpxImageRecord& to, std::int32_t toX, std::int32_t toY, std::int32_t width,
                   std::int32_t height) {
    const int bpp = from.bitCount();
    for (std::int32_t row = 0; row < height; ++row) {
        const std::uint8_t* in = pictureRow(from, fromY + row);
        std::uint8_t* out = pictureRow(to, toY + row);
        if (bpp % 8 == 0) {
            const std::size_t bytes = static_cast<std::size_t>(bpp / 8);
            std::memcpy(out + toX * bytes, in + fromX * bytes, width * bytes);
            continue;
        }
        for (std::int32_t col = 0; col < width; ++col)
            setIndexAt(out, toX + col, bpp, indexAt(in, fromX + col, bpp));
    }
}
