#include "FrameDialogCommands.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "DlgAdjustFrames.h"
#include "DlgNewFrame.h"
#include "DlgResize.h"
#include "DlgRotate.h"
#include "DlgTextSettings.h"
#include "DlgTween.h"
#include "EdgeLocks.h"
#include "FrameDialogRules.h"
#include "FrameInsertion.h"
#include "FrameTransparency.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "ObjectDialogBackground.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "UndoHistory.h"
#include "sheet/GIFSheet.h"
#include "views/MainPanes.h"

#include <iterator>

namespace kfm::ui {

using namespace kfm5res;
using kfm::dialogs::CDlgAdjustFrames;
using kfm::dialogs::CDlgNewFrame;
using kfm::dialogs::CDlgResize;
using kfm::dialogs::CDlgRotate;
using kfm::dialogs::CDlgTextSettings;
using kfm::dialogs::CDlgTween;
using kfm::dialogs::NewFrameValues;

namespace {

// The selected real frames' count.
int selectedRealFrames() {
    int count = 0;
    for (const CObjFrame& f : g_pAnimationData->frames)
        count += f.GetImage() && f.selected;
    return count;
}

// A blank 8-bit frame of the fine palette filled with the chosen entry.
KpxHandle blankImage(const NewFrameValues& v) {
    ScopedImage image(KPXCreateImage(v.width, v.height, 8));
    if (!image.get())
        return 0;
    const PALETTEENTRY* fine = KPXGetFinePalette();
    RGBQUAD* table = KPXGetBitmapInfoHeader(image.get())->bmiColors;
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{fine[i].peBlue, fine[i].peGreen, fine[i].peRed, 0};
    KPXSetColorToPalette(image.get(), v.index, v.colour);
    KPXFillDIBColorTable(image.get());
    KPXFillImageByIndexColor(image.get(), v.index);
    if (v.transparent)
        SetImageTransparent(static_cast<short>(image.get()), v.index);
    return image.release();
}

// Puts the made frame in place of the real frame at index, keeping its selection marks.
void replaceFrameAt(int index, CObjFrame& made) {
    FrameList& frames = g_pAnimationData->frames;
    if (index < 0 || index + 1 >= static_cast<int>(frames.size()))
        return;
    CObjFrame& replaced = *std::next(frames.begin(), index);
    made.selected = replaced.selected;
    made.current = replaced.current;
    replaced = made;
}

} // namespace

void FrameDialogCommands::RouteCommands(CommandRouter& router) {
    route(router, {ID_FRAME_TWEEN}, [this](UINT) { tween(); });
    route(router, {ID_FRAME_RESIZE}, [this](UINT) { resize(); });
    route(router, {ID_FRAME_ROTATE}, [this](UINT) { rotate(); });
    route(router, {ID_FRAME_ADJUST_DELAYS}, [this](UINT) { adjustDelays(); });
    route(router, {ID_FRAME_NEW_TEXT}, [this](UINT) { newText(); });
    route(router, {ID_FRAME_NEW}, [this](UINT) { newFrame(); });
}

void FrameDialogCommands::refreshFrames() {
    g_pAnimationData->UpdateFrameCount();
    ::shell().refreshStripView();
    ::shell().redrawViews(1, 1);
    if (CGIFSheet* sheet = frame_.Panes().Sheet()) {
        sheet->UpdateFramePage(GetCurrentFrame());
        sheet->UpdateAnimationPage();
    }
    ::shell().updateOptimizeState();
}

void FrameDialogCommands::tween() {
    if (!g_pAnimationData || g_pAnimationData->RealFrameCount() < 1)
        return;
    const int first = GetFirstSelFrameIndex() + 1;
    int last = GetLastSelFrameIndex() + 1;
    if (last == first)
        ++last;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindTween);
    CDlgTween dialog(&frame_, first, last);
    if (dialog.exec() == QDialog::Accepted)
        DeleteEmptyFrames();
    undo.EndStep(0);
    refreshFrames();
}

void FrameDialogCommands::resize() {
    const CObjFrame* current = GetCurrentFrame();
    if (!g_pAnimationData || !current || !current->GetImage())
        return;
    const int index = GetCurrentFrameIndex();
    CDlgResize dialog(&frame_, *current);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::unique_ptr<CObjFrame> made = dialog.TakeResultFrame();
    if (!made || !made->GetImage())
        return;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindResize);
    replaceFrameAt(index, *made);
    DeleteEmptyFrames();
    undo.EndStep(0);
    refreshFrames();
}

void FrameDialogCommands::rotate() {
    const CObjFrame* current = GetCurrentFrame();
    if (!g_pAnimationData || !current || !current->GetImage())
        return;
    const int index = GetCurrentFrameIndex();
    const ObjectDialogBackground background = MakeObjectDialogBackground(frame_);
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindRotate);
    CDlgRotate dialog(&frame_, background.image.get(), background.rect, *current);
    std::unique_ptr<CObjFrame> made;
    if (dialog.exec() == QDialog::Accepted)
        made = dialog.TakeResultFrame();
    if (made && made->GetImage()) {
        replaceFrameAt(index, *made);
        DeleteEmptyFrames();
    }
    undo.EndStep(0);
    refreshFrames();
}

void FrameDialogCommands::adjustDelays() {
    if (!g_pAnimationData)
        return;
    CDlgAdjustFrames dialog(&frame_, GetSelFramesDuration(), selectedRealFrames());
    if (dialog.exec() != QDialog::Accepted)
        return;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindDelay);
    // Every delay stays within the frame page's range: a GIF keeps it in 16 bits.
    for (CObjFrame& f : g_pAnimationData->frames) {
        if (!f.GetImage() || !f.selected)
            continue;
        f.delay = dialog.GetMode() == 0
                      ? kfm::dialogs::DelayAfterAmount(f.delay, dialog.GetValue())
                      : kfm::dialogs::DelayAfterPercent(f.delay, dialog.GetPercent());
        f.PutFrameInfo(0);
    }
    undo.EndStep(0);
    if (CGIFSheet* sheet = frame_.Panes().Sheet())
        sheet->UpdateFramePage(GetCurrentFrame());
}

void FrameDialogCommands::newFrame() {
    if (!g_pAnimationData || g_bPreviewPlaying)
        return;
    kfm::shell::AppSettings& settings = kfm::shell::g_AppSettings;
    NewFrameValues caller;
    caller.width = GetSelFramesWidth();
    caller.height = GetSelFramesHeight();
    if (const CObjFrame* current = GetCurrentFrame();
        current && current->GetImage() && kfm::model::hasTransparentIndex(*current)) {
        caller.index = kfm::model::transparentIndex(*current);
        caller.colour =
            KPXGetColorFromPalette(static_cast<KpxHandle>(current->GetImage()), caller.index);
        caller.transparent = true;
    }
    NewFrameValues custom{settings.NewFrameWidth, settings.NewFrameHeight,
                          static_cast<COLORREF>(settings.NewFrameColor),
                          settings.NewFrameColorIndex, settings.NewFrameTransparent != 0};
    CDlgNewFrame dialog(&frame_, caller, custom, settings.NewFrameActual);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const NewFrameValues chosen = dialog.Result();
    settings.NewFrameWidth = chosen.width;
    settings.NewFrameHeight = chosen.height;
    settings.NewFrameColor = static_cast<int>(chosen.colour);
    settings.NewFrameColorIndex = chosen.index;
    settings.NewFrameTransparent = chosen.transparent ? 1 : 0;
    settings.NewFrameActual = dialog.ResultSource();
    const RECT rect{0, 0, chosen.width - 1, chosen.height - 1};
    if (!CheckEdgeLocks(&g_pAnimationData->frames, &rect))
        return;
    ScopedImage image(blankImage(chosen));
    if (!image.get())
        return;
    FrameInfo info{};
    KPXGetImageFramesInfo(image.get(), &info);
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindNewFrame);
    FrameList incoming;
    incoming.emplace_back(static_cast<std::uint16_t>(image.release()), chosen.width, chosen.height,
                          info.left, info.top, info.delay, info.disposal,
                          chosen.transparent ? kfm::model::kIndexFlag + chosen.index : 0u,
                          info.name, info.comment, nullptr, nullptr, nullptr, nullptr, 0);
    FreeFrameParts(info, 0);
    InsertFramesAfterCurrent(incoming);
    undo.EndStep(0);
    refreshFrames();
}

void FrameDialogCommands::newText() {
    if (!g_pAnimationData || g_bPreviewPlaying)
        return;
    const ObjectDialogBackground background = MakeObjectDialogBackground(frame_);
    CDlgTextSettings dialog(&frame_, background.image.get(), background.rect,
                            CDlgTextSettings::kNew, nullptr);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::unique_ptr<CObjFrame> made = dialog.TakeTextFrame();
    if (!made || !made->GetImage())
        return;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindNewTextObject);
    FrameList incoming;
    incoming.push_back(*made);
    InsertFramesAfterCurrent(incoming);
    undo.EndStep(0);
    refreshFrames();
}

bool EditTextFrame(CMainFrame& frame) {
    const CObjFrame* current = GetCurrentFrame();
    if (!g_pAnimationData || !current || !current->hasText)
        return false;
    const int index = GetCurrentFrameIndex();
    const ObjectDialogBackground background = MakeObjectDialogBackground(frame);
    CDlgTextSettings dialog(&frame, background.image.get(), background.rect,
                            CDlgTextSettings::kEdit, current);
    if (dialog.exec() != QDialog::Accepted)
        return true;
    std::unique_ptr<CObjFrame> made = dialog.TakeTextFrame();
    if (!made || !made->GetImage())
        return true;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindEditObject);
    replaceFrameAt(index, *made);
    DeleteEmptyFrames();
    undo.EndStep(0);
    g_pAnimationData->UpdateFrameCount();
    ::shell().refreshStripView();
    ::shell().redrawViews(1, 1);
    if (CGIFSheet* sheet = frame.Panes().Sheet()) {
        sheet->UpdateFramePage(GetCurrentFrame());
        sheet->UpdateAnimationPage();
    }
    ::shell().updateOptimizeState();
    return true;
}

} // namespace kfm::ui
