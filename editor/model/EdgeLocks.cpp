#include "EdgeLocks.h"

#include "ProgramState.h"
#include "ShellServices.h"

#include <algorithm>

namespace {

constexpr UINT kQuestionEdgeLocks = 10688;

constexpr COLORREF kGridColours[8][2] = {
    {0xFFFFFF, 0xCECFCE}, {0x636563, 0x9C9A9C}, {0x313031, 0x636563}, {0xFFFFFF, 0xCECFFF},
    {0xFFFFFF, 0xBDDBFF}, {0xFFFFFF, 0xCEE7CE}, {0xFFFFFF, 0xFFE3CE}, {0xFFFFFF, 0xFFCFDE},
};

} // namespace

void GetFramesBounds(RECT& out, const FrameList* list) {
    const FrameList& frames = list ? *list : g_pAnimationData->frames;
    out = RECT{0, 0, 0, 0};
    bool first = true;
    for (const CObjFrame& f : frames) {
        const RECT r{f.left, f.top, f.left + f.width, f.top + f.height};
        if (first) {
            out = r;
            first = false;
            continue;
        }
        out.left = std::min(out.left, r.left);
        out.top = std::min(out.top, r.top);
        out.right = std::max(out.right, r.right);
        out.bottom = std::max(out.bottom, r.bottom);
    }
}

int CheckEdgeLocks(const FrameList* list, const RECT* rect) {
    CAnimationData& a = *g_pAnimationData;
    if (a.AnimationStateElasticSize)
        return 1;
    RECT bounds{};
    if (rect)
        bounds = *rect;
    else
        GetFramesBounds(bounds, list);
    const bool left = a.AnimationStateLockLeft && bounds.left < 0;
    const bool top = a.AnimationStateLockTop && bounds.top < 0;
    const bool right = a.AnimationStateLockRight && bounds.right > a.AnimationWidth;
    const bool bottom = a.AnimationStateLockBottom && bounds.bottom > a.AnimationHeight;
    if (!left && !top && !right && !bottom)
        return 1;
    if (ShellMessageBox(kQuestionEdgeLocks, MB_OKCANCEL_ | MB_ICONEXCLAMATION_) != IDOK)
        return 0;
    if (left)
        a.AnimationStateLockLeft = 0;
    if (top)
        a.AnimationStateLockTop = 0;
    if (right)
        a.AnimationStateLockRight = 0;
    if (bottom)
        a.AnimationStateLockBottom = 0;
    return 1;
}

void GetTransparencyGrid(int& cell, COLORREF& colour1, COLORREF& colour2) {
    if (g_Settings.transparentGridSize < 1) {
        cell = 0;
        colour1 = colour2 = g_Settings.animBkColor;
        return;
    }
    cell = 1 << (g_Settings.transparentGridSize + 2);
    // A colour index outside the table takes the first row.
    const int row = (g_Settings.transparentGridColor >= 0 && g_Settings.transparentGridColor < 8)
                        ? g_Settings.transparentGridColor
                        : 0;
    colour1 = kGridColours[row][0];
    colour2 = kGridColours[row][1];
}
