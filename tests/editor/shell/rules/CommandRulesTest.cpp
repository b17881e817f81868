// When the main window's commands are enabled and checked, and the frame counter's text.

#include "CommandRules.h"

#include "Kfm5ResourceIds.h"

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

TEST(CommandRules, CommandsWithoutTheirWindowsStayDisabled) {
    // Even with frames selected and everything else in favour.
    const UiState s = withFrames(5, 2, false);
    for (const UINT id :
         {ID_EDIT_UNDO, ID_EDIT_SELECT_ALL, ID_FRAME_NEW, ID_FRAME_ROTATE, ID_FRAME_TWEEN,
          ID_ALIGN_LEFT, ID_ALIGN_SPACE_DOWN, ID_FILE_NEW_ANIMATION, ID_FILE_IMPORT, ID_FILE_REVERT,
          ID_THUMBNAIL_CUSTOM_SIZE, ID_TOOLS_PREFERENCES, ID_HELP_FINDER}) {
        EXPECT_FALSE(QueryCommandState(id, s).enabled) << id;
        EXPECT_FALSE(IsCommandImplemented(id)) << id;
    }
    for (const UINT id :
         {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_APP_EXIT, ID_VIEW_STATUS_BAR,
          ID_FILE_MRU_FILE1, ID_FILE_PRINT, ID_VIEW_ZOOM_IN, ID_THUMBNAIL_FIRST, ID_STRIP_TOGGLE,
          ID_EDIT_LABEL, ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_PASTE_SPECIAL,
          ID_EDIT_DELETE, ID_APP_ABOUT})
        EXPECT_TRUE(IsCommandImplemented(id)) << id;
}

TEST(CommandRules, ClipboardCommandsNeedTheFramePanesAndNoLabelEdit) {
    UiState s = withFrames(3, 1, false);
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
