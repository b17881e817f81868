#pragma once
// Input and output of the codec entry points that decode and encode in memory: a file read from
// an offset, a byte stream read on demand from its position, and an encoded file or stream
// written in one piece. Also the description texts the codecs put into their context.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "Bitra5.h"
#include "CodecContext.h"
#include "ResultCodes.h"

namespace kpx {

// The bytes of a file from an offset on, with the length of the whole file.
struct FileBytes {
    std::vector<std::uint8_t> bytes;
    std::int32_t fileSize = 0;
};

// At most `limit` bytes of the file from the offset (all of them by default). Nothing when the
// file cannot be opened or read, or the offset is negative.
std::optional<FileBytes> readFileFrom(const char* path, std::int32_t offset,
                                      std::size_t limit = SIZE_MAX);

// The last `count` bytes of a file (fewer when the file is shorter).
std::vector<std::uint8_t> readFileTail(const char* path, std::size_t count);

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
    std::vector<std::uint8_t> bytes_;
    bool ended_ = false;
};

// Creates the file anew and writes the bytes; a failed write removes the file again (5 when the
// file cannot be created, 6 when the write fails).
KpxResult writeNewFile(const char* path, std::span<const std::uint8_t> bytes);

// Writes the bytes at the stream's position; after a short write the stream goes back there (6).
KpxResult writeToStream(KpxByteStream& stream, std::span<const std::uint8_t> bytes);

// Sets the context's description to one of the library's description texts (a resource id).
void setDescriptionText(KpxCodecContext& context, unsigned resourceId);

} // namespace kpx
