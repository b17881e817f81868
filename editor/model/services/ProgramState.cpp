#include "ProgramState.h"

#include "ShellServices.h"

ProgramSettings g_Settings;
ProgressState g_Progress;
UINT g_cfPrivateFormat = 0;
int g_bStartingUp = 0;
int g_bPreviewPlaying = 0;
std::int16_t g_nSaveMode = 1;
std::int16_t g_hExportImage = 0;

namespace {

void sendBegin() {
    shell().sendToMainWindow(WM_PROGRESS_BEGIN, g_Progress.captionId,
                             static_cast<LPARAM>(g_Progress.total));
}

} // namespace

void ProgressBegin(UINT captionId, int total) {
    g_Progress.active = true;
    g_Progress.stepDivisor = 1;
    g_Progress.beginPending = false;
    g_Progress.captionId = captionId;
    g_Progress.total = total;
    sendBegin();
}

void ProgressPrepare(UINT captionId) {
    g_Progress.active = true;
    g_Progress.stepDivisor = 1;
    g_Progress.beginPending = true;
    g_Progress.captionId = captionId;
    g_Progress.total = 0;
}

void ProgressEnd() {
    if (g_Progress.active)
        shell().sendToMainWindow(WM_PROGRESS_END, 0, 0);
    g_Progress.active = false;
    g_Progress.beginPending = false;
}

void ProgressStep() {
    if (!g_Progress.active)
        return;
    if (g_Progress.beginPending) {
        g_Progress.beginPending = false;
        sendBegin();
    }
    shell().sendToMainWindow(WM_PROGRESS_STEP, 0, 0);
}

void ProgressSetPosTotal(int position, int total) {
    if (!g_Progress.active)
        return;
    if (g_Progress.beginPending) {
        g_Progress.beginPending = false;
        g_Progress.total = total;
        sendBegin();
    }
    shell().sendToMainWindow(WM_PROGRESS_STEP, static_cast<WPARAM>(position), 0);
}

int IsEscapePressed(int, int position, HWND) {
    if (shell().escapePressed())
        return 1;
    if (position == 0)
        sendBegin();
    shell().sendToMainWindow(WM_PROGRESS_STEP, 0, 0);
    return 0;
}
