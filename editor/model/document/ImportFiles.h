#pragma once
// The import commands' road into the animation: files chosen together in one dialog become
// frames inserted after the current frame, in the order given, as one undo step.

#include <string>
#include <vector>

class CGIFAnimDoc;

// Reads each file into frames; a file that cannot be read is reported with the reason and the
// others still go in. When the new frames pass the edge-lock test they are inserted by the
// insertion rule of new frames inside one undo step of undoKind. The number of frames inserted.
int ImportFiles(CGIFAnimDoc& document, const std::vector<std::string>& paths, int undoKind);
