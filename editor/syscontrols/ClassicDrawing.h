#pragma once
// The classic look that every live control and emulation is made in: the Qt "Windows" style,
// the classic palette and the control font on the widget and all its children, the classic
// colours by system index, and the window edges drawn inside a control's rectangle.

#include <QColor>
#include <QRect>
#include <QString>

#include <string>

class QFont;
class QPainter;
class QStyle;
class QWidget;

namespace kfm::syscontrols {

// The "Windows" style instance the live controls share (made once, owned by the application).
QStyle* ClassicStyle();
// Gives the widget and every widget inside it the classic style, palette and font.
void ApplyClassicLook(QWidget* widget);
// The classic colour of a system colour index (COLOR_...).
QColor SysColour(int index);
QFont ControlFont();

// The window edges a control can carry, from the outside in.
struct WindowEdges {
    bool modalFrame = false; // 3 pixels: a raised edge and a line of face colour
    bool border = false;     // 1 pixel in the window-frame colour
    bool staticEdge = false; // 1 pixel, sunken
    bool clientEdge = false; // 2 pixels, sunken
};
// The width of the edges on each side.
int EdgeWidth(const WindowEdges& edges);
// Draws the edges inside rect; returns the rectangle inside them.
QRect DrawWindowEdges(QPainter& painter, const QRect& rect, const WindowEdges& edges);

// Edges of the classic 3-D look.
void DrawRaisedEdge(QPainter& painter, const QRect& rect);  // two pixels, raised
void DrawSunkenEdge(QPainter& painter, const QRect& rect);  // two pixels, sunken
void DrawDialogFrame(QPainter& painter, const QRect& rect); // three pixels
// The dotted focus rectangle over a background of that colour.
void DrawFocusMark(QPainter& painter, const QRect& rect, const QColor& background);

// A text with "&" marking the next character as the underlined mnemonic ("&&" is one "&"),
// drawn with the flags of QPainter::drawText; with noPrefix the "&" is plain text.
void DrawControlText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                     bool noPrefix, const QColor& colour);
// The same for a control's text: in the button-text colour, or embossed when disabled.
void DrawControlLabel(QPainter& painter, const QRect& rect, int flags, const QString& text,
                      bool noPrefix, bool enabled);
// The size the text takes in rect's width (one line without wrapping).
QRect ControlTextBounds(const QFont& font, const QRect& rect, int flags, const QString& text,
                        bool noPrefix);
// Code page 1252 text of the settings as shown.
QString ShownText(const std::string& bytes);

} // namespace kfm::syscontrols
