#include "ShellServices.h"

namespace {

class QuietShell final : public ShellServices {
public:
    std::string loadString(UINT) override { return {}; }
    int messageBox(const std::string&, UINT) override { return IDOK; }
    bool hasMainWindow() override { return false; }
    LRESULT sendToMainWindow(UINT, WPARAM, LPARAM) override { return 0; }
    bool escapePressed() override { return false; }
    void setWaitCursor(bool) override {}
    bool hasActiveDocument() override { return false; }
    void setDocumentModified(bool) override {}
    void refreshStripView() override {}
    void redrawViews(int, int) override {}
    void updateAnimationPage() override {}
    void updateOptimizeState() override {}
};

QuietShell quietShell;
ShellServices* installed = nullptr;

} // namespace

ShellServices& shell() {
    return installed ? *installed : quietShell;
}

void setShellServices(ShellServices* services) {
    installed = services;
}

int ShellMessageBox(UINT id, UINT flags) {
    return shell().messageBox(shell().loadString(id), flags);
}
