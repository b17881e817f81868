#include "CommandRules.h"

#include "AnimationData.h"
#include "CanvasGeometry.h"
#include "Kfm5ResourceIds.h"
#include "SplitterSizes.h"

#include <cstdio>
#include <optional>

namespace kfm::shell {

using namespace kfm5res;

namespace {

bool isRecentFile(UINT id) {
    return id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + 16;
}

bool isThumbnailSize(UINT id) {
    return id >= ID_THUMBNAIL_FIRST && id <= ID_THUMBNAIL_LAST && ThumbnailIdForCommand(id) != 0;
}

bool isPlayerCommand(UINT id) {
    return id >= ID_PLAYER_FIRST && id <= ID_PLAYER_PAUSE;
}

// The commands of the panes (strip, canvas, splitters and the preview in the canvas).
std::optional<CommandState> paneCommandState(UINT id, const UiState& s) {
    if (isThumbnailSize(id))
        return CommandState{s.viewsExist, ThumbnailIdForCommand(id) == s.thumbnailId};
    if (isPlayerCommand(id)) {
        switch (id) {
        case ID_PLAYER_FILL:
            return CommandState{s.previewing, s.fill};
        case ID_PLAYER_PLAY:
            return CommandState{s.previewing && !s.playing, false};
        case ID_PLAYER_PAUSE:
            return CommandState{s.previewing && s.playing, false};
        default:
            return CommandState{s.previewing, false};
        }
    }
    const bool canZoom = s.viewsExist && !s.previewing;
    switch (id) {
    case ID_VIEW_ZOOM_IN:
        return CommandState{canZoom && ZoomModeAllowed(s.zoom, kZoomIn), false};
    case ID_VIEW_ZOOM_OUT:
        return CommandState{canZoom && ZoomModeAllowed(s.zoom, kZoomOut), false};
    case ID_VIEW_ZOOM_ACTUAL:
        return CommandState{canZoom && ZoomModeAllowed(s.zoom, kZoomActual), false};
    case ID_VIEW_PREVIEW:
        return CommandState{s.viewsExist && s.listCount >= 2, s.previewing};
    case ID_STRIP_TOGGLE:
    case ID_STRIP_STACKED:
        return CommandState{s.viewsExist, s.stacked};
    case ID_STRIP_SIDE_BY_SIDE:
        return CommandState{s.viewsExist, !s.stacked};
    case ID_APPLY_SPLITTER_SIZES:
        return CommandState{s.viewsExist, false};
    case ID_EDIT_LABEL:
        // One real frame selected, no edit running.
        return CommandState{s.viewsExist && s.hasDocument && !s.previewing && !s.editingName &&
                                s.selectedCount == 1 && !s.placeholderSelected,
                            false};
    case ID_FILE_PRINT:
        return CommandState{s.viewsExist && s.hasDocument && s.listCount >= 2 && !s.previewing,
                            false};
    default:
        return std::nullopt;
    }
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
    case ID_VIEW_ZOOM_IN:
    case ID_VIEW_ZOOM_OUT:
    case ID_VIEW_ZOOM_ACTUAL:
    case ID_VIEW_PREVIEW:
    case ID_STRIP_TOGGLE:
    case ID_STRIP_STACKED:
    case ID_STRIP_SIDE_BY_SIDE:
    case ID_APPLY_SPLITTER_SIZES:
    case ID_EDIT_LABEL:
    case ID_FILE_PRINT:
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_PASTE:
    case ID_EDIT_PASTE_SPECIAL:
    case ID_EDIT_DELETE:
    case ID_APP_ABOUT:
        return true;
    default:
        return isRecentFile(id) || isThumbnailSize(id) || isPlayerCommand(id);
    }
}

CommandState QueryCommandState(UINT id, const UiState& s) {
    if (isRecentFile(id))
        return {static_cast<int>(id - ID_FILE_MRU_FILE1) < s.recentFileCount, false};
    if (const std::optional<CommandState> pane = paneCommandState(id, s))
        return *pane;
    switch (id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_APP_EXIT:
    case ID_STOP_PREVIEW:
    case ID_APP_ABOUT:
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
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_PASTE:
    case ID_EDIT_PASTE_SPECIAL:
    case ID_EDIT_DELETE:
        // Paste and Paste Special also need something on the clipboard, which the Edit menu
        // asks the clipboard about.
        return {s.hasDocument && s.viewsExist && !s.editingName, false};
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
