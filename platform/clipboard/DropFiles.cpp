#include "DropFiles.h"

#include "memory/GlobalMemory.h"

#include <QString>

#include <cstring>

namespace kfm::clipboard {

namespace {

constexpr std::uint32_t kDropFilesHeader = 20;
constexpr std::size_t kWideFlagOffset = 16;

std::vector<std::string> ansiNames(const std::uint8_t* block, std::size_t size, std::size_t at) {
    std::vector<std::string> names;
    while (at < size && block[at]) {
        const auto* start = reinterpret_cast<const char*>(block + at);
        const std::size_t length = strnlen(start, size - at);
        if (at + length >= size) // no terminating zero inside the block
            break;
        // The names are in the ANSI code page; paths here are UTF-8.
        names.push_back(QString::fromLatin1(start, static_cast<qsizetype>(length)).toStdString());
        at += length + 1;
    }
    return names;
}

std::vector<std::string> wideNames(const std::uint8_t* block, std::size_t size, std::size_t at) {
    std::vector<std::string> names;
    while (at + 1 < size) {
        std::u16string name;
        bool terminated = false;
        for (; at + 1 < size; at += 2) {
            char16_t c = 0;
            std::memcpy(&c, block + at, 2);
            if (c == 0) {
                terminated = true;
                at += 2;
                break;
            }
            name.push_back(c);
        }
        if (!terminated || name.empty())
            break;
        names.push_back(QString::fromStdU16String(name).toStdString());
    }
    return names;
}

} // namespace

HGLOBAL makeDropFilesBlock(const std::vector<std::string>& paths) {
    if (paths.empty())
        return nullptr;
    std::u16string names;
    for (const std::string& path : paths) {
        names += QString::fromStdString(path).toStdU16String();
        names.push_back(u'\0');
    }
    names.push_back(u'\0');
    const std::size_t size = kDropFilesHeader + names.size() * sizeof(char16_t);
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* bytes = block ? static_cast<std::uint8_t*>(GlobalLock(block)) : nullptr;
    if (!bytes) {
        if (block)
            GlobalFree(block);
        return nullptr;
    }
    const std::uint32_t offset = kDropFilesHeader;
    const std::int32_t wide = 1;
    std::memcpy(bytes, &offset, sizeof offset);
    std::memcpy(bytes + kWideFlagOffset, &wide, sizeof wide);
    std::memcpy(bytes + kDropFilesHeader, names.data(), names.size() * sizeof(char16_t));
    GlobalUnlock(block);
    return block;
}

std::vector<std::string> dropFilesNames(const std::uint8_t* block, std::size_t size) {
    if (!block || size < kDropFilesHeader)
        return {};
    std::uint32_t offset = 0;
    std::int32_t wide = 0;
    std::memcpy(&offset, block, sizeof offset);
    std::memcpy(&wide, block + kWideFlagOffset, sizeof wide);
    if (offset < kDropFilesHeader || offset >= size)
        return {};
    return wide ? wideNames(block, size, offset) : ansiNames(block, size, offset);
}

} // namespace kfm::clipboard
