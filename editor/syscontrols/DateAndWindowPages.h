#pragma once
// The pages of the date-time picker, month calendar, dialog window, message box and icon.

#include <vector>

#include "SysControlPages.h"

class QDateEdit;
class QDateTimeEdit;
class QRadioButton;

namespace kfm::syscontrols {

// Date-time picker: the page's own picker edits the date or the time, by the format.
class CDlgSCPageDateTime : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int { kPicker = 10283, kFormat = 10284, kShowNone = 10286, kUpDown = 10287 };
    CDlgSCPageDateTime(QWidget* parent, CSysControlWnd* preview);

    // The picker shows the format of DTFormat (another value keeps its format) and the
    // settings' date and time, held to valid ranges.
    void RecreatePicker(const SysControlSettings& settings);
    void UpdateDateTime(const SysControlSettings& settings) override;

protected:
    void SetControls(const SysControlSettings& settings) override;
    void followUp(int id, const SysControlSettings& settings) override;

private:
    void OnDateTimeChange();

    QDateTimeEdit* picker_ = nullptr;
};

// Month calendar: the date the calendar shows as today, and four flags.
class CDlgSCPageMonthCalendar : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kToday = 10336,
        kDayState = 10333,
        kNoTodayCircle = 10335,
        kNoToday = 10334,
        kWeekNumbers = 10337,
    };
    CDlgSCPageMonthCalendar(QWidget* parent, CSysControlWnd* preview);

protected:
    void SetControls(const SysControlSettings& settings) override;

private:
    void OnDateChange();

    QDateEdit* today_ = nullptr;
};

class CDlgSCPageDialog : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kCaption = 10275,
        kSysMenu = 10280,
        kMinimizeBox = 10278,
        kMaximizeBox = 10277,
        kContextHelp = 10276,
        kToolWindow = 10281,
        kRTLLayout = 10279,
    };
    CDlgSCPageDialog(QWidget* parent, CSysControlWnd* preview);
};

// Message box: the message text, the button set, the icon and the default button.
class CDlgSCPageMessageBox : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kMessage = 10332,
        kButtons = 10327,
        kIcon = 10331,
        kDefaultFirst = 10328, // to 10330
    };
    CDlgSCPageMessageBox(QWidget* parent, CSysControlWnd* preview, SysControlPageHost* dialog);

protected:
    void SetControls(const SysControlSettings& settings) override;
    bool takeEdit(kfm::ui::CNumEdit* edit, SysControlSettings& settings) override;

private:
    void OnDefaultButton(int number);

    kfm::ui::CNumEdit* message_ = nullptr;
    std::vector<QRadioButton*> defaults_;
};

// Icon: one of the four system icons or, through the icon chooser, another one.
class CDlgSCPageIcon : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int { kIcon = 10530, kCenter = 10527, kSunken = 10528, kBorder = 10529 };
    // The entry of the list that opens the chooser.
    static constexpr int kAnotherIcon = 4;

    CDlgSCPageIcon(QWidget* parent, CSysControlWnd* preview);

protected:
    void SetControls(const SysControlSettings& settings) override;

private:
    void OnIconChange();
    void showIcon(int icon);
};

} // namespace kfm::syscontrols
