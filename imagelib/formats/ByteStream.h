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
#include "Bitra5Testing.h"

// The library's callback stream over a FILE.
struct KpxStream {
    KpxStreamCallbacks calls;
    FILE* file;
};
static_assert(sizeof(KpxStream) == 5 * sizeof(void*));

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
