#pragma once
// Running a ".kfp" plug-in on the selected frames of the program-wide animation: the selected
// frames that have a picture go to the plug-in as 8-bit records, and the frames it returns are
// inserted after the first of them (or after the first frame when none is selected) as the only
// selection, the last one current. The caller wraps the run in its undo step.

#include <string>

#include "AnimationData.h"

namespace kfm::plugins {

// The progress function plug-ins call: step `current` of `total` (the first call brings the
// total).
void PluginProgressCallback(int reserved, int current, int total);

// Runs the plug-in at path. 1 when it ran (also when the user cancelled it); 0 when it could not
// be loaded (with a message box "Error" naming the file and the reason), lacks its export or run
// entry, or a selected frame could not be converted. Every way out ends the progress display and
// the wait cursor.
int RunPlugin(const std::string& path);

// The number of selected frames that have a picture (the placeholder left out).
int CountSelectedFramesWithPicture(const FrameList& frames);

// Whether a plug-in command is enabled: a document and a main window, at least
// minSelectedFrames selected frames with a picture, and the preview not running.
bool IsPluginCommandEnabled(bool hasDocument, bool hasMainWindow, int selectedWithPicture,
                            int minSelectedFrames, bool previewing);

// Whether a filter command is enabled: a document and a main window, the frames can be edited
// (a selected current frame, the placeholder not selected, the preview not running) and the
// current frame has no vector drawing.
bool IsFilterCommandEnabled(bool hasDocument, bool hasMainWindow, const FrameList& frames,
                            bool previewing);

} // namespace kfm::plugins
