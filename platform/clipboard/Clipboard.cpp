#include "Clipboard.h"

#include "ClipboardBlocks.h"
#include "ClipboardFormats.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

using kfm::clipboard::OfferedData;

namespace {

struct ClipboardState {
    std::recursive_mutex mutex;
    bool open = false;
    // This opening emptied the clipboard: nothing of the earlier content is kept.
    bool emptied = false;
    // What this program set, in the clipboard's care until it is emptied or replaced.
    std::map<UINT, HANDLE> owned;
    // Another program's forms kept when this program added to its content without emptying.
    std::vector<std::pair<QString, QByteArray>> carried;
    // Handles made from the desktop's data for GetClipboardData, freed at Empty and Close.
    std::map<UINT, HANDLE> fetched;
    // The data last given to the desktop; QClipboard deletes it when it is replaced.
    QPointer<QMimeData> published;
};

ClipboardState& state() {
    static ClipboardState s;
    return s;
}

// The desktop clipboard, when the caller runs in the GUI application's thread.
QClipboard* desktopClipboard() {
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return nullptr;
    return QGuiApplication::clipboard();
}

bool ownsDesktopContent(const ClipboardState& s, const QClipboard& clipboard) {
    return s.published && clipboard.mimeData() == s.published.data();
}

void freeAll(std::map<UINT, HANDLE>& handles) {
    for (auto& [format, data] : handles)
        kfm::clipboard::freeHandle(format, data);
    handles.clear();
}

// Gives the desktop what this program set and what it kept of another program's content. The
// forms of the handles offered before are shared, not made again: Copy adds its formats one
// opening at a time, and the frames block may be large.
void publish(ClipboardState& s, QClipboard& clipboard, UINT added, bool replaced) {
    const auto* previous = dynamic_cast<const OfferedData*>(s.published.data());
    std::unique_ptr<OfferedData> data;
    if (previous && !replaced) {
        data = previous->copy();
        data->addHandle(added, s.owned.at(added));
    } else {
        data = std::make_unique<OfferedData>();
        // A DIB speaks for the picture before a bitmap of it.
        for (UINT format : {CF_DIB, CF_BITMAP})
            if (s.owned.count(format))
                data->addHandle(format, s.owned.at(format));
        for (const auto& [format, handle] : s.owned)
            if (format != CF_DIB && format != CF_BITMAP)
                data->addHandle(format, handle);
        for (const auto& [type, bytes] : s.carried)
            data->addBytes(type, bytes);
    }
    s.published = data.get();
    clipboard.setMimeData(data.release());
}

// The forms of another program's content, kept when this program adds to it.
std::vector<std::pair<QString, QByteArray>> formsOf(const QMimeData* data) {
    std::vector<std::pair<QString, QByteArray>> forms;
    if (!data)
        return forms;
    for (const QString& type : data->formats())
        if (QByteArray bytes = data->data(type); !bytes.isEmpty())
            forms.emplace_back(type, std::move(bytes));
    return forms;
}

} // namespace

BOOL OpenClipboard(HWND) {
    QClipboard* clipboard = desktopClipboard();
    if (!clipboard)
        return FALSE;
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (s.open)
        return TRUE;
    s.open = true;
    s.emptied = false;
    if (!ownsDesktopContent(s, *clipboard)) {
        // Replaced since: what this program set is no longer the clipboard's.
        freeAll(s.owned);
        s.carried.clear();
        s.published = nullptr;
    }
    return TRUE;
}

BOOL CloseClipboard() {
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.open || !desktopClipboard())
        return FALSE;
    freeAll(s.fetched);
    s.open = false;
    s.emptied = false;
    return TRUE;
}

BOOL EmptyClipboard() {
    QClipboard* clipboard = desktopClipboard();
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.open || !clipboard)
        return FALSE;
    freeAll(s.fetched);
    freeAll(s.owned);
    s.carried.clear();
    s.published = nullptr;
    s.emptied = true;
    clipboard->clear();
    return TRUE;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    QClipboard* clipboard = desktopClipboard();
    if (!clipboard)
        return FALSE;
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (ownsDesktopContent(s, *clipboard) && s.owned.count(format))
        return TRUE;
    const QMimeData* data = clipboard->mimeData();
    return data && kfm::clipboard::offersFormat(*data, format) ? TRUE : FALSE;
}

HANDLE GetClipboardData(UINT format) {
    QClipboard* clipboard = desktopClipboard();
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.open || !clipboard)
        return nullptr;
    if (ownsDesktopContent(s, *clipboard))
        if (const auto it = s.owned.find(format); it != s.owned.end())
            return it->second;
    if (const auto it = s.fetched.find(format); it != s.fetched.end())
        return it->second;
    const QMimeData* data = clipboard->mimeData();
    const HANDLE handle = data ? kfm::clipboard::handleFromMimeData(*data, format) : nullptr;
    if (handle)
        s.fetched[format] = handle;
    return handle;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
    QClipboard* clipboard = desktopClipboard();
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.open || !clipboard || !data)
        return nullptr;
    if (!ownsDesktopContent(s, *clipboard)) {
        // Another program's content (or none): added to unless this opening emptied it.
        freeAll(s.owned);
        s.carried = s.emptied ? decltype(s.carried)() : formsOf(clipboard->mimeData());
        s.published = nullptr;
    }
    // A handle given out by GetClipboardData and set again is no longer freed at Close.
    std::erase_if(s.fetched, [data](const auto& entry) { return entry.second == data; });
    HANDLE& slot = s.owned[format];
    const bool replaced = slot != nullptr;
    if (slot && slot != data)
        kfm::clipboard::freeHandle(format, slot);
    slot = data;
    publish(s, *clipboard, format, replaced);
    return data;
}
