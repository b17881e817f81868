#include "ColorMatching.h"

#include "ImageCreation.h"
#include "ImageTable.h"
#include "PixelAccess.h"
#include "Transparency.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace kpx {

std::int32_t eliminationMask(int round) {
    const int redBits = std::min(8, (round + 2) / 3);
    const int greenBits = std::min(8, (round + 1) / 3);
    const int blueBits = std::min(8, round / 3);
    const auto keep = [](int cleared) { return (0xFF << cleared) & 0xFF; };
    return keep(redBits) << 16 | keep(greenBits) << 8 | keep(blueBits);
}

int eliminationMatch(const std::int32_t* candidates, int count, std::int32_t value) {
    for (int round = 0; round <= kEliminationRounds; ++round) {
        const std::int32_t mask = eliminationMask(round);
        for (int i = 0; i < count; ++i) {
            if (candidates[i] != -1 && (candidates[i] & mask) == (value & mask))
                return i;
        }
    }
    return -1;
}

} // namespace kpx

namespace {

std::int32_t valueOf(const RGBQUAD& q) {
    return kpx::colourValue(q.rgbRed, q.rgbGreen, q.rgbBlue);
}
std::int32_t valueOf(const PALETTEENTRY& e) {
    return kpx::colourValue(e.peRed, e.peGreen, e.peBlue);
}

// Entries of a BITMAPINFO block's colour table; 0 above 8 bits.
int tableSize(const BITMAPINFO& info) {
    const int bits = info.bmiHeader.biBitCount;
    if (bits < 1 || bits > 8)
        return 0;
    const int full = 1 << bits;
    const int used = static_cast<int>(info.bmiHeader.biClrUsed);
    return used > 0 && used < full ? used : full;
}

bool isPaletteDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8;
}

// Bytes of the picture's rows: the row size times the height, cut to the whole rows the bitmap
// holds. biSizeImage is not used: a caller may have changed it through the header pointer.
std::size_t wholeRowBytes(const KpxImageRecord& record) {
    const std::size_t rowBytes = record.rowBytes();
    if (!record.bits || !record.bitmap || rowBytes == 0 || record.height() <= 0)
        return 0;
    const std::size_t rows =
        std::min<std::size_t>(record.height(), record.bitmap->pixelBytes / rowBytes);
    return rows * rowBytes;
}

std::uint8_t* storedRow(const KpxImageRecord& record, int y) {
    return record.bits + static_cast<std::size_t>(y) * record.rowBytes();
}

// Removes, in index order, every later value equal to an earlier one, until fewer than n remain;
// returns the number remaining.
int removeDuplicates(std::array<std::int32_t, 256>& reduced, std::array<bool, 256>& removed,
                     int remaining, int n) {
    for (int i = 0; i < 256 && remaining >= n; ++i) {
        if (removed[i])
            continue;
        for (int j = i + 1; j < 256 && remaining >= n; ++j) {
            if (!removed[j] && reduced[j] == reduced[i]) {
                removed[j] = true;
                --remaining;
            }
        }
    }
    return remaining;
}

} // namespace

int kpx::transparentIndex(const KpxImageRecord& record) {
    if (record.transparencyCount > 0 && record.transparency[0].mode == kKpxTransparentIndex)
        return record.transparency[0].blue;
    return -1;
}

int KPXGetNearestColorIndex(KpxHandle image, COLORREF colour) {
    kpx::ImageLock record(image, kKpxRead);
    if (!record || record->bitCount() >= 10 || record->colorCount() == 0)
        return 0;
    const int size = static_cast<int>(std::min<std::uint32_t>(record->colorCount(), 256));
    std::array<std::int32_t, 256> candidates{};
    for (int i = 0; i < size; ++i)
        candidates[i] = valueOf(record->colors()[i]);
    const int match = kpx::eliminationMatch(
        candidates.data(), size,
        kpx::colourValue(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
    return std::max(match, 0);
}

int KPXConvertPaletteTable(const BITMAPINFO* destination, const BITMAPINFO* source, int* table) {
    if (!destination || !source || !table)
        return 0;
    const int destinationSize = tableSize(*destination);
    const int sourceSize = tableSize(*source);
    if (!destinationSize || !sourceSize)
        return 0;
    std::fill(table, table + 256, -1);
    std::array<std::int32_t, 256> candidates{};
    for (int i = 0; i < destinationSize; ++i)
        candidates[i] = valueOf(destination->bmiColors[i]);
    // Source entries beyond the source's own table count as black.
    for (int i = 0; i < std::max(sourceSize, destinationSize); ++i) {
        const std::int32_t value = i < sourceSize ? valueOf(source->bmiColors[i]) : 0;
        table[i] = kpx::eliminationMatch(candidates.data(), destinationSize, value);
    }
    std::replace(table, table + 256, -1, 0);
    return 1;
}

int KPXConvertImageOnNewPalette(KpxHandle image, const PALETTEENTRY* palette, int index) {
    if (!image || !palette)
        return 0;
    const bool keepsIndex = index >= 0 && index <= 255;
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (!record || record->bitCount() != 8)
            return 0;
        std::array<std::int32_t, 256> candidates{};
        for (int i = 0; i < 256; ++i)
            candidates[i] = valueOf(palette[i]);
        if (keepsIndex)
            candidates[index] = -1;
        const int oldTransparent = kpx::transparentIndex(*record.get());
        const int size = static_cast<int>(std::min<std::uint32_t>(record->colorCount(), 256));
        std::array<std::uint8_t, 256> map{};
        for (int i = 0; i < size; ++i) {
            if (keepsIndex && i == oldTransparent) {
                map[i] = static_cast<std::uint8_t>(index);
                continue;
            }
            const int match =
                kpx::eliminationMatch(candidates.data(), 256, valueOf(record->colors()[i]));
            map[i] = static_cast<std::uint8_t>(std::max(match, 0));
        }
        for (int i = 0; i < 256; ++i)
            record->colors()[i] =
                RGBQUAD{palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
        std::uint8_t* bits = record->bits;
        std::transform(bits, bits + wholeRowBytes(*record.get()), bits,
                       [&map](std::uint8_t b) { return map[b]; });
    }
    KPXFillDIBColorTable(image);
    // The old list (and any mask cached from it) no longer fits the new indices.
    if (keepsIndex) {
        KpxTransparentEntry entry{};
        entry.blue = index;
        entry.mode = kKpxTransparentIndex;
        KPXSetImageTransparent(image, &entry, 1);
    } else {
        KPXSetImageTransparent(image, nullptr, 0);
    }
    return 1;
}

int KPXSetNewColorPaletteFrom(KpxHandle image, KpxHandle source) {
    if (!image || !source)
        return 0;
    {
        kpx::ImageLock target(image, kKpxWrite);
        if (!target)
            return 0;
        const kpx::SecondImageLock sourceLock(target, image, source, kKpxRead);
        const KpxImageRecord* from = sourceLock.get();
        if (!from || !target->colorCount() || !from->colorCount())
            return 0;
        const std::uint32_t count = std::min(target->colorCount(), from->colorCount());
        std::copy(from->colors(), from->colors() + count, target->colors());
    }
    KPXFillDIBColorTable(image);
    return 1;
}

int KPXReducePalette256(PALETTEENTRY* palette, int n) {
    if (!palette || n < 2)
        return 0;
    std::array<std::int32_t, 256> reduced{};
    std::array<bool, 256> removed{};
    for (int i = 0; i < 256; ++i)
        reduced[i] = valueOf(palette[i]);
    int remaining = removeDuplicates(reduced, removed, 256, n);
    for (int round = 1; remaining >= n && round <= kpx::kEliminationRounds; ++round) {
        const std::int32_t mask = kpx::eliminationMask(round);
        for (int i = 0; i < 256; ++i)
            reduced[i] = valueOf(palette[i]) & mask;
        remaining = removeDuplicates(reduced, removed, remaining, n);
    }
    std::array<PALETTEENTRY, 256> kept{};
    int count = 0;
    for (int i = 0; i < 256; ++i)
        if (!removed[i])
            kept[count++] = palette[i];
    for (int i = count; i < 256; ++i)
        kept[i] = kept[0];
    std::copy(kept.begin(), kept.end(), palette);
    return 1;
}

namespace {

// The 64 x 64 x 64 cube of 6-bit colour cells that KPXColorConvert24to8 marks and numbers, kept
// per thread between calls: only the cells a call touched are cleared after it, rather than
// the whole 262 KB.
class ColourCube {
public:
    static constexpr std::size_t kCells = 64 * 64 * 64;

    static int cellOf(int red, int green, int blue) {
        return ((red >> 2) * 64 + (green >> 2)) * 64 + (blue >> 2);
    }

    ColourCube() : cells_(kCells, 0) {}
    ColourCube(const ColourCube&) = delete;
    ColourCube& operator=(const ColourCube&) = delete;
    ~ColourCube() = default;

    // Marks the cells of a row of blue, green, red pixels occupied (value 1).
    void markRow(const std::uint8_t* p, int width) {
        std::uint8_t* const cells = cells_.data();
        for (int x = 0; x < width; ++x, p += 3) {
            const int cell = cellOf(p[2], p[1], p[0]);
            if (!cells[cell]) {
                cells[cell] = 1;
                occupied_.push_back(cell);
            }
        }
    }
    // Writes the cell values of a row of blue, green, red pixels.
    void lookUpRow(const std::uint8_t* p, int width, std::uint8_t* out) const {
        const std::uint8_t* const cells = cells_.data();
        for (int x = 0; x < width; ++x, p += 3)
            out[x] = cells[cellOf(p[2], p[1], p[0])];
    }
    // The occupied cells in cube order (red slowest).
    const std::vector<int>& occupiedInOrder() {
        std::sort(occupied_.begin(), occupied_.end());
        return occupied_;
    }
    std::uint8_t& operator[](int cell) { return cells_[static_cast<std::size_t>(cell)]; }
    // Clears the touched cells for the next call.
    void clear() {
        for (const int cell : occupied_)
            cells_[static_cast<std::size_t>(cell)] = 0;
        occupied_.clear();
    }

private:
    std::vector<std::uint8_t> cells_;
    std::vector<int> occupied_;
};

// The thread's cube, cleared again when the conversion ends however it ends.
class BorrowedCube {
public:
    BorrowedCube() : cube_(instance()) {}
    ~BorrowedCube() { cube_.clear(); }
    BorrowedCube(const BorrowedCube&) = delete;
    BorrowedCube& operator=(const BorrowedCube&) = delete;
    ColourCube* operator->() { return &cube_; }
    ColourCube& operator*() { return cube_; }

private:
    static ColourCube& instance() {
        thread_local ColourCube cube;
        return cube;
    }
    ColourCube& cube_;
};

} // namespace

KpxHandle KPXColorConvert24to8(KpxHandle image, COLORREF colour1, COLORREF colour2,
                               COLORREF colour3, int* count) {
    if (count)
        *count = 0;
    kpx::ImageLock source(image, kKpxRead);
    if (!source || source->bitCount() != 24)
        return 0;
    const KpxHandle result = KPXCreateImage(source->width(), source->height(), 8);
    if (!result)
        return 0;
    kpx::ImageLock target(result, kKpxWrite);
    const int w = source->width();
    const int h = source->height();
    // Occupancy first (1 = occupied), then each of the first 254 occupied cells, in cube order,
    // its palette entry; the other occupied cells keep 1.
    BorrowedCube cube;
    for (int y = 0; y < h; ++y)
        cube->markRow(storedRow(*source.get(), y), w);
    const std::vector<int>& occupied = cube->occupiedInOrder();
    const auto colours = static_cast<int>(occupied.size());
    const int own = std::min(colours, 254);
    RGBQUAD* table = target->colors();
    for (int i = 0; i < own; ++i) {
        const int cell = occupied[static_cast<std::size_t>(i)];
        (*cube)[cell] = static_cast<std::uint8_t>(i);
        table[i] =
            RGBQUAD{static_cast<BYTE>((cell & 63) << 2), static_cast<BYTE>(((cell >> 6) & 63) << 2),
                    static_cast<BYTE>((cell >> 12) << 2), 0};
    }
    const auto ownFirst = occupied.begin();
    const auto ownLast = occupied.begin() + own;
    for (const COLORREF c : {colour1, colour2, colour3}) {
        const int cell = ColourCube::cellOf(GetRValue(c), GetGValue(c), GetBValue(c));
        if (std::binary_search(ownFirst, ownLast, cell))
            table[(*cube)[cell]] = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
    for (int y = 0; y < h; ++y)
        cube->lookUpRow(storedRow(*source.get(), y), w, storedRow(*target.get(), y));
    source.unlock();
    target.unlock();
    KPXFillDIBColorTable(result);
    if (count)
        *count = colours;
    return result;
}

short KPXGenerateHistogramIndexImage(KpxHandle image, KpxIndexHistogramEntry* histogram,
                                     int* useTransparency) {
    if (!histogram)
        return 0;
    kpx::ImageLock record(image, kKpxRead);
    if (!record || !isPaletteDepth(record->bitCount()))
        return 0;
    const int bits = record->bitCount();
    const int size = static_cast<int>(std::min<std::uint32_t>(record->colorCount(), 256));
    std::fill(histogram, histogram + 256, KpxIndexHistogramEntry{});
    for (int i = 0; i < size; ++i) {
        const RGBQUAD& q = record->colors()[i];
        histogram[i] = KpxIndexHistogramEntry{0, q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    int skipped = -1;
    if (useTransparency && *useTransparency) {
        *useTransparency = record->transparencyCount;
        skipped = kpx::transparentIndex(*record.get());
    }
    for (int y = 0; y < record->height(); ++y) {
        const std::uint8_t* row = storedRow(*record.get(), y);
        for (int x = 0; x < record->width(); ++x) {
            const int index = kpx::indexAt(row, x, bits);
            if (index != skipped)
                ++histogram[index].count;
        }
    }
    return static_cast<short>(1 << bits);
}
