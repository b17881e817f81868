#pragma once
// How the frame dialogs tell the user why they stay open: a warning box by default; tests put a
// recorder in its place.

#include <QString>

#include <functional>

class QWidget;

namespace kfm::dialogs {

using MessageSink = std::function<void(QWidget* parent, const QString& text)>;

// Shows a warning box over parent.
void ShowWarning(QWidget* parent, const QString& text);

} // namespace kfm::dialogs
