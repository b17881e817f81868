#include "SmallControls.h"

#include "Bitra5Qt.h"
#include "ColourTexts.h"
#include "ControlDrawing.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace kfm::ui {

namespace sh = kfm::shell;

namespace {

// A RECT (right and bottom exclusive) as a QRect.
QRect toQRect(const RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void drawOutline(QPainter& painter, const QRect& rect, const QColor& colour) {
    Draw3dRect(painter, rect, colour, colour);
}

QPixmap greyed(const QPixmap& picture, const QWidget& widget) {
    QStyleOption option;
    option.initFrom(&widget);
    return widget.style()->generatedIconPixmap(QIcon::Disabled, picture, &option);
}

} // namespace

// -------------------- CImageStatic

CImageStatic::CImageStatic(QWidget* parent) : QWidget(parent) {}

bool CImageStatic::CreateImageList(UINT bitmapId, int imageWidth, COLORREF maskColour) {
    image_ = QPixmap();
    const QPixmap strip = ResourcePixmap(bitmapId);
    if (strip.isNull() || imageWidth <= 0)
        return false;
    image_ = strip.copy(0, 0, std::min(imageWidth, strip.width()), strip.height());
    image_.setMask(image_.createMaskFromColor(ToQColor(maskColour)));
    update();
    return true;
}

void CImageStatic::paintEvent(QPaintEvent*) {
    if (image_.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, image_);
}

// -------------------- CColorButton

CColorButton::CColorButton(QWidget* parent)
    : QAbstractButton(parent), colour_(ToColorRef(FaceColour(palette()))) {
    setFocusPolicy(Qt::StrongFocus);
    setTipText(FromCodePage1252(
        sh::PaletteColourText(ResourceText(kfm5res::IDS_PALETTE_COLOUR_TIP), 0, colour_)));
    SetHandCursor(true);
}

void CColorButton::SetPaletteColor(COLORREF colour, int index) {
    colour_ = colour;
    paletteIndex_ = static_cast<std::uint8_t>(index);
    setTipText(FromCodePage1252(sh::PaletteColourText(ResourceText(kfm5res::IDS_PALETTE_COLOUR_TIP),
                                                      paletteIndex_, colour)));
    update();
}

void CColorButton::SetColor(COLORREF colour) {
    colour_ = colour;
    setTipText(FromCodePage1252(sh::ColourText(ResourceText(kfm5res::IDS_COLOUR_TIP), colour)));
    update();
}

void CColorButton::EnableToolTip(bool on) {
    tipOn_ = on;
    setToolTip(tipOn_ ? tipText_ : QString());
}

void CColorButton::SetHandCursor(bool on) {
    clickable_ = on;
    if (clickable_)
        setCursor(ResourceCursor(kfm5res::kCursorPick, QPoint(1, 20), Qt::PointingHandCursor));
    else
        unsetCursor();
}

void CColorButton::SetDrawStyle(int style) {
    drawStyle_ = style;
    update();
}

void CColorButton::SetBlackFrame(bool on) {
    blackFrame_ = on;
    update();
}

QSize CColorButton::sizeHint() const {
    return QSize(40, 22);
}

void CColorButton::setTipText(const QString& text) {
    tipText_ = text;
    if (tipOn_)
        setToolTip(tipText_);
}

void CColorButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !clickable_) {
        event->ignore();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void CColorButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (drawStyle_ == 1)
        drawFlat(painter);
    else
        drawRaised(painter);
}

void CColorButton::drawRaised(QPainter& painter) const {
    const QPalette& p = palette();
    const QRect all = rect();
    if (isDown()) {
        painter.fillRect(all, ToQColor(colour_));
        drawOutline(painter, all, ShadowColour(p));
        return;
    }
    painter.fillRect(all, FaceColour(p));
    if (isEnabled())
        painter.fillRect(all.adjusted(1, 1, -1, -1), ToQColor(colour_));
    Draw3dRect(painter, all, HighlightColour(p), DarkShadowColour(p));
    const QRect inner = all.adjusted(1, 1, -1, -1);
    painter.fillRect(inner.right(), inner.top(), 1, inner.height(), ShadowColour(p));
    painter.fillRect(inner.left(), inner.bottom(), inner.width(), 1, ShadowColour(p));
}

void CColorButton::drawFlat(QPainter& painter) const {
    const QRect all = rect();
    painter.fillRect(all, ToQColor(colour_));
    if (blackFrame_)
        drawOutline(painter, all, Qt::black);
    else
        Draw3dRect(painter, all, ShadowColour(palette()), HighlightColour(palette()));
}

// -------------------- CCornerControl

CCornerControl::CCornerControl(QWidget* parent)
    : QAbstractButton(parent), mark_(ResourcePixmap(kfm5res::kIconCornerMark)) {
    if (!mark_.isNull())
        mark_ = mark_.scaled(10, 10);
}

void CCornerControl::SetType(int sides) {
    type_ = sides;
    update();
}

void CCornerControl::SetType(bool left, bool top, bool right, bool bottom) {
    SetType((left ? sh::kSideLeft : 0) | (top ? sh::kSideTop : 0) | (right ? sh::kSideRight : 0) |
            (bottom ? sh::kSideBottom : 0));
}

void CCornerControl::EnableMark(int side, bool on) {
    enabledMarks_ = on ? (enabledMarks_ | side) : (enabledMarks_ & ~side);
    if (side == sh::kSideLeft || side == sh::kSideTop || side == sh::kSideRight ||
        side == sh::kSideBottom)
        update(toQRect(sh::CornerMarkRect(sh::CornerGeometryFor(width(), height()), side)));
}

void CCornerControl::EnableMark(bool left, bool top, bool right, bool bottom) {
    enabledMarks_ = (left ? sh::kSideLeft : 0) | (top ? sh::kSideTop : 0) |
                    (right ? sh::kSideRight : 0) | (bottom ? sh::kSideBottom : 0);
    update();
}

QSize CCornerControl::sizeHint() const {
    return QSize(60, 60);
}

void CCornerControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        toggleMarkAt(event->position().toPoint());
    QAbstractButton::mousePressEvent(event);
}

void CCornerControl::toggleMarkAt(const QPoint& point) {
    const int side = sh::CornerMarkAt(sh::CornerGeometryFor(width(), height()), enabledMarks_,
                                      point.x(), point.y());
    if (side == 0)
        return;
    type_ ^= side;
    update();
}

void CCornerControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& p = palette();
    const sh::CornerGeometry g = sh::CornerGeometryFor(width(), height());
    painter.fillRect(rect(), FaceColour(p));
    const QRect frame(QPoint(g.innerLeft + 5, g.innerTop + 5),
                      QPoint(g.innerRight - 6, g.innerBottom - 6));
    drawOutline(painter, frame, isEnabled() ? QColor(Qt::black) : ShadowColour(p));
    for (const int side : {sh::kSideLeft, sh::kSideTop, sh::kSideRight, sh::kSideBottom})
        drawMark(painter, g, side);
}

void CCornerControl::drawMark(QPainter& painter, const sh::CornerGeometry& g, int side) const {
    const QPalette& p = palette();
    const bool markOn = (enabledMarks_ & side) != 0 && isEnabled();
    const QRect square = toQRect(sh::CornerMarkRect(g, side));
    painter.fillRect(square, markOn ? QColor(Qt::white) : FaceColour(p));
    drawOutline(painter, square, markOn ? QColor(Qt::black) : ShadowColour(p));
    if ((type_ & side) == 0 || mark_.isNull())
        return;
    const POINT centre = sh::CornerMarkCentre(g, side);
    painter.drawPixmap(centre.x - 5, centre.y - 5, markOn ? mark_ : greyed(mark_, *this));
}

// -------------------- CImagePreview

CImagePreview::CImagePreview(QWidget* parent) : QWidget(parent) {}

CImagePreview::~CImagePreview() {
    KPXDeleteImage(image_);
}

void CImagePreview::SetImage(KpxHandle image) {
    if (image != image_)
        KPXDeleteImage(image_);
    image_ = image;
    update();
}

void CImagePreview::SetTransparent(bool on) {
    transparent_ = on;
    update();
}

void CImagePreview::SetStretch(bool on) {
    stretch_ = on;
    update();
}

void CImagePreview::SetFrame(bool on) {
    frame_ = on;
    update();
}

QRect CImagePreview::imageTarget() const {
    const QRect area = frame_ ? rect().adjusted(1, 1, -1, -1) : rect();
    if (stretch_)
        return area;
    QRect target(0, 0, KPXWidth(image_), KPXHeight(image_));
    target.moveCenter(area.center());
    return target;
}

void CImagePreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor face = FaceColour(palette());
    painter.fillRect(rect(), face);
    if (frame_)
        drawOutline(painter, rect(), Qt::black);
    if (image_ == 0)
        return;
    drawImage(painter, imageTarget());
}

void CImagePreview::drawImage(QPainter& painter, const QRect& target) const {
    const QRect clip = rect();
    const auto blit = [&](DWORD rop) {
        KPXStretchBlt(painter, target.left(), target.top(), target.right() + 1, target.bottom() + 1,
                      image_, clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1, 2, rop);
    };
    if (!transparent_) {
        blit(SRCCOPY);
        return;
    }
    if (KPXIsImageTransparent(image_) == 0) {
        blit(SRCAND);
        return;
    }
    // The transparent pixels show the face colour.
    const QImage picture = KpxImageToQImage(image_, true);
    painter.drawImage(target, picture);
}

void CImagePreview::closeParent() {
    if (closeOnClick_ && parentWidget() != nullptr)
        QMetaObject::invokeMethod(parentWidget(), "close", Qt::QueuedConnection);
}

void CImagePreview::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        closeParent();
    QWidget::mousePressEvent(event);
}

void CImagePreview::keyPressEvent(QKeyEvent* event) {
    closeParent();
    QWidget::keyPressEvent(event);
}

// -------------------- CColorSwatch

CColorSwatch::CColorSwatch(QWidget* parent) : QWidget(parent) {}

void CColorSwatch::SetColor(COLORREF colour) {
    colour_ = colour;
    update();
}

void CColorSwatch::SetFrame(bool on) {
    frame_ = on;
    update();
}

void CColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(colour_));
    if (frame_)
        drawOutline(painter, rect(), Qt::black);
}

} // namespace kfm::ui
