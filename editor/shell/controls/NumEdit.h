#pragma once
// The edit field that dialogs and pages use for numbers (and a few texts): it keeps the value in
// its range and tells once that the value was committed, when the user presses Enter, leaves the
// field, or (with auto-apply) stops typing for a second. The up-down control beside it steps
// the number in its buddy field.

#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include "MessageTarget.h"
#include "NumEditLogic.h"

class QToolButton;

namespace kfm::ui {

class CNumEdit : public QLineEdit {
    Q_OBJECT
public:
    // Sent to the notify window with lParam = the field when the value was committed.
    static constexpr UINT WM_NUMEDIT_CHANGED = WM_USER + 204;

    explicit CNumEdit(QWidget* parent = nullptr);

    void SetMode(kfm::shell::NumEditLogic::Mode mode) { logic_.SetMode(mode); }
    // Returns the previous flag.
    bool SetAutoApply(bool on) { return logic_.SetAutoApply(on); }
    void SuspendAutoApply() { logic_.SuspendAutoApply(); }
    bool ResumeAutoApply() { return logic_.ResumeAutoApply(); }
    void SetRange(int minimum, int maximum);
    void GetRange(int* minimum, int* maximum) const;
    // The text's number (read up to the text limit); SetValue writes a number as the text.
    int GetValue() const;
    void SetValue(int value);
    void Validate(bool rewrite);
    const kfm::shell::NumEditLogic& Logic() const { return logic_; }

    // The window that gets WM_NUMEDIT_CHANGED; by default the nearest ancestor that takes
    // messages.
    void SetNotifyWindow(MessageTarget* window) { notifyWindow_ = window; }

signals:
    void committed(kfm::ui::CNumEdit* edit);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    kfm::shell::NumEditField field() const;
    void takeField(const kfm::shell::NumEditField& field);
    void carryOut(const kfm::shell::NumEditActions& actions);
    MessageTarget* notifyWindow() const;

    kfm::shell::NumEditLogic logic_;
    QTimer timer_;
    bool settingText_ = false;
    MessageTarget* notifyWindow_ = nullptr;
};

// The up-down control: a range and a position, stepped by its two arrow buttons; with a buddy
// field the position is written into the field and read back from it. The buttons stand one
// above the other, or side by side in the horizontal form (the right one steps up).
class CUpDown : public QWidget {
public:
    explicit CUpDown(QWidget* parent = nullptr);

    void SetBuddy(CNumEdit* buddy) { buddy_ = buddy; }
    CNumEdit* Buddy() const { return buddy_; }
    // Either bound may be the larger one; the up arrow steps towards the maximum.
    void SetRange32(int minimum, int maximum);
    void SetPos(int position);
    // The buddy's number held to the range, or the stored position without a buddy.
    int GetPos() const;
    void StepBy(int steps);
    // Lays the two buttons out in that direction, each filling half of the control.
    void SetOrientation(Qt::Orientation orientation);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

private:
    int clampToRange(int value) const;

    CNumEdit* buddy_ = nullptr;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace kfm::ui
