#pragma once
// The live date controls: the date-time picker (short date, long date or time; a drop-down
// button or an up-down; the "none" check box) and the month calendar, drawn whole in the
// classic look (title, day names, weeks, today's circle, the selection, week numbers and the
// today line). Month and day names come from the default locale.

#include <QDate>
#include <QDateTimeEdit>
#include <QWidget>

#include <functional>

#include "ControlLook.h"

namespace kfm::syscontrols {

// The display format of a picker format 0..2 in the default locale.
QString PickerFormat(int format);

class CSysControlDateTime : public QDateTimeEdit {
public:
    // lastValid is shown when the look's date or time is impossible.
    CSysControlDateTime(const ControlLook& look, const QDateTime& lastValid, QWidget* parent);
    void OnChanged(std::function<void(const QDateTime&)> report) { report_ = std::move(report); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool showNone_;
    std::function<void(const QDateTime&)> report_;
    bool filling_ = true;
};

class CSysControlMonthCalendar : public QWidget {
public:
    CSysControlMonthCalendar(const ControlLook& look, const QDate& lastToday,
                             const QDate& lastSelected, QWidget* parent);
    QDate Today() const { return today_; }
    QDate Selected() const { return selected_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Layout;
    Layout layout() const;
    QDate firstShown() const;

    QDate today_;
    QDate selected_;
    int year_;
    int month_;
    bool noTodayCircle_;
    bool noToday_;
    bool weekNumbers_;
};

} // namespace kfm::syscontrols
