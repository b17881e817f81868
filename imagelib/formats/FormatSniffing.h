#pragma once
// Recognition of a file's format by its extension and by its first bytes.

#include <cstdint>
#include <string>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "ByteStream.h"
#include "FormatId.h"

namespace kpx {
// The file-name part and the extension (with its dot, lower-cased) as _splitpath gives them.
struct PathParts {
    std::string name;
    std::string extension;
};
PathParts splitPath(const char* path);

constexpr int kSniffBytes = 10;
// The content tests on the first bytes of the data (exactly kSniffBytes of them).
FormatId sniffBytes(const std::uint8_t* bytes, FormatId hint, std::int32_t offset);
} // namespace kpx
