#pragma once
// The library's stream interfaces.
//
// KpxByteStream is the seekable byte stream that the stream loads and saves work on (the road
// that went through OLE streams): read, write, seek and size. KpxMemoryStream keeps its bytes in
// memory. KpxStreamCallbacks is a caller's table of four functions (read, write, seek, tell),
// and KpxStream is the library's own such table over a standard-library FILE. The first
// three cross the interface and are declared in Bitra5.h.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "Bitra5.h"

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
