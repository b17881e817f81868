#pragma once
// The live buttons: push button, radio button, check box and group box. They let every mouse
// click through to the preview under them, so a click never presses them, and they paint the
// classic looks Qt's own buttons lack: wrapped text, the pressed and default looks, flat marks,
// the text left of the mark and the focus mark.

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "ControlLook.h"

namespace kfm::syscontrols {

// The side of a radio button's or check box's mark.
inline constexpr int kMarkSide = 13;

class CSysControlButton : public QPushButton {
public:
    CSysControlButton(const ControlLook& look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool pushed_;
    bool default_;
    bool flat_;
    bool multiline_;
    bool focus_;
};

// What the radio button and the check box paint alike.
struct MarkButtonLook {
    bool radio = false;
    bool leftText = false;
    bool flat = false;
    bool multiline = false;
    bool focus = false;
};

class CSysControlRadioButton : public QRadioButton {
public:
    CSysControlRadioButton(const ControlLook& look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MarkButtonLook look_;
};

class CSysControlCheckBox : public QCheckBox {
public:
    CSysControlCheckBox(const ControlLook& look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MarkButtonLook look_;
};

class CSysControlGroupBox : public QGroupBox {
public:
    CSysControlGroupBox(const ControlLook& look, QWidget* parent);
};

} // namespace kfm::syscontrols
