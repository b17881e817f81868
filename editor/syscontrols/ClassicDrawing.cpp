#include "ClassicDrawing.h"

#include "ControlDrawing.h"
#include "ResourceAccess.h"
#include "gdi/SystemLook.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>
#include <QWidget>

namespace kfm::syscontrols {

namespace {

// "&x" marks x as the mnemonic; QPainter's TextShowMnemonic reads the same form, and without it
// an "&" is drawn as it stands.
int mnemonicFlag(bool noPrefix) {
    return noPrefix ? 0 : Qt::TextShowMnemonic;
}

} // namespace

QStyle* ClassicStyle() {
    static QStyle* style = [] {
        QStyle* made = QStyleFactory::create(QStringLiteral("Windows"));
        if (made && qApp)
            made->setParent(qApp);
        return made;
    }();
    return style;
}

QColor SysColour(int index) {
    return kfm::ui::ToQColor(GetSysColor(index));
}

QFont ControlFont() {
    return kfm::gdi::ControlFont();
}

void ApplyClassicLook(QWidget* widget) {
    if (!widget)
        return;
    const QPalette palette = kfm::gdi::ClassicPalette();
    const QFont font = ControlFont();
    QList<QWidget*> all = widget->findChildren<QWidget*>();
    all.prepend(widget);
    for (QWidget* w : all) {
        if (QStyle* style = ClassicStyle(); style && w->style() != style)
            w->setStyle(style);
        w->setPalette(palette);
        w->setFont(font);
    }
}

int EdgeWidth(const WindowEdges& edges) {
    return (edges.modalFrame ? 3 : 0) + (edges.border ? 1 : 0) + (edges.staticEdge ? 1 : 0) +
           (edges.clientEdge ? 2 : 0);
}

void DrawRaisedEdge(QPainter& painter, const QRect& rect) {
    kfm::ui::Draw3dRect(painter, rect, SysColour(COLOR_3DLIGHT), SysColour(COLOR_3DDKSHADOW));
    kfm::ui::Draw3dRect(painter, rect.adjusted(1, 1, -1, -1), SysColour(COLOR_3DHILIGHT),
                        SysColour(COLOR_3DSHADOW));
}

void DrawSunkenEdge(QPainter& painter, const QRect& rect) {
    kfm::ui::Draw3dRect(painter, rect, SysColour(COLOR_3DSHADOW), SysColour(COLOR_3DHILIGHT));
    kfm::ui::Draw3dRect(painter, rect.adjusted(1, 1, -1, -1), SysColour(COLOR_3DDKSHADOW),
                        SysColour(COLOR_3DLIGHT));
}

void DrawDialogFrame(QPainter& painter, const QRect& rect) {
    DrawRaisedEdge(painter, rect);
    const QColor face = SysColour(COLOR_3DFACE);
    kfm::ui::Draw3dRect(painter, rect.adjusted(2, 2, -2, -2), face, face);
}

QRect DrawWindowEdges(QPainter& painter, const QRect& rect, const WindowEdges& edges) {
    QRect inside = rect;
    if (edges.modalFrame) {
        DrawDialogFrame(painter, inside);
        inside.adjust(3, 3, -3, -3);
    }
    if (edges.border) {
        const QColor frame = SysColour(COLOR_WINDOWFRAME);
        kfm::ui::Draw3dRect(painter, inside, frame, frame);
        inside.adjust(1, 1, -1, -1);
    }
    if (edges.staticEdge) {
        kfm::ui::Draw3dRect(painter, inside, SysColour(COLOR_3DSHADOW), SysColour(COLOR_3DHILIGHT));
        inside.adjust(1, 1, -1, -1);
    }
    if (edges.clientEdge) {
        DrawSunkenEdge(painter, inside);
        inside.adjust(2, 2, -2, -2);
    }
    return inside;
}

void DrawFocusMark(QPainter& painter, const QRect& rect, const QColor& background) {
    QStyleOptionFocusRect option;
    option.rect = rect;
    option.backgroundColor = background;
    option.state = QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
    option.palette = kfm::gdi::ClassicPalette();
    if (QStyle* style = ClassicStyle())
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter);
}

void DrawControlText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                     bool noPrefix, const QColor& colour) {
    painter.save();
    painter.setPen(colour);
    painter.drawText(rect, flags | mnemonicFlag(noPrefix), text);
    painter.restore();
}

void DrawControlLabel(QPainter& painter, const QRect& rect, int flags, const QString& text,
                      bool noPrefix, bool enabled) {
    if (enabled) {
        DrawControlText(painter, rect, flags, text, noPrefix, SysColour(COLOR_BTNTEXT));
        return;
    }
    DrawControlText(painter, rect.translated(1, 1), flags, text, noPrefix,
                    SysColour(COLOR_3DHILIGHT));
    DrawControlText(painter, rect, flags, text, noPrefix, SysColour(COLOR_3DSHADOW));
}

QRect ControlTextBounds(const QFont& font, const QRect& rect, int flags, const QString& text,
                        bool noPrefix) {
    return QFontMetrics(font).boundingRect(rect, flags | mnemonicFlag(noPrefix), text);
}

QString ShownText(const std::string& bytes) {
    return kfm::ui::FromCodePage1252(bytes);
}

} // namespace kfm::syscontrols
