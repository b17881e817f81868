#pragma once
// The Paste Special choice: the formats the clipboard offers, each with what pasting it does.

#include <vector>

#include "ClipboardCommands.h"
#include "framework/ResourceDialog.h"

class QLabel;
class QListWidget;

namespace kfm::ui {

class PasteSpecialDialog : public ResourceDialog {
    Q_OBJECT
public:
    // Control ids: the list of formats and the text of what the chosen one does.
    static constexpr int kFormatList = 100;
    static constexpr int kResultText = 101;

    PasteSpecialDialog(QWidget* parent, std::vector<kfm::model::PasteSpecialEntry> entries);

    // The chosen entry's clipboard format; 0 when there is none.
    UINT ChosenFormat() const;

private:
    void showResult();

    std::vector<kfm::model::PasteSpecialEntry> entries_;
    QListWidget* list_;
    QLabel* result_;
};

} // namespace kfm::ui
