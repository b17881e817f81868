#include "FinePaletteImage.h"

#include "DlgPaletteColor.h"

namespace kfm::dialogs {

ScopedImage CreateFinePaletteImage() {
    ScopedImage image(KPXCreateImage(1, 1, 8));
    if (!image.get())
        return image;
    const PALETTEENTRY* fine = KPXGetFinePalette();
    RGBQUAD* table = KPXGetBitmapInfoHeader(image.get())->bmiColors;
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{fine[i].peBlue, fine[i].peGreen, fine[i].peRed, 0};
    KPXFillDIBColorTable(image.get());
    KPXGetBits(image.get())[0] = 0;
    return image;
}

void SetFinePaletteEntry(KpxHandle image, COLORREF colour, int index) {
    if (!image || index < 0 || index > 255)
        return;
    KPXSetColorToPalette(image, index, colour);
    KPXFillDIBColorTable(image);
    KPXGetBits(image)[0] = static_cast<std::uint8_t>(index);
}

int ChooseWithPaletteDialog(QWidget* parent, KpxHandle image, int start) {
    CDlgPaletteColor dialog(parent, image, start);
    return dialog.exec() == QDialog::Accepted ? dialog.GetIndex() : -1;
}

} // namespace kfm::dialogs
