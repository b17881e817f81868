#include "FrameDialogMessages.h"

#include <QMessageBox>

namespace kfm::dialogs {

void ShowWarning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, parent ? parent->windowTitle() : QString(), text);
}

} // namespace kfm::dialogs
