#pragma once
// The frame strip: every frame of the current animation as an owner-drawn thumbnail with its
// label, and the trailing placeholder item. The user selects frames and picks the current one,
// edits a label in place, reorders or copies frames by dragging them, drops frames, files or
// pictures in from outside and prints the frames. The strip keeps no frame data: selection,
// current frame and labels live in the animation, which the strip mirrors.

#include <QListView>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

#include "FramePictures.h"
#include "FrameStripDelegate.h"
#include "FrameStripModel.h"
#include "MessageTarget.h"

class CGIFAnimDoc;
class QPrinter;

namespace kfm::ui {

class ViewHost;

// The strip's coalesced refresh after selection changes.
constexpr UINT WM_STRIP_REFRESH = WM_USER + 205;

class CAnimationView : public QListView, public MessageTarget {
    Q_OBJECT
public:
    CAnimationView(ViewHost& host, CGIFAnimDoc* document, QWidget* parent = nullptr);
    ~CAnimationView() override;

    // Rebuilds the rows for the current thumbnail size and settings and re-syncs every item.
    void RefreshItems(int unused = 1);
    // Repaints the items of the selected frames (their thumbnails are made again when their
    // frames changed).
    void RedrawSelectedItems();
    // Item selection and focus from the frames' selected and current flags.
    void SyncSelection();
    void SyncFocus();
    bool IsEditingLabel() const { return editing_; }
    // Scrolls the item into view (partly visible is enough with partialOk).
    void EnsureItemVisible(int index, int partialOk);
    // Command 20000: edits the label of the selected frame wherever the mouse is. False when no
    // edit may start (one frame with an image must be selected, no edit running).
    bool EditLabel();

    // Prints the frames: asks for the printer, then prints (rendering object frames first when
    // the settings ask for it).
    void Print();
    // Prints onto a printer that is set up already; the number of pages printed.
    int PrintTo(QPrinter& printer);

    // Runs a drag of frames out of the strip and returns its result; by default a real drag.
    using DragRunner = std::function<Qt::DropAction(QMimeData*, Qt::DropActions)>;
    void SetDragRunner(DragRunner runner) { dragRunner_ = std::move(runner); }
    // Starts a drag of the selected frames from an item, as a press and move of the mouse do.
    void StartFrameDrag(int sourceItem, Qt::MouseButton button);

    // What the items are drawn with (thumbnail cache included).
    const StripPaintState& PaintState() const { return paint_; }
    FramePictureCache& Thumbnails() { return thumbnails_; }
    // The item under a drag and its drop mode (-1 none).
    int DropItem() const { return paint_.dropItem; }
    int DropMode() const { return paint_.dropMode; }
    // How many coalesced refreshes ran (one per burst of selection changes).
    int RefreshCount() const { return refreshCount_; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool event(QEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void readSettings();
    void loadMarkers();
    void syncItems();
    void postRefresh();
    void onCoalescedRefresh();
    void afterFramesChanged();
    bool labelEditAllowed(const QModelIndex& index) const;
    bool insideLabelEditor(const QModelIndex& index, const QPoint& point) const;
    void showContextMenu(const QPoint& at);
    void setDropTarget(int item, int mode);
    void clearDropTarget();
    void autoScrollStep();
    void trackDropTarget();
    std::optional<kfm::shell::DropEffect> chooseDropEffect(const QPoint& at,
                                                           kfm::shell::DropEffect proposed);
    int itemAt(const QPoint& point) const;

    ViewHost& host_;
    CGIFAnimDoc* document_;
    FrameStripModel model_;
    FramePictureCache thumbnails_;
    StripPaintState paint_;
    FrameStripDelegate delegate_;

    bool refreshPending_ = false;
    int refreshCount_ = 0;
    bool syncing_ = false;
    int dragSourceItem_ = -1;
    bool dragFromThisView_ = false;
    bool droppedHere_ = false;
    bool rightButtonDrag_ = false;
    bool rightButtonDown_ = false;
    QPoint pressPoint_;
    bool editByCommand_ = false;
    bool clickEditPending_ = false;
    bool editing_ = false;
    int scrollDirection_ = 0;
    QPoint dragPoint_;
    QTimer autoScroll_;
    DragRunner dragRunner_;
};

} // namespace kfm::ui
