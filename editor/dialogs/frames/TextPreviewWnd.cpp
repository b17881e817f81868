#include "TextPreviewWnd.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace kfm::dialogs {

namespace {

bool isArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

void CTextPreviewWnd::tellPlace(bool ended) {
    RECT r{};
    GetViewRect(&r);
    emit moved(ended, r.left, r.top);
    emit sized(ended, r.right - r.left, r.bottom - r.top);
}

void CTextPreviewWnd::ZoomCommand(UINT id) {
    OnZoomCommand(id);
    if (GetTool() == kToolZoom)
        emit zoomed(ShownZoom());
}

void CTextPreviewWnd::mousePressEvent(QMouseEvent* event) {
    CImageEditWnd::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
}

void CTextPreviewWnd::mouseMoveEvent(QMouseEvent* event) {
    CImageEditWnd::mouseMoveEvent(event);
    if (GetTool() == kToolMove && DraggingObject())
        tellPlace(false);
}

void CTextPreviewWnd::mouseReleaseEvent(QMouseEvent* event) {
    const bool moving = GetTool() == kToolMove && DraggingObject();
    if (moving)
        tellPlace(true);
    CImageEditWnd::mouseReleaseEvent(event);
    if (moving)
        tellPlace(true); // the place after the base has finished the drag
    if (GetTool() == kToolZoom) {
        emit zoomToolReleased();
        emit zoomed(ShownZoom());
    }
}

void CTextPreviewWnd::keyPressEvent(QKeyEvent* event) {
    const bool arrow = GetTool() == kToolMove && isArrow(event->key());
    CImageEditWnd::keyPressEvent(event);
    if (arrow)
        tellPlace(false);
}

void CTextPreviewWnd::keyReleaseEvent(QKeyEvent* event) {
    CImageEditWnd::keyReleaseEvent(event);
    if (GetTool() == kToolMove && isArrow(event->key()))
        tellPlace(true);
}

} // namespace kfm::dialogs
