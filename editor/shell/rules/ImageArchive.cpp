#include "ImageArchive.h"

#include "AppSettings.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <limits>

namespace kfm::shell {

namespace {

// Sets the image library's break-load lock for its lifetime.
class BreakLoadLock {
public:
    BreakLoadLock() { KPXLockBreakLoad(1); }
    ~BreakLoadLock() { KPXLockBreakLoad(0); }
    BreakLoadLock(const BreakLoadLock&) = delete;
    BreakLoadLock& operator=(const BreakLoadLock&) = delete;
};

} // namespace

KpxHandle LoadArchiveImageFrom(const std::string& path, int index) {
    std::array<std::uint8_t, kArchiveHeaderSize> header{};
    std::uint64_t fileSize = 0;
    {
        std::ifstream file(path, std::ios::binary | std::ios::ate);
        if (!file)
            return 0;
        fileSize = static_cast<std::uint64_t>(file.tellg());
        file.seekg(0);
        if (!file.read(reinterpret_cast<char*>(header.data()), header.size()))
            return 0;
    }
    const auto offset = ArchivePictureOffset(header, index);
    if (!offset || *offset >= fileSize ||
        *offset > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return 0;
    const BreakLoadLock lock;
    return KPXLoadImageOffset(nullptr, path.c_str(), static_cast<std::int32_t>(*offset), nullptr);
}

} // namespace kfm::shell

KpxHandle LoadArchiveImage(int index) {
    std::string path = kfm::shell::g_AppSettings.programFolder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return kfm::shell::LoadArchiveImageFrom(path + kfm::shell::kArchiveFileName, index);
}
