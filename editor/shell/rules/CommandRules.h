#pragma once
// When each command of the main window is enabled and check-marked, computed from a snapshot
// of the program's state. The update handlers of the menus and toolbars apply these rules; they
// are kept free of widgets so they can be tested alone.

#include <string>

#include "types/Win32Types.h"

namespace kfm::shell {

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
};

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

// The program's state as the rules see it: the program-wide animation and the given flags.
UiState SnapshotModelState(bool hasDocument);

// The command's state. Commands whose windows this build does not have yet are disabled.
CommandState QueryCommandState(UINT id, const UiState& state);
// Whether the command does its work in this build (the others stay disabled).
bool IsCommandImplemented(UINT id);

// The frame counter of the status bar: "selected / frames" while editing, "current / count"
// while the preview plays, emptyText without real frames or with only the placeholder selected,
// a single blank without a document.
std::string FrameCounterText(const UiState& state, const std::string& emptyText);

} // namespace kfm::shell
