#pragma once
// The live controls of a position in a range: the scroll bar (its thumb as large as the page),
// the progress bar and the slider, which paints the classic channel, thumb, end ticks and
// selection that Qt's slider lacks.

#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>

#include "ControlLook.h"

namespace kfm::syscontrols {

class CSysControlScrollBar : public QScrollBar {
public:
    CSysControlScrollBar(const ControlLook& look, QWidget* parent);
};

class CSysControlProgress : public QProgressBar {
public:
    CSysControlProgress(const ControlLook& look, QWidget* parent);
};

class CSysControlSlider : public QSlider {
public:
    CSysControlSlider(const ControlLook& look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Pixel of a value along the channel.
    int along(int value, int start, int length) const;

    int tickSide_;
    bool ticks_;
    bool autoTicks_;
    int frequency_;
    bool selection_;
    int selectionStart_;
    int selectionEnd_;
    bool focus_;
};

// The thumb of a slider along the channel.
inline constexpr int kSliderThumbLength = 11;

} // namespace kfm::syscontrols
