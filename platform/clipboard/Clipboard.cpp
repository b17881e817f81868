#include "Clipboard.h"

#include "gdi/DibSection.h"
#include "memory/GlobalMemory.h"
#include "metafile/EnhMetafile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

struct ClipboardState {
    std::recursive_mutex mutex;
    bool open = false;
    std::thread::id owner;
    std::map<UINT, HANDLE> data;
    std::map<std::string, UINT> registered;
    UINT nextFormat = 0xC000;
};

ClipboardState& state() {
    static ClipboardState s;
    return s;
}

void freeData(UINT format, HANDLE data) {
    if (!data)
        return;
    if (format == CF_BITMAP)
        DeleteBitmap(static_cast<HBITMAP>(data));
    else if (format == CF_ENHMETAFILE)
        DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data));
    else
        GlobalFree(static_cast<HGLOBAL>(data));
}

bool openedByCaller(ClipboardState& s) {
    return s.open && s.owner == std::this_thread::get_id();
}

} // namespace

BOOL OpenClipboard(HWND) {
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (s.open && s.owner != std::this_thread::get_id())
        return FALSE;
    s.open = true;
    s.owner = std::this_thread::get_id();
    return TRUE;
}

BOOL CloseClipboard() {
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (!openedByCaller(s))
        return FALSE;
    s.open = false;
    return TRUE;
}

BOOL EmptyClipboard() {
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (!openedByCaller(s))
        return FALSE;
    for (auto& [format, data] : s.data)
        freeData(format, data);
    s.data.clear();
    return TRUE;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    return s.data.count(format) ? TRUE : FALSE;
}

HANDLE GetClipboardData(UINT format) {
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (!openedByCaller(s))
        return nullptr;
    const auto it = s.data.find(format);
    return it == s.data.end() ? nullptr : it->second;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    if (!openedByCaller(s) || !data)
        return nullptr;
    auto& slot = s.data[format];
    if (slot != data)
        freeData(format, slot);
    slot = data;
    return data;
}

UINT RegisterClipboardFormatA(const char* name) {
    if (!name || !*name)
        return 0;
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    auto [it, inserted] = s.registered.try_emplace(name, s.nextFormat);
    if (inserted)
        ++s.nextFormat;
    return it->second;
}

namespace {

std::string registeredName(UINT format) {
    ClipboardState& s = state();
    std::lock_guard lock(s.mutex);
    for (const auto& [name, id] : s.registered)
        if (id == format)
            return name;
    return {};
}

} // namespace

int GetClipboardFormatNameA(UINT format, char* buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    const std::string name = registeredName(format);
    const auto n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

namespace kfm::clipboard {

std::string mimeTypeOf(UINT format) {
    std::string name = registeredName(format);
    if (name.empty())
        return {};
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return "application/x-" + name;
}

} // namespace kfm::clipboard
