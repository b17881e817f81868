#pragma once
// The image library's multi-frame GIF load and save as the document uses them, with the Esc
// key polled after every frame through the model's progress callback, and why a save failed.

#include "Bitra5.h"
#include "types/Win32Types.h"

// The chain of the GIF's frames, 0 when nothing could be loaded, -1 when Esc stopped it.
KpxHandle LoadImageFramesWithProgress(const char* path, HWND progressWindow);
// Writes the chain as a GIF with the document's flags: 1 written, 0 failed, -1 Esc. The file
// that was at path is replaced only by a complete save.
int SaveImageFramesWithProgress(KpxHandle chain, const char* path, HWND progressWindow);
// The message for a library save that failed: the read-only text when the target is a file the
// user may not write (which the save leaves as it was), else `otherwise`.
UINT SaveFailureMessage(UINT otherwise);
