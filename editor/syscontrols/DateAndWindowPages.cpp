#include "DateAndWindowPages.h"

#include "ClassicDrawing.h"
#include "ControlItems.h"
#include "DateControls.h"
#include "DlgIconChooser.h"
#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "ResourceAccess.h"
#include "SysControlWnd.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

namespace kfm::syscontrols {

namespace {

namespace w = word;
using namespace kfm5res;

constexpr int kMinYear = 1601;
constexpr int kMaxYear = 9999;
constexpr int kDateFormats = 3;
constexpr int kTimeFormat = 2;

QString controlText(const kfm::ui::DialogKit& kit, int id) {
    return kit.text(kScPageTextBase + static_cast<UINT>(id));
}

// A stored date held to a real one: year 1601..9999, month 1..12, a day of that month.
QDate heldDate(int year, int month, int day) {
    const int y = std::clamp(year, kMinYear, kMaxYear);
    const int m = std::clamp(month, 1, 12);
    const int d = std::clamp(day, 1, QDate(y, m, 1).daysInMonth());
    return QDate(y, m, d);
}

QTime heldTime(int hour, int minute, int second) {
    return QTime(std::clamp(hour, 0, 23), std::clamp(minute, 0, 59), std::clamp(second, 0, 59));
}

void addRow(QFormLayout* form, const kfm::ui::DialogKit& kit, int id, QWidget* field) {
    auto* label = new QLabel(controlText(kit, id), field->parentWidget());
    label->setBuddy(field);
    form->addRow(label, field);
}

} // namespace

// -------------------- Date-time picker

CDlgSCPageDateTime::CDlgSCPageDateTime(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10623, preview) {
    picker_ = kit().add(kPicker, new QDateTimeEdit(this));
    addRow(form(), kit(), kPicker, picker_);
    connect(picker_, &QDateTimeEdit::dateTimeChanged, this, [this] { OnDateTimeChange(); });
    addList(kFormat, w::DTFormat, {IDS_SCP_SHORT_DATE, IDS_SCP_LONG_DATE, IDS_SCP_TIME});
    addCheck(kShowNone, w::DTShowNone);
    addCheck(kUpDown, w::DTUpDown);
    initPage();
}

void CDlgSCPageDateTime::SetControls(const SysControlSettings& s) {
    CSysControlPage::SetControls(s);
    RecreatePicker(s);
}

void CDlgSCPageDateTime::RecreatePicker(const SysControlSettings& s) {
    // One picker serves every format: only its display format changes.
    const QSignalBlocker quiet(picker_);
    const int format = s[w::DTFormat];
    if (format >= 0 && format < kDateFormats)
        picker_->setDisplayFormat(PickerFormat(format));
    UpdateDateTime(s);
}

void CDlgSCPageDateTime::UpdateDateTime(const SysControlSettings& s) {
    const QSignalBlocker quiet(picker_);
    picker_->setDateTime(QDateTime(heldDate(s[w::DTYear], s[w::DTMonth], s[w::DTDay]),
                                   heldTime(s[w::DTHour], s[w::DTMinute], s[w::DTSecond])));
}

void CDlgSCPageDateTime::followUp(int id, const SysControlSettings& s) {
    if (id == kFormat)
        RecreatePicker(s);
}

void CDlgSCPageDateTime::OnDateTimeChange() {
    SysControlSettings s = currentSettings();
    const QDateTime value = picker_->dateTime();
    const int format = s[w::DTFormat];
    if (format == 0 || format == 1) {
        s[w::DTYear] = value.date().year();
        s[w::DTMonth] = value.date().month();
        s[w::DTDay] = value.date().day();
    } else if (format == kTimeFormat) {
        s[w::DTHour] = value.time().hour();
        s[w::DTMinute] = value.time().minute();
        s[w::DTSecond] = value.time().second();
    }
    commit(s);
}

// -------------------- Month calendar

CDlgSCPageMonthCalendar::CDlgSCPageMonthCalendar(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10631, preview) {
    today_ = kit().add(kToday, new QDateEdit(this));
    today_->setDisplayFormat(PickerFormat(0));
    addRow(form(), kit(), kToday, today_);
    connect(today_, &QDateEdit::dateChanged, this, [this] { OnDateChange(); });
    addCheck(kDayState, w::MCDayState);
    addCheck(kNoTodayCircle, w::MCNoTodayCircle);
    addCheck(kNoToday, w::MCNoToday);
    addCheck(kWeekNumbers, w::MCWeekNumbers);
    initPage();
}

void CDlgSCPageMonthCalendar::SetControls(const SysControlSettings& s) {
    CSysControlPage::SetControls(s);
    const QSignalBlocker quiet(today_);
    today_->setDate(heldDate(s[w::MCYear], s[w::MCMonth], s[w::MCDay]));
}

void CDlgSCPageMonthCalendar::OnDateChange() {
    SysControlSettings s = currentSettings();
    const QDate date = today_->date();
    s[w::MCYear] = date.year();
    s[w::MCMonth] = date.month();
    s[w::MCDay] = date.day();
    commit(s);
}

// -------------------- Dialog

CDlgSCPageDialog::CDlgSCPageDialog(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10624, preview) {
    addCheck(kCaption, w::DlgCaption);
    addCheck(kSysMenu, w::DlgSysMenu);
    addCheck(kMinimizeBox, w::DlgMinimizeBox);
    addCheck(kMaximizeBox, w::DlgMaximizeBox);
    addCheck(kContextHelp, w::DlgContextHelp);
    addCheck(kToolWindow, w::DlgToolWindow);
    addCheck(kRTLLayout, w::DlgRTLLayout);
    initPage();
}

// -------------------- Message box

CDlgSCPageMessageBox::CDlgSCPageMessageBox(QWidget* parent, CSysControlWnd* preview,
                                           SysControlPageHost* dialog)
    : CSysControlPage(parent, 10630, preview, dialog) {
    // The message the box shows (the record's caption text; its title is the dialog's text).
    message_ = kit().add(kMessage, new kfm::ui::CNumEdit(this));
    message_->SetMode(kfm::shell::NumEditLogic::Text);
    message_->setMaxLength(static_cast<int>(kMaxRecordText));
    message_->SetNotifyWindow(this);
    addRow(form(), kit(), kMessage, message_);
    addList(kButtons, w::MBButtons,
            {IDS_SCP_BUTTON_SET_FIRST, IDS_SCP_BUTTON_SET_FIRST + 1, IDS_SCP_BUTTON_SET_FIRST + 2,
             IDS_SCP_BUTTON_SET_FIRST + 3, IDS_SCP_BUTTON_SET_FIRST + 4,
             IDS_SCP_BUTTON_SET_FIRST + 5});
    addList(kIcon, w::MBIcon,
            {IDS_SCP_ICON_FIRST, IDS_SCP_ICON_FIRST + 1, IDS_SCP_ICON_FIRST + 2,
             IDS_SCP_ICON_FIRST + 3});
    for (int number = 0; number < 3; ++number) {
        auto* radio = kit().add(kDefaultFirst + number,
                                new QRadioButton(controlText(kit(), kDefaultFirst + number), this));
        // The page sets them itself: none is set for a default button outside 0..2.
        radio->setAutoExclusive(false);
        checkColumn()->addWidget(radio);
        connect(radio, &QRadioButton::clicked, this, [this, number] { OnDefaultButton(number); });
        defaults_.push_back(radio);
    }
    initPage();
    message_->SetAutoApply(true);
}

void CDlgSCPageMessageBox::SetControls(const SysControlSettings& s) {
    CSysControlPage::SetControls(s);
    for (std::size_t number = 0; number < defaults_.size(); ++number)
        defaults_[number]->setChecked(static_cast<int>(number) == s[w::MBDefButton]);
    message_->setText(ShownText(s.Caption));
}

void CDlgSCPageMessageBox::OnDefaultButton(int number) {
    for (std::size_t other = 0; other < defaults_.size(); ++other)
        defaults_[other]->setChecked(static_cast<int>(other) == number);
    SysControlSettings s = currentSettings();
    s[w::MBDefButton] = number;
    commit(s);
}

bool CDlgSCPageMessageBox::takeEdit(kfm::ui::CNumEdit* edit, SysControlSettings& s) {
    if (edit != message_)
        return false;
    s.Caption = kfm::ui::ToCodePage1252(message_->text());
    return true;
}

// -------------------- Icon

CDlgSCPageIcon::CDlgSCPageIcon(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10652, preview) {
    auto* list = kit().add(kIcon, new QComboBox(this));
    const std::vector<QPixmap>& icons = preview->IconList();
    for (int entry = 0; entry < kAnotherIcon; ++entry) {
        const QIcon icon = entry < static_cast<int>(icons.size())
                               ? QIcon(icons[static_cast<std::size_t>(entry)])
                               : QIcon();
        list->addItem(icon, kit().text(IDS_SCP_ICON_FIRST + static_cast<UINT>(entry)));
    }
    list->addItem(kit().text(IDS_SCP_ANOTHER_ICON));
    addRow(form(), kit(), kIcon, list);
    connect(list, &QComboBox::activated, this, [this] { OnIconChange(); });
    addCheck(kCenter, w::ICCenter);
    addCheck(kSunken, w::ICSunken);
    addCheck(kBorder, w::ICBorder);
    initPage();
}

void CDlgSCPageIcon::showIcon(int icon) {
    // Every chooser icon shows as the last entry.
    SelectEntry(kit().controlAs<QComboBox>(kIcon), std::min(icon, kAnotherIcon));
}

void CDlgSCPageIcon::SetControls(const SysControlSettings& s) {
    CSysControlPage::SetControls(s);
    showIcon(s[w::ICType]);
}

void CDlgSCPageIcon::OnIconChange() {
    SysControlSettings s = currentSettings();
    const int previous = s[w::ICType];
    const int selection = kit().controlAs<QComboBox>(kIcon)->currentIndex();
    s[w::ICType] = selection;
    if (selection >= kAnotherIcon) {
        CDlgIconChooser chooser(this, preview()->IconList());
        if (chooser.exec() == QDialog::Accepted && chooser.GetSelectedIcon() >= 0)
            s[w::ICType] = chooser.GetSelectedIcon() + CDlgIconChooser::kFirstListedIcon;
        else
            s[w::ICType] = previous;
    }
    commit(s);
    showIcon(currentSettings()[w::ICType]);
    updateData(false);
}

} // namespace kfm::syscontrols
