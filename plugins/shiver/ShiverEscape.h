#pragma once
// Esc while the frames are generated. The generation lets the window system deliver what waits
// every few frames (repaints, timers); a pump drops every key, mouse and close request meant for
// the program's windows, so no click closes the document or starts another command under the
// running one, and takes an Esc press as the request to stop. (Holding input back with
// QEventLoop::ExcludeUserInputEvents instead would hold back the Esc press too.)

#include <QObject>

#include <atomic>

namespace kfm::shiver {

class CShiverEscape : public QObject {
public:
    // Watches the application's events while pumping; Esc sets cancel.
    explicit CShiverEscape(std::atomic<bool>& cancel);
    ~CShiverEscape() override;
    CShiverEscape(const CShiverEscape&) = delete;
    CShiverEscape& operator=(const CShiverEscape&) = delete;

    // Delivers what waits, without the user's input.
    void Pump();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::atomic<bool>& cancel_;
    bool pumping_ = false;
};

} // namespace kfm::shiver
