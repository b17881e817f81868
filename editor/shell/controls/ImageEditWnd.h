#pragma once
// The image edit window: one image shown zoomed and scrolled over a transparency chessboard,
// with the mouse tools of the dialogs that build on it: rubber-band selections (rectangle,
// ellipse, freehand), a zoom tool with its context menu, two eyedroppers (a pixel, an averaged
// area) and a move tool that drags and resizes an object rectangle holding an overlay image.
// Windows derived from it add their behaviour in their own event handlers and read the drag
// rectangle, the freehand points and the picked colour. It paints through a back buffer.

#include <QAbstractScrollArea>
#include <QCursor>
#include <QImage>

#include <cstdint>
#include <memory>
#include <vector>

#include "Bitra5.h"
#include "ImageEditGeometry.h"

class QMenu;

namespace kfm::ui {

class CImageEditWnd : public QAbstractScrollArea {
public:
    // The tool word; 512 and 1024 only change the pick cursor and combine with 128.
    enum Tool : int {
        kToolRectangle = 2,
        kToolEllipse = 4,
        kToolFreehand = 8,
        kToolZoom = 16,
        kToolZoomOut = 32,
        kToolPick = 128,
        kToolPickArea = 256,
        kCursorVariantA = 512,
        kCursorVariantB = 1024,
        kToolMove = 2048,
    };
    // The current colour when it was picked without an image.
    static constexpr COLORREF kNoColour = 0x1000000;

    explicit CImageEditWnd(QWidget* parent = nullptr);
    ~CImageEditWnd() override;

    // A copy of the image becomes the source; the image rectangle is its size at 0, 0 unless
    // given, and the work image its size unless given.
    void SetImage(KpxHandle image, bool redraw, const RECT* imageRect = nullptr,
                  const SIZE* workSize = nullptr);
    KpxHandle GetImage() const { return source_; }
    void CreateWorkImage(const SIZE* size, bool redraw);
    void SetOverlayImage(KpxHandle image);
    void SetObjectFlags(std::uint32_t flags);
    std::uint32_t ObjectFlags() const { return objectFlags_; }
    // The object rectangle in image coordinates.
    void SetViewRect(int left, int top, int right, int bottom);
    void GetViewRect(RECT* rect) const;

    // Snaps to a zoom step (-1 takes the last step) and returns the zoom; 0 is fit.
    int SetZoom(int percent);
    int Zoom() const { return zoom_; }
    // The zoom shown: the fitted percentage at zoom 0.
    int ShownZoom() const;
    // Zooms keeping the drag rectangle's centre (or the client centre) in place.
    void ZoomTo(int percent);
    void ZoomToRect();
    void ZoomOut();
    void ScrollTo(int x, int y);
    POINT ScrollPosition() const;

    void SetTool(int tool);
    int GetTool() const { return tool_; }
    void SetChessboard(int square, COLORREF colour1, COLORREF colour2);
    void SetShowTransparency(bool on);
    void SetBackgroundColour(COLORREF colour);
    // Makes the palette index the source's one transparent index and its colour the current one.
    void SetTransparentIndex(int index, bool redraw);
    // The index last made transparent; -1 before.
    int TransparentIndex() const { return transparentIndex_; }
    // The source's pixels or colours were changed in place: shows them again.
    void ImageChanged();

    // The palette index of the image under a client point; -1 without one or outside.
    int GetColorIndexAt(KpxHandle image, int x, int y) const;
    // The image's colour averaged over a client rectangle (corners included); kNoColour without
    // an image, 0xFFFFFFFF when the rectangle misses the image.
    COLORREF PickColor(KpxHandle image, int x1, int y1, int x2, int y2) const;
    // The laid-out image in client coordinates, shifted by the scroll positions.
    void GetImageClientRect(RECT* rect) const;
    POINT WindowToImage(POINT client) const;
    RECT WindowRectToImage(const RECT& client) const;
    // The move tool's hit tests at a client point; with set the hit is remembered for a drag.
    int HitTestHandles(POINT client, bool set);
    bool IsCursorInObject() const;
    bool IsPointInObject(int x, int y) const;

    // What the derived windows read.
    RECT DragRect() const { return dragRect_; }
    const std::vector<POINT>& FreehandPoints() const { return freehand_.Points(); }
    COLORREF CurrentColour() const { return currentColour_; }
    bool Selecting() const { return selecting_; }
    // The most points a freehand stroke keeps; a stroke that reaches it (or runs out of memory)
    // ends there and keeps its points.
    void SetFreehandPointLimit(std::size_t limit) { freehand_.SetLimit(limit); }

    // The zoom tools' context menu with its items enabled for the current zoom.
    std::unique_ptr<QMenu> CreateZoomMenu();
    // Runs a command of that menu (20076 actual size, 20077 zoom out, 20078 zoom in).
    void OnZoomCommand(UINT id);

protected:
    // For derived windows that follow the move tool: whether the object is being dragged, and
    // the hit a keyboard move acts on (kHitMove lets the arrow keys move the object).
    bool DraggingObject() const { return dragging_; }
    void SetObjectHit(int hit) { hit_ = hit; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    RECT layout() const;
    void updateScrollBars();
    void invalidatePictures();
    const QImage& chessboard();
    const QImage& sourcePicture();
    QImage composeWork();
    void drawOverlay(QPainter& painter);
    void drawObjectFrame(QPainter& painter, const RECT& imageArea);
    void drawBand(QPainter& painter);
    void beginSelection(POINT point, Qt::KeyboardModifiers modifiers);
    void endSelection(POINT point, Qt::KeyboardModifiers modifiers);
    void stopStroke();
    void dragObjectTo(POINT client);
    void moveObjectBy(int dx, int dy);
    void updateCursor(POINT client, Qt::KeyboardModifiers modifiers);
    void tellParent(bool accept);
    void showZoomMenu(const QPoint& global);
    RECT sourceRectOf(const RECT& client) const;

    KpxHandle source_ = 0;
    KpxHandle overlay_ = 0;
    SIZE workSize_{0, 0};
    QImage chessboard_;
    QImage sourcePicture_;
    bool picturesValid_ = false;
    int zoom_ = 0;
    int zoomStep_ = 100;
    int tool_ = kToolZoom;
    int square_ = 0;
    COLORREF chessColour1_ = 0xFFFFFF;
    COLORREF chessColour2_ = 0xFFFFFF;
    COLORREF background_;
    int transparentIndex_ = -1;
    COLORREF currentColour_ = 0xFFFFFF;
    RECT imageRect_{0, 0, 0, 0};
    RECT objectRect_{0, 0, 0, 0};
    RECT dragRect_{-1, -1, -1, -1};
    POINT dragStart_{-1, -1};
    kfm::shell::imageedit::FreehandPoints freehand_;
    std::uint32_t objectFlags_ = 0;
    int hit_ = 0;
    RECT grab_{0, 0, 0, 0};
    bool dragging_ = false;
    bool selecting_ = false;
    bool menuOpen_ = false;
    bool showTransparency_ = true;
    QImage backBuffer_;
};

} // namespace kfm::ui
