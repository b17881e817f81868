#include "DlgSysControlEmu.h"

#include "ButtonControls.h"
#include "ClassicDrawing.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "TextControls.h"
#include "gdi/SystemLook.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include <algorithm>

namespace kfm::syscontrols {

namespace {

constexpr int kFrameWidth = 3;
// The message box's icon in its client area, and the space around its text.
constexpr QPoint kIconPlace(10, 10);
constexpr int kIconSide = 32;
constexpr int kTextGapX = 20;
constexpr int kTextGapY = 10;
constexpr int kTextRightMargin = 30;
constexpr int kButtonRowAboveBottom = 40;

bool isCaptureTemplate(UINT templateId) {
    return templateId == kfm5res::IDD_SYSCONTROL_DIALOG_CAPTURE ||
           templateId == kfm5res::IDD_SYSCONTROL_MESSAGEBOX_CAPTURE;
}

} // namespace

UINT MessageButtonTextId(int code) {
    switch (code) {
    case ButtonOk:
        return kfm5res::IDS_MB_OK;
    case ButtonCancel:
        return kfm5res::IDS_MB_CANCEL;
    case ButtonRetryOfSet2:
    case ButtonRetry:
        return kfm5res::IDS_MB_RETRY;
    case ButtonYes:
        return kfm5res::IDS_MB_YES;
    case ButtonNo:
        return kfm5res::IDS_MB_NO;
    case ButtonAbort:
        return kfm5res::IDS_MB_ABORT;
    case ButtonIgnore:
        return kfm5res::IDS_MB_IGNORE;
    default:
        return 0;
    }
}

std::vector<int> MessageButtonPositions(int count, int width) {
    switch (count) {
    case 1:
        return {(width - CDlgSysControlEmu::kButtonWidth) / 2};
    case 2:
        return {width / 2 - 78, width / 2 + 3};
    case 3:
        return {width / 2 - 118, width / 2 - 37, width / 2 + 43};
    default:
        return {};
    }
}

CDlgSysControlEmu::CDlgSysControlEmu(UINT templateId, const ControlLook& look,
                                     const std::vector<QPixmap>& icons, QWidget* parent)
    : QWidget(parent), templateId_(templateId), look_(look) {
    setAutoFillBackground(false);
    setLayoutDirection(look.rightToLeft && !IsMessageBox() ? Qt::RightToLeft : Qt::LeftToRight);
    // The emulation in the preview is shown, not worked: clicks reach the preview.
    if (!isCaptureTemplate(templateId))
        setAttribute(Qt::WA_TransparentForMouseEvents);
    if (IsMessageBox())
        buildMessageBox(icons);
}

bool CDlgSysControlEmu::IsMessageBox() const {
    return templateId_ == kfm5res::IDD_SYSCONTROL_MESSAGEBOX ||
           templateId_ == kfm5res::IDD_SYSCONTROL_MESSAGEBOX_CAPTURE;
}

int CDlgSysControlEmu::frameWidth() const {
    return look_.hasCaption || look_.modalFrame ? kFrameWidth : 0;
}

int CDlgSysControlEmu::captionHeight() const {
    if (!look_.hasCaption)
        return 0;
    return GetSystemMetrics(look_.toolWindow ? SM_CYSMCAPTION : SM_CYCAPTION);
}

QRect CDlgSysControlEmu::captionRect() const {
    const int outside = frameWidth() + (look_.staticEdge ? 1 : 0);
    const QRect inside = rect().adjusted(outside, outside, -outside, -outside);
    return QRect(inside.left(), inside.top(), inside.width(), captionHeight());
}

QRect CDlgSysControlEmu::ClientRect() const {
    QRect client = rect();
    const int outside = frameWidth() + (look_.staticEdge ? 1 : 0);
    client.adjust(outside, outside + captionHeight(), -outside, -outside);
    if (look_.clientEdge)
        client.adjust(2, 2, -2, -2);
    return client;
}

void CDlgSysControlEmu::drawCaption(QPainter& painter) const {
    const QRect caption = captionRect();
    if (caption.height() <= 0)
        return;
    painter.fillRect(caption, SysColour(COLOR_3DFACE));
    QStyleOptionTitleBar bar;
    bar.initFrom(this);
    // The bar leaves one line of face colour below it.
    bar.rect = caption.adjusted(0, 0, 0, -1);
    bar.text = ShownText(look_.text);
    bar.state = QStyle::State_Active | QStyle::State_Enabled;
    bar.titleBarState = Qt::WindowActive;
    // A caption of one colour (the style blends from Highlight to Base): the classic caption
    // without a gradient keeps a capture of any width within a palette's colours.
    bar.palette.setColor(QPalette::Highlight, SysColour(COLOR_ACTIVECAPTION));
    bar.palette.setColor(QPalette::Base, SysColour(COLOR_ACTIVECAPTION));
    bar.palette.setColor(QPalette::HighlightedText, SysColour(COLOR_CAPTIONTEXT));
    Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint;
    QStyle::SubControls parts = QStyle::SC_TitleBarLabel;
    // Caption buttons as a classic window of these styles has them; never the icon.
    if (look_.sysMenu) {
        flags |= Qt::WindowSystemMenuHint;
        parts |= QStyle::SC_TitleBarCloseButton;
        if (look_.toolWindow) {
            flags |= Qt::Tool;
        } else if (look_.minimizeBox || look_.maximizeBox) {
            flags |= Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
            parts |= QStyle::SC_TitleBarMinButton | QStyle::SC_TitleBarMaxButton;
        } else if (look_.contextHelp) {
            flags |= Qt::WindowContextHelpButtonHint;
            parts |= QStyle::SC_TitleBarContextHelpButton;
        }
    }
    bar.activeSubControls = QStyle::SC_None;
    const QFont bold = kfm::gdi::ControlFont(kfm::gdi::FontWeight::Bold);
    bar.fontMetrics = QFontMetrics(bold);
    painter.save();
    painter.setFont(bold);
    // The bar first, then the buttons over it; the title where no icon stands, beside the
    // buttons (on the right in a right-to-left window), cut where they begin.
    QStyle* style = ClassicStyle();
    const QString title = bar.text;
    bar.text.clear();
    bar.titleBarFlags = flags;
    bar.subControls = QStyle::SC_TitleBarLabel;
    style->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, this);
    bar.subControls = parts & ~QStyle::SC_TitleBarLabel;
    QRect text = bar.rect.adjusted(2, 0, -2, 0);
    for (const QStyle::SubControl button :
         {QStyle::SC_TitleBarCloseButton, QStyle::SC_TitleBarMaxButton,
          QStyle::SC_TitleBarMinButton, QStyle::SC_TitleBarContextHelpButton}) {
        if (!(bar.subControls & button))
            continue;
        const QRect place = style->subControlRect(QStyle::CC_TitleBar, &bar, button, this);
        if (place.isEmpty())
            continue;
        if (look_.rightToLeft)
            text.setLeft(std::max(text.left(), place.right() + 2));
        else
            text.setRight(std::min(text.right(), place.left() - 2));
    }
    if (bar.subControls)
        style->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, this);
    painter.setClipRect(text);
    painter.setPen(SysColour(COLOR_CAPTIONTEXT));
    painter.drawText(text,
                     (look_.rightToLeft ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter |
                         Qt::TextSingleLine,
                     title);
    painter.restore();
}

void CDlgSysControlEmu::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), SysColour(COLOR_3DFACE));
    QRect inside = rect();
    if (frameWidth()) {
        DrawDialogFrame(painter, inside);
        inside.adjust(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth);
    }
    if (look_.staticEdge) {
        WindowEdges edge;
        edge.staticEdge = true;
        inside = DrawWindowEdges(painter, inside, edge);
    }
    drawCaption(painter);
    if (look_.clientEdge) {
        inside.setTop(inside.top() + captionHeight());
        DrawSunkenEdge(painter, inside);
    }
}

void CDlgSysControlEmu::buildMessageBox(const std::vector<QPixmap>& icons) {
    ControlLook iconLook;
    const QPixmap icon = look_.icon >= 0 && look_.icon < static_cast<int>(icons.size())
                             ? icons[static_cast<std::size_t>(look_.icon)]
                             : QPixmap();
    icon_ = new CSysControlIcon(iconLook, icon, this);
    icon_->setObjectName(QStringLiteral("id%1").arg(kIconStatic));
    ControlLook textLook;
    textLook.text = look_.caption;
    textLook.noPrefix = true;
    text_ = new CSysControlStatic(textLook, this);
    text_->setObjectName(QStringLiteral("id%1").arg(kMessageText));
    const bool capture = isCaptureTemplate(templateId_);
    for (std::size_t i = 0; i < look_.buttons.size(); ++i) {
        ControlLook buttonLook;
        buttonLook.text = kfm::ui::ResourceText(MessageButtonTextId(look_.buttons[i]));
        const bool isDefault = static_cast<int>(i) == look_.defaultButton;
        buttonLook.isDefault = isDefault;
        // The captured box was activated with its default button focused.
        buttonLook.focus = isDefault && capture;
        buttons_.push_back(new CSysControlButton(buttonLook, this));
    }
}

void CDlgSysControlEmu::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (IsMessageBox())
        layOutMessageBox();
}

void CDlgSysControlEmu::layOutMessageBox() {
    const QRect client = ClientRect();
    const QPoint origin = client.topLeft();
    icon_->setGeometry(QRect(origin + kIconPlace, QSize(kIconSide, kIconSide)));
    const int iconRight = kIconPlace.x() + kIconSide;
    const int textWidth = std::max(0, width() - iconRight - kTextRightMargin);
    const QPoint textPlace = origin + QPoint(iconRight + kTextGapX, kIconPlace.y() + kTextGapY);
    const QRect measured = QFontMetrics(text_->font())
                               .boundingRect(QRect(0, 0, std::max(1, textWidth), 100000),
                                             Qt::TextWordWrap | Qt::TextExpandTabs, text_->text());
    const int textHeight =
        std::clamp(measured.height(), 0, std::max(0, client.bottom() - textPlace.y() + 1));
    text_->setGeometry(textPlace.x(), textPlace.y(), textWidth, textHeight);
    const int rowTop = height() - GetSystemMetrics(SM_CYCAPTION) - kButtonRowAboveBottom;
    const std::vector<int> places =
        MessageButtonPositions(static_cast<int>(buttons_.size()), width());
    for (std::size_t i = 0; i < buttons_.size() && i < places.size(); ++i)
        buttons_[i]->setGeometry(origin.x() + places[i], origin.y() + rowTop, kButtonWidth,
                                 kButtonHeight);
}

} // namespace kfm::syscontrols
