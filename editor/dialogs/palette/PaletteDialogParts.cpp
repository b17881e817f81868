#include "PaletteDialogParts.h"

#include "ColourTexts.h"
#include "ControlDrawing.h"
#include "Kfm5ResourceIds.h"
#include "PaletteGridLayout.h"
#include "ResourceAccess.h"
#include "SmallControls.h"
#include "framework/ResourceDialog.h"

#include <QBoxLayout>
#include <QColorDialog>
#include <QLabel>

#include <algorithm>

namespace kfm::dialogs {

using kfm::ui::FromCodePage1252;
using kfm::ui::ResourceText;

std::optional<COLORREF> ChooseColourWithDialog(COLORREF start, QWidget* parent) {
    const QColor chosen = QColorDialog::getColor(kfm::ui::ToQColor(start), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return kfm::ui::ToColorRef(chosen);
}

namespace {

QLabel* addField(kfm::ui::DialogKit& kit, QBoxLayout* layout, int id) {
    auto* label = kit.add(id, new QLabel(kit.owner()));
    layout->addWidget(label);
    return label;
}

void showNumber(QLabel* label, UINT format, int value) {
    label->setText(NumberText(format, value));
}

void showBlank(QLabel* label, UINT format) {
    label->setText(FromCodePage1252(kfm::shell::BlankFieldText(ResourceText(format))));
}

} // namespace

EntryFields::EntryFields(kfm::ui::DialogKit& kit, QBoxLayout* layout, int indexId, int redId,
                         int greenId, int blueId)
    : index_(addField(kit, layout, indexId)), red_(addField(kit, layout, redId)),
      green_(addField(kit, layout, greenId)), blue_(addField(kit, layout, blueId)) {}

void EntryFields::Show(int index, COLORREF colour) {
    showNumber(index_, kfm5res::IDS_FIELD_INDEX, index);
    showNumber(red_, kfm5res::IDS_FIELD_RED, GetRValue(colour));
    showNumber(green_, kfm5res::IDS_FIELD_GREEN, GetGValue(colour));
    showNumber(blue_, kfm5res::IDS_FIELD_BLUE, GetBValue(colour));
}

void EntryFields::Blank() {
    showBlank(index_, kfm5res::IDS_FIELD_INDEX);
    showBlank(red_, kfm5res::IDS_FIELD_RED);
    showBlank(green_, kfm5res::IDS_FIELD_GREEN);
    showBlank(blue_, kfm5res::IDS_FIELD_BLUE);
}

void ShowChosenEntry(EntryFields& fields, kfm::ui::CColorButton& button, KpxHandle image,
                     int index) {
    const COLORREF colour = KPXGetColorFromPalette(image, index);
    fields.Show(index, colour);
    button.SetPaletteColor(colour, index);
}

void ShowHoveredEntry(EntryFields& fields, kfm::ui::CColorSwatch& swatch, int index, bool over,
                      COLORREF colour) {
    if (!over) {
        fields.Blank();
        swatch.SetColor(kfm::ui::ToColorRef(kfm::ui::FaceColour(swatch.palette())));
        return;
    }
    fields.Show(index, colour);
    swatch.SetColor(colour);
}

QString NumberText(UINT formatId, int value) {
    return FromCodePage1252(kfm::shell::NumberFieldText(ResourceText(formatId), value));
}

int ColourTableSize(KpxHandle image) {
    const BITMAPINFO* info = image != 0 ? KPXGetBitmapInfoHeader(image) : nullptr;
    if (info == nullptr)
        return 0;
    return std::clamp(static_cast<int>(info->bmiHeader.biClrUsed), 0, kGridCells);
}

} // namespace kfm::dialogs

namespace kfm::dialogs {

bool IsTableEntry(KpxHandle image, int index) {
    return 0 <= index && index < ColourTableSize(image);
}

} // namespace kfm::dialogs
