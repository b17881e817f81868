#pragma once
// What the panes ask of the window that holds them: its command router (menus, commands), the
// label-edit flag that disables commands, the thumbnail size rules, and the refreshes that one
// pane's change causes in the others. The main window implements it; tests may use their own.

#include "types/Win32Types.h"

namespace kfm::ui {

class CommandRouter;

class ViewHost {
public:
    virtual ~ViewHost() = default;

    virtual CommandRouter& Router() = 0;
    // Runs a command as WM_COMMAND to the main window does.
    virtual void ExecuteCommand(UINT id) = 0;
    // A frame's label is being edited in the strip (most commands are disabled meanwhile).
    virtual void SetLabelEditing(bool editing) = 0;

    // The strip's selection changed: the canvas shows the new selection, the frame pages and
    // the status bar follow.
    virtual void SelectionChanged() = 0;
    // Frames were added, removed or moved: the panes and pages show the new animation.
    virtual void FramesChanged() = 0;
    // The selected frames moved on the canvas: the strip and pages show their new places.
    virtual void SelectionMoved() = 0;

    // Before the strip rebuilds its rows: thumbnails that follow the animation's size take it
    // up again.
    virtual void UpdateScaledThumbnailSize() = 0;
    // While the preview plays the strip and the pages take no input.
    virtual void EnableViews(bool enable) = 0;
};

} // namespace kfm::ui
