#include "ColorMatching.h"

#include "ColorConversion.h"
#include "FrameComposition.h"
#include "ImageCreation.h"
#include "ImageFill.h"
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

// The palette index that an image's transparency list makes transparent: its first entry when
// of mode 1; -1 otherwise.
int transparentIndex(const KpxImageRecord& record) {
    if (record.transparencyCount > 0 && record.transparency[0].mode == kKpxTransparentIndex)
        return record.transparency[0].blue;
    return -1;
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

// Palette of the strip conversion: entry 0 swapped with the first entry the conversion left
// unfilled, which then serves for transparency.
int paletteFromStrip(KpxHandle strip, PALETTEENTRY* palette) {
    int count = 0;
    KpxHandle converted = KPXColorConvert24to8(strip, 0, 0, 0, &count);
    if (count > 253) {
        KPXDeleteImage(converted);
        converted = KPXColorConvert(strip, 8, 0, kKpxPalettePopularity | kKpxPaletteReserveLast, 0,
                                    nullptr, nullptr);
        count = 255;
    }
    if (!converted)
        return -1;
    {
        kpx::ImageLock record(converted, kKpxRead);
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& q = record->colors()[i];
            palette[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
        }
    }
    KPXDeleteImage(converted);
    std::swap(palette[0], palette[std::clamp(count, 0, 255)]);
    return 0;
}

struct FrameSize {
    KpxHandle handle;
    int width;
    int height;
};

// The frames of a chain from its head, following the next-frame links (a chain can hold no more
// frames than there are handles, which also ends a chain that links back into itself).
std::vector<FrameSize> chainFrames(KpxHandle head) {
    std::vector<FrameSize> frames;
    for (KpxHandle h = head; h && frames.size() < 32768;) {
        kpx::ImageLock record(h, kKpxRead);
        if (!record)
            break;
        frames.push_back({h, record->width(), record->height()});
        h = static_cast<KpxHandle>(record->nextFrame);
    }
    return frames;
}

// All frames stacked from the top onto a white 24-bit strip as wide as the widest frame, as
// many as fit below 1,000,000 pixels; transparent frames are drawn through their masks.
KpxHandle stackFrames(const std::vector<FrameSize>& frames) {
    int width = 0;
    for (const FrameSize& f : frames)
        width = std::max(width, f.width);
    long long height = 0;
    std::size_t fitting = 0;
    for (; fitting < frames.size(); ++fitting) {
        if (static_cast<long long>(width) * (height + frames[fitting].height) >= 1000000)
            break;
        height += frames[fitting].height;
    }
    if (width <= 0 || height <= 0 || height > 32767)
        return 0;
    const KpxHandle strip = KPXCreateImage(width, static_cast<int>(height), 24);
    if (!strip)
        return 0;
    KPXFillImageByRGBColor(strip, RGB(255, 255, 255));
    int top = 0;
    for (std::size_t i = 0; i < fitting; ++i) {
        const KpxHandle mask = KPXGetImageTransparentImage(frames[i].handle);
        // A mask that is not a 1-bit image of the frame's size cannot be drawn through.
        if (!mask || !KPXRenderImageTo(strip, frames[i].handle, mask, 0, top))
            KPXRenderImageTo(strip, frames[i].handle, 0, 0, top);
        if (mask)
            KPXDeleteImage(mask);
        top += frames[i].height;
    }
    return strip;
}

// Palette of a single palette image with its transparent entry moved to 0 and given a grey
// that no other entry has.
int paletteOfSingleImage(const KpxImageRecord& record, PALETTEENTRY* palette) {
    const int size = static_cast<int>(record.colorCount());
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD q = i < size ? record.colors()[i] : RGBQUAD{};
        palette[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    int transparent = transparentIndex(record);
    if (transparent < 0 || transparent > 255)
        transparent = record.bitCount() == 8 ? 238 : record.bitCount() == 4 ? 15 : 1;
    if (transparent == 0)
        return 0;
    std::swap(palette[0], palette[transparent]);
    for (int grey = 255; grey >= 0; --grey) {
        const bool used = std::any_of(palette + 1, palette + 256, [grey](const PALETTEENTRY& e) {
            return e.peRed == grey && e.peGreen == grey && e.peBlue == grey;
        });
        if (!used) {
            palette[0] = PALETTEENTRY{static_cast<BYTE>(grey), static_cast<BYTE>(grey),
                                      static_cast<BYTE>(grey), 0};
            break;
        }
    }
    return 0;
}

} // namespace

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
        const int oldTransparent = transparentIndex(*record.get());
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

int KPXChangeIndexToIndex(KpxHandle image, int from, int to, int swap) {
    if (!image)
        return 0;
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (!record || !isPaletteDepth(record->bitCount()))
            return 0;
        const int size = static_cast<int>(record->colorCount());
        if (from == to || from < 0 || to < 0 || from >= size || to >= size)
            return 0;
        const int bits = record->bitCount();
        for (int y = 0; y < record->height(); ++y) {
            std::uint8_t* row = storedRow(*record.get(), y);
            for (int x = 0; x < record->width(); ++x) {
                const int index = kpx::indexAt(row, x, bits);
                if (index == from)
                    kpx::setIndexAt(row, x, bits, to);
                else if (swap && index == to)
                    kpx::setIndexAt(row, x, bits, from);
            }
        }
        RGBQUAD* colours = record->colors();
        const RGBQUAD former = colours[from];
        colours[from] = colours[to];
        if (swap)
            colours[to] = former;
    }
    KPXFillDIBColorTable(image);
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
    const auto cellOf = [](int red, int green, int blue) {
        return ((red >> 2) * 64 + (green >> 2)) * 64 + (blue >> 2);
    };
    kpx::ImageLock target(result, kKpxWrite);
    const int w = source->width();
    const int h = source->height();
    // Occupancy first (1 = occupied), then each occupied cell's palette entry.
    std::vector<std::uint8_t> cube(64 * 64 * 64, 0);
    std::vector<bool> ownEntry(cube.size(), false);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* p = storedRow(*source.get(), y);
        for (int x = 0; x < w; ++x, p += 3)
            cube[cellOf(p[2], p[1], p[0])] = 1;
    }
    int colours = 0;
    RGBQUAD* table = target->colors();
    for (std::size_t cell = 0; cell < cube.size(); ++cell) {
        if (!cube[cell])
            continue;
        if (colours < 254) {
            cube[cell] = static_cast<std::uint8_t>(colours);
            ownEntry[cell] = true;
            table[colours] = RGBQUAD{static_cast<BYTE>((cell & 63) << 2),
                                     static_cast<BYTE>(((cell >> 6) & 63) << 2),
                                     static_cast<BYTE>((cell >> 12) << 2), 0};
        }
        ++colours;
    }
    for (const COLORREF c : {colour1, colour2, colour3}) {
        const int cell = cellOf(GetRValue(c), GetGValue(c), GetBValue(c));
        if (ownEntry[cell])
            table[cube[cell]] = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* p = storedRow(*source.get(), y);
        std::uint8_t* out = storedRow(*target.get(), y);
        for (int x = 0; x < w; ++x, p += 3)
            out[x] = cube[cellOf(p[2], p[1], p[0])];
    }
    source.unlock();
    target.unlock();
    KPXFillDIBColorTable(result);
    if (count)
        *count = colours;
    return result;
}

int KPXCalculateOptimPalette256(KpxHandle chain, PALETTEENTRY* palette) {
    if (!palette || !chain)
        return -1;
    kpx::ImageLock record(chain, kKpxRead);
    if (!record)
        return -1;
    if (record->nextFrame == 0 && record->colorCount() > 0)
        return paletteOfSingleImage(*record.get(), palette);
    // Several frames, or a single true-colour frame (which has no table to take), are stacked
    // into one strip whose colours are converted.
    record.unlock();
    const KpxHandle strip = stackFrames(chainFrames(chain));
    if (!strip)
        return -1;
    const int result = paletteFromStrip(strip, palette);
    KPXDeleteImage(strip);
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
        skipped = transparentIndex(*record.get());
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
