#pragma once
// The picture the object dialogs (text, system control, rotate) show behind the frame they edit:
// with "render frames" on, the animation as it stands before the last selected frame; else the
// selected frames in the canvas's selection rectangle.

#include "ImageUtilities.h"

namespace kfm::ui {

class CMainFrame;

struct ObjectDialogBackground {
    ScopedImage image;     // 0 when there is no picture
    RECT rect{0, 0, 0, 0}; // its place on the animation's screen, right and bottom exclusive
};

ObjectDialogBackground MakeObjectDialogBackground(CMainFrame& frame);

} // namespace kfm::ui
