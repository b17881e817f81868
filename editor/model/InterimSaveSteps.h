#pragma once
// The least that the document's save, preview and import roads need of units that are not
// written yet: the reduction to 8 bits, the object renderers, the image crop with transparency
// and the resize of a picture. Each one does only what the roads rely on today and is
// replaced by the real unit when it arrives:
// - frames pass through the reduction untouched (the GIF writer itself writes an 8-bit copy of a
//   deeper frame);
// - vector, control and np-image objects travel through open and save untouched (text objects
//   are rendered by PaletteRender);
// - a picture is resized only to its own size (a copy).

#include "AnimationData.h"
#include "Bitra5.h"

namespace interim {

using StepProgress = int (*)(int unused, int position, HWND window);

// 1, or 2 when the callback stopped it (asked once per frame deeper than 8 bits).
int ReduceFramesTo8Bit(FrameList& list, StepProgress callback, HWND window);
// Drops the np-image records that a renderer has turned into pictures, after a load and after
// a save. No renderer reads them yet, so every record stays with its frame and is written back
// as it was read.
void ClearRenderedNPImageObjects(FrameList& list);
// A new image of the inclusive rectangle of image (clamped to the image), with the colour
// table, and with the transparent-colour list when withTransparency; 0 when the rectangle
// holds no pixel of the image or the image cannot be read.
KpxHandle CropImageEx(KpxHandle image, int left, int top, int right, int bottom,
                      int withTransparency);
// A new copy of image at width x height: only the image's own size (0 for any other size, as
// for a missing image). The progress function is called once per row.
KpxHandle NewSizeImage(KpxHandle image, int width, int height, KpxProgressProc progress);

} // namespace interim
