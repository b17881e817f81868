#include "ImportFiles.h"

#include "EdgeLocks.h"
#include "FrameInsertion.h"
#include "GIFAnimDoc.h"
#include "OpenFailure.h"
#include "ShellServices.h"
#include "UndoHistory.h"

int ImportFiles(CGIFAnimDoc& document, const std::vector<std::string>& paths, int undoKind) {
    if (!g_pAnimationData)
        return 0;
    FrameList incoming;
    std::vector<std::string> unreadable;
    {
        WaitCursor wait;
        for (const std::string& path : paths) {
            FrameList frames;
            const int result = document.ImportFile(path.c_str(), frames, nullptr);
            if (result == kImportFailed)
                unreadable.push_back(path);
            incoming.splice(incoming.end(), frames);
        }
    }
    int inserted = 0;
    if (!incoming.empty() && CheckEdgeLocks(&incoming, nullptr)) {
        CUndoHistory& undo = TheUndoHistory();
        undo.BeginStep(undoKind);
        inserted = InsertFramesAfterCurrent(incoming);
        undo.EndStep(0);
    }
    for (const std::string& path : unreadable)
        ShowOpenFailure(path, DiagnoseOpenFailure(path));
    return inserted;
}
