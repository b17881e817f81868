// When the main window's commands are enabled and checked, and the frame counter's text.

#include "CommandRules.h"

#include "AnimationData.h"
#include "Kfm5ResourceIds.h"
#include "UndoHistory.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;
using namespace kfm5res;

UiState withFrames(int listCount, int selected, bool placeholderSelected) {
    UiState s;
    s.hasDocument = true;
    s.listCount = listCount;
    s.selectedCount = selected;
    s.placeholderSelected = placeholderSelected;
    return s;
}

TEST(CommandRules, SaveNeedsARealFrame) {
    EXPECT_FALSE(QueryCommandState(ID_FILE_SAVE, withFrames(1, 0, false)).enabled);
    EXPECT_FALSE(QueryCommandState(ID_FILE_SAVE_AS, withFrames(1, 1, true)).enabled);
    EXPECT_TRUE(QueryCommandState(ID_FILE_SAVE, withFrames(2, 0, false)).enabled);
    EXPECT_TRUE(QueryCommandState(ID_FILE_SAVE_AS, withFrames(4, 2, false)).enabled);
    UiState noDocument = withFrames(4, 0, false);
    noDocument.hasDocument = false;
    EXPECT_FALSE(QueryCommandState(ID_FILE_SAVE, noDocument).enabled);
    for (const UINT always : {ID_FILE_NEW, ID_FILE_OPEN, ID_APP_EXIT, ID_STOP_PREVIEW})
        EXPECT_TRUE(QueryCommandState(always, UiState{}).enabled) << always;
}

TEST(CommandRules, RecentFilesFollowTheList) {
    UiState s;
    s.recentFileCount = 2;
    EXPECT_TRUE(QueryCommandState(ID_FILE_MRU_FILE1, s).enabled);
    EXPECT_TRUE(QueryCommandState(ID_FILE_MRU_FILE1 + 1, s).enabled);
    EXPECT_FALSE(QueryCommandState(ID_FILE_MRU_FILE1 + 2, s).enabled);
    s.recentFileCount = 0;
    EXPECT_FALSE(QueryCommandState(ID_FILE_MRU_FILE1, s).enabled);
}

TEST(CommandRules, BarTogglesAreCheckedWhileTheirBarShows) {
    UiState s;
    s.standardToolbarVisible = false;
    s.framesToolbarVisible = true;
    s.animationToolbarVisible = false;
    s.statusBarVisible = true;
    const struct {
        UINT id;
        bool checked;
    } cases[] = {{ID_VIEW_TOOLBAR_STANDARD, false},
                 {ID_VIEW_TOOLBAR_FRAMES, true},
                 {ID_VIEW_TOOLBAR_ANIMATION, false},
                 {ID_VIEW_STATUS_BAR, true}};
    for (const auto& c : cases) {
        const CommandState state = QueryCommandState(c.id, s);
        EXPECT_TRUE(state.enabled) << c.id;
        EXPECT_EQ(state.checked, c.checked) << c.id;
    }
}

TEST(CommandRules, EveryCommandOfTheMenusIsImplemented) {
    for (const UINT id : {ID_FILE_NEW,
                          ID_FILE_OPEN,
                          ID_FILE_SAVE,
                          ID_FILE_SAVE_AS,
                          ID_APP_EXIT,
                          ID_VIEW_STATUS_BAR,
                          ID_FILE_MRU_FILE1,
                          ID_FILE_PRINT,
                          ID_VIEW_ZOOM_IN,
                          ID_THUMBNAIL_FIRST,
                          ID_STRIP_TOGGLE,
                          ID_EDIT_LABEL,
                          ID_EDIT_COPY,
                          ID_EDIT_CUT,
                          ID_EDIT_PASTE,
                          ID_EDIT_PASTE_SPECIAL,
                          ID_EDIT_DELETE,
                          ID_APP_ABOUT,
                          ID_EDIT_UNDO,
                          ID_EDIT_SELECT_ALL,
                          ID_ALIGN_LEFT,
                          ID_ALIGN_SPACE_DOWN,
                          ID_FILE_IMPORT,
                          ID_FILE_REVERT,
                          ID_HELP_FINDER,
                          ID_FRAME_MERGE,
                          ID_FILE_SEND_MAIL,
                          ID_VIEW_BROWSER_IE,
                          ID_HELP_WEB_PAGE,
                          ID_FRAME_NEW,
                          ID_FRAME_NEW_TEXT,
                          ID_FRAME_ROTATE,
                          ID_FRAME_RESIZE,
                          ID_FRAME_TWEEN,
                          ID_FRAME_ADJUST_DELAYS,
                          ID_FILE_NEW_ANIMATION,
                          ID_FILE_GIF_DETAILS,
                          ID_FILE_PRINT_OPTIONS,
                          ID_THUMBNAIL_CUSTOM_SIZE,
                          ID_TOOLS_PREFERENCES,
                          ID_TOOLS_PLUGIN_PREFERENCES}) {
        EXPECT_TRUE(IsCommandImplemented(id)) << id;
    }
}

// An editable animation: n entries, s of them selected (the current frame among them), the
// views shown.
UiState editable(int listCount, int selected) {
    UiState s = withFrames(listCount, selected, false);
    s.viewsExist = true;
    s.current.exists = s.current.selected = true;
    for (bool& passes : s.alignLockPasses)
        passes = true;
    return s;
}

template <class Change> UiState with(UiState s, Change change) {
    change(s);
    return s;
}

TEST(CommandRules, FrameFileAndEditCommandsFollowTheirRules) {
    const UiState ready = editable(5, 2);
    const UiState onlyPlaceholder = with(withFrames(1, 1, true), [](UiState& s) {
        s.viewsExist = true;
        s.current.exists = s.current.selected = true;
    });
    const UiState previewing = with(ready, [](UiState& s) { s.previewing = true; });
    const UiState naming = with(ready, [](UiState& s) { s.editingName = true; });
    const UiState noDocument = with(ready, [](UiState& s) { s.hasDocument = false; });
    const UiState currentNotSelected = with(ready, [](UiState& s) { s.current.selected = false; });
    const UiState placeholderToo =
        with(editable(5, 3), [](UiState& s) { s.placeholderSelected = true; });
    const UiState oneSelected = editable(5, 1);
    const UiState textFrame = with(ready, [](UiState& s) { s.current.text = true; });
    const UiState vectorFrame = with(ready, [](UiState& s) { s.current.vector = true; });
    const UiState controlFrame = with(ready, [](UiState& s) { s.current.control = true; });
    const UiState deepFrame = with(ready, [](UiState& s) { s.current.bits24 = true; });
    const UiState softFrame =
        with(ready, [](UiState& s) { s.current.hasTransparencyImage = true; });
    const UiState transparentFrame = with(ready, [](UiState& s) { s.current.transparent = true; });
    const UiState withEditor = with(ready, [](UiState& s) { s.editorPathSet = true; });
    const UiState firstSelected = with(ready, [](UiState& s) { s.firstEntrySelected = true; });
    const UiState lastSelected = with(ready, [](UiState& s) { s.lastRealSelected = true; });
    const UiState twoEntries =
        with(editable(2, 1), [](UiState& s) { s.firstEntrySelected = s.lastRealSelected = true; });
    const UiState undoable = with(ready, [](UiState& s) { s.canUndo = true; });
    const UiState undoableWhilePreviewing = with(undoable, [](UiState& s) { s.previewing = true; });
    const UiState rightLockFails = with(ready, [](UiState& s) { s.alignLockPasses[3] = false; });
    const UiState leftLockFails = with(ready, [](UiState& s) { s.alignLockPasses[1] = false; });
    const UiState bottomLockFails = with(ready, [](UiState& s) { s.alignLockPasses[4] = false; });
    const UiState threeSelected = editable(5, 3);
    const UiState fileOnDisk = with(ready, [](UiState& s) { s.documentFileExists = true; });
    const UiState ieBrowser = with(ready, [](UiState& s) { s.browserPathIESet = true; });
    const UiState ieBrowserNoFrames =
        with(onlyPlaceholder, [](UiState& s) { s.browserPathIESet = true; });
    const UiState customBrowser = with(ready, [](UiState& s) { s.browserPathCustomSet = true; });
    const UiState network = with(ready, [](UiState& s) { s.networkLayer = true; });

    const struct {
        const char* name;
        UINT id;
        UiState state;
        bool enabled;
    } cases[] = {
        // With only the placeholder, CanEditFrames fails; import and the objects stay.
        {"mirror, placeholder only", ID_FRAME_MIRROR_HORIZONTAL, onlyPlaceholder, false},
        {"palette, placeholder only", ID_FRAME_PALETTE, onlyPlaceholder, false},
        {"crop, placeholder only", ID_FRAME_CROP, onlyPlaceholder, false},
        {"merge, placeholder only", ID_FRAME_MERGE, onlyPlaceholder, false},
        {"render states, placeholder only", ID_FRAME_RENDER_STATES, onlyPlaceholder, false},
        {"save frame, placeholder only", ID_FILE_SAVE_FRAME, onlyPlaceholder, false},
        {"cut, placeholder only", ID_EDIT_CUT, onlyPlaceholder, false},
        {"delete, placeholder only", ID_EDIT_DELETE, onlyPlaceholder, false},
        {"import, placeholder only", ID_FILE_IMPORT, onlyPlaceholder, true},
        {"insert vector, placeholder only", ID_FILE_INSERT_VECTOR, onlyPlaceholder, true},
        {"control object, placeholder only", ID_FRAME_NEW_CONTROL, onlyPlaceholder, true},
        // During the preview every editing command and the inserting ones are off.
        {"import, previewing", ID_FILE_IMPORT, previewing, false},
        {"insert vector, previewing", ID_FILE_INSERT_VECTOR, previewing, false},
        {"control object, previewing", ID_FRAME_NEW_CONTROL, previewing, false},
        {"mirror, previewing", ID_FRAME_MIRROR_VERTICAL, previewing, false},
        {"duplicate, previewing", ID_FRAME_DUPLICATE, previewing, false},
        {"move, previewing", ID_FRAME_MOVE_LATER, previewing, false},
        {"align centre, previewing", ID_ALIGN_CENTRE_HORIZONTAL, previewing, false},
        {"next, previewing", ID_EDIT_SELECT_NEXT, previewing, false},
        {"undo, previewing", ID_EDIT_UNDO, undoableWhilePreviewing, false},
        // Cut, Copy and Delete never take frames from under a running preview.
        {"cut, previewing", ID_EDIT_CUT, previewing, false},
        {"copy, previewing", ID_EDIT_COPY, previewing, false},
        {"delete, previewing", ID_EDIT_DELETE, previewing, false},
        {"cut, ready", ID_EDIT_CUT, ready, true},
        {"copy, placeholder beside frames", ID_EDIT_COPY, placeholderToo, true},
        // CanEditFrames and its loose form.
        {"mirror, ready", ID_FRAME_MIRROR_HORIZONTAL, ready, true},
        {"mirror, no document", ID_FRAME_MIRROR_HORIZONTAL, noDocument, false},
        {"mirror, current not selected", ID_FRAME_MIRROR_HORIZONTAL, currentNotSelected, false},
        {"mirror, placeholder selected", ID_FRAME_MIRROR_HORIZONTAL, placeholderToo, false},
        {"mirror, control frame", ID_FRAME_MIRROR_HORIZONTAL, controlFrame, false},
        {"mirror, text frame", ID_FRAME_MIRROR_VERTICAL, textFrame, true},
        {"render states, placeholder beside frames", ID_FRAME_RENDER_STATES, placeholderToo, true},
        {"merge, two selected", ID_FRAME_MERGE, ready, true},
        {"merge, one selected", ID_FRAME_MERGE, oneSelected, false},
        // Palette: no text, no vector, not 24 bits.
        {"palette, plain frame", ID_FRAME_PALETTE, ready, true},
        {"palette, text frame", ID_FRAME_PALETTE, textFrame, false},
        {"palette, vector frame", ID_FRAME_PALETTE, vectorFrame, false},
        {"palette, 24-bit frame", ID_FRAME_PALETTE, deepFrame, false},
        // Crop needs a transparent frame without text or vector.
        {"crop, opaque frame", ID_FRAME_CROP, ready, false},
        {"crop, transparent frame", ID_FRAME_CROP, transparentFrame, true},
        // Objects to images: by the frame's kind alone, with or without an outside editor.
        {"objects, plain frame", ID_FRAME_OBJECTS_TO_IMAGES, ready, false},
        {"objects, plain frame, editor set", ID_FRAME_OBJECTS_TO_IMAGES, withEditor, false},
        {"objects, text frame", ID_FRAME_OBJECTS_TO_IMAGES, textFrame, true},
        {"objects, vector frame", ID_FRAME_OBJECTS_TO_IMAGES, vectorFrame, true},
        {"objects, control frame", ID_FRAME_OBJECTS_TO_IMAGES, controlFrame, true},
        {"objects, 24-bit frame", ID_FRAME_OBJECTS_TO_IMAGES, deepFrame, true},
        {"objects, transparency image", ID_FRAME_OBJECTS_TO_IMAGES, softFrame, true},
        {"objects, previewing", ID_FRAME_OBJECTS_TO_IMAGES,
         with(textFrame, [](UiState& s) { s.previewing = true; }), false},
        // Edit object: text and control frames always, picture frames with an outside editor.
        {"edit object, picture, no editor", ID_FRAME_EDIT_OBJECT, ready, false},
        {"edit object, picture, editor", ID_FRAME_EDIT_OBJECT, withEditor, true},
        {"edit object, control", ID_FRAME_EDIT_OBJECT, controlFrame, true},
        {"edit object, vector, editor", ID_FRAME_EDIT_OBJECT,
         with(withEditor, [](UiState& s) { s.current.vector = true; }), false},
        // Duplicate, move, previous, next, select all.
        {"duplicate, two selected", ID_FRAME_DUPLICATE, ready, true},
        {"duplicate, one selected", ID_FRAME_DUPLICATE, oneSelected, false},
        {"duplicate, naming", ID_FRAME_DUPLICATE, naming, false},
        {"earlier, inner selection", ID_FRAME_MOVE_EARLIER, ready, true},
        {"earlier, first selected", ID_FRAME_MOVE_EARLIER, firstSelected, false},
        {"earlier, last selected", ID_FRAME_MOVE_EARLIER, lastSelected, true},
        {"later, last selected", ID_FRAME_MOVE_LATER, lastSelected, false},
        {"later, first selected", ID_FRAME_MOVE_LATER, firstSelected, true},
        {"later, one real frame", ID_FRAME_MOVE_LATER, twoEntries, false},
        {"later, placeholder selected", ID_FRAME_MOVE_LATER, placeholderToo, false},
        {"previous, ready", ID_EDIT_SELECT_PREVIOUS, ready, true},
        {"next, placeholder only", ID_EDIT_SELECT_NEXT, onlyPlaceholder, false},
        {"next, naming", ID_EDIT_SELECT_NEXT, naming, true},
        {"select all, naming", ID_EDIT_SELECT_ALL, naming, false},
        {"select all, ready", ID_EDIT_SELECT_ALL, ready, true},
        // Undo: a step in the history, no preview, no label edit.
        {"undo, empty history", ID_EDIT_UNDO, ready, false},
        {"undo, a step", ID_EDIT_UNDO, undoable, true},
        {"undo, naming", ID_EDIT_UNDO, with(undoable, [](UiState& s) { s.editingName = true; }),
         false},
        // Alignment: each edge reads its own side's lock test.
        {"align left, left lock fails", ID_ALIGN_LEFT, leftLockFails, false},
        {"align left, right lock fails", ID_ALIGN_LEFT, rightLockFails, true},
        {"align right, right lock fails", ID_ALIGN_RIGHT, rightLockFails, false},
        {"align right, left lock fails", ID_ALIGN_RIGHT, leftLockFails, true},
        {"align bottom, bottom lock fails", ID_ALIGN_BOTTOM, bottomLockFails, false},
        {"align top, bottom lock fails", ID_ALIGN_TOP, bottomLockFails, true},
        {"align left, one selected", ID_ALIGN_LEFT, oneSelected, false},
        {"centre, one selected", ID_ALIGN_CENTRE_VERTICAL, oneSelected, true},
        {"space across, two selected", ID_ALIGN_SPACE_ACROSS, ready, false},
        {"space down, three selected", ID_ALIGN_SPACE_DOWN, threeSelected, true},
        {"space down, placeholder selected", ID_ALIGN_SPACE_DOWN, placeholderToo, false},
        // File commands.
        {"save frame, two selected", ID_FILE_SAVE_FRAME, ready, false},
        {"save frame, one selected", ID_FILE_SAVE_FRAME, oneSelected, true},
        {"revert, no file", ID_FILE_REVERT, ready, false},
        {"revert, file on disk", ID_FILE_REVERT, fileOnDisk, true},
        {"browser IE, path set", ID_VIEW_BROWSER_IE, ieBrowser, true},
        {"browser IE, no frames", ID_VIEW_BROWSER_IE, ieBrowserNoFrames, false},
        {"browser NN, no path", ID_VIEW_BROWSER_NN, ieBrowser, false},
        {"browser custom, path set", ID_VIEW_BROWSER_CUSTOM, customBrowser, true},
        {"mail, frames", ID_FILE_SEND_MAIL, ready, true},
        {"mail, placeholder only", ID_FILE_SEND_MAIL, onlyPlaceholder, false},
        {"update wizard, no network", ID_TOOLS_UPDATE_WIZARD, ready, false},
        {"update wizard, network", ID_TOOLS_UPDATE_WIZARD, network, true},
        {"web page, no document", ID_HELP_WEB_PAGE, UiState{}, true},
        {"help contents, no document", ID_HELP_FINDER, UiState{}, true},
        {"context help, previewing", ID_CONTEXT_HELP, previewing, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QueryCommandState(c.id, c.state).enabled, c.enabled) << c.name;
}

TEST(CommandRules, TheSnapshotReadsTheCurrentFrameAndEachAlignSide) {
    CAnimationData& a = CreateProgramAnimation();
    a.AnimationWidth = 20;
    a.AnimationHeight = 20;
    // The reference lies beyond the right edge: aligning right edges to it would put the other
    // frame wholly off the screen, aligning left edges would not.
    auto add = [&a](int left, int width) -> CObjFrame& {
        CObjFrame& f = *a.frames.emplace(std::prev(a.frames.end()));
        f.SetImage(static_cast<std::uint16_t>(KPXCreateImage(width, 4, 24)));
        f.left = left;
        f.width = width;
        f.height = 4;
        f.selected = 1;
        return f;
    };
    add(30, 6).current = 1;
    add(0, 4).hasText = 1;
    a.UpdateFrameCount();
    UiState s = SnapshotModelState(true);
    EXPECT_EQ(s.listCount, 3);
    EXPECT_EQ(s.selectedCount, 2);
    EXPECT_TRUE(s.firstEntrySelected);
    EXPECT_TRUE(s.lastRealSelected);
    EXPECT_TRUE(s.current.selected);
    EXPECT_TRUE(s.current.bits24);
    EXPECT_FALSE(s.current.text);
    EXPECT_TRUE(s.alignLockPasses[1]);
    EXPECT_FALSE(s.alignLockPasses[3]);
    s.viewsExist = true;
    EXPECT_TRUE(QueryCommandState(ID_ALIGN_LEFT, s).enabled);
    EXPECT_FALSE(QueryCommandState(ID_ALIGN_RIGHT, s).enabled);
    EXPECT_TRUE(QueryCommandState(ID_FRAME_OBJECTS_TO_IMAGES, s).enabled);
    EXPECT_EQ(s.canUndo, TheUndoHistory().CanUndo() != 0);
    DestroyProgramAnimation();
}

TEST(CommandRules, ClipboardCommandsNeedTheFramePanesAndNoLabelEdit) {
    UiState s = withFrames(3, 1, false);
    s.current.exists = s.current.selected = true;
    EXPECT_FALSE(QueryCommandState(ID_EDIT_COPY, s).enabled); // no panes yet
    s.viewsExist = true;
    for (const UINT id :
         {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_PASTE_SPECIAL, ID_EDIT_DELETE})
        EXPECT_TRUE(QueryCommandState(id, s).enabled) << id;
    s.editingName = true;
    EXPECT_FALSE(QueryCommandState(ID_EDIT_DELETE, s).enabled);
    s.editingName = false;
    s.hasDocument = false;
    EXPECT_FALSE(QueryCommandState(ID_EDIT_PASTE, s).enabled);
}

TEST(CommandRules, PaneCommandsFollowZoomLayoutThumbnailsAndPreview) {
    const auto panes = [](int listCount, int selected, bool placeholder) {
        UiState s = withFrames(listCount, selected, placeholder);
        s.viewsExist = true;
        return s;
    };
    UiState zoomedIn = panes(3, 1, false);
    zoomedIn.zoom = 8.0f;
    UiState zoomedOut = panes(3, 1, false);
    zoomedOut.zoom = 0.25f;
    UiState previewing = panes(3, 1, false);
    previewing.previewing = true;
    UiState playing = previewing;
    playing.playing = true;
    playing.fill = true;
    UiState stacked = panes(3, 1, false);
    stacked.stacked = true;
    stacked.thumbnailId = 183;
    UiState editing = panes(3, 1, false);
    editing.editingName = true;
    UiState noPanes = withFrames(3, 1, false);
    const struct {
        const char* label;
        UINT id;
        UiState state;
        bool enabled;
        bool checked;
    } cases[] = {
        {"zoom in at 1", ID_VIEW_ZOOM_IN, panes(3, 1, false), true, false},
        {"zoom in at 8", ID_VIEW_ZOOM_IN, zoomedIn, false, false},
        {"zoom out at 0.25", ID_VIEW_ZOOM_OUT, zoomedOut, false, false},
        {"actual size at 1", ID_VIEW_ZOOM_ACTUAL, panes(3, 1, false), false, false},
        {"actual size at 8", ID_VIEW_ZOOM_ACTUAL, zoomedIn, true, false},
        {"no zoom while previewing", ID_VIEW_ZOOM_IN, previewing, false, false},
        {"no zoom without panes", ID_VIEW_ZOOM_IN, noPanes, false, false},
        {"preview needs a real frame", ID_VIEW_PREVIEW, panes(1, 1, true), false, false},
        {"preview checked while running", ID_VIEW_PREVIEW, previewing, true, true},
        {"play while paused", ID_PLAYER_PLAY, previewing, true, false},
        {"no play while playing", ID_PLAYER_PLAY, playing, false, false},
        {"pause while playing", ID_PLAYER_PAUSE, playing, true, false},
        {"fill checked", ID_PLAYER_FILL, playing, true, true},
        {"transport only while previewing", ID_PLAYER_NEXT, panes(3, 1, false), false, false},
        {"stacked checked", ID_STRIP_STACKED, stacked, true, true},
        {"side by side not checked when stacked", ID_STRIP_SIDE_BY_SIDE, stacked, true, false},
        {"toggle checked when stacked", ID_STRIP_TOGGLE, stacked, true, true},
        {"current thumbnail size checked", 20066, stacked, true, true},
        {"other thumbnail size", 20063, stacked, true, false},
        {"label of one real frame", ID_EDIT_LABEL, panes(3, 1, false), true, false},
        {"no label of two frames", ID_EDIT_LABEL, panes(3, 2, false), false, false},
        {"no label of the placeholder", ID_EDIT_LABEL, panes(3, 1, true), false, false},
        {"no label while editing one", ID_EDIT_LABEL, editing, false, false},
        {"print needs a real frame", ID_FILE_PRINT, panes(1, 1, true), false, false},
        {"print", ID_FILE_PRINT, panes(2, 0, false), true, false},
    };
    for (const auto& c : cases) {
        const CommandState state = QueryCommandState(c.id, c.state);
        EXPECT_EQ(state.enabled, c.enabled) << c.label;
        EXPECT_EQ(state.checked, c.checked) << c.label;
    }
}

TEST(CommandRules, FrameCounter) {
    const std::string empty = "No frames";
    struct Case {
        const char* label;
        UiState state;
        std::string text;
    };
    UiState previewing = withFrames(4, 1, false);
    previewing.previewing = true;
    previewing.playerFrame = 7;
    previewing.playerFrameCount = 12;
    UiState noDocument;
    const Case cases[] = {
        {"only the placeholder", withFrames(1, 0, false), empty},
        {"only the placeholder, selected", withFrames(1, 1, true), empty},
        {"three frames, the placeholder alone selected", withFrames(4, 1, true), empty},
        {"three frames, the placeholder and one frame selected", withFrames(4, 2, true), "1 / 3"},
        {"three frames, two selected", withFrames(4, 2, false), "2 / 3"},
        {"three frames, none selected", withFrames(4, 0, false), "0 / 3"},
        {"the preview plays", previewing, "7 / 12"},
        {"no document", noDocument, " "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FrameCounterText(c.state, empty), c.text) << c.label;
}

} // namespace
