#include "ImagePalette.h"

#include "ColorConversion.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "PixelAccess.h"
#include "Transparency.h"

#include <algorithm>
#include <array>

namespace {

// The record of an image whose colour table may be used without the permission word.
KpxImageRecord* recordWithTable(KpxHandle image) {
    KpxImageRecord* record = image ? KpxFindImage(image) : nullptr;
    return record && record->info && record->colorCount() ? record : nullptr;
}

RGBQUAD toQuad(COLORREF c) {
    return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}

// Fills image with value through the mask of the pixels of source that one entry selects; the
// mask is deleted on every path.
int fillThroughMask(KpxHandle image, KpxHandle source, const KpxTransparentEntry& entry,
                    COLORREF value) {
    const KpxHandle mask = KPXCreateMaskImageFrom(source, &entry, 1);
    if (!mask)
        return 0;
    const int result = KPXImageFillByColor(image, mask, value);
    KPXDeleteImage(mask);
    return result ? 1 : 0;
}

KpxTransparentEntry exactColour(COLORREF c) {
    return {GetRValue(c), GetGValue(c), GetBValue(c), 0, kKpxTransparentColor, 0, 0};
}

// The value to fill with for colour: its table index for palette images (0 when the table
// lacks it), the colour itself otherwise.
COLORREF fillValue(KpxHandle image, COLORREF colour) {
    if (!recordWithTable(image))
        return colour;
    const short index = KPXGetColorIndexFromPalette(image, colour);
    return index < 0 ? 0 : static_cast<COLORREF>(index);
}

} // namespace

int KPXSetNewPalette(KpxHandle image, const PALETTEENTRY* entries, int n) {
    KpxImageRecord* record = recordWithTable(image);
    if (!record || !entries)
        return 0;
    const int count = std::clamp(n, 0, static_cast<int>(record->colorCount()));
    for (int i = 0; i < count; ++i)
        record->colors()[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    KpxInvalidateChecksum(record);
    KPXFillDIBColorTable(image);
    return 1;
}

int KPXSetColorToPalette(KpxHandle image, int index, COLORREF colour) {
    KpxImageRecord* record = recordWithTable(image);
    if (!record || index < 0 || static_cast<std::uint32_t>(index) >= record->colorCount())
        return 0;
    record->colors()[index] = toQuad(colour);
    KpxInvalidateChecksum(record);
    return 1;
}

COLORREF KPXGetColorFromPalette(KpxHandle image, int index) {
    const KpxImageRecord* record = recordWithTable(image);
    if (!record || index < 0 || static_cast<std::uint32_t>(index) >= record->colorCount())
        return static_cast<COLORREF>(-1);
    const RGBQUAD c = record->colors()[index];
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

short KPXGetColorIndexFromPalette(KpxHandle image, COLORREF colour) {
    const KpxImageRecord* record = recordWithTable(image);
    if (!record)
        return -1;
    const RGBQUAD wanted = toQuad(colour);
    for (std::uint32_t i = 0; i < record->colorCount(); ++i) {
        const RGBQUAD c = record->colors()[i];
        if (c.rgbRed == wanted.rgbRed && c.rgbGreen == wanted.rgbGreen &&
            c.rgbBlue == wanted.rgbBlue)
            return static_cast<short>(i);
    }
    return -1;
}

int KPXNumColorUsed(KpxHandle image, std::int32_t* counts) {
    std::array<std::int32_t, 256> local{};
    std::int32_t* tally = counts ? counts : local.data();
    std::fill(tally, tally + 256, 0);
    const KpxImageRecord* record = image ? KpxFindImage(image) : nullptr;
    if (!kpx::hasPixels(record))
        return 0;
    const int bpp = record->bitCount();
    if (bpp != 1 && bpp != 4 && bpp != 8)
        return 0;
    for (std::int32_t y = 0; y < record->height(); ++y) {
        const std::uint8_t* row = kpx::pictureRow(*record, y);
        for (std::int32_t x = 0; x < record->width(); ++x)
            ++tally[kpx::indexAt(row, x, bpp)];
    }
    return static_cast<int>(
        std::count_if(tally, tally + 256, [](std::int32_t n) { return n > 0; }));
}

int KPXChangeColorToColor(KpxHandle image, COLORREF from, COLORREF to) {
    if (!image)
        return 0;
    return fillThroughMask(image, image, exactColour(from), fillValue(image, to));
}

int KPXChangeColorToColorRef(KpxHandle image, KpxHandle reference, COLORREF from, COLORREF to) {
    if (!image || !reference)
        return 0;
    return fillThroughMask(image, reference, exactColour(from), fillValue(image, to));
}

int KPXChangeIndexToIndexRef(KpxHandle image, KpxHandle reference, int from, int to) {
    if (!image || !reference)
        return 0;
    const KpxTransparentEntry entry{0, 0, from, 0, kKpxTransparentIndex, 0, 0};
    return fillThroughMask(image, reference, entry, static_cast<COLORREF>(to));
}
