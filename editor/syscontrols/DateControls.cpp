#include "DateControls.h"

#include "ClassicDrawing.h"
#include "ControlDrawing.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "gdi/SystemLook.h"

#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionButton>

namespace kfm::syscontrols {

namespace {

constexpr int kArrowWidth = 16;
constexpr int kArrowHeight = 14;
constexpr int kWeekColumn = 20;
constexpr int kSide = 4;
constexpr int kWeeks = 6;

QDateTime dateTimeOf(const ControlLook& look, const QDateTime& lastValid) {
    const QDate date =
        look.date ? QDate(look.date->year, look.date->month, look.date->day) : lastValid.date();
    const QTime time =
        look.time ? QTime(look.time->hour, look.time->minute, look.time->second) : lastValid.time();
    return QDateTime(date, time);
}

QDate dateOr(const std::optional<CalendarDate>& date, const QDate& fallback) {
    return date ? QDate(date->year, date->month, date->day) : fallback;
}

// The "none" check box of a picker: checked, since the picker holds a date.
class NoneBox : public QWidget {
public:
    explicit NoneBox(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = QRect(0, (height() - 13) / 2, 13, 13);
        option.state |= QStyle::State_On;
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
    }
};

void drawArrowButton(QPainter& painter, const QRect& button, bool left) {
    painter.fillRect(button, SysColour(COLOR_3DFACE));
    kfm::ui::Draw3dRect(painter, button, SysColour(COLOR_3DHILIGHT), SysColour(COLOR_3DDKSHADOW));
    kfm::ui::Draw3dRect(painter, button.adjusted(1, 1, -1, -1), SysColour(COLOR_3DLIGHT),
                        SysColour(COLOR_3DSHADOW));
    const QPoint c = button.center();
    QPolygon arrow;
    if (left)
        arrow << QPoint(c.x() - 2, c.y()) << QPoint(c.x() + 1, c.y() - 3)
              << QPoint(c.x() + 1, c.y() + 3);
    else
        arrow << QPoint(c.x() + 2, c.y()) << QPoint(c.x() - 1, c.y() - 3)
              << QPoint(c.x() - 1, c.y() + 3);
    painter.setPen(SysColour(COLOR_BTNTEXT));
    painter.setBrush(SysColour(COLOR_BTNTEXT));
    painter.drawPolygon(arrow);
    painter.setBrush(Qt::NoBrush);
}

} // namespace

QString PickerFormat(int format) {
    const QLocale locale;
    switch (format) {
    case 1:
        return locale.dateFormat(QLocale::LongFormat);
    case 2: {
        // The short time with the seconds.
        QString time = locale.timeFormat(QLocale::ShortFormat);
        const qsizetype minutes = time.indexOf(QLatin1String("mm"));
        if (minutes >= 0 && !time.contains(QLatin1Char('s')))
            time.insert(minutes + 2, QLatin1String(":ss"));
        return time;
    }
    default:
        return locale.dateFormat(QLocale::ShortFormat);
    }
}

CSysControlDateTime::CSysControlDateTime(const ControlLook& look, const QDateTime& lastValid,
                                         QWidget* parent)
    : QDateTimeEdit(parent), showNone_(look.showNone) {
    setDisplayFormat(PickerFormat(look.dateFormat));
    setCalendarPopup(!look.upDown);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setDateTime(dateTimeOf(look, lastValid));
    setCurrentSectionIndex(0);
    if (showNone_) {
        lineEdit()->setTextMargins(16, 0, 0, 0);
        auto* box = new NoneBox(lineEdit());
        box->setGeometry(1, 0, 14, 0);
    }
    connect(this, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& value) {
        if (!filling_ && report_)
            report_(value);
    });
    filling_ = false;
}

void CSysControlDateTime::paintEvent(QPaintEvent* event) {
    if (showNone_)
        for (QWidget* box : lineEdit()->findChildren<NoneBox*>())
            box->setGeometry(1, 0, 14, lineEdit()->height());
    QDateTimeEdit::paintEvent(event);
}

// -------------------- Month calendar

struct CSysControlMonthCalendar::Layout {
    int titleHeight;
    int rowHeight;
    int namesTop;
    int daysTop;
    int left;
    int columnWidth;
    int todayTop;
};

CSysControlMonthCalendar::CSysControlMonthCalendar(const ControlLook& look, const QDate& lastToday,
                                                   const QDate& lastSelected, QWidget* parent)
    : QWidget(parent), today_(dateOr(look.today, lastToday)),
      selected_(dateOr(look.selectedDate, lastSelected)), year_(selected_.year()),
      month_(selected_.month()), noTodayCircle_(look.noTodayCircle), noToday_(look.noToday),
      weekNumbers_(look.weekNumbers) {
    setAutoFillBackground(true);
}

CSysControlMonthCalendar::Layout CSysControlMonthCalendar::layout() const {
    const int fontHeight = QFontMetrics(ControlFont()).height();
    Layout l{};
    l.titleHeight = fontHeight + 10;
    l.rowHeight = fontHeight + 3;
    l.namesTop = l.titleHeight + 2;
    l.daysTop = l.namesTop + l.rowHeight + 2;
    l.left = kSide + (weekNumbers_ ? kWeekColumn : 0);
    l.columnWidth = std::max(1, (width() - l.left - kSide) / 7);
    l.todayTop = l.daysTop + kWeeks * l.rowHeight + 2;
    return l;
}

QDate CSysControlMonthCalendar::firstShown() const {
    const QDate first(year_, month_, 1);
    const int weekStart = static_cast<int>(QLocale().firstDayOfWeek());
    int back = (first.dayOfWeek() - weekStart + 7) % 7;
    if (back == 0)
        back = 7; // the previous month always shows at least one day
    return first.addDays(-back);
}

void CSysControlMonthCalendar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Layout l = layout();
    const QLocale locale;
    painter.fillRect(rect(), SysColour(COLOR_WINDOW));

    const QRect title(0, 0, width(), l.titleHeight);
    painter.fillRect(title, SysColour(COLOR_ACTIVECAPTION));
    const int arrowTop = (l.titleHeight - kArrowHeight) / 2;
    drawArrowButton(painter, QRect(kSide, arrowTop, kArrowWidth, kArrowHeight), true);
    drawArrowButton(
        painter, QRect(width() - kSide - kArrowWidth, arrowTop, kArrowWidth, kArrowHeight), false);
    QFont bold = kfm::gdi::ControlFont(kfm::gdi::FontWeight::Bold);
    painter.setFont(bold);
    painter.setPen(SysColour(COLOR_CAPTIONTEXT));
    painter.drawText(title, Qt::AlignCenter | Qt::TextSingleLine,
                     locale.standaloneMonthName(month_) + QLatin1Char(' ') +
                         QString::number(year_));

    painter.setFont(font());
    painter.setPen(SysColour(COLOR_ACTIVECAPTION));
    const int weekStart = static_cast<int>(QLocale().firstDayOfWeek());
    for (int column = 0; column < 7; ++column) {
        const int day = (weekStart - 1 + column) % 7 + 1;
        painter.drawText(
            QRect(l.left + column * l.columnWidth, l.namesTop, l.columnWidth, l.rowHeight),
            Qt::AlignCenter | Qt::TextSingleLine, locale.dayName(day, QLocale::ShortFormat));
    }
    painter.setPen(SysColour(COLOR_3DSHADOW));
    const int lineY = l.daysTop - 2;
    painter.drawLine(l.left, lineY, l.left + 7 * l.columnWidth - 1, lineY);
    if (weekNumbers_)
        painter.drawLine(l.left - 2, l.daysTop, l.left - 2, l.daysTop + kWeeks * l.rowHeight - 1);

    QDate day = firstShown();
    for (int week = 0; week < kWeeks; ++week) {
        const int y = l.daysTop + week * l.rowHeight;
        if (weekNumbers_) {
            painter.setPen(SysColour(COLOR_ACTIVECAPTION));
            painter.drawText(QRect(kSide, y, kWeekColumn - 4, l.rowHeight),
                             Qt::AlignCenter | Qt::TextSingleLine,
                             QString::number(day.addDays(3).weekNumber()));
        }
        for (int column = 0; column < 7; ++column, day = day.addDays(1)) {
            const QRect cell(l.left + column * l.columnWidth, y, l.columnWidth, l.rowHeight);
            const bool inMonth = day.month() == month_;
            QColor ink = SysColour(inMonth ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
            if (day == selected_ && inMonth) {
                painter.fillRect(cell.adjusted(1, 0, -1, 0), SysColour(COLOR_ACTIVECAPTION));
                ink = SysColour(COLOR_CAPTIONTEXT);
            }
            painter.setPen(ink);
            painter.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine,
                             QString::number(day.day()));
            if (day == today_ && !noTodayCircle_) {
                painter.setPen(QColor(255, 0, 0));
                painter.drawEllipse(cell.adjusted(0, -1, -1, 0));
            }
        }
    }

    if (!noToday_) {
        const QRect line(kSide, l.todayTop, width() - 2 * kSide, l.rowHeight);
        int x = line.left();
        if (!noTodayCircle_) {
            painter.setPen(QColor(255, 0, 0));
            painter.drawEllipse(QRect(x, line.top() + 1, 18, line.height() - 3));
            x += 22;
        }
        painter.setFont(bold);
        painter.setPen(SysColour(COLOR_WINDOWTEXT));
        painter.drawText(QRect(x, line.top(), line.right() - x, line.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         kfm::ui::ResourceString(kfm5res::IDS_SC_TODAY) + QLatin1Char(' ') +
                             locale.toString(today_, QLocale::ShortFormat));
    }
}

void CSysControlMonthCalendar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const Layout l = layout();
    const int arrowTop = (l.titleHeight - kArrowHeight) / 2;
    auto showMonth = [this](int offset) {
        const QDate first = QDate(year_, month_, 1).addMonths(offset);
        year_ = first.year();
        month_ = first.month();
        update();
    };
    if (QRect(kSide, arrowTop, kArrowWidth, kArrowHeight).contains(at)) {
        showMonth(-1);
        return;
    }
    if (QRect(width() - kSide - kArrowWidth, arrowTop, kArrowWidth, kArrowHeight).contains(at)) {
        showMonth(1);
        return;
    }
    if (at.y() < l.daysTop || at.y() >= l.daysTop + kWeeks * l.rowHeight || at.x() < l.left)
        return;
    const int column = (at.x() - l.left) / l.columnWidth;
    if (column >= 7)
        return;
    const int week = (at.y() - l.daysTop) / l.rowHeight;
    selected_ = firstShown().addDays(week * 7 + column);
    year_ = selected_.year();
    month_ = selected_.month();
    update();
}

} // namespace kfm::syscontrols
