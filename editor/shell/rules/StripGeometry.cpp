#include "StripGeometry.h"

#include "Bitra5.h"
#include "Geometry.h"

#include <algorithm>

namespace kfm::shell {

namespace {

RECT deflated(const RECT& r, int dx, int dy) {
    return RECT{r.left + dx, r.top + dy, r.right - dx, r.bottom - dy};
}

RECT centredIn(const RECT& box, int width, int height) {
    const int left = static_cast<int>(box.left + (box.right - box.left - width) / 2);
    const int top = static_cast<int>(box.top + (box.bottom - box.top - height) / 2);
    return RECT{left, top, left + width, top + height};
}

} // namespace

SIZE StripRowSize(int thumbnailWidth, int thumbnailHeight, int textHeight) {
    return SIZE{thumbnailWidth + 14, thumbnailHeight + textHeight + 9};
}

StripItemLayout LayoutStripItem(const RECT& item, int textHeight) {
    RECT inner = deflated(item, 4, 3);
    inner.right -= 1;
    StripItemLayout layout;
    layout.area = inner;
    layout.area.bottom = inner.bottom - (textHeight + 2);
    layout.label = RECT{inner.left, layout.area.bottom + 1, inner.right, inner.bottom};
    layout.thumbnail = deflated(layout.area, 2, 2);
    return layout;
}

RECT LabelEditorRect(const StripItemLayout& layout, int prefixWidth) {
    return RECT{layout.label.left + prefixWidth + 5, layout.label.top, layout.area.right + 1,
                layout.label.bottom};
}

RECT FitScreenInThumbnail(const RECT& thumbnail, int screenWidth, int screenHeight) {
    int width = static_cast<int>(thumbnail.right - thumbnail.left);
    int height = static_cast<int>(thumbnail.bottom - thumbnail.top);
    if (screenWidth <= 0 || screenHeight <= 0 || width <= 0 || height <= 0 ||
        !KPXNewSizeCalculateProp(screenWidth, screenHeight, &width, &height))
        return RECT{thumbnail.left, thumbnail.top, thumbnail.left, thumbnail.top};
    return centredIn(thumbnail, width, height);
}

RECT FitPictureInThumbnail(const RECT& thumbnail, int width, int height) {
    const int boxWidth = static_cast<int>(thumbnail.right - thumbnail.left);
    const int boxHeight = static_cast<int>(thumbnail.bottom - thumbnail.top);
    if (width <= boxWidth && height <= boxHeight)
        return centredIn(thumbnail, std::max(width, 0), std::max(height, 0));
    return FitScreenInThumbnail(thumbnail, width, height);
}

RECT ScaleFrameIntoScreen(const RECT& screen, int screenWidth, int screenHeight, int left, int top,
                          int width, int height) {
    if (screenWidth <= 0 || screenHeight <= 0)
        return RECT{screen.left, screen.top, screen.left, screen.top};
    const double fx = static_cast<double>(screen.right - screen.left) / screenWidth;
    const double fy = static_cast<double>(screen.bottom - screen.top) / screenHeight;
    return RECT{screen.left + RoundToInt(left * fx), screen.top + RoundToInt(top * fy),
                screen.left + RoundToInt((static_cast<double>(left) + width) * fx),
                screen.top + RoundToInt((static_cast<double>(top) + height) * fy)};
}

int DropModeFor(int item, int count, int yInItem, int itemHeight) {
    if (item == 0 && count > 1)
        return yInItem >= itemHeight / 2 ? kDropAfter : kDropBefore;
    if (item >= count - 1)
        return kDropBefore;
    return kDropAfter;
}

int DropInsertIndex(int item, int mode, int count) {
    if (item >= count - 1)
        return std::max(count - 1, 0);
    if (item <= 0 && mode == kDropBefore)
        return 0;
    return item + 1;
}

DropEffect ProposedDropEffect(bool fromThisView, bool shift, bool control) {
    DropEffect effect = fromThisView ? DropEffect::Move : DropEffect::Copy;
    if (shift)
        effect = DropEffect::Move;
    if (control)
        effect = DropEffect::Copy;
    return effect;
}

int DragScrollDirection(int y, int clientHeight) {
    if (y >= clientHeight - kDragScrollMargin)
        return 1;
    if (y < kDragScrollMargin)
        return -1;
    return 0;
}

} // namespace kfm::shell
