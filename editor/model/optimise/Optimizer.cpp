#include "Optimizer.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>
#include <map>
#include <unordered_map>
#include <vector>

#include "AnimationAreaCrop.h"
#include "Bitra5.h"
#include "FrameChainBuild.h"
#include "FrameTransforms.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "ProgramState.h"
#include "ShellServices.h"

namespace {

constexpr int kNoPalette = -1;
constexpr int kGifDisposalNone = 1;
constexpr int kGifDisposalBackground = 2;

int paletteMode(const OptimizeOptions& options) {
    return options.word[kOptionPaletteMode] & 0xFF;
}

// The kind of common palette CalculateGlobalPalette builds for a palette mode; -1 for none.
int paletteKind(int mode) {
    if (mode >= 0 && mode <= 6)
        return 0;
    if (mode == 7 || mode == 11)
        return 1;
    return mode == 10 ? 2 : kNoPalette;
}

bool convertsFrames(int mode) {
    return (mode >= 0 && mode <= 7) || mode == 10;
}

bool isNotPlaceholder(const FrameList& list, FrameList::const_iterator it) {
    return it != list.end() && std::next(it) != list.end();
}

bool hasSpecialInformation(const CObjFrame& f) {
    return f.GetImage() && (f.hasText || f.hasVector || f.softAlpha || f.hasControl ||
                            f.alphaValue > 0 || f.hasNPImage);
}

// What one run of the optimiser shares between its steps.
struct OptimizerRun {
    explicit OptimizerRun(OptimizeOptions o) : options(o), mode(paletteMode(o)) {
        // Modes without a common palette still render onto a valid one.
        const PALETTEENTRY* fine = KPXGetFinePalette();
        std::copy(fine, fine + palette.size(), palette.begin());
    }

    OptimizeOptions options;
    int mode;
    std::array<PALETTEENTRY, 256> palette{};
    int paletteResult = kNoPalette;
    int transparentIndex = 0;
    int renderedCount = 0;
    int provisional = 0;
};

// Renders the object frames once, each in a palette of its own, so that the common palette sees
// what they show; 2 when cancelled.
int renderObjectFramesForPalette(FrameList& list) {
    int result = 0;
    {
        const ShownProgress progress(kfm5res::IDS_CAPTION_RENDERING, CountObjectFrames(-1));
        result = RenderImagesInOwnPalettes(&list, IsEscapePressed, nullptr);
    }
    if (result == kOptimizeCancelled)
        DeleteRenderedImages(list);
    return result;
}

void removeNames(CObjFrame& f, const OptimizeOptions& options) {
    if (options.word[kOptionRemoveComments] && !f.name.empty())
        f.name.clear();
    if (options.word[kOptionRemoveTitles] && !f.comment.empty())
        f.comment.clear();
}

// Draws frame `index` over the state of the frames before it and quantises it to the run's
// palette; the chain must be built.
ScopedImage renderFrame(FrameList& list, CObjFrame& f, int index, OptimizerRun& run) {
    return ScopedImage(CreateRenderedImage(list.front().GetImage(), &f, index - 1,
                                           run.palette.data(), run.mode,
                                           run.options.word[kOptionNumColors],
                                           run.options.word[kOptionDither], &run.transparentIndex));
}

void dropAlpha(CObjFrame& f) {
    f.alphaValue = 0;
    f.softAlpha = 0;
}

void markTransparentIndex(CObjFrame& f, int index) {
    f.transparency = kKpxTransparencyIndexFlag + static_cast<std::uint32_t>(index & 0xFF);
}

// Turns the frame's objects into its picture while the chain is built; the rendered image, or
// none when the frame keeps its base image. A rendered image is the frame drawn over what lies
// beneath it, so its fully transparent pixels carry the transparent index.
ScopedImage flattenObjects(FrameList& list, CObjFrame& f, int index, OptimizerRun& run) {
    const int kind = GetFrameObjectKind(&f);
    const auto base = static_cast<KpxHandle>(f.GetImage());
    ScopedImage rendered;
    if (KPXbpp(base) == 24 && !f.hasVector) {
        // A text source on a 24-bit frame stays: it is quantised, not flattened.
        rendered = renderFrame(list, f, index, run);
    } else if (f.hasText) {
        rendered = renderFrame(list, f, index, run);
        f.DeleteTextObject();
    } else if (f.hasVector) {
        rendered = renderFrame(list, f, index, run);
        f.DeleteVectorObject();
    } else if (f.hasControl) {
        // The captured control picture that is its base image stays.
        f.DeleteControlObject();
    }
    // Soft alpha and a transparency level show the frames beneath through the picture: it is
    // drawn over them.
    if (!rendered.get() && (kind == kFrameKindSoftAlpha8 || f.alphaValue > 0))
        rendered = renderFrame(list, f, index, run);
    if (rendered.get()) {
        dropAlpha(f);
        markTransparentIndex(f, run.transparentIndex);
    }
    return rendered;
}

void takeRenderedAsBase(CObjFrame& f, ScopedImage rendered) {
    f.optimised = 1;
    if (const std::uint16_t old = f.SetImage(static_cast<std::uint16_t>(rendered.release())))
        KPXDeleteImage(old);
}

// Step through every frame: names, titles and the flattening of object frames; 2 when
// cancelled.
int flattenFrames(FrameList& list, OptimizerRun& run) {
    const OptimizeOptions& options = run.options;
    const ShownProgress progress(kfm5res::IDS_CAPTION_GLOBAL_PALETTE, CountObjectFrames(-1));
    int index = 0;
    for (auto it = list.begin(); it != list.end(); ++it, ++index) {
        CObjFrame& f = *it;
        removeNames(f, options);
        if (!options.word[kOptionRemoveSpecialInfo] || !hasSpecialInformation(f))
            continue;
        if (BuildFramesImage(list, 0, 0) != 1)
            continue;
        ScopedImage rendered = flattenObjects(list, f, index, run);
        SplitFramesImage(list, 0);
        f.optimised = 0;
        if (!rendered.get())
            continue;
        takeRenderedAsBase(f, std::move(rendered));
        if (IsEscapePressed(0, ++run.renderedCount, nullptr))
            return kOptimizeCancelled;
    }
    return 0;
}

int convertToCommonPalette(OptimizerRun& run, int plainFrames) {
    return OptimizeToGlobalPalette256Ex(run.palette.data(), run.options, run.paletteResult,
                                        plainFrames);
}

// ---- The difference method
//
// The screen is composed in 24 bits, which holds exactly what a viewer shows (the compositor
// keeps the disposal state in the chain, so there is one canvas only). A frame is written in
// the first frame's colour table when that table has every colour it shows and an entry to
// spare for the unchanged pixels; else, as with local palettes or a background colour missing
// from that table, in a table of its own. A frame whose changed pixels leave no entry to spare
// is written without the difference step: the rectangle of its changed pixels, opaque. No
// colour is ever mapped to a nearest entry: when not even that rectangle fits one table, the
// difference method is left out and the animation stays as it was.

using Colours = std::vector<COLORREF>;

// The colours of a 24-bit image, row by row from the top.
Colours coloursOf(KpxHandle image) {
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const int scan = KPXGetScanBytes(image);
    const std::uint8_t* bits = KPXGetBits(image);
    Colours out;
    out.reserve(static_cast<std::size_t>(width) * height);
    for (int y = height - 1; y >= 0; --y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(y) * scan;
        for (int x = 0; x < width; ++x)
            out.push_back(RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
    }
    return out;
}

// A colour that no entry of the table has, for the index of unchanged pixels.
COLORREF colourOutside(const std::map<COLORREF, int>& table) {
    COLORREF c = 0;
    while (table.count(c))
        ++c;
    return c;
}

// An 8-bit image of the screen `after` in its exact colours, in which the pixels equal to
// `before` (none when before is empty) carry one index of their own, reported in unique (-1
// when every pixel changed). Empty when the changed pixels hold more colours than fit.
ScopedImage exactFrameImage(const Colours& after, const Colours& before, int width, int height,
                            int& unique) {
    std::map<COLORREF, int> table;
    bool unchanged = false;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (!before.empty() && after[i] == before[i])
            unchanged = true;
        else if (!table.count(after[i]))
            table.emplace(after[i], 0);
    }
    if (table.size() + (unchanged ? 1 : 0) > 256)
        return ScopedImage();
    ScopedImage image(KPXCreateImage(width, height, 8));
    if (!image.get())
        return ScopedImage();
    std::array<PALETTEENTRY, 256> palette{};
    int next = 0;
    for (auto& [colour, index] : table) {
        index = next++;
        palette[index] = {GetRValue(colour), GetGValue(colour), GetBValue(colour), 0};
    }
    unique = unchanged ? next : -1;
    if (unchanged) {
        const COLORREF c = colourOutside(table);
        palette[unique] = {GetRValue(c), GetGValue(c), GetBValue(c), 0};
    }
    // Entries past the used ones repeat entry 0, so that the saved table is no longer than
    // needed.
    std::fill(palette.begin() + next + (unchanged ? 1 : 0), palette.end(), palette[0]);
    KPXSetNewPalette(image.get(), palette.data(), 256);
    const int scan = KPXGetScanBytes(image.get());
    std::uint8_t* bits = KPXGetBits(image.get());
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bits + static_cast<std::size_t>(height - 1 - y) * scan;
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            const bool same = !before.empty() && after[i] == before[i];
            row[x] = static_cast<std::uint8_t>(same ? unique : table.at(after[i]));
        }
    }
    KPXFillDIBColorTable(image.get());
    return image;
}

void composeFrame(KpxHandle canvas, KpxHandle chain, int n, int width, int height) {
    KPXStretchBltFrame(canvas, 0, 0, width, height, chain, n, 0, 0, 0, 0, 0, 0, 0,
                       g_Settings.animBkColor, 0);
}

ScopedImage copyOf(KpxHandle image) {
    return ScopedImage(KPXCreateImageFrom(image, 0));
}

// Where the colours of the screen lie in the first frame's colour table: each colour at the
// first entry that has it, else at the nearest one. Kept for the whole run.
class FirstTable {
public:
    explicit FirstTable(KpxHandle head) : head_(head) {
        for (int i = 0; i < 256; ++i)
            table_[i] = KPXGetColorFromPalette(head, i) & 0xFFFFFF;
    }

    KpxHandle head() const { return head_; }
    COLORREF colourAt(int index) const { return table_[static_cast<std::size_t>(index) & 0xFF]; }

    // The entry for colour c; exact is cleared when the table lacks c.
    int indexOf(COLORREF c, bool& exact) {
        // Screens of many colours change colour from pixel to pixel: a small cache indexed by
        // the colour answers most of them before the map is asked.
        Recent& recent = recent_[(c * 2654435761u) >> (32 - kRecentBits)];
        if (recent.colour != c) {
            auto it = found_.find(c);
            if (it == found_.end())
                it = found_.emplace(c, nearest(c)).first;
            recent = {c, it->second.first, it->second.second};
        }
        exact = exact && recent.exact;
        return recent.index;
    }

private:
    static constexpr int kRecentBits = 10;
    struct Recent {
        COLORREF colour = kNoColour; // no colour of the screen (those have no high byte)
        int index = 0;
        bool exact = false;
    };
    static constexpr COLORREF kNoColour = 0xFF000000;

    std::pair<int, bool> nearest(COLORREF c) const {
        int best = 0;
        long bestDistance = -1;
        for (int i = 0; i < 256 && bestDistance != 0; ++i) {
            const long r = GetRValue(c) - GetRValue(table_[i]);
            const long g = GetGValue(c) - GetGValue(table_[i]);
            const long b = GetBValue(c) - GetBValue(table_[i]);
            const long distance = r * r + g * g + b * b;
            if (bestDistance < 0 || distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        return {best, bestDistance == 0};
    }

    KpxHandle head_;
    std::array<COLORREF, 256> table_{};
    std::unordered_map<COLORREF, std::pair<int, bool>> found_;
    std::array<Recent, std::size_t{1} << kRecentBits> recent_{};
};

// The 24-bit screen in the first frame's colour table; exact tells whether it has every colour.
ScopedImage inFirstTable(KpxHandle screen, FirstTable& first, bool& exact) {
    const int width = KPXWidth(screen);
    const int height = KPXHeight(screen);
    ScopedImage image(KPXCreateImage(width, height, 8));
    if (!image.get())
        return image;
    KPXSetNewColorPaletteFrom(image.get(), first.head());
    exact = true;
    const std::size_t sourceScan = static_cast<std::size_t>(KPXGetScanBytes(screen));
    const std::uint8_t* source = KPXGetBits(screen);
    const std::size_t scan = static_cast<std::size_t>(KPXGetScanBytes(image.get()));
    std::uint8_t* bits = KPXGetBits(image.get());
    COLORREF last = 0xFF000000; // no colour of the screen
    int lastIndex = 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = source + static_cast<std::size_t>(y) * sourceScan;
        std::uint8_t* row = bits + static_cast<std::size_t>(y) * scan;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = RGB(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
            if (c != last) {
                last = c;
                lastIndex = first.indexOf(c, exact);
            }
            row[x] = static_cast<std::uint8_t>(lastIndex);
        }
    }
    KPXFillDIBColorTable(image.get());
    return image;
}

// Whether some palette index is used by no pixel of the 8-bit image.
bool hasUnusedIndex(KpxHandle image) {
    std::array<bool, 256> used{};
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const int scan = KPXGetScanBytes(image);
    const std::uint8_t* bits = KPXGetBits(image);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(y) * scan;
        for (int x = 0; x < width; ++x)
            used[row[x]] = true;
    }
    return std::find(used.begin(), used.end(), false) != used.end();
}

// The difference step gave the frame's unique index a colour of no entry; it is never shown, so
// it takes back the first table's colour there, which lets the frame be written in that table
// instead of a copy of it that differs in one entry. Not when another entry of the frame has
// that colour: transparency is matched by colour when frames are turned or converted.
void restoreFirstTableEntry(KpxHandle image, const FirstTable& first, int unique) {
    if (unique < 0 || unique > 255)
        return;
    const COLORREF colour = first.colourAt(unique);
    for (int i = 0; i < 256; ++i)
        if (i != unique && (KPXGetColorFromPalette(image, i) & 0xFFFFFF) == colour)
            return;
    KPXSetColorToPalette(image, unique, colour);
    KPXFillDIBColorTable(image);
}

// The bits the GIF coder takes for a run of 8-bit indices (clear code, codes up to 12 bits wide,
// a new start when the table is full, end code): a cheap measure to compare two versions of a
// frame by.
std::size_t lzwBits(const std::vector<std::uint8_t>& indices) {
    constexpr int kHashBits = 13;
    constexpr std::uint32_t kClear = 256;
    constexpr int kMaxCode = 4095;
    std::vector<std::int32_t> keys(std::size_t{1} << kHashBits, -1);
    std::vector<std::uint16_t> codes(keys.size());
    int width = 9;
    std::uint32_t next = kClear + 2;
    std::size_t bits = static_cast<std::size_t>(width); // the clear code
    if (indices.empty())
        return bits + static_cast<std::size_t>(width);
    std::uint32_t prefix = indices.front();
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const std::uint32_t key = (prefix << 8) | indices[i];
        std::uint32_t slot = (key * 2654435761u) >> (32 - kHashBits);
        while (keys[slot] >= 0 && static_cast<std::uint32_t>(keys[slot]) != key)
            slot = (slot + 1) & ((1u << kHashBits) - 1);
        if (keys[slot] >= 0) {
            prefix = codes[slot];
            continue;
        }
        bits += static_cast<std::size_t>(width);
        prefix = indices[i];
        if (next == kMaxCode) {
            bits += static_cast<std::size_t>(width);
            std::fill(keys.begin(), keys.end(), -1);
            width = 9;
            next = kClear + 2;
            continue;
        }
        keys[slot] = static_cast<std::int32_t>(key);
        codes[slot] = static_cast<std::uint16_t>(next);
        if (next == (1u << width))
            ++width;
        ++next;
    }
    return bits + 2 * static_cast<std::size_t>(width); // the last code and the end code
}

// The pixel bytes of an 8-bit image, rows as stored.
std::vector<std::uint8_t> storedPixels(KpxHandle image) {
    const std::uint8_t* bits = KPXGetBits(image);
    const std::size_t bytes = static_cast<std::size_t>(KPXGetScanBytes(image)) * KPXHeight(image);
    return bits ? std::vector<std::uint8_t>(bits, bits + bytes) : std::vector<std::uint8_t>{};
}

// An unchanged pixel shows the same whether it carries the unique (transparent) index or its
// own colour's; which of the two codes shorter depends on the picture. Within the rectangle the
// frame keeps (that of its changed pixels), the frame takes its own colours back on the
// unchanged pixels when the coder's measure says that is shorter. `literal` holds the frame's
// pixels before the unchanged ones were marked.
void keepLiteralWhereShorter(KpxHandle image, const std::vector<std::uint8_t>& literal,
                             int unique) {
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const std::size_t scan = static_cast<std::size_t>(KPXGetScanBytes(image));
    std::uint8_t* bits = KPXGetBits(image);
    if (unique < 0 || !bits || literal.size() != scan * static_cast<std::size_t>(height))
        return;
    int left = width, right = -1, top = height, bottom = -1; // stored rows
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (bits[static_cast<std::size_t>(y) * scan + x] != unique) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return;
    // Both versions in the order the coder reads them: picture rows from the top.
    std::vector<std::uint8_t> marked;
    std::vector<std::uint8_t> own;
    for (int y = bottom; y >= top; --y)
        for (int x = left; x <= right; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * scan + x;
            marked.push_back(bits[at]);
            own.push_back(bits[at] == unique && literal[at] != unique ? literal[at] : bits[at]);
        }
    if (lzwBits(own) >= lzwBits(marked))
        return;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * scan + x;
            if (bits[at] == unique && literal[at] != unique)
                bits[at] = literal[at];
        }
}

// One frame of the difference method: its picture, where it stands and the index its
// unchanged pixels carry (-1 none). No picture: the frame cannot be written without changing a
// colour.
struct DifferenceFrame {
    ScopedImage image;
    int left = 0;
    int top = 0;
    int unique = -1;
};

// The smallest rectangle that holds every pixel where after differs from before.
RECT changedRect(const Colours& after, const Colours& before, int width, int height) {
    RECT r{width, height, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            if (after[i] == before[i])
                continue;
            r.left = std::min<LONG>(r.left, x);
            r.top = std::min<LONG>(r.top, y);
            r.right = std::max<LONG>(r.right, x);
            r.bottom = std::max<LONG>(r.bottom, y);
        }
    return r;
}

// The frame written without the difference step: the rectangle of the changed pixels as the
// screen shows it, opaque, in a table of its own. No picture when it holds more colours than
// one table.
DifferenceFrame changedArea(const Colours& after, const Colours& before, int width, int height) {
    DifferenceFrame out;
    const RECT r = changedRect(after, before, width, height);
    if (r.right < r.left)
        return out;
    const int w = r.right - r.left + 1;
    const int h = r.bottom - r.top + 1;
    Colours area;
    area.reserve(static_cast<std::size_t>(w) * h);
    for (int y = r.top; y <= r.bottom; ++y)
        for (int x = r.left; x <= r.right; ++x)
            area.push_back(after[static_cast<std::size_t>(y) * width + x]);
    int unused = -1;
    out.image = exactFrameImage(area, Colours{}, w, h, unused);
    out.left = r.left;
    out.top = r.top;
    return out;
}

// The frame of the difference method for the composed screen `after` over `before` (the screen
// before the frame; for the first frame the background). The first frame is the whole screen
// where one table holds it. Every other frame carries one transparent-to-be index on the pixels
// that did not change: in the first frame's table when it has every colour and an index to
// spare, else in a table of its own; when the changed pixels fill a whole table, the frame is
// the opaque rectangle of the changed pixels.
DifferenceFrame screenFrame(FirstTable& first, KpxHandle after, KpxHandle before, bool isFirst) {
    const int width = KPXWidth(after);
    const int height = KPXHeight(after);
    DifferenceFrame out;
    bool exact = true;
    ScopedImage inFirst = inFirstTable(after, first, exact);
    if (exact && inFirst.get() && (isFirst || hasUnusedIndex(inFirst.get()))) {
        out.image = std::move(inFirst);
        if (!isFirst) {
            const std::vector<std::uint8_t> literal = storedPixels(out.image.get());
            out.unique = KPXCompareImagesAndFillByUniqueColor(out.image.get(), before, 0, 0);
            restoreFirstTableEntry(out.image.get(), first, out.unique);
            keepLiteralWhereShorter(out.image.get(), literal, out.unique);
        }
        return out;
    }
    const Colours shown = coloursOf(after);
    const Colours previous = coloursOf(before);
    out.image = exactFrameImage(shown, isFirst ? Colours{} : previous, width, height, out.unique);
    if (out.image.get())
        return out;
    return changedArea(shown, previous, width, height);
}

// Puts the frame information of frame f on image: its size, its place, disposal 1, the given
// transparent index (-1 none), f's delay and strings, no objects.
void putFrameInfo(KpxHandle image, const CObjFrame& f, int left, int top, int transparentIndex) {
    FrameInfo info{};
    info.width = KPXWidth(image);
    info.height = KPXHeight(image);
    info.left = left;
    info.top = top;
    info.delay = f.delay;
    info.disposal = kGifDisposalNone;
    info.transparency = transparentIndex > -1 ? kKpxTransparencyIndexFlag +
                                                    static_cast<std::uint32_t>(transparentIndex)
                                              : 0;
    info.name = const_cast<char*>(f.name.c_str());
    info.comment = const_cast<char*>(f.comment.c_str());
    info.keepTransparency = 1;
    KPXSetImageFramesInfo(image, &info);
}

void setRendered(CObjFrame& f, ScopedImage image) {
    if (const std::uint16_t old = f.SetRenderedImage(static_cast<std::uint16_t>(image.release())))
        KPXDeleteImage(old);
}

// Every frame takes its rendered image as its base image and its place from that image.
void takeRenderedImages(FrameList& list) {
    for (CObjFrame& f : list) {
        const std::uint16_t rendered = f.GetRenderedImage();
        if (!rendered)
            continue;
        f.SetRenderedImage(0);
        if (const std::uint16_t old = f.SetImage(rendered))
            KPXDeleteImage(old);
        f.UpdateFromImageInfo();
        f.softAlpha = 0;
    }
}

bool usesIndexZero(KpxHandle image) {
    KpxIndexHistogramEntry histogram[256] = {};
    int useTransparency = 0;
    return KPXGenerateHistogramIndexImage(image, histogram, &useTransparency) > 0 &&
           histogram[0].count > 0;
}

// The first frame takes palette entry 0 of the second, so that the two tables agree; only when
// no pixel of the first frame shows that entry, since it would change colour otherwise.
void alignFirstPaletteEntry(FrameList& list) {
    if (list.size() < 2)
        return;
    const auto first = static_cast<KpxHandle>(list.front().GetImage());
    const auto second = static_cast<KpxHandle>(std::next(list.begin())->GetImage());
    if (!first || !second || usesIndexZero(first))
        return;
    KPXSetColorToPalette(first, 0, KPXGetColorFromPalette(second, 0));
    KPXFillDIBColorTable(first);
}

// ---- Cropping to the visible pixels

bool isOptimalRectCandidate(const CObjFrame& f, int fromSecondFrame) {
    const auto image = static_cast<KpxHandle>(f.GetImage());
    // A frame restored to the background clears its whole rectangle when it goes: cropping its
    // transparent border, or dropping it when it is wholly transparent, would leave what lies
    // there on the screen.
    return image && (fromSecondFrame || f.selected) && !f.hasText && !f.hasVector &&
           f.disposal != kGifDisposalBackground && KPXIsImageTransparent(image) &&
           (f.transparency & kKpxTransparencyIndexFlag);
}

void cropToRect(CObjFrame& f, const RECT& r) {
    const auto image = static_cast<KpxHandle>(f.GetImage());
    if (r.right - r.left >= KPXWidth(image) - 1 && r.bottom - r.top >= KPXHeight(image) - 1)
        return;
    const KpxHandle cropped = KPXCropImageEx(image, r.left, r.top, r.right, r.bottom, 1);
    if (!cropped)
        return;
    KPXDeleteImage(f.SetImage(static_cast<std::uint16_t>(cropped)));
    f.left += r.left;
    f.top += r.top;
    f.width = r.right - r.left + 1;
    f.height = r.bottom - r.top + 1;
}

void selectAfterMerge(int index) {
    if (index == g_pAnimationData->frameCount)
        --index;
    DeselectAllFrames();
    SelectFrame(index);
    SetCurrentFrame(index);
}

} // namespace

int OptimizeAnimation(OptimizeOptions options) {
    if (!g_pAnimationData)
        return 0;
    CAnimationData& a = *g_pAnimationData;
    FrameList& list = a.frames;
    OptimizerRun run(options);

    CropFramesToAnimation();
    run.provisional = renderObjectFramesForPalette(list);
    if (run.provisional == kOptimizeCancelled)
        return kOptimizeCancelled;
    if (const int kind = paletteKind(run.mode); kind != kNoPalette)
        run.paletteResult = CalculateGlobalPalette(run.palette.data(), kind, options);
    DeleteRenderedImages(list);

    const int plainFrames = a.RealFrameCount() - CountObjectFrames(-1);
    if (flattenFrames(list, run) == kOptimizeCancelled)
        return kOptimizeCancelled;
    if (options.word[kOptionRemoveComments])
        a.comment.clear();

    if (options.word[kOptionDifferenceMethod]) {
        if (convertsFrames(run.mode)) {
            run.provisional = convertToCommonPalette(run, plainFrames);
            if (run.provisional == kOptimizeCancelled)
                return kOptimizeCancelled;
        }
        if (RemoveRedundantPixels() == kOptimizeCancelled)
            return kOptimizeCancelled;
        CropFramesToOptimalRect(1);
        return run.provisional;
    }
    if (options.word[kOptionRedundantPixels])
        CropFramesToOptimalRect(1);
    return convertsFrames(run.mode) ? convertToCommonPalette(run, plainFrames) : run.provisional;
}

int RemoveRedundantPixels() {
    if (!g_pAnimationData)
        return 0;
    CAnimationData& a = *g_pAnimationData;
    FrameList& list = a.frames;
    const int built = BuildFramesImage(list, 0, 1);
    if (built != 1)
        return built == kOptimizeCancelled ? kOptimizeCancelled : 0;
    const int width = a.AnimationWidth;
    const int height = a.AnimationHeight;
    const auto head = static_cast<KpxHandle>(list.front().GetImage());
    ScopedImage screen(KPXCreateImage(width, height, 24));
    if (!screen.get()) {
        SplitFramesImage(list, 0);
        return 0;
    }
    const ShownProgress progress(kfm5res::IDS_CAPTION_DIFFERENCE, a.RealFrameCount());
    KPXFillImageByRGBColor2(screen.get(), g_Settings.animBkColor, 0, 0, width - 1, height - 1);
    FirstTable firstTable(head);

    // Frames without a picture have no place in the chain: the chain index counts the others.
    int n = 0;
    for (auto it = list.begin(); isNotPlaceholder(list, it); ++it) {
        CObjFrame& f = *it;
        if (!f.GetImage())
            continue;
        const ScopedImage before = copyOf(screen.get());
        composeFrame(screen.get(), head, n, width, height);
        DifferenceFrame frame = screenFrame(firstTable, screen.get(), before.get(), n == 0);
        if (!frame.image.get()) {
            // One table cannot hold what this frame must show: nothing is changed.
            SplitFramesImage(list, 0);
            DeleteRenderedImages(list);
            return 0;
        }
        if (frame.unique > -1)
            SetImageTransparent(frame.image.get(), frame.unique);
        putFrameInfo(frame.image.get(), f, frame.left, frame.top, frame.unique);
        setRendered(f, std::move(frame.image));
        ++n;
        if (n > 1 && IsEscapePressed(0, n, nullptr)) {
            SplitFramesImage(list, 0);
            DeleteRenderedImages(list);
            return kOptimizeCancelled;
        }
    }
    screen = ScopedImage();
    SplitFramesImage(list, 0);
    takeRenderedImages(list);
    alignFirstPaletteEntry(list);
    return 1;
}

void CropFramesToOptimalRect(int fromSecondFrame) {
    if (!g_pAnimationData)
        return;
    CAnimationData& a = *g_pAnimationData;
    FrameList& list = a.frames;
    int toSelect = -1;
    int index = fromSecondFrame ? 1 : 0;
    auto it = list.begin();
    if (index >= static_cast<int>(list.size()))
        it = list.end();
    else
        std::advance(it, index);
    while (it != list.end()) {
        CObjFrame& f = *it;
        if (!isOptimalRectCandidate(f, fromSecondFrame)) {
            ++it;
            ++index;
            continue;
        }
        RECT r{};
        const int transparentIndex = static_cast<int>(f.transparency & 0xFF);
        const bool whollyTransparent =
            KPXGetOptimalRect(&r, static_cast<KpxHandle>(f.GetImage()), transparentIndex) == 1;
        if (!whollyTransparent) {
            cropToRect(f, r);
        } else if (it != list.begin() && std::prev(it)->disposal == kGifDisposalNone) {
            std::prev(it)->delay += f.delay;
            if (f.selected && toSelect < 0)
                toSelect = index;
            it = list.erase(it);
            continue;
        }
        ++it;
        ++index;
    }
    a.UpdateFrameCount();
    if (toSelect >= 0)
        selectAfterMerge(toSelect);
}

int GetFileSizeOnDisk(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec))
        return 0;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<int>(static_cast<std::uint32_t>(size));
}
