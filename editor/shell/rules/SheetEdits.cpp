#include "SheetEdits.h"

#include "EdgeLocks.h"
#include "Kfm5ResourceIds.h"
#include "PaletteRender.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace kfm::shell {

int g_nChangeSource = kChangeSourceNone;

namespace {

constexpr std::uint32_t kTransparentFlag = 0x01000000u;

// The listed real frames in list order; the -1 end and indices past the last frame stop the walk.
std::vector<CObjFrame*> listedFrames(std::span<const int> selected) {
    std::vector<CObjFrame*> out;
    for (const int index : selected) {
        if (index < 0)
            break;
        CObjFrame* frame = RealFrameAt(index);
        if (!frame)
            break;
        out.push_back(frame);
    }
    return out;
}

template <typename Fn> void forEachRealFrame(Fn fn) {
    if (!g_pAnimationData || g_pAnimationData->frames.empty())
        return;
    FrameList& frames = g_pAnimationData->frames;
    const auto last = std::prev(frames.end());
    for (auto it = frames.begin(); it != last; ++it)
        fn(*it);
}

RECT rectOf(const CObjFrame& f) {
    return kfm::model::frameRect(f.left, f.top, f.width, f.height);
}

void moveGroup(const std::vector<CObjFrame*>& frames, int value, bool horizontal) {
    int smallest = std::numeric_limits<int>::max();
    for (const CObjFrame* f : frames)
        smallest = std::min(smallest, horizontal ? f->left : f->top);
    const int shift = value - smallest;
    for (CObjFrame* f : frames)
        (horizontal ? f->left : f->top) += shift;
}

void setAlpha(CObjFrame& f, int value) {
    f.alphaValue = value;
    const KpxHandle image = static_cast<KpxHandle>(f.GetImage());
    f.softAlpha = (value >= 1 || (image && KPXGetImageTransparentImageEx(image))) ? 1 : 0;
    if (f.hasText)
        f.text.transparencyLevel = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    if (f.hasVector)
        f.vector.transparencyLevel = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// A copy of the frame's image with its palette index transparent, or without transparency;
// graded transparency and a transparency level go either way.
void replaceImageTransparency(CObjFrame& f, bool transparent) {
    const KpxHandle image = static_cast<KpxHandle>(f.GetImage());
    if (!image)
        return;
    const KpxHandle copy = KPXCreateImageFrom(image, 0);
    if (!copy)
        return;
    if (const std::uint16_t kept = f.SetMaskImage(0))
        KPXDeleteImage(static_cast<KpxHandle>(kept));
    f.alphaValue = 0;
    KPXSetImageTransparentEx(copy, 0);
    if (transparent)
        SetImageTransparent(copy, static_cast<int>(f.transparency & 0xFF));
    else
        KPXSetImageTransparent(copy, nullptr, 0);
    KPXDeleteImage(static_cast<KpxHandle>(f.SetImage(static_cast<std::uint16_t>(copy))));
}

void setTransparencyMode(CObjFrame& f, int mode) {
    if (mode == kTransparencyOpaque || mode == kTransparencyColour) {
        const std::uint32_t index = f.transparency & 0xFF;
        f.transparency = (mode == kTransparencyColour ? kTransparentFlag : 0u) | index;
        f.softAlpha = 0;
        replaceImageTransparency(f, mode == kTransparencyColour);
    } else if (mode == kTransparencyAlpha && f.alphaValue > 0) {
        f.softAlpha = 1;
    }
}

} // namespace

CObjFrame* RealFrameAt(int index) {
    if (!g_pAnimationData || index < 0 || index >= g_pAnimationData->RealFrameCount())
        return nullptr;
    return &*std::next(g_pAnimationData->frames.begin(), index);
}

int DisposalForItem(int item) {
    switch (item) {
    case 1:
        return 3;
    case 2:
        return 2;
    default:
        return 1;
    }
}

int ItemForDisposal(int disposal) {
    switch (disposal) {
    case 2:
        return 2;
    case 3:
        return 1;
    default:
        return 0;
    }
}

void SetFramesProperty(std::span<const int> selected, int value, const std::string* text,
                       int flags) {
    const std::vector<CObjFrame*> frames = listedFrames(selected);
    if (frames.empty())
        return;
    if (flags & kPropertyLeft)
        moveGroup(frames, value, true);
    if (flags & kPropertyTop)
        moveGroup(frames, value, false);
    for (CObjFrame* f : frames) {
        if (flags & kPropertyDelay)
            f->delay = value;
        if (flags & kPropertyAlpha)
            setAlpha(*f, value);
        if (flags & kPropertyTransparency)
            setTransparencyMode(*f, value);
        if (flags & kPropertyDisposal)
            f->disposal = DisposalForItem(value);
        if ((flags & kPropertyName) && text)
            f->name = *text;
        if (flags & kPropertyAlwaysShown)
            f->reserved1 = value;
        if (flags & kPropertyLocked)
            f->reserved2 = value;
    }
}

RECT RealFramesBounds() {
    std::vector<RECT> rects;
    forEachRealFrame([&rects](const CObjFrame& f) { rects.push_back(rectOf(f)); });
    return kfm::model::unionOfRects(rects);
}

bool FitAnimationSize() {
    if (!g_pAnimationData || g_pAnimationData->RealFrameCount() < 1)
        return false;
    int width = std::numeric_limits<int>::min();
    int height = std::numeric_limits<int>::min();
    forEachRealFrame([&](const CObjFrame& f) {
        width = std::max(width, f.left + f.width);
        height = std::max(height, f.top + f.height);
    });
    CAnimationData& a = *g_pAnimationData;
    bool changed = false;
    if (width >= 1 && width != a.AnimationWidth) {
        a.AnimationWidth = width;
        changed = true;
    }
    if (height >= 1 && height != a.AnimationHeight) {
        a.AnimationHeight = height;
        changed = true;
    }
    return changed;
}

bool CropAnimationToFrames() {
    if (!g_pAnimationData || g_pAnimationData->RealFrameCount() < 1)
        return false;
    const RECT u = RealFramesBounds();
    CAnimationData& a = *g_pAnimationData;
    if (u.left == 0 && u.top == 0 && u.right == a.AnimationWidth && u.bottom == a.AnimationHeight)
        return false;
    a.AnimationWidth = u.right - u.left;
    a.AnimationHeight = u.bottom - u.top;
    forEachRealFrame([&u](CObjFrame& f) {
        f.left -= u.left;
        f.top -= u.top;
    });
    return true;
}

void CheckEdgeLocksOnOpening() {
    if (!g_pAnimationData || g_pAnimationData->RealFrameCount() < 1)
        return;
    CAnimationData& a = *g_pAnimationData;
    const RECT u = RealFramesBounds();
    if (!(u.left == 0 && u.top == 0 && u.right == a.AnimationWidth &&
          u.bottom == a.AnimationHeight))
        a.AnimationStateElasticSize = 0;
    if (u.left < 0)
        a.AnimationStateLockLeft = 0;
    if (u.top < 0)
        a.AnimationStateLockTop = 0;
    if (u.right > a.AnimationWidth)
        a.AnimationStateLockRight = 0;
    if (u.bottom > a.AnimationHeight)
        a.AnimationStateLockBottom = 0;
}

EdgeMarks ComputeEdgeMarks() {
    EdgeMarks marks;
    if (!g_pAnimationData)
        return marks;
    const RECT u = RealFramesBounds();
    marks.left = u.left >= 0;
    marks.top = u.top >= 0;
    marks.right = u.right <= g_pAnimationData->AnimationWidth;
    marks.bottom = u.bottom <= g_pAnimationData->AnimationHeight;
    return marks;
}

LoopChoice LoopChoiceOf(int loopCount, int shownCount) {
    LoopChoice choice;
    choice.count = shownCount;
    if (loopCount < 0)
        return choice;
    choice.on = true;
    choice.endless = loopCount == 0;
    if (loopCount > 0)
        choice.count = loopCount;
    return choice;
}

int LoopCountOf(const LoopChoice& choice) {
    if (!choice.on)
        return -1;
    return choice.endless ? 0 : choice.count;
}

bool PullSelectedFramesToLimit(bool horizontal, int limit) {
    bool moved = false;
    forEachRealFrame([&](CObjFrame& f) {
        if (!f.selected)
            return;
        int& position = horizontal ? f.left : f.top;
        if (position > limit) {
            position = limit;
            moved = true;
        }
    });
    return moved;
}

int TransparencyModeOf(const CObjFrame& f) {
    const KpxHandle image = static_cast<KpxHandle>(f.GetImage());
    if (f.alphaValue > 0 || f.hasText || f.hasVector || f.softAlpha ||
        (image && KPXbpp(image) == 24))
        return kTransparencyAlpha;
    return (f.transparency & kTransparentFlag) ? kTransparencyColour : kTransparencyOpaque;
}

UINT FrameKindTextId(const CObjFrame& f) {
    using namespace kfm5res;
    if (f.hasText)
        return IDS_FRAME_KIND_TEXT;
    if (f.hasVector)
        return IDS_FRAME_KIND_VECTOR;
    if (f.hasControl)
        return IDS_FRAME_KIND_CONTROL;
    const KpxHandle image = static_cast<KpxHandle>(f.GetImage());
    if (image && KPXbpp(image) == 24)
        return IDS_FRAME_KIND_TRUE_COLOUR;
    if (f.softAlpha)
        return IDS_FRAME_KIND_GRADED_ALPHA;
    if (f.width < 1)
        return 0;
    return IDS_FRAME_KIND_IMAGE;
}

namespace {

// The transparency mode compared across several frames: the transparency flag, or 3 for a
// frame without a text source whose alpha value is above 0.
int sharedModeKey(const CObjFrame& f) {
    if (!f.hasText && f.alphaValue > 0)
        return 3;
    return (f.transparency & kTransparentFlag) ? 1 : 0;
}

} // namespace

FramesSummary SummarizeFrames(std::span<const int> selected) {
    FramesSummary s;
    const std::vector<CObjFrame*> frames = listedFrames(selected);
    if (frames.empty())
        return s;
    const CObjFrame& first = *frames.front();
    std::vector<RECT> rects;
    for (const CObjFrame* f : frames) {
        rects.push_back(rectOf(*f));
        s.sameDelay = s.sameDelay && f->delay == first.delay;
        s.sameDisposal = s.sameDisposal && f->disposal == first.disposal;
        s.sameName = s.sameName && f->name == first.name;
        s.sameMode = s.sameMode && sharedModeKey(*f) == sharedModeKey(first);
        s.sameAlwaysShown = s.sameAlwaysShown && (f->reserved1 != 0) == (first.reserved1 != 0);
        s.sameLocked = s.sameLocked && (f->reserved2 != 0) == (first.reserved2 != 0);
        s.sameKind = s.sameKind && FrameKindTextId(*f) == FrameKindTextId(first);
    }
    s.count = static_cast<int>(frames.size());
    s.bounds = kfm::model::unionOfRects(rects);
    s.mode = TransparencyModeOf(first);
    return s;
}

std::string FrameSizeText(int size, int frameCount) {
    std::string text = std::to_string(size);
    if (frameCount >= 2)
        text += '*';
    return text;
}

int NextFlagValue(bool allShare, int shownValue) {
    return allShare ? (shownValue ? 0 : 1) : 0;
}

} // namespace kfm::shell
