#include "ButtonControls.h"

#include "ClassicDrawing.h"
#include "ControlDrawing.h"
#include "gdi/SystemLook.h"

#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionButton>

namespace kfm::syscontrols {

namespace {

// Space between a mark and its text.
constexpr int kMarkGap = 4;

// Clicks fall through to the preview, so the live button is never pressed by the mouse.
void letClicksThrough(QWidget* button) {
    button->setAttribute(Qt::WA_TransparentForMouseEvents);
    button->setFocusPolicy(Qt::NoFocus);
}

Qt::Alignment alignmentOf(int align) {
    switch (align) {
    case 1:
        return Qt::AlignHCenter;
    case 2:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

// The classic check mark: seven columns of three pixels, down then up.
void drawCheckMark(QPainter& painter, const QRect& box, const QColor& colour) {
    QPolygon lines(14);
    int x = box.x() + 3;
    int y = box.y() + 5;
    for (int i = 0; i < 3; ++i, ++x, ++y) {
        lines.setPoint(2 * i, x, y);
        lines.setPoint(2 * i + 1, x, y + 2);
    }
    y -= 2;
    for (int i = 3; i < 7; ++i, ++x, --y) {
        lines.setPoint(2 * i, x, y);
        lines.setPoint(2 * i + 1, x, y + 2);
    }
    painter.setPen(colour);
    painter.drawLines(lines);
}

void drawFlatMark(QPainter& painter, const QRect& box, bool radio, bool checked, bool enabled) {
    const QColor fill = SysColour(enabled ? COLOR_WINDOW : COLOR_3DFACE);
    const QColor ink = SysColour(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    const QColor frame = SysColour(COLOR_3DSHADOW);
    if (!radio) {
        painter.fillRect(box, fill);
        kfm::ui::Draw3dRect(painter, box, frame, frame);
        if (checked)
            drawCheckMark(painter, box, ink);
        return;
    }
    painter.setPen(frame);
    painter.setBrush(fill);
    painter.drawEllipse(box.adjusted(0, 0, -1, -1));
    if (checked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawEllipse(QRect(box.center() - QPoint(2, 2), QSize(5, 5)));
    }
    painter.setBrush(Qt::NoBrush);
}

void drawStyledMark(QPainter& painter, const QWidget& button, const QRect& box, bool radio,
                    bool checked) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = box;
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver | QStyle::State_Sunken);
    option.state |= checked ? QStyle::State_On : QStyle::State_Off;
    button.style()->drawPrimitive(radio ? QStyle::PE_IndicatorRadioButton
                                        : QStyle::PE_IndicatorCheckBox,
                                  &option, &painter, &button);
}

// The radio button's and check box's face: the mark centred on the height, the text beside it.
void paintMarkButton(QAbstractButton& button, const MarkButtonLook& look) {
    QPainter painter(&button);
    const QRect area = button.rect();
    const QColor face = SysColour(COLOR_3DFACE);
    painter.fillRect(area, face);
    const int boxTop = (area.height() - kMarkSide) / 2;
    const QRect box(look.leftText ? area.width() - kMarkSide : 0, boxTop, kMarkSide, kMarkSide);
    if (look.flat)
        drawFlatMark(painter, box, look.radio, button.isChecked(), button.isEnabled());
    else
        drawStyledMark(painter, button, box, look.radio, button.isChecked());
    const int textWidth = std::max(0, area.width() - kMarkSide - kMarkGap);
    const QRect textArea(look.leftText ? 0 : kMarkSide + kMarkGap, 0, textWidth, area.height());
    const int flags =
        Qt::AlignLeft | Qt::AlignVCenter | (look.multiline ? Qt::TextWordWrap : Qt::TextSingleLine);
    painter.setFont(button.font());
    DrawControlLabel(painter, textArea, flags, button.text(), false, button.isEnabled());
    if (look.focus && !button.text().isEmpty()) {
        const QRect bounds =
            ControlTextBounds(button.font(), textArea, flags, button.text(), false);
        DrawFocusMark(painter, bounds.adjusted(-1, 0, 1, 0).intersected(area), face);
    }
}

MarkButtonLook markLook(const ControlLook& look, bool radio) {
    return {radio, look.leftText, look.flat, look.multiline, look.focus};
}

} // namespace

CSysControlButton::CSysControlButton(const ControlLook& look, QWidget* parent)
    : QPushButton(ShownText(look.text), parent), pushed_(look.pushed), default_(look.isDefault),
      flat_(look.flat), multiline_(look.multiline), focus_(look.focus) {
    letClicksThrough(this);
    setAutoDefault(false);
}

void CSysControlButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    const QColor face = SysColour(COLOR_3DFACE);
    painter.fillRect(area, face);
    if (flat_) {
        const QColor frame = SysColour(COLOR_WINDOWFRAME);
        kfm::ui::Draw3dRect(painter, area, frame, frame);
        if (default_)
            kfm::ui::Draw3dRect(painter, area.adjusted(1, 1, -1, -1), frame, frame);
    } else {
        QStyleOptionButton option;
        initStyleOption(&option);
        option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver | QStyle::State_Sunken |
                          QStyle::State_On | QStyle::State_Raised);
        option.state |= pushed_ ? QStyle::State_Sunken : QStyle::State_Raised;
        option.features = default_ ? QStyleOptionButton::DefaultButton : QStyleOptionButton::None;
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    }
    const int inset = default_ ? 4 : 3;
    QRect textArea = area.adjusted(inset, inset, -inset, -inset);
    if (pushed_)
        textArea.translate(1, 1);
    const int flags = Qt::AlignCenter | (multiline_ ? Qt::TextWordWrap : Qt::TextSingleLine);
    painter.setFont(font());
    DrawControlLabel(painter, textArea, flags, text(), false, isEnabled());
    if (focus_)
        DrawFocusMark(painter, area.adjusted(inset, inset, -inset, -inset), face);
}

CSysControlRadioButton::CSysControlRadioButton(const ControlLook& look, QWidget* parent)
    : QRadioButton(ShownText(look.text), parent), look_(markLook(look, true)) {
    letClicksThrough(this);
    setAutoExclusive(false);
    setChecked(look.checked);
}

void CSysControlRadioButton::paintEvent(QPaintEvent*) {
    paintMarkButton(*this, look_);
}

CSysControlCheckBox::CSysControlCheckBox(const ControlLook& look, QWidget* parent)
    : QCheckBox(ShownText(look.text), parent), look_(markLook(look, false)) {
    letClicksThrough(this);
    setChecked(look.checked);
}

void CSysControlCheckBox::paintEvent(QPaintEvent*) {
    paintMarkButton(*this, look_);
}

CSysControlGroupBox::CSysControlGroupBox(const ControlLook& look, QWidget* parent)
    : QGroupBox(ShownText(look.text), parent) {
    letClicksThrough(this);
    setAlignment(alignmentOf(look.align));
    setFlat(look.flat);
}

} // namespace kfm::syscontrols
