#include "FrameDialogParts.h"

#include "ControlDrawing.h"
#include "Kfm5ResourceIds.h"
#include "SmallControls.h"

#include <QApplication>
#include <QBitmap>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace kfm::dialogs {

using kfm::ui::CNumEdit;
using kfm::ui::CUpDown;
using kfm::ui::DialogKit;

namespace {

// Enter in a numeric field applies the field's value; it does not press the dialog's default
// button. The field has handled the key and passed it on to the dialog, where this stops it.
class EnterStaysInField : public QObject {
public:
    explicit EnterStaysInField(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("EnterStaysInField"));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            qobject_cast<CNumEdit*>(QApplication::focusWidget())) {
            event->accept();
            return true;
        }
        return false;
    }
};

void keepEnterInFields(QWidget* dialog) {
    if (dialog->findChild<EnterStaysInField*>(QStringLiteral("EnterStaysInField"),
                                              Qt::FindDirectChildrenOnly))
        return;
    dialog->installEventFilter(new EnterStaysInField(dialog));
}

} // namespace

void NumberField::Show(int value) const {
    const bool wasOn = edit->SetAutoApply(false);
    const QSignalBlocker quiet(edit);
    edit->SetValue(value);
    edit->SetAutoApply(wasOn);
}

void NumberField::SetLimits(int minimum, int maximum) const {
    edit->SetRange(minimum, maximum);
    spin->SetRange32(minimum, maximum);
}

void NumberField::SetEnabled(bool enabled) const {
    edit->setEnabled(enabled);
    spin->setEnabled(enabled);
}

NumberField AddNumberField(DialogKit& kit, int editId, int spinId, int minimum, int maximum,
                           int characters) {
    NumberField field;
    keepEnterInFields(kit.owner());
    field.row = new QWidget(kit.owner());
    auto* layout = new QHBoxLayout(field.row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    field.edit = kit.add(editId, new CNumEdit(field.row));
    field.spin = kit.add(spinId, new CUpDown(field.row));
    field.edit->SetMode(kfm::shell::NumEditLogic::Integer);
    field.edit->setMaxLength(characters);
    field.edit->setMinimumWidth(
        field.edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (characters + 1) + 12);
    field.edit->setMaximumWidth(field.edit->minimumWidth() * 2);
    field.spin->SetBuddy(field.edit);
    field.spin->setFixedSize(field.edit->sizeHint().height() * 3 / 4,
                             field.edit->sizeHint().height());
    field.SetLimits(minimum, maximum);
    layout->addWidget(field.edit);
    layout->addWidget(field.spin);
    layout->addStretch(1);
    return field;
}

QCheckBox* AddCheck(DialogKit& kit, int id) {
    return kit.add(id, new QCheckBox(kit.text(static_cast<UINT>(id)), kit.owner()));
}

QRadioButton* AddRadio(DialogKit& kit, int id) {
    return kit.add(id, new QRadioButton(kit.text(static_cast<UINT>(id)), kit.owner()));
}

QLabel* AddLabel(DialogKit& kit, UINT textId, QWidget* buddy) {
    auto* label = new QLabel(kit.text(textId), kit.owner());
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QWidget* ProportionsPicture(QWidget* parent) {
    auto* picture = new kfm::ui::CImageStatic(parent);
    picture->CreateImageList(kfm5res::IDB_PROPORTIONS, 14, RGB(255, 255, 255));
    picture->setFixedSize(14, 44);
    return picture;
}

QIcon ButtonFacePicture(UINT id) {
    QPixmap picture = kfm::ui::ResourcePixmap(id);
    if (!picture.isNull())
        picture.setMask(picture.createMaskFromColor(Qt::white));
    return QIcon(picture);
}

QDialogButtonBox* AddOkCancel(kfm::ui::ResourceDialog& dialog, QBoxLayout* rows) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    dialog.kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    dialog.kit().add(IDCANCEL, buttons->button(QDialogButtonBox::Cancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    rows->addWidget(buttons);
    return buttons;
}

} // namespace kfm::dialogs
