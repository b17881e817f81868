#include "AnimationData.h"

#include "Kfm5ResourceIds.h"

#include "Bitra5.h"
#include "DisplayHelpers.h"
#include "ImageUtilities.h"
#include "ShellServices.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

CAnimationData* g_pAnimationData = nullptr;

namespace {

FrameList& frames() {
    return g_pAnimationData->frames;
}

// The node at index n, or end() for an index outside the list.
FrameList::iterator nodeAt(int n) {
    if (!g_pAnimationData || n < 0 || n >= static_cast<int>(frames().size()))
        return frames().end();
    return std::next(frames().begin(), n);
}

// Visits the real frames (every node but the placeholder).
template <typename F> void forEachRealFrame(F&& visit) {
    if (frames().empty())
        return;
    const auto last = std::prev(frames().end());
    int index = 0;
    for (auto it = frames().begin(); it != last; ++it, ++index)
        visit(*it, index);
}

RECT frameRect(const CObjFrame& f) {
    return RECT{f.left, f.top, f.left + f.width, f.top + f.height};
}

void unite(RECT& into, const RECT& r, bool& first) {
    if (first) {
        into = r;
        first = false;
        return;
    }
    into.left = std::min(into.left, r.left);
    into.top = std::min(into.top, r.top);
    into.right = std::max(into.right, r.right);
    into.bottom = std::max(into.bottom, r.bottom);
}

// Makes index the only selected and the current frame.
void selectOnly(int index) {
    DeselectAllFrames();
    SelectFrame(index);
    SetCurrentFrame(index);
}

} // namespace

CAnimationData::CAnimationData() {
    frames.emplace_back();
}

void CAnimationData::SetProgramDefaults() {
    TabPosition = 2;
    OptimizePalette = 1;
    OptimizePalAdaptive = 0;
    OptimizeDither = 0;
    OptimizeRedundantPixels = 1;
    OptimizeComment = 1;
    OptimizeTitle = 1;
    OptimizeSpecialInfo = 1;
    OptimizeDiffMethod = 0;
    OptimizeBandwidth = 14400;
    OptimizeNumColors = 256;
    sizeBefore = 0;
    sizeAfter = 0;
    AnimationWidth = 468;
    AnimationHeight = 60;
    AnimationStateElasticSize = 1;
    AnimationStateLockLeft = AnimationStateLockTop = 0;
    AnimationStateLockRight = AnimationStateLockBottom = 0;
    reserved = 0;
}

void CAnimationData::ResetFrames() {
    frames.clear();
    frames.emplace_back();
    UpdateFrameCount();
}

CAnimationData& CreateProgramAnimation() {
    if (!g_pAnimationData) {
        g_pAnimationData = new CAnimationData;
        g_pAnimationData->SetProgramDefaults();
    }
    return *g_pAnimationData;
}

void DestroyProgramAnimation() {
    delete g_pAnimationData;
    g_pAnimationData = nullptr;
}

void ResetAnimationOptions() {
    g_pAnimationData->frameCount = 0;
    g_pAnimationData->loopCount = 0;
    g_pAnimationData->comment.clear();
}

void DeselectAllFrames() {
    for (auto& f : frames())
        f.selected = 0;
}

void SelectAllFrames() {
    for (auto& f : frames())
        f.selected = 1;
}

int GetSelFramesCount() {
    return static_cast<int>(std::count_if(frames().begin(), frames().end(),
                                          [](const CObjFrame& f) { return f.selected != 0; }));
}

void SelectFrame(int n) {
    if (auto it = nodeAt(n); it != frames().end())
        it->selected = 1;
}

void DeselectFrame(int n) {
    if (auto it = nodeAt(n); it != frames().end())
        it->selected = 0;
}

int IsFrameSelected(int n) {
    auto it = nodeAt(n);
    return it != frames().end() ? it->selected : 0;
}

int IsCurrentFrame(int n) {
    auto it = nodeAt(n);
    return it != frames().end() ? it->current : 0;
}

void ClearCurrentFlags() {
    for (auto& f : frames())
        f.current = 0;
}

void SelectIncomingFrames(FrameList& incoming) {
    DeselectAllFrames();
    ClearCurrentFlags();
    for (CObjFrame& frame : incoming) {
        frame.selected = 1;
        frame.current = 0;
        frame.marked = 0;
    }
    if (!incoming.empty())
        incoming.front().current = 1;
}

void SetCurrentFrame(int n) {
    int index = 0;
    for (auto& f : frames())
        f.current = (index++ == n) ? 1 : 0;
}

namespace {

// Index of the first node whose flag is set; the last node's index when none is.
int firstNodeWith(std::int32_t CObjFrame::*flag) {
    const auto it = std::find_if(frames().begin(), frames().end(),
                                 [flag](const CObjFrame& f) { return f.*flag != 0; });
    const auto index = std::distance(frames().begin(), it);
    return static_cast<int>(it == frames().end() ? index - 1 : index);
}

} // namespace

int GetCurrentFrameIndex() {
    return firstNodeWith(&CObjFrame::current);
}

int GetFirstSelFrameIndex() {
    return firstNodeWith(&CObjFrame::selected);
}

int GetLastSelFrameIndex() {
    int index = static_cast<int>(frames().size()) - 1;
    for (auto it = frames().rbegin(); it != frames().rend(); ++it, --index)
        if (it->selected)
            return index;
    return 0;
}

CObjFrame* GetFirstSelFrame() {
    auto it = nodeAt(GetFirstSelFrameIndex());
    return it != frames().end() ? &*it : nullptr;
}

std::uint16_t GetFirstSelFrameImage() {
    const CObjFrame* f = GetFirstSelFrame();
    return f ? f->GetImage() : 0;
}

CObjFrame* GetCurrentFrame() {
    auto it = nodeAt(GetCurrentFrameIndex());
    return it != frames().end() ? &*it : nullptr;
}

std::uint16_t GetCurrentFrameImage() {
    const CObjFrame* f = GetCurrentFrame();
    return f ? f->GetImage() : 0;
}

FrameList::iterator GetCurrentFrameNode() {
    return nodeAt(GetCurrentFrameIndex());
}

std::vector<int> GetSelFramesArray() {
    std::vector<int> indices;
    int index = 0;
    for (const auto& f : frames()) {
        if (f.selected)
            indices.push_back(index);
        ++index;
    }
    indices.push_back(-1);
    return indices;
}

void ClearFramesMark() {
    for (auto& f : frames())
        f.marked = 0;
}

int CountObjectFrames(int upTo) {
    int count = 0;
    int index = 0;
    for (const auto& f : frames()) {
        if (f.hasText || f.hasVector || f.softAlpha)
            ++count;
        if (upTo >= 0 && index == upTo)
            break;
        ++index;
    }
    return count;
}

int CountFrames24Bit() {
    return static_cast<int>(std::count_if(frames().begin(), frames().end(), [](const CObjFrame& f) {
        return f.GetImage() && KPXbpp(static_cast<KpxHandle>(f.GetImage())) == 24;
    }));
}

int IsAnyFrame24Bit() {
    for (const auto& f : frames()) {
        if (!f.selected)
            continue;
        if (f.hasText || f.hasVector)
            return 1;
        if (f.GetImage() && KPXbpp(static_cast<KpxHandle>(f.GetImage())) == 24)
            return 1;
    }
    return 0;
}

namespace {

// Union of the selected nodes' rectangles, the last node included.
RECT selectedNodesRect() {
    RECT r{};
    bool first = true;
    for (const auto& f : frames())
        if (f.selected)
            unite(r, frameRect(f), first);
    return r;
}

} // namespace

int GetSelFramesWidth() {
    const RECT r = selectedNodesRect();
    return r.right - r.left;
}

int GetSelFramesHeight() {
    const RECT r = selectedNodesRect();
    return r.bottom - r.top;
}

void GetSelFramesBounds(RECT& out) {
    RECT r{};
    bool first = true;
    forEachRealFrame([&](const CObjFrame& f, int) {
        if (f.selected)
            unite(r, frameRect(f), first);
    });
    if (!first)
        out = r;
}

int GetSelFramesIntersection(RECT& out) {
    RECT r{};
    bool first = true;
    forEachRealFrame([&](const CObjFrame& f, int) {
        if (!f.selected)
            return;
        const RECT fr = frameRect(f);
        if (first) {
            r = fr;
            first = false;
            return;
        }
        r.left = std::max(r.left, fr.left);
        r.top = std::max(r.top, fr.top);
        r.right = std::min(r.right, fr.right);
        r.bottom = std::min(r.bottom, fr.bottom);
    });
    if (first)
        return 0;
    out = r;
    return 1;
}

void GetFramesRect(const FrameList& list, int upTo, RECT& out) {
    RECT r{};
    bool first = true;
    int index = 0;
    for (const auto& f : list) {
        if (index++ > upTo)
            break;
        if (f.GetImage())
            unite(r, frameRect(f), first);
    }
    if (!first)
        out = r;
}

int GetSelFramesDuration() {
    int total = 0;
    forEachRealFrame([&](const CObjFrame& f, int) {
        if (f.selected)
            total += f.delay;
    });
    return total;
}

namespace {

// A frame whose picture has an 8-bit plane of graded transparency (vector and soft-alpha
// frames) is blended through it; the plane's own 1-bit counterpart, when the image has none,
// is a clear mask, so that every pixel is blended.
void drawThroughPlane(KpxHandle image, KpxHandle preview, const RECT& r) {
    const KpxHandle plane = KPXGetImageTransparentImageEx(image);
    const KpxHandle transparency = KPXGetImageTransparentImage(image);
    const bool ownMask = transparency && KPXbpp(transparency) == 1;
    if (transparency)
        KPXDeleteImage(transparency);
    const KpxHandle clear = ownMask ? 0 : KPXCreateImage(KPXWidth(image), KPXHeight(image), 1);
    KPXStretchBltTransparent(0, &KPXGetBitmapInfoHeader(preview)->bmiHeader, KPXGetBits(preview),
                             r.left, r.top, r.right, r.bottom, image, 0,
                             plane && KPXbpp(plane) == 8 ? plane : 0, clear, 0, 0);
    if (clear)
        KPXDeleteImage(clear);
}

void drawPreviewFrame(const CObjFrame& f, KpxHandle preview, const RECT& r) {
    const auto image = static_cast<KpxHandle>(f.GetImage());
    if (f.hasVector || f.softAlpha) {
        drawThroughPlane(image, preview, r);
    } else if (KPXIsImageTransparent(image)) {
        KPXStretchBltTransparent(0, &KPXGetBitmapInfoHeader(preview)->bmiHeader,
                                 KPXGetBits(preview), r.left, r.top, r.right, r.bottom, image, 0, 0,
                                 0, 0, 0);
    } else {
        DrawImageStretched(image, preview, r.left, r.top, r.right, r.bottom);
    }
}

} // namespace

KpxHandle CreatePreviewImage(int left, int top, int right, int bottom, int dx, int dy,
                             int includeCurrent) {
    const std::int64_t width = static_cast<std::int64_t>(right) - left + 1;
    const std::int64_t height = static_cast<std::int64_t>(bottom) - top + 1;
    if (!g_pAnimationData || width < 1 || height < 1 || width > INT16_MAX || height > INT16_MAX)
        return 0;
    const KpxHandle preview = KPXCreateImage(static_cast<int>(width), static_cast<int>(height), 24);
    if (!preview)
        return 0;
    const TransparencyGrid grid = GetTransparencyGrid();
    KPXFillImageByChessBoard(preview, grid.cell, grid.cell, left, top, grid.color1, grid.color2);
    for (const CObjFrame& f : frames()) {
        if (!f.selected || !f.GetImage() || (f.current && !includeCurrent))
            continue;
        const int x = f.left - left + dx;
        const int y = f.top - top + dy;
        drawPreviewFrame(f, preview, RECT{x, y, x + f.width, y + f.height});
    }
    return preview;
}

int DeleteSelFrames() {
    if (frames().empty())
        return 0;
    const auto last = std::prev(frames().end());
    int index = 0;
    int firstRemoved = -1;
    for (auto it = frames().begin(); it != last;) {
        if (it->selected) {
            if (firstRemoved < 0)
                firstRemoved = index;
            it = frames().erase(it);
        } else {
            ++it;
        }
        ++index;
    }
    g_pAnimationData->UpdateFrameCount();
    if (firstRemoved < 0)
        return 0;
    if (firstRemoved == g_pAnimationData->frameCount)
        --firstRemoved;
    selectOnly(firstRemoved);
    return 1;
}

void DeleteSelFramesKeepCurrent(int select) {
    if (frames().empty())
        return;
    const auto last = std::prev(frames().end());
    int index = 0;
    int firstRemoved = -1;
    const int currentIndex = GetCurrentFrameIndex();
    for (auto it = frames().begin(); it != last;) {
        if (it->marked) {
            if (firstRemoved < 0)
                firstRemoved = index;
            it = frames().erase(it);
        } else {
            ++it;
        }
        ++index;
    }
    if (!select)
        return;
    if (firstRemoved >= 0)
        selectOnly(firstRemoved);
    else
        SetCurrentFrame(currentIndex);
    g_pAnimationData->UpdateFrameCount();
}

int DeleteEmptyFrames() {
    if (frames().empty())
        return 1;
    bool removed = false;
    for (bool again = true; again;) {
        again = false;
        const auto last = std::prev(frames().end());
        for (auto it = frames().begin(); it != last; ++it) {
            if (!it->GetImage()) {
                frames().erase(it);
                removed = again = true;
                break;
            }
        }
    }
    g_pAnimationData->UpdateFrameCount();
    if (!removed)
        return 1;
    ShellMessageBox(kfm5res::IDS_EMPTY_FRAMES_REMOVED, MB_ICONEXCLAMATION_);
    return 0;
}

void AddSelFramesDelay(int d) {
    forEachRealFrame([d](CObjFrame& f, int) {
        if (f.selected)
            f.delay += d;
    });
}

void ScaleSelFramesDelay(int percent) {
    const float factor = static_cast<float>(percent) * 0.01f;
    forEachRealFrame([factor](CObjFrame& f, int) {
        if (f.selected)
            f.delay += static_cast<int>(static_cast<float>(f.delay) * factor);
    });
}

void ReverseSelFrames() {
    std::vector<CObjFrame> reversed;
    std::vector<FrameList::iterator> positions;
    if (frames().empty())
        return;
    const auto last = std::prev(frames().end());
    for (auto it = frames().begin(); it != last; ++it) {
        if (it->selected) {
            positions.push_back(it);
            reversed.push_back(*it);
        }
    }
    std::reverse(reversed.begin(), reversed.end());
    for (size_t k = 0; k < positions.size(); ++k) {
        frames().insert(std::next(positions[k]), reversed[k]);
        frames().erase(positions[k]);
    }
}
