// The editor's own start-up (the same road as the program), ended at its main window's first
// paint.

#include "FirstPaint.h"
#include "FlimmerApp.h"
#include "MainFrame.h"

#include <memory>

int main(int argc, char** argv) {
    std::unique_ptr<FirstPaintExit> probe;
    kfm::ui::RunHooks hooks;
    hooks.afterStart = [&probe](CFlimmerApp& app) {
        probe = std::make_unique<FirstPaintExit>(app.MainFrame());
    };
    return kfm::ui::RunEditor(argc, argv, hooks);
}
