#pragma once
// What the owner-drawn controls share: colours between COLORREF and Qt, the system colours of
// the classic 3-D look taken from the widget's palette, the 3-D rectangle outline, and cursors
// and pictures from the language library.

#include <QColor>
#include <QCursor>
#include <QPalette>
#include <QPixmap>

#include "types/Win32Types.h"

class QPainter;
class QRect;

namespace kfm::ui {

inline QColor ToQColor(COLORREF colour) {
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}
inline COLORREF ToColorRef(const QColor& colour) {
    return RGB(static_cast<BYTE>(colour.red()), static_cast<BYTE>(colour.green()),
               static_cast<BYTE>(colour.blue()));
}

// The classic system colours as the palette gives them.
inline QColor FaceColour(const QPalette& p) {
    return p.color(QPalette::Button);
}
inline QColor HighlightColour(const QPalette& p) {
    return p.color(QPalette::Light);
}
inline QColor LightColour(const QPalette& p) {
    return p.color(QPalette::Midlight);
}
inline QColor ShadowColour(const QPalette& p) {
    return p.color(QPalette::Dark);
}
inline QColor DarkShadowColour(const QPalette& p) {
    return p.color(QPalette::Shadow);
}

// A one-pixel outline of the rectangle: top and left edges in one colour, right and bottom in
// the other.
void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft,
                const QColor& bottomRight);

// The picture of that id in the language library; a null pixmap when it is missing.
QPixmap ResourcePixmap(UINT id);
// A cursor from the picture of that id, or the stock shape when it is missing.
QCursor ResourceCursor(UINT id, QPoint hotspot, Qt::CursorShape fallback);

} // namespace kfm::ui
