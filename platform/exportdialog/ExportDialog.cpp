#include "ExportDialog.h"

#include <mutex>

namespace kfm::exportdialog {

namespace {

std::mutex hostMutex;
ExportDialogHost* installedHost = nullptr;

} // namespace

void setExportDialogHost(ExportDialogHost* host) {
    const std::lock_guard lock(hostMutex);
    installedHost = host;
}

int runExportDialog(HWND parent, ExportChoice& choice) {
    ExportDialogHost* host = nullptr;
    {
        const std::lock_guard lock(hostMutex);
        host = installedHost;
    }
    return host ? host->run(parent, choice) : IDCANCEL;
}

} // namespace kfm::exportdialog
