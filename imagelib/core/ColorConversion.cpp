#include "ColorConversion.h"

#include "ImageCreation.h"
#include "ImageTable.h"

#include <new>

namespace {

int paletteSize(int depth) {
    return depth <= 8 ? 1 << depth : 0;
}

// Target depth, dither and palette choice of one conversion after the source has been seen.
struct Request {
    int depth = 24;
    int dither = 0;
    int paletteMode = 0;
    bool reserve = false;
    bool grey = false;
};

// Applies the depth rules; false for combinations the conversion does not define.
bool resolveRequest(int sourceBits, short depth, short dither, short paletteMode, int grey,
                    Request* out) {
    Request r;
    r.grey = grey != 0;
    r.depth = r.grey ? 8 : KpxNormalizeDepth(depth);
    r.dither = dither;
    r.paletteMode = paletteMode;
    if (sourceBits == 32) {
        r.depth = 24;
        r.dither = 0;
        r.paletteMode = 0;
        r.grey = false;
    } else if (r.grey) {
        r.dither = 0;
        r.paletteMode = 0;
    }
    if (r.depth == 32)
        return false;
    r.reserve = (r.paletteMode & kKpxPaletteReserveLast) != 0;
    r.paletteMode &= ~kKpxPaletteReserveLast;
    if (r.dither < kKpxDitherNone || r.dither > kKpxDitherBurkes)
        return false;
    if (r.paletteMode != kKpxPaletteFixed && r.paletteMode != kKpxPalettePopularity)
        return false;
    if (r.grey)
        r.reserve = (paletteMode & kKpxPaletteReserveLast) != 0;
    if (paletteSize(r.depth) == 0) {
        r.dither = 0;
        r.reserve = false;
    }
    if (r.depth == 1)
        r.reserve = false;
    *out = r;
    return true;
}

kpx::Palette workingPalette(const Request& r, const kpx::PixelSurface& source,
                            const PALETTEENTRY* callerPalette, int count,
                            KpxRowProgress& progress) {
    kpx::Palette palette(static_cast<std::size_t>(count));
    if (r.grey) {
        for (int j = 0; j < count; ++j)
            palette[j] = kpx::Rgb{static_cast<std::uint8_t>(j), static_cast<std::uint8_t>(j),
                                  static_cast<std::uint8_t>(j)};
    } else if (r.paletteMode == kKpxPalettePopularity) {
        palette =
            kpx::popularityPalette(source, r.depth, count, r.dither != 0, r.reserve, progress);
    } else if (callerPalette) {
        for (int j = 0; j < count; ++j)
            palette[j] =
                kpx::Rgb{callerPalette[j].peRed, callerPalette[j].peGreen, callerPalette[j].peBlue};
    } else {
        palette = kpx::defaultPalette(r.depth);
        palette.resize(static_cast<std::size_t>(count));
    }
    return palette;
}

void writeColorTable(KpxImageRecord& record, const kpx::Palette& palette) {
    for (std::size_t i = 0; i < palette.size() && i < record.colorCount(); ++i)
        record.colors()[i] = RGBQUAD{palette[i].blue, palette[i].green, palette[i].red, 0};
}

} // namespace

KpxHandle KPXColorConvert(KpxHandle image, short depth, short dither, short paletteMode, int grey,
                          const PALETTEENTRY* palette, KpxRowCallback progress) {
    if (!image)
        return 0;
    kpx::ImageLock source(image, kKpxRead);
    if (!source)
        return 0;
    Request request;
    if (!resolveRequest(source->bitCount(), depth, dither, paletteMode, grey, &request))
        return 0;
    const KpxHandle result = KPXCreateImage(source->width(), source->height(), request.depth);
    if (!result)
        return 0;
    kpx::ImageLock target(result, kKpxWrite);
    if (!target) {
        source.unlock();
        KPXDeleteImage(result);
        return 0;
    }

    KpxRowProgress counter;
    counter.callback = progress;
    const int fullSize = paletteSize(request.depth);
    if (request.paletteMode == kKpxPalettePopularity && !request.grey && fullSize > 0)
        counter.passes = 2;
    const int count = fullSize - (request.reserve ? 1 : 0);

    try {
        const kpx::PixelSurface from = kpx::surfaceOf(*source.get());
        const kpx::PixelSurface to = kpx::surfaceOf(*target.get());
        kpx::ConversionPlan plan;
        plan.targetDepth = request.depth;
        plan.dither = request.dither;
        plan.grey = request.grey;
        plan.reserved = request.reserve;
        if (count > 0)
            plan.palette = workingPalette(request, from, palette, count, counter);
        kpx::convertPixels(from, to, plan, counter);
        writeColorTable(*target.get(), plan.palette);
    } catch (const std::bad_alloc&) {
        // Without working memory the image keeps the contents it was created with.
    }
    source.unlock();
    target.unlock();
    KPXFillDIBColorTable(result);
    return result;
}

KpxHandle KPXCreateImage8from24(KpxHandle image) {
    kpx::ImageLock source(image, kKpxRead);
    if (!source || source->bitCount() != 24)
        return 0;
    const KpxHandle result = KPXCreateImage(source->width(), source->height(), 8);
    if (!result)
        return 0;
    {
        kpx::ImageLock target(result, kKpxWrite);
        try {
            kpx::convert24to8Popular(kpx::surfaceOf(*source.get()), kpx::surfaceOf(*target.get()),
                                     target->colors());
        } catch (const std::bad_alloc&) {
            target.unlock();
            KPXDeleteImage(result);
            return 0;
        }
    }
    KPXFillDIBColorTable(result);
    return result;
}

KpxHandle KPXCreateImage16from24(KpxHandle image) {
    if (!image)
        return 0;
    kpx::ImageLock source(image, kKpxRead);
    if (!source || source->bitCount() != 24)
        return 0;
    const KpxHandle result = KPXCreateImage(source->width(), source->height(), kKpxDepth565);
    if (!result)
        return 0;
    kpx::ImageLock target(result, kKpxWrite);
    kpx::convert24to565(kpx::surfaceOf(*source.get()), kpx::surfaceOf(*target.get()));
    return result;
}

int KPXIsImageBlank(KpxHandle image, int fill) {
    if (!image)
        return 0;
    kpx::ImageLock record(image, kKpxRead);
    if (!record || record->bitCount() != 24)
        return 0;
    return kpx::isFilledWith(kpx::surfaceOf(*record.get()), static_cast<std::uint8_t>(fill & 0xFF))
               ? 1
               : 0;
}

int KPXIsPrintedColorWhite(HDC) {
    // Only raster printers can render white differently from a DIB's white, and no device
    // context of this platform is a raster printer: printing goes through Qt, which draws
    // direct and DIB colours alike.
    return 0;
}

int KPXImageFillByColor(KpxHandle image, KpxHandle mask, COLORREF colour) {
    if (!image || !mask)
        return 0;
    kpx::ImageLock target(image, kKpxWrite);
    if (!target)
        return 0;
    const kpx::SecondImageLock maskLock(target, image, mask, kKpxRead);
    KpxImageRecord* maskRecord = maskLock.get();
    if (!maskRecord || maskRecord->bitCount() != 1 || maskRecord->width() != target->width() ||
        maskRecord->height() != target->height())
        return 0;
    return kpx::fillThroughMask(kpx::surfaceOf(*target.get()), kpx::surfaceOf(*maskRecord), colour)
               ? 1
               : 0;
}
