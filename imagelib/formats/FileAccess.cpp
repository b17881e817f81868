#include "FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kpx {

namespace {

// The innermost session and output of the calling thread; each links to the one it is in.
thread_local FileSession* innermostSession = nullptr;
thread_local OutputScope* innermostOutput = nullptr;

constexpr std::uint64_t kWriteBehind = std::uint64_t{1} << 20;

bool writeAll(int descriptor, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(descriptor, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

std::shared_ptr<const ReadOnlyFile> ReadOnlyFile::open(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    return std::shared_ptr<const ReadOnlyFile>(new ReadOnlyFile(descriptor));
}

std::uint64_t ReadOnlyFile::size() const {
    if (!size_) {
        struct stat status {};
        size_ = ::fstat(descriptor_, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0
                    ? static_cast<std::uint64_t>(status.st_size)
                    : 0;
    }
    return *size_;
}

ReadOnlyFile::~ReadOnlyFile() {
    ::close(descriptor_);
}

std::size_t ReadOnlyFile::read(std::uint64_t offset, std::span<std::uint8_t> out) const {
    // Nothing past a known end is asked for, so the end costs no read; a read that comes back
    // short has found the end.
    if (size_) {
        if (offset >= *size_)
            return 0;
        out = out.first(
            static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), *size_ - offset)));
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(descriptor_, out.data() + done, out.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
        if (!size_ && done < out.size()) {
            size_ = offset + done;
            break;
        }
    }
    if (!size_ && done == 0 && !out.empty())
        size_ = offset; // an empty file, or one that ends at the offset
    return done;
}

std::uint64_t FileSource::size() const {
    if (!window_)
        cover(0, kWindow);
    return file_->size();
}

void FileSource::cover(std::uint64_t offset, std::size_t n) const {
    // A window that reaches the end of the file covers everything after its start.
    const std::uint64_t windowEnd = windowStart_ + windowLength_;
    if (window_ && offset >= windowStart_ &&
        (offset + n <= windowEnd || windowEnd >= file_->size()))
        return;
    if (!window_)
        window_ = std::make_unique_for_overwrite<std::uint8_t[]>(kWindow);
    windowStart_ = offset;
    windowLength_ = file_->read(offset, std::span(window_.get(), kWindow));
}

std::size_t FileSource::read(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (out.size() >= kWindow)
        return file_->read(offset, out);
    const auto seen = view(offset, out.size());
    std::copy(seen.begin(), seen.end(), out.begin());
    return seen.size();
}

std::span<const std::uint8_t> FileSource::view(std::uint64_t offset, std::size_t n) {
    if (n > kWindow)
        return ByteSource::view(offset, n);
    cover(offset, n);
    if (offset < windowStart_ || offset >= windowStart_ + windowLength_)
        return {};
    const auto at = static_cast<std::size_t>(offset - windowStart_);
    return {window_.get() + at, std::min<std::size_t>(n, windowLength_ - at)};
}

FileSession::FileSession(const char* path) : path_(path ? path : "") {
    if (!path || of(path))
        return;
    serves_ = true;
    outer_ = innermostSession;
    innermostSession = this;
}

FileSession::~FileSession() {
    if (serves_)
        innermostSession = outer_;
}

FileSession* FileSession::of(const char* path) {
    if (!path)
        return nullptr;
    for (FileSession* s = innermostSession; s; s = s->outer_)
        if (s->path_ == path)
            return s;
    return nullptr;
}

std::shared_ptr<const ReadOnlyFile> FileSession::file() {
    if (!opened_) {
        opened_ = true;
        file_ = ReadOnlyFile::open(path_);
        if (file_)
            source_ = std::make_shared<FileSource>(file_);
    }
    return file_;
}

std::shared_ptr<FileSource> FileSession::source() {
    file();
    return source_;
}

std::shared_ptr<FileSource> openSource(const char* path) {
    if (!path)
        return nullptr;
    if (FileSession* session = FileSession::of(path))
        return session->source();
    auto file = ReadOnlyFile::open(path);
    return file ? std::make_shared<FileSource>(std::move(file)) : nullptr;
}

OutputScope::OutputScope(std::string path, int descriptor)
    : path_(std::move(path)), descriptor_(descriptor), outer_(innermostOutput) {
    innermostOutput = this;
}

OutputScope::~OutputScope() {
    innermostOutput = outer_;
}

Appended appendToFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    for (OutputScope* o = innermostOutput; o; o = o->outer_)
        if (o->path_ == path) {
            if (!writeAll(o->descriptor_, bytes))
                return Appended::NotAll;
            o->written_ += bytes.size();
            // The disk starts writing each megabyte while the save goes on, so that the flush at
            // its end has less to wait for.
            if (o->written_ - o->writing_ >= kWriteBehind) {
                ::sync_file_range(o->descriptor_, static_cast<off_t>(o->writing_),
                                  static_cast<off_t>(o->written_ - o->writing_),
                                  SYNC_FILE_RANGE_WRITE);
                o->writing_ = o->written_;
            }
            return Appended::All;
        }
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return Appended::CannotOpen;
    const bool written = writeAll(descriptor, bytes);
    return ::close(descriptor) == 0 && written ? Appended::All : Appended::NotAll;
}

} // namespace kpx
