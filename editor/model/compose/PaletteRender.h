#pragma once
// Palettes, transparency and the rendering of object frames into GIF-ready 8-bit images
// composed over what the animation shows beneath them.

#include "AnimationData.h"
#include "Bitra5.h"
#include "FrameTransparency.h"

using RenderProgress = int (*)(int, int, HWND);

// Sort comparator over 8-byte histogram entries, descending by count.
int compareHistTable(const void* a, const void* b);

// The optimiser's settings, eight 32-bit words passed by value in the order below.
struct OptimizeOptions {
    std::int32_t word[8];
};
static_assert(sizeof(OptimizeOptions) == 32);
// The words of OptimizeOptions, in their order.
constexpr int kOptionPaletteMode = 0; // only the low byte counts
constexpr int kOptionDither = 1;
constexpr int kOptionRedundantPixels = 2;
constexpr int kOptionRemoveComments = 3;
constexpr int kOptionRemoveTitles = 4;
constexpr int kOptionRemoveSpecialInfo = 5;
constexpr int kOptionDifferenceMethod = 6;
constexpr int kOptionNumColors = 7;

// Mode 1: the library's fine palette, 255; mode 2: the fixed 216-colour cube, 255; mode 0: an
// adaptive palette over all frames' display images (options.word[7] colours), 0 (-1 when none
// could be made). Any other mode leaves out alone, -1. The result is the index that the caller
// makes transparent.
int CalculateGlobalPalette(PALETTEENTRY* out, int mode, OptimizeOptions options);
// The adaptive palette of `colours` entries over the opaque pixels of every frame's display
// image. When a frame shows a transparent pixel, entry 0 is white and kept for them. When the
// frames hold no more colours than the other entries, the palette is exactly those colours (the
// most frequent first; unused entries repeat entry 0); otherwise the quantiser chooses them from
// the colours weighted by their pixel counts. 0, or -1 when the quantiser's work images could
// not be made (out unchanged).
int CalculateOptimAdaptivePalette256(PALETTEENTRY* out, int colours, RenderProgress callback,
                                     HWND window);
// Converts the base image of every frame (the placeholder left out) whose optimised flag is 0
// to the 256-entry palette. A frame that shows transparent pixels gets transparentIndex as its
// transparent index: its masked pixels take that index and its opaque ones keep away from it; a
// frame without uses every entry and has no transparency. Every optimised flag ends 0. The
// progress (caption: converting to the global palette, `total` steps) can be cancelled: 2, with
// the frames converted so far kept. 0 otherwise; a null palette or an index outside 0..255
// changes nothing.
int OptimizeToGlobalPalette256Ex(PALETTEENTRY* palette, OptimizeOptions options,
                                 int transparentIndex, int total);

// Palette 0: exact when the image holds at most 253 colours, else dithered to the fine
// palette; otherwise dithered onto the library palette `palette`.
short ImageColorConvert24to8(short image, int palette);
// An 8-bit copy of a shallower image with its own colour table.
short KFMColorConvert8(short image);

// A colour that none of the given holds, found by the walk from white down: red, green, blue
// lowered by one in turn.
COLORREF GetUniqueColor(short image);
COLORREF GetUniqueColor(unsigned long a, unsigned long b);
// From 0xFFFFFF down as a number while the value is one of the four.
COLORREF GetUniqueColor(unsigned long a, unsigned long b, unsigned long c, unsigned long d);
// A colour used by none of the first frameCount frames' base images; 0xFFFFFFFF below 1.
COLORREF GetUniqueColor(int frameCount);

// The frame composed over the animation state after frame prevIndex (none when negative) and
// quantised to the fine palette with index 0 transparent; *out = 0. 0 on failure.
short CreateRenderedImage(short head, CObjFrame* frame, int prevIndex, int* out);
// The same composition quantised to a given palette of count (2..256) entries, index 0
// transparent, Floyd-Steinberg dithered when dither is non-zero: with mode kRenderOwnPalette the
// colours after entry 0 are chosen for the picture, with any other mode the count entries are
// kept as they are. 0 for a null palette or a count outside 2..256.
constexpr int kRenderOwnPalette = 11;
short CreateRenderedImage(short head, CObjFrame* frame, int prevIndex, PALETTEENTRY* palette,
                          int mode, int count, int dither, int* out);

// Renders every object frame (text, vector, soft alpha or a transparency level; up to lastIndex,
// -1 all) over the frames before it. 1 when it
// stopped at lastIndex or rendered a frame, 0 when none, 2 when the callback cancelled.
int RenderImagesFromFrames(FrameList* frames, int lastIndex, RenderProgress callback, HWND window);
int RenderImagesFromFrames(FrameList* frames, RenderProgress callback, HWND window);
// The same over all frames, each picture quantised to 256 colours chosen for it rather than to
// the fine palette: what an adaptive palette over all frames should see.
int RenderImagesInOwnPalettes(FrameList* frames, RenderProgress callback, HWND window);

// After a load: every text and vector frame is drawn again from its record (standing where the
// record says); one whose object cannot be drawn keeps the picture it was read with and is
// marked as showing its objects as read. A frame with an np-image record gets its source
// pictures back from the record (24-bit with graded alpha, mask image, 8-bit with palette and
// its transparency level applied again) and the record is dropped; a record whose buffers do not
// fit the frame stays. 1, 2 when the callback cancelled, 0 when a new image has no pixels.
int RenderImagesFromInfo(FrameList* frames, RenderProgress callback, HWND window);

// A new 24-bit image of everything the animation shows at frame index, the size of the frames'
// bounding rectangle up to index, with that rectangle's position in its frame information. The
// frames' positions and images are as before afterwards. 0 when cancelled (progress: rendering
// object frames) or when there is nothing to show.
short CreateRenderedPreviewImage(FrameList* frames, int index);

// Replaces every selected frame up to lastIndex (-1 all) by the full animation picture shown at
// it: an 8-bit image of the animation's size at 0,0, disposal 1, no transparency and no object
// sources. 1 done, 0 for bad arguments (nothing changed), 2 when cancelled (nothing replaced).
int RenderAnimationStates(FrameList* frames, int lastIndex);
