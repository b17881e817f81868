#pragma once
// Why the document could not open a file, for a message the user can act on: the file is empty,
// it is no picture this program reads, its picture is larger than the editor can hold (with the
// size), it is damaged, or it is a video clip and the module that reads clips cannot be loaded. A
// file that cannot even be read, and a drawing (whose importer tells its own failures), keep the
// plain "could not be opened".

#include <cstdint>
#include <string>

#include "types/Win32Types.h"

enum class OpenFailureKind { Unexplained, Empty, NotAPicture, TooLarge, Damaged, NoVideoModule };

struct OpenFailure {
    OpenFailureKind kind = OpenFailureKind::Damaged;
    std::int64_t width = 0; // with TooLarge: the size the file asks for
    std::int64_t height = 0;
};

// The largest screen the editor opens: views and previews compose frames on canvases of the
// screen's size (a 32767 x 32767 screen would need 3 GB for one 24-bit canvas).
bool CanvasFits(std::int64_t width, std::int64_t height);

// Looks at a file whose import failed to tell why.
OpenFailure DiagnoseOpenFailure(const std::string& path);

// The message of a failure (its texts take the path, then width and height).
UINT OpenFailureMessage(OpenFailureKind kind);

// Tells the user why the file at path could not be opened.
void ShowOpenFailure(const std::string& path, const OpenFailure& failure);
