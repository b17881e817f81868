#pragma once
// The frame strip's geometry, free of widgets: the row size for a thumbnail size, the parts of
// one item (thumbnail area, label line, the label editor's place), where a frame's picture goes
// inside its thumbnail, and the drop rules (target mode, insertion place, move or copy, scrolling
// near the edges). Rectangles are (left, top, right, bottom) with right and bottom exclusive.

#include "types/Win32Types.h"

namespace kfm::shell {

// One row of the strip: the thumbnail plus room for its frame lines and the label line.
SIZE StripRowSize(int thumbnailWidth, int thumbnailHeight, int textHeight);

// The parts of one item rectangle.
struct StripItemLayout {
    RECT area;      // the thumbnail area with its frame lines
    RECT thumbnail; // inside the frame lines: where the picture goes
    RECT label;     // the label line under the thumbnail area
};
StripItemLayout LayoutStripItem(const RECT& item, int textHeight);

// Where the label editor goes: right of the number prefix (prefixWidth) on the label line, to
// one pixel beyond the thumbnail area.
RECT LabelEditorRect(const StripItemLayout& layout, int prefixWidth);

// The animation's screen fitted proportionally into the thumbnail (enlarged or shrunk to touch
// it), centred. Empty when either size is not positive.
RECT FitScreenInThumbnail(const RECT& thumbnail, int screenWidth, int screenHeight);
// A picture of its own size fitted into the thumbnail without ever being enlarged, centred.
RECT FitPictureInThumbnail(const RECT& thumbnail, int width, int height);
// A frame's rectangle on the screen scaled into the fitted screen rectangle, each coordinate
// rounded to the nearest whole number (halves away from zero).
RECT ScaleFrameIntoScreen(const RECT& screen, int screenWidth, int screenHeight, int left, int top,
                          int width, int height);

// Drop position modes.
constexpr int kDropBefore = 1;
constexpr int kDropAfter = 2;

// The mode over item (0-based) of count items with the mouse yInItem pixels below the item's
// top: on the first item (when more follow) before in its upper half and after in its lower
// half; on the last item (the placeholder) before; on any other item after.
int DropModeFor(int item, int count, int yInItem, int itemHeight);
// The list position at which dropped frames go in: before the first item in mode 1, before the
// placeholder on the last item, after any other item.
int DropInsertIndex(int item, int mode, int count);

enum class DropEffect { Copy, Move };
// Move for frames dragged from this strip, copy from elsewhere; Shift forces move, Ctrl copy.
DropEffect ProposedDropEffect(bool fromThisView, bool shift, bool control);

// The distance from the top or the bottom within which a drag scrolls the strip.
constexpr int kDragScrollMargin = 30;
// -1 scroll up, 1 scroll down, 0 stay.
int DragScrollDirection(int y, int clientHeight);

} // namespace kfm::shell
