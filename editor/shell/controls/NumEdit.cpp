#include "NumEdit.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace kfm::ui {

using kfm::shell::NumEditActions;
using kfm::shell::NumEditField;
using kfm::shell::NumEditLogic;

CNumEdit::CNumEdit(QWidget* parent) : QLineEdit(parent) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(NumEditLogic::kAutoApplyMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        NumEditField f = field();
        const NumEditActions actions = logic_.OnTimer(f);
        takeField(f);
        carryOut(actions);
    });
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (settingText_)
            return;
        NumEditField f = field();
        const NumEditActions actions = logic_.OnTextChanged(f);
        carryOut(actions);
    });
}

NumEditField CNumEdit::field() const {
    NumEditField f;
    f.text = text().toStdString();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    f.selectionStart = start;
    f.selectionEnd = hasSelectedText() ? start + static_cast<int>(selectedText().size()) : start;
    return f;
}

// Writes the logic's text back without it counting as typing, then its selection.
void CNumEdit::takeField(const NumEditField& f) {
    const QString text = QString::fromStdString(f.text);
    if (text != this->text()) {
        settingText_ = true;
        setText(text);
        settingText_ = false;
    }
    setSelection(f.selectionStart, f.selectionEnd - f.selectionStart);
}

void CNumEdit::carryOut(const NumEditActions& actions) {
    if (actions.stopTimer)
        timer_.stop();
    if (actions.restartTimer)
        timer_.start();
    if (!actions.notify)
        return;
    SendMessageTo(notifyWindow(), WM_NUMEDIT_CHANGED, 0, reinterpret_cast<LPARAM>(this));
    emit committed(this);
}

MessageTarget* CNumEdit::notifyWindow() const {
    if (notifyWindow_)
        return notifyWindow_;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* target = dynamic_cast<MessageTarget*>(w))
            return target;
    return nullptr;
}

void CNumEdit::SetRange(int minimum, int maximum) {
    NumEditField f = field();
    logic_.SetRange(minimum, maximum, f);
}

void CNumEdit::GetRange(int* minimum, int* maximum) const {
    if (minimum)
        *minimum = logic_.Minimum();
    if (maximum)
        *maximum = logic_.Maximum();
}

int CNumEdit::GetValue() const {
    return NumEditLogic::ParseInt(text().left(maxLength()).toStdString());
}

void CNumEdit::SetValue(int value) {
    setText(QString::number(value));
}

void CNumEdit::Validate(bool rewrite) {
    NumEditField f = field();
    logic_.Validate(f, rewrite);
    takeField(f);
}

void CNumEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        NumEditField f = field();
        const NumEditActions actions = logic_.OnEnter(f);
        takeField(f);
        carryOut(actions);
    }
    QLineEdit::keyPressEvent(event);
}

void CNumEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    logic_.OnSetFocus(field());
}

void CNumEdit::focusOutEvent(QFocusEvent* event) {
    // A field losing the focus because its window is hidden or torn down commits nothing: its
    // parent may be half destroyed already.
    if (!isVisible() || window()->isHidden()) {
        timer_.stop();
        QLineEdit::focusOutEvent(event);
        return;
    }
    NumEditField f = field();
    const NumEditActions actions = logic_.OnKillFocus(f);
    takeField(f);
    carryOut(actions);
    QLineEdit::focusOutEvent(event);
}

CUpDown::CUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void CUpDown::SetOrientation(Qt::Orientation orientation) {
    delete layout();
    QBoxLayout* line = orientation == Qt::Horizontal
                           ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                           : static_cast<QBoxLayout*>(new QVBoxLayout(this));
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(0);
    const bool across = orientation == Qt::Horizontal;
    // Left to right, or top to bottom: the down button first across, the up button first down.
    const std::array<QToolButton*, 2> order =
        across ? std::array<QToolButton*, 2>{down_, up_} : std::array<QToolButton*, 2>{up_, down_};
    for (QToolButton* button : order) {
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        line->addWidget(button);
    }
    up_->setArrowType(across ? Qt::RightArrow : Qt::UpArrow);
    down_->setArrowType(across ? Qt::LeftArrow : Qt::DownArrow);
}

void CUpDown::SetRange32(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
}

int CUpDown::clampToRange(int value) const {
    return std::clamp(value, std::min(minimum_, maximum_), std::max(minimum_, maximum_));
}

void CUpDown::SetPos(int position) {
    position_ = clampToRange(position);
    if (buddy_)
        buddy_->SetValue(position_);
}

int CUpDown::GetPos() const {
    return buddy_ ? clampToRange(buddy_->GetValue()) : position_;
}

void CUpDown::StepBy(int steps) {
    const int direction = maximum_ >= minimum_ ? 1 : -1;
    const long long next =
        static_cast<long long>(GetPos()) + static_cast<long long>(steps) * direction;
    SetPos(static_cast<int>(
        std::clamp<long long>(next, std::min(minimum_, maximum_), std::max(minimum_, maximum_))));
}

} // namespace kfm::ui
