#pragma once
// The sizes of the main window's panes and of the strip's thumbnails, free of widgets: the
// split of the strip and canvas panes in each layout, the thumbnail size ids of the size
// commands and the size each stands for, and the strip column that fits its thumbnails.

#include "types/Win32Types.h"

namespace kfm::shell {

// Thumbnail size ids (the value stored as "ThumbnailID").
constexpr int kThumbnailCustom = 170;
constexpr int kThumbnailAnimationSize = 180;
constexpr int kThumbnailQuarter = 183;
constexpr int kThumbnailFitStrip = 184;

// The size id of a thumbnail size command; 0 for the custom size dialog's command and for
// other ids.
int ThumbnailIdForCommand(UINT command);
// The command that chooses a size id; 0 when none does.
UINT CommandForThumbnailId(int id);
// Ids 180 to 183: the thumbnails follow the animation's size.
bool IsScaledThumbnailId(int id);

// The two pane sizes of a layout for the total size the panes share and the split saved for
// that layout: one third across and half down when nothing is saved ((0, 0)), else the saved
// split and the rest.
struct PaneSizes {
    SIZE first;
    SIZE second;
};
PaneSizes CalcPaneSizes(SIZE total, SIZE saved);

// What the thumbnail size of an id depends on.
struct ThumbnailInputs {
    int animationWidth = 0;
    int animationHeight = 0;
    int customWidth = 80;
    int customHeight = 80;
    int stripColumnWidth = 0;         // the strip's column now; 0 before it is laid out
    int toggleBarHorizontalSize = -1; // the stored strip height; -1 when none is stored
    int arrowWidth = 21;              // the width of a scroll-bar arrow
};
SIZE CalcThumbnailSize(int id, const ThumbnailInputs& in);

// Dragging the strip's bar side by side: a release x below the arrow width + gap + 14 snaps to
// the left edge (0).
int SnapStripBarX(int x, int arrowWidth, int gap);
// The thumbnail size for id 184 after the bar was released at x.
SIZE ThumbnailForStripBar(int x, int arrowWidth, int gap, int animationWidth, int animationHeight);

// The strip column that shows whole thumbnails, limited to what the main window leaves after
// the sheet pane, the outer splitter's gap and the window's frame.
int FitStripColumnWidth(int thumbnailWidth, int arrowWidth, int clientWidth, int sheetWidth,
                        int outerGap, int frameWidth, int borderWidth);

} // namespace kfm::shell
