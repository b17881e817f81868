#include "CommandRules.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "CanvasGeometry.h"
#include "FrameAlignment.h"
#include "Kfm5ResourceIds.h"
#include "SplitterSizes.h"
#include "UndoHistory.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
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

bool noLabelEdit(const UiState& s) {
    return !s.editingName;
}

bool onlyPlaceholderSelected(const UiState& s) {
    return s.placeholderSelected && s.selectedCount == 1;
}

// Align left, top, right and bottom: the current frame's lock test for the side passes.
CommandState alignEdgeState(const UiState& s, int side) {
    return {s.hasDocument && s.alignLockPasses[side] && s.selectedCount > 1 &&
                !s.placeholderSelected && !s.previewing && noLabelEdit(s),
            false};
}

// Centring and spacing: the selection holds at least minimum entries, not the placeholder.
CommandState alignSelectionState(const UiState& s, int minimum) {
    return {s.hasDocument && s.selectedCount >= minimum && !s.placeholderSelected &&
                !s.previewing && noLabelEdit(s),
            false};
}

// The frame and object commands of the Frame menu and the align toolbar.
std::optional<CommandState> frameCommandState(UINT id, const UiState& s) {
    const CurrentFrameFacts& f = s.current;
    const bool edit = CanEditFrames(s);
    switch (id) {
    case ID_FRAME_EDIT_OBJECT:
        if (!s.hasDocument || (!s.editorPathSet && !f.text && !f.control))
            return CommandState{};
        return CommandState{edit && !f.vector, false};
    case ID_FRAME_PALETTE:
        return CommandState{edit && !f.text && !f.vector && !f.bits24, false};
    case ID_FRAME_MIRROR_HORIZONTAL:
    case ID_FRAME_MIRROR_VERTICAL:
    case ID_FRAME_ROTATE:
        return CommandState{edit && !f.control, false};
    case ID_FRAME_RESIZE:
        return CommandState{edit && !f.text && !f.control, false};
    case ID_FRAME_CROP:
        return CommandState{edit && f.transparent && !f.text && !f.vector, false};
    case ID_FRAME_ADJUST_DELAYS:
        return CommandState{s.hasDocument && s.selectedCount > 0 && s.listCount > 1 &&
                                !s.previewing && (!s.placeholderSelected || s.selectedCount > 1),
                            false};
    case ID_FRAME_NEW:
    case ID_FRAME_NEW_TEXT:
    case ID_FRAME_NEW_CONTROL:
        return CommandState{!s.previewing, false};
    case ID_FRAME_TWEEN:
        return CommandState{s.listCount > 1 && !s.previewing, false};
    case ID_FRAME_OBJECTS_TO_IMAGES:
        // The conversion needs no outside editor: the frame's kind alone decides.
        return CommandState{
            edit && (f.text || f.control || f.vector || f.bits24 || f.hasTransparencyImage), false};
    case ID_FRAME_MERGE:
        return CommandState{edit && s.selectedCount > 1, false};
    case ID_FRAME_RENDER_STATES:
        return CommandState{CanEditFramesLoose(s), false};
    case ID_FRAME_DUPLICATE:
        return CommandState{s.hasDocument && s.selectedCount > 1 && !s.placeholderSelected &&
                                !s.previewing && noLabelEdit(s),
                            false};
    case ID_FRAME_MOVE_EARLIER:
    case ID_FRAME_MOVE_LATER: {
        const bool edge = id == ID_FRAME_MOVE_EARLIER ? s.firstEntrySelected : s.lastRealSelected;
        return CommandState{s.hasDocument && s.selectedCount > 0 && !edge &&
                                !s.placeholderSelected && s.listCount > 2 && !s.previewing &&
                                noLabelEdit(s),
                            false};
    }
    case ID_ALIGN_LEFT:
        return alignEdgeState(s, 1);
    case ID_ALIGN_TOP:
        return alignEdgeState(s, 2);
    case ID_ALIGN_RIGHT:
        return alignEdgeState(s, 3);
    case ID_ALIGN_BOTTOM:
        return alignEdgeState(s, 4);
    case ID_ALIGN_CENTRE_HORIZONTAL:
    case ID_ALIGN_CENTRE_VERTICAL:
        return alignSelectionState(s, 1);
    case ID_ALIGN_SPACE_ACROSS:
    case ID_ALIGN_SPACE_DOWN:
        return alignSelectionState(s, 3);
    default:
        return std::nullopt;
    }
}

// The Edit menu's selection, undo and clipboard commands.
std::optional<CommandState> editCommandState(UINT id, const UiState& s) {
    switch (id) {
    case ID_EDIT_SELECT_PREVIOUS:
    case ID_EDIT_SELECT_NEXT:
        return CommandState{
            s.hasDocument && s.selectedCount > 0 && s.listCount > 1 && !s.previewing, false};
    case ID_EDIT_SELECT_ALL:
        return CommandState{s.hasDocument && s.selectedCount > 0 && s.listCount > 1 &&
                                !s.previewing && noLabelEdit(s),
                            false};
    case ID_EDIT_UNDO:
        return CommandState{s.hasDocument && s.canUndo && !s.previewing && noLabelEdit(s), false};
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_DELETE:
        // Frames to take: never during the preview, whose chain is built of them.
        return CommandState{s.hasDocument && s.viewsExist && s.selectedCount >= 1 &&
                                s.listCount >= 2 && !s.previewing && noLabelEdit(s) &&
                                !onlyPlaceholderSelected(s),
                            false};
    case ID_EDIT_PASTE:
    case ID_EDIT_PASTE_SPECIAL:
        // They also need something on the clipboard, which the Edit menu asks the clipboard
        // about.
        return CommandState{s.hasDocument && s.viewsExist && noLabelEdit(s), false};
    default:
        return std::nullopt;
    }
}

// The File, browser, tool and help commands.
std::optional<CommandState> fileCommandState(UINT id, const UiState& s) {
    const bool realFrames = s.listCount >= 2;
    switch (id) {
    case ID_FILE_IMPORT:
    case ID_FILE_INSERT_VECTOR:
        return CommandState{!s.previewing, false};
    case ID_FILE_SAVE_FRAME:
        return CommandState{s.hasDocument && s.selectedCount == 1 && s.listCount > 1 &&
                                !s.previewing && CanEditFrames(s),
                            false};
    case ID_FILE_REVERT:
    case ID_FILE_GIF_DETAILS:
        return CommandState{s.hasDocument && s.documentFileExists, false};
    case ID_FILE_SEND_MAIL:
        return CommandState{s.hasDocument && realFrames, false};
    case ID_VIEW_BROWSER_IE:
        return CommandState{realFrames && s.browserPathIESet, false};
    case ID_VIEW_BROWSER_NN:
        return CommandState{realFrames && s.browserPathNNSet, false};
    case ID_VIEW_BROWSER_CUSTOM:
        return CommandState{realFrames && s.browserPathCustomSet, false};
    case ID_TOOLS_UPDATE_WIZARD:
        return CommandState{s.networkLayer, false};
    case ID_FILE_NEW_ANIMATION:
    case ID_FILE_PRINT_OPTIONS:
    case ID_TOOLS_PREFERENCES:
    case ID_TOOLS_PLUGIN_PREFERENCES:
    case ID_HELP_WEB_PAGE:
    case ID_HELP_FINDER:
    case ID_DEFAULT_HELP:
    case ID_HELP:
    case ID_CONTEXT_HELP:
        return CommandState{true, false};
    default:
        return std::nullopt;
    }
}

// The commands of the panes (strip, canvas, splitters and the preview in the canvas).
std::optional<CommandState> paneCommandState(UINT id, const UiState& s) {
    if (isThumbnailSize(id))
        return CommandState{s.viewsExist, ThumbnailIdForCommand(id) == s.thumbnailId};
    // The custom size asks for its size in a dialog.
    if (id == ID_THUMBNAIL_CUSTOM_SIZE)
        return CommandState{s.viewsExist, false};
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

bool CanEditFrames(const UiState& s) {
    return s.hasDocument && s.selectedCount > 0 && s.current.selected && !s.placeholderSelected &&
           s.listCount >= 2 && !s.previewing;
}

bool CanEditFramesLoose(const UiState& s) {
    return s.hasDocument && s.selectedCount > 0 && s.current.selected &&
           !onlyPlaceholderSelected(s) && s.listCount >= 2 && !s.previewing;
}

namespace {

CurrentFrameFacts factsOf(const CObjFrame& frame) {
    CurrentFrameFacts facts;
    facts.exists = true;
    facts.selected = frame.selected != 0;
    facts.text = frame.hasText != 0;
    facts.vector = frame.hasVector != 0;
    facts.control = frame.hasControl != 0;
    const auto image = static_cast<KpxHandle>(frame.GetImage());
    facts.bits24 = image && KPXbpp(image) == 24;
    facts.transparent = frame.transparency != 0 || (image && KPXIsImageTransparent(image));
    facts.hasTransparencyImage = image && KPXGetImageTransparentImageEx(image) != 0;
    return facts;
}

} // namespace

UiState SnapshotModelState(bool hasDocument) {
    UiState state;
    state.hasDocument = hasDocument;
    const AppSettings& settings = g_AppSettings;
    state.editorPathSet = !settings.EditorPath.empty();
    state.browserPathIESet = !settings.BrowserPathIE.empty();
    state.browserPathNNSet = !settings.BrowserPathNN.empty();
    state.browserPathCustomSet = !settings.BrowserPathCustom.empty();
    state.canUndo = TheUndoHistory().CanUndo() != 0;
    if (!g_pAnimationData)
        return state;
    FrameList& frames = g_pAnimationData->frames;
    state.listCount = static_cast<int>(frames.size());
    for (const CObjFrame& f : frames)
        state.selectedCount += f.selected ? 1 : 0;
    if (frames.empty())
        return state;
    state.placeholderSelected = frames.back().selected != 0;
    state.firstEntrySelected = frames.front().selected != 0;
    state.lastRealSelected = frames.size() >= 2 && std::prev(frames.end(), 2)->selected != 0;
    if (CObjFrame* current = GetCurrentFrame()) {
        state.current = factsOf(*current);
        for (int side = 1; side <= 4; ++side)
            state.alignLockPasses[side] = AlignCheckLock(current, side) != 0;
    }
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
    case ID_APP_ABOUT:
        return true;
    default: {
        const UiState none;
        return isRecentFile(id) || isThumbnailSize(id) || isPlayerCommand(id) ||
               paneCommandState(id, none) || frameCommandState(id, none) ||
               editCommandState(id, none) || fileCommandState(id, none);
    }
    }
}

CommandState QueryCommandState(UINT id, const UiState& s) {
    if (isRecentFile(id))
        return {static_cast<int>(id - ID_FILE_MRU_FILE1) < s.recentFileCount, false};
    for (const auto rule :
         {paneCommandState, frameCommandState, editCommandState, fileCommandState})
        if (const std::optional<CommandState> state = rule(id, s))
            return *state;
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
