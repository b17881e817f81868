#pragma once
// The pages of the system-control dialog's sheet, one per type in the type list's order. A page
// is made when it is first shown and is handed the preview (and, where it needs it, the dialog)
// as explicit pointers. It reads the preview's settings once, when it is made, and afterwards
// writes every change of one of its controls straight into the preview's settings and rebuilds
// the live control. A type without options of its own shows the empty page.
//
// CSysControlPage carries what every page shares: its check boxes, lists and numeric fields
// registered with the settings word each one edits, the fill from the settings, and the common
// handler of each kind of control. A page class adds its controls and the rules that go beyond.

#include <QString>

#include <deque>
#include <vector>

#include "MessageTarget.h"
#include "SysControlPageHost.h"
#include "SysControlSettings.h"
#include "framework/ResourceDialog.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QVBoxLayout;

namespace kfm::ui {
class CNumEdit;
class CUpDown;
} // namespace kfm::ui

namespace kfm::syscontrols {

class CSysControlWnd;

class CSysControlPage : public kfm::ui::ResourcePage, public kfm::ui::MessageTarget {
    Q_OBJECT
public:
    CSysControlPage(QWidget* parent, UINT templateId, CSysControlWnd* preview,
                    SysControlPageHost* dialog = nullptr);

    // What the dialog calls when the type changes: the numbers the list box, scroll bar,
    // progress and slider pages hold go into the settings of the outgoing type, the incoming
    // type's numbers into its page fields (with the page's auto-apply suspended around both).
    virtual void StorePageValues(SysControlSettings& settings) {}
    virtual void LoadPageValues(const SysControlSettings& settings) {}
    void SuspendAutoApply();
    void ResumeAutoApply();
    // The page's own enabled states (the edit box's up-down fields, the list box's column width).
    virtual void UpdateEnabling() {}
    // The date and time of the settings into the date-time page's picker.
    virtual void UpdateDateTime(const SysControlSettings& settings) {}
    // The tab page's hot and highlighted fields take 1..count.
    virtual void UpdateTabItemRanges(int count) {}

    // A committed numeric or text field (WM_USER + 204, lParam the sending edit).
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    struct CheckField {
        int id = 0;
        int word = 0;
        QCheckBox* box = nullptr;
        // The box's state as last read or written (0 or 1).
        int member = 0;
    };
    struct ListField {
        int id = 0;
        int word = 0;
        QComboBox* list = nullptr;
    };
    struct NumberField {
        int editId = 0;
        int upDownId = 0;
        int word = 0;
        kfm::ui::CNumEdit* edit = nullptr;
        kfm::ui::CUpDown* upDown = nullptr;
        // The position the field showed for its word when last filled or applied.
        int shown = 0;
    };

    // Building: the page's lists and numbers stand in a form on the left, its checks in a column
    // on the right, in the order they are added.
    QCheckBox* addCheck(int id, int word);
    // labelId, when not 0, registers the field's label under that id.
    QComboBox* addList(int id, int word, std::initializer_list<UINT> entries, int labelId = 0);
    // A numeric field with its up-down; text limit, edit range and up-down range set together.
    NumberField& addNumber(int editId, int upDownId, int word, int minimum, int maximum,
                           int textLimit = 5, int labelId = 0);
    // Sets a numeric field's edit range and up-down range together.
    static void setRange(NumberField& field, int minimum, int maximum);
    // A control of the template that edits no word (a label the page enables and disables).
    QWidget* addLabel(int id);
    QFormLayout* form() const { return form_; }
    QVBoxLayout* checkColumn() const { return checkColumn_; }

    // Reads the settings and fills the page; numeric auto-apply comes on afterwards. Every page
    // class runs it once at the end of its constructor.
    void initPage();
    // Fills the controls from the settings (no handler runs).
    virtual void SetControls(const SysControlSettings& settings);
    // The page's enabling rules on the settings it was filled from.
    virtual void applyInitialEnabling(const SysControlSettings& settings) {}

    // Step 3 of a change beyond copying the one value, and step 6 (the follow-up).
    virtual void adjustChange(int id, SysControlSettings& settings) {}
    virtual void followUp(int id, const SysControlSettings& settings) {}
    // A committed edit that is no numeric field of the page (the message box's text).
    virtual bool takeEdit(kfm::ui::CNumEdit* edit, SysControlSettings& settings) { return false; }

    // Every numeric field's up-down position into its word (only where the field shows another
    // number than it was given: a stored value outside the field's range stays until the user
    // changes it), or every word into its up-down.
    void storeNumbers(SysControlSettings& settings) const;
    void loadNumbers(const SysControlSettings& settings);

    // The common handlers.
    void OnCheck(int id);
    void OnList(int id);
    void OnNumber(kfm::ui::CNumEdit* edit);
    // Writes the settings back and rebuilds the live control.
    void commit(const SysControlSettings& settings);
    // The dialog's canvas for the control's size, and the control re-placed in control view.
    void refit();

    // Reads every check box into its member, or writes every member into its box.
    void updateData(bool save);
    CheckField* checkField(int id);
    NumberField* numberField(int id);
    void enable(int id, bool on);
    SysControlSettings currentSettings() const;

    CSysControlWnd* preview() const { return preview_; }
    SysControlPageHost* dialog() const { return dialog_; }
    std::deque<NumberField>& numbers() { return numbers_; }

private:
    CSysControlWnd* preview_;
    SysControlPageHost* dialog_;
    std::vector<CheckField> checks_;
    std::vector<ListField> lists_;
    std::deque<NumberField> numbers_;
    QFormLayout* form_ = nullptr;
    QVBoxLayout* checkColumn_ = nullptr;
};

// Selects the entry of a list, or none for an index the list lacks.
void SelectEntry(QComboBox* list, int index);
// The low 16 bits of a word as an up-down position.
int UpDownPosition(int value);

// The page of the spin and IP address types: nothing to set.
class CDlgSCPageEmpty : public CSysControlPage {
    Q_OBJECT
public:
    CDlgSCPageEmpty(QWidget* parent, CSysControlWnd* preview);
};

} // namespace kfm::syscontrols
