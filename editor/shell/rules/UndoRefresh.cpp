#include "UndoRefresh.h"

#include "UndoHistory.h"

namespace kfm::shell {

namespace {

bool oneOf(int kind, std::initializer_list<int> kinds) {
    for (const int k : kinds)
        if (k == kind)
            return true;
    return false;
}

UndoRefresh sizeRefresh() {
    UndoRefresh r;
    r.rebuildStrip = true;
    r.animationPage = true;
    r.framePage = true;
    r.frameControls = true;
    r.fitColumnOnResize = true;
    return r;
}

UndoRefresh listRefresh() {
    UndoRefresh r;
    r.rebuildStrip = true;
    r.animationPage = true;
    r.framePage = true;
    r.frameControls = true;
    r.optimiserControls = true;
    r.fitColumnOnResize = true;
    r.documentViews = true;
    return r;
}

UndoRefresh mirrorRefresh() {
    UndoRefresh r;
    r.repaintStrip = true;
    r.documentViews = true;
    r.animationPage = true;
    return r;
}

UndoRefresh propertyRefresh() {
    UndoRefresh r;
    r.rebuildStrip = true;
    r.framePage = true;
    r.documentViews = true;
    return r;
}

} // namespace

UndoRefresh UndoRefreshForKind(int kind) {
    if (oneOf(kind, {kUndoKindAnimationSize, kUndoKindElasticSize}))
        return sizeRefresh();
    if (kind == kUndoKindMove) {
        UndoRefresh r = sizeRefresh();
        r.framePageCommonValues = true;
        r.documentViews = true;
        return r;
    }
    if (oneOf(kind, {kUndoKindMirrorHorizontally, kUndoKindMirrorVertically}))
        return mirrorRefresh();
    if (oneOf(kind, {kUndoKindDelay, kUndoKindDisposal, kUndoKindTransparency,
                     kUndoKindTransparentColour, kUndoKindAlpha, kUndoKindFrameName,
                     kUndoKindFrameLabel, kUndoKindLoop, kUndoKindLoopCount, kUndoKindLoopMode,
                     kUndoKindAnimationComment, kUndoKindMoveFrames, kUndoKindPalette,
                     kUndoKindDuplicateFrames, kUndoKindObjectsToImages, kUndoKindRenderStates}))
        return propertyRefresh();
    if (oneOf(kind, {35, kUndoKindSaveAndPreview}))
        return UndoRefresh{};
    // Optimising, cut, paste, delete, objects, new frames, imports, tweening, crop, rotation,
    // plug-ins, resize, merge, and any kind without a rule of its own: everything.
    return listRefresh();
}

} // namespace kfm::shell
