#include "PreviewLoader.h"

#include <QMetaObject>

namespace kfm::ui {

PreviewLoader::PreviewLoader(std::string path, QObject* receiver, PreviewLoadReports reports)
    : path_(std::move(path)), receiver_(receiver), reports_(std::move(reports)),
      thread_([this](std::stop_token stop) { run(std::move(stop)); }) {}

PreviewLoader::~PreviewLoader() {
    StopAndJoin();
}

void PreviewLoader::StopAndJoin() {
    thread_.request_stop();
    if (thread_.joinable())
        thread_.join();
}

template <class Call> void PreviewLoader::report(Call call) {
    // Queued: the loader never waits for the window, which may be joining it right now.
    if (QObject* receiver = receiver_.data())
        QMetaObject::invokeMethod(receiver, std::move(call), Qt::QueuedConnection);
}

int PreviewLoader::onFrame(KpxHandle first, int index, void* data) {
    auto& loader = *static_cast<PreviewLoader*>(data);
    if (loader.stop_.stop_requested()) {
        // Before the first frame was reported nobody holds the chain: the library drops it.
        // Afterwards the window may hold it, so the load only breaks off and keeps its frames.
        if (index == 0)
            return 1;
        KPXBreakLoadImageFrames(first);
        return 0;
    }
    if (index == 0)
        loader.report([report = loader.reports_.firstFrame, first] { report(first); });
    loader.report([report = loader.reports_.progress, index] { report(index); });
    return 0;
}

void PreviewLoader::run(std::stop_token stop) {
    stop_ = stop;
    const KpxHandle chain =
        KPXLoadImageFramesOffset(path_.c_str(), 0, &PreviewLoader::onFrame, this);
    result_ = chain > 0 ? chain : 0;
    finished_ = true;
    if (!stop.stop_requested())
        report([report = reports_.loaded, chain = result_.load()] { report(chain); });
}

} // namespace kfm::ui
