#include "AnimationView.h"

#include "AppSettings.h"
#include "CommandRouter.h"
#include "FrameTransfer.h"
#include "Kfm5ResourceIds.h"
#include "PopupMenu.h"
#include "ProgramState.h"
#include "ResourceAccess.h"
#include "ResourceWidgets.h"
#include "StripEdits.h"
#include "StripPrinter.h"
#include "ViewHost.h"
#include "resources/ResourceTable.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace kfm::ui {

using namespace kfm5res;
using kfm::shell::DropEffect;

namespace {

// A thumbnail is a few kilobytes; the cache keeps the thumbnails of very long animations.
constexpr std::size_t kThumbnailCacheBytes = 256u << 20;
// Adding or removing this many rows at once happens with updates switched off.
constexpr int kLockedUpdateRows = 5;
constexpr int kAutoScrollPause = 150;

QImage loadMarker(UINT id) {
    QImage marker;
    const QByteArray data = ResourceData(RT_BITMAP, id);
    if (!data.isEmpty())
        marker.loadFromData(data, "PNG");
    return marker;
}

Qt::DropAction toAction(DropEffect effect) {
    return effect == DropEffect::Move ? Qt::MoveAction : Qt::CopyAction;
}

} // namespace

CAnimationView::CAnimationView(ViewHost& host, CGIFAnimDoc* document, QWidget* parent)
    : QListView(parent), host_(host), document_(document), model_(this),
      thumbnails_(kThumbnailCacheBytes), delegate_(paint_, this) {
    setObjectName(QStringLiteral("FrameStrip"));
    paint_.thumbnails = &thumbnails_;
    paint_.font = QApplication::font();
    paint_.labelPrefixFormat = ResourceText(IDS_FRAME_LABEL_PREFIX);
    paint_.placeholderLabel = ResourceString(IDS_FRAME_LABEL_PLACEHOLDER);
    loadMarkers();
    setModel(&model_);
    setItemDelegate(&delegate_);
    setFrameShape(QFrame::Box);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::SelectedClicked);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setAutoScroll(false);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setBackgroundRole(QPalette::Base);
    autoScroll_.setInterval(kAutoScrollPause);
    connect(&autoScroll_, &QTimer::timeout, this, [this] { autoScrollStep(); });
    RefreshItems();
}

CAnimationView::~CAnimationView() = default;

void CAnimationView::loadMarkers() {
    paint_.markerAfter = loadMarker(IDB_DROP_AFTER);
    paint_.markerBefore = loadMarker(IDB_DROP_BEFORE);
}

void CAnimationView::readSettings() {
    const auto& s = kfm::shell::g_AppSettings;
    paint_.textHeight = QFontMetrics(paint_.font).height();
    paint_.rowSize =
        kfm::shell::StripRowSize(s.ThumbnailWidth, s.ThumbnailHeight, paint_.textHeight);
    const auto layout = kfm::shell::LayoutStripItem(
        RECT{0, 0, paint_.rowSize.cx, paint_.rowSize.cy}, paint_.textHeight);
    ThumbnailStyle style;
    style.thumbnail = QSize(static_cast<int>(layout.thumbnail.right - layout.thumbnail.left),
                            static_cast<int>(layout.thumbnail.bottom - layout.thumbnail.top));
    if (g_pAnimationData) {
        style.screenWidth = g_pAnimationData->AnimationWidth;
        style.screenHeight = g_pAnimationData->AnimationHeight;
    }
    style.withPosition = s.OptionsThumbDispWithPos != 0;
    style.transparent = s.OptionsThumbDispTransp != 0;
    style.background = g_Settings.animBkColor;
    if (!(style == paint_.style))
        thumbnails_.Clear();
    paint_.style = style;
}

void CAnimationView::RefreshItems(int) {
    host_.UpdateScaledThumbnailSize();
    readSettings();
    syncItems();
    doItemsLayout();
    if (g_pAnimationData && g_pAnimationData->RealFrameCount() >= 1)
        if (const int first = GetFirstSelFrameIndex(); first >= 0)
            EnsureItemVisible(first, 0);
    viewport()->update();
}

void CAnimationView::RedrawSelectedItems() {
    if (!g_pAnimationData)
        return;
    for (const int index : GetSelFramesArray())
        if (index >= 0 && index < model_.rowCount())
            viewport()->update(visualRect(model_.index(index)));
}

void CAnimationView::syncItems() {
    const int change = std::abs(FrameStripModel::NodeCount() - model_.rowCount());
    const bool lock = change >= kLockedUpdateRows;
    if (lock)
        setUpdatesEnabled(false);
    model_.SyncItems();
    if (g_pAnimationData)
        thumbnails_.KeepOnly(g_pAnimationData->frames);
    SyncSelection();
    SyncFocus();
    if (lock)
        setUpdatesEnabled(true);
}

void CAnimationView::SyncSelection() {
    if (!g_pAnimationData || !selectionModel())
        return;
    QItemSelection selection;
    int row = 0;
    for (const CObjFrame& frame : g_pAnimationData->frames) {
        if (frame.selected && row < model_.rowCount())
            selection.select(model_.index(row), model_.index(row));
        ++row;
    }
    syncing_ = true;
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
}

void CAnimationView::SyncFocus() {
    if (!g_pAnimationData || !selectionModel())
        return;
    const int current = GetCurrentFrameIndex();
    syncing_ = true;
    if (current >= 0 && current < model_.rowCount())
        selectionModel()->setCurrentIndex(model_.index(current), QItemSelectionModel::NoUpdate);
    else
        selectionModel()->clearCurrentIndex();
    syncing_ = false;
}

void CAnimationView::EnsureItemVisible(int index, int partialOk) {
    if (index < 0 || index >= model_.rowCount())
        return;
    const QModelIndex item = model_.index(index);
    if (partialOk && viewport()->rect().intersects(visualRect(item)))
        return;
    scrollTo(item, QAbstractItemView::EnsureVisible);
}

// ---------------------------------------------------------------- selection

void CAnimationView::selectionChanged(const QItemSelection& selected,
                                      const QItemSelection& deselected) {
    QListView::selectionChanged(selected, deselected);
    if (syncing_ || !g_pAnimationData)
        return;
    postRefresh();
    std::vector<int> cleared;
    std::vector<int> set;
    for (const QModelIndex& index : deselected.indexes())
        cleared.push_back(index.row());
    for (const QModelIndex& index : selected.indexes())
        set.push_back(index.row());
    std::sort(cleared.begin(), cleared.end());
    std::sort(set.begin(), set.end());
    // One walk over the list, however many rows a click changed.
    int row = 0;
    for (CObjFrame& frame : g_pAnimationData->frames) {
        if (std::binary_search(cleared.begin(), cleared.end(), row))
            frame.selected = 0;
        if (std::binary_search(set.begin(), set.end(), row))
            frame.selected = 1;
        ++row;
    }
}

void CAnimationView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    if (syncing_ || !g_pAnimationData || !current.isValid())
        return;
    postRefresh();
    SetCurrentFrame(current.row());
}

void CAnimationView::postRefresh() {
    if (refreshPending_)
        return;
    refreshPending_ = true;
    PostMessageTo(this, WM_STRIP_REFRESH, 0, 0);
}

LRESULT CAnimationView::WindowProc(UINT message, WPARAM, LPARAM) {
    if (message == WM_STRIP_REFRESH)
        onCoalescedRefresh();
    return 0;
}

bool CAnimationView::event(QEvent* event) {
    if (DispatchPostedMessage(event, *this))
        return true;
    return QListView::event(event);
}

void CAnimationView::onCoalescedRefresh() {
    refreshPending_ = false;
    ++refreshCount_;
    if (GetSelFramesCount() == 0)
        return;
    host_.SelectionChanged();
}

void CAnimationView::afterFramesChanged() {
    RefreshItems();
    SyncSelection();
    SyncFocus();
    host_.FramesChanged();
}

// ---------------------------------------------------------------- mouse and keys

int CAnimationView::itemAt(const QPoint& point) const {
    return indexAt(point).row();
}

void CAnimationView::mousePressEvent(QMouseEvent* event) {
    pressPoint_ = event->position().toPoint();
    // A right press that moves starts a drag; one that is released shows the menu.
    if (event->button() == Qt::RightButton)
        rightButtonDown_ = true;
    QListView::mousePressEvent(event);
}

void CAnimationView::mouseMoveEvent(QMouseEvent* event) {
    if (rightButtonDown_ && (event->buttons() & Qt::RightButton) &&
        (event->position().toPoint() - pressPoint_).manhattanLength() >=
            QApplication::startDragDistance()) {
        rightButtonDown_ = false;
        StartFrameDrag(itemAt(pressPoint_), Qt::RightButton);
        return;
    }
    QListView::mouseMoveEvent(event);
}

void CAnimationView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const bool menu = rightButtonDown_;
        rightButtonDown_ = false;
        QListView::mouseReleaseEvent(event);
        if (menu)
            showContextMenu(event->globalPosition().toPoint());
        return;
    }
    QListView::mouseReleaseEvent(event);
}

void CAnimationView::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        host_.ExecuteCommand(ID_FRAME_EDIT_OBJECT);
}

void CAnimationView::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != QAbstractItemView::EditingState &&
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
        host_.ExecuteCommand(ID_FRAME_EDIT_OBJECT);
    QListView::keyPressEvent(event);
}

void CAnimationView::showContextMenu(const QPoint& at) {
    std::unique_ptr<QMenu> menu = LoadCommandMenu(kStripMenu, 0, host_.Router(), window());
    if (menu)
        menu->exec(at);
}

// ---------------------------------------------------------------- label editing

bool CAnimationView::labelEditAllowed(const QModelIndex& index) const {
    if (editing_ || GetSelFramesCount() != 1 || !index.isValid())
        return false;
    const CObjFrame* frame = FrameStripModel::FrameAt(index.row());
    return frame && frame->selected && frame->GetImage();
}

bool CAnimationView::insideLabelEditor(const QModelIndex& index, const QPoint& point) const {
    return StripLabelEditorRect(paint_, visualRect(index)).contains(point);
}

bool CAnimationView::EditLabel() {
    const int first = GetFirstSelFrameIndex();
    if (first < 0 || first >= model_.rowCount())
        return false;
    editByCommand_ = true;
    const bool started = edit(model_.index(first), AllEditTriggers, nullptr);
    editByCommand_ = false;
    return started;
}

bool CAnimationView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (state() == QAbstractItemView::EditingState)
        return QListView::edit(index, trigger, event);
    if (trigger == SelectedClicked) {
        // A click on the selected frame's label starts an edit after the double-click time;
        // a click on its number or thumbnail only selects.
        const auto* mouse = dynamic_cast<QMouseEvent*>(event);
        clickEditPending_ = mouse && labelEditAllowed(index) &&
                            insideLabelEditor(index, mouse->position().toPoint());
        return clickEditPending_ && QListView::edit(index, trigger, event);
    }
    if (trigger != AllEditTriggers || !(editByCommand_ || clickEditPending_))
        return false;
    clickEditPending_ = false;
    if (!labelEditAllowed(index))
        return false;
    editing_ = true;
    host_.SetLabelEditing(true);
    if (QListView::edit(index, trigger, event))
        return true;
    editing_ = false;
    host_.SetLabelEditing(false);
    return false;
}

void CAnimationView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QListView::closeEditor(editor, hint);
    if (!editing_)
        return;
    editing_ = false;
    host_.SetLabelEditing(false);
}

// ---------------------------------------------------------------- dragging out

void CAnimationView::startDrag(Qt::DropActions) {
    StartFrameDrag(itemAt(pressPoint_), Qt::LeftButton);
}

void CAnimationView::StartFrameDrag(int sourceItem, Qt::MouseButton) {
    if (!g_pAnimationData || editing_)
        return;
    FrameList frames = kfm::shell::TakeDragFrames();
    if (frames.empty()) {
        ClearFramesMark();
        return;
    }
    dragSourceItem_ = sourceItem;
    dragFromThisView_ = true;
    droppedHere_ = false;
    auto data = std::make_unique<FramesMimeData>(this, std::move(frames));
    const Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction;
    Qt::DropAction result = Qt::IgnoreAction;
    if (dragRunner_) {
        result = dragRunner_(data.get(), allowed);
    } else {
        auto* drag = new QDrag(this);
        drag->setMimeData(data.release());
        result = drag->exec(allowed, Qt::CopyAction);
    }
    dragFromThisView_ = false;
    const bool movedElsewhere = result == Qt::MoveAction && !droppedHere_;
    kfm::shell::FinishDragFrames(movedElsewhere);
    if (result != Qt::IgnoreAction)
        afterFramesChanged();
    dragSourceItem_ = -1;
    droppedHere_ = false;
}

// ---------------------------------------------------------------- dropping in

void CAnimationView::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData() || !OffersFrames(*event->mimeData()) || editing_) {
        event->ignore();
        return;
    }
    rightButtonDrag_ = false;
    clearDropTarget();
    event->acceptProposedAction();
}

void CAnimationView::dragMoveEvent(QDragMoveEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data || !OffersFrames(*data) || editing_ || model_.rowCount() == 0) {
        event->ignore();
        return;
    }
    if (event->buttons() & Qt::RightButton)
        rightButtonDrag_ = true;
    dragPoint_ = event->position().toPoint();
    scrollDirection_ = kfm::shell::DragScrollDirection(dragPoint_.y(), viewport()->height());
    if (scrollDirection_ != 0 && !autoScroll_.isActive()) {
        autoScrollStep();
        autoScroll_.start();
    } else if (scrollDirection_ == 0) {
        autoScroll_.stop();
    }
    trackDropTarget();
    const DropEffect effect = kfm::shell::ProposedDropEffect(
        IsDragFrom(*data, this), event->modifiers() & Qt::ShiftModifier,
        event->modifiers() & Qt::ControlModifier);
    event->setDropAction(toAction(effect));
    event->accept();
}

void CAnimationView::trackDropTarget() {
    // Beyond the last item the drop goes to the last one, the placeholder.
    const int count = model_.rowCount();
    int item = itemAt(dragPoint_);
    if (item < 0)
        item = count - 1;
    const QRect rect = visualRect(model_.index(item));
    setDropTarget(item,
                  kfm::shell::DropModeFor(item, count, dragPoint_.y() - rect.top(), rect.height()));
}

void CAnimationView::dragLeaveEvent(QDragLeaveEvent* event) {
    autoScroll_.stop();
    clearDropTarget();
    event->accept();
}

void CAnimationView::autoScrollStep() {
    if (scrollDirection_ == 0) {
        autoScroll_.stop();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + scrollDirection_ * static_cast<int>(paint_.rowSize.cy));
    // The items moved under the resting mouse.
    trackDropTarget();
    viewport()->update();
}

std::optional<DropEffect> CAnimationView::chooseDropEffect(const QPoint& at, DropEffect proposed) {
    std::unique_ptr<QMenu> menu = LoadPopupMenu(kDropMenu, 0, window());
    if (!menu)
        return proposed;
    menu->setDefaultAction(
        FindMenuCommand(*menu, proposed == DropEffect::Move ? ID_DROP_MOVE : ID_DROP_COPY));
    const QAction* chosen = menu->exec(at, menu->defaultAction());
    switch (MenuCommandOf(chosen)) {
    case ID_DROP_MOVE:
        return DropEffect::Move;
    case ID_DROP_COPY:
        return DropEffect::Copy;
    default:
        return std::nullopt;
    }
}

void CAnimationView::dropEvent(QDropEvent* event) {
    autoScroll_.stop();
    const QMimeData* data = event->mimeData();
    const int item = paint_.dropItem;
    const int mode = paint_.dropMode;
    clearDropTarget();
    if (!data || item < 0) {
        event->ignore();
        return;
    }
    const bool fromThisView = IsDragFrom(*data, this);
    DropEffect effect =
        kfm::shell::ProposedDropEffect(fromThisView, event->modifiers() & Qt::ShiftModifier,
                                       event->modifiers() & Qt::ControlModifier);
    if (rightButtonDrag_) {
        rightButtonDrag_ = false;
        const std::optional<DropEffect> chosen =
            chooseDropEffect(mapToGlobal(event->position().toPoint()), effect);
        if (!chosen) {
            event->ignore();
            return;
        }
        effect = *chosen;
    }
    if (effect == DropEffect::Move && fromThisView && item == dragSourceItem_) {
        event->ignore();
        return;
    }
    FrameList incoming = FramesFromDrop(*data, document_);
    if (incoming.empty()) {
        event->ignore();
        return;
    }
    kfm::shell::FrameDrop drop;
    drop.targetItem = item;
    drop.mode = mode;
    drop.effect = effect;
    drop.fromThisView = fromThisView;
    drop.dragSourceItem = dragSourceItem_;
    kfm::shell::DropFrames(std::move(incoming), drop);
    event->setDropAction(toAction(effect));
    event->accept();
    // A drag from this strip refreshes when its own side ends.
    if (fromThisView)
        droppedHere_ = true;
    else
        afterFramesChanged();
}

void CAnimationView::setDropTarget(int item, int mode) {
    if (item == paint_.dropItem && mode == paint_.dropMode)
        return;
    const int old = paint_.dropItem;
    paint_.dropItem = item;
    paint_.dropMode = mode;
    for (const int row : {old, item})
        if (row >= 0 && row < model_.rowCount())
            viewport()->update(visualRect(model_.index(row)));
}

void CAnimationView::clearDropTarget() {
    setDropTarget(-1, kfm::shell::kDropAfter);
}

// ---------------------------------------------------------------- printing

void CAnimationView::Print() {
    StripPrinter printer(*this);
    printer.Run();
}

int CAnimationView::PrintTo(QPrinter& target) {
    StripPrinter printer(*this);
    return printer.PrintTo(target);
}

} // namespace kfm::ui
