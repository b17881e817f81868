#pragma once
// What the two palette dialogs share: the four fields that show a palette entry (index, red,
// green, blue) or their labels alone, the count texts, and the colour chooser that edits an
// entry (the system colour dialog, replaceable so that tests answer for the user).

#include <QString>

#include <functional>
#include <optional>

#include "Bitra5.h"

class QBoxLayout;
class QLabel;
class QWidget;

namespace kfm::ui {
class CColorButton;
class CColorSwatch;
class DialogKit;
} // namespace kfm::ui

namespace kfm::dialogs {

// Asks the user for a colour starting at the given one; nothing when the user cancels.
using ColourChooser = std::function<std::optional<COLORREF>(COLORREF start, QWidget* parent)>;
// The system colour dialog.
std::optional<COLORREF> ChooseColourWithDialog(COLORREF start, QWidget* parent);

// Index, red, green and blue of one entry, registered in the kit under their control ids.
class EntryFields {
public:
    EntryFields(kfm::ui::DialogKit& kit, QBoxLayout* layout, int indexId, int redId, int greenId,
                int blueId);
    void Show(int index, COLORREF colour);
    // The labels without numbers.
    void Blank();

private:
    QLabel* index_;
    QLabel* red_;
    QLabel* green_;
    QLabel* blue_;
};

// The chosen entry of the image: its fields and the colour button.
void ShowChosenEntry(EntryFields& fields, kfm::ui::CColorButton& button, KpxHandle image,
                     int index);
// The entry under the mouse: its fields and the swatch, or (off the entries) the labels alone
// and the face colour.
void ShowHoveredEntry(EntryFields& fields, kfm::ui::CColorSwatch& swatch, int index, bool over,
                      COLORREF colour);

// A format of the language library filled with one number.
QString NumberText(UINT formatId, int value);
// The number of entries of the image's colour table (at most 256).
int ColourTableSize(KpxHandle image);
// An index of an entry of the image's colour table.
bool IsTableEntry(KpxHandle image, int index);

} // namespace kfm::dialogs
