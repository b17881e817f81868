#pragma once
// The main window's status bar: the message pane with the prompts of menu items and toolbar
// buttons (and the idle text), the frame counter pane, and the progress display of long
// operations (a percentage label and a bar laid over the message pane from begin to end).

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QString>

#include "types/Win32Types.h"

class QStatusBar;

namespace kfm::ui {

class StatusPanel {
public:
    // Builds the panes into bar (the message pane and the frame counter, id 20046).
    explicit StatusPanel(QStatusBar* bar);

    // Progress (WM_USER + 100, 101, 102). A begin while a display is shown is ignored; steps
    // without a display are ignored; position 0 in a step means one more than before.
    void BeginProgress(UINT captionId, int total);
    void StepProgress(WPARAM position);
    void EndProgress();
    bool ProgressActive() const { return active_; }

    // Shows the idle text in the message pane.
    void ShowIdleMessage();
    // Sets the frame counter's text; the pane is at least 50 pixels wide.
    void SetFrameCounter(const QString& text);

    QLabel* ProgressLabel() const { return label_; }
    QProgressBar* ProgressBar() const { return progress_; }
    QLabel* FrameCounter() const { return counter_; }

private:
    // Moves the bar and rewrites the percentage.
    void moveBar(int position);
    QString captionText(int position) const;

    QStatusBar* bar_;
    QLabel* idle_;
    QLabel* counter_;
    QPointer<QLabel> label_;
    QPointer<QProgressBar> progress_;
    // Paints of the bar while the event loop does not run: a few a second are enough.
    QElapsedTimer lastPaint_;
    bool active_ = false;
    int total_ = 0;
    int position_ = 0;
    int stepCounter_ = 0;
    std::string caption_;
};

} // namespace kfm::ui
