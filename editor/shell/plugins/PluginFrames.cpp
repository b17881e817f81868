#include "PluginFrames.h"

#include "PaletteRender.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace kfm::plugins {

namespace {

constexpr int kLargestSide = 32767;
constexpr int kLargestDelay = 65535;
constexpr int kFullyTransparent = 255;

// Row length of `bits` per pixel, padded to 4 bytes.
long long paddedRow(int width, int bits) {
    return (static_cast<long long>(width) * bits + 31) / 32 * 4;
}

// Bytes the pixels of one row fill.
long long pixelBytes(int width, int bits) {
    return (static_cast<long long>(width) * bits + 7) / 8;
}

// The record's row length: its own, or computed when it gives 0.
long long rowLengthOf(const BITMAP& bitmap, int width, int bits) {
    return bitmap.bmWidthBytes == 0 ? paddedRow(width, bits) : bitmap.bmWidthBytes;
}

// Row y of a library image counted from the top (its rows are stored bottom up).
std::uint8_t* imageRow(std::uint8_t* bits, int rowBytes, int height, int y) {
    return bits + static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(rowBytes);
}

const std::uint8_t* recordRow(const BITMAP& bitmap, long long row, int y) {
    return static_cast<const std::uint8_t*>(bitmap.bmBits) + static_cast<std::size_t>(row) * y;
}

// An 8-bit transparency image (grey palette) of the same size with 255 where the 1- or 8-bit
// transparency image is fully transparent.
ScopedImage eightBitTransparency(KpxHandle transparency) {
    const int depth = KPXbpp(transparency);
    const int width = KPXWidth(transparency);
    const int height = KPXHeight(transparency);
    if (depth != 1 && depth != 8)
        return ScopedImage();
    ScopedImage out(CreateSolidImage(width, height, 0));
    const std::uint8_t* in = KPXGetBits(transparency);
    std::uint8_t* bits = out.get() ? KPXGetBits(out.get()) : nullptr;
    if (!in || !bits)
        return ScopedImage();
    const int inRow = KPXGetScanBytes(transparency);
    const int outRow = KPXGetScanBytes(out.get());
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = in + static_cast<std::size_t>(y) * inRow;
        std::uint8_t* target = bits + static_cast<std::size_t>(y) * outRow;
        if (depth == 8) {
            std::memcpy(target, source, static_cast<std::size_t>(width));
            continue;
        }
        for (int x = 0; x < width; ++x)
            target[x] = (source[x / 8] >> (7 - x % 8)) & 1 ? kFullyTransparent : 0;
    }
    return out;
}

bool validSize(int width, int height) {
    return width >= 1 && width <= kLargestSide && height >= 1 && height <= kLargestSide;
}

// Whether the record's mask can be read for a picture of width x height.
bool maskReadable(const BITMAP& mask, int width, int height) {
    const int bits = mask.bmBitsPixel;
    return mask.bmWidth >= width && mask.bmHeight >= height &&
           rowLengthOf(mask, width, bits) >= pixelBytes(width, bits);
}

ReturnedFrame::Status checkRecord(const PluginFrame& r) {
    using Status = ReturnedFrame::Status;
    const int width = r.image.bmWidth;
    const int height = r.image.bmHeight;
    const int bits = r.image.bmBitsPixel;
    if (!validSize(width, height))
        return Status::Unreadable;
    if (bits != 8 && bits != 24)
        return Status::UnsupportedDepth;
    if (!r.image.bmBits || rowLengthOf(r.image, width, bits) < pixelBytes(width, bits))
        return Status::Unreadable;
    if (bits == 8 && !r.palette)
        return Status::Unreadable;
    const bool hasMask = r.mask.bmBits && (r.mask.bmBitsPixel == 1 || r.mask.bmBitsPixel == 8);
    if (hasMask && !maskReadable(r.mask, width, height))
        return Status::Unreadable;
    return Status::Ok;
}

void copyPixels(const PluginFrame& r, KpxHandle image) {
    const int width = r.image.bmWidth;
    const int height = r.image.bmHeight;
    const long long row = rowLengthOf(r.image, width, r.image.bmBitsPixel);
    std::uint8_t* bits = KPXGetBits(image);
    const int rowBytes = KPXGetScanBytes(image);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = recordRow(r.image, row, y);
        std::uint8_t* target = imageRow(bits, rowBytes, height, y);
        if (r.image.bmBitsPixel == 24) {
            std::memcpy(target, source, static_cast<std::size_t>(width) * 3);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const PALETTEENTRY& c = r.palette[source[x]];
            target[3 * x] = c.peBlue;
            target[3 * x + 1] = c.peGreen;
            target[3 * x + 2] = c.peRed;
        }
    }
}

// The transparency image of an 8-bit mask (the record's 255 is opaque).
ScopedImage alphaFromMask(const PluginFrame& r) {
    const int width = r.image.bmWidth;
    const int height = r.image.bmHeight;
    ScopedImage alpha(CreateSolidImage(width, height, 0));
    if (!alpha.get())
        return alpha;
    const long long row = rowLengthOf(r.mask, width, 8);
    std::uint8_t* bits = KPXGetBits(alpha.get());
    const int rowBytes = KPXGetScanBytes(alpha.get());
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = recordRow(r.mask, row, y);
        std::uint8_t* target = imageRow(bits, rowBytes, height, y);
        for (int x = 0; x < width; ++x)
            target[x] = static_cast<std::uint8_t>(kFullyTransparent - source[x]);
    }
    return alpha;
}

// The transparency mask of a 1-bit mask: its rows, inverted (the record's 1 is opaque).
ScopedImage maskFromBits(const PluginFrame& r) {
    const int width = r.image.bmWidth;
    const int height = r.image.bmHeight;
    ScopedImage mask(KPXCreateImage(width, height, 1));
    std::uint8_t* bits = mask.get() ? KPXGetBits(mask.get()) : nullptr;
    if (!bits)
        return ScopedImage();
    const long long row = rowLengthOf(r.mask, width, 1);
    const int rowBytes = KPXGetScanBytes(mask.get());
    for (int y = 0; y < height; ++y)
        std::memcpy(imageRow(bits, rowBytes, height, y), recordRow(r.mask, row, y),
                    static_cast<std::size_t>(pixelBytes(width, 1)));
    KPXInvert(mask.get());
    return mask;
}

// The transparency image of an 8-bit record without mask: 255 where the pixel is the
// transparent index, 0 elsewhere (all 0 for -1).
ScopedImage alphaFromIndex(const PluginFrame& r) {
    const int width = r.image.bmWidth;
    const int height = r.image.bmHeight;
    ScopedImage alpha(CreateSolidImage(width, height, 0));
    if (!alpha.get() || r.transparentIndex < 0)
        return alpha;
    const long long row = rowLengthOf(r.image, width, 8);
    std::uint8_t* bits = KPXGetBits(alpha.get());
    const int rowBytes = KPXGetScanBytes(alpha.get());
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = recordRow(r.image, row, y);
        std::uint8_t* target = imageRow(bits, rowBytes, height, y);
        for (int x = 0; x < width; ++x)
            if (source[x] == r.transparentIndex)
                target[x] = kFullyTransparent;
    }
    return alpha;
}

// Hands the transparency to the image with setter; the image owns it when that succeeds.
bool attach(KpxHandle image, ScopedImage transparency, int (*setter)(KpxHandle, KpxHandle)) {
    if (!transparency.get() || !setter(image, transparency.get()))
        return false;
    transparency.release();
    return true;
}

// Gives the image the record's transparency; true when one was attached.
bool attachTransparency(const PluginFrame& r, KpxHandle image) {
    const int maskBits = r.mask.bmBits ? r.mask.bmBitsPixel : 0;
    if (maskBits == 8)
        return attach(image, alphaFromMask(r), KPXSetImageTransparentEx);
    if (maskBits == 1)
        return attach(image, maskFromBits(r), KPXSetImageTransparentMask);
    if (r.image.bmBitsPixel != 8)
        return false;
    return attach(image, alphaFromIndex(r), KPXSetImageTransparentEx);
}

} // namespace

ScopedImage MakePluginCopy(KpxHandle picture) {
    if (!picture)
        return ScopedImage();
    ScopedImage copy(KPXCreateImage(KPXWidth(picture), KPXHeight(picture), 8));
    if (!copy.get())
        return copy;
    if (const int index = GetImageTransparentIndex(picture); index >= 0) {
        if (const COLORREF colour = KPXGetColorFromPalette(picture, index);
            colour != static_cast<COLORREF>(-1))
            KPXSetColorToPalette(copy.get(), 0, colour);
        SetImageTransparent(static_cast<short>(copy.get()), 0);
    }
    if (!KPXFineColorConvert(copy.get(), picture, 0, 256, 0, 0, nullptr, 0))
        return ScopedImage();
    if (const KpxHandle transparency = KPXGetImageTransparentImageEx(picture))
        attach(copy.get(), eightBitTransparency(transparency), KPXSetImageTransparentEx);
    return copy;
}

bool PackPluginFrame(KpxHandle image8, PluginFrame& out) {
    std::uint8_t* bits = image8 ? KPXGetBits(image8) : nullptr;
    const BITMAPINFO* info = image8 ? KPXGetBitmapInfoHeader(image8) : nullptr;
    if (!bits || !info || KPXbpp(image8) != 8)
        return false;
    const int width = KPXWidth(image8);
    const int height = KPXHeight(image8);
    const KpxHandle transparency = KPXGetImageTransparentImageEx(image8);
    const int maskBits = transparency && KPXbpp(transparency) == 8 ? 8 : 0;
    out.mask = BITMAP{};
    if (AllocPluginFrame(&out, width, height, 8, maskBits) != 1)
        return false;
    out.disposal = 0;
    out.delay = kPluginDefaultDelay;
    out.transparentIndex = -1;

    const int rowBytes = KPXGetScanBytes(image8);
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<std::uint8_t*>(out.image.bmBits) +
                        static_cast<std::size_t>(out.image.bmWidthBytes) * y,
                    imageRow(bits, rowBytes, height, y), static_cast<std::size_t>(width));

    const DWORD colours = std::min<DWORD>(info->bmiHeader.biClrUsed, 256);
    std::fill_n(out.palette, 256, PALETTEENTRY{0, 0, 0, 0});
    for (DWORD i = 0; i < colours; ++i)
        out.palette[i] = PALETTEENTRY{info->bmiColors[i].rgbRed, info->bmiColors[i].rgbGreen,
                                      info->bmiColors[i].rgbBlue, 0};
    if (const int index = GetImageTransparentIndex(static_cast<short>(image8)); index >= 0)
        out.transparentIndex = index & 0xFF;

    if (maskBits == 8) {
        const std::uint8_t* alpha = KPXGetBits(transparency);
        const int alphaRow = KPXGetScanBytes(transparency);
        if (!alpha)
            return false;
        for (int y = 0; y < height; ++y)
            std::memcpy(static_cast<std::uint8_t*>(out.mask.bmBits) +
                            static_cast<std::size_t>(out.mask.bmWidthBytes) * y,
                        imageRow(const_cast<std::uint8_t*>(alpha), alphaRow, height, y),
                        static_cast<std::size_t>(width));
    }
    return true;
}

ReturnedFrame UnpackPluginFrame(const PluginFrame& record) {
    ReturnedFrame out;
    out.status = checkRecord(record);
    if (out.status != ReturnedFrame::Status::Ok)
        return out;
    out.width = record.image.bmWidth;
    out.height = record.image.bmHeight;
    out.image.reset(KPXCreateImage(out.width, out.height, 24));
    if (!out.image.get() || !KPXGetBits(out.image.get())) {
        out.status = ReturnedFrame::Status::Unreadable;
        out.image.reset(0);
        return out;
    }
    copyPixels(record, out.image.get());
    out.graded = attachTransparency(record, out.image.get());
    out.left = record.left;
    out.top = record.top;
    out.delay = std::clamp(record.delay, 0, kLargestDelay);
    out.disposal = record.disposal < 0 || record.disposal > 3 ? 0 : record.disposal;
    return out;
}

int InsertReturnedFrame(FrameList& frames, int position, ReturnedFrame&& returned) {
    for (CObjFrame& f : frames) {
        f.selected = 0;
        f.current = 0;
    }
    const int size = static_cast<int>(frames.size());
    auto at = frames.end();
    int index = size;
    if (size > 0 && position >= 0 && position < size - 1) {
        // After the node at position.
        at = std::next(frames.begin(), position + 1);
        index = position + 1;
    } else if (size > 0) {
        // Before the placeholder.
        at = std::prev(frames.end());
        index = size - 1;
    }
    const auto inserted = frames.emplace(
        at, static_cast<std::uint16_t>(returned.image.release()), returned.width, returned.height,
        returned.left, returned.top, returned.delay, returned.disposal, 0u, nullptr, nullptr,
        nullptr, nullptr, nullptr, nullptr, returned.graded ? 1 : 0);
    inserted->selected = 1;
    inserted->current = 1;
    return index;
}

} // namespace kfm::plugins
