#include "Desktop.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <mutex>

namespace kfm::shell {
namespace {

struct Handlers {
    std::mutex mutex;
    UrlOpener opener;
    BeepHandler beep;
};

Handlers& handlers() {
    static Handlers h;
    return h;
}

bool openWithDesktop(const std::string& url) {
    const QUrl target = QUrl::fromUserInput(QString::fromStdString(url));
    return target.isValid() && QDesktopServices::openUrl(target);
}

} // namespace

bool openUrl(const std::string& url) {
    UrlOpener opener;
    {
        const std::lock_guard lock(handlers().mutex);
        opener = handlers().opener;
    }
    return opener ? opener(url) : openWithDesktop(url);
}

void setUrlOpener(UrlOpener opener) {
    const std::lock_guard lock(handlers().mutex);
    handlers().opener = std::move(opener);
}

void setBeepHandler(BeepHandler handler) {
    const std::lock_guard lock(handlers().mutex);
    handlers().beep = std::move(handler);
}

} // namespace kfm::shell

BOOL MessageBeep(UINT kind) {
    kfm::shell::BeepHandler beep;
    {
        const std::lock_guard lock(kfm::shell::handlers().mutex);
        beep = kfm::shell::handlers().beep;
    }
    if (beep)
        beep(kind);
    return TRUE;
}
