#include "ChainPalette.h"

#include "ColorConversion.h"
#include "ColorMatching.h"
#include "FrameComposition.h"
#include "ImageCreation.h"
#include "ImageFill.h"
#include "ImageTable.h"
#include "Transparency.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace {

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
    int transparent = kpx::transparentIndex(record);
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
