#include "CodecIo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <sys/mman.h>

#include "Bitra5ResourceIds.h"
#include "Bitra5Testing.h"

namespace kpx {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::size_t kReadChunk = 1 << 20;

// Reads up to limit bytes from the file's position to its end: the expected count at once (with
// room to notice that the file ends there), then in chunks while more arrives.
bool readRest(std::FILE* file, std::size_t limit, std::size_t expected, ByteBuffer& out) {
    out.reserve(std::min(limit, expected + 4096));
    while (out.size() < limit) {
        // What the room left takes, and once that is filled a chunk more at a time.
        const std::size_t room = out.capacity() - out.size();
        const std::size_t want = std::min(room > 0 ? room : kReadChunk, limit - out.size());
        const std::size_t at = out.size();
        out.resize(at + want);
        const std::size_t n = std::fread(out.data() + at, 1, want, file);
        out.resize(at + n);
        if (n < want)
            return !std::ferror(file);
    }
    return true;
}

std::int64_t fileLength(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    return std::ftell(file);
}

// Large buffers are asked for in huge pages where the system gives them: a whole file read
// into memory then costs a few page faults instead of thousands.
std::uint8_t* allocateBytes(std::size_t n) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (n < 4 * kHugePage)
        return static_cast<std::uint8_t*>(std::malloc(n));
    const std::size_t rounded = (n + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (p)
        ::madvise(p, rounded, MADV_HUGEPAGE);
    return static_cast<std::uint8_t*>(p);
}

} // namespace

void ByteBuffer::reserve(std::size_t n) {
    if (n <= capacity_)
        return;
    std::unique_ptr<std::uint8_t[], Free> grown(allocateBytes(n));
    if (!grown)
        throw std::bad_alloc();
    if (size_ > 0)
        std::memcpy(grown.get(), bytes_.get(), size_);
    bytes_ = std::move(grown);
    capacity_ = n;
}

void ByteBuffer::resize(std::size_t n) {
    if (n > capacity_)
        reserve(std::max(n, capacity_ + capacity_ / 2));
    size_ = n;
}

std::optional<FileBytes> readFileFrom(const char* path, std::int32_t offset, std::size_t limit) {
    if (!path || offset < 0)
        return std::nullopt;
    const File file(std::fopen(path, "rb"));
    if (!file)
        return std::nullopt;
    FileBytes result;
    const std::int64_t length = fileLength(file.get());
    // The whole rest of the file at once when its length is known.
    std::size_t expected = 0;
    if (length >= 0) {
        result.fileSize = static_cast<std::int32_t>(std::min<std::int64_t>(length, INT32_MAX));
        if (offset < length)
            expected = static_cast<std::size_t>(length - offset);
    }
    if (std::fseek(file.get(), offset, SEEK_SET) != 0 ||
        !readRest(file.get(), limit, expected, result.bytes))
        return std::nullopt;
    if (length < 0)
        result.fileSize = static_cast<std::int32_t>(std::min<std::size_t>(
            result.bytes.size() + static_cast<std::size_t>(offset), INT32_MAX));
    return result;
}

ByteBuffer readFileTail(const char* path, std::size_t count) {
    ByteBuffer tail;
    if (!path)
        return tail;
    const File file(std::fopen(path, "rb"));
    if (!file)
        return tail;
    const std::int64_t length = fileLength(file.get());
    if (length < 0)
        return tail;
    const auto n =
        static_cast<std::size_t>(std::min<std::int64_t>(length, static_cast<std::int64_t>(count)));
    if (std::fseek(file.get(), static_cast<long>(length - static_cast<std::int64_t>(n)),
                   SEEK_SET) != 0 ||
        !readRest(file.get(), n, n, tail))
        tail.resize(0);
    return tail;
}

StreamBytes::StreamBytes(KpxByteStream& stream)
    : stream_(stream), start_(stream.seek(0, SEEK_CUR)) {}

std::span<const std::uint8_t> StreamBytes::ensure(std::size_t n) {
    // A size from a header is no promise that the stream holds that much: at most what the
    // stream says it has is asked for at once, the rest in bounded steps.
    if (valid() && !ended_ && bytes_.size() < n) {
        const std::int64_t size = stream_.size();
        if (size > start_)
            bytes_.reserve(std::min(n, static_cast<std::size_t>(size - start_)));
    }
    while (valid() && !ended_ && bytes_.size() < n) {
        const std::size_t want =
            std::min(n - bytes_.size(), std::max(kReadChunk, bytes_.capacity() - bytes_.size()));
        const std::size_t at = bytes_.size();
        bytes_.resize(at + want);
        const std::int64_t got =
            stream_.read(bytes_.data() + at,
                         static_cast<std::uint32_t>(std::min<std::size_t>(want, UINT32_MAX >> 1)));
        const std::size_t kept = got > 0 ? std::min(static_cast<std::size_t>(got), want) : 0;
        bytes_.resize(at + kept);
        if (kept == 0)
            ended_ = true;
    }
    return bytes_;
}

std::span<const std::uint8_t> StreamBytes::ensureAll() {
    return ensure(SIZE_MAX);
}

std::int32_t StreamBytes::streamSize() const {
    const std::int64_t size = stream_.size();
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(size, 0, INT32_MAX));
}

void StreamBytes::seekTo(std::size_t n) {
    if (valid())
        stream_.seek(start_ + static_cast<std::int64_t>(n), SEEK_SET);
}

KpxResult writeNewFile(const char* path, std::span<const std::uint8_t> bytes) {
    if (!path)
        return kKpxCannotCreate;
    File file(std::fopen(path, "wb"));
    if (!file)
        return kKpxCannotCreate;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    if (std::fclose(file.release()) == 0 && written)
        return kKpxOk;
    std::remove(path);
    return kKpxWriteError;
}

namespace {
// Pieces of this size go to the file at once.
constexpr std::size_t kWritePiece = 1 << 18;
} // namespace

FileByteSink::FileByteSink(const char* path)
    : path_(path ? path : ""), file_(path ? std::fopen(path, "wb") : nullptr) {}

FileByteSink::~FileByteSink() {
    if (file_) {
        std::fclose(file_);
        std::remove(path_.c_str());
    }
}

bool FileByteSink::write() {
    if (!failed_ && !bytes_.empty() &&
        std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size())
        failed_ = true;
    bytes_.clear();
    return !failed_;
}

bool FileByteSink::flush() {
    return bytes_.size() < kWritePiece ? !failed_ : write();
}

KpxResult FileByteSink::finish() {
    if (!file_)
        return kKpxCannotCreate;
    const bool written = write();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (written && closed)
        return kKpxOk;
    std::remove(path_.c_str());
    return kKpxWriteError;
}

KpxResult writeToStream(KpxByteStream& stream, std::span<const std::uint8_t> bytes) {
    const std::int64_t start = stream.seek(0, SEEK_CUR);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto want =
            static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        const std::int64_t n = stream.write(bytes.data() + done, want);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (done == bytes.size())
        return kKpxOk;
    if (start >= 0)
        stream.seek(start, SEEK_SET);
    return kKpxWriteError;
}

void setPictureSize(KpxCodecContext& context, std::int32_t width, std::int32_t height, int depth) {
    context.width = static_cast<std::int16_t>(std::min(width, 0x7FFF));
    context.height = static_cast<std::int16_t>(std::min(height, 0x7FFF));
    context.bitsPerPixel = static_cast<std::int16_t>(depth);
    context.backgroundIndex = 0;
}

std::int32_t planarDataSize(std::int32_t width, std::int32_t height, int depth) {
    return static_cast<std::int32_t>(std::min<std::uint64_t>(
        static_cast<std::uint64_t>(depth) * ((static_cast<std::uint64_t>(width) + 7) / 8) *
            static_cast<std::uint64_t>(height),
        INT32_MAX));
}

void setDescriptionText(KpxCodecContext& context, unsigned resourceId) {
    setDescription(context, KpxGetDescriptionText(
                                static_cast<int>(resourceId - bitra5res::IDS_DESCRIPTION_FIRST)));
}

} // namespace kpx
