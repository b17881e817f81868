#include "FrameDifference.h"

#include "PixelAccess.h"

#include "ColorMatching.h"
#include "ImageCreation.h"
#include "ImageTable.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The first pair (i, j), i < j, of table entries that become equal after the fewest low-bit
// elimination rounds. False for tables of fewer than two entries.
bool closestPair(const RGBQUAD* colors, int count, int* first, int* second) {
    std::vector<std::int32_t> values(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        values[i] = kpx::colourValue(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue);
    for (int round = 0; round <= kpx::kEliminationRounds; ++round) {
        const std::int32_t mask = kpx::eliminationMask(round);
        for (int i = 0; i < count; ++i)
            for (int j = i + 1; j < count; ++j)
                if ((values[i] & mask) == (values[j] & mask)) {
                    *first = i;
                    *second = j;
                    return true;
                }
    }
    return false;
}

std::uint8_t* rowFromTop(const KpxImageRecord& record, int y) {
    return record.bits + static_cast<std::size_t>(record.height() - 1 - y) * record.rowBytes();
}

// The index that will mark unchanged pixels: the single index-mode transparency entry, else the
// lowest index no pixel uses, else the lower of the two closest entries after merging them.
int chooseUniqueIndex(KpxImageRecord& frame) {
    const int count = static_cast<int>(frame.colorCount());
    if (frame.transparencyCount == 1 && frame.transparency[0].mode == 1 &&
        frame.transparency[0].blue >= 0 && frame.transparency[0].blue < count)
        return frame.transparency[0].blue;
    std::array<bool, 256> used{};
    const int w = frame.width();
    for (int y = 0; y < frame.height(); ++y) {
        const std::uint8_t* row = rowFromTop(frame, y);
        for (int x = 0; x < w; ++x)
            used[row[x]] = true;
    }
    for (int i = 0; i < count; ++i)
        if (!used[i])
            return i;
    int i = 0;
    int j = 0;
    if (!closestPair(frame.colors(), count, &i, &j))
        return -1;
    for (int y = 0; y < frame.height(); ++y) {
        std::uint8_t* row = rowFromTop(frame, y);
        for (int x = 0; x < w; ++x)
            if (row[x] == i)
                row[x] = static_cast<std::uint8_t>(j);
    }
    return i;
}

// A colour no palette entry has: the highest cell of the 8 x 8 x 8 grid of colour cells that no
// entry falls in; black when every cell is taken.
RGBQUAD unusedColour(const RGBQUAD* colors, int count) {
    std::array<bool, 512> marked{};
    for (int i = 0; i < count; ++i)
        marked[(colors[i].rgbRed >> 5) * 64 + (colors[i].rgbGreen >> 5) * 8 +
               (colors[i].rgbBlue >> 5)] = true;
    for (int c = 511; c >= 0; --c)
        if (!marked[c])
            return {static_cast<BYTE>((c & 7) << 5), static_cast<BYTE>(((c >> 3) & 7) << 5),
                    static_cast<BYTE>((c >> 6) << 5), 0};
    return {0, 0, 0, 0};
}

bool sameColour(const RGBQUAD& a, const std::uint8_t* bgr) {
    return a.rgbBlue == bgr[0] && a.rgbGreen == bgr[1] && a.rgbRed == bgr[2];
}

void fillUnchanged(KpxImageRecord& frame, const KpxImageRecord& previous, int left, int top,
                   int u) {
    const int count = static_cast<int>(frame.colorCount());
    const int previousCount = static_cast<int>(previous.colorCount());
    const bool previousTrueColour = previous.bitCount() == 24;
    // Held apart: the pixel stores below could otherwise make every field be read again.
    const int width = frame.width();
    const int height = frame.height();
    const RGBQUAD* const colors = frame.colors();
    const RGBQUAD* const previousColors = previous.colors();
    for (int k = 0; k < height; ++k) {
        std::uint8_t* row = rowFromTop(frame, k);
        const std::uint8_t* under = rowFromTop(previous, top + k);
        for (int i = 0; i < width; ++i) {
            const int p = row[i];
            if (p == u || p >= count)
                continue;
            bool same = false;
            if (previousTrueColour) {
                same = sameColour(colors[p], under + 3 * (left + i));
            } else {
                const int q = under[left + i];
                if (q < previousCount) {
                    const RGBQUAD& c = previousColors[q];
                    const std::uint8_t bgr[3] = {c.rgbBlue, c.rgbGreen, c.rgbRed};
                    same = sameColour(colors[p], bgr);
                }
            }
            if (same)
                row[i] = static_cast<std::uint8_t>(u);
        }
    }
}

int compareAndFill(KpxHandle frameHandle, KpxHandle previousHandle, int x, int y) {
    if (!frameHandle || !previousHandle || x < 0 || y < 0)
        return -1;
    std::optional<kpx::ImageLock> previousLock;
    if (previousHandle != frameHandle)
        previousLock.emplace(previousHandle, kKpxRead);
    kpx::ImageLock frameLock(frameHandle, kKpxWrite);
    KpxImageRecord* frame = frameLock.get();
    const KpxImageRecord* previous = previousLock ? previousLock->get() : frame;
    if (!frame || !previous || !frame->bits || !previous->bits || frame->bitCount() != 8 ||
        (previous->bitCount() != 24 && previous->bitCount() != 8))
        return -1;
    if (x + frame->width() > previous->width() || y + frame->height() > previous->height())
        return -1;
    const int u = chooseUniqueIndex(*frame);
    if (u < 0)
        return -1;
    if (frame->transparencyCount != 1)
        frame->colors()[u] = unusedColour(frame->colors(), static_cast<int>(frame->colorCount()));
    fillUnchanged(*frame, *previous, x, y, u);
    return u;
}

std::uint8_t fillerPattern(int bpp, int index) {
    if (bpp == 8)
        return static_cast<std::uint8_t>(index);
    if (bpp == 4)
        return static_cast<std::uint8_t>(index * 17);
    return index == 1 ? 0xFF : 0x00;
}

// Sets the bits after the last pixel of every row to the pattern, so that whole rows can be
// compared with a pattern row.
void fillRowEnds(KpxImageRecord& image, std::uint8_t pattern) {
    const std::size_t usedBits = static_cast<std::size_t>(image.width()) * image.bitCount();
    const std::size_t rowBytes = image.rowBytes();
    const std::size_t fullBytes = usedBits / 8;
    const int partialBits = static_cast<int>(usedBits % 8);
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* row = image.bits + y * rowBytes;
        std::size_t from = fullBytes;
        if (partialBits) {
            const std::uint8_t keep = static_cast<std::uint8_t>(0xFF00 >> partialBits);
            row[from] = static_cast<std::uint8_t>((row[from] & keep) | (pattern & ~keep));
            ++from;
        }
        std::memset(row + from, pattern, rowBytes - from);
    }
}

} // namespace

int KPXCompareImagesAndFillByUniqueColor(KpxHandle frame, KpxHandle previous, int x, int y) {
    const int u = compareAndFill(frame, previous, x, y);
    if (u >= 0)
        KPXFillDIBColorTable(frame);
    return u;
}

int KPXGetOptimalRect(RECT* rect, KpxHandle imageHandle, int index) {
    if (!rect)
        return 0;
    *rect = RECT{0, 0, 0, 0};
    if (!imageHandle)
        return 0;
    kpx::ImageLock lock(imageHandle, kKpxWrite);
    KpxImageRecord* image = lock.get();
    if (!image || !image->bits)
        return 0;
    const int w = image->width();
    const int h = image->height();
    *rect = RECT{0, 0, w - 1, h - 1};
    const int bpp = image->bitCount();
    // Deeper images, and indices the depth cannot hold, keep the whole image.
    if ((bpp != 8 && bpp != 4 && bpp != 1) || index < 0 || index >= (1 << bpp))
        return 0;
    const std::uint8_t pattern = fillerPattern(bpp, index);
    fillRowEnds(*image, pattern);
    const std::size_t rowBytes = image->rowBytes();
    const std::vector<std::uint8_t> patternRow(rowBytes, pattern);
    auto rowIsIndex = [&](int memoryRow) {
        return std::memcmp(image->bits + memoryRow * rowBytes, patternRow.data(), rowBytes) == 0;
    };
    // The bottom of the picture is the first row in memory.
    int first = 0;
    while (first < h && rowIsIndex(first)) {
        ++first;
        --rect->bottom;
    }
    if (first == h)
        return 1;
    for (int last = h - 1; last > first && rowIsIndex(last); --last)
        ++rect->top;
    // The columns from the first to the last that hold another index in some row: found row by
    // row, along the rows as they lie in memory.
    int left = w - 1;
    int right = 0;
    for (int y = first; y < h - rect->top; ++y) {
        const std::uint8_t* row = image->bits + y * rowBytes;
        int x = 0;
        while (x < left && kpx::indexAt(row, x, bpp) == index)
            ++x;
        left = std::min(left, x);
        x = w - 1;
        while (x > right && kpx::indexAt(row, x, bpp) == index)
            --x;
        right = std::max(right, x);
    }
    rect->left = left;
    rect->right = right;
    return 0;
}
