#include "SafeSave.h"

#include "Bitra5Testing.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace kpx {

namespace {

constexpr int kNameAttempts = 100;
// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// Off only in tests of the named road.
std::atomic<bool> unnamedTemporaries{true};

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

std::string folderOf(const std::string& target) {
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// A temporary name in the target's folder. Its length does not depend on the target's name, so
// a target whose name has the longest length the file system allows can still be saved.
std::string temporaryBeside(const std::string& target) {
    return (std::filesystem::path(folderOf(target)) / (".kfm-" + randomSuffix() + ".tmp")).string();
}

std::string descriptorPath(int descriptor) {
    return "/proc/self/fd/" + std::to_string(descriptor);
}

// Whether the path reaches the open file itself (it does not where /proc is missing).
bool reachesDescriptor(const std::string& path, int descriptor) {
    struct stat byPath {};
    struct stat open {};
    return ::stat(path.c_str(), &byPath) == 0 && ::fstat(descriptor, &open) == 0 &&
           byPath.st_dev == open.st_dev && byPath.st_ino == open.st_ino;
}

} // namespace

bool mayReplaceFile(const std::string& path, const struct stat& status) {
    return (status.st_mode & kAnyWriteBit) != 0 &&
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {
    if (target_.empty())
        return;
    target_ = linkedFile(target_);
    targetExists_ = ::stat(target_.c_str(), &targetStatus_) == 0;
    if (!targetExists_ && errno != ENOENT)
        return; // a link loop or a folder we may not look into
    if (targetExists_ && !S_ISREG(targetStatus_.st_mode))
        return; // a folder or device is never replaced
    if (targetExists_ && !mayReplaceFile(target_, targetStatus_)) {
        refusal_ = kKpxNotWritable;
        return;
    }
    if (!openUnnamed(folderOf(target_)) && !openNamed())
        return;
    refusal_ = kKpxOk;
    output_ = std::make_unique<OutputScope>(path_, descriptor_);
}

bool ReplacingFile::openUnnamed(const std::string& folder) {
    if (!unnamedTemporaries.load())
        return false;
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const std::string path = descriptorPath(fd);
    if (!reachesDescriptor(path, fd)) {
        ::close(fd);
        return false;
    }
    path_ = path;
    descriptor_ = fd;
    unnamed_ = true;
    return true;
}

bool ReplacingFile::openNamed() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = temporaryBeside(target_);
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        path_ = candidate;
        descriptor_ = fd;
        return true;
    }
    return false;
}

ReplacingFile::~ReplacingFile() {
    closeOutput();
    if (valid() && !unnamed_ && !committed_)
        std::remove(path_.c_str());
}

void ReplacingFile::closeOutput() {
    output_.reset();
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

// The owner and group first: changing them may clear the set-id bits, which the mode then sets.
// An owner the process may not give is left as it is; a group it may give is still given.
void ReplacingFile::keepTargetAttributes() {
    if (!targetExists_)
        return;
    struct stat own {};
    if (::fstat(descriptor_, &own) == 0 &&
        (own.st_uid != targetStatus_.st_uid || own.st_gid != targetStatus_.st_gid) &&
        ::fchown(descriptor_, targetStatus_.st_uid, targetStatus_.st_gid) != 0)
        (void)::fchown(descriptor_, static_cast<uid_t>(-1), targetStatus_.st_gid);
    ::fchmod(descriptor_, targetStatus_.st_mode & 07777);
}

// Gives the unnamed file a hidden name beside the target, for the rename over the target.
bool ReplacingFile::linkUnnamed() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = temporaryBeside(target_);
        if (::linkat(AT_FDCWD, path_.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            if (std::rename(candidate.c_str(), target_.c_str()) == 0)
                return true;
            std::remove(candidate.c_str());
            return false;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool ReplacingFile::commit() {
    if (!valid() || committed_ || descriptor_ < 0)
        return false;
    output_.reset();
    if (::fsync(descriptor_) != 0)
        return false;
    keepTargetAttributes();
    if (unnamed_) {
        if (!linkUnnamed())
            return false;
        closeOutput();
    } else {
        const bool closed = ::close(descriptor_) == 0;
        descriptor_ = -1;
        if (!closed || std::rename(path_.c_str(), target_.c_str()) != 0)
            return false;
    }
    committed_ = true;
    return true;
}

} // namespace kpx

void KpxUseUnnamedTemporaryFilesForTest(int use) {
    kpx::unnamedTemporaries = use != 0;
}
