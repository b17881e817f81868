#pragma once
// The Edit commands that move frames through the clipboard, and Delete, over the program-wide
// animation. The shell's Edit menu calls them once it has checked its own windows (the strip
// exists and is not editing a label; Delete only while the strip is the active view).
//
// Frames travel in the private format (ClipboardFramesBlock.h). Copy also offers a packed DIB of
// the first selected frame and, for a vector frame, a copy of its enhanced metafile; Paste takes
// frames, pictures (DIB or bitmap), enhanced metafiles and dropped-file lists. A paste is one undo
// step: what it inserts is inserted whole, and a clipboard whose content was read only in part
// pastes what was read and says so (message 10784).

#include <vector>

#include "types/Win32Types.h"

class CGIFAnimDoc;

namespace kfm::model {

// One entry of the Paste Special dialog: the format and the ids of its name and of the text that
// says what pasting it does.
struct PasteSpecialEntry {
    UINT format;
    UINT nameId;
    UINT resultId;
};

// Copy: the block of the selected frames on the emptied clipboard, then the first selected
// frame's picture and, for a vector frame, its metafile. 1 when the block went on the clipboard.
int CopyFramesToClipboard(HWND owner);
// Cut: as Copy without the picture and the metafile; the selected frames are deleted (undo step
// 17) only when the clipboard took the block. 1 when they were cut.
int CutFramesToClipboard(HWND owner);

// The format Paste takes: the private format, CF_DIB (also for a bitmap), CF_ENHMETAFILE,
// CF_HDROP; 0 when none is there.
UINT ChoosePasteFormat();
// Whether Paste and Paste Special are enabled; an enhanced metafile counts only while the
// preview does not run in the canvas.
bool CanPasteFrames();
bool CanPasteSpecialFrames();
// The Paste Special entries of the formats on the clipboard, in the dialog's order.
std::vector<PasteSpecialEntry> PasteSpecialEntries();

// Pastes the clipboard's content of one format after the current frame (or at the end when the
// placeholder is current) as one undo step (18). The document imports a dropped-file list. 1 when
// frames were pasted.
int PasteFormat(HWND owner, UINT format, CGIFAnimDoc* document);

// Deletes the selected frames as undo step 19; the number of frames that were selected when
// something was deleted, else 0.
int DeleteSelectedFrames();

} // namespace kfm::model
