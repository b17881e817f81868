#include "ImageView.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "CanvasGeometry.h"
#include "CommandRouter.h"
#include "DisplayHelpers.h"
#include "EdgeLocks.h"
#include "FrameChainBuild.h"
#include "Kfm5ResourceIds.h"
#include "PaletteRender.h"
#include "PreviewPlayer.h"
#include "ProgramState.h"
#include "ResourceWidgets.h"
#include "ShellServices.h"
#include "StripEdits.h"
#include "UndoHistory.h"
#include "ViewHost.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace kfm::ui {

using namespace kfm5res;
namespace rules = kfm::shell;

namespace {

// Full-size pictures of the frames the canvas shows (the selection and the frames shown
// always); moving frames only repaints.
constexpr std::size_t kPictureCacheBytes = 64u << 20;

QColor toColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QPoint toQPoint(POINT p) {
    return QPoint(static_cast<int>(p.x), static_cast<int>(p.y));
}

POINT toPoint(const QPoint& p) {
    return POINT{p.x(), p.y()};
}

kfm::model::EdgeLockState edgeLocks() {
    const CAnimationData& a = *g_pAnimationData;
    return {a.AnimationWidth,          a.AnimationHeight,       a.AnimationStateElasticSize,
            a.AnimationStateLockLeft,  a.AnimationStateLockTop, a.AnimationStateLockRight,
            a.AnimationStateLockBottom};
}

int arrowDx(int key) {
    return key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
}

int arrowDy(int key) {
    return key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
}

bool isArrow(int key) {
    return arrowDx(key) != 0 || arrowDy(key) != 0;
}

} // namespace

CImageView::CImageView(ViewHost& host, QWidget* parent)
    : QAbstractScrollArea(parent), host_(host), pictures_(kPictureCacheBytes) {
    setObjectName(QStringLiteral("Canvas"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::Box);
    RecalcCanvas();
}

CImageView::~CImageView() {
    if (preview_)
        stopPreview(false);
}

bool CImageView::previewRunning() const {
    return g_bPreviewPlaying != 0;
}

// ---------------------------------------------------------------- geometry

void CImageView::RecalcCanvas(int, int) {
    const int width = g_pAnimationData ? std::max(g_pAnimationData->AnimationWidth, 1) : 1;
    const int height = g_pAnimationData ? std::max(g_pAnimationData->AnimationHeight, 1) : 1;
    zoomed_ = rules::ZoomedSize(width, height, zoom_);
    background_ = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    const TransparencyGrid grid = GetTransparencyGrid();
    if (grid.cell < 1 || background_.isNull()) {
        background_.fill(Qt::white);
    } else {
        // The cells keep their size on the screen at any zoom.
        const int cell = rules::CheckerCellAtZoom(grid.cell, zoom_);
        const QRgb first = toColor(grid.color1).rgb();
        const QRgb second = toColor(grid.color2).rgb();
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(background_.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] = ((x / cell + y / cell) & 1) ? second : first;
        }
    }
    if (!previewRunning())
        updateScrollRange();
}

void CImageView::updateScrollRange() {
    QSize area(static_cast<int>(zoomed_.cx) + 2, static_cast<int>(zoomed_.cy) + 2);
    // The preview shows the animation at its own size, or fills the pane.
    if (preview_)
        area = fill_ ? QSize(0, 0) : background_.size() + QSize(2, 2);
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(area.width() - view.width(), 0));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(10);
    verticalScrollBar()->setRange(0, std::max(area.height() - view.height(), 0));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(10);
}

void CImageView::RefreshCanvas() {
    if (previewRunning())
        return;
    updateScrollRange();
    viewport()->update();
}

POINT CImageView::ScrollPosition() const {
    return POINT{horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CImageView::ScrollToPosition(POINT position) {
    horizontalScrollBar()->setValue(static_cast<int>(std::max<LONG>(position.x, 0)));
    verticalScrollBar()->setValue(static_cast<int>(std::max<LONG>(position.y, 0)));
}

POINT CImageView::AreaOrigin() const {
    const QSize view = viewport()->size();
    return rules::CanvasAreaOrigin(SIZE{view.width(), view.height()}, zoomed_, ScrollPosition());
}

void CImageView::Zoom(int mode) {
    const POINT scroll = rules::ScrollAfterZoom(ScrollPosition(), zoom_, mode);
    zoom_ = rules::ZoomAfter(zoom_, mode);
    RecalcCanvas();
    viewport()->update();
    ScrollToPosition(scroll);
}

void CImageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!previewRunning() || preview_)
        updateScrollRange();
    placePreview();
}

void CImageView::scrollContentsBy(int, int) {
    placePreview();
    viewport()->update();
}

// ---------------------------------------------------------------- painting

void CImageView::recomputeSelection() {
    RECT bounds{0, 0, 0, 0};
    if (g_pAnimationData && GetSelFramesCount() > 0)
        GetSelFramesBounds(bounds);
    selection_ = bounds;
}

QImage CImageView::composeShownFrames() {
    QImage shown = background_.copy();
    if (!g_pAnimationData)
        return shown;
    QPainter painter(&shown);
    const auto picture = [](const CObjFrame& f) {
        return Thumbnail{FramePicture(f, Transparency::Through), QPoint(0, 0)};
    };
    // The frames shown always first, the selected ones over them.
    for (const bool selectedPass : {false, true})
        for (const CObjFrame& f : g_pAnimationData->frames) {
            const bool wanted =
                selectedPass ? f.selected != 0 : !f.selected && rules::IsFrameAlwaysShown(f);
            if (wanted && f.GetDisplayImage())
                painter.drawImage(QPoint(f.left, f.top), pictures_.Get(f, picture).image);
        }
    return shown;
}

QRect CImageView::selectionOnScreen() const {
    const RECT scaled = rules::ScaleSelection(selection_, zoom_);
    const QPoint origin = toQPoint(AreaOrigin()) + QPoint(1, 1);
    return QRect(origin + QPoint(static_cast<int>(scaled.left), static_cast<int>(scaled.top)),
                 QSize(static_cast<int>(scaled.right - scaled.left),
                       static_cast<int>(scaled.bottom - scaled.top)));
}

void CImageView::paintEvent(QPaintEvent* event) {
    if (previewRunning())
        return;
    QPainter painter(viewport());
    const QRect area(toQPoint(AreaOrigin()),
                     QSize(static_cast<int>(zoomed_.cx) + 2, static_cast<int>(zoomed_.cy) + 2));
    // The pane around the animation area.
    const QRegion bands = QRegion(viewport()->rect()).subtracted(QRegion(area));
    for (const QRect& band : bands)
        painter.fillRect(band,
                         toColor(static_cast<COLORREF>(kfm::shell::g_AppSettings.ColorImageView)));
    recomputeSelection();
    painter.setClipRect(event->rect());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.drawImage(area.adjusted(1, 1, -1, -1), composeShownFrames());
    const QRect selection = selectionOnScreen();
    if (kfm::shell::g_AppSettings.OptionsThumbDispFrame && !selection.isEmpty()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(selection.adjusted(-1, -1, 0, 0));
    }
}

// ---------------------------------------------------------------- moving the selection

POINT CImageView::selectionPosition() const {
    return POINT{selection_.left, selection_.top};
}

bool CImageView::moveSelectionTo(POINT wanted) {
    if (!g_pAnimationData)
        return false;
    const POINT now = selectionPosition();
    const rules::MoveLimits limits =
        rules::ComputeMoveLimits(selection_, now, edgeLocks(), g_pAnimationData->RealFrameCount());
    const POINT target = rules::ClampToLimits(wanted, limits);
    if (target.x == now.x && target.y == now.y)
        return false;
    if (!rules::MoveSelectedFramesTo(static_cast<int>(target.x), static_cast<int>(target.y)))
        return false;
    recomputeSelection();
    viewport()->update();
    return true;
}

void CImageView::beginMove() {
    TheUndoHistory().BeginStep(kUndoKindMove);
    start_ = selectionPosition();
}

void CImageView::endMove() {
    const POINT now = selectionPosition();
    // A move that ended where it began leaves the step unchanged, and the history drops it.
    if (now.x != start_.x || now.y != start_.y)
        host_.SelectionMoved();
    TheUndoHistory().EndStep(0);
}

void CImageView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        if (!previewRunning())
            showContextMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || previewRunning() || !g_pAnimationData)
        return;
    recomputeSelection();
    const QRect selection = selectionOnScreen();
    if (selection.isEmpty() || !selection.contains(at))
        return;
    dragging_ = true;
    firstMove_ = true;
    grab_ = toPoint(at - selection.topLeft());
    start_ = selectionPosition();
}

void CImageView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!dragging_) {
        updateCursor(at);
        return;
    }
    if (firstMove_) {
        firstMove_ = false;
        beginMove();
    }
    moveSelectionTo(rules::PositionFromMouse(toPoint(at), grab_, AreaOrigin(), zoom_));
}

void CImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    dragging_ = false;
    if (!firstMove_)
        endMove();
}

void CImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        host_.ExecuteCommand(ID_FRAME_EDIT_OBJECT);
}

void CImageView::keyPressEvent(QKeyEvent* event) {
    if (!isArrow(event->key()) || previewRunning() || !g_pAnimationData) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    recomputeSelection();
    if (!keyRun_) {
        keyRun_ = true;
        beginMove();
    }
    const int step = rules::KeyMoveStep(event->modifiers() & Qt::ShiftModifier);
    const POINT now = selectionPosition();
    moveSelectionTo(
        POINT{now.x + arrowDx(event->key()) * step, now.y + arrowDy(event->key()) * step});
}

void CImageView::keyReleaseEvent(QKeyEvent* event) {
    if (!isArrow(event->key()) || event->isAutoRepeat() || !keyRun_) {
        QAbstractScrollArea::keyReleaseEvent(event);
        return;
    }
    keyRun_ = false;
    endMove();
}

void CImageView::updateCursor(const QPoint& at) {
    if (contextMenuShown_)
        return;
    const QRect selection = selectionOnScreen();
    const bool overSelection = !previewRunning() && !selection.isEmpty() &&
                               selection.intersected(viewport()->rect()).contains(at);
    viewport()->setCursor(overSelection ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

void CImageView::showContextMenu(const QPoint& globalPosition) {
    std::unique_ptr<QMenu> menu = LoadCommandMenu(kCanvasMenu, 0, host_.Router(), window());
    if (!menu)
        return;
    contextMenuShown_ = true;
    viewport()->setCursor(Qt::ArrowCursor);
    menu->exec(globalPosition);
    contextMenuShown_ = false;
}

// ---------------------------------------------------------------- preview

namespace {

class WaitCursor {
public:
    WaitCursor() { ::shell().setWaitCursor(true); }
    ~WaitCursor() { ::shell().setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The preview inside the pane: no toolbar, the size the pane gives it.
constexpr unsigned kPreviewStyle = 0x03 | PreviewPlayer::NoToolbar | PreviewPlayer::NoResize;

} // namespace

void CImageView::TogglePreview() {
    if (previewRunning()) {
        stopPreview(true);
        return;
    }
    if (!g_pAnimationData || g_pAnimationData->RealFrameCount() < 1)
        return;
    host_.EnableViews(false);
    FrameList& frames = g_pAnimationData->frames;
    TheUndoHistory().BeginStep(kUndoKindSaveAndPreview);
    int rendered = 0;
    {
        WaitCursor wait;
        ProgressBegin(IDS_CAPTION_RENDERING, CountObjectFrames(-1));
        rendered = RenderImagesFromFrames(&frames, IsEscapePressed, nullptr);
        ProgressEnd();
    }
    TheUndoHistory().EndStep(0);
    if (rendered == 2) {
        // Cancelled: everything the start did is taken back at once.
        g_bPreviewPlaying = 1;
        stopPreview(false);
        return;
    }
    PutAllFramesInfo(1);
    if (BuildFramesImage(frames, 1, 1) != 1) {
        g_bPreviewPlaying = 1;
        stopPreview(false);
        return;
    }
    savedScroll_ = ScrollPosition();
    preview_ = std::make_unique<PreviewPlayer>(kPreviewStyle, viewport());
    preview_->setObjectName(QStringLiteral("PlayANIMGIF"));
    const auto head = static_cast<KpxHandle>(frames.front().GetDisplayImage());
    preview_->SetFrames(head);
    preview_->TakeFrames(true);
    preview_->SetEndCommand(static_cast<int>(ID_PLAYER_PAUSE));
    preview_->SetStretch(fill_);
    preview_->SetBackground(g_Settings.animBkColor);
    preview_->SetNotify(this, WM_CANVAS_PREVIEW_FRAME);
    playing_ = true;
    g_bPreviewPlaying = 1;
    updateScrollRange();
    placePreview();
    preview_->show();
}

void CImageView::StopPreview() {
    stopPreview(false);
}

void CImageView::stopPreview(bool toggled) {
    if (!previewRunning())
        return;
    host_.EnableViews(true);
    if (toggled)
        host_.SelectionChanged();
    if (preview_) {
        preview_->Pause();
        preview_.reset();
    }
    if (g_pAnimationData) {
        SplitFramesImage(g_pAnimationData->frames, 1);
        DeleteRenderedImages(g_pAnimationData->frames);
    }
    g_bPreviewPlaying = 0;
    playing_ = false;
    if (TheUndoHistory().GetCurrentKind() == kUndoKindSaveAndPreview)
        TheUndoHistory().Undo();
    if (!toggled && g_pAnimationData)
        ClearNPImageObjects(g_pAnimationData->frames);
    updateScrollRange();
    if (toggled)
        ScrollToPosition(savedScroll_);
    viewport()->update();
}

void CImageView::placePreview() {
    if (!preview_)
        return;
    const QSize view = viewport()->size();
    if (fill_) {
        preview_->setGeometry(QRect(QPoint(0, 0), view));
        return;
    }
    const QSize area = background_.size() + QSize(2, 2);
    const POINT scroll = ScrollPosition();
    preview_->setGeometry(QRect(QPoint(static_cast<int>(-scroll.x), static_cast<int>(-scroll.y)),
                                area.expandedTo(view)));
}

void CImageView::OnPlayerCommand(UINT id) {
    if (!preview_)
        return;
    switch (id) {
    case ID_PLAYER_PLAY:
        playing_ = true;
        if (preview_->IsPaused())
            preview_->Play();
        return;
    case ID_PLAYER_PAUSE:
        playing_ = false;
        preview_->Pause();
        return;
    case ID_PLAYER_FILL:
        fill_ = !fill_;
        updateScrollRange();
        preview_->SetStretch(fill_);
        placePreview();
        if (preview_->IsPaused())
            preview_->update();
        return;
    default:
        break;
    }
    playing_ = false;
    preview_->Pause();
    switch (id) {
    case ID_PLAYER_FIRST:
        preview_->FirstFrame();
        break;
    case ID_PLAYER_PREVIOUS:
        preview_->PreviousFrame();
        break;
    case ID_PLAYER_NEXT:
        preview_->NextFrame();
        break;
    case ID_PLAYER_LAST:
        preview_->LastFrame();
        break;
    default:
        break;
    }
}

LRESULT CImageView::WindowProc(UINT message, WPARAM, LPARAM) {
    if (message == WM_CANVAS_PREVIEW_FRAME)
        host_.Router().RequestIdleUpdate();
    return 0;
}

int CImageView::GetPreviewFrameCount() const {
    return preview_ ? preview_->FrameCount() : 0;
}

int CImageView::GetPreviewCurrentFrame() const {
    return preview_ ? preview_->CurrentFrame() : 0;
}

} // namespace kfm::ui
