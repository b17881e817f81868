#include "SysControlPages.h"

#include "ResourceAccess.h"
#include "SysControlTypes.h"

namespace kfm::syscontrols {

namespace {

constexpr UINT kEmptyPageTemplate = 10626;

} // namespace

CSysControlPage::CSysControlPage(QWidget* parent, UINT templateId)
    : ResourcePage(parent, templateId, kfm::ui::GetResourceHandle()) {}

CDlgSCPageEmpty::CDlgSCPageEmpty(QWidget* parent) : CSysControlPage(parent, kEmptyPageTemplate) {
    setObjectName(QStringLiteral("CDlgSCPageEmpty"));
}

UINT PageTemplateOfType(int type) {
    switch (type) {
    case GroupBox:
        return 10627;
    case PushButton:
        return 10633;
    case RadioButton:
        return 10634;
    case CheckBox:
        return 10621;
    case StaticText:
        return 10636;
    case EditBox:
        return 10625;
    case ListBox:
        return 10629;
    case ComboBox:
        return 10622;
    case HScrollBar:
        return 10628;
    case VScrollBar:
        return 10638;
    case Progress:
        return 10632;
    case Slider:
        return 10635;
    case Tab:
        return 10637;
    case DateTime:
        return 10623;
    case MonthCalendar:
        return 10631;
    case Dialog:
        return 10624;
    case MessageBox:
        return 10630;
    case Icon:
        return 10652;
    default:
        return kEmptyPageTemplate;
    }
}

CSysControlPage* CreateSysControlPage(int type, QWidget* parent, CSysControlWnd* preview,
                                      CDlgSysControl* dialog) {
    // Every type shows the empty page until the pages of the types' options exist.
    (void)type;
    (void)preview;
    (void)dialog;
    return new CDlgSCPageEmpty(parent);
}

} // namespace kfm::syscontrols
