#include "ImageFill.h"

#include "ImageTable.h"
#include "PixelAccess.h"

#include <algorithm>
#include <cstring>

namespace {

void writeColor(std::uint8_t* row, std::int32_t x, COLORREF colour) {
    std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
    p[0] = GetBValue(colour);
    p[1] = GetGValue(colour);
    p[2] = GetRValue(colour);
}

// 1 when the chequer cell of (x, y) takes the first colour.
bool firstCell(std::int32_t x, std::int32_t y, int cw, int ch, int ox, int oy) {
    return ((x + ox) / cw + (y + oy) / ch) % 2 == 0;
}

} // namespace

bool kpx::fillRecordRect(KpxImageRecord& record, const FillRect& rect, int index, COLORREF colour) {
    const int bpp = record.bitCount();
    if (!hasPixels(&record) || (bpp != 8 && bpp != 24))
        return false;
    const std::int32_t left = std::max(rect.left, 0);
    const std::int32_t right = std::min(rect.right, record.width() - 1);
    const std::int32_t top = std::max(rect.top, 0);
    const std::int32_t bottom = std::min(rect.bottom, record.height() - 1);
    for (std::int32_t y = top; y <= bottom; ++y) {
        std::uint8_t* row = pictureRow(record, y);
        for (std::int32_t x = left; x <= right; ++x) {
            if (bpp == 8)
                row[x] = static_cast<std::uint8_t>(index);
            else
                writeColor(row, x, colour);
        }
    }
    return true;
}

int KPXFillImageByIndexColor(KpxHandle image, int index) {
    kpx::ImageLock record(image, kKpxWrite);
    if (!kpx::hasPixels(record.get()))
        return 0;
    const int bpp = record->bitCount();
    if (bpp < 1 || bpp > 8)
        return 0;
    std::uint8_t pattern = static_cast<std::uint8_t>(index);
    if (bpp == 4)
        pattern = static_cast<std::uint8_t>((index & 15) * 17);
    else if (bpp == 1)
        pattern = index == 1 ? 0xFF : 0;
    std::memset(record->bits, pattern,
                static_cast<std::size_t>(record->rowBytes()) * record->height());
    return 1;
}

int KPXFillImageByRGBColor(KpxHandle image, COLORREF colour) {
    return KPXFillImageByChessBoard(image, 50, 50, 0, 0, colour, colour);
}

int KPXFillImageByRGBColor2(KpxHandle image, COLORREF colour, int left, int top, int right,
                            int bottom) {
    kpx::ImageLock record(image, kKpxWrite);
    if (!record || record->bitCount() != 24)
        return 0;
    return kpx::fillRecordRect(*record.get(), {left, top, right, bottom}, 0, colour) ? 1 : 0;
}

int KPXFillImageByChessBoard(KpxHandle image, int cellWidth, int cellHeight, int offsetX,
                             int offsetY, COLORREF colour1, COLORREF colour2) {
    kpx::ImageLock record(image, kKpxWrite);
    if (!kpx::hasPixels(record.get()) || record->bitCount() != 24)
        return 0;
    for (std::int32_t y = 0; y < record->height(); ++y) {
        std::uint8_t* row = kpx::pictureRow(*record.get(), y);
        for (std::int32_t x = 0; x < record->width(); ++x) {
            COLORREF c = colour1;
            if (cellWidth == 0)
                c = colour2;
            else if (cellHeight != 0)
                c = firstCell(x, y, cellWidth, cellHeight, offsetX, offsetY) ? colour1 : colour2;
            writeColor(row, x, c);
        }
    }
    return 1;
}

int KPXImageClearByAlpha(KpxHandle image, KpxHandle alpha, int x, int y, COLORREF colour) {
    if (!image || !alpha || image == alpha)
        return 0;
    kpx::ImageLock target(image, kKpxWrite);
    kpx::ImageLock plane(alpha, kKpxRead);
    if (!kpx::hasPixels(target.get()) || !kpx::hasPixels(plane.get()) || plane->bitCount() != 8)
        return 0;
    const int bpp = target->bitCount();
    if (bpp != 8 && bpp != 24)
        return 0;
    for (std::int32_t py = 0; py < target->height(); ++py) {
        std::uint8_t* row = kpx::pictureRow(*target.get(), py);
        const std::int32_t ay = py - y;
        const bool rowInside = ay >= 0 && ay < plane->height();
        const std::uint8_t* alphaRow = rowInside ? kpx::pictureRow(*plane.get(), ay) : nullptr;
        for (std::int32_t px = 0; px < target->width(); ++px) {
            const std::int32_t ax = px - x;
            const bool inside = rowInside && ax >= 0 && ax < plane->width();
            if (inside && alphaRow[ax] != 255)
                continue;
            if (bpp == 8)
                row[px] = GetRValue(colour);
            else
                writeColor(row, px, colour);
        }
    }
    return 1;
}
