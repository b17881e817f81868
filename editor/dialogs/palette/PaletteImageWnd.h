#pragma once
// The image window of the palette image dialog: the frame's image shown zoomed, where the
// eyedropper picks a palette entry, the make-transparent tool turns all pixels of an entry into
// the transparent entry, and the restore tool brings an entry's pixels (and the whole colour
// table) back from the frame's unchanged image.

#include "ImageEditWnd.h"

namespace kfm::dialogs {

class CPaletteImageWnd : public kfm::ui::CImageEditWnd {
    Q_OBJECT
public:
    // The eyedropper that makes an entry transparent, and the one that restores it.
    static constexpr int kToolMakeTransparent = kCursorVariantA;
    static constexpr int kToolRestore = kCursorVariantB;

    explicit CPaletteImageWnd(QWidget* parent = nullptr);

    // Shows a copy of the image.
    void SetImage(KpxHandle image, bool redraw) { CImageEditWnd::SetImage(image, redraw); }
    // The frame's own image (not owned, never changed): where the restore tool reads.
    void SetReferenceImage(KpxHandle image) { reference_ = image; }
    void SetShowTransparency(bool on);
    bool ShowsTransparency() const { return showTransparency_; }
    // Changes an entry of the shown image's colour table and shows it.
    void SetEntryColor(int index, COLORREF colour);

signals:
    // The mouse moved: over a pixel while an eyedropper is the tool (its index and colour), or
    // not (-1, 0).
    void hovered(int index, bool overPixel, unsigned colour);
    // The eyedropper picked an entry.
    void picked(int index);
    // An entry's pixels all went to the transparent entry (used false) or came back (true).
    void usageChanged(int index, bool used);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void clickAt(int x, int y);
    void makeTransparent(int x, int y);
    void restore(int x, int y);

    KpxHandle reference_ = 0;
    bool showTransparency_ = true;
};

} // namespace kfm::dialogs
