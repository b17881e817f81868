#pragma once
// What the frame dialogs share: a numeric field with its up-down beside it, check boxes and
// radios whose captions are the texts of their ids, labels by text id, and the OK and Cancel
// row.

#include "NumEdit.h"
#include "framework/ResourceDialog.h"

#include <QIcon>
#include <QLabel>

class QBoxLayout;
class QCheckBox;
class QDialogButtonBox;

class QRadioButton;

namespace kfm::dialogs {

struct NumberField {
    kfm::ui::CNumEdit* edit = nullptr;
    kfm::ui::CUpDown* spin = nullptr;
    QWidget* row = nullptr; // the field and its up-down, for a layout

    // The value held to the range.
    int Value() const { return spin->GetPos(); }
    // Writes the value without it counting as a change of the user's (no commit notice).
    void Show(int value) const;
    void SetLimits(int minimum, int maximum) const;
    void SetEnabled(bool enabled) const;
};

// An integer field of at most characters, its range and its up-down, registered by their ids.
NumberField AddNumberField(kfm::ui::DialogKit& kit, int editId, int spinId, int minimum,
                           int maximum, int characters);
QCheckBox* AddCheck(kfm::ui::DialogKit& kit, int id);
QRadioButton* AddRadio(kfm::ui::DialogKit& kit, int id);
QLabel* AddLabel(kfm::ui::DialogKit& kit, UINT textId, QWidget* buddy = nullptr);
// The picture linking width and height while the proportions are kept.
QWidget* ProportionsPicture(QWidget* parent);
// A picture of the language library with its white shown as the button face.
QIcon ButtonFacePicture(UINT id);
// OK and Cancel registered as IDOK and IDCANCEL, wired to accept and reject, added to rows.
QDialogButtonBox* AddOkCancel(kfm::ui::ResourceDialog& dialog, QBoxLayout* rows);

} // namespace kfm::dialogs
