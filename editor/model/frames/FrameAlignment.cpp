#include "FrameAlignment.h"

#include "AnimationData.h"
#include "EdgeLocks.h"
#include "UndoHistory.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// The frames that alignment considers: every node with a base image.
template <typename F> void forEachImageFrame(F&& visit) {
    for (auto& f : g_pAnimationData->frames)
        if (f.GetImage())
            visit(f);
}

template <typename Move> int alignSelected(Move&& move) {
    int moved = 0;
    forEachImageFrame([&](CObjFrame& f) {
        if (f.selected && !f.current) {
            move(f);
            moved = 1;
        }
    });
    return moved;
}

// One axis of the spacing: position and size of a frame along it.
struct Axis {
    std::int32_t CObjFrame::*position;
    std::int32_t CObjFrame::*size;
};

int space(long low, long high, int n, Axis axis) {
    std::vector<CObjFrame*> selected;
    forEachImageFrame([&](CObjFrame& f) {
        if (f.selected)
            selected.push_back(&f);
    });
    if (selected.empty() || n < 2)
        return 0;
    int leftmost = 0;
    int rightmost = 0;
    long smallest = high;
    long largest = 0;
    for (int i = 0; i < static_cast<int>(selected.size()); ++i) {
        const long p = selected[i]->*axis.position;
        if (p < smallest) {
            smallest = p;
            leftmost = i;
        }
        if (p > largest) {
            largest = p;
            rightmost = i;
        }
    }
    const long lowPos = selected[leftmost]->*axis.position;
    const long lowSize = selected[leftmost]->*axis.size;
    const long highPos = selected[rightmost]->*axis.position;
    const long highSize = selected[rightmost]->*axis.size;
    long total = 0;
    for (const CObjFrame* f : selected)
        total += f->*axis.size;
    const long outer = lowSize + highSize;
    const long inner = total - outer;
    long position = 0;
    if (inner >= (high - low - outer)) {
        const long step = std::labs((highPos - lowPos) / (n - 1));
        position = lowPos;
        for (int i = 0; i < static_cast<int>(selected.size()); ++i) {
            if (i == leftmost || i == rightmost)
                continue;
            selected[i]->*axis.position = static_cast<std::int32_t>(position + step);
            position += step;
        }
    } else {
        const long gap = (high - low - total) / (n - 1);
        position = lowPos + lowSize;
        for (int i = 0; i < static_cast<int>(selected.size()); ++i) {
            if (i == leftmost || i == rightmost)
                continue;
            selected[i]->*axis.position = static_cast<std::int32_t>(position + gap);
            position = selected[i]->*axis.position + selected[i]->*axis.size;
        }
    }
    return position != 0 ? 1 : 0;
}

} // namespace

int AlignLeft(CObjFrame* ref) {
    return alignSelected(
        [ref](CObjFrame& f) { f.left = (f.width + ref->left <= 0) ? 1 - f.width : ref->left; });
}

int AlignTop(CObjFrame* ref) {
    return alignSelected(
        [ref](CObjFrame& f) { f.top = (f.height + ref->top <= 0) ? 1 - f.height : ref->top; });
}

int AlignRight(CObjFrame* ref) {
    const int screen = g_pAnimationData->AnimationWidth;
    return alignSelected([ref, screen](CObjFrame& f) {
        const int x = ref->left + ref->width - f.width;
        f.left = x < screen ? x : screen - 1;
    });
}

int AlignBottom(CObjFrame* ref) {
    const int screen = g_pAnimationData->AnimationHeight;
    return alignSelected([ref, screen](CObjFrame& f) {
        const int y = ref->top + ref->height - f.height;
        f.top = y < screen ? y : screen - 1;
    });
}

int AlignCheckLock(CObjFrame* ref, int side) {
    int ok = 1;
    forEachImageFrame([&](const CObjFrame& f) {
        if (!f.selected || f.current)
            return;
        switch (side) {
        case 1:
            if (f.width + ref->left < 1)
                ok = 0;
            break;
        case 2:
            if (f.height + ref->top < 1)
                ok = 0;
            break;
        case 3:
            if (ref->left + ref->width - f.width >= g_pAnimationData->AnimationWidth)
                ok = 0;
            break;
        case 4:
            if (ref->top + ref->height - f.height >= g_pAnimationData->AnimationHeight)
                ok = 0;
            break;
        default:
            break;
        }
    });
    return ok;
}

int CenterHoriz(RECT sel) {
    const int newLeft = (g_pAnimationData->AnimationWidth - sel.right + sel.left) / 2;
    forEachImageFrame([&](CObjFrame& f) {
        if (f.selected)
            f.left += newLeft - sel.left;
    });
    return newLeft != sel.left ? 1 : 0;
}

int CenterVert(RECT sel) {
    const int newTop = (g_pAnimationData->AnimationHeight - sel.bottom + sel.top) / 2;
    forEachImageFrame([&](CObjFrame& f) {
        if (f.selected)
            f.top += newTop - sel.top;
    });
    return newTop != sel.top ? 1 : 0;
}

int SpaceAcross(RECT bounds, int count) {
    return space(bounds.left, bounds.right, count, Axis{&CObjFrame::left, &CObjFrame::width});
}

int SpaceDown(RECT bounds, int count) {
    return space(bounds.top, bounds.bottom, count, Axis{&CObjFrame::top, &CObjFrame::height});
}

void NormalizeFramesOrigin(FrameList& list) {
    RECT bounds{};
    GetFramesRect(list, static_cast<int>(list.size()), bounds);
    if (bounds.left == 0 && bounds.top == 0)
        return;
    for (CObjFrame& f : list) {
        f.left -= bounds.left;
        f.top -= bounds.top;
    }
}

int AlignFrames(int mode) {
    CObjFrame* reference = GetCurrentFrame();
    RECT bounds{};
    switch (mode) {
    case 1:
        return reference ? AlignLeft(reference) : 0;
    case 2:
        return reference ? AlignTop(reference) : 0;
    case 3:
        return reference ? AlignRight(reference) : 0;
    case 4:
        return reference ? AlignBottom(reference) : 0;
    default:
        break;
    }
    GetSelFramesBounds(bounds);
    // Normalised: left <= right, top <= bottom.
    if (bounds.left > bounds.right)
        std::swap(bounds.left, bounds.right);
    if (bounds.top > bounds.bottom)
        std::swap(bounds.top, bounds.bottom);
    switch (mode) {
    case 5:
        return CenterHoriz(bounds);
    case 6:
        return CenterVert(bounds);
    case 7:
        return SpaceAcross(bounds, GetSelFramesCount());
    case 8:
        return SpaceDown(bounds, GetSelFramesCount());
    default:
        return 0;
    }
}

AlignOutcome AlignFramesStep(int mode) {
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindMove);
    const int moved = AlignFrames(mode);
    if (!undo.EndStep(0) || !moved)
        return AlignOutcome::NothingMoved;
    if (CheckEdgeLocks(nullptr, nullptr))
        return AlignOutcome::Aligned;
    undo.Undo();
    return AlignOutcome::Undone;
}
