#pragma once
// The library's stream interfaces.
//
// KpxByteStream is the seekable byte stream that the stream loads and saves work on (the road
// that went through OLE streams): read, write, seek and size. KpxMemoryStream keeps its bytes in
// memory. KpxStreamCallbacks is a caller's table of four functions (read, write, seek, tell),
// and KpxStream is the library's own such table over a standard-library FILE.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "Bitra5Api.h"

// Classes that callers of the library use directly.
#define BITRA5_CLASS __attribute__((visibility("default")))

class BITRA5_CLASS KpxByteStream {
public:
    virtual ~KpxByteStream() = default;
    // Reads up to count bytes; returns the number read (0 at the end), or -1 on failure.
    virtual std::int64_t read(void* buffer, std::uint32_t count) = 0;
    // Writes count bytes; returns the number written, or -1 on failure.
    virtual std::int64_t write(const void* data, std::uint32_t count) = 0;
    // Moves by offset from origin (0 start, 1 current position, 2 end); returns the new
    // position, or -1 when it would lie before the start or the stream cannot seek.
    virtual std::int64_t seek(std::int64_t offset, int origin) = 0;
    virtual std::int64_t size() const = 0;
};

// A growable stream in memory; writing past the end extends it.
class BITRA5_CLASS KpxMemoryStream : public KpxByteStream {
public:
    KpxMemoryStream() = default;
    explicit KpxMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::int64_t read(void* buffer, std::uint32_t count) override;
    std::int64_t write(const void* data, std::uint32_t count) override;
    std::int64_t seek(std::int64_t offset, int origin) override;
    std::int64_t size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// A caller's callback stream; the library calls only these four functions, each with the table
// itself first, so a caller may keep its own data behind them.
struct KpxStreamCallbacks {
    // Returns the number of bytes read.
    std::uint32_t (*read)(KpxStreamCallbacks* stream, void* buffer, std::uint32_t count);
    // Returns the number of bytes written.
    std::uint32_t (*write)(KpxStreamCallbacks* stream, const void* data, std::uint32_t count);
    // Positions the stream with the fseek origins 0, 1, 2; returns 0.
    std::int32_t (*seek)(KpxStreamCallbacks* stream, std::int32_t offset, std::int32_t origin);
    std::int32_t (*tell)(KpxStreamCallbacks* stream);
};

// The library's callback stream over a FILE.
struct KpxStream {
    KpxStreamCallbacks calls;
    FILE* file;
};
static_assert(sizeof(KpxStream) == 5 * sizeof(void*));

// Opens the file with the fopen mode and positions it at the offset. Returns 1, or 0 for a null
// argument (error code 3) or a file that cannot be opened (100); success sets the code to 0.
BITRA5_API int KpxOpenFileStream(const char* path, const char* mode, std::int32_t offset,
                                 KpxStream* stream);
// Closes the file and clears the stream (error code 0); without stream or file sets 3.
BITRA5_API int KpxCloseFileStream(KpxStream* stream);
BITRA5_API std::uint32_t KpxStreamRead(KpxStreamCallbacks* stream, void* buffer,
                                       std::uint32_t count);
BITRA5_API std::uint32_t KpxStreamWrite(KpxStreamCallbacks* stream, const void* data,
                                        std::uint32_t count);
BITRA5_API std::int32_t KpxStreamSeek(KpxStreamCallbacks* stream, std::int32_t offset,
                                      std::int32_t origin);
BITRA5_API std::int32_t KpxStreamTell(KpxStreamCallbacks* stream);

// Byte-stream helpers of the codecs. Tell gives the low 32 bits of the position; Getc gives the
// byte or 0 when the read fails; Putc gives 1, or 0 when the write fails.
BITRA5_API std::uint32_t KpxOleStreamTell(KpxByteStream* stream);
BITRA5_API std::int64_t KpxOleStreamSeek(KpxByteStream* stream, int origin, std::int64_t offset);
BITRA5_API int KpxOleStreamGetc(KpxByteStream* stream);
BITRA5_API int KpxOleStreamPutc(KpxByteStream* stream, int byte);

namespace kpx {
// A byte stream over a caller's callback table, so codecs have one stream shape.
class CallbackByteStream : public KpxByteStream {
public:
    explicit CallbackByteStream(KpxStreamCallbacks* calls) : calls_(calls) {}
    std::int64_t read(void* buffer, std::uint32_t count) override;
    std::int64_t write(const void* data, std::uint32_t count) override;
    std::int64_t seek(std::int64_t offset, int origin) override;
    std::int64_t size() const override;

private:
    KpxStreamCallbacks* calls_;
};
} // namespace kpx
