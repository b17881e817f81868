#pragma once
// Recognition of a file's format by its extension and by its first bytes.

#include <cstdint>

#include "Bitra5.h"
#include "ByteStream.h"
#include "FormatId.h"

// Format id by extension only (first matching row), without touching the file; 0 when unknown
// or when the file-name part is "*".
BITRA5_API std::int32_t KpxGetFormatFromExt(const char* path);

// Content recognition: *idInOut carries the hint in and the result out; returns the result.
BITRA5_API std::int32_t KpxSniffFormat(std::int32_t* idInOut, const char* path,
                                       std::int32_t offset);
// BMI (110) or BMP (40) on a stream, else 0; the stream is put back where it was.
BITRA5_API std::int32_t KpxSniffFormatOleStream(std::int32_t* idOut, KpxByteStream* stream);
BITRA5_API std::int32_t KpxSniffFormatStreamCB(std::int32_t* idOut, KpxStreamCallbacks* stream);

namespace kpx {
constexpr int kSniffBytes = 10;
// The content tests on the first bytes of the data (exactly kSniffBytes of them).
FormatId sniffBytes(const std::uint8_t* bytes, FormatId hint, std::int32_t offset);
} // namespace kpx
