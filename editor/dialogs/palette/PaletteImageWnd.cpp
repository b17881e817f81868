#include "PaletteImageWnd.h"

#include "PaletteDialogParts.h"

#include <QMouseEvent>

namespace kfm::dialogs {

namespace {

bool isEyedropper(int tool) {
    return (tool & CPaletteImageWnd::kToolPick) != 0 ||
           tool == CPaletteImageWnd::kToolMakeTransparent || tool == CPaletteImageWnd::kToolRestore;
}

} // namespace

CPaletteImageWnd::CPaletteImageWnd(QWidget* parent) : CImageEditWnd(parent) {}

void CPaletteImageWnd::SetShowTransparency(bool on) {
    showTransparency_ = on;
    CImageEditWnd::SetShowTransparency(on);
}

void CPaletteImageWnd::SetEntryColor(int index, COLORREF colour) {
    if (index < 0 || index > 255)
        return;
    KPXSetColorToPalette(GetImage(), index, colour);
    KPXFillDIBColorTable(GetImage());
    ImageChanged();
}

void CPaletteImageWnd::mouseMoveEvent(QMouseEvent* event) {
    CImageEditWnd::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    const int index = isEyedropper(GetTool()) && viewport()->rect().contains(at)
                          ? GetColorIndexAt(GetImage(), at.x(), at.y())
                          : -1;
    if (index >= 0)
        emit hovered(index, true, KPXGetColorFromPalette(GetImage(), index));
    else
        emit hovered(-1, false, 0);
}

void CPaletteImageWnd::mouseReleaseEvent(QMouseEvent* event) {
    const bool tracked = Selecting();
    CImageEditWnd::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && tracked && !Selecting()) {
        const QPoint at = event->position().toPoint();
        clickAt(at.x(), at.y());
    }
}

void CPaletteImageWnd::clickAt(int x, int y) {
    const int tool = GetTool();
    if (tool == kToolPick) {
        const int index = GetColorIndexAt(GetImage(), x, y);
        if (index < 0 || index > 255)
            return;
        emit picked(index);
        if (showTransparency_)
            SetTransparentIndex(index, true);
    } else if ((tool & kToolMakeTransparent) != 0) {
        makeTransparent(x, y);
    } else if ((tool & kToolRestore) != 0) {
        restore(x, y);
    }
}

// Only a pixel of the image names an entry, and only a transparent entry can take its pixels.
void CPaletteImageWnd::makeTransparent(int x, int y) {
    const int index = GetColorIndexAt(GetImage(), x, y);
    const int transparent = TransparentIndex();
    if (index < 0 || transparent < 0)
        return;
    // An entry that is the transparent one already keeps its pixels and stays in use.
    if (KPXChangeIndexToIndex(GetImage(), index, transparent, 0) == 0)
        return;
    SetTransparentIndex(transparent, true);
    emit usageChanged(index, false);
}

void CPaletteImageWnd::restore(int x, int y) {
    const int index = GetColorIndexAt(reference_, x, y);
    if (index < 0 || reference_ == 0)
        return;
    const KpxHandle shown = GetImage();
    KPXChangeIndexToIndexRef(shown, reference_, index, index);
    const int entries = std::min(ColourTableSize(reference_), ColourTableSize(shown));
    for (int entry = 0; entry < entries; ++entry)
        KPXSetColorToPalette(shown, entry, KPXGetColorFromPalette(reference_, entry));
    KPXFillDIBColorTable(shown);
    if (TransparentIndex() >= 0)
        SetTransparentIndex(TransparentIndex(), true);
    else
        ImageChanged();
    emit usageChanged(index, true);
}

} // namespace kfm::dialogs
