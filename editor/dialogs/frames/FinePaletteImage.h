#pragma once
// The 1 x 1 8-bit image whose colour table is the image library's fine palette: the dialogs
// that pick a fill or text colour keep the chosen entry in it and open the palette colour
// dialog on it.

#include "ImageUtilities.h"

#include <functional>

class QWidget;

namespace kfm::dialogs {

// A new image (owned by the result), its single pixel index 0.
ScopedImage CreateFinePaletteImage();
// Entry index takes the colour and the pixel the index.
void SetFinePaletteEntry(KpxHandle image, COLORREF colour, int index);

// Runs the palette colour dialog on the image from start; the chosen index, or -1 on Cancel.
using PaletteChooser = std::function<int(QWidget* parent, KpxHandle image, int start)>;
int ChooseWithPaletteDialog(QWidget* parent, KpxHandle image, int start);

} // namespace kfm::dialogs
