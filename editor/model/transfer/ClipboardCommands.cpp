#include "ClipboardCommands.h"

#include "AnimationData.h"
#include "ClipboardFramesBlock.h"
#include "DialogServices.h"
#include "EdgeLocks.h"
#include "FrameInsertion.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MetafileLoading.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "UndoHistory.h"
#include "VectorRender.h"
#include "clipboard/Clipboard.h"
#include "memory/GlobalMemory.h"
#include "metafile/EnhMetafile.h"

#include <algorithm>

namespace kfm::model {

namespace {

bool available(UINT format) {
    return format != 0 && IsClipboardFormatAvailable(format);
}

// The clipboard, open for the lifetime of the object when open() says so.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() {
        if (open_)
            CloseClipboard();
    }
    bool open() const { return open_; }

private:
    bool open_;
};

enum class BlockPut { NoFrames, Refused, Done };

// Puts the block of the selected frames on the emptied clipboard.
BlockPut putFramesBlock(HWND owner) {
    const HGLOBAL block = CreateClipboardFramesBlock();
    if (!block)
        return BlockPut::NoFrames;
    OpenedClipboard clipboard(owner);
    if (!clipboard.open() || !EmptyClipboard() || !SetClipboardData(g_cfPrivateFormat, block)) {
        GlobalFree(block);
        return BlockPut::Refused;
    }
    return BlockPut::Done;
}

// The views after the frame list changed: the strip's items and the sheet.
void refreshAfterListChange() {
    g_pAnimationData->UpdateFrameCount();
    shell().refreshStripView();
    shell().redrawViews(1, 1);
    shell().updateAnimationPage();
    shell().updateOptimizeState();
}

void reportIncompletePaste() {
    ShellMessageBox(kfm5res::IDS_CLIPBOARD_FRAMES_FAILED, MB_ICONEXCLAMATION_);
}

// A new frame of the image with the frame information the image carries; the frame owns it.
CObjFrame frameOfImage(KpxHandle image, const VectorObjectRecord* vector) {
    FrameInfo info{};
    KPXGetImageFramesInfo(image, &info);
    CObjFrame frame(static_cast<std::uint16_t>(image), KPXWidth(image), KPXHeight(image), info.left,
                    info.top, info.delay, info.disposal, info.transparency, info.name, info.comment,
                    info.textObject, info.controlObject, vector ? vector : info.vectorObject,
                    info.npImageObject, info.keepTransparency);
    FreeFrameParts(info, 0);
    return frame;
}

std::unique_ptr<FrameList> framesOfPrivateBlock(HWND owner, bool& complete) {
    OpenedClipboard clipboard(owner);
    if (!clipboard.open())
        return nullptr;
    return ReadClipboardFramesBlock(static_cast<HGLOBAL>(GetClipboardData(g_cfPrivateFormat)),
                                    &complete);
}

std::unique_ptr<FrameList> framesOfPicture(HWND owner, bool& complete) {
    const KpxHandle image = KPXCreateImageFromClipboard(owner);
    if (!image) {
        complete = false;
        return nullptr;
    }
    auto list = std::make_unique<FrameList>();
    list->push_back(frameOfImage(image, nullptr));
    return list;
}

// The clipboard's enhanced metafile rendered at the size the user chooses, as a vector frame
// holding its own copy of the metafile.
std::unique_ptr<FrameList> framesOfMetafile(HWND owner, bool& complete) {
    VectorObjectRecord record;
    int width = 0;
    int height = 0;
    {
        OpenedClipboard clipboard(owner);
        if (!clipboard.open())
            return nullptr;
        const auto held = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
        if (!held)
            return nullptr;
        // The clipboard keeps its metafile; the frame gets a copy.
        record.metafile.reset(CopyEnhMetaFileA(held, nullptr));
    }
    if (!record.metafile || !GetEnhMetaFileFrameSize(&width, &height, record.metafile.get())) {
        complete = false;
        return nullptr;
    }
    record.sourceRight = width;
    record.sourceBottom = height;
    record.antialias = 1;
    record.transparencyLevel = 0;
    VectorSizeChoice dialog(owner, 0, 0, width, height, std::string());
    if (dialog.DoModal() != IDOK)
        return nullptr;
    RECT rect{};
    dialog.GetRect(rect);
    record.width = rect.right - rect.left + 1;
    record.height = rect.bottom - rect.top + 1;
    record.antialias = dialog.GetAntialiasing();
    const KpxHandle image =
        RenderMetafileImage(record.metafile.get(), rect, 0, 0, 0, record.antialias);
    if (!image) {
        complete = false;
        return nullptr;
    }
    auto list = std::make_unique<FrameList>();
    list->push_back(frameOfImage(image, &record));
    return list;
}

std::unique_ptr<FrameList> framesOfDroppedFiles(HWND owner, CGIFAnimDoc* document) {
    if (!document)
        return nullptr;
    OpenedClipboard clipboard(owner);
    if (!clipboard.open())
        return nullptr;
    const auto drop = static_cast<HGLOBAL>(GetClipboardData(CF_HDROP));
    return drop ? document->ImportDroppedFiles(drop) : nullptr;
}

std::unique_ptr<FrameList> framesOfFormat(HWND owner, UINT format, CGIFAnimDoc* document,
                                          bool& complete) {
    if (format == 0)
        return nullptr;
    if (format == g_cfPrivateFormat)
        return available(format) ? framesOfPrivateBlock(owner, complete) : nullptr;
    if (format == CF_DIB)
        return available(CF_DIB) || available(CF_BITMAP) ? framesOfPicture(owner, complete)
                                                         : nullptr;
    if (format == CF_ENHMETAFILE || format == CF_METAFILEPICT)
        return available(format) ? framesOfMetafile(owner, complete) : nullptr;
    if (format == CF_HDROP)
        return available(format) ? framesOfDroppedFiles(owner, document) : nullptr;
    return nullptr;
}

// Pasted frames keep their places unless the animation has a fixed size: then each starts inside
// the logical screen. The frames then go in by the insertion rule of every new frame.
int insertPastedFrames(FrameList& pasted) {
    const CAnimationData& animation = *g_pAnimationData;
    if (!animation.AnimationStateElasticSize)
        for (CObjFrame& frame : pasted) {
            frame.left = std::min(frame.left, animation.AnimationWidth - 1);
            frame.top = std::min(frame.top, animation.AnimationHeight - 1);
        }
    return InsertFramesAfterCurrent(pasted);
}

} // namespace

int CopyFramesToClipboard(HWND owner) {
    if (!shell().hasActiveDocument() || !g_pAnimationData)
        return 0;
    const BlockPut put = putFramesBlock(owner);
    ClearFramesMark();
    const CObjFrame* first = GetFirstSelFrame();
    if (put == BlockPut::Refused || !first)
        return put == BlockPut::Done;
    if (const std::uint16_t picture = first->GetDisplayImage())
        KPXCopyImageToClipboard(owner, static_cast<KpxHandle>(picture), CF_DIB, 0);
    if (first->hasVector && first->vector.metafile) {
        OpenedClipboard clipboard(owner);
        // The clipboard owns what it is given: it gets a copy, so the frame's own metafile
        // stays valid when the clipboard is emptied.
        const HENHMETAFILE copy = CopyEnhMetaFileA(first->vector.metafile.get(), nullptr);
        if (copy && (!clipboard.open() || !SetClipboardData(CF_ENHMETAFILE, copy)))
            DeleteEnhMetaFile(copy);
    }
    return put == BlockPut::Done;
}

int CutFramesToClipboard(HWND owner) {
    if (!shell().hasActiveDocument() || !g_pAnimationData)
        return 0;
    const bool cut = putFramesBlock(owner) == BlockPut::Done;
    if (cut) {
        CUndoHistory& undo = TheUndoHistory();
        undo.BeginStep(kUndoKindCut);
        DeleteSelFramesKeepCurrent(1);
        undo.EndStep(0);
    }
    ClearFramesMark();
    refreshAfterListChange();
    return cut;
}

UINT ChoosePasteFormat() {
    if (available(g_cfPrivateFormat))
        return g_cfPrivateFormat;
    if (available(CF_DIB) || available(CF_BITMAP))
        return CF_DIB;
    if (available(CF_ENHMETAFILE))
        return CF_ENHMETAFILE;
    if (available(CF_HDROP))
        return CF_HDROP;
    return 0;
}

bool CanPasteSpecialFrames() {
    return available(CF_DIB) || available(CF_BITMAP) || available(g_cfPrivateFormat) ||
           (available(CF_ENHMETAFILE) && !g_bPreviewPlaying);
}

bool CanPasteFrames() {
    return CanPasteSpecialFrames() || available(CF_HDROP);
}

std::vector<PasteSpecialEntry> PasteSpecialEntries() {
    const PasteSpecialEntry table[] = {
        {g_cfPrivateFormat, kfm5res::IDS_PASTE_NAME_FRAMES, kfm5res::IDS_PASTE_RESULT_FRAMES},
        {CF_DIB, kfm5res::IDS_PASTE_NAME_DIB, kfm5res::IDS_PASTE_RESULT_DIB},
        {CF_ENHMETAFILE, kfm5res::IDS_PASTE_NAME_ENHMETAFILE,
         kfm5res::IDS_PASTE_RESULT_ENHMETAFILE},
        {CF_METAFILEPICT, kfm5res::IDS_PASTE_NAME_METAFILEPICT,
         kfm5res::IDS_PASTE_RESULT_METAFILEPICT},
    };
    std::vector<PasteSpecialEntry> entries;
    for (const PasteSpecialEntry& entry : table)
        if (available(entry.format))
            entries.push_back(entry);
    return entries;
}

int PasteFormat(HWND owner, UINT format, CGIFAnimDoc* document) {
    if (!shell().hasActiveDocument() || !g_pAnimationData)
        return 0;
    bool complete = true;
    std::unique_ptr<FrameList> pasted;
    {
        WaitCursor wait;
        pasted = framesOfFormat(owner, format, document, complete);
    }
    bool done = false;
    if (pasted && !pasted->empty() && CheckEdgeLocks(pasted.get(), nullptr)) {
        CUndoHistory& undo = TheUndoHistory();
        undo.BeginStep(kUndoKindPaste);
        done = insertPastedFrames(*pasted) > 0;
        undo.EndStep(0);
    }
    if (!complete)
        reportIncompletePaste();
    return done;
}

int DeleteSelectedFrames() {
    if (!shell().hasActiveDocument() || !g_pAnimationData)
        return 0;
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindDeleteFrames);
    const int selected = GetSelFramesCount();
    const bool deleted = DeleteSelFrames() != 0;
    // A step that changed nothing is dropped again.
    undo.EndStep(0);
    if (!deleted)
        return 0;
    refreshAfterListChange();
    return selected;
}

} // namespace kfm::model
