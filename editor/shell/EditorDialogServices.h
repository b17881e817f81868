#pragma once
// The editor's answers to the model's dialog requests: the dialogs that a file import, a paste,
// an export or a text frame needs, shown over the main window.

#include "DialogServices.h"

namespace kfm::ui {

class EditorDialogServices final : public DialogServices {
public:
    int runAviImportChoice(AviImportChoice& dialog) override;
    int runFlicImportChoice(FlicImportChoice& dialog) override;
    int runFontSubstitutionReport(FontSubstitutionReport& dialog) override;
    int runVectorSizeChoice(VectorSizeChoice& dialog) override;
    int runCompressionChoice(CompressionChoice& dialog) override;
    int runTextSettings(CObjFrame& frame) override;
};

} // namespace kfm::ui
