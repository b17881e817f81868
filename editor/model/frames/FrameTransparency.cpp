#include "FrameTransparency.h"

#include <algorithm>

#include "ImageUtilities.h"

namespace kfm::model {

bool hasTransparentIndex(const CObjFrame& f) {
    return (f.transparency & kIndexFlag) != 0;
}

int transparentIndex(const CObjFrame& f) {
    return static_cast<int>(f.transparency & 0xFF);
}

KpxHandle explicitTransparencyOf(KpxHandle image) {
    return image ? KPXGetImageTransparentImageEx(image) : 0;
}

void attachExplicit(KpxHandle image, KpxHandle alpha) {
    KPXSetImageTransparentEx(image, alpha);
}

KpxHandle greyOfMask(KpxHandle mask) {
    ScopedImage grey(CreateSolidImage(KPXWidth(mask), KPXHeight(mask), 0));
    if (!grey.get() || !KPXImageFillByColor(grey.get(), mask, 255))
        return 0;
    return grey.release();
}

} // namespace kfm::model

using kfm::model::attachExplicit;
using kfm::model::explicitTransparencyOf;
using kfm::model::greyOfMask;
using kfm::model::hasTransparentIndex;
using kfm::model::kIndexFlag;
using kfm::model::kRememberedIndexFlag;
using kfm::model::kRememberedIndexMask;
using kfm::model::transparentIndex;

void SetImageTransparent(short image, int index) {
    const KpxTransparentEntry entry{0, 0, index, 0, 1, 0, 0};
    KPXSetImageTransparent(image, &entry, 1);
}

void SetImageTransparent(short image, unsigned long colour) {
    const KpxTransparentEntry entry{
        GetRValue(colour), GetGValue(colour), GetBValue(colour), 0, 0, 0, 0};
    KPXSetImageTransparent(image, &entry, 1);
}

int GetImageTransparentIndex(short image) {
    int count = 0;
    const KpxTransparentEntry* entries = KPXGetImageTransparentData(image, &count);
    if (!entries || count < 1 || entries[0].mode != 1)
        return -1;
    return entries[0].blue;
}

int GetImagePalette(short image, PALETTEENTRY* out) {
    const BITMAPINFO* info = image ? KPXGetBitmapInfoHeader(image) : nullptr;
    if (!info || !out)
        return 0;
    for (DWORD i = 0; i < info->bmiHeader.biClrUsed; ++i)
        out[i] = PALETTEENTRY{info->bmiColors[i].rgbRed, info->bmiColors[i].rgbGreen,
                              info->bmiColors[i].rgbBlue, 0};
    return 1;
}

namespace {

int levelByte(int percent) {
    return static_cast<int>(percent * 2.55 + 0.5);
}

void removeLevel(CObjFrame& f, KpxHandle image) {
    const bool keepsDepth = KPXbpp(image) != 8 || f.hasText;
    const KpxHandle mask = static_cast<KpxHandle>(f.SetMaskImage(0));
    if (keepsDepth && !f.hasControl) {
        // The frame's own transparency comes back; a level that had none to keep goes.
        if (mask)
            attachExplicit(image, mask);
        else if (!f.softAlpha && !f.hasVector && !f.hasText)
            attachExplicit(image, 0);
        return;
    }
    const std::uint32_t remembered = f.transparency & kRememberedIndexMask;
    if (remembered) {
        if (mask)
            KPXDeleteImage(mask);
        attachExplicit(image, 0);
        f.transparency = (f.transparency & 0xFF) + kIndexFlag;
        SetImageTransparent(static_cast<short>(image), transparentIndex(f));
        return;
    }
    // A graded palette frame gets its own transparency back rather than none.
    attachExplicit(image, mask);
}

void applyFirstLevel(CObjFrame& f, KpxHandle image, int k) {
    const KpxHandle own = explicitTransparencyOf(image);
    if (hasTransparentIndex(f) && !f.hasText && !f.softAlpha) {
        ScopedImage mask(KPXGetImageTransparentImage(image));
        const KpxHandle grey = mask.get() ? greyOfMask(mask.get())
                                          : CreateSolidImage(KPXWidth(image), KPXHeight(image), 0);
        if (const std::uint16_t old = f.SetMaskImage(static_cast<std::uint16_t>(grey)))
            KPXDeleteImage(old);
        KPXSetImageTransparent(image, nullptr, 0);
        f.transparency = (f.transparency & 0xFF) + kRememberedIndexFlag;
        attachExplicit(image,
                       static_cast<KpxHandle>(RaiseTransparency(static_cast<short>(grey), k)));
        return;
    }
    if (!own) {
        // Nothing of its own to keep: the level alone.
        attachExplicit(image, CreateSolidImage(KPXWidth(image), KPXHeight(image), k));
        return;
    }
    const KpxHandle copy = KPXCreateImageFrom(own, 0);
    if (const std::uint16_t old = f.SetMaskImage(static_cast<std::uint16_t>(copy)))
        KPXDeleteImage(old);
    attachExplicit(image, static_cast<KpxHandle>(RaiseTransparency(static_cast<short>(copy), k)));
}

} // namespace

short RaiseTransparency(short grey, int k) {
    const auto source = static_cast<KpxHandle>(grey);
    if (!source || KPXbpp(source) != 8)
        return 0;
    const int width = KPXWidth(source);
    const int height = KPXHeight(source);
    const KpxHandle raised = CreateSolidImage(width, height, 0);
    if (!raised)
        return 0;
    const std::uint8_t* in = KPXGetBits(source);
    std::uint8_t* out = KPXGetBits(raised);
    const int inStride = KPXGetScanBytes(source);
    const int outStride = KPXGetScanBytes(raised);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int v = in[static_cast<std::size_t>(y) * inStride + x];
            out[static_cast<std::size_t>(y) * outStride + x] =
                static_cast<std::uint8_t>(v + ((255 - v) * k) / 255);
        }
    return static_cast<short>(raised);
}

void SetFrameTransparencyLevel(CObjFrame* frame, int percent) {
    if (!frame || !frame->GetImage())
        return;
    CObjFrame& f = *frame;
    percent = std::clamp(percent, 0, 100);
    const int k = levelByte(percent);
    // The steps work on a copy: the history's snapshots share the base image.
    const KpxHandle image = KPXCreateImageFrom(static_cast<KpxHandle>(f.GetImage()), 0);
    if (!image)
        return;
    if (k == 0) {
        removeLevel(f, image);
        f.alphaValue = 0;
    } else if (f.alphaValue < 1 || !f.GetMaskImage()) {
        applyFirstLevel(f, image, k);
        f.alphaValue = percent;
    } else {
        attachExplicit(image, static_cast<KpxHandle>(
                                  RaiseTransparency(static_cast<short>(f.GetMaskImage()), k)));
        f.alphaValue = percent;
    }
    // The copy becomes the base image; the old one is released.
    if (const std::uint16_t old = f.SetImage(static_cast<std::uint16_t>(image)))
        KPXDeleteImage(static_cast<KpxHandle>(old));
}
