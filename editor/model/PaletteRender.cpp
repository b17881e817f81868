#include "PaletteRender.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FrameChainBuild.h"
#include "FrameObject.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "ProgramState.h"
#include "TextRender.h"

namespace {

std::array<PALETTEENTRY, 256> fixedCubePalette() {
    std::array<PALETTEENTRY, 256> palette{};
    for (int i = 0; i < 216; ++i)
        palette[i] = PALETTEENTRY{static_cast<BYTE>(i / 36 * 51), static_cast<BYTE>(i / 6 % 6 * 51),
                                  static_cast<BYTE>(i % 6 * 51), 0};
    return palette;
}

// The walk from white: red, green, blue lowered by one in turn; black ends it.
template <typename Taken> COLORREF walkToFreeColour(Taken taken) {
    int channel[3] = {255, 255, 255};
    for (int step = 0;; ++step) {
        const COLORREF colour = RGB(static_cast<BYTE>(channel[0]), static_cast<BYTE>(channel[1]),
                                    static_cast<BYTE>(channel[2]));
        if (!taken(colour) || colour == 0)
            return colour;
        --channel[step % 3];
    }
}

bool isObjectFrame(const CObjFrame& frame) {
    return frame.hasText || frame.hasVector || frame.softAlpha;
}

void setOnlyTransparentIndex(KpxHandle image, int index) {
    const KpxTransparentEntry entry{0, 0, index, 0, 1, 0, 0};
    KPXSetImageTransparent(image, &entry, 1);
}

} // namespace

int compareHistTable(const void* a, const void* b) {
    std::uint32_t countA = 0;
    std::uint32_t countB = 0;
    std::memcpy(&countA, a, sizeof countA);
    std::memcpy(&countB, b, sizeof countB);
    if (countA > countB)
        return -1;
    return countA < countB ? 1 : 0;
}

int CalculateOptimAdaptivePalette256(PALETTEENTRY* out, int colours, RenderProgress, HWND) {
    if (!out || !g_pAnimationData)
        return 0;
    constexpr int kStripWidth = 1000;
    long long pixels = 0;
    for (const CObjFrame& frame : g_pAnimationData->frames)
        if (const KpxHandle image = frame.GetDisplayImage())
            pixels += static_cast<long long>(KPXWidth(image)) * KPXHeight(image);
    const int rows = static_cast<int>((pixels + kStripWidth - 1) / kStripWidth);
    if (rows <= 0)
        return 0;
    ScopedImage strip(KPXCreateImage(kStripWidth, rows, 24));
    ScopedImage mask(KPXCreateImage(kStripWidth, rows, 1));
    ScopedImage target(KPXCreateImage(kStripWidth, rows, 8));
    if (!strip.get() || !mask.get() || !target.get())
        return 0;
    std::uint8_t* stripBits = KPXGetBits(strip.get());
    std::uint8_t* maskBits = KPXGetBits(mask.get());
    const int stripStride = KPXGetScanBytes(strip.get());
    const int maskStride = KPXGetScanBytes(mask.get());
    std::memset(maskBits, 0, static_cast<std::size_t>(maskStride) * rows);
    long long at = 0;
    for (const CObjFrame& frame : g_pAnimationData->frames) {
        const KpxHandle image = frame.GetDisplayImage();
        if (!image)
            continue;
        ScopedImage colour(KPXColorConvert(image, 24, 0, 0, 0, nullptr, nullptr));
        ScopedImage transparent(KPXGetImageTransparentImage(image));
        if (!colour.get())
            continue;
        const int width = KPXWidth(image);
        const int height = KPXHeight(image);
        const std::uint8_t* bits = KPXGetBits(colour.get());
        const int stride = KPXGetScanBytes(colour.get());
        const std::uint8_t* maskIn = transparent.get() ? KPXGetBits(transparent.get()) : nullptr;
        const int maskInStride = transparent.get() ? KPXGetScanBytes(transparent.get()) : 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x, ++at) {
                const int column = static_cast<int>(at % kStripWidth);
                const int row = static_cast<int>(at / kStripWidth);
                std::memcpy(stripBits + static_cast<std::size_t>(row) * stripStride + column * 3,
                            bits + static_cast<std::size_t>(y) * stride + x * 3, 3);
                const bool masked =
                    maskIn &&
                    (maskIn[static_cast<std::size_t>(y) * maskInStride + x / 8] >> (7 - x % 8)) & 1;
                if (!masked)
                    maskBits[static_cast<std::size_t>(row) * maskStride + column / 8] |=
                        static_cast<std::uint8_t>(0x80 >> (column % 8));
            }
    }
    PALETTEENTRY palette[256];
    std::memcpy(palette, KPXGetFinePalette(), sizeof palette);
    palette[0] = PALETTEENTRY{255, 255, 255, 0};
    KPXSetNewPalette(target.get(), palette, 256);
    setOnlyTransparentIndex(target.get(), 0);
    ProgressBegin(10875, 0);
    KPXFineColorConvert(target.get(), strip.get(), mask.get(), colours, 0, 1, nullptr, 1);
    ProgressEnd();
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(target.get());
    for (int i = 0; i < 256; ++i)
        out[i] = PALETTEENTRY{info->bmiColors[i].rgbRed, info->bmiColors[i].rgbGreen,
                              info->bmiColors[i].rgbBlue, 0};
    return 0;
}

int CalculateGlobalPalette(PALETTEENTRY* out, int mode, OptimizeOptions options) {
    if (!out)
        return -1;
    switch (mode) {
    case 0:
        return CalculateOptimAdaptivePalette256(out, options.word[7], IsEscapePressed, nullptr);
    case 1:
        std::memcpy(out, KPXGetFinePalette(), sizeof(PALETTEENTRY) * 256);
        return 255;
    case 2: {
        const auto palette = fixedCubePalette();
        std::copy(palette.begin(), palette.end(), out);
        return 255;
    }
    default:
        return -1;
    }
}

void SetImageTransparent(short image, int index) {
    setOnlyTransparentIndex(image, index);
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

short ImageColorConvert24to8(short image, int palette) {
    if (palette != 0)
        return KPXColorConvert(image, 8, static_cast<short>(palette), 1, 0, nullptr, nullptr);
    int count = 0;
    const KpxHandle exact = KPXColorConvert24to8(image, 0, 0, 0, &count);
    if (count <= 253)
        return exact;
    if (exact)
        KPXDeleteImage(exact);
    return KPXColorConvert(image, 8, 0, 1, 0, nullptr, nullptr);
}

short KFMColorConvert8(short image) {
    PALETTEENTRY entries[256] = {};
    GetImagePalette(image, entries);
    return KPXColorConvert(image, 8, 0, 0, 0, entries, nullptr);
}

COLORREF GetUniqueColor(short image) {
    const BITMAPINFO* info = image ? KPXGetBitmapInfoHeader(image) : nullptr;
    if (!info || info->bmiHeader.biBitCount > 8)
        return 0;
    const int entries = 1 << info->bmiHeader.biBitCount;
    return walkToFreeColour([&](COLORREF colour) {
        for (int i = 0; i < entries; ++i) {
            const RGBQUAD& q = info->bmiColors[i];
            if (RGB(q.rgbRed, q.rgbGreen, q.rgbBlue) == colour)
                return true;
        }
        return false;
    });
}

COLORREF GetUniqueColor(unsigned long a, unsigned long b) {
    return walkToFreeColour([&](COLORREF colour) { return colour == a || colour == b; });
}

COLORREF GetUniqueColor(unsigned long a, unsigned long b, unsigned long c, unsigned long d) {
    COLORREF colour = 0xFFFFFF;
    while (colour > 0 && (colour == a || colour == b || colour == c || colour == d))
        --colour;
    return colour;
}

COLORREF GetUniqueColor(int frameCount) {
    if (frameCount < 1)
        return 0xFFFFFFFF;
    std::vector<KpxIndexHistogramEntry> used;
    int index = 0;
    if (g_pAnimationData)
        for (const CObjFrame& frame : g_pAnimationData->frames) {
            if (index++ >= frameCount)
                break;
            KpxIndexHistogramEntry histogram[256] = {};
            int useTransparency = 0;
            if (frame.GetImage())
                KPXGenerateHistogramIndexImage(frame.GetImage(), histogram, &useTransparency);
            used.insert(used.end(), std::begin(histogram), std::end(histogram));
        }
    for (std::size_t i = 0; i < used.size(); ++i)
        for (std::size_t j = i + 1; j < used.size() && used[i].count; ++j)
            if (used[j].count && used[j].red == used[i].red && used[j].green == used[i].green &&
                used[j].blue == used[i].blue) {
                used[i].count += used[j].count;
                used[j] = KpxIndexHistogramEntry{};
            }
    std::qsort(used.data(), used.size(), sizeof(KpxIndexHistogramEntry), compareHistTable);
    return walkToFreeColour([&](COLORREF colour) {
        for (const KpxIndexHistogramEntry& entry : used) {
            if (!entry.count)
                break;
            if (RGB(entry.red, entry.green, entry.blue) == colour)
                return true;
        }
        return false;
    });
}

short CreateRenderedImage(short head, CObjFrame* frame, int prevIndex, int* out) {
    if (out)
        *out = 0;
    if (!frame || !frame->GetImage() || frame->width <= 0 || frame->height <= 0)
        return 0;
    const KpxHandle base = frame->GetImage();
    const int width = frame->width;
    const int height = frame->height;
    const COLORREF background = g_Settings.animBkColor;
    ScopedImage target(KPXCreateImage(width, height, 8));
    ScopedImage canvas(KPXCreateImage(width, height, 24));
    if (!target.get() || !canvas.get())
        return 0;
    IPLImageFillByColor(canvas.get(), 0, background);
    ScopedImage explicitAlpha(KPXGetImageTransparentImageEx(base));
    const bool vectorLike = frame->hasVector || frame->softAlpha;
    ScopedImage emptyMask(vectorLike ? KPXCreateImage(width, height, 1) : 0);
    if (prevIndex >= 0)
        KPXRenderFrames(head, canvas.get(), -frame->left, -frame->top, 0, prevIndex, background, 0,
                        0);
    KPXImageClearByAlpha(canvas.get(), explicitAlpha.get(), 0, 0, 0xFFFFFF);
    BITMAPINFO* canvasInfo = KPXGetBitmapInfoHeader(canvas.get());
    std::uint8_t* canvasBits = KPXGetBits(canvas.get());
    if (frame->hasText)
        KPXStretchBltTransparent(0, &canvasInfo->bmiHeader, canvasBits, 0, 0, width, height, base,
                                 1, 0, 0, 0, 0);
    else if (!KPXIsImageTransparent(base))
        DrawImageStretched(base, canvas.get(), 0, 0, width, height);
    else
        KPXStretchBltTransparent(0, &canvasInfo->bmiHeader, canvasBits, 0, 0, width, height, base,
                                 0, explicitAlpha.get(), emptyMask.get(), 0, 0);
    ScopedImage quantiseMask;
    if (isObjectFrame(*frame) && explicitAlpha.get()) {
        quantiseMask = ScopedImage(CreateThresholdMask(explicitAlpha.get(), 255));
        if (quantiseMask.get())
            KPXInvert(quantiseMask.get());
    }
    KPXSetNewPalette(target.get(), KPXGetFinePalette(), 256);
    setOnlyTransparentIndex(target.get(), 0);
    KPXFineColorConvert(target.get(), canvas.get(), quantiseMask.get(), 256, 0, 1, nullptr, 0);
    FrameInfo info{};
    if (KPXGetImageFramesInfo(base, &info)) {
        KPXSetImageFramesInfo(target.get(), &info);
        FreeFrameParts(info, 0);
    }
    return target.release();
}

int RenderImagesFromFrames(FrameList* frames, int lastIndex, RenderProgress callback, HWND window) {
    if (!frames || frames->empty())
        return 0;
    short head = frames->front().GetImage();
    int rendered = 0;
    int index = 0;
    for (CObjFrame& frame : *frames) {
        if (frame.GetImage() && isObjectFrame(frame) && BuildFramesImage(*frames, 1, 0) == 1) {
            int scratch = 0;
            const short image = CreateRenderedImage(head, &frame, index - 1, &scratch);
            SplitFramesImage(*frames, 1);
            if (const std::uint16_t old = frame.SetRenderedImage(image))
                KPXDeleteImage(old);
            if (index == 0)
                head = image;
            ++rendered;
            if (callback && callback(0, index, window))
                return 2;
        }
        if (lastIndex != -1 && index >= lastIndex)
            return 1;
        ++index;
    }
    return rendered ? 1 : 0;
}

int RenderImagesFromFrames(FrameList* frames, RenderProgress callback, HWND window) {
    return RenderImagesFromFrames(frames, -1, callback, window);
}

namespace {

// The frame's base image becomes its text rendered from the record; false when it cannot be.
bool rebuildTextImage(CObjFrame& frame) {
    FrameInfo info{};
    info.textObject = &frame.text;
    const short image = CreateTextImage(&info);
    if (!image)
        return false;
    KPXFillDIBColorTable(image);
    if (const std::uint16_t old = frame.SetImage(static_cast<std::uint16_t>(image)))
        KPXDeleteImage(old);
    frame.left = frame.text.left;
    frame.top = frame.text.top;
    frame.width = info.width;
    frame.height = info.height;
    frame.transparency = 0x1000000;
    frame.PutFrameInfo(0);
    return true;
}

} // namespace

int RenderImagesFromInfo(FrameList* frames, RenderProgress callback, HWND window) {
    if (!frames)
        return 1;
    int index = 0;
    bool rebuilt = false;
    for (CObjFrame& frame : *frames) {
        frame.objectsAsRead = (frame.hasText || frame.hasVector) ? 1 : 0;
        if (frame.hasText && frame.GetImage() && rebuildTextImage(frame)) {
            frame.objectsAsRead = frame.hasVector ? 1 : 0;
            rebuilt = true;
        }
        if (rebuilt && callback && callback(0, index, window))
            return 2;
        ++index;
    }
    return 1;
}

namespace {

void moveFrames(FrameList& frames, int dx, int dy) {
    for (CObjFrame& f : frames) {
        f.left += dx;
        f.top += dy;
    }
}

} // namespace

short CreateRenderedPreviewImage(FrameList* frames, int index) {
    if (!frames || frames->empty())
        return 0;
    RECT bounds{};
    GetFramesRect(*frames, index, bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0)
        return 0;
    // The frames are rendered as if their rectangle started at 0,0, and moved back afterwards.
    moveFrames(*frames, -bounds.left, -bounds.top);
    ProgressBegin(kfm5res::IDS_CAPTION_RENDERING, CountObjectFrames(index));
    const int rendered = RenderImagesFromFrames(frames, index, IsEscapePressed, nullptr);
    ProgressEnd();
    ScopedImage picture;
    if (rendered != 2 && BuildFramesImage(*frames, 1, 0) == 1) {
        const COLORREF background = g_Settings.animBkColor;
        const auto head = static_cast<KpxHandle>(frames->front().GetDisplayImage());
        // Every chained frame is placed on a screen of the rectangle's size, unscaled.
        AnimateInfo screen{width, height, 0, 0, nullptr};
        for (const CObjFrame& f : *frames)
            if (f.GetDisplayImage())
                KPXSetAnimateInfo(static_cast<KpxHandle>(f.GetDisplayImage()), &screen);
        picture = ScopedImage(KPXCreateImage(width, height, 24));
        if (picture.get()) {
            IPLImageFillByColor(picture.get(), 0, background);
            KPXRenderFrames(head, picture.get(), 0, 0, 0, index, background, 0, 1);
        }
        SplitFramesImage(*frames, 1);
    }
    DeleteRenderedImages(*frames);
    moveFrames(*frames, bounds.left, bounds.top);
    if (!picture.get())
        return 0;
    FrameInfo info{};
    info.left = bounds.left;
    info.top = bounds.top;
    info.disposal = 1;
    KPXSetImageFramesInfo(picture.get(), &info);
    return static_cast<short>(picture.release());
}
