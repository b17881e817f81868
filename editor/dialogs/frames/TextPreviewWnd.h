#pragma once
// The text dialog's preview: the animation's canvas with the text as a movable overlay. It tells
// the dialog where the text went and how large it is while it is dragged or moved with the
// arrow keys, and the zoom after the zoom tool acts.

#include "ImageEditWnd.h"

#include <QObject>

namespace kfm::dialogs {

class CTextPreviewWnd : public kfm::ui::CImageEditWnd {
    Q_OBJECT
public:
    using kfm::ui::CImageEditWnd::CImageEditWnd;

    // A zoom command (20076, 20077, 20078), then the zoom when the zoom tool is active.
    void ZoomCommand(UINT id);

signals:
    // ended is true at the end of a move; the text rectangle's corner and size.
    void moved(bool ended, int left, int top);
    void sized(bool ended, int width, int height);
    void zoomed(int percent);
    // A release with the zoom tool.
    void zoomToolReleased();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void tellPlace(bool ended);
};

} // namespace kfm::dialogs
