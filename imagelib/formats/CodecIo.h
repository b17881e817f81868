#pragma once
// Input and output of the codec entry points that decode and encode in memory: a file read from
// an offset, a byte stream read on demand from its position, and an encoded file or stream
// written in one piece. Also the description texts the codecs put into their context.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Bitra5.h"
#include "CodecContext.h"
#include "CodecStatus.h"
#include "ResultCodes.h"
#include "RowSink.h"

namespace kpx {

// Bytes in memory whose new room is not zeroed when the buffer grows: a read fills it at once, so
// it need not be written twice.
class ByteBuffer {
public:
    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    const std::uint8_t* begin() const { return data(); }
    const std::uint8_t* end() const { return data() + size_; }
    operator std::span<const std::uint8_t>() const { return {data(), size_}; }

    void reserve(std::size_t n);
    // Grows or shrinks to n bytes; the bytes a growth adds hold nothing defined.
    void resize(std::size_t n);

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t[], Free> bytes_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// The bytes of a file from an offset on, with the length of the whole file.
struct FileBytes {
    ByteBuffer bytes;
    std::int32_t fileSize = 0;
};

// At most `limit` bytes of the file from the offset (all of them by default). Nothing when the
// file cannot be opened or read, or the offset is negative.
std::optional<FileBytes> readFileFrom(const char* path, std::int32_t offset,
                                      std::size_t limit = SIZE_MAX);

// The length of the file from the offset on: what a codec that read only its headers may still
// find there (0 when the offset lies past the end).
inline std::uint64_t bytesFromOffset(const FileBytes& file, std::int32_t offset) {
    return static_cast<std::uint64_t>(
        std::max<std::int64_t>(std::int64_t{file.fileSize} - offset, 0));
}

// The whole file from the offset handed to one step of a codec that decodes in memory (its info
// or its load): kKpxBadData without a context, kKpxCannotOpen when the file cannot be read.
template <typename Step>
KpxResult withFileFrom(KpxCodecContext* context, const char* path, std::int32_t offset, Step step) {
    if (!context)
        return kKpxBadData;
    const auto file = readFileFrom(path, offset);
    if (!file)
        return kKpxCannotOpen;
    return step(*context, *file);
}

// The info and load steps of a codec over a whole file in memory, and its entry points made of
// them: the file from the offset handed to the step, as withFileFrom does.
using WholeFileInfo = KpxResult (*)(KpxCodecContext&, std::span<const std::uint8_t>,
                                    std::int32_t fileSize);
using WholeFileLoad = KpxResult (*)(KpxCodecContext&, std::span<const std::uint8_t>,
                                    KpxProgressProc);
inline KpxResult infoOfWholeFile(KpxCodecContext* context, const char* path, std::int32_t offset,
                                 WholeFileInfo info) {
    return withFileFrom(context, path, offset, [info](KpxCodecContext& c, const FileBytes& file) {
        return info(c, file.bytes, file.fileSize);
    });
}
inline KpxResult loadOfWholeFile(KpxCodecContext* context, const char* path, std::int32_t offset,
                                 KpxProgressProc progress, WholeFileLoad load) {
    return withFileFrom(context, path, offset,
                        [load, progress](KpxCodecContext& c, const FileBytes& file) {
                            return load(c, file.bytes, progress);
                        });
}

// The last `count` bytes of a file (fewer when the file is shorter).
ByteBuffer readFileTail(const char* path, std::size_t count);

// The bytes of a byte stream from the position it had when this was made, read as they are
// asked for.
class StreamBytes {
public:
    explicit StreamBytes(KpxByteStream& stream);
    // Reads until n bytes are held or the stream ends; the bytes held.
    std::span<const std::uint8_t> ensure(std::size_t n);
    // Reads everything up to the stream's end.
    std::span<const std::uint8_t> ensureAll();
    std::span<const std::uint8_t> held() const { return bytes_; }
    bool valid() const { return start_ >= 0; }
    // The stream's length (the whole stream, not only what follows the start).
    std::int32_t streamSize() const;
    // Puts the stream n bytes after the start.
    void seekTo(std::size_t n);

private:
    KpxByteStream& stream_;
    std::int64_t start_;
    ByteBuffer bytes_;
    bool ended_ = false;
};

// Creates the file anew and writes the bytes; a failed write removes the file again (5 when the
// file cannot be created, 6 when the write fails).
KpxResult writeNewFile(const char* path, std::span<const std::uint8_t> bytes);

// An encoder's bytes written to a new file as they come, a large piece at a time. The file is
// removed again unless finish() succeeds.
class FileByteSink final : public ByteSink {
public:
    explicit FileByteSink(const char* path);
    ~FileByteSink() override;
    FileByteSink(const FileByteSink&) = delete;
    FileByteSink& operator=(const FileByteSink&) = delete;

    bool opened() const { return file_ != nullptr; }
    bool failed() const { return failed_; }
    bool flush() override;
    // Writes the rest and closes the file: 0, or 6 when anything could not be written.
    KpxResult finish();

private:
    bool write();

    std::string path_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

// Encodes into a new file at path: 5 when it cannot be created, 6 when it cannot be written, else
// the encoder's result; the file is removed on every failure.
template <typename Encode> KpxResult encodeToFile(const char* path, Encode encode) {
    FileByteSink file(path);
    if (!file.opened())
        return kKpxCannotCreate;
    const CodecStatus status = encode(static_cast<ByteSink&>(file));
    if (file.failed())
        return kKpxWriteError;
    if (status != CodecStatus::Ok)
        return toResult(status);
    return file.finish();
}

// Encodes into memory and writes the bytes to a new file at path: the encoder's result when it
// fails (no file is made), else as writeNewFile.
template <typename Encode> KpxResult encodeThenWrite(const char* path, Encode encode) {
    std::vector<std::uint8_t> bytes;
    const CodecStatus status = encode(bytes);
    if (status != CodecStatus::Ok)
        return toResult(status);
    return writeNewFile(path, bytes);
}

// Writes the bytes at the stream's position; after a short write the stream goes back there (6).
KpxResult writeToStream(KpxByteStream& stream, std::span<const std::uint8_t> bytes);

// Puts a picture's size and depth into the context, each side cut to 32767, with background
// index 0.
void setPictureSize(KpxCodecContext& context, std::int32_t width, std::int32_t height, int depth);

// The bytes of a picture stored as `depth` planes of one bit a pixel, each row in whole bytes;
// at most INT32_MAX.
std::int32_t planarDataSize(std::int32_t width, std::int32_t height, int depth);

// Sets the context's description to one of the library's description texts (a resource id).
void setDescriptionText(KpxCodecContext& context, unsigned resourceId);

} // namespace kpx
