#pragma once
// The fuzz input as a file the library's path loads can open: an anonymous in-memory file reached
// through its descriptor's path, rewritten for every input.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

class MemoryFile {
public:
    explicit MemoryFile(const char* name) : fd_(memfd_create(name, 0)) {
        if (fd_ >= 0)
            path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() {
        if (fd_ >= 0)
            close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // The path holding exactly these bytes, or null when they could not be written.
    const char* write(std::span<const std::uint8_t> bytes) {
        if (fd_ < 0 || ftruncate(fd_, 0) != 0)
            return nullptr;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n <= 0)
                return nullptr;
            done += static_cast<std::size_t>(n);
        }
        return path_.c_str();
    }

private:
    int fd_;
    std::string path_;
};
