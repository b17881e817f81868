#include "TextControls.h"

#include "ClassicDrawing.h"
#include "ControlDrawing.h"
#include "NumEdit.h"
#include "gdi/SystemLook.h"

#include <QPainter>
#include <QResizeEvent>
#include <QTextOption>

namespace kfm::syscontrols {

namespace {

Qt::Alignment horizontalOf(int align) {
    switch (align) {
    case 1:
        return Qt::AlignHCenter;
    case 2:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

// The half-sunken edge a static control draws inside itself.
QRect drawSunkenLine(QPainter& painter, const QRect& area) {
    kfm::ui::Draw3dRect(painter, area, SysColour(COLOR_3DSHADOW), SysColour(COLOR_3DHILIGHT));
    return area.adjusted(1, 1, -1, -1);
}

Qt::ScrollBarPolicy barPolicy(bool shown) {
    return shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
}

} // namespace

LeftScrollBar::LeftScrollBar(QAbstractScrollArea* area, Qt::ScrollBarPolicy policy,
                             std::function<void(int left)> setMargin)
    : QScrollBar(Qt::Vertical, area), area_(area), policy_(policy),
      setMargin_(std::move(setMargin)) {
    QScrollBar* own = area->verticalScrollBar();
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(own, &QScrollBar::rangeChanged, this, [this](int, int) { follow(); });
    connect(own, &QScrollBar::valueChanged, this, &QScrollBar::setValue);
    connect(this, &QScrollBar::valueChanged, own, &QScrollBar::setValue);
    follow();
}

void LeftScrollBar::follow() {
    const QScrollBar* own = area_->verticalScrollBar();
    setRange(own->minimum(), own->maximum());
    setPageStep(own->pageStep());
    setSingleStep(own->singleStep());
    setValue(own->value());
    const bool needed = own->maximum() > own->minimum();
    const bool shown =
        policy_ == Qt::ScrollBarAlwaysOn || (policy_ == Qt::ScrollBarAsNeeded && needed);
    setEnabled(needed && area_->isEnabled());
    setVisible(shown);
    setMargin_(shown ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    Place();
}

void LeftScrollBar::Place() {
    const QRect inside = area_->contentsRect();
    const QScrollBar* across = area_->horizontalScrollBar();
    const int below = across && across->isVisible() ? across->height() : 0;
    setGeometry(inside.left(), inside.top(), GetSystemMetrics(SM_CXVSCROLL),
                inside.height() - below);
}

CSysControlStatic::CSysControlStatic(const ControlLook& look, QWidget* parent)
    : QLabel(ShownText(look.text), parent), align_(look.align),
      centreVertically_(look.centreVertically), noPrefix_(look.noPrefix), noWrap_(look.noWrap),
      sunken_(look.sunken) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CSysControlStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = rect();
    painter.fillRect(area, SysColour(COLOR_3DFACE));
    if (sunken_)
        area = drawSunkenLine(painter, area);
    int flags = Qt::TextExpandTabs;
    if (noWrap_) {
        // Left-aligned and cut at the right edge.
        flags |= Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    } else if (centreVertically_) {
        flags |= horizontalOf(align_) | Qt::AlignVCenter | Qt::TextSingleLine;
    } else {
        flags |= horizontalOf(align_) | Qt::AlignTop | Qt::TextWordWrap;
    }
    painter.setFont(font());
    painter.setClipRect(area);
    DrawControlLabel(painter, area, flags, text(), noPrefix_, isEnabled());
}

CSysControlIcon::CSysControlIcon(const ControlLook& look, const QPixmap& icon, QWidget* parent)
    : QLabel(parent), icon_(icon), centre_(look.centreVertically), sunken_(look.sunken) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CSysControlIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = rect();
    if (sunken_)
        area = drawSunkenLine(painter, area);
    if (icon_.isNull())
        return;
    painter.setClipRect(area);
    const QSize size = icon_.deviceIndependentSize().toSize();
    const QPoint at = centre_ ? area.center() - QPoint(size.width() / 2 - 1, size.height() / 2 - 1)
                              : area.topLeft();
    painter.drawPixmap(at, icon_);
}

CSysControlEdit::CSysControlEdit(const ControlLook& look, QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAlignment(horizontalOf(look.align) | Qt::AlignVCenter);
    setText(ShownText(look.text));
    setCursorPosition(0);
    setAutoFillBackground(true);
}

CSysControlMultiEdit::CSysControlMultiEdit(const ControlLook& look, QWidget* parent)
    : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(barPolicy(look.hScroll));
    setVerticalScrollBarPolicy(barPolicy(look.vScroll));
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(horizontalOf(look.align));
    document()->setDefaultTextOption(option);
    document()->setDocumentMargin(1);
    // A box of one line keeps its text on one line.
    QString text = ShownText(look.text);
    if (!look.multiline)
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    setPlainText(text);
    if (look.vScroll && look.leftScrollBar)
        left_ = new LeftScrollBar(this, Qt::ScrollBarAlwaysOn,
                                  [this](int margin) { setViewportMargins(margin, 0, 0, 0); });
    setAutoFillBackground(true);
}

void CSysControlMultiEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (left_)
        left_->Place();
}

kfm::ui::CUpDown* MakeUpDown(bool horizontal, QWidget* parent) {
    auto* upDown = new kfm::ui::CUpDown(parent);
    upDown->SetOrientation(horizontal ? Qt::Horizontal : Qt::Vertical);
    upDown->SetRange32(-32767, 32767);
    return upDown;
}

} // namespace kfm::syscontrols
