#pragma once
// A static text that works as a link: drawn in link colours (normal, visited, armed, hover) with
// an optional underline and the pointing-hand cursor, its address in a tooltip; a click or Space
// opens the address with the desktop's browser. A failed open beeps, says so (text 10830) and
// leaves the link unvisited.

#include <QCursor>
#include <QLabel>
#include <QRect>
#include <QSize>

#include "types/Win32Types.h"

namespace kfm::ui {

class CHyperLink : public QLabel {
    Q_OBJECT
public:
    // Link styles (bits).
    static constexpr DWORD StyleUnderline = 1;
    static constexpr DWORD StyleHoverColour = 2;
    static constexpr DWORD StyleSizeToText = 4;
    static constexpr DWORD StyleOpenOnPress = 8;
    static constexpr DWORD StyleFocusOnClick = 16;
    static constexpr DWORD StyleNoHandCursor = 32;
    static constexpr DWORD StyleNoArmedColour = 64;
    static constexpr DWORD DefaultStyle = StyleUnderline | StyleSizeToText | StyleFocusOnClick;

    // Link colours (COLORREF, red in the low byte).
    static constexpr COLORREF NormalColour = 0xFF0000;  // blue
    static constexpr COLORREF VisitedColour = 0x800080; // purple
    static constexpr COLORREF ArmedColour = 0x808000;   // teal
    static constexpr COLORREF HoverColour = 0x0000FF;   // red

    // The text is the link's until SetUrl names another address; an empty text shows the URL.
    explicit CHyperLink(const QString& text = {}, QWidget* parent = nullptr);

    // Stores the address (a link without one opens its text), sizes the link to its text
    // (style 4) and names the address in the tooltip.
    void SetUrl(const QString& url);
    QString GetUrl() const;
    // style = (style without remove) with add; 0 and nothing changed when the masks share a bit.
    // With redraw the font follows the underline bit, the size its text (add holds 4) and the
    // colour the hover bit (remove holds 2).
    int SetLinkStyle(DWORD remove, DWORD add, bool redraw = true);
    DWORD GetLinkStyle() const { return style_; }
    // A copy of the font becomes the link's; the link is sized to its text (style 4).
    void SetLinkFont(const QFont& font);
    // Opens the address; on success the link is visited (and repainted with redraw).
    void OpenLink(bool redraw = true);

    bool IsHot() const { return hot_; }
    bool IsArmed() const { return armed_; }
    bool IsVisited() const { return visited_; }
    // The colour the link's text is drawn in now.
    COLORREF CurrentColour() const;

    // The colour for a style and state: hover (hot, style 2), armed (unless style 64), visited,
    // normal.
    static COLORREF ColourFor(DWORD style, bool hot, bool armed, bool visited);
    // Where a window of rectangle `window` with a client of `client` goes to fit a text of
    // `text`: the height becomes the text's (or shrinks evenly when centred vertically), the
    // width the text's, kept at the left edge, the right edge or the centre by the alignment;
    // the border (window minus client) is kept around it.
    static QRect RectForText(const QRect& window, const QSize& client, const QSize& text,
                             Qt::Alignment alignment);
    // The pointing-hand cursor every link shares.
    static const QCursor& HandCursor();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QSize textExtent() const;
    void sizeToText();
    void applyColour();
    void applyCursor();
    void setHot(bool hot);

    bool armed_ = false;
    bool hot_ = false;
    bool visited_ = false;
    DWORD style_ = DefaultStyle;
    QString url_;
};

} // namespace kfm::ui
