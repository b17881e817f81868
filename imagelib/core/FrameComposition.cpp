#include "FrameComposition.h"

#include "ColorMatching.h"
#include "Compose.h"
#include "FrameChain.h"
#include "ImageCreation.h"
#include "ImageFill.h"
#include "ImageTable.h"
#include "PixelAccess.h"
#include "Transparency.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr std::int32_t kRestoreBackground = 2;
constexpr std::int32_t kRestorePrevious = 3;

struct FrameFacts {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    std::int32_t screenWidth = 0, screenHeight = 0;
    std::int32_t disposal = 0;
    KpxHandle stateHolder = 0;
    bool transparent = false;
    bool listed = false; // has a transparent list, from which a mask is made when it has none
    std::int32_t mask = 0;
    std::int32_t explicitImage = 0;
};

std::optional<FrameFacts> readFrame(KpxHandle frame, KpxHandle chain) {
    kpx::ImageLock record(frame, kKpxRead);
    if (!record || !record->info)
        return std::nullopt;
    FrameFacts facts;
    facts.left = record->left;
    facts.top = record->top;
    facts.width = record->width();
    facts.height = record->height();
    facts.screenWidth = record->screenWidth;
    facts.screenHeight = record->screenHeight;
    facts.disposal = record->disposal;
    facts.stateHolder = record->firstFrame ? static_cast<KpxHandle>(record->firstFrame) : chain;
    facts.transparent = kpx::hasTransparency(*record.get());
    facts.listed = record->transparencyCount > 0;
    facts.mask = record->maskImage;
    facts.explicitImage = record->explicitTransparency;
    return facts;
}

// A new image holding the given area of an image (clipped to it), with its colour table.
KpxHandle copyOfArea(KpxHandle image, const kpx::Area& wanted) {
    kpx::ImageLock source(image, kKpxRead);
    if (!source || !source->info || !source->bits)
        return 0;
    const kpx::Area area = kpx::clipArea(wanted, source->width(), source->height());
    if (area.empty())
        return 0;
    const KpxHandle copy = KPXCreateImage(area.width(), area.height(), source->bitCount());
    {
        kpx::ImageLock target(copy, kKpxWrite);
        if (!target || target->bitCount() != source->bitCount())
            return 0;
        std::memcpy(target->colors(), source->colors(),
                    sizeof(RGBQUAD) * std::min(source->colorCount(), target->colorCount()));
        kpx::copyArea(*source.get(), area.left, area.top, *target.get(), 0, 0, area.width(),
                      area.height());
    }
    KPXFillDIBColorTable(copy);
    return copy;
}

// The translation of a palette source onto an 8-bit canvas: nearest colours of the canvas's
// table (a 1-bit source uses the entries 0 and 1).
bool translationFor(const KpxImageRecord& canvas, const KpxImageRecord& source,
                    kpx::IndexTranslation* out) {
    int table[256] = {};
    if (!KPXConvertPaletteTable(canvas.bitmapInfo(), source.bitmapInfo(), table))
        return false;
    for (std::size_t i = 0; i < out->size(); ++i)
        (*out)[i] = static_cast<std::uint8_t>(table[i] < 0 ? 0 : table[i]);
    return true;
}

// Does to the canvas what the previous frame's disposal asks for; false when the chain's state
// cannot be read.
bool applyPendingDisposal(KpxHandle canvas, KpxHandle holder, int n, COLORREF colour,
                          KpxHandle background) {
    std::int32_t disposal = 0;
    RECT rect{};
    std::int32_t saved = 0;
    {
        kpx::ImageLock state(holder, kKpxRead);
        if (!state)
            return false;
        // The first frame of a new pass starts from the background.
        if (n == 0 && state->previousDisposal == kRestorePrevious) {
            if (state->savedBackground)
                KPXDeleteImage(static_cast<KpxHandle>(state->savedBackground));
            state->savedBackground = 0;
            state->previousDisposal = kRestoreBackground;
        }
        disposal = state->previousDisposal;
        rect = state->previousRect;
        saved = state->savedBackground;
    }
    if (disposal == kRestorePrevious && saved) {
        KPXRenderImageTo(canvas, static_cast<KpxHandle>(saved), 0, rect.left, rect.top);
    } else if (disposal == kRestoreBackground) {
        // Exactly the frame's rectangle: right and bottom are the first column and row after it.
        if (background) {
            const KpxHandle part =
                copyOfArea(background, {rect.left, rect.top, rect.right, rect.bottom});
            if (part) {
                KPXRenderImageTo(canvas, part, 0, rect.left, rect.top);
                KPXDeleteImage(part);
            }
        } else {
            KPXFillImageByRGBColor2(canvas, colour, rect.left, rect.top, rect.right - 1,
                                    rect.bottom - 1);
        }
    }
    return true;
}

// The 1-bit mask a GIF viewer sees in an 8-bit transparency image (255 fully transparent): a
// pixel is transparent where its value is 128 or more. Frames with graded transparency (the
// editor gives returned plug-in frames one) would otherwise draw nothing, since the compositor
// takes 1-bit masks only. 0 when the image is no 8-bit image or memory runs out.
KpxHandle maskOfTransparencyImage(KpxHandle transparency) {
    int width = 0;
    int height = 0;
    {
        kpx::ImageLock source(transparency, kKpxRead);
        if (!kpx::hasPixels(source.get()) || source->bitCount() != 8)
            return 0;
        width = source->width();
        height = source->height();
    }
    const KpxHandle mask = KPXCreateImage(width, height, 1);
    kpx::ImageLock target(mask, kKpxWrite);
    kpx::ImageLock source(transparency, kKpxRead);
    if (!kpx::hasPixels(target.get()) || !kpx::hasPixels(source.get())) {
        target.unlock();
        KPXDeleteImage(mask);
        return 0;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* in = kpx::pictureRow(*source.get(), y);
        std::uint8_t* out = kpx::pictureRow(*target.get(), y);
        for (std::int32_t x = 0; x < width; ++x)
            kpx::setMaskBit(out, x, in[x] >= 128);
    }
    return mask;
}

void drawFrame(KpxHandle canvas, KpxHandle frame, const FrameFacts& facts, std::int32_t x,
               std::int32_t y) {
    if (!facts.transparent) {
        KPXRenderImageTo(canvas, frame, 0, x, y);
        return;
    }
    std::int32_t mask = facts.mask;
    std::int32_t explicitImage = facts.explicitImage;
    if (facts.listed && !mask) {
        // The first time the frame is drawn its mask is made from its transparent list.
        kpx::cacheMaskFromList(frame);
        kpx::ImageLock record(frame, kKpxRead);
        if (!record)
            return;
        mask = record->maskImage;
        explicitImage = record->explicitTransparency;
    }
    // The mask made from the transparent list is a 1-bit mask of the frame's size already: the
    // frame is drawn through it as it is.
    if (mask && !explicitImage) {
        KPXRenderImageTo(canvas, frame, static_cast<KpxHandle>(mask), x, y);
        return;
    }
    KpxHandle through = KPXCreateMaskCombine(static_cast<KpxHandle>(mask),
                                             static_cast<KpxHandle>(explicitImage), 0);
    if (const KpxHandle bits = maskOfTransparencyImage(through)) {
        KPXDeleteImage(through);
        through = bits;
    }
    KPXRenderImageTo(canvas, frame, through, x, y);
    if (through)
        KPXDeleteImage(through);
}

void recordState(KpxHandle holder, int n, std::int32_t disposal, const kpx::Area& placed,
                 KpxHandle newSaved) {
    std::int32_t stale = 0;
    {
        kpx::ImageLock state(holder, kKpxRead);
        if (!state) {
            stale = newSaved;
        } else {
            stale = state->savedBackground;
            state->previousDisposal = disposal;
            state->previousRect = RECT{std::max(placed.left, 0), std::max(placed.top, 0),
                                       placed.right, placed.bottom};
            state->savedBackground = 0;
            if (disposal == kRestorePrevious && n != 0 && newSaved) {
                state->savedBackground = newSaved;
                if (stale == newSaved)
                    stale = 0;
            } else {
                if (disposal == kRestorePrevious)
                    state->previousDisposal = kRestoreBackground;
                if (newSaved && newSaved != stale)
                    KPXDeleteImage(newSaved);
            }
        }
    }
    if (stale)
        KPXDeleteImage(static_cast<KpxHandle>(stale));
}

// Frame n of a chain, or its last frame when the chain is shorter (a link to no image ends it),
// with the index it has. A chain remembers where the last search stopped, and a search for that
// frame or one after it starts there while no link has changed since: composing an animation
// frame by frame walks it once. No frame when the chain cannot be locked.
struct FoundFrame {
    KpxHandle frame = 0;
    int index = 0;
};

FoundFrame findFrame(KpxHandle chain, int n) {
    const std::uint64_t version = kpx::chainLinksVersion();
    FoundFrame found{chain, 0};
    {
        kpx::ImageLock head(chain, kKpxRead);
        if (!head)
            return {};
        if (head->composedVersion == version && head->composedFrame && head->composedIndex <= n)
            found = {static_cast<KpxHandle>(head->composedFrame), head->composedIndex};
    }
    for (; found.index < n; ++found.index) {
        KpxHandle next = 0;
        {
            kpx::ImageLock record(found.frame, kKpxRead);
            if (!record)
                return {};
            next = static_cast<KpxHandle>(record->nextFrame);
        }
        if (!next || !kpx::ImageLock(next, kKpxRead))
            break;
        found.frame = next;
    }
    kpx::ImageLock head(chain, kKpxRead);
    if (!head)
        return {};
    head->composedFrame = found.frame;
    head->composedIndex = found.index;
    head->composedVersion = version;
    return found;
}

// Composes frame n of the chain (the frame found for it) onto the canvas inside the screen
// rectangle; n = -1 only carries out the pending disposal.
void composeFrame(KpxHandle canvas, const kpx::Area& screen, KpxHandle chain, KpxHandle frame,
                  int n, COLORREF colour, KpxHandle background) {
    const std::optional<FrameFacts> facts = readFrame(frame, chain);
    if (!facts)
        return;
    const kpx::Area placed = kpx::placeFrame(screen, facts->screenWidth, facts->screenHeight,
                                             facts->left, facts->top, facts->width, facts->height);

    if (!applyPendingDisposal(canvas, facts->stateHolder, n, colour, background))
        return;
    KpxHandle saved = 0;
    if (facts->disposal == kRestorePrevious)
        saved = copyOfArea(canvas, placed);
    if (n >= 0)
        drawFrame(canvas, frame, *facts, placed.left, placed.top);
    recordState(facts->stateHolder, n, facts->disposal, placed, saved);
}

} // namespace

int KPXRenderImageTo(KpxHandle canvas, KpxHandle source, KpxHandle mask, int x, int y) {
    if (!canvas || !source || canvas == source || canvas == mask)
        return 0;
    kpx::ImageLock target(canvas, kKpxWrite);
    kpx::ImageLock picture(source, kKpxRead);
    std::optional<kpx::ImageLock> maskLock;
    if (mask)
        maskLock.emplace(mask, kKpxRead);
    if (!target || !picture || (mask && !*maskLock))
        return 0;
    kpx::IndexTranslation translation{};
    const kpx::IndexTranslation* table = nullptr;
    if (target->bitCount() == 8 && picture->bitCount() <= 8) {
        if (!translationFor(*target.get(), *picture.get(), &translation))
            return 0;
        table = &translation;
    }
    return kpx::composeImage(*target.get(), *picture.get(), mask ? maskLock->get() : nullptr, x, y,
                             table)
               ? 1
               : 0;
}

int KPXStretchBltFrame(KpxHandle canvas, int left, int top, int right, int bottom, KpxHandle chain,
                       int n, int, int, int, int, int, int, int, COLORREF colour,
                       KpxHandle background) {
    if (!canvas || !chain || n < -1)
        return 0;
    const FoundFrame found = findFrame(chain, n < 0 ? 0 : n);
    if (found.frame)
        composeFrame(canvas, {left, top, right, bottom}, chain, found.frame, n, colour, background);
    return 0;
}

int KPXRenderFrames(KpxHandle chain, KpxHandle canvas, int x, int y, int from, int to,
                    COLORREF colour, KpxHandle background, int keep) {
    if (!chain || !canvas)
        return 0;
    int width = 0;
    int height = 0;
    {
        kpx::ImageLock head(chain, kKpxRead);
        if (!head)
            return 0;
        width = static_cast<short>(head->screenWidth);
        height = static_cast<short>(head->screenHeight);
    }
    const kpx::Area screen{x, y, x + width, y + height};
    to = std::max(to, 0);
    const int first = std::min(std::max(from, 0), to);
    // The chain is walked once, not counted first: a range past its end stops at its last
    // frame, and a range that starts past it draws the last frame alone.
    for (int i = first; i <= to; ++i) {
        const FoundFrame found = findFrame(chain, i);
        if (!found.frame)
            break;
        if (found.index < i) {
            if (i == first)
                composeFrame(canvas, screen, chain, found.frame, found.index, colour, background);
            break;
        }
        composeFrame(canvas, screen, chain, found.frame, i, colour, background);
    }
    if (!keep)
        KPXStretchBltFrame(canvas, x, y, x + width, y + height, chain, -1, 0, 0, 0, 0, 0, 0, 0,
                           colour, background);
    return 1;
}
