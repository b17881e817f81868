#pragma once
// When each command of the main window is enabled and check-marked, computed from a snapshot
// of the program's state. The update handlers of the menus and toolbars apply these rules; they
// are kept free of widgets so they can be tested alone.

#include <string>

#include "types/Win32Types.h"

namespace kfm::shell {

// What the rules read of the current frame.
struct CurrentFrameFacts {
    bool exists = false;
    bool selected = false;
    bool text = false;
    bool vector = false;
    bool control = false;
    bool bits24 = false;
    bool transparent = false;
    bool hasTransparencyImage = false;
};

// What the rules look at.
struct UiState {
    bool hasDocument = false;
    // Entries of the frame list: the real frames plus the trailing placeholder.
    int listCount = 0;
    // Selected entries (the placeholder may be one of them).
    int selectedCount = 0;
    bool placeholderSelected = false;
    // The animation preview runs in the canvas, with its current frame and frame count.
    bool previewing = false;
    int playerFrame = 0;
    int playerFrameCount = 0;
    bool editingName = false;
    // The panes: the canvas's zoom, the strip's layout and thumbnail size id; the preview's
    // playing and fill flags.
    bool viewsExist = false;
    float zoom = 1.0f;
    bool stacked = false;
    int thumbnailId = 80;
    bool playing = false;
    bool fill = false;
    bool standardToolbarVisible = true;
    bool animationToolbarVisible = true;
    bool framesToolbarVisible = true;
    bool statusBarVisible = true;
    int recentFileCount = 0;
    CurrentFrameFacts current;
    // The first entry and the last real frame are among the selected entries.
    bool firstEntrySelected = false;
    bool lastRealSelected = false;
    // AlignCheckLock of the current frame for sides 1 (left) to 4 (bottom); index 0 unused.
    bool alignLockPasses[5] = {false, false, false, false, false};
    bool canUndo = false;
    bool editorPathSet = false;
    bool browserPathIESet = false;
    bool browserPathNNSet = false;
    bool browserPathCustomSet = false;
    // The document's path names a file that exists.
    bool documentFileExists = false;
    // The update check's network layer is loaded.
    bool networkLayer = false;
};

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

// The program's state as the rules see it: the program-wide animation and the given flags.
UiState SnapshotModelState(bool hasDocument);

// The frames can be edited: a document, a selection that holds the current frame and not the
// placeholder, real frames and no preview. The loose form accepts a selected placeholder beside
// other selected entries.
bool CanEditFrames(const UiState& state);
bool CanEditFramesLoose(const UiState& state);

// The command's state in the given state of the editor.
CommandState QueryCommandState(UINT id, const UiState& state);
// Whether the id is a command of the menus, toolbars and accelerators that does its work.
bool IsCommandImplemented(UINT id);

// The frame counter of the status bar: "selected / frames" while editing, "current / count"
// while the preview plays, emptyText without real frames or with only the placeholder selected,
// a single blank without a document.
std::string FrameCounterText(const UiState& state, const std::string& emptyText);

} // namespace kfm::shell
