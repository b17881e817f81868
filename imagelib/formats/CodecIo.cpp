#include "CodecIo.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "Bitra5ResourceIds.h"
#include "Bitra5Testing.h"

namespace kpx {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::size_t kReadChunk = 1 << 20;

// Reads up to limit bytes from the file's position to its end.
bool readRest(std::FILE* file, std::size_t limit, std::vector<std::uint8_t>& out) {
    while (out.size() < limit) {
        const std::size_t want = std::min(kReadChunk, limit - out.size());
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

} // namespace

std::optional<FileBytes> readFileFrom(const char* path, std::int32_t offset, std::size_t limit) {
    if (!path || offset < 0)
        return std::nullopt;
    const File file(std::fopen(path, "rb"));
    if (!file)
        return std::nullopt;
    FileBytes result;
    const std::int64_t length = fileLength(file.get());
    if (length >= 0) {
        result.fileSize = static_cast<std::int32_t>(std::min<std::int64_t>(length, INT32_MAX));
        // The whole rest of the file at once when its length is known.
        if (offset < length)
            result.bytes.reserve(
                static_cast<std::size_t>(std::min<std::int64_t>(length - offset, 1 << 30)));
    }
    if (std::fseek(file.get(), offset, SEEK_SET) != 0 || !readRest(file.get(), limit, result.bytes))
        return std::nullopt;
    if (length < 0)
        result.fileSize = static_cast<std::int32_t>(std::min<std::size_t>(
            result.bytes.size() + static_cast<std::size_t>(offset), INT32_MAX));
    return result;
}

std::vector<std::uint8_t> readFileTail(const char* path, std::size_t count) {
    std::vector<std::uint8_t> tail;
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
        !readRest(file.get(), n, tail))
        tail.clear();
    return tail;
}

StreamBytes::StreamBytes(KpxByteStream& stream)
    : stream_(stream), start_(stream.seek(0, SEEK_CUR)) {}

std::span<const std::uint8_t> StreamBytes::ensure(std::size_t n) {
    // In bounded steps: a size from a header is no promise that the stream holds that much.
    while (valid() && !ended_ && bytes_.size() < n) {
        const std::size_t want = std::min(n - bytes_.size(), kReadChunk);
        const std::size_t at = bytes_.size();
        bytes_.resize(at + want);
        const std::int64_t got = stream_.read(bytes_.data() + at, static_cast<std::uint32_t>(want));
        const std::size_t kept = got > 0 ? std::min(static_cast<std::size_t>(got), want) : 0;
        bytes_.resize(at + kept);
        if (kept < want)
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

void setDescriptionText(KpxCodecContext& context, unsigned resourceId) {
    setDescription(context, KpxGetDescriptionText(
                                static_cast<int>(resourceId - bitra5res::IDS_DESCRIPTION_FIRST)));
}

} // namespace kpx
