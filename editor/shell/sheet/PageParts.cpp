#include "PageParts.h"

#include "SheetEdits.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace kfm::ui {

void NumericField::Show(int value) const {
    const bool wasOn = edit->Logic().AutoApply();
    if (wasOn)
        edit->SuspendAutoApply();
    spin->SetPos(value);
    if (wasOn)
        edit->ResumeAutoApply();
}

void NumericField::SetLimits(int minimum, int maximum) const {
    edit->SetRange(minimum, maximum);
    spin->SetRange32(minimum, maximum);
}

void NumericField::SetEnabled(bool enabled) const {
    edit->setEnabled(enabled);
    spin->setEnabled(enabled);
}

NumericField AddNumericField(DialogKit& kit, int editId, int spinId, int minimum, int maximum,
                             int characters, QWidget** row) {
    NumericField field;
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    field.edit = kit.add(editId, new CNumEdit(box));
    field.spin = kit.add(spinId, new CUpDown(box));
    field.edit->SetMode(kfm::shell::NumEditLogic::Integer);
    field.edit->setMaxLength(characters);
    field.edit->setMinimumWidth(
        field.edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (characters + 1) + 12);
    field.spin->SetBuddy(field.edit);
    // The up-down sits beside its field at the field's height, as a buddy does.
    field.edit->setMaximumWidth(field.edit->minimumWidth() * 2);
    field.spin->setFixedSize(field.edit->sizeHint().height() * 3 / 4,
                             field.edit->sizeHint().height());
    field.SetLimits(minimum, maximum);
    layout->addWidget(field.edit);
    layout->addWidget(field.spin);
    layout->addStretch(1);
    if (row)
        *row = box;
    return field;
}

void TypingWatcher::Watch(QWidget* field) {
    field->installEventFilter(this);
}

void TypingWatcher::Watch(const NumericField& field) {
    Watch(field.edit);
    CNumEdit* edit = field.edit;
    for (QToolButton* arrow : {field.spin->UpButton(), field.spin->DownButton()})
        connect(arrow, &QToolButton::pressed, edit, [edit] {
            if (!edit->hasFocus())
                edit->setFocus(Qt::OtherFocusReason);
        });
}

bool TypingWatcher::eventFilter(QObject* watched, QEvent* event) {
    using namespace kfm::shell;
    if (event->type() == QEvent::FocusIn) {
        g_nChangeSource = kChangeSourceUser;
    } else if (event->type() == QEvent::FocusOut) {
        // The field commits its value on losing the focus: that commit is still the user's.
        watched->event(event);
        g_nChangeSource = kChangeSourceNone;
        return true;
    }
    return false;
}

QLabel* AddLabel(DialogKit& kit, int labelId, UINT textId) {
    auto* label = new QLabel(kit.text(textId));
    if (labelId)
        kit.add(labelId, label);
    return label;
}

} // namespace kfm::ui
