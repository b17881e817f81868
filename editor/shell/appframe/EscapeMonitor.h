#pragma once
// The Esc key during long operations that do not return to the event loop. A poll lets the
// window system deliver what waits (so the progress display repaints), takes a waiting Esc
// press, drops every other key and mouse input meant for the program's windows and holds back
// posted private messages until the poll ends, so no command runs inside the operation.

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>

#include <vector>

namespace kfm::ui {

class EscapeMonitor : public QObject {
public:
    EscapeMonitor();
    ~EscapeMonitor() override;
    EscapeMonitor(const EscapeMonitor&) = delete;
    EscapeMonitor& operator=(const EscapeMonitor&) = delete;

    // True when Esc was pressed since the last poll; the press is used up. A poll inside a poll
    // only reports what the outer one has seen. The window system is asked at most every few
    // milliseconds: an operation that polls for each small step would otherwise spend its time
    // in the event loop.
    bool Poll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct HeldMessage {
        QObject* receiver;
        QEvent* event;
    };
    bool polling_ = false;
    bool escapeSeen_ = false;
    QElapsedTimer lastPoll_;
    std::vector<HeldMessage> held_;
};

// The program's monitor (created on first use; needs the application object).
EscapeMonitor& TheEscapeMonitor();

} // namespace kfm::ui
