#pragma once
// What a live control looks like, worked out from the settings alone: its kind, size, edges,
// texts, items and selection, ranges and the options of its kind. Every index the settings hold
// is checked here against what it indexes (the items, the button sets, the icons, the tabs), so
// the widgets built from a look never meet a value outside their tables.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SysControlSettings.h"
#include "SysControlTypes.h"

namespace kfm::syscontrols {

// The message-box buttons by code, as the system numbers them.
enum MessageButton : int {
    ButtonOk = 1,
    ButtonCancel = 2,
    ButtonRetryOfSet2 = 3,
    ButtonYes = 4,
    ButtonNo = 5,
    ButtonAbort = 6,
    ButtonRetry = 7,
    ButtonIgnore = 8,
};
// The buttons of a button set 0..5, left to right; none for any other number.
std::vector<int> MessageBoxButtons(std::int64_t set);
// The number of icons every control can show: the four message-box icons.
inline constexpr int kMessageBoxIconCount = 4;

struct CalendarDate {
    int year = 2000;
    int month = 1;
    int day = 1;
    bool operator==(const CalendarDate&) const = default;
};
struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const ClockTime&) const = default;
};
// A real day of the Gregorian calendar in the years a control can show (1601..9999).
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second);

struct ControlLook {
    // 0 for the types that make no control (IP address, unknown types).
    int type = 0;
    int width = 0;
    int height = 0;

    // General styles; the edges are drawn inside the control's rectangle, the outermost first:
    // modal frame, border, static edge, client edge.
    bool modalFrame = false;
    bool border = false;
    bool staticEdge = false;
    bool clientEdge = false;
    bool disabled = false;
    bool focus = false;

    std::string text;    // code page 1252
    std::string caption; // code page 1252
    std::vector<std::string> items;
    int selection = -1; // an index into items, or -1

    int align = 0; // 0 left (or top), 1 centre, 2 right
    bool flat = false;
    bool multiline = false;
    // Push button.
    bool pushed = false;
    bool isDefault = false;
    // Radio button, check box.
    bool checked = false;
    bool leftText = false;
    // Static text and icon.
    bool centreVertically = false;
    bool noPrefix = false;
    bool noWrap = false;
    bool sunken = false;
    // Edit box.
    bool hScroll = false;
    bool vScroll = false;
    bool leftScrollBar = false;
    bool spin = false;
    bool spinHorizontal = false;
    bool spinLeft = false;
    bool spinSetsNumber = false;
    bool spinNoThousands = false;
    // List box and combo box.
    bool sort = false;
    bool extendedSelection = false;
    bool multicolumn = false;
    int columnWidth = 0;
    bool disableNoScroll = false;
    bool integralHeight = true;
    int comboKind = 0; // 0 simple, 1 drop-down, 2 drop-down list
    bool showDropDown = false;
    // Scroll bar, progress, slider.
    int minimum = 0;
    int maximum = 0;
    int page = 0;
    int position = 0;
    bool vertical = false;
    int tickSide = 0; // 0 both sides, 1 above (left of) the channel, 2 below (right of) it
    bool tickMarks = false;
    bool autoTicks = false;
    int tickFrequency = 1;
    bool selectionRange = false;
    int selectionStart = 0;
    int selectionEnd = 0;
    // Tab.
    int tabAlign = 0; // 0 normal, 1 fixed width, 2 ragged right
    bool tabButtons = false;
    bool tabMultiline = false;
    bool hotTrack = false;
    bool tabsBottom = false;
    bool tabsVertical = false;
    int hotTab = -1;       // index from 0, -1 none
    int highlightTab = -1; // index from 0, -1 none
    // Date-time picker (format 0 short date, 1 long date, 2 time) and month calendar.
    int dateFormat = 0;
    bool upDown = false;
    bool showNone = false;
    std::optional<CalendarDate> date; // empty for an impossible date
    std::optional<ClockTime> time;    // empty for an impossible time
    std::optional<CalendarDate> today;
    std::optional<CalendarDate> selectedDate;
    bool dayState = false;
    bool noTodayCircle = false;
    bool noToday = false;
    bool weekNumbers = false;
    // Dialog.
    bool hasCaption = false;
    bool sysMenu = false;
    bool minimizeBox = false;
    bool maximizeBox = false;
    bool contextHelp = false;
    bool toolWindow = false;
    bool rightToLeft = false;
    // Message box (caption is the message, text the title).
    std::vector<int> buttons;
    int defaultButton = 0; // index into buttons
    int icon = -1;         // icon list index, -1 none

    bool operator==(const ControlLook&) const = default;
};

// The look of the current type (word 0) with the given items (for the list box, combo box and
// tab). iconCount is the number of icons the icon type can show.
ControlLook LookFromSettings(const SysControlSettings& settings,
                             const std::vector<std::string>& items,
                             int iconCount = kMessageBoxIconCount);

} // namespace kfm::syscontrols
