#include "WindowPlacement.h"

#include "registry/RegistryHelpers.h"

#include <algorithm>
#include <climits>

namespace kfm::shell {

namespace {

constexpr int kLargestShowCommand = 32765;
constexpr int kLargestEdge = 10000;

std::string placementKey(const std::string& section, const std::string& name) {
    return section + "\\" + name;
}

LONG width(const RECT& r) {
    return r.right - r.left;
}
LONG height(const RECT& r) {
    return r.bottom - r.top;
}

LONG overlap(LONG a0, LONG a1, LONG b0, LONG b1) {
    return std::max<LONG>(0, std::min(a1, b1) - std::max(a0, b0));
}

// Distance between two rectangles (0 when they overlap), for picking the nearest screen.
long long distance(const RECT& a, const RECT& b) {
    const long long dx = std::max<long long>({0, b.left - a.right, a.left - b.right});
    const long long dy = std::max<long long>({0, b.top - a.bottom, a.top - b.bottom});
    return dx * dx + dy * dy;
}

bool showsEnough(const RECT& r, const RECT& screen) {
    const LONG needX = std::min<LONG>(kLeastVisiblePart, width(r));
    const LONG needY = std::min<LONG>(kLeastVisiblePart, height(r));
    return overlap(r.left, r.right, screen.left, screen.right) >= needX &&
           overlap(r.top, r.bottom, screen.top, screen.bottom) >= needY;
}

} // namespace

WindowPlacementValues ReadWindowPlacement(const std::string& section, const std::string& name,
                                          int screenWidth, int screenHeight,
                                          const WindowPlacementValues& current) {
    const std::string key = placementKey(section, name);
    const char* k = key.c_str();
    WindowPlacementValues p = current;
    p.showCommand = ReadRegInt(k, "Show state", SW_SHOWMAXIMIZED, 0, kLargestShowCommand);
    p.minPosition.x = ReadRegInt(k, "Min Position X", current.minPosition.x, 0, 0);
    p.minPosition.y = ReadRegInt(k, "Min Position Y", current.minPosition.y, 0, 0);
    p.maxPosition.x = ReadRegInt(k, "Max Position X", current.maxPosition.x, 0, 0);
    p.maxPosition.y = ReadRegInt(k, "Max Position Y", current.maxPosition.y, 0, 0);
    p.normal.left = ReadRegInt(k, "Normal Position Left", screenWidth / 10, 0, kLargestEdge);
    p.normal.right =
        ReadRegInt(k, "Normal Position Right", screenWidth - screenWidth / 10, 0, kLargestEdge);
    p.normal.top = ReadRegInt(k, "Normal Position Top", screenHeight / 10, 0, kLargestEdge);
    p.normal.bottom =
        ReadRegInt(k, "Normal Position Bottom", screenHeight - screenHeight / 10, 0, kLargestEdge);
    if (p.showCommand == SW_SHOWMINIMIZED)
        p.showCommand = SW_SHOWMAXIMIZED;
    return p;
}

void WriteWindowPlacement(const std::string& section, const std::string& name,
                          const WindowPlacementValues& p) {
    const std::string key = placementKey(section, name);
    const char* k = key.c_str();
    WriteRegInt(k, "Show state", p.showCommand);
    WriteRegInt(k, "Min Position X", p.minPosition.x);
    WriteRegInt(k, "Min Position Y", p.minPosition.y);
    WriteRegInt(k, "Max Position X", p.maxPosition.x);
    WriteRegInt(k, "Max Position Y", p.maxPosition.y);
    WriteRegInt(k, "Normal Position Left", p.normal.left);
    WriteRegInt(k, "Normal Position Right", p.normal.right);
    WriteRegInt(k, "Normal Position Top", p.normal.top);
    WriteRegInt(k, "Normal Position Bottom", p.normal.bottom);
}

ShowAs ShowAsFor(int showCommand) {
    switch (showCommand) {
    case 1:
    case 4:
    case 5:
    case 8:
    case 9:
    case 10:
        return ShowAs::Normal;
    default:
        return ShowAs::Maximized;
    }
}

RECT DefaultNormalRect(const RECT& screen) {
    const LONG w = width(screen);
    const LONG h = height(screen);
    return RECT{screen.left + w / 10, screen.top + h / 10, screen.right - w / 10,
                screen.bottom - h / 10};
}

RECT FitRectToScreens(const RECT& rect, const std::vector<RECT>& screens) {
    if (screens.empty())
        return rect;
    if (width(rect) <= 0 || height(rect) <= 0)
        return DefaultNormalRect(screens.front());
    for (const RECT& screen : screens)
        if (showsEnough(rect, screen) && width(rect) <= width(screen) &&
            height(rect) <= height(screen))
            return rect;
    // The screen that shows most of the rectangle, or the nearest one when none shows any.
    const RECT* target = &screens.front();
    long long bestArea = -1;
    long long bestDistance = LLONG_MAX;
    for (const RECT& screen : screens) {
        const long long area =
            static_cast<long long>(overlap(rect.left, rect.right, screen.left, screen.right)) *
            overlap(rect.top, rect.bottom, screen.top, screen.bottom);
        const long long d = distance(rect, screen);
        if (area > bestArea || (area == bestArea && d < bestDistance)) {
            target = &screen;
            bestArea = area;
            bestDistance = d;
        }
    }
    const RECT& s = *target;
    const LONG w = std::min(width(rect), width(s));
    const LONG h = std::min(height(rect), height(s));
    const LONG left = std::clamp(rect.left, s.left, s.right - w);
    const LONG top = std::clamp(rect.top, s.top, s.bottom - h);
    return RECT{left, top, left + w, top + h};
}

} // namespace kfm::shell
