#include "ObjectCommands.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "DlgSysControl.h"
#include "FrameDialogCommands.h"
#include "FrameInsertion.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "ObjectDialogBackground.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "UndoHistory.h"
#include "extedit/ExternalEdits.h"
#include "sheet/GIFSheet.h"
#include "views/AnimationView.h"
#include "views/MainPanes.h"

#include <iterator>

namespace kfm::ui {

using namespace kfm5res;
using kfm::syscontrols::CDlgSysControl;

namespace {

// A frame is edited while the frames can be: a document, a selection holding the current frame
// and not the placeholder, real frames, no preview running and no label being edited.
bool canEditFrames(const kfm::shell::UiState& state) {
    const CObjFrame* current = GetCurrentFrame();
    return state.hasDocument && state.selectedCount > 0 && !state.placeholderSelected &&
           state.listCount >= 2 && !state.previewing && !state.editingName && current &&
           current->selected;
}

void refreshAfterChange(CMainFrame& frame) {
    g_pAnimationData->UpdateFrameCount();
    ::shell().refreshStripView();
    ::shell().redrawViews(1, 1);
    if (CGIFSheet* sheet = frame.Panes().Sheet()) {
        sheet->UpdateFramePage(GetCurrentFrame());
        sheet->UpdateAnimationPage();
    }
    ::shell().updateOptimizeState();
}

} // namespace

void ObjectCommands::RouteCommands(CommandRouter& router) {
    router.Route(
        ID_FRAME_NEW_CONTROL, [this](UINT) { newControlObject(); },
        [this](CmdUI& ui) {
            const kfm::shell::UiState state = frame_.UiSnapshot();
            ui.Enable(state.hasDocument && !state.previewing);
        });
    router.Route(
        ID_FRAME_EDIT_OBJECT, [this](UINT) { editObject(); },
        [this](CmdUI& ui) {
            // Text and control frames go to their dialogs, picture frames to the outside bitmap
            // editor (when there is one).
            const CObjFrame* current = GetCurrentFrame();
            const bool picture = current && !current->hasControl && !current->hasText;
            ui.Enable(canEditFrames(frame_.UiSnapshot()) && current && !current->hasVector &&
                      (current->hasText || current->hasControl ||
                       (picture && !kfm::shell::g_AppSettings.EditorPath.empty())));
        });
}

void ObjectCommands::newControlObject() {
    if (!g_pAnimationData || g_bPreviewPlaying)
        return;
    const ObjectDialogBackground background = MakeObjectDialogBackground(frame_);
    const RECT& r = background.rect;
    CDlgSysControl dialog(&frame_, CDlgSysControl::kInsert, nullptr, background.image.get(), r.left,
                          r.top, r.right, r.bottom);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::unique_ptr<CObjFrame> made = dialog.TakeNewFrame();
    if (!made)
        return;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindNewControlObject);
    FrameList incoming;
    incoming.push_back(std::move(*made));
    InsertFramesAfterCurrent(incoming);
    undo.EndStep(0);
    refreshAfterChange(frame_);
}

void ObjectCommands::editObject() {
    const CObjFrame* current = GetCurrentFrame();
    if (!g_pAnimationData || !current || current->hasVector)
        return;
    if (current->hasText) {
        EditTextFrame(frame_);
        return;
    }
    if (current->hasControl) {
        editControlObject();
        return;
    }
    const CObjFrame* first = GetFirstSelFrame();
    frame_.WaitForDesktopTools(); // the editor the desktop names, when it is still looked up
    if (first)
        frame_.ExtEdits().StartExtEditSession(first->GetImage(), first->GetID(),
                                              GetFirstSelFrameIndex() + 1);
}

void ObjectCommands::editControlObject() {
    CObjFrame* current = GetCurrentFrame();
    if (!g_pAnimationData || !current || !current->hasControl)
        return;
    const int index = GetCurrentFrameIndex();
    const ObjectDialogBackground background = MakeObjectDialogBackground(frame_);
    const RECT& r = background.rect;
    CDlgSysControl dialog(&frame_, CDlgSysControl::kEdit, current, background.image.get(), r.left,
                          r.top, r.right, r.bottom);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::unique_ptr<CObjFrame> made = dialog.TakeNewFrame();
    if (!made)
        return;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindEditControlObject);
    FrameList& frames = g_pAnimationData->frames;
    if (index >= 0 && index + 1 < static_cast<int>(frames.size())) {
        auto edited = std::next(frames.begin(), index);
        made->selected = 1;
        made->current = 1;
        *edited = std::move(*made);
    }
    DeleteEmptyFrames();
    undo.EndStep(0);
    refreshAfterChange(frame_);
}

} // namespace kfm::ui
