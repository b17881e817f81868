#include "EditCommands.h"

#include "AnimationData.h"
#include "ClipboardCommands.h"
#include "CommandRules.h"
#include "FrameOrder.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "PasteSpecialDialog.h"
#include "ResourceAccess.h"
#include "SheetEdits.h"
#include "UndoHistory.h"
#include "UndoRefresh.h"
#include "sheet/GIFSheet.h"
#include "views/AnimationView.h"
#include "views/MainPanes.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextEdit>

namespace kfm::ui {

using namespace kfm5res;

namespace {

// The frame commands need the sheet, the strip and no label edit in progress.
bool framePanesReady(CMainFrame& frame) {
    CAnimationView* strip = frame.Panes().Strip();
    return frame.GetActiveDocument() && frame.Panes().Sheet() && strip && !strip->IsEditingLabel();
}

CGIFAnimDoc* activeDocument(CMainFrame& frame) {
    return dynamic_cast<CGIFAnimDoc*>(frame.GetActiveDocument());
}

// Widgets in which the Delete key edits text.
bool takesText(const QWidget* widget) {
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
        qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget))
        return true;
    const auto* combo = qobject_cast<const QComboBox*>(widget);
    return combo && combo->isEditable();
}

// The key itself, as if pressed in target. Qt offers a key sent by the program to the shortcuts
// first; a text widget claims Delete for itself, so this reaches its text.
void sendDeleteKey(QWidget* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

} // namespace

void EditCommands::RouteCommands(CommandRouter& router) {
    // The undo item names the step it reverts; its toolbar button's tip follows.
    router.Route(
        ID_EDIT_UNDO, [this](UINT) { undo(); },
        [this, &router](CmdUI& ui) {
            ui.Enable(kfm::shell::QueryCommandState(ui.id, frame_.UiSnapshot()).enabled);
            const std::string text = TheUndoHistory().GetUndoMenuText();
            const QString item = FromCodePage1252(text.substr(0, text.find('\t')));
            ui.SetText(item);
            router.Action(ID_EDIT_UNDO)->setToolTip(QString(item).remove(QLatin1Char('&')));
        });
    route(router, {ID_EDIT_SELECT_PREVIOUS}, [this](UINT) { selectNeighbour(-1); });
    route(router, {ID_EDIT_SELECT_NEXT}, [this](UINT) { selectNeighbour(1); });
    route(router, {ID_EDIT_SELECT_ALL}, [this](UINT) { selectAll(); });
    route(router, {ID_EDIT_LABEL}, [this](UINT) {
        if (CAnimationView* strip = frame_.Panes().Strip())
            strip->EditLabel();
    });
    route(router, {ID_EDIT_COPY}, [this](UINT) {
        if (frame_.GetActiveDocument())
            kfm::model::CopyFramesToClipboard(nullptr);
    });
    route(router, {ID_EDIT_CUT}, [this](UINT) {
        if (framePanesReady(frame_))
            kfm::model::CutFramesToClipboard(nullptr);
    });
    // Paste and Paste Special also need something on the clipboard they can take.
    const auto enableWhen = [this](bool (*clipboardOffers)()) {
        return [this, clipboardOffers](CmdUI& ui) {
            ui.Enable(kfm::shell::QueryCommandState(ui.id, frame_.UiSnapshot()).enabled &&
                      clipboardOffers());
        };
    };
    router.Route(
        ID_EDIT_PASTE,
        [this](UINT) {
            if (framePanesReady(frame_))
                kfm::model::PasteFormat(nullptr, kfm::model::ChoosePasteFormat(),
                                        activeDocument(frame_));
        },
        enableWhen(&kfm::model::CanPasteFrames));
    router.Route(
        ID_EDIT_PASTE_SPECIAL,
        [this](UINT) {
            if (!framePanesReady(frame_))
                return;
            PasteSpecialDialog dialog(&frame_, kfm::model::PasteSpecialEntries());
            if (dialog.exec() == QDialog::Accepted && dialog.ChosenFormat())
                kfm::model::PasteFormat(nullptr, dialog.ChosenFormat(), activeDocument(frame_));
        },
        enableWhen(&kfm::model::CanPasteSpecialFrames));
    route(router, {ID_EDIT_DELETE}, [this](UINT) { deleteWhereFocused(); });
}

void EditCommands::deleteWhereFocused() {
    // The key sent to a text widget may come back here through the Delete shortcut.
    if (forwardingDeleteKey_ || !framePanesReady(frame_))
        return;
    QWidget* focus = QApplication::focusWidget();
    if (focus && takesText(focus)) {
        const QScopedValueRollback forwarding(forwardingDeleteKey_, true);
        sendDeleteKey(focus);
        return;
    }
    // Frames go only while the strip has the focus (or nothing has).
    CAnimationView* strip = frame_.Panes().Strip();
    if (focus && focus != strip && !strip->isAncestorOf(focus))
        return;
    if (kfm::model::DeleteSelectedFrames() == 1) {
        CGIFSheet* sheet = frame_.Panes().Sheet();
        sheet->UpdateFramePage(GetCurrentFrame());
        sheet->UpdateFrameControls(1, 1, IsAnyFrame24Bit());
    }
}

namespace {

unsigned refreshBitsOf(const kfm::shell::UndoRefresh& r) {
    unsigned what = 0;
    what |= r.rebuildStrip ? CommandHandler::kRebuildStrip : 0;
    what |= r.repaintStrip ? CommandHandler::kRepaintStrip : 0;
    what |= r.animationPage ? CommandHandler::kAnimationPage : 0;
    what |= r.framePageCommonValues ? CommandHandler::kFramePageCommon : 0;
    what |= r.framePage ? CommandHandler::kFramePage : 0;
    what |= r.frameControls ? CommandHandler::kFrameControls : 0;
    what |= r.optimiserControls ? CommandHandler::kOptimiserControls : 0;
    what |= r.documentViews ? CommandHandler::kCanvas : 0;
    return what;
}

} // namespace

void EditCommands::undo() {
    if (!g_pAnimationData)
        return;
    CUndoHistory& history = TheUndoHistory();
    const int kind = history.GetCurrentKind();
    const int width = g_pAnimationData->AnimationWidth;
    const int height = g_pAnimationData->AnimationHeight;
    if (!history.Undo())
        return;
    // The pages take what they are shown now as an update, not as the user's edit.
    const kfm::shell::ChangeSourceScope updating(kfm::shell::kChangeSourceUpdate);
    const kfm::shell::UndoRefresh refresh = kfm::shell::UndoRefreshForKind(kind);
    RefreshAfterEdit(refreshBitsOf(refresh));
    const bool resized =
        width != g_pAnimationData->AnimationWidth || height != g_pAnimationData->AnimationHeight;
    if (refresh.fitColumnOnResize && resized)
        frame_.Panes().FitStripColumn();
}

void EditCommands::selectNeighbour(int step) {
    const int index = SelectNeighbourFrame(step);
    if (index < 0)
        return;
    RefreshAfterEdit(kFramePage | kCanvas);
    if (CAnimationView* strip = frame_.Panes().Strip())
        strip->EnsureItemVisible(index, 0);
}

void EditCommands::selectAll() {
    SelectAllFrames();
    RefreshAfterEdit(kFramePageCommon | kCanvas);
}

} // namespace kfm::ui
