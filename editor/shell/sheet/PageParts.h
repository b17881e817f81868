#pragma once
// What the property pages share: a numeric field with its up-down control, registered under
// their ids; the watcher that marks the user's typing as the change source; and the row and
// group layouts the pages are built from.

#include <QObject>
#include <QString>

#include "NumEdit.h"
#include "framework/ResourceDialog.h"

class QFormLayout;
class QGridLayout;
class QLabel;
class QWidget;

namespace kfm::ui {

// A numeric field and its up-down buddy.
struct NumericField {
    CNumEdit* edit = nullptr;
    CUpDown* spin = nullptr;

    // The field's value as the up-down reads it (held to its range).
    int Value() const { return spin->GetPos(); }
    // Writes a value without it counting as typing (auto-apply suspended meanwhile).
    void Show(int value) const;
    // Both ranges and the text limit at once.
    void SetLimits(int minimum, int maximum) const;
    void SetEnabled(bool enabled) const;
};

// Creates the field (integer mode, the given text limit and range) and its up-down, registers
// both under their ids and puts them in a row widget. Auto-apply is switched on afterwards by
// the page, once the field is filled.
NumericField AddNumericField(DialogKit& kit, int editId, int spinId, int minimum, int maximum,
                             int characters, QWidget** row);

// Sets the change source to "the user types" while a watched field has the focus, and back to
// none once the field has handled the loss of the focus (after its last commit). A press on an
// up-down arrow gives its buddy the focus first, so stepping counts as the user's change.
class TypingWatcher : public QObject {
public:
    explicit TypingWatcher(QObject* parent) : QObject(parent) {}
    void Watch(QWidget* field);
    void Watch(const NumericField& field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A label with the text id, registered under labelId when that is not 0.
QLabel* AddLabel(DialogKit& kit, int labelId, UINT textId);

} // namespace kfm::ui
