#pragma once
// The canvas: the animation's logical screen over the transparency checkerboard with the
// selected frames (and the frames shown always) at their places, at a zoom. The user moves the
// selected frames with the mouse or the arrow keys within the edge locks; the zoom commands and
// a context menu change the zoom. The same pane plays the animation in place of the canvas.

#include <QAbstractScrollArea>
#include <QImage>

#include <memory>

#include "FramePictures.h"
#include "MessageTarget.h"
#include "types/Win32Types.h"

namespace kfm::ui {

class PreviewPlayer;
class ViewHost;

// The preview tells the canvas of every frame it shows (the status bar counts them).
constexpr UINT WM_CANVAS_PREVIEW_FRAME = WM_USER + 240;

class CImageView : public QAbstractScrollArea, public MessageTarget {
    Q_OBJECT
public:
    explicit CImageView(ViewHost& host, QWidget* parent = nullptr);
    ~CImageView() override;

    // Rebuilds the checkerboard background for the animation's size and the zoom, and the
    // scroll range.
    void RecalcCanvas(int unused1 = 1, int unused2 = 1);
    // Shows the animation as it is now (unless the preview plays).
    void RefreshCanvas();
    // Zoom mode 0 out (x 0.5), 1 actual size, 2 in (x 2).
    void Zoom(int mode);
    float GetZoom() const { return zoom_; }
    // The union of the selected frames in animation coordinates.
    RECT GetSelectionRect() const { return selection_; }

    // The scroll position (pane pixels).
    POINT ScrollPosition() const;
    void ScrollToPosition(POINT position);
    // The animation area's top-left corner in the pane (its one-pixel border included).
    POINT AreaOrigin() const;

    // Full-size pictures of the frames shown.
    FramePictureCache& Pictures() { return pictures_; }

    // The animation preview in the pane: starts it (rendering the object frames inside an
    // internal undo step) or stops it (undoing that step, so the objects stay editable).
    void TogglePreview();
    void StopPreview();
    // The transport commands 20039 to 20045 while the preview runs.
    void OnPlayerCommand(UINT id);
    bool IsPlaying() const { return playing_; }
    bool IsFilling() const { return fill_; }
    int GetPreviewFrameCount() const;
    int GetPreviewCurrentFrame() const;
    PreviewPlayer* Preview() const { return preview_.get(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void updateScrollRange();
    void recomputeSelection();
    QImage composeShownFrames();
    QRect selectionOnScreen() const;
    bool moveSelectionTo(POINT wanted);
    POINT selectionPosition() const;
    void beginMove();
    void endMove();
    void showContextMenu(const QPoint& globalPosition);
    void updateCursor(const QPoint& at);
    bool previewRunning() const;
    void stopPreview(bool toggled);
    void placePreview();

    ViewHost& host_;
    QImage background_;
    SIZE zoomed_{0, 0};
    RECT selection_{0, 0, 0, 0};
    float zoom_ = 1.0f;
    bool dragging_ = false;
    bool firstMove_ = false;
    POINT grab_{0, 0};
    POINT start_{0, 0};
    bool keyRun_ = false;
    bool contextMenuShown_ = false;
    FramePictureCache pictures_;
    std::unique_ptr<PreviewPlayer> preview_;
    POINT savedScroll_{0, 0};
    bool playing_ = false;
    bool fill_ = false;
};

} // namespace kfm::ui
