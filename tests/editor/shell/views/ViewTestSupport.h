#pragma once
// Support of the view and control tests: the application object with the editor's language
// library, animations made in memory or written as GIF files, waiting on the event loop, and the
// folder for screenshots.

#include <QString>

#include <functional>
#include <string>

#include "Bitra5.h"
#include "TestSupport.h"

namespace kfm::test {

// A chain of frames of width x height, frame i filled with palette index i % 200 + 1 except a
// square of index 0 that moves right by 2 pixels a frame; each frame shows delay hundredths of a
// second, the chain loops loopCount times (-1 no loop block). The caller deletes the chain.
KpxHandle MakeAnimation(int frames, int width, int height, int delay, int loopCount);
// The same written as a GIF file; false when the save fails.
bool WriteAnimation(const std::string& path, int frames, int width, int height, int delay,
                    int loopCount);

// Runs the event loop until condition holds or milliseconds pass; the condition's last answer.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = kHangMilliseconds);

// The folder for screenshots of the build.
std::string ArtifactsFolder();
QString ArtifactPath(const char* name);

} // namespace kfm::test
