#include "EditorDialogServices.h"

#include "DlgSizeVector.h"
#include "DlgTextSettings.h"
#include "FrameObject.h"

#include <QApplication>

// A request whose dialog the editor does not offer yet is cancelled, as the model's stand-in
// does: the import, paste or save that asked for it stops without a change. The vector size and
// text settings dialogs are offered.

namespace kfm::ui {

int EditorDialogServices::runAviImportChoice(AviImportChoice&) {
    return IDCANCEL;
}

int EditorDialogServices::runFlicImportChoice(FlicImportChoice&) {
    return IDCANCEL;
}

int EditorDialogServices::runFontSubstitutionReport(FontSubstitutionReport&) {
    return IDCANCEL;
}

int EditorDialogServices::runVectorSizeChoice(VectorSizeChoice& request) {
    const RECT& r = request.initial;
    kfm::dialogs::CDlgSizeVector dialog(QApplication::activeWindow(), r.left, r.top, r.right,
                                        r.bottom, QString::fromLocal8Bit(request.title.c_str()));
    if (dialog.exec() != QDialog::Accepted)
        return IDCANCEL;
    dialog.GetRect(request.chosen);
    request.antialiasing = static_cast<std::uint8_t>(dialog.GetAntialiasing());
    return IDOK;
}

int EditorDialogServices::runCompressionChoice(CompressionChoice&) {
    return IDCANCEL;
}

int EditorDialogServices::runTextSettings(CObjFrame& frame) {
    if (!frame.hasText)
        return IDCANCEL;
    kfm::dialogs::CDlgTextSettings dialog(QApplication::activeWindow(), 0, RECT{0, 0, 0, 0},
                                          kfm::dialogs::CDlgTextSettings::kEdit, &frame);
    if (dialog.exec() != QDialog::Accepted || !dialog.GetTextFrame())
        return IDCANCEL;
    HandTextObjectToFrame(frame, dialog.GetTextFrame()->text);
    return IDOK;
}

} // namespace kfm::ui
