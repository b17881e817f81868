#include "LiveControlFactory.h"

#include "ButtonControls.h"
#include "DateControls.h"
#include "DlgSysControlEmu.h"
#include "Kfm5ResourceIds.h"
#include "ListControls.h"
#include "NumEdit.h"
#include "RangeControls.h"
#include "TabControl.h"
#include "TextControls.h"
#include "gdi/SystemLook.h"

#include <QLocale>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

namespace kfm::syscontrols {

namespace {

WindowEdges edgesOf(const ControlLook& look) {
    return WindowEdges{look.modalFrame, look.border, look.staticEdge, look.clientEdge};
}

QWidget* frameAround(LiveControl& live, const ControlLook& look, QWidget* inner, QWidget* parent) {
    auto* frame = new LiveControlFrame(look, parent);
    inner->setParent(frame);
    frame->SetInner(inner);
    live.control = inner;
    return frame;
}

QPixmap iconOf(const ControlLook& look, const LiveControlContext& context) {
    if (!context.icons || look.icon < 0 || look.icon >= static_cast<int>(context.icons->size()))
        return {};
    return (*context.icons)[static_cast<std::size_t>(look.icon)];
}

QString numberText(int value, bool thousands) {
    if (!thousands)
        return QString::number(value);
    QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale.toString(value);
}

// The up-down of an edit box: it reads the number in the edit before a step and, when asked,
// writes the new position back into it.
void connectUpDown(kfm::ui::CUpDown* upDown, QLineEdit* edit, const ControlLook& look) {
    for (QToolButton* button : {upDown->UpButton(), upDown->DownButton()}) {
        QObject::connect(button, &QToolButton::pressed, upDown, [upDown, edit] {
            QString text = edit->text();
            text.remove(QLatin1Char(','));
            bool ok = false;
            const int value = text.trimmed().toInt(&ok);
            if (ok)
                upDown->SetPos(value);
        });
        if (look.spinSetsNumber)
            QObject::connect(button, &QToolButton::clicked, edit,
                             [upDown, edit, thousands = !look.spinNoThousands] {
                                 edit->setText(numberText(upDown->GetPos(), thousands));
                             });
    }
}

// An edit box with its up-down: the edit in its edges, the up-down beside it and above it.
QWidget* editWithUpDown(LiveControl& live, const ControlLook& look, QWidget* editFrame,
                        QWidget* parent) {
    auto* box = new QWidget(parent);
    editFrame->setParent(box);
    auto* upDown = MakeUpDown(look.spinHorizontal, box);
    live.upDown = upDown;
    const int s = UpDownWidth(look.spinHorizontal);
    const int w = look.width;
    const int h = look.height;
    if (look.spinLeft) {
        upDown->setGeometry(0, 0, s, h);
        editFrame->setGeometry(s - 2, 0, w - s + 2, h);
    } else {
        editFrame->setGeometry(0, 0, w - s + 2, h);
        upDown->setGeometry(w - s, 0, s, h);
    }
    upDown->raise();
    if (live.lineEdit)
        connectUpDown(upDown, live.lineEdit, look);
    return box;
}

QWidget* buildEditBox(LiveControl& live, const ControlLook& look, QWidget* parent) {
    QWidget* edit = nullptr;
    if (look.multiline || look.hScroll || look.vScroll) {
        auto* text = new CSysControlMultiEdit(look, nullptr);
        live.textEdit = text;
        edit = text;
    } else {
        auto* line = new CSysControlEdit(look, nullptr);
        live.lineEdit = line;
        edit = line;
    }
    QWidget* framed = frameAround(live, look, edit, parent);
    if (!look.spin)
        return framed;
    return editWithUpDown(live, look, framed, parent);
}

QWidget* buildControl(LiveControl& live, const ControlLook& look, const LiveControlContext& context,
                      QWidget* parent) {
    switch (look.type) {
    case GroupBox:
        live.transparent = true;
        return frameAround(live, look, new CSysControlGroupBox(look, nullptr), parent);
    case PushButton:
        return frameAround(live, look, new CSysControlButton(look, nullptr), parent);
    case RadioButton:
        return frameAround(live, look, new CSysControlRadioButton(look, nullptr), parent);
    case CheckBox:
        return frameAround(live, look, new CSysControlCheckBox(look, nullptr), parent);
    case StaticText:
        return frameAround(live, look, new CSysControlStatic(look, nullptr), parent);
    case EditBox:
        return buildEditBox(live, look, parent);
    case ListBox:
        live.listBox = new CSysControlListBox(look, nullptr);
        live.height = CSysControlListBox::RealHeight(look, look.height, EdgeWidth(edgesOf(look)));
        return frameAround(live, look, live.listBox, parent);
    case ComboBox:
        live.comboBox = new CSysControlComboBox(look, nullptr);
        live.height =
            CSysControlComboBox::RealHeight(look, look.height - 2 * EdgeWidth(edgesOf(look))) +
            2 * EdgeWidth(edgesOf(look));
        return frameAround(live, look, live.comboBox, parent);
    case HScrollBar:
    case VScrollBar:
        live.scrollBar = new CSysControlScrollBar(look, nullptr);
        return frameAround(live, look, live.scrollBar, parent);
    case Spin:
        return frameAround(live, look, MakeUpDown(false, nullptr), parent);
    case Progress:
        return frameAround(live, look, new CSysControlProgress(look, nullptr), parent);
    case Slider:
        live.slider = new CSysControlSlider(look, nullptr);
        return frameAround(live, look, live.slider, parent);
    case Tab:
        live.tab = new CSysControlTab(look, nullptr);
        return frameAround(live, look, live.tab, parent);
    case DateTime:
        live.dateTime = new CSysControlDateTime(look, context.lastDateTime, nullptr);
        return frameAround(live, look, live.dateTime, parent);
    case MonthCalendar:
        live.calendar =
            new CSysControlMonthCalendar(look, context.lastToday, context.lastSelected, nullptr);
        return frameAround(live, look, live.calendar, parent);
    case Icon:
        live.transparent = true;
        return frameAround(live, look, new CSysControlIcon(look, iconOf(look, context), nullptr),
                           parent);
    case Dialog:
    case MessageBox: {
        const bool box = look.type == MessageBox;
        const UINT id = box ? (context.forCapture ? kfm5res::IDD_SYSCONTROL_MESSAGEBOX_CAPTURE
                                                  : kfm5res::IDD_SYSCONTROL_MESSAGEBOX)
                            : (context.forCapture ? kfm5res::IDD_SYSCONTROL_DIALOG_CAPTURE
                                                  : kfm5res::IDD_SYSCONTROL_DIALOG);
        static const std::vector<QPixmap> kNoIcons;
        live.emulation =
            new CDlgSysControlEmu(id, look, context.icons ? *context.icons : kNoIcons, parent);
        live.control = live.emulation;
        return live.emulation;
    }
    default:
        return nullptr;
    }
}

} // namespace

LiveControlFrame::LiveControlFrame(const ControlLook& look, QWidget* parent)
    : QWidget(parent), edges_(edgesOf(look)) {}

QRect LiveControlFrame::Inside() const {
    const int edge = EdgeWidth(edges_);
    return rect().adjusted(edge, edge, -edge, -edge);
}

void LiveControlFrame::SetInner(QWidget* inner) {
    inner_ = inner;
    if (inner_)
        inner_->setGeometry(Inside());
}

void LiveControlFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (inner_)
        inner_->setGeometry(Inside());
}

void LiveControlFrame::paintEvent(QPaintEvent*) {
    if (EdgeWidth(edges_) == 0)
        return;
    QPainter painter(this);
    DrawWindowEdges(painter, rect(), edges_);
}

int UpDownWidth(bool horizontal) {
    return GetSystemMetrics(SM_CXVSCROLL) * (horizontal ? 2 : 1);
}

LiveControl BuildLiveControl(const ControlLook& look, const LiveControlContext& context,
                             QWidget* parent) {
    LiveControl live;
    live.type = look.type;
    live.height = look.height;
    live.window = buildControl(live, look, context, parent);
    if (!live.window) {
        live.type = 0;
        return live;
    }
    ApplyClassicLook(live.window);
    if (look.disabled && !live.emulation)
        live.window->setEnabled(false);
    live.window->resize(std::max(1, look.width), std::max(1, live.height));
    return live;
}

} // namespace kfm::syscontrols
