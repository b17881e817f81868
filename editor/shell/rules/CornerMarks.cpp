#include "CornerMarks.h"

namespace kfm::shell {

namespace {

constexpr int kMarkInset = 6;
constexpr int kMarkHalf = 7; // the mark is 15 pixels square
constexpr int kHitDepth = 13;

bool between(int value, int lowExclusive, int highExclusive) {
    return lowExclusive < value && value < highExclusive;
}

} // namespace

CornerGeometry CornerGeometryFor(int width, int height) {
    CornerGeometry g;
    g.innerLeft = 1;
    g.innerTop = 1;
    g.innerRight = width - 2;
    g.innerBottom = height - 2;
    g.centreX = (g.innerLeft + g.innerRight) / 2;
    g.centreY = (g.innerTop + g.innerBottom) / 2;
    return g;
}

POINT CornerMarkCentre(const CornerGeometry& g, int side) {
    switch (side) {
    case kSideLeft:
        return POINT{g.innerLeft + kMarkInset, g.centreY};
    case kSideTop:
        return POINT{g.centreX, g.innerTop + kMarkInset};
    case kSideRight:
        return POINT{g.innerRight - kMarkInset, g.centreY};
    default:
        return POINT{g.centreX, g.innerBottom - kMarkInset};
    }
}

RECT CornerMarkRect(const CornerGeometry& g, int side) {
    const POINT c = CornerMarkCentre(g, side);
    return RECT{c.x - kMarkHalf, c.y - kMarkHalf, c.x + kMarkHalf + 1, c.y + kMarkHalf + 1};
}

int CornerMarkAt(const CornerGeometry& g, int enabledMarks, int x, int y) {
    const bool onRow = between(y, g.centreY - kMarkHalf, g.centreY + kMarkHalf);
    const bool onColumn = between(x, g.centreX - kMarkHalf, g.centreX + kMarkHalf);
    const struct {
        int side;
        bool hit;
    } tests[] = {
        {kSideLeft, onRow && between(x, g.innerLeft - 1, g.innerLeft + kHitDepth)},
        {kSideTop, onColumn && between(y, g.innerTop - 1, g.innerTop + kHitDepth)},
        {kSideBottom, onColumn && between(y, g.innerBottom - kHitDepth, g.innerBottom + 1)},
        {kSideRight, onRow && between(x, g.innerRight - kHitDepth, g.innerRight + 1)},
    };
    int found = 0;
    for (const auto& test : tests)
        if (test.hit && (enabledMarks & test.side) != 0)
            found = test.side;
    return found;
}

} // namespace kfm::shell
