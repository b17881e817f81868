// KFM5, the animated GIF editor.

#include "FlimmerApp.h"

int main(int argc, char** argv) {
    return kfm::ui::RunEditor(argc, argv);
}
