#include "EditorDialogServices.h"

#include "DlgAVIFilter.h"
#include "DlgCompress.h"
#include "DlgFLICFilter.h"
#include "DlgFontSubst.h"
#include "DlgSizeVector.h"
#include "DlgTextSettings.h"
#include "FlicPreview.h"
#include "FrameObject.h"
#include "Kfm5ResourceIds.h"
#include "ShellServices.h"
#include "VideoPreview.h"

#include <QApplication>

#include <memory>

// The dialogs the editor offers are shown over the active window. A request whose dialog the
// editor does not offer yet is cancelled, as the model's stand-in does: the import, paste or
// save that asked for it stops without a change.

namespace kfm::ui {

using kfm::dialogs::ClipChoiceValues;
using kfm::dialogs::ClipPreview;

namespace {

QWidget* dialogParent() {
    return QApplication::activeWindow();
}

ClipChoiceValues valuesOf(const ClipChoicePointers& choice, const BOOL* sound) {
    ClipChoiceValues values;
    values.loop = choice.loop && *choice.loop;
    values.sound = sound && *sound;
    values.start = choice.startFrame ? *choice.startFrame : 1;
    values.count = choice.numFrames ? *choice.numFrames : -1;
    values.allFrames = choice.selectAllFrames && *choice.selectAllFrames;
    values.divisor = choice.divFrames ? *choice.divFrames : 1;
    values.merge = choice.mergeFrames && *choice.mergeFrames;
    return values;
}

void storeValues(const ClipChoiceValues& values, const ClipChoicePointers& choice, BOOL* sound) {
    const auto put = [](auto* target, auto value) {
        if (target)
            *target = value;
    };
    put(choice.loop, values.loop ? TRUE : FALSE);
    put(sound, values.sound ? TRUE : FALSE);
    put(choice.startFrame, values.start);
    put(choice.numFrames, values.count);
    put(choice.selectAllFrames, values.allFrames ? TRUE : FALSE);
    put(choice.divFrames, values.divisor);
    put(choice.mergeFrames, values.merge ? TRUE : FALSE);
}

// A clip that opened but has no frames or no length cannot be timed: it is refused before its
// dialog opens.
bool refuseUnplayable(const ClipPreview* preview, bool opened, const std::string& path) {
    if (opened && kfm::dialogs::IsPlayableClip(*preview))
        return false;
    ShellMessageBoxFormatted(kfm5res::IDS_CLIP_NOT_PLAYABLE, MB_ICONEXCLAMATION_, {path});
    return true;
}

// Runs a clip dialog over an opened preview; on OK the caller's values hold the choice.
template <class Dialog, class Preview, class Record>
int runClipDialog(std::unique_ptr<Preview> preview, Record& record, BOOL* sound) {
    record.clipFrameCount = preview->LengthFrames();
    Dialog dialog(dialogParent(), preview.release(), QString::fromLocal8Bit(record.path.c_str()),
                  record.maxFrames, valuesOf(record.choice, sound));
    if (dialog.exec() != QDialog::Accepted)
        return IDCANCEL;
    storeValues(dialog.Values(), record.choice, sound);
    return IDOK;
}

} // namespace

int EditorDialogServices::runAviImportChoice(AviImportChoice& dialog) {
    auto preview = std::make_unique<kfm::dialogs::VideoPreview>();
    const bool opened = preview->Open(QString::fromLocal8Bit(dialog.path.c_str()));
    if (refuseUnplayable(preview.get(), opened, dialog.path))
        return IDCANCEL;
    return runClipDialog<kfm::dialogs::CDlgAVIFilter>(std::move(preview), dialog, dialog.sound);
}

int EditorDialogServices::runFlicImportChoice(FlicImportChoice& dialog) {
    auto preview = std::make_unique<kfm::dialogs::FlicPreview>();
    const bool opened = preview->Open(QString::fromLocal8Bit(dialog.path.c_str()));
    if (refuseUnplayable(preview.get(), opened, dialog.path))
        return IDCANCEL;
    return runClipDialog<kfm::dialogs::CDlgFLICFilter>(std::move(preview), dialog, nullptr);
}

int EditorDialogServices::runFontSubstitutionReport(FontSubstitutionReport& report) {
    kfm::dialogs::CDlgFontSubst dialog(dialogParent(), report.report);
    dialog.exec();
    return IDOK;
}

int EditorDialogServices::runVectorSizeChoice(VectorSizeChoice& request) {
    const RECT& r = request.initial;
    kfm::dialogs::CDlgSizeVector dialog(dialogParent(), r.left, r.top, r.right, r.bottom,
                                        QString::fromLocal8Bit(request.title.c_str()));
    if (dialog.exec() != QDialog::Accepted)
        return IDCANCEL;
    dialog.GetRect(request.chosen);
    request.antialiasing = static_cast<std::uint8_t>(dialog.GetAntialiasing());
    return IDOK;
}

int EditorDialogServices::runCompressionChoice(CompressionChoice& choice) {
    kfm::dialogs::CDlgCompress dialog(dialogParent(), choice.formatId, choice.bitsPerPixel,
                                      choice.optionBits, choice.quality);
    return dialog.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

int EditorDialogServices::runTextSettings(CObjFrame& frame) {
    if (!frame.hasText)
        return IDCANCEL;
    kfm::dialogs::CDlgTextSettings dialog(dialogParent(), 0, RECT{0, 0, 0, 0},
                                          kfm::dialogs::CDlgTextSettings::kEdit, &frame);
    if (dialog.exec() != QDialog::Accepted || !dialog.GetTextFrame())
        return IDCANCEL;
    HandTextObjectToFrame(frame, dialog.GetTextFrame()->text);
    return IDOK;
}

} // namespace kfm::ui
