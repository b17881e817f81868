#include "SysControlPageFactory.h"

#include "ButtonPages.h"
#include "DateAndWindowPages.h"
#include "ListAndRangePages.h"
#include "SysControlTypes.h"

namespace kfm::syscontrols {

CSysControlPage* CreateSysControlPage(int type, QWidget* parent, CSysControlWnd* preview,
                                      SysControlPageHost* dialog) {
    switch (type) {
    case GroupBox:
        return new CDlgSCPageGroupBox(parent, preview);
    case PushButton:
        return new CDlgSCPagePushButton(parent, preview);
    case RadioButton:
        return new CDlgSCPageRadioButton(parent, preview, dialog);
    case CheckBox:
        return new CDlgSCPageCheckBox(parent, preview, dialog);
    case StaticText:
        return new CDlgSCPageStaticText(parent, preview);
    case EditBox:
        return new CDlgSCPageEditBox(parent, preview);
    case ListBox:
        return new CDlgSCPageListBox(parent, preview, dialog);
    case ComboBox:
        return new CDlgSCPageComboBox(parent, preview, dialog);
    case HScrollBar:
        return new CDlgSCPageHScrollBar(parent, preview);
    case VScrollBar:
        return new CDlgSCPageVScrollBar(parent, preview);
    case Progress:
        return new CDlgSCPageProgress(parent, preview);
    case Slider:
        return new CDlgSCPageSlider(parent, preview);
    case Tab:
        return new CDlgSCPageTab(parent, preview);
    case DateTime:
        return new CDlgSCPageDateTime(parent, preview);
    case MonthCalendar:
        return new CDlgSCPageMonthCalendar(parent, preview);
    case Dialog:
        return new CDlgSCPageDialog(parent, preview);
    case MessageBox:
        return new CDlgSCPageMessageBox(parent, preview, dialog);
    case Icon:
        return new CDlgSCPageIcon(parent, preview);
    default:
        return new CDlgSCPageEmpty(parent, preview);
    }
}

} // namespace kfm::syscontrols
