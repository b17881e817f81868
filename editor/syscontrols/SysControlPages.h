#pragma once
// The pages of the system-control dialog's sheet, one per type in the type list's order. A page
// is made when it is first shown and is handed the preview (and, where it needs it, the dialog)
// as explicit pointers. The dialog reaches a page only through the hooks of CSysControlPage;
// a type without options of its own shows the empty page.

#include "SysControlSettings.h"
#include "framework/ResourceDialog.h"

namespace kfm::syscontrols {

class CDlgSysControl;
class CSysControlWnd;

class CSysControlPage : public kfm::ui::ResourcePage {
    Q_OBJECT
public:
    CSysControlPage(QWidget* parent, UINT templateId);

    // What the dialog calls when the type changes: the values its page fields hold go into the
    // settings of the outgoing type, the incoming type's values into its page fields (with the
    // page's auto-apply suspended around both).
    virtual void StorePageValues(SysControlSettings& settings) {}
    virtual void LoadPageValues(const SysControlSettings& settings) {}
    virtual void SuspendAutoApply() {}
    virtual void ResumeAutoApply() {}
    // The page's own enabled states (the edit box's up-down fields, the list box's column width).
    virtual void UpdateEnabling() {}
    // The date and time of the settings into the date-time page's picker.
    virtual void UpdateDateTime(const SysControlSettings& settings) {}
    // The tab page's hot and highlighted fields take 1..count.
    virtual void UpdateTabItemRanges(int count) {}
};

// The page of the spin and IP address types: nothing to set.
class CDlgSCPageEmpty : public CSysControlPage {
    Q_OBJECT
public:
    explicit CDlgSCPageEmpty(QWidget* parent);
};

// The template of a type's page (10621 to 10638, 10652); 10626, the empty page's, for the rest.
UINT PageTemplateOfType(int type);

// Makes the page of a type.
CSysControlPage* CreateSysControlPage(int type, QWidget* parent, CSysControlWnd* preview,
                                      CDlgSysControl* dialog);

} // namespace kfm::syscontrols
