#include "PaletteRender.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "FrameAlignment.h"
#include "FrameChainBuild.h"
#include "FrameObject.h"
#include "ImageUtilities.h"
#include "ImportReaders.h"
#include "Kfm5ResourceIds.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "TextRender.h"
#include "UndoHistory.h"

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

// Soft alpha or a transparency level: the frame lets what lies beneath show through in grades.
bool showsThroughInGrades(const CObjFrame& frame) {
    return frame.softAlpha || frame.alphaValue > 0;
}

// A frame whose picture is drawn over the frames beneath it before it is written.
bool isObjectFrame(const CObjFrame& frame) {
    return frame.hasText || frame.hasVector || showsThroughInGrades(frame);
}

void setOnlyTransparentIndex(KpxHandle image, int index) {
    SetImageTransparent(static_cast<short>(image), index);
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

namespace {

// A colour as 0x00RRGGBB.
std::uint32_t rgbKey(BYTE red, BYTE green, BYTE blue) {
    return (static_cast<std::uint32_t>(red) << 16) | (static_cast<std::uint32_t>(green) << 8) |
           blue;
}

// The opaque colours every frame shows, with their pixel counts, and whether any pixel is
// transparent.
struct ColourCensus {
    std::unordered_map<std::uint32_t, std::uint64_t> counts;
    std::uint64_t pixels = 0;
    bool transparentPixels = false;
};

// Whether the 1-bit transparency mask row marks pixel x (rows as stored, bits from the left).
bool maskedAt(const std::uint8_t* maskRow, int x) {
    return maskRow && ((maskRow[x / 8] >> (7 - x % 8)) & 1);
}

// Pixel counts gathered in a small direct-mapped table of the colours met last and added to the
// census when a colour gives way to another in its slot, or at the end: a frame shows few
// colours, many times each, and a slot costs far less than a look-up in the census.
class RecentCounts {
public:
    explicit RecentCounts(ColourCensus& census) : census_(census) {}
    ~RecentCounts() {
        for (const Slot& slot : slots_)
            flush(slot);
    }
    RecentCounts(const RecentCounts&) = delete;
    RecentCounts& operator=(const RecentCounts&) = delete;

    void add(std::uint32_t key) {
        Slot& slot = slots_[(key * 0x9E3779B1u) >> (32 - kSlotBits)];
        if (slot.key != key) {
            flush(slot);
            slot = Slot{key, 0};
        }
        ++slot.count;
    }

private:
    static constexpr int kSlotBits = 12;
    struct Slot {
        std::uint32_t key = 0;
        std::uint64_t count = 0;
    };
    void flush(const Slot& slot) {
        if (!slot.count)
            return;
        census_.counts[slot.key] += slot.count;
        census_.pixels += slot.count;
    }

    ColourCensus& census_;
    std::vector<Slot> slots_ = std::vector<Slot>(std::size_t{1} << kSlotBits);
};

// Index counts kept in four tables in turn: runs of one index would otherwise wait on the same
// counter from pixel to pixel.
class IndexCounts {
public:
    void addRow(const std::uint8_t* row, int width) {
        int x = 0;
        for (; x + 4 <= width; x += 4) {
            ++parts_[0][row[x]];
            ++parts_[1][row[x + 1]];
            ++parts_[2][row[x + 2]];
            ++parts_[3][row[x + 3]];
        }
        for (; x < width; ++x)
            ++parts_[0][row[x]];
    }
    void add(std::uint8_t index) { ++parts_[0][index]; }
    std::uint64_t count(int index) const {
        const auto i = static_cast<std::size_t>(index);
        return parts_[0][i] + parts_[1][i] + parts_[2][i] + parts_[3][i];
    }

private:
    std::array<std::array<std::uint64_t, 256>, 4> parts_{};
};

void countImage(KpxHandle image, ColourCensus& census) {
    const ScopedImage transparent(KPXIsImageTransparent(image) ? KPXGetImageTransparentImage(image)
                                                               : 0);
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const std::uint8_t* maskBits = transparent.get() ? KPXGetBits(transparent.get()) : nullptr;
    const int maskStride = maskBits ? KPXGetScanBytes(transparent.get()) : 0;
    const auto maskRow = [&](int y) {
        return maskBits ? maskBits + static_cast<std::size_t>(y) * maskStride : nullptr;
    };
    if (KPXbpp(image) == 8) {
        // Indices first: one look-up per palette entry rather than per pixel.
        IndexCounts counts;
        const std::uint8_t* bits = KPXGetBits(image);
        const int stride = KPXGetScanBytes(image);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = bits + static_cast<std::size_t>(y) * stride;
            const std::uint8_t* mask = maskRow(y);
            if (!mask) {
                counts.addRow(row, width);
                continue;
            }
            for (int x = 0; x < width; ++x) {
                if (x % 8 == 0 && x + 8 <= width && mask[x / 8] == 0) {
                    // Eight opaque pixels.
                    counts.addRow(row + x, 8);
                    x += 7;
                } else if (maskedAt(mask, x)) {
                    census.transparentPixels = true;
                } else {
                    counts.add(row[x]);
                }
            }
        }
        std::array<std::uint64_t, 256> perIndex{};
        for (int i = 0; i < 256; ++i)
            perIndex[static_cast<std::size_t>(i)] = counts.count(i);
        const RGBQUAD* table = KPXGetBitmapInfoHeader(image)->bmiColors;
        for (int i = 0; i < 256; ++i)
            if (perIndex[i]) {
                census.counts[rgbKey(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue)] +=
                    perIndex[i];
                census.pixels += perIndex[i];
            }
        return;
    }
    // A 24-bit image is read as it is; other depths through a 24-bit copy.
    const ScopedImage copy(
        KPXbpp(image) == 24 ? 0 : KPXColorConvert(image, 24, 0, 0, 0, nullptr, nullptr));
    const KpxHandle colour = KPXbpp(image) == 24 ? image : copy.get();
    if (!colour || !KPXGetBits(colour))
        return;
    const std::uint8_t* bits = KPXGetBits(colour);
    const int stride = KPXGetScanBytes(colour);
    RecentCounts recent(census);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(y) * stride;
        const std::uint8_t* mask = maskRow(y);
        for (int x = 0; x < width; ++x) {
            if (maskedAt(mask, x)) {
                census.transparentPixels = true;
                continue;
            }
            recent.add(rgbKey(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
        }
    }
}

// The colours of what every frame shows: its rendered image when it has one (a frame with a
// transparency level has one only while the optimiser works), else its display image.
ColourCensus takeColourCensus(const FrameList& frames) {
    ColourCensus census;
    for (const CObjFrame& frame : frames) {
        const KpxHandle image =
            frame.GetRenderedImage() ? frame.GetRenderedImage() : frame.GetDisplayImage();
        if (image && KPXGetBits(image))
            countImage(image, census);
    }
    return census;
}

PALETTEENTRY entryOf(std::uint32_t key) {
    return PALETTEENTRY{static_cast<BYTE>(key >> 16), static_cast<BYTE>(key >> 8),
                        static_cast<BYTE>(key), 0};
}

constexpr PALETTEENTRY kTransparentWhite{255, 255, 255, 0};

// Every colour fits: the table holds exactly them, the most frequent first, after the transparent
// entry when there is one. Entries past them repeat entry 0, so that a saved table is no longer
// than needed.
void exactPalette(const ColourCensus& census, bool transparentEntry, PALETTEENTRY* out) {
    std::vector<std::pair<std::uint32_t, std::uint64_t>> colours(census.counts.begin(),
                                                                 census.counts.end());
    std::sort(colours.begin(), colours.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    int next = 0;
    if (transparentEntry)
        out[next++] = kTransparentWhite;
    for (const auto& [key, count] : colours)
        out[next++] = entryOf(key);
    std::fill(out + next, out + 256, next > 0 ? out[0] : kTransparentWhite);
}

// At most this many pixels stand for the animation's colours in the quantiser's picture: the
// palette depends only on the colours and their counts, which are scaled down to fit.
constexpr std::uint64_t kPaletteSamplePixels = std::uint64_t{1} << 22;
constexpr int kSampleWidth = 2048;

// More colours than entries: the quantiser chooses them from a picture in which every colour
// shows as often as it does in the frames (scaled, each at least once).
bool quantisedPalette(const ColourCensus& census, int colours, bool transparentEntry,
                      PALETTEENTRY* out) {
    const double scale = std::max(1.0, static_cast<double>(census.pixels) /
                                           static_cast<double>(kPaletteSamplePixels));
    std::vector<std::pair<std::uint32_t, std::uint64_t>> weights;
    weights.reserve(census.counts.size());
    std::uint64_t total = 0;
    for (const auto& [key, count] : census.counts) {
        const auto weight = std::max<std::uint64_t>(
            1, static_cast<std::uint64_t>(std::llround(static_cast<double>(count) / scale)));
        weights.emplace_back(key, weight);
        total += weight;
    }
    const auto rows = static_cast<int>((total + kSampleWidth - 1) / kSampleWidth);
    const ScopedImage strip(KPXCreateImage(kSampleWidth, rows, 24));
    const ScopedImage mask(KPXCreateImage(kSampleWidth, rows, 1));
    const ScopedImage target(KPXCreateImage(kSampleWidth, rows, 8));
    if (!strip.get() || !mask.get() || !target.get() || !KPXGetBits(strip.get()) ||
        !KPXGetBits(mask.get()))
        return false;
    std::uint8_t* stripBits = KPXGetBits(strip.get());
    std::uint8_t* maskBits = KPXGetBits(mask.get());
    const int stripStride = KPXGetScanBytes(strip.get());
    const int maskStride = KPXGetScanBytes(mask.get());
    std::memset(maskBits, 0, static_cast<std::size_t>(maskStride) * rows);
    std::uint64_t at = 0;
    for (const auto& [key, weight] : weights)
        for (std::uint64_t n = 0; n < weight; ++n, ++at) {
            const auto column = static_cast<int>(at % kSampleWidth);
            const auto row = static_cast<std::size_t>(at / kSampleWidth);
            std::uint8_t* pixel = stripBits + row * stripStride + column * 3;
            pixel[0] = static_cast<std::uint8_t>(key);
            pixel[1] = static_cast<std::uint8_t>(key >> 8);
            pixel[2] = static_cast<std::uint8_t>(key >> 16);
            maskBits[row * maskStride + column / 8] |=
                static_cast<std::uint8_t>(0x80 >> (column % 8));
        }
    PALETTEENTRY palette[256];
    std::memcpy(palette, KPXGetFinePalette(), sizeof palette);
    palette[0] = kTransparentWhite;
    KPXSetNewPalette(target.get(), palette, 256);
    if (transparentEntry)
        setOnlyTransparentIndex(target.get(), 0);
    {
        const ShownProgress progress(kfm5res::IDS_CAPTION_ADAPTIVE_PALETTE, 0);
        if (!KPXFineColorConvert(target.get(), strip.get(), mask.get(), colours, 0,
                                 transparentEntry ? 1 : 0, ProgressSetPosTotal, 1))
            return false;
    }
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(target.get());
    for (int i = 0; i < 256; ++i)
        out[i] = PALETTEENTRY{info->bmiColors[i].rgbRed, info->bmiColors[i].rgbGreen,
                              info->bmiColors[i].rgbBlue, 0};
    return true;
}

} // namespace

int CalculateOptimAdaptivePalette256(PALETTEENTRY* out, int colours, RenderProgress, HWND) {
    if (!out || !g_pAnimationData)
        return 0;
    const ColourCensus census = takeColourCensus(g_pAnimationData->frames);
    if (census.counts.empty())
        return 0;
    colours = std::clamp(colours, 2, 256);
    // Entry 0 is kept for transparent pixels only when a frame shows one: a frame without
    // transparency may use every entry (see OptimizeToGlobalPalette256Ex).
    const bool transparentEntry = census.transparentPixels;
    const int room = colours - (transparentEntry ? 1 : 0);
    if (census.counts.size() <= static_cast<std::size_t>(room)) {
        exactPalette(census, transparentEntry, out);
        return 0;
    }
    return quantisedPalette(census, colours, transparentEntry, out) ? 0 : -1;
}

int CalculateGlobalPalette(PALETTEENTRY* out, int mode, OptimizeOptions options) {
    if (!out)
        return -1;
    switch (mode) {
    case 0:
        return CalculateOptimAdaptivePalette256(out, options.word[kOptionNumColors],
                                                IsEscapePressed, nullptr);
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

namespace {

// Whether the 1-bit mask marks some pixel: whole bytes at once, then the bits of the last one.
bool marksSomePixel(KpxHandle mask) {
    const std::uint8_t* bits = KPXGetBits(mask);
    if (!bits)
        return false;
    const std::size_t stride = KPXGetScanBytes(mask);
    const int width = KPXWidth(mask);
    const int height = KPXHeight(mask);
    const std::size_t wholeBytes = static_cast<std::size_t>(width / 8);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(y) * stride;
        if (std::any_of(row, row + wholeBytes, [](std::uint8_t b) { return b != 0; }))
            return true;
        for (int x = static_cast<int>(wholeBytes) * 8; x < width; ++x)
            if (maskedAt(row, x))
                return true;
    }
    return false;
}

// The image's transparency mask when some pixel of it is transparent, else none.
ScopedImage transparentPixelsMask(KpxHandle image) {
    if (!KPXIsImageTransparent(image))
        return ScopedImage();
    ScopedImage mask(KPXGetImageTransparentImage(image));
    if (!mask.get() || !marksSomePixel(mask.get()))
        return ScopedImage();
    return mask;
}

// The frame's base image mapped onto the palette. An image with transparent pixels (their mask
// given) gets transparentIndex for them, which its other pixels keep away from; an image without
// may use every entry. 0 when the image cannot be converted.
KpxHandle convertToPalette(KpxHandle base, const PALETTEENTRY* palette, int transparentIndex,
                           KpxHandle mask, int colours, int dither) {
    ScopedImage target(KPXCreateImage(KPXWidth(base), KPXHeight(base), 8));
    if (!target.get())
        return 0;
    KPXSetNewPalette(target.get(), palette, 256);
    if (mask)
        setOnlyTransparentIndex(target.get(), transparentIndex);
    if (!KPXFineColorConvert(target.get(), base, 0, colours, dither ? 2 : 0, colours, nullptr, 0))
        return 0;
    if (mask) {
        KPXImageFillByColor(target.get(), mask, static_cast<COLORREF>(transparentIndex));
        setOnlyTransparentIndex(target.get(), transparentIndex);
    }
    return target.release();
}

} // namespace

int OptimizeToGlobalPalette256Ex(PALETTEENTRY* palette, OptimizeOptions options,
                                 int transparentIndex, int total) {
    if (!palette || transparentIndex < 0 || transparentIndex > 255 || !g_pAnimationData)
        return 0;
    const int colours = std::clamp(options.word[kOptionNumColors], 2, 256);
    const ShownProgress progress(kfm5res::IDS_CAPTION_GLOBAL_PALETTE, total);
    FrameList& frames = g_pAnimationData->frames;
    int position = 0;
    for (auto it = frames.begin(); it != frames.end() && std::next(it) != frames.end(); ++it) {
        CObjFrame& frame = *it;
        const bool convert = !frame.optimised && frame.GetImage();
        frame.optimised = 0;
        if (!convert)
            continue;
        const ScopedImage mask = transparentPixelsMask(frame.GetImage());
        const bool transparent = mask.get() != 0;
        if (const KpxHandle converted =
                convertToPalette(frame.GetImage(), palette, transparentIndex, mask.get(), colours,
                                 options.word[kOptionDither])) {
            frame.transparency = transparent ? kKpxTransparencyIndexFlag +
                                                   static_cast<std::uint32_t>(transparentIndex)
                                             : 0;
            frame.softAlpha = 0;
            frame.alphaValue = 0;
            if (const std::uint16_t old = frame.SetImage(static_cast<std::uint16_t>(converted)))
                KPXDeleteImage(old);
        }
        if (IsEscapePressed(0, ++position, nullptr))
            return 2;
    }
    return 0;
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

namespace {

// The frame drawn over the animation state after frame prevIndex (none when negative) on a
// 24-bit canvas of its own size, and the mask of the pixels to quantise (none: all).
struct Composition {
    ScopedImage canvas;
    ScopedImage quantiseMask;
};

bool composeOverState(short head, const CObjFrame& frame, int prevIndex, Composition& out) {
    if (!frame.GetImage() || frame.width <= 0 || frame.height <= 0)
        return false;
    const KpxHandle base = frame.GetImage();
    const int width = frame.width;
    const int height = frame.height;
    const COLORREF background = g_Settings.animBkColor;
    out.canvas = ScopedImage(KPXCreateImage(width, height, 24));
    if (!out.canvas.get())
        return false;
    KpxHandle canvas = out.canvas.get();
    IPLImageFillByColor(canvas, 0, background);
    // The image keeps its explicit transparency: no reference of ours.
    const KpxHandle explicitAlpha = KPXGetImageTransparentImageEx(base);
    const bool vectorLike = frame.hasVector || showsThroughInGrades(frame);
    ScopedImage emptyMask(vectorLike ? KPXCreateImage(width, height, 1) : 0);
    if (prevIndex >= 0 && head)
        KPXRenderFrames(head, canvas, -frame.left, -frame.top, 0, prevIndex, background, 0, 0);
    KPXImageClearByAlpha(canvas, explicitAlpha, 0, 0, 0xFFFFFF);
    BITMAPINFO* canvasInfo = KPXGetBitmapInfoHeader(canvas);
    std::uint8_t* canvasBits = KPXGetBits(canvas);
    if (frame.hasText)
        KPXStretchBltTransparent(0, &canvasInfo->bmiHeader, canvasBits, 0, 0, width, height, base,
                                 1, 0, 0, 0, 0);
    else if (!KPXIsImageTransparent(base))
        DrawImageStretched(base, canvas, 0, 0, width, height);
    else
        KPXStretchBltTransparent(0, &canvasInfo->bmiHeader, canvasBits, 0, 0, width, height, base,
                                 0, explicitAlpha, emptyMask.get(), 0, 0);
    if (isObjectFrame(frame) && explicitAlpha) {
        out.quantiseMask = ScopedImage(CreateThresholdMask(explicitAlpha, 255));
        if (out.quantiseMask.get())
            KPXInvert(out.quantiseMask.get());
    }
    return true;
}

// A new 8-bit image of the frame's size with the given palette and index 0 transparent.
ScopedImage newTargetImage(const CObjFrame& frame, const PALETTEENTRY* palette, int count) {
    ScopedImage target(KPXCreateImage(frame.width, frame.height, 8));
    if (target.get()) {
        KPXSetNewPalette(target.get(), palette, count);
        setOnlyTransparentIndex(target.get(), 0);
    }
    return target;
}

// The base image's frame information carried over to the rendered image.
void copyFrameInfo(KpxHandle from, KpxHandle to) {
    FrameInfo info{};
    if (KPXGetImageFramesInfo(from, &info)) {
        KPXSetImageFramesInfo(to, &info);
        FreeFrameParts(info, 0);
    }
}

} // namespace

short CreateRenderedImage(short head, CObjFrame* frame, int prevIndex, int* out) {
    if (out)
        *out = 0;
    Composition composition;
    if (!frame || !composeOverState(head, *frame, prevIndex, composition))
        return 0;
    ScopedImage target = newTargetImage(*frame, KPXGetFinePalette(), 256);
    if (!target.get())
        return 0;
    KPXFineColorConvert(target.get(), composition.canvas.get(), composition.quantiseMask.get(), 256,
                        0, 1, nullptr, 0);
    copyFrameInfo(frame->GetImage(), target.get());
    return target.release();
}

short CreateRenderedImage(short head, CObjFrame* frame, int prevIndex, PALETTEENTRY* palette,
                          int mode, int count, int dither, int* out) {
    if (out)
        *out = 0;
    Composition composition;
    if (!frame || !palette || count < 2 || count > 256 ||
        !composeOverState(head, *frame, prevIndex, composition))
        return 0;
    ScopedImage target = newTargetImage(*frame, palette, count);
    if (!target.get())
        return 0;
    const int ditherMode = dither ? 2 : 0;
    if (mode == kRenderOwnPalette)
        KPXFineColorConvert(target.get(), composition.canvas.get(), composition.quantiseMask.get(),
                            256, ditherMode, 1, nullptr, 0);
    else
        KPXFineColorConvert(target.get(), composition.canvas.get(), composition.quantiseMask.get(),
                            count, ditherMode, count, nullptr, 0);
    copyFrameInfo(frame->GetImage(), target.get());
    return target.release();
}

namespace {

// Renders every object frame up to lastIndex with render(head, frame, previous index) over the
// frames before it; the results of RenderImagesFromFrames.
template <typename Render>
int renderObjectFramesWith(FrameList* frames, int lastIndex, RenderProgress callback, HWND window,
                           Render render) {
    if (!frames || frames->empty())
        return 0;
    short head = frames->front().GetImage();
    int rendered = 0;
    int index = 0;
    for (CObjFrame& frame : *frames) {
        if (frame.GetImage() && isObjectFrame(frame) && BuildFramesImage(*frames, 1, 0) == 1) {
            const short image = render(head, frame, index - 1);
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

} // namespace

int RenderImagesFromFrames(FrameList* frames, int lastIndex, RenderProgress callback, HWND window) {
    return renderObjectFramesWith(frames, lastIndex, callback, window,
                                  [](short head, CObjFrame& frame, int previous) {
                                      int scratch = 0;
                                      return CreateRenderedImage(head, &frame, previous, &scratch);
                                  });
}

int RenderImagesFromFrames(FrameList* frames, RenderProgress callback, HWND window) {
    return RenderImagesFromFrames(frames, -1, callback, window);
}

int RenderImagesInOwnPalettes(FrameList* frames, RenderProgress callback, HWND window) {
    return renderObjectFramesWith(
        frames, -1, callback, window, [](short head, CObjFrame& frame, int previous) {
            PALETTEENTRY palette[256];
            std::memcpy(palette, KPXGetFinePalette(), sizeof palette);
            int scratch = 0;
            return CreateRenderedImage(head, &frame, previous, palette, kRenderOwnPalette, 256, 0,
                                       &scratch);
        });
}

namespace {

// A transparency level kept in an object record is applied again to the picture drawn from it.
void reapplyTransparencyLevel(CObjFrame& frame, int level) {
    if (level <= 0)
        return;
    frame.softAlpha = 1;
    SetFrameTransparencyLevel(&frame, level);
}

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
    reapplyTransparencyLevel(frame, frame.text.transparencyLevel);
    frame.PutFrameInfo(0);
    return true;
}

// The widest and highest image the library describes (its sizes are 16-bit).
constexpr int kMaxImageSide = 32767;

// The frame's base image becomes its vector object drawn from the record at the record's
// place; false when it cannot be drawn.
bool rebuildVectorImage(CObjFrame& frame) {
    const VectorObjectRecord& record = frame.vector;
    if (!record.metafile || record.width <= 0 || record.height <= 0 ||
        record.width > kMaxImageSide || record.height > kMaxImageSide)
        return false;
    const RECT area{0, 0, record.width - 1, record.height - 1};
    ScopedImage image(importReaders().RenderMetafileImage(
        record.metafile.get(), area, frame.GetVectorAngle(), record.interpolation,
        frame.IsVectorMirrored(), record.antialias));
    if (!image.get() || !KPXGetBits(image.get()))
        return false;
    frame.left = record.left;
    frame.top = record.top;
    frame.width = KPXWidth(image.get());
    frame.height = KPXHeight(image.get());
    frame.transparency = 0;
    if (const std::uint16_t old = frame.SetImage(static_cast<std::uint16_t>(image.release())))
        KPXDeleteImage(old);
    reapplyTransparencyLevel(frame, record.transparencyLevel);
    frame.PutFrameInfo(0);
    return true;
}

enum class Rebuild { Kept, Rebuilt, NoPixels };

// A new image of the given size and depth holding bytes as its pixels. Empty when bytes is not
// exactly the image's pixel block; *noPixels set when the image has no pixel buffer.
ScopedImage imageOfBytes(int width, int height, int depth, const std::vector<std::uint8_t>& bytes,
                         bool* noPixels) {
    ScopedImage image(KPXCreateImage(width, height, depth));
    std::uint8_t* bits = image.get() ? KPXGetBits(image.get()) : nullptr;
    if (!bits) {
        *noPixels = true;
        return ScopedImage();
    }
    if (bytes.size() != KPXSizeImage(image.get()))
        return ScopedImage();
    std::memcpy(bits, bytes.data(), bytes.size());
    return image;
}

void setGreyPalette(KpxHandle image) {
    PALETTEENTRY grey[256];
    for (int i = 0; i < 256; ++i)
        grey[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    KPXSetNewPalette(image, grey, 256);
}

// Colour-table entries stored as 32-bit words (blue in the low byte).
void setStoredPalette(KpxHandle image, const std::vector<std::int32_t>& stored) {
    PALETTEENTRY entries[256] = {};
    const int count = static_cast<int>(std::min<std::size_t>(stored.size(), 256));
    for (int i = 0; i < count; ++i) {
        const auto word = static_cast<std::uint32_t>(stored[i]);
        entries[i] = PALETTEENTRY{static_cast<BYTE>(word >> 16), static_cast<BYTE>(word >> 8),
                                  static_cast<BYTE>(word), 0};
    }
    KPXSetNewPalette(image, entries, 256);
}

// Replaces the frame's base image by image (taking it over).
void replaceBaseImage(CObjFrame& frame, ScopedImage& image) {
    if (const std::uint16_t old = frame.SetImage(static_cast<std::uint16_t>(image.release())))
        KPXDeleteImage(old);
}

// The 8-bit source of the record as the frame's base image, with its colour table and the
// transparent index the stored transparency word names (in use or remembered under a level);
// the frame's transparency level is then applied to it again, which rebuilds the graded
// transparency and the mask image the level keeps.
bool rebuild8BitSource(CObjFrame& frame, int width, int height, bool* noPixels) {
    const NPImageObjectRecord& record = frame.npImage;
    ScopedImage picture = imageOfBytes(width, height, 8, record.pixels8, noPixels);
    if (!picture.get())
        return false;
    setStoredPalette(picture.get(), record.palette);
    const auto word = static_cast<std::uint32_t>(record.transparencyWord);
    const bool hasIndex = (word >> 16 & 0xFF) || (word & kKpxTransparencyIndexFlag);
    if (hasIndex)
        setOnlyTransparentIndex(picture.get(), static_cast<int>(word & 0xFF));
    replaceBaseImage(frame, picture);
    frame.transparency = hasIndex ? kKpxTransparencyIndexFlag | (word & 0xFF) : 0;
    frame.softAlpha = 0;
    frame.alphaValue = 0;
    if (record.alphaValue > 0)
        SetFrameTransparencyLevel(&frame, record.alphaValue);
    return true;
}

// The frame's pictures rebuilt from its np-image record: the 24-bit source with its graded
// alpha, the mask image, the 8-bit source with its palette and transparent index. A record
// whose buffers fit the frame's size is used up (the next save writes a fresh one); buffers
// that do not fit are left out and the record stays.
Rebuild rebuildFromNPImage(CObjFrame& frame) {
    const NPImageObjectRecord& record = frame.npImage;
    const KpxHandle base = frame.GetImage();
    const int width = KPXWidth(base);
    const int height = KPXHeight(base);
    bool noPixels = false;
    bool rebuilt = false;
    if (!record.pixels24.empty()) {
        ScopedImage picture = imageOfBytes(width, height, 24, record.pixels24, &noPixels);
        ScopedImage alpha = picture.get() && !record.alpha.empty()
                                ? imageOfBytes(width, height, 8, record.alpha, &noPixels)
                                : ScopedImage();
        if (alpha.get()) {
            setGreyPalette(alpha.get());
            KPXSetImageTransparentEx(picture.get(), alpha.release());
            frame.softAlpha = 1;
        }
        if (picture.get()) {
            replaceBaseImage(frame, picture);
            rebuilt = true;
        }
    }
    if (!record.maskPixels.empty()) {
        ScopedImage mask(CreateSolidImage(width, height, 0));
        std::uint8_t* bits = mask.get() ? KPXGetBits(mask.get()) : nullptr;
        if (!bits)
            noPixels = true;
        else if (record.maskPixels.size() == KPXSizeImage(mask.get())) {
            std::memcpy(bits, record.maskPixels.data(), record.maskPixels.size());
            if (const std::uint16_t old =
                    frame.SetMaskImage(static_cast<std::uint16_t>(mask.release())))
                KPXDeleteImage(old);
            rebuilt = true;
        }
    }
    if (!record.pixels8.empty() && rebuild8BitSource(frame, width, height, &noPixels))
        rebuilt = true;
    if (noPixels)
        return Rebuild::NoPixels;
    frame.alphaValue = record.alphaValue;
    frame.transparency = static_cast<std::uint32_t>(record.transparencyWord);
    if (record.alphaValue > 0)
        frame.softAlpha = 1;
    if (!rebuilt)
        return Rebuild::Kept;
    frame.DeleteNPImageObject();
    frame.PutFrameInfo(0);
    return Rebuild::Rebuilt;
}

} // namespace

int RenderImagesFromInfo(FrameList* frames, RenderProgress callback, HWND window) {
    if (!frames)
        return 1;
    int index = 0;
    bool rebuilt = false;
    for (CObjFrame& frame : *frames) {
        bool objectsRebuilt = false;
        if (frame.hasText && frame.GetImage())
            objectsRebuilt = rebuildTextImage(frame);
        else if (frame.hasVector && frame.GetImage())
            objectsRebuilt = rebuildVectorImage(frame);
        frame.objectsAsRead = (frame.hasText || frame.hasVector) && !objectsRebuilt ? 1 : 0;
        rebuilt = rebuilt || objectsRebuilt;
        if (frame.hasNPImage && frame.GetImage()) {
            const Rebuild result = rebuildFromNPImage(frame);
            if (result == Rebuild::NoPixels)
                return 0;
            rebuilt = rebuilt || result == Rebuild::Rebuilt;
        }
        if (rebuilt && callback && callback(0, index, window))
            return 2;
        ++index;
    }
    return 1;
}

namespace {

// Renders the object frames up to lastIndex (-1 all) under the progress of rendering object
// frames; false when cancelled, the rendered images then deleted.
bool renderObjectFrames(FrameList& frames, int lastIndex) {
    int result = 0;
    {
        const ShownProgress progress(kfm5res::IDS_CAPTION_RENDERING, CountObjectFrames(lastIndex));
        result = RenderImagesFromFrames(&frames, lastIndex, IsEscapePressed, nullptr);
    }
    if (result != 2)
        return true;
    DeleteRenderedImages(frames);
    return false;
}

// What the animation shows after frame index, drawn on a new 24-bit image of width x height
// filled with the background colour whose top-left corner lies at (x, y) of the screen.
ScopedImage composeState(FrameList& frames, int index, int x, int y, int width, int height) {
    const COLORREF background = g_Settings.animBkColor;
    ScopedImage canvas(KPXCreateImage(width, height, 24));
    if (!canvas.get())
        return canvas;
    IPLImageFillByColor(canvas.get(), 0, background);
    if (BuildFramesImage(frames, 1, 0) == 1) {
        KPXRenderFrames(frames.front().GetDisplayImage(), canvas.get(), -x, -y, 0, index,
                        background, 0, 1);
        SplitFramesImage(frames, 1);
    }
    return canvas;
}

// Moves the frames so that their union starts at 0,0 under an undo step of its own, and
// undoes that step when the work is over.
class OriginStep {
public:
    explicit OriginStep(FrameList& frames) {
        TheUndoHistory().BeginStep(kUndoKindSaveAndPreview);
        NormalizeFramesOrigin(frames);
    }
    ~OriginStep() {
        TheUndoHistory().EndStep(0);
        if (TheUndoHistory().GetCurrentKind() == kUndoKindSaveAndPreview)
            TheUndoHistory().Undo();
    }
    OriginStep(const OriginStep&) = delete;
    OriginStep& operator=(const OriginStep&) = delete;
};

} // namespace

short CreateRenderedPreviewImage(FrameList* frames, int index) {
    if (!frames || frames->size() <= 1 || index < 0)
        return 0;
    RECT bounds{};
    GetFramesRect(*frames, index, bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0)
        return 0;
    ScopedImage image;
    {
        const OriginStep step(*frames);
        if (!renderObjectFrames(*frames, index))
            return 0;
        // The union of all frames now starts at 0,0; the rectangle up to index lies within it.
        RECT moved{};
        GetFramesRect(*frames, index, moved);
        image = composeState(*frames, index, moved.left, moved.top, width, height);
        DeleteRenderedImages(*frames);
    }
    if (!image.get())
        return 0;
    FrameInfo info{};
    KPXGetImageFramesInfo(image.get(), &info);
    info.left = bounds.left;
    info.top = bounds.top;
    KPXSetImageFramesInfo(image.get(), &info);
    FreeFrameParts(info, 0);
    return image.release();
}

namespace {

// The selected frame becomes a plain picture of the whole animation.
void replaceByState(CObjFrame& frame, ScopedImage& state, int width, int height) {
    if (const std::uint16_t old = frame.SetImage(static_cast<std::uint16_t>(state.release())))
        KPXDeleteImage(old);
    frame.left = 0;
    frame.top = 0;
    frame.width = width;
    frame.height = height;
    frame.disposal = 1;
    frame.transparency &= 0xFF;
    frame.softAlpha = 0;
    frame.alphaValue = 0;
    frame.DeleteTextObject();
    frame.DeleteVectorObject();
    frame.DeleteControlObject();
    frame.DeleteNPImageObject();
    frame.objectsAsRead = 0;
    frame.PutFrameInfo(0);
}

} // namespace

int RenderAnimationStates(FrameList* frames, int lastIndex) {
    if (!frames || frames->size() <= 1 || lastIndex < -1 || !g_pAnimationData)
        return 0;
    const int width = g_pAnimationData->AnimationWidth;
    const int height = g_pAnimationData->AnimationHeight;
    if (width <= 0 || height <= 0)
        return 0;
    if (!renderObjectFrames(*frames, lastIndex))
        return 2;
    std::vector<std::pair<CObjFrame*, ScopedImage>> states;
    {
        const ShownProgress progress(kfm5res::IDS_CAPTION_ANIMATION_STATES, GetSelFramesCount());
        int index = 0;
        for (auto it = frames->begin(); it != frames->end() && std::next(it) != frames->end();
             ++it, ++index) {
            if (lastIndex != -1 && index > lastIndex)
                break;
            if (!it->GetImage() || !it->selected)
                continue;
            ScopedImage canvas = composeState(*frames, index, 0, 0, width, height);
            ScopedImage state(KPXCreateImage(width, height, 8));
            if (!canvas.get() || !state.get())
                continue;
            KPXFineColorConvert(state.get(), canvas.get(), 0, 256, 0, 0, nullptr, 0);
            states.emplace_back(&*it, std::move(state));
            if (IsEscapePressed(0, static_cast<int>(states.size()), nullptr)) {
                DeleteRenderedImages(*frames);
                return 2;
            }
        }
    }
    for (auto& [frame, state] : states)
        replaceByState(*frame, state, width, height);
    DeleteRenderedImages(*frames);
    return 1;
}
