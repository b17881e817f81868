#include "EditorDialogServices.h"

// A request whose dialog the editor does not offer yet is cancelled, as the model's stand-in
// does: the import, paste or save that asked for it stops without a change.

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

int EditorDialogServices::runVectorSizeChoice(VectorSizeChoice&) {
    return IDCANCEL;
}

int EditorDialogServices::runCompressionChoice(CompressionChoice&) {
    return IDCANCEL;
}

int EditorDialogServices::runTextSettings(CObjFrame&) {
    return IDCANCEL;
}

} // namespace kfm::ui
