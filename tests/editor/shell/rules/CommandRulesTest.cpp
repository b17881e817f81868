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
         {ID_EDIT_UNDO,    ID_EDIT_COPY,           ID_EDIT_CUT,          ID_EDIT_PASTE,
          ID_EDIT_DELETE,  ID_EDIT_SELECT_ALL,     ID_FRAME_NEW,         ID_FRAME_ROTATE,
          ID_FRAME_TWEEN,  ID_ALIGN_LEFT,          ID_ALIGN_SPACE_DOWN,  ID_FILE_NEW_ANIMATION,
          ID_FILE_IMPORT,  ID_FILE_PRINT,          ID_FILE_REVERT,       ID_VIEW_PREVIEW,
          ID_VIEW_ZOOM_IN, ID_THUMBNAIL_FIRST,     ID_TOOLS_PREFERENCES, ID_APP_ABOUT,
          ID_HELP_FINDER,  ID_APPLY_SPLITTER_SIZES}) {
        EXPECT_FALSE(QueryCommandState(id, s).enabled) << id;
        EXPECT_FALSE(IsCommandImplemented(id)) << id;
    }
    for (const UINT id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_APP_EXIT,
                          ID_VIEW_STATUS_BAR, ID_FILE_MRU_FILE1})
        EXPECT_TRUE(IsCommandImplemented(id)) << id;
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
