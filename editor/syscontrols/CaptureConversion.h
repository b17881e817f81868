#pragma once
// The 8-bit picture of a captured control, made from its render over red (and, for the controls
// that draw only part of their rectangle, its render over blue too).
//
// A classic control has few colours and no smoothing, so the picture keeps the render's own
// colours exactly: they take the first palette entries in the order they appear, the rest of the
// palette is the library's fine palette, and every capture of the same control is the same
// picture. A render of more than 256 colours is left to the library's quantiser.
//
// With the render over blue, the pixels that are red over red and blue over blue are background:
// they take index 0, which holds the face colour and is the picture's transparent index; no
// pixel of the control takes index 0.

#include <QImage>
#include <QRegion>

#include "Bitra5.h"

namespace kfm::syscontrols {

// shape, when not empty, is the window's outline: the quantiser leaves out what lies outside.
// 0 when the picture cannot be made.
KpxHandle ConvertCapture(const QImage& overRed, const QImage* overBlue, const QRegion& shape);

} // namespace kfm::syscontrols
