#pragma once
// The program's open and save dialog: one wrapper shared by open, import, save as and the
// preferences. It starts in the remembered folder with the remembered filter and hands back the
// folder and the filter index for the caller to remember.

#include <string>
#include <vector>

#include "ShellServices.h"

class QWidget;

namespace kfm::ui {

// Shows the dialog for request (file: proposed name; folder: start folder; filterIndex: 1-based;
// filter: "description|patterns|...|"). On OK: request.file is the chosen path, request.folder
// its folder with a trailing "/", request.filterIndex the chosen filter; IDOK. IDCANCEL leaves
// request alone.
//
// With multiSelect non-null and non-zero the user may pick several files: then every chosen
// path is in chosen (in the dialog's order), and *multiSelect becomes 0 when only one file was
// picked, so the caller takes request.file as one path.
int DoFileDialog(QWidget* parent, FileDialogRequest& request, int* multiSelect = nullptr,
                 std::vector<std::string>* chosen = nullptr);

} // namespace kfm::ui
