#include "IndexChangeEdit.h"

#include "Bitra5.h"
#include "UndoHistory.h"

int ChangeFrameIndex(CObjFrame& frame, int from, int to, int swap) {
    const auto image = static_cast<KpxHandle>(frame.GetImage());
    if (!image)
        return 0;
    const KpxHandle copy = KPXCreateImageFrom(image, 0);
    if (!copy)
        return 0;
    if (!KPXChangeIndexToIndex(copy, from, to, swap)) {
        KPXDeleteImage(copy);
        return 0;
    }
    KPXDeleteImage(static_cast<KpxHandle>(frame.SetImage(static_cast<std::uint16_t>(copy))));
    return 1;
}

int ChangeIndexInSelectedFrames(int from, int to, int swap) {
    if (!g_pAnimationData)
        return 0;
    CUndoHistory& history = TheUndoHistory();
    history.BeginStep(kUndoKindPalette);
    int changed = 0;
    for (CObjFrame& frame : g_pAnimationData->frames)
        if (frame.selected)
            changed += ChangeFrameIndex(frame, from, to, swap);
    history.EndStep(0);
    return changed;
}
