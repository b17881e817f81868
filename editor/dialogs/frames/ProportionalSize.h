#pragma once
// A width and a height that may keep a ratio: typing one side sets the other while the
// proportions check is on. The vector size and resize dialogs share it.

#include "FrameDialogParts.h"

#include <QObject>

class QCheckBox;

namespace kfm::dialogs {

class ProportionalSize : public QObject {
    Q_OBJECT
public:
    ProportionalSize(QObject* parent, NumberField width, NumberField height, QCheckBox* keep,
                     QWidget* picture, double ratio);
    // Sets the height from the width when the proportions are kept.
    void FollowWidth();
    // Shows the picture with the proportions check.
    void ShowPicture();

private:
    void widthCommitted();
    void heightCommitted();

    NumberField width_;
    NumberField height_;
    QCheckBox* keep_;
    QWidget* picture_;
    double ratio_;
};

} // namespace kfm::dialogs
