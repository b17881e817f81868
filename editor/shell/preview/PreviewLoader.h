#pragma once
// The preview window's file loader: one thread that loads every frame of a file into a new frame
// chain and reports to its window through queued calls. It never waits on the window, so the
// window may stop and join it at any time; it is never killed.

#include <QPointer>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "Bitra5.h"

namespace kfm::ui {

// What the loader tells its window, each call queued to the window's thread.
struct PreviewLoadReports {
    // The first frame has arrived: the chain that grows while the load runs.
    std::function<void(KpxHandle chain)> firstFrame;
    // Frame index has arrived (also for frame 0).
    std::function<void(int index)> progress;
    // The load has ended: the whole chain, or 0 when nothing could be loaded.
    std::function<void(KpxHandle chain)> loaded;
};

class PreviewLoader {
public:
    // Starts loading path; reports go to receiver's thread and are dropped once it is gone.
    PreviewLoader(std::string path, QObject* receiver, PreviewLoadReports reports);
    // Stops and joins.
    ~PreviewLoader();
    PreviewLoader(const PreviewLoader&) = delete;
    PreviewLoader& operator=(const PreviewLoader&) = delete;

    // Asks the load to end at its next frame, keeping the frames loaded so far, and waits for
    // the thread. Reports already queued still arrive; the caller ignores them.
    void StopAndJoin();
    // After the thread has ended: the chain it produced (0 when none). A chain whose first frame
    // was reported is never deleted by the loader.
    KpxHandle Result() const { return result_.load(); }
    bool Finished() const { return finished_.load(); }

private:
    static int onFrame(KpxHandle first, int index, void* loader);
    void run(std::stop_token stop);
    template <class Call> void report(Call call);

    const std::string path_;
    const QPointer<QObject> receiver_;
    const PreviewLoadReports reports_;
    std::stop_token stop_;
    std::atomic<KpxHandle> result_{0};
    std::atomic<bool> finished_{false};
    std::jthread thread_;
};

} // namespace kfm::ui
