#include "FrameReduction.h"

#include "FrameObject.h"
#include "FrameTransforms.h"
#include "ImageUtilities.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kPaletteEntries = 256;

std::vector<std::uint8_t> pixelBytes(KpxHandle image) {
    const std::uint8_t* bits = image ? KPXGetBits(image) : nullptr;
    if (!bits)
        return {};
    return std::vector<std::uint8_t>(bits, bits + KPXSizeImage(image));
}

// The image's transparency as 8-bit grey values of its size (255 transparent), the form the
// record's alpha bytes are read back in: an explicit transparency is taken as it is, a 1-bit
// mask built from transparent colours is spread to 0 and 255.
std::vector<std::uint8_t> transparencyBytes(KpxHandle image) {
    const ScopedImage mask(KPXGetImageTransparentImage(image));
    if (!mask.get())
        return {};
    if (KPXbpp(mask.get()) == 8)
        return pixelBytes(mask.get());
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    if (KPXbpp(mask.get()) != 1 || KPXWidth(mask.get()) != width || KPXHeight(mask.get()) != height)
        return {};
    const ScopedImage grey(CreateSolidImage(width, height, 0));
    if (!grey.get() || !KPXGetBits(grey.get()) || !KPXGetBits(mask.get()))
        return {};
    const std::uint8_t* in = KPXGetBits(mask.get());
    std::uint8_t* out = KPXGetBits(grey.get());
    const int inRow = KPXGetScanBytes(mask.get());
    const int outRow = KPXGetScanBytes(grey.get());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (in[y * inRow + (x >> 3)] & (0x80 >> (x & 7)))
                out[y * outRow + x] = 255;
    return pixelBytes(grey.get());
}

// The 8-bit picture the file shows for a 24-bit frame: the base quantised to 256 colours.
KpxHandle quantisedImage(KpxHandle base) {
    ScopedImage image(KPXCreateImage(KPXWidth(base), KPXHeight(base), 8));
    if (!image.get())
        return 0;
    KPXFineColorConvert(image.get(), base, 0, kPaletteEntries, 0, 0, nullptr, 0);
    return image.release();
}

// The 8-bit source of a soft-alpha or control frame with all 256 colour-table entries (blue in
// the low byte of each word). Other depths have no 8-bit source to keep.
void keep8BitSource(KpxHandle base, NPImageObjectRecord& record) {
    const BITMAPINFO* info = base ? KPXGetBitmapInfoHeader(base) : nullptr;
    if (!info || KPXbpp(base) != 8)
        return;
    record.pixels8 = pixelBytes(base);
    record.palette.assign(kPaletteEntries, 0);
    std::memcpy(record.palette.data(), info->bmiColors, sizeof(RGBQUAD) * kPaletteEntries);
}

} // namespace

int ReduceFramesTo8Bit(FrameList& list, ReduceProgress callback, HWND window) {
    int converted = 0;
    for (CObjFrame& frame : list) {
        const auto base = static_cast<KpxHandle>(frame.GetImage());
        // A picture with a transparency level is written as what it shows: drawn over the frames
        // beneath it like a soft-alpha frame, its own pixels and level kept in the record. Text
        // and vector frames are drawn so anyway.
        if (base && frame.alphaValue > 0 && !frame.hasText && !frame.hasVector)
            frame.softAlpha = 1;
        const int kind = GetFrameObjectKind(&frame);
        NPImageObjectRecord& record = frame.npImage;
        const bool source = frame.hasText || frame.hasVector || frame.hasControl;
        if (!source && base && KPXbpp(base) == 24) {
            frame.hasNPImage = 1;
            record.pixels24 = pixelBytes(base);
            record.alpha = transparencyBytes(base);
            if (const KpxHandle rendered = quantisedImage(base)) {
                if (const std::uint16_t old =
                        frame.SetRenderedImage(static_cast<std::uint16_t>(rendered)))
                    KPXDeleteImage(old);
                frame.PutFrameInfo(1);
            }
            ++converted;
            if (callback && callback(0, converted, window))
                return 2;
        }
        record.alphaValue = frame.alphaValue;
        record.transparencyWord = static_cast<std::int32_t>(frame.transparency);
        if (kind == kFrameKindImage24) {
            frame.hasNPImage = 1;
            record.maskPixels = pixelBytes(static_cast<KpxHandle>(frame.GetMaskImage()));
        }
        if (kind == kFrameKindSoftAlpha8 || kind == kFrameKindControl) {
            frame.hasNPImage = 1;
            keep8BitSource(base, record);
        }
    }
    return 1;
}
