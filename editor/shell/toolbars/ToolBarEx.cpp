#include "ToolBarEx.h"

#include "CommandRouter.h"
#include "Kfm5ResourceIds.h"
#include "ResourceWidgets.h"

#include <QActionEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>

namespace kfm::ui {

namespace {

// Leaves room for the double gripper: the bars and 4 (horizontal) or 6 (vertical) pixels.
class GripperStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_ToolBarHandleExtent) {
            const auto* bar = qobject_cast<const QToolBar*>(widget);
            const bool vertical = bar && bar->orientation() == Qt::Vertical;
            return CToolBarEx::kGripperWidth +
                   (vertical ? CToolBarEx::kVerticalOffset : CToolBarEx::kHorizontalOffset);
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// A 3-D rectangle's edge: topLeft colour on the top and left, bottomRight on the others.
void draw3dRect(QPainter& painter, const QRect& r, const QColor& topLeft,
                const QColor& bottomRight) {
    painter.fillRect(r.left(), r.top(), r.width() - 1, 1, topLeft);
    painter.fillRect(r.left(), r.top(), 1, r.height() - 1, topLeft);
    painter.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
}

void drawFrame(QPainter& painter, const QRect& r, const QColor& colour) {
    draw3dRect(painter, r, colour, colour);
}

QImage iconImage(const QAction* action, const QSize& size, QIcon::Mode mode) {
    return action->icon().pixmap(size, 1.0, mode).toImage();
}

} // namespace

CToolBarEx::CToolBarEx(const QString& title, QWidget* parent, UINT barId)
    : QToolBar(title, parent), barId_(barId), style_(std::make_unique<GripperStyle>()) {
    setStyle(style_.get());
    setMouseTracking(true);
    colours_ = ColoursFrom(palette());
    hotTimer_.setInterval(kHotTimerMilliseconds);
    connect(&hotTimer_, &QTimer::timeout, this, &CToolBarEx::onHotTimer);
}

CToolBarEx::~CToolBarEx() {
    // The buttons go with the base class; they must not reach the filter of a bar half gone.
    for (QAction* action : actions())
        if (QWidget* button = widgetForAction(action))
            button->removeEventFilter(this);
}

ToolBarColours CToolBarEx::ColoursFrom(const QPalette& palette) {
    ToolBarColours colours;
    colours.face = palette.color(QPalette::Button);
    colours.highlight = palette.color(QPalette::Light);
    colours.shadow = palette.color(QPalette::Dark);
    const QColor light = palette.color(QPalette::Midlight);
    colours.light = light == colours.face ? colours.highlight : light;
    return colours;
}

QImage CToolBarEx::EmbossDisabled(const QImage& picture, const QColor& face,
                                  const QColor& highlight, const QColor& shadow) {
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    QImage result(source.width() + 1, source.height() + 1, QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    const QRgb faceRgb = face.rgb() | 0xFF000000u;
    const QRgb highlightRgb = highlight.rgb() | 0xFF000000u;
    auto marked = [&](int x, int y) {
        const QRgb pixel = source.pixel(x, y);
        if (qAlpha(pixel) < 128)
            return false;
        const QRgb opaque = pixel | 0xFF000000u;
        return opaque != faceRgb && opaque != highlightRgb;
    };
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if (marked(x, y))
                result.setPixel(x + 1, y + 1, highlightRgb);
    const QRgb shadowRgb = shadow.rgb() | 0xFF000000u;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if (marked(x, y))
                result.setPixel(x, y, shadowRgb);
    return result;
}

void CToolBarEx::SetFlat(bool flat) {
    flat_ = flat;
    update();
}

int CToolBarEx::indexOfWidget(const QObject* widget) const {
    const QList<QAction*> all = actions();
    for (int i = 0; i < all.size(); ++i)
        if (widgetForAction(all[i]) == widget)
            return i;
    return -1;
}

CToolBarEx::ButtonState CToolBarEx::stateOf(const QAction* action) const {
    return {action->isEnabled(), action->isChecked(), action->isVisible(),
            action->icon().cacheKey()};
}

void CToolBarEx::invalidateButton(int index) {
    const QList<QAction*> all = actions();
    if (index < 0 || index >= all.size())
        return;
    if (QWidget* button = widgetForAction(all[index]))
        update(button->geometry());
}

void CToolBarEx::setHot(int index) {
    if (index == hot_)
        return;
    const int old = hot_;
    hot_ = index;
    invalidateButton(old);
    invalidateButton(hot_);
    hotTimer_.start();
}

void CToolBarEx::onHotTimer() {
    if (isVisible() && rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    invalidateButton(hot_);
    hot_ = -1;
    hotTimer_.stop();
}

void CToolBarEx::OnUpdateCmdUI(const std::function<void()>& update) {
    if (!flat_) {
        update();
        return;
    }
    const QList<QAction*> all = actions();
    std::vector<ButtonState> before;
    before.reserve(static_cast<std::size_t>(all.size()));
    for (const QAction* action : all)
        before.push_back(stateOf(action));
    update();
    const QList<QAction*> after = actions();
    for (int i = 0; i < after.size() && i < all.size(); ++i) {
        const ButtonState now = stateOf(after[i]);
        const ButtonState& was = before[static_cast<std::size_t>(i)];
        if (now.enabled != was.enabled || now.checked != was.checked ||
            now.visible != was.visible || now.icon != was.icon)
            invalidateButton(i);
    }
}

void CToolBarEx::actionEvent(QActionEvent* event) {
    QToolBar::actionEvent(event);
    if (event->type() == QEvent::ActionAdded)
        if (QWidget* button = widgetForAction(event->action())) {
            button->installEventFilter(this);
            button->setMouseTracking(true);
        }
}

void CToolBarEx::changeEvent(QEvent* event) {
    // The system colours changed: the four colours again, by the same rule.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        colours_ = ColoursFrom(palette());
        update();
    }
    QToolBar::changeEvent(event);
}

void CToolBarEx::mouseMoveEvent(QMouseEvent* event) {
    // Between the buttons no button is hot.
    if (flat_)
        setHot(-1);
    QToolBar::mouseMoveEvent(event);
}

bool CToolBarEx::eventFilter(QObject* watched, QEvent* event) {
    if (!flat_)
        return QToolBar::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint:
        // The bar paints its buttons itself, under them.
        return true;
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::HoverEnter:
    case QEvent::HoverMove: {
        const int index = indexOfWidget(watched);
        const QList<QAction*> all = actions();
        const bool usable = index >= 0 && !all[index]->isSeparator() && all[index]->isEnabled();
        setHot(usable ? index : -1);
        break;
    }
    default:
        break;
    }
    return QToolBar::eventFilter(watched, event);
}

void CToolBarEx::paintEvent(QPaintEvent* event) {
    if (!flat_) {
        QToolBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(event->rect(), colours_.face);
    if (isMovable() && !isFloating())
        drawGripper(painter);

    ToolBarCustomDraw pre;
    pre.drawStage = CDDS_PREPAINT;
    pre.painter = &painter;
    pre.barId = barId_;
    const LRESULT answer = owner_ ? owner_(pre) : CDRF_DODEFAULT;

    for (QAction* action : actions()) {
        QWidget* button = widgetForAction(action);
        if (!button || !button->isVisible())
            continue;
        if (!event->rect().intersects(button->geometry()))
            continue;
        if (action->isSeparator()) {
            drawSeparator(painter, button->geometry());
            continue;
        }
        drawButton(painter, action, button, answer);
    }

    if (owner_ && (answer & CDRF_NOTIFYPOSTPAINT)) {
        ToolBarCustomDraw post = pre;
        post.drawStage = CDDS_POSTPAINT;
        owner_(post);
    }
}

void CToolBarEx::drawGripper(QPainter& painter) const {
    // Two raised bars, 3 pixels thick, inset 4 pixels from the bar's edges.
    constexpr int kInset = 4;
    constexpr int kStart = 2;
    for (const int step : {0, 3}) {
        const QRect bar = orientation() == Qt::Horizontal
                              ? QRect(kStart + step, kInset, 3, height() - 2 * kInset)
                              : QRect(kInset, kStart + step, width() - 2 * kInset, 3);
        draw3dRect(painter, bar, colours_.highlight, colours_.shadow);
    }
}

void CToolBarEx::drawSeparator(QPainter& painter, const QRect& r) const {
    constexpr int kEtchedUpTo = 9;
    if (orientation() == Qt::Horizontal && r.width() < kEtchedUpTo) {
        const int x = r.center().x();
        painter.fillRect(x - 1, r.top(), 1, r.height(), colours_.shadow);
        painter.fillRect(x, r.top(), 1, r.height(), colours_.highlight);
    } else if (orientation() == Qt::Vertical && r.height() < kEtchedUpTo) {
        const int y = r.center().y();
        painter.fillRect(r.left(), y - 1, r.width(), 1, colours_.shadow);
        painter.fillRect(r.left(), y, r.width(), 1, colours_.highlight);
    }
}

void CToolBarEx::drawButton(QPainter& painter, QAction* action, QWidget* widget,
                            LRESULT paintAnswer) {
    const QRect r = widget->geometry();
    const auto* toolButton = qobject_cast<QToolButton*>(widget);
    const bool down = action->isChecked() || (toolButton && toolButton->isDown());
    const bool enabled = action->isEnabled();
    const bool hot = actions().indexOf(action) == hot_;

    ToolBarCustomDraw item;
    item.painter = &painter;
    item.barId = barId_;
    item.itemSpec = CommandRouter::IdOf(action);
    item.rect = r;
    item.itemState = (enabled ? 0 : CDIS_DISABLED) | (down ? CDIS_CHECKED : 0);
    LRESULT itemAnswer = CDRF_DODEFAULT;
    if (owner_ && (paintAnswer & CDRF_NOTIFYITEMDRAW)) {
        item.drawStage = CDDS_ITEMPREPAINT;
        itemAnswer = owner_(item);
    }

    if (!(itemAnswer & CDRF_SKIPDEFAULT)) {
        painter.fillRect(r, down && !hot ? colours_.light : colours_.face);
        if (down) {
            draw3dRect(painter, r, colours_.shadow, colours_.highlight);
            if (!hot)
                drawFrame(painter, r.adjusted(1, 1, -1, -1), colours_.face);
        } else if (enabled && hot) {
            draw3dRect(painter, r, colours_.highlight, colours_.shadow);
        } else if (enabled) {
            drawFrame(painter, r, colours_.face);
        }
        const QSize picture = iconSize();
        // With texts under the pictures the pictures start at a fixed top offset.
        const bool withText =
            toolButtonStyle() == Qt::ToolButtonTextUnderIcon && !action->iconText().isEmpty();
        const int top = withText ? kTextPictureTop : (r.height() - picture.height()) / 2;
        const QPoint shift = down ? QPoint(1, 1) : QPoint(0, 0);
        const QPoint place = r.topLeft() + QPoint((r.width() - picture.width()) / 2, top) + shift;
        if (withText) {
            const QRect line(r.left(), r.top() + top + picture.height(), r.width(),
                             r.height() - top - picture.height());
            painter.setPen(palette().color(enabled ? QPalette::Active : QPalette::Disabled,
                                           QPalette::ButtonText));
            painter.drawText(line.translated(shift),
                             Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                             action->iconText());
        }
        if (!action->icon().isNull()) {
            painter.drawImage(place, iconImage(action, picture, QIcon::Normal));
            if (!enabled) {
                if (down)
                    painter.drawImage(place, iconImage(action, picture, QIcon::Disabled));
                else
                    painter.drawImage(
                        place, EmbossDisabled(iconImage(action, picture, QIcon::Normal),
                                              colours_.face, colours_.highlight, colours_.shadow));
            }
        }
    }

    if (owner_ && (itemAnswer & CDRF_NOTIFYPOSTPAINT)) {
        item.drawStage = CDDS_ITEMPOSTPAINT;
        owner_(item);
    }
}

CMainToolBar::CMainToolBar(const QString& title, QWidget* parent, UINT barId, CommandRouter& router)
    : CToolBarEx(title, parent, barId), router_(router) {}

CMainToolBar::~CMainToolBar() = default;

void CMainToolBar::contextMenuEvent(QContextMenuEvent* event) {
    // Its commands go to the main window's router, like the View menu's.
    menu_ = LoadCommandMenu(kfm5res::kToolbarMenu, 0, router_, window());
    if (menu_) {
        router_.UpdateMenu(menu_.get());
        menu_->exec(event->globalPos());
    }
    menu_.reset();
    event->accept();
}

} // namespace kfm::ui
