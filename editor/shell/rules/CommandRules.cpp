#include "CommandRules.h"

#include "AnimationData.h"
#include "Kfm5ResourceIds.h"

#include <cstdio>

namespace kfm::shell {

using namespace kfm5res;

namespace {

bool isRecentFile(UINT id) {
    return id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + 16;
}

std::string counter(int a, int b) {
    char text[32];
    std::snprintf(text, sizeof text, "%d / %d", a, b);
    return text;
}

} // namespace

UiState SnapshotModelState(bool hasDocument) {
    UiState state;
    state.hasDocument = hasDocument;
    if (!g_pAnimationData)
        return state;
    const FrameList& frames = g_pAnimationData->frames;
    state.listCount = static_cast<int>(frames.size());
    for (const CObjFrame& f : frames)
        state.selectedCount += f.selected ? 1 : 0;
    state.placeholderSelected = !frames.empty() && frames.back().selected;
    return state;
}

bool IsCommandImplemented(UINT id) {
    switch (id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
    case ID_APP_EXIT:
    case ID_VIEW_TOOLBAR_STANDARD:
    case ID_VIEW_TOOLBAR_ANIMATION:
    case ID_VIEW_TOOLBAR_FRAMES:
    case ID_VIEW_STATUS_BAR:
    case ID_STOP_PREVIEW:
        return true;
    default:
        return isRecentFile(id);
    }
}

CommandState QueryCommandState(UINT id, const UiState& s) {
    if (isRecentFile(id))
        return {static_cast<int>(id - ID_FILE_MRU_FILE1) < s.recentFileCount, false};
    switch (id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_APP_EXIT:
    case ID_STOP_PREVIEW:
        return {true, false};
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
        // At least one real frame besides the placeholder.
        return {s.hasDocument && s.listCount >= 2, false};
    case ID_VIEW_TOOLBAR_STANDARD:
        return {true, s.standardToolbarVisible};
    case ID_VIEW_TOOLBAR_ANIMATION:
        return {true, s.animationToolbarVisible};
    case ID_VIEW_TOOLBAR_FRAMES:
        return {true, s.framesToolbarVisible};
    case ID_VIEW_STATUS_BAR:
        return {true, s.statusBarVisible};
    default:
        return {false, false};
    }
}

std::string FrameCounterText(const UiState& s, const std::string& emptyText) {
    if (s.previewing)
        return counter(s.playerFrame, s.playerFrameCount);
    if (!s.hasDocument)
        return " ";
    const bool onlyPlaceholder = s.placeholderSelected && s.selectedCount == 1;
    if (s.listCount <= 1 || onlyPlaceholder)
        return emptyText;
    const int selected = s.selectedCount - (s.placeholderSelected ? 1 : 0);
    return counter(selected, s.listCount - 1);
}

} // namespace kfm::shell
