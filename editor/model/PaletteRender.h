#pragma once
// Palettes, transparency and the rendering of object frames into GIF-ready 8-bit images
// composed over what the animation shows beneath them.

#include "AnimationData.h"
#include "Bitra5.h"

using RenderProgress = int (*)(int, int, HWND);

// Sort comparator over 8-byte histogram entries, descending by count.
int compareHistTable(const void* a, const void* b);

// The optimiser's settings, eight 32-bit words passed by value: word 3 non-zero dithers, word 7
// is the number of colours.
struct OptimizeOptions {
    std::int32_t word[8];
};
static_assert(sizeof(OptimizeOptions) == 32);

// Mode 1: the library's fine palette, 255; mode 2: the fixed 216-colour cube, 255; mode 0: an
// adaptive palette over all frames' display images (options.word[7] colours, entry 0 white), 0.
// Any other mode leaves out alone, -1. The result is the index that the caller makes
// transparent.
int CalculateGlobalPalette(PALETTEENTRY* out, int mode, OptimizeOptions options);
// The adaptive palette over the opaque pixels of every frame's display image; 0.
int CalculateOptimAdaptivePalette256(PALETTEENTRY* out, int colours, RenderProgress callback,
                                     HWND window);

// One transparency entry: by palette index (mode 1) or by exact colour (mode 0).
void SetImageTransparent(short image, int index);
void SetImageTransparent(short image, unsigned long colour);
// The index of the first transparency entry when it is an index entry, else -1.
int GetImageTransparentIndex(short image);
// Copies the colour table (biClrUsed entries) as red, green, blue, 0. 0 without a header.
int GetImagePalette(short image, PALETTEENTRY* out);
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

// Renders every object frame (up to lastIndex, -1 all) over the frames before it. 1 when it
// stopped at lastIndex or rendered a frame, 0 when none, 2 when the callback cancelled.
int RenderImagesFromFrames(FrameList* frames, int lastIndex, RenderProgress callback, HWND window);
int RenderImagesFromFrames(FrameList* frames, RenderProgress callback, HWND window);

// After a load: every text frame is rendered again from its record (standing where the record
// says); a text frame whose font cannot be made, and every vector frame, keeps the picture it
// was read with and is marked as showing its objects as read. 1, or 2 when the callback
// cancelled.
int RenderImagesFromInfo(FrameList* frames, RenderProgress callback, HWND window);

// One 24-bit picture of everything the frames show up to index (the object frames rendered
// first), over the background colour, of the size of their bounding rectangle; its frame
// information carries the rectangle's left and top. 0 when nothing shows or Esc was pressed.
short CreateRenderedPreviewImage(FrameList* frames, int index);
