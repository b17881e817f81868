#pragma once
// The desktop's choices of the browsers and the bitmap editor, looked up on a worker thread
// while the main window builds and shows: the desktop's tools take far longer to answer than the
// window takes to appear. The findings go into the settings on the GUI thread, as FindBrowsers
// and FindBitmapEditor (DesktopEntry.h) would have written them.

#include <functional>
#include <future>
#include <memory>
#include <string>
#include <utility>

#include "DesktopEntry.h"

class QObject;

namespace kfm::extedit {

class DesktopToolSearch {
public:
    // Starts the searches the settings ask for ("BrowserPathAutoDetect" set, "EditorPath"
    // empty). Once they are done, found runs on the GUI thread after the settings took the
    // findings (unless finish() took them first).
    explicit DesktopToolSearch(std::function<void()> found, ToolRunner run = RunDesktopTool);
    // Waits for the worker; findings not taken yet go into the settings.
    ~DesktopToolSearch();
    DesktopToolSearch(const DesktopToolSearch&) = delete;
    DesktopToolSearch& operator=(const DesktopToolSearch&) = delete;

    // Waits for the searches and writes their findings into the settings; false when they were
    // written before.
    bool finish();

private:
    struct Findings {
        bool browsersSearched = false;
        std::pair<std::string, std::string> browsers;
        bool editorSearched = false;
        std::string editor;
    };

    std::unique_ptr<QObject> notifier_; // receives the worker's "done" on the GUI thread
    std::function<void()> found_;
    std::future<Findings> findings_;
};

} // namespace kfm::extedit
