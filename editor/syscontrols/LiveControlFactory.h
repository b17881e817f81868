#pragma once
// Builds the widget of each kind of control from its look, in the classic look, inside a frame
// that draws the general edges within the control's rectangle. The result names the widget to
// place and render and the parts the preview reads back.

#include <QDate>
#include <QDateTime>
#include <QPixmap>
#include <QWidget>

#include <vector>

#include "ClassicDrawing.h"
#include "ControlLook.h"
#include "types/Win32Types.h"

class QLineEdit;
class QPlainTextEdit;

namespace kfm::ui {
class CUpDown;
}

namespace kfm::syscontrols {

class CDlgSysControlEmu;
class CSysControlComboBox;
class CSysControlDateTime;
class CSysControlListBox;
class CSysControlMonthCalendar;
class CSysControlScrollBar;
class CSysControlSlider;
class CSysControlTab;

// The frame of a control: the general edges drawn inside its rectangle, the control inside
// them. A group box and an icon draw nothing else, so their background shows through.
class LiveControlFrame : public QWidget {
public:
    LiveControlFrame(const ControlLook& look, QWidget* parent);
    // The control's place inside the edges.
    QRect Inside() const;
    void SetInner(QWidget* inner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    WindowEdges edges_;
    QWidget* inner_ = nullptr;
};

struct LiveControl {
    // What is placed and rendered; null for the types that make no control.
    QWidget* window = nullptr;
    // The control itself (inside the frame).
    QWidget* control = nullptr;
    int type = 0;
    // The height the control really takes (whole rows of a list, a combo box's parts).
    int height = 0;
    // Group box and icon: only what they draw belongs to them.
    bool transparent = false;

    CSysControlListBox* listBox = nullptr;
    CSysControlComboBox* comboBox = nullptr;
    CSysControlTab* tab = nullptr;
    CSysControlDateTime* dateTime = nullptr;
    CSysControlMonthCalendar* calendar = nullptr;
    CSysControlScrollBar* scrollBar = nullptr;
    CSysControlSlider* slider = nullptr;
    QLineEdit* lineEdit = nullptr;
    QPlainTextEdit* textEdit = nullptr;
    kfm::ui::CUpDown* upDown = nullptr;
    CDlgSysControlEmu* emulation = nullptr;
};

// What the widgets need beyond the look.
struct LiveControlContext {
    const std::vector<QPixmap>* icons = nullptr;
    // Shown where the look's date or time is impossible.
    QDateTime lastDateTime;
    QDate lastToday;
    QDate lastSelected;
    // The emulations' template: the worked one or the captured one.
    bool forCapture = false;
};

// The width of an edit box's up-down control.
int UpDownWidth(bool horizontal);

// Builds the live control of the look's type with parent as its parent, sized width x height
// (the height corrected to what the control takes); an empty result for the types that make no
// control.
LiveControl BuildLiveControl(const ControlLook& look, const LiveControlContext& context,
                             QWidget* parent);

} // namespace kfm::syscontrols
