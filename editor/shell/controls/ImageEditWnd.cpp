#include "ImageEditWnd.h"

#include "AppSettings.h"
#include "Bitra5Qt.h"
#include "ControlDrawing.h"
#include "Kfm5ResourceIds.h"
#include "MessageTarget.h"
#include "PopupMenu.h"
#include "ResourceAccess.h"
#include "resources/ResourceTable.h"

#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>

namespace kfm::ui {

namespace ie = kfm::shell::imageedit;

namespace {

constexpr int kLineStep = 10;
constexpr QRgb kFrameGrey = 0xFF808080;

QRect toQRect(const RECT& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

POINT toPoint(const QPoint& p) {
    return POINT{p.x(), p.y()};
}

bool isUnset(const RECT& r) {
    return r.left == -1 && r.top == -1 && r.right == -1 && r.bottom == -1;
}

RECT normalised(const RECT& r) {
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

// The cursor of a handle of the move tool.
Qt::CursorShape handleShape(int hit) {
    switch (hit) {
    case ie::kHitTopLeft:
    case ie::kHitBottomRight:
        return Qt::SizeFDiagCursor;
    case ie::kHitTopRight:
    case ie::kHitBottomLeft:
        return Qt::SizeBDiagCursor;
    case ie::kHitTop:
    case ie::kHitBottom:
        return Qt::SizeVerCursor;
    case ie::kHitLeft:
    case ie::kHitRight:
        return Qt::SizeHorCursor;
    case ie::kHitMove:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

// The palette index of a pixel of a 1-, 4- or 8-bit image (x, y from the top); -1 otherwise.
int paletteIndexAt(KpxHandle image, int x, int y) {
    const int depth = KPXbpp(image);
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    if ((depth != 1 && depth != 4 && depth != 8) || x < 0 || y < 0 || x >= width || y >= height)
        return -1;
    const KpxImageView view(image);
    if (!view)
        return -1;
    if (depth != 4)
        return view.storedRows().pixelIndex(x, height - 1 - y);
    const std::uint8_t* bits = KPXGetBits(image);
    const std::uint8_t byte = bits[static_cast<std::size_t>(height - 1 - y) *
                                       static_cast<std::size_t>(KPXGetScanBytes(image)) +
                                   static_cast<std::size_t>(x / 2)];
    return (x & 1) ? byte & 0x0F : byte >> 4;
}

} // namespace

CImageEditWnd::CImageEditWnd(QWidget* parent)
    : QAbstractScrollArea(parent),
      background_(static_cast<COLORREF>(kfm::shell::g_AppSettings.ColorImageView)) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(kLineStep);
    verticalScrollBar()->setSingleStep(kLineStep);
}

CImageEditWnd::~CImageEditWnd() {
    KPXDeleteImage(source_);
    KPXDeleteImage(overlay_);
}

// -------------------- Images

void CImageEditWnd::SetImage(KpxHandle image, bool redraw, const RECT* imageRect,
                             const SIZE* workSize) {
    KPXDeleteImage(source_);
    source_ = image ? KPXCreateImageFrom(image, 0) : 0;
    imageRect_ = imageRect ? *imageRect : RECT{0, 0, KPXWidth(source_), KPXHeight(source_)};
    CreateWorkImage(workSize, redraw);
}

void CImageEditWnd::CreateWorkImage(const SIZE* size, bool redraw) {
    workSize_ = size ? *size : SIZE{KPXWidth(source_), KPXHeight(source_)};
    invalidatePictures();
    if (redraw) {
        updateScrollBars();
        viewport()->update();
    }
}

void CImageEditWnd::SetOverlayImage(KpxHandle image) {
    KPXDeleteImage(overlay_);
    overlay_ = image ? KPXCreateImageFrom(image, 0) : 0;
    viewport()->update();
}

void CImageEditWnd::SetObjectFlags(std::uint32_t flags) {
    objectFlags_ = flags;
    viewport()->update();
}

void CImageEditWnd::SetViewRect(int left, int top, int right, int bottom) {
    objectRect_ = RECT{left, top, right, bottom};
    viewport()->update();
}

void CImageEditWnd::GetViewRect(RECT* rect) const {
    if (rect)
        *rect = objectRect_;
}

void CImageEditWnd::SetChessboard(int square, COLORREF colour1, COLORREF colour2) {
    square_ = square;
    chessColour1_ = colour1;
    chessColour2_ = colour2;
    invalidatePictures();
    viewport()->update();
}

void CImageEditWnd::SetShowTransparency(bool on) {
    showTransparency_ = on;
    invalidatePictures();
    viewport()->update();
}

void CImageEditWnd::ImageChanged() {
    invalidatePictures();
    viewport()->update();
}

void CImageEditWnd::SetBackgroundColour(COLORREF colour) {
    background_ = colour;
    viewport()->update();
}

void CImageEditWnd::SetTransparentIndex(int index, bool redraw) {
    if (!source_)
        return;
    KpxTransparentEntry entry{};
    entry.blue = index;
    entry.mode = 1;
    KPXSetImageTransparent(source_, &entry, 1);
    transparentIndex_ = index;
    currentColour_ = KPXGetColorFromPalette(source_, index);
    invalidatePictures();
    if (redraw)
        viewport()->update();
}

void CImageEditWnd::invalidatePictures() {
    picturesValid_ = false;
}

// The chessboard under the image, made by the library at the work image's size.
const QImage& CImageEditWnd::chessboard() {
    if (!picturesValid_) {
        chessboard_ = QImage();
        sourcePicture_ = QImage();
        picturesValid_ = true;
    }
    if (chessboard_.isNull() && workSize_.cx > 0 && workSize_.cy > 0) {
        const KpxHandle work = KPXCreateImage(workSize_.cx, workSize_.cy, 24);
        KPXFillImageByChessBoard(work, square_, square_, 0, 0, chessColour1_, chessColour2_);
        chessboard_ = KpxImageToQImage(work, false).convertToFormat(QImage::Format_RGB32);
        KPXDeleteImage(work);
    }
    return chessboard_;
}

// The source as a picture: with its transparency as alpha when it has one and it is shown.
const QImage& CImageEditWnd::sourcePicture() {
    chessboard();
    if (sourcePicture_.isNull() && source_) {
        const bool transparent = showTransparency_ && KPXIsImageTransparent(source_);
        sourcePicture_ = KpxImageToQImage(source_, transparent);
    }
    return sourcePicture_;
}

// The work image: the chessboard, the source in its rectangle, and the overlay in the object.
QImage CImageEditWnd::composeWork() {
    QImage work = chessboard();
    if (work.isNull())
        return work;
    QPainter painter(&work);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QImage& picture = sourcePicture();
    if (!picture.isNull())
        painter.drawImage(toQRect(imageRect_), picture);
    if (objectFlags_ & ie::kObjectMovable)
        drawOverlay(painter);
    return work;
}

// The overlay inside the object rectangle: a larger overlay is cut to the rectangle, a smaller
// one placed in it; centred vertically, horizontally by the placement flags (left by default).
void CImageEditWnd::drawOverlay(QPainter& painter) {
    if (!overlay_)
        return;
    const bool transparent = (objectFlags_ & (ie::kOverlayTransparent | ie::kOverlayAlpha)) &&
                             KPXIsImageTransparent(overlay_);
    const QImage picture = KpxImageToQImage(overlay_, transparent);
    const int boxWidth = objectRect_.right - objectRect_.left;
    const int boxHeight = objectRect_.bottom - objectRect_.top;
    auto placeAcross = [this](int spare) {
        if (objectFlags_ & ie::kOverlayCentre)
            return spare / 2;
        if (objectFlags_ & ie::kOverlayRight)
            return spare;
        return 0;
    };
    QRect source(0, 0, std::min(picture.width(), boxWidth), std::min(picture.height(), boxHeight));
    QPoint target(objectRect_.left, objectRect_.top);
    if (picture.width() > boxWidth)
        source.moveLeft(placeAcross(picture.width() - boxWidth));
    else
        target.rx() += placeAcross(boxWidth - picture.width());
    if (picture.height() > boxHeight)
        source.moveTop((picture.height() - boxHeight) / 2);
    else
        target.ry() += (boxHeight - picture.height()) / 2;
    painter.drawImage(target, picture, source);
}

// -------------------- Layout, zoom and scrolling

RECT CImageEditWnd::layout() const {
    return ie::LayoutImage(workSize_.cx, workSize_.cy, zoom_, viewport()->width(),
                           viewport()->height());
}

int CImageEditWnd::ShownZoom() const {
    return ie::ShownZoom(zoom_, layout(), workSize_.cx);
}

void CImageEditWnd::updateScrollBars() {
    const RECT laid = layout();
    const int width = viewport()->width();
    const int height = viewport()->height();
    horizontalScrollBar()->setRange(0, ie::ScrollLimit(laid.right - laid.left, width));
    horizontalScrollBar()->setPageStep(width);
    verticalScrollBar()->setRange(0, ie::ScrollLimit(laid.bottom - laid.top, height));
    verticalScrollBar()->setPageStep(height);
}

POINT CImageEditWnd::ScrollPosition() const {
    return POINT{horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CImageEditWnd::ScrollTo(int x, int y) {
    if (workSize_.cx <= 0)
        return;
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

int CImageEditWnd::SetZoom(int percent) {
    if (percent != -1)
        zoomStep_ = ie::ZoomStep(percent);
    zoom_ = zoomStep_;
    updateScrollBars();
    viewport()->update();
    return zoom_;
}

void CImageEditWnd::ZoomTo(int percent) {
    if (workSize_.cx <= 0)
        return;
    const POINT fixed =
        isUnset(dragRect_)
            ? POINT{viewport()->width() / 2, viewport()->height() / 2}
            : POINT{(dragRect_.left + dragRect_.right) / 2, (dragRect_.top + dragRect_.bottom) / 2};
    const POINT before = WindowToImage(fixed);
    const int zoom = SetZoom(percent);
    const POINT after = WindowToImage(fixed);
    const POINT scroll = ScrollPosition();
    ScrollTo(scroll.x + (before.x - after.x) * zoom / 100,
             scroll.y + (before.y - after.y) * zoom / 100);
}

void CImageEditWnd::ZoomOut() {
    const RECT laid = layout();
    if (laid.right - laid.left > 1 && laid.bottom - laid.top > 1)
        ZoomTo(ShownZoom() / 2);
}

void CImageEditWnd::ZoomToRect() {
    if (workSize_.cx <= 0)
        return;
    RECT image;
    GetImageClientRect(&image);
    ZoomTo(
        ie::ZoomForDrag(dragRect_, image, ShownZoom(), viewport()->width(), viewport()->height()));
}

void CImageEditWnd::GetImageClientRect(RECT* rect) const {
    if (!rect)
        return;
    const RECT laid = layout();
    const POINT scroll = ScrollPosition();
    *rect = RECT{laid.left - scroll.x, laid.top - scroll.y, laid.right - scroll.x,
                 laid.bottom - scroll.y};
}

POINT CImageEditWnd::WindowToImage(POINT client) const {
    return ie::WindowToImage(client, ScrollPosition(), layout(), workSize_.cx, workSize_.cy);
}

RECT CImageEditWnd::WindowRectToImage(const RECT& client) const {
    const POINT a = WindowToImage(POINT{client.left, client.top});
    const POINT b = WindowToImage(POINT{client.right, client.bottom});
    return RECT{a.x, a.y, b.x, b.y};
}

void CImageEditWnd::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    backBuffer_ = QImage();
}

void CImageEditWnd::scrollContentsBy(int, int) {
    viewport()->update();
}

// -------------------- Painting

void CImageEditWnd::paintEvent(QPaintEvent*) {
    const QSize size = viewport()->size();
    if (backBuffer_.size() != size)
        backBuffer_ = QImage(size, QImage::Format_RGB32);
    if (backBuffer_.isNull())
        return;
    {
        QPainter painter(&backBuffer_);
        painter.fillRect(backBuffer_.rect(), ToQColor(background_));
        const QImage work = source_ ? composeWork() : QImage();
        if (!work.isNull()) {
            RECT image;
            GetImageClientRect(&image);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter.drawImage(toQRect(image), work);
            if (objectFlags_ & ie::kObjectMovable)
                drawObjectFrame(painter, image);
        }
        drawBand(painter);
    }
    QPainter(viewport()).drawImage(0, 0, backBuffer_);
}

// A dotted frame around the object, grey under black, inside the image area.
void CImageEditWnd::drawObjectFrame(QPainter& painter, const RECT& imageArea) {
    const POINT scroll = ScrollPosition();
    const RECT laid = layout();
    const POINT topLeft = ie::ImageToWindow(POINT{objectRect_.left, objectRect_.top}, scroll, laid,
                                            workSize_.cx, workSize_.cy);
    const POINT bottomRight = ie::ImageToWindow(POINT{objectRect_.right, objectRect_.bottom},
                                                scroll, laid, workSize_.cx, workSize_.cy);
    const QRect frame(QPoint(topLeft.x, topLeft.y), QPoint(bottomRight.x - 1, bottomRight.y - 1));
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(kFrameGrey), 1, Qt::SolidLine));
    painter.drawRect(frame);
    painter.setClipRect(toQRect(imageArea));
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(frame);
    painter.restore();
}

// The rubber band of a selection running, inverting what lies under it.
void CImageEditWnd::drawBand(QPainter& painter) {
    if (!selecting_)
        return;
    const int tool = tool_ & ~(kCursorVariantA | kCursorVariantB);
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    const QRect band = toQRect(normalised(dragRect_)).adjusted(0, 0, 1, 1);
    const bool shift = QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
    if (tool == kToolRectangle || tool == kToolPickArea || (tool == kToolZoom && !shift)) {
        painter.drawRect(band.adjusted(0, 0, -1, -1));
    } else if (tool == kToolEllipse) {
        painter.drawEllipse(band.adjusted(0, 0, -1, -1));
    } else if (tool == kToolFreehand) {
        const auto& points = freehand_.Points();
        for (std::size_t i = 1; i < points.size(); ++i)
            painter.drawLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    }
    painter.restore();
}

// -------------------- Mouse tools

void CImageEditWnd::SetTool(int tool) {
    tool_ = tool;
    updateCursor(toPoint(viewport()->mapFromGlobal(QCursor::pos())),
                 QGuiApplication::keyboardModifiers());
}

void CImageEditWnd::mousePressEvent(QMouseEvent* event) {
    const POINT point = toPoint(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        const int tool = tool_ & ~(kCursorVariantA | kCursorVariantB);
        if (tool == kToolZoom || tool == kToolZoomOut)
            showZoomMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || selecting_ || dragging_)
        return;
    if (tool_ == kToolMove && (objectFlags_ & ie::kObjectMovable)) {
        if (HitTestHandles(point, true))
            dragging_ = true;
        return;
    }
    beginSelection(point, event->modifiers());
}

void CImageEditWnd::beginSelection(POINT point, Qt::KeyboardModifiers modifiers) {
    selecting_ = true;
    dragStart_ = point;
    dragRect_ = RECT{point.x, point.y, point.x, point.y};
    if (tool_ == kToolFreehand) {
        freehand_.Clear();
        if (!freehand_.Append(point)) {
            stopStroke();
            return;
        }
    }
    if (tool_ == kToolZoom && (modifiers & Qt::ShiftModifier))
        ZoomOut();
    viewport()->update();
}

void CImageEditWnd::mouseMoveEvent(QMouseEvent* event) {
    const POINT point = toPoint(event->position().toPoint());
    updateCursor(point, event->modifiers());
    if (dragging_) {
        dragObjectTo(point);
        return;
    }
    if (!selecting_)
        return;
    dragRect_.right = point.x;
    dragRect_.bottom = point.y;
    if (tool_ == kToolFreehand && !freehand_.Append(point)) {
        stopStroke();
        return;
    }
    viewport()->update();
}

// The freehand buffer cannot grow: the stroke ends here with the points it has; the window and
// the work in it stay as they are.
void CImageEditWnd::stopStroke() {
    selecting_ = false;
    dragStart_ = POINT{-1, -1};
    viewport()->update();
}

void CImageEditWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const POINT point = toPoint(event->position().toPoint());
    if (dragging_) {
        dragging_ = false;
        hit_ = ie::kHitNone;
        return;
    }
    if (selecting_)
        endSelection(point, event->modifiers());
}

void CImageEditWnd::endSelection(POINT point, Qt::KeyboardModifiers modifiers) {
    selecting_ = false;
    dragRect_.right = point.x;
    dragRect_.bottom = point.y;
    viewport()->update();
    if (tool_ == kToolZoom && !(modifiers & Qt::ShiftModifier))
        ZoomToRect();
    else if ((tool_ & ~(kCursorVariantA | kCursorVariantB)) == kToolPick)
        currentColour_ = PickColor(source_, point.x, point.y, point.x, point.y);
    else if (tool_ == kToolPickArea)
        currentColour_ = PickColor(source_, dragStart_.x, dragStart_.y, point.x, point.y);
    dragStart_ = POINT{-1, -1};
}

int CImageEditWnd::HitTestHandles(POINT client, bool set) {
    if (workSize_.cx <= 0)
        return ie::kHitNone;
    const POINT scroll = ScrollPosition();
    const RECT laid = layout();
    const POINT topLeft = ie::ImageToWindow(POINT{objectRect_.left, objectRect_.top}, scroll, laid,
                                            workSize_.cx, workSize_.cy);
    const POINT bottomRight = ie::ImageToWindow(POINT{objectRect_.right, objectRect_.bottom},
                                                scroll, laid, workSize_.cx, workSize_.cy);
    const int hit = ie::HitTestObject(RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y},
                                      client, objectFlags_ & ie::kObjectResizable);
    if (set && hit) {
        hit_ = hit;
        const POINT p = WindowToImage(client);
        grab_ = RECT{p.x - objectRect_.left, p.y - objectRect_.top, objectRect_.right - p.x,
                     objectRect_.bottom - p.y};
    }
    return hit;
}

bool CImageEditWnd::IsPointInObject(int x, int y) const {
    const POINT p = WindowToImage(POINT{x, y});
    return p.x >= objectRect_.left && p.x < objectRect_.right && p.y >= objectRect_.top &&
           p.y < objectRect_.bottom;
}

bool CImageEditWnd::IsCursorInObject() const {
    const QPoint cursor = viewport()->mapFromGlobal(QCursor::pos());
    return IsPointInObject(cursor.x(), cursor.y());
}

void CImageEditWnd::dragObjectTo(POINT client) {
    objectRect_ = ie::DragObject(objectRect_, WindowToImage(client), hit_, grab_, objectFlags_,
                                 workSize_.cx, workSize_.cy, false);
    viewport()->update();
}

// Arrow keys move the object's corner while the mouse holds the object.
void CImageEditWnd::moveObjectBy(int dx, int dy) {
    if (!(hit_ & ie::kHitMove))
        return;
    objectRect_ =
        ie::DragObject(objectRect_, POINT{objectRect_.left + dx, objectRect_.top + dy},
                       ie::kHitMove, grab_, objectFlags_, workSize_.cx, workSize_.cy, true);
    viewport()->update();
}

void CImageEditWnd::updateCursor(POINT client, Qt::KeyboardModifiers modifiers) {
    if (menuOpen_ || !viewport()->rect().contains(client.x, client.y)) {
        viewport()->setCursor(Qt::ArrowCursor);
        return;
    }
    const bool shift = modifiers & Qt::ShiftModifier;
    const int tool = tool_ & ~(kCursorVariantA | kCursorVariantB);
    QCursor cursor(Qt::ArrowCursor);
    if (tool == kToolZoomOut || (tool == kToolZoom && shift))
        cursor = ResourceCursor(kfm5res::kCursorZoomOut, QPoint(7, 7), Qt::CrossCursor);
    else if (tool == kToolZoom)
        cursor = ResourceCursor(kfm5res::kCursorZoomIn, QPoint(7, 7), Qt::CrossCursor);
    else if (tool == kToolRectangle || tool == kToolEllipse)
        cursor = ResourceCursor(kfm5res::kCursorSelect, QPoint(8, 8), Qt::CrossCursor);
    else if (tool == kToolPick)
        cursor = ResourceCursor(kfm5res::kCursorPick, QPoint(1, 20), Qt::CrossCursor);
    else if (tool == kToolMove)
        cursor = QCursor(handleShape(dragging_ ? hit_ : HitTestHandles(client, false)));
    if (tool_ & kCursorVariantA)
        cursor = ResourceCursor(kfm5res::kCursorPickVariantA, QPoint(1, 20), Qt::CrossCursor);
    if (tool_ & kCursorVariantB)
        cursor = ResourceCursor(kfm5res::kCursorPickVariantB, QPoint(1, 20), Qt::CrossCursor);
    viewport()->setCursor(cursor);
}

// -------------------- Colours under the pointer

RECT CImageEditWnd::sourceRectOf(const RECT& client) const {
    const RECT work = normalised(WindowRectToImage(client));
    const int width = std::max<int>(imageRect_.right - imageRect_.left, 1);
    const int height = std::max<int>(imageRect_.bottom - imageRect_.top, 1);
    const int sourceWidth = KPXWidth(source_);
    const int sourceHeight = KPXHeight(source_);
    auto across = [&](int x) { return (x - imageRect_.left) * sourceWidth / width; };
    auto down = [&](int y) { return (y - imageRect_.top) * sourceHeight / height; };
    return RECT{across(work.left), down(work.top), across(work.right), down(work.bottom)};
}

int CImageEditWnd::GetColorIndexAt(KpxHandle image, int x, int y) const {
    if (!image)
        return -1;
    const RECT r = sourceRectOf(RECT{x, y, x, y});
    return paletteIndexAt(image, r.left, r.top);
}

COLORREF CImageEditWnd::PickColor(KpxHandle image, int x1, int y1, int x2, int y2) const {
    if (!image)
        return kNoColour;
    const RECT r = sourceRectOf(RECT{x1, y1, x2, y2});
    const QImage picture = KpxImageToQImage(image, false);
    const QRect area =
        QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)).intersected(picture.rect());
    if (area.isEmpty())
        return 0xFFFFFFFFu;
    long long red = 0, green = 0, blue = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = picture.pixel(x, y);
            red += qRed(c);
            green += qGreen(c);
            blue += qBlue(c);
        }
    const long long n = static_cast<long long>(area.width()) * area.height();
    return RGB(static_cast<BYTE>(red / n), static_cast<BYTE>(green / n),
               static_cast<BYTE>(blue / n));
}

// -------------------- Context menu and keys

std::unique_ptr<QMenu> CImageEditWnd::CreateZoomMenu() {
    auto menu = LoadPopupMenu(kfm5res::kMenuImageEdit, 0, this);
    if (!menu)
        return menu;
    const ie::ZoomMenuState state = ie::ZoomMenu(ShownZoom());
    if (QAction* a = FindMenuCommand(*menu, kfm5res::ID_VIEW_ZOOM_ACTUAL))
        a->setEnabled(state.actualSize);
    if (QAction* a = FindMenuCommand(*menu, kfm5res::ID_VIEW_ZOOM_OUT))
        a->setEnabled(state.zoomOut);
    if (QAction* a = FindMenuCommand(*menu, kfm5res::ID_VIEW_ZOOM_IN))
        a->setEnabled(state.zoomIn);
    return menu;
}

void CImageEditWnd::OnZoomCommand(UINT id) {
    switch (id) {
    case kfm5res::ID_VIEW_ZOOM_ACTUAL:
        ZoomTo(100);
        break;
    case kfm5res::ID_VIEW_ZOOM_OUT:
        ZoomTo(ShownZoom() / 2);
        break;
    case kfm5res::ID_VIEW_ZOOM_IN:
        ZoomTo(ShownZoom() * 2);
        break;
    default:
        break;
    }
}

void CImageEditWnd::showZoomMenu(const QPoint& global) {
    const auto menu = CreateZoomMenu();
    if (!menu)
        return;
    menuOpen_ = true;
    const QAction* chosen = menu->exec(global);
    menuOpen_ = false;
    if (chosen)
        OnZoomCommand(MenuCommandOf(chosen));
}

void CImageEditWnd::tellParent(bool accept) {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
            accept ? dialog->accept() : dialog->reject();
            return;
        }
        if (auto* target = dynamic_cast<MessageTarget*>(w)) {
            SendMessageTo(target, WM_COMMAND, accept ? IDOK : IDCANCEL, 0);
            return;
        }
    }
}

void CImageEditWnd::keyPressEvent(QKeyEvent* event) {
    const int step = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        moveObjectBy(-step, 0);
        break;
    case Qt::Key_Right:
        moveObjectBy(step, 0);
        break;
    case Qt::Key_Up:
        moveObjectBy(0, -step);
        break;
    case Qt::Key_Down:
        moveObjectBy(0, step);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        tellParent(true);
        break;
    case Qt::Key_Escape:
        tellParent(false);
        break;
    case Qt::Key_Shift:
        updateCursor(toPoint(viewport()->mapFromGlobal(QCursor::pos())), event->modifiers());
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CImageEditWnd::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Shift)
        updateCursor(toPoint(viewport()->mapFromGlobal(QCursor::pos())), event->modifiers());
    QAbstractScrollArea::keyReleaseEvent(event);
}

} // namespace kfm::ui
