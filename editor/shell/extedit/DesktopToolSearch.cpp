#include "DesktopToolSearch.h"

#include "AppSettings.h"

#include <QObject>

#include <tuple>

namespace kfm::extedit {

DesktopToolSearch::DesktopToolSearch(std::function<void()> found, ToolRunner run)
    : notifier_(std::make_unique<QObject>()), found_(std::move(found)) {
    const auto& settings = kfm::shell::g_AppSettings;
    const bool browsers = settings.BrowserPathAutoDetect != 0;
    const bool editor = settings.EditorPath.empty();
    QObject* notifier = notifier_.get();
    findings_ = std::async(std::launch::async, [this, notifier, browsers, editor, run] {
        Findings findings;
        findings.browsersSearched = browsers;
        if (browsers)
            findings.browsers = DetectBrowsers(run);
        findings.editorSearched = editor;
        if (editor)
            findings.editor = DetectBitmapEditor(run);
        // The notifier outlives this call: the destructor waits for the worker before it goes,
        // and a queued call to an object deleted since is dropped.
        QMetaObject::invokeMethod(
            notifier,
            [this] {
                if (finish() && found_)
                    found_();
            },
            Qt::QueuedConnection);
        return findings;
    });
}

DesktopToolSearch::~DesktopToolSearch() {
    finish();
}

bool DesktopToolSearch::finish() {
    if (!findings_.valid())
        return false;
    const Findings findings = findings_.get();
    auto& settings = kfm::shell::g_AppSettings;
    if (findings.browsersSearched)
        std::tie(settings.BrowserPathIE, settings.BrowserPathNN) = findings.browsers;
    // A path the user stored meanwhile stays.
    if (findings.editorSearched && settings.EditorPath.empty())
        settings.EditorPath = findings.editor;
    return true;
}

} // namespace kfm::extedit
