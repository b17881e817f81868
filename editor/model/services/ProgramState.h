#pragma once
// Program-wide values of the editor that the model reads: the settings of the section "Settings"
// and the progress state of long operations.

#include <cstdint>

#include "ShellServices.h"
#include "types/Win32Types.h"

struct ProgramSettings {
    int undoSteps = 10;              // "UndoSteps", at most 30
    int transparentGridSize = 2;     // "TransparentGridSize"
    int transparentGridColor = 0;    // "TransparentGridColor", 0..7
    COLORREF animBkColor = 0xFFFFFF; // "OptionsAnimBkColor"
};

extern ProgramSettings g_Settings;

// The progress state: the progress window (here: whether progress is shown), a step divisor, a
// pending begin with its caption string id and total.
struct ProgressState {
    bool active = false;
    int stepDivisor = 1;
    bool beginPending = false;
    UINT captionId = 0;
    int total = 0;
};

extern ProgressState g_Progress;

// The private clipboard format of frames, registered at start-up (0 until then): its name, and
// the MIME type it travels as between programs.
constexpr const char* kPrivateClipboardFormat = "KeldoFlimmer5";
constexpr const char* kPrivateClipboardMimeType = "application/x-keldoflimmer5";
extern UINT g_cfPrivateFormat;

extern int g_bStartingUp;
extern int g_bPreviewPlaying;
extern std::int16_t g_nSaveMode;
extern std::int16_t g_hExportImage;

// Sends the pending begin once, then one step (wParam 0). Never asks to stop.
void ProgressStep();
// The quantiser's progress callback: a pending begin is sent with this total, then a step.
void ProgressSetPosTotal(int position, int total);
// Progress and cancel callback of long loops: 1 when Esc was pressed; otherwise, at position 0
// the begin message is sent again, then one step; 0.
int IsEscapePressed(int unused, int position, HWND window);
// Begins progress on the main window with a caption and a total.
void ProgressBegin(UINT captionId, int total);
// Prepares progress on the main window whose begin waits for the first ProgressSetPosTotal,
// which brings the total (plug-ins report their own).
void ProgressPrepare(UINT captionId);
// Ends progress and forgets the progress window.
void ProgressEnd();

// Progress on the main window under the wait cursor for the lifetime of the object, ended on
// every way out.
class ShownProgress {
public:
    ShownProgress(UINT captionId, int total) { ProgressBegin(captionId, total); }
    // The total comes with the first ProgressSetPosTotal.
    explicit ShownProgress(UINT captionId) { ProgressPrepare(captionId); }
    ~ShownProgress() { ProgressEnd(); }
    ShownProgress(const ShownProgress&) = delete;
    ShownProgress& operator=(const ShownProgress&) = delete;

private:
    WaitCursor wait_;
};
