#include "SafeSave.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace kpx {

namespace {

constexpr int kNameAttempts = 100;
// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;

std::string randomSuffix() {
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device device;
    std::string suffix;
    for (int i = 0; i < 8; ++i)
        suffix += kDigits[device() % (sizeof kDigits - 1)];
    return suffix;
}

// The file a path names once every symbolic link at its end is followed, so that a save through
// a link replaces the linked file and the link stays. A path that is no link comes back as is.
std::string linkedFile(const std::string& path) {
    std::filesystem::path current(path);
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat entry {};
        if (::lstat(current.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode))
            return current.string();
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(current, error);
        if (error)
            return current.string();
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current.string(); // a loop: the stat of the caller fails with ELOOP
}

// A temporary name in the target's folder. Its length does not depend on the target's name, so
// a target whose name has the longest length the file system allows can still be saved.
std::string temporaryBeside(const std::string& target) {
    return (std::filesystem::path(target).parent_path() / (".kfm-" + randomSuffix() + ".tmp"))
        .string();
}

} // namespace

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {
    if (target_.empty())
        return;
    target_ = linkedFile(target_);
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return; // a link loop or a folder we may not look into
    if (exists && !S_ISREG(existing.st_mode))
        return; // a folder or device is never replaced
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = temporaryBeside(target_);
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return;
        }
        if (exists)
            ::fchmod(fd, existing.st_mode & 07777);
        path_ = candidate;
        descriptor_ = fd;
        output_ = std::make_unique<OutputScope>(path_, descriptor_);
        return;
    }
}

ReplacingFile::~ReplacingFile() {
    closeOutput();
    if (valid() && !committed_)
        std::remove(path_.c_str());
}

void ReplacingFile::closeOutput() {
    output_.reset();
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

bool ReplacingFile::commit() {
    if (!valid() || committed_ || descriptor_ < 0)
        return false;
    const bool synced = ::fsync(descriptor_) == 0;
    output_.reset();
    const bool closed = ::close(descriptor_) == 0;
    descriptor_ = -1;
    if (!synced || !closed || std::rename(path_.c_str(), target_.c_str()) != 0)
        return false;
    committed_ = true;
    return true;
}

} // namespace kpx
