#include "ClipboardBlocks.h"

#include "memory/GlobalMemory.h"

#include <QByteArray>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

// The formats registered by name in this program, numbered from the first registered format.
struct FormatNames {
    std::mutex mutex;
    std::map<std::string, UINT> registered;
    UINT nextFormat = 0xC000; // the first registered format
};

FormatNames& formatNames() {
    static FormatNames s;
    return s;
}

} // namespace

UINT RegisterClipboardFormatA(const char* name) {
    if (!name || !*name)
        return 0;
    FormatNames& s = formatNames();
    std::lock_guard lock(s.mutex);
    auto [it, inserted] = s.registered.try_emplace(name, s.nextFormat);
    if (inserted)
        ++s.nextFormat;
    return it->second;
}

namespace {

std::string registeredName(UINT format) {
    FormatNames& s = formatNames();
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

HGLOBAL globalOfBytes(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return nullptr;
    const HGLOBAL block = GlobalAlloc(GHND, static_cast<std::size_t>(bytes.size()));
    void* memory = block ? GlobalLock(block) : nullptr;
    if (!memory) {
        if (block)
            GlobalFree(block);
        return nullptr;
    }
    std::memcpy(memory, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    GlobalUnlock(block);
    return block;
}

std::optional<METAFILEPICT> metafilePictureInBlock(HGLOBAL block) {
    METAFILEPICT picture{};
    if (GlobalSize(block) < sizeof picture)
        return std::nullopt;
    const void* memory = GlobalLock(block);
    if (!memory)
        return std::nullopt;
    std::memcpy(&picture, memory, sizeof picture);
    GlobalUnlock(block);
    return picture;
}

HGLOBAL blockOfMetafilePicture(const METAFILEPICT& picture) {
    return globalOfBytes(QByteArray(reinterpret_cast<const char*>(&picture), sizeof picture));
}

} // namespace kfm::clipboard
