#pragma once
// The colour-ramp editor (control 1044 of the texture dialog): the ramp drawn column by column,
// each marker a red 8 x 8 square joined to the next by a line. Inner markers can be dragged
// between their neighbours and deleted with the right button; a double click recolours a marker
// or, elsewhere, adds one (64 at most) through the colour dialog with the control's 16 custom
// colours. changed() follows every change, so the dialog redraws its preview.

#include "GradientRamp.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <cstdint>

namespace kfm::patina {

class CGradientCtrl : public QWidget {
    Q_OBJECT
public:
    // The custom colours the colour dialog offers, 0x00BBGGRR.
    static constexpr std::array<std::uint32_t, 16> kCustomColours = {
        9876177,  9480649, 1659806, 7113632,  10790566, 5005148,  6777937,  10064513,
        12048633, 5871078, 5871078, 11909047, 5073519,  13885917, 10596269, 13091519};
    static constexpr int kMarkerSize = 8;

    explicit CGradientCtrl(QWidget* parent = nullptr);

    // As GradientRamp::SetGradient; repaints without notifying.
    void SetGradient(std::uint32_t c1, std::uint32_t c2, std::uint32_t c3, float t);
    // The markers and their ramp; SetRamp replaces them (repaints without notifying).
    const GradientRamp& Ramp() const { return ramp_; }
    void SetRamp(const GradientRamp& ramp);
    const std::array<std::uint32_t, 256>& Colours() const { return ramp_.Ramp(); }

    // The markers as preset files store them (version 3), and read back from versions 1 to 3;
    // a refused read changes nothing (see GradientRamp::Load).
    void Serialize(LittleEndianWriter& out) const;
    bool Serialize(LittleEndianReader& in);

    // The marker square's centre for a position, and the marker under a point (-1 for none;
    // inner: the first and last markers do not count).
    QPoint MarkerCentre(int position) const;
    int MarkerAt(QPoint point, bool innerOnly) const;
    // The line the squares sit on, half way down.
    int MiddleLine() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int positionAt(int x) const;
    void dragTo(int x);
    // The colour dialog starting at the colour; false when it was cancelled.
    bool chooseColour(std::uint32_t initial, std::uint32_t& chosen);

    GradientRamp ramp_;
    int dragged_ = -1;
    int dragStart_ = 0;
};

} // namespace kfm::patina
