#include "FormatSniffing.h"

#include "FileAccess.h"
#include "FormatId.h"
#include "FormatTable.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

using kpx::PathParts;
using kpx::splitPath;

// Id of the first (or last) static row with this extension; 0 when none.
std::int32_t idOfExtension(const std::string& extension, bool last) {
    std::int32_t id = 0;
    const KpxStaticFormatRow* rows = kpx::staticFormatRows();
    for (int i = 0; i < kKpxFormatRowCount; ++i) {
        if (!extension.empty() && extension == rows[i].extension) {
            id = rows[i].formatId;
            if (!last)
                break;
        }
    }
    return id;
}

bool startsWith(const std::uint8_t* bytes, const char* signature, std::size_t length) {
    return std::memcmp(bytes, signature, length) == 0;
}

// Within a session the read goes through the session's source, whose window then serves the
// codec too.
std::int32_t sniffBytesOfFile(const char* path, std::int32_t offset, std::int32_t hint) {
    const auto source = kpx::openSource(path);
    std::uint8_t bytes[kpx::kSniffBytes] = {};
    if (!source || source->read(static_cast<std::uint64_t>(offset), bytes) != sizeof bytes)
        return 0;
    return formatNumber(kpx::sniffBytes(bytes, toFormatId(hint), offset));
}

// The format of the data at offset; within a file session it is recognised once.
std::int32_t sniffFile(const char* path, std::int32_t offset, std::int32_t hint) {
    kpx::FileSession* session = kpx::FileSession::of(path);
    const std::string key =
        "format at " + std::to_string(offset) + " with hint " + std::to_string(hint);
    if (session)
        if (const auto known = session->kept<std::int32_t>(key))
            return *known;
    const std::int32_t id = sniffBytesOfFile(path, offset, hint);
    if (session)
        session->keep(key, std::make_shared<const std::int32_t>(id));
    return id;
}

// The size field of the OS/2 core header or of a Windows info header.
bool isInfoHeaderStart(const std::uint8_t* b) {
    const std::uint32_t size = b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t{b[3]} << 24);
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

} // namespace

namespace kpx {

FormatId sniffBytes(const std::uint8_t* b, FormatId hint, std::int32_t offset) {
    if (startsWith(b, "KeldoBMIa", 9))
        return FormatId::Bmi;
    if (startsWith(b, "\x89PNG\r\n\x1a\n", 8))
        return FormatId::Png;
    if (startsWith(b, "\xFF\xD8\xFF", 3))
        return FormatId::Jpeg;
    if (hint == FormatId::Wpg && startsWith(b, "\xFFWPC", 4))
        return FormatId::Wpg;
    if (hint == FormatId::Pcx && b[0] == 0x0A && static_cast<std::int8_t>(b[1]) < 6)
        return FormatId::Pcx;
    if (startsWith(b, "GIF", 3))
        return FormatId::Gif;
    if (startsWith(b, "II*", 3))
        return FormatId::Tiff;
    if (startsWith(b, "MM\0", 3))
        return FormatId::Tiff;
    if (startsWith(b, "BM", 2))
        return FormatId::Bmp;
    // A packed bitmap (.dib) has no file header: it starts with its info header's size.
    if (hint == FormatId::Bmp && isInfoHeaderStart(b))
        return FormatId::Bmp;
    if (startsWith(b, "\0\0\1\0", 4))
        return FormatId::Ico;
    // Formats without a signature: MacPaint by its MacBinary header's zero first byte, Photo CD
    // by its extension, and Targa by extension or as any unsigned data at a non-zero offset.
    if (hint == FormatId::MacPaint && b[0] == 0)
        return FormatId::MacPaint;
    if (hint == FormatId::PhotoCd)
        return FormatId::PhotoCd;
    if (hint == FormatId::Targa || offset > 0)
        return FormatId::Targa;
    return FormatId::None;
}

} // namespace kpx

std::int32_t KpxGetFormatFromExt(const char* path) {
    const PathParts parts = splitPath(path);
    if (parts.name == "*")
        return 0;
    return idOfExtension(parts.extension, false);
}

std::int32_t KPXGetFormatFileNDA(const char* path) {
    return KpxGetFormatFromExt(path);
}

std::int32_t KPXGetFormatFileExt(const char* path) {
    if (!path || std::strcmp(path, "*") == 0)
        return 0;
    return idOfExtension(splitPath(path).extension, true);
}

std::int32_t KPXGetFormatFile(const char* path) {
    return KPXGetFormatFileOffset(path, 0);
}

std::int32_t KPXGetFormatFileOffset(const char* path, std::int32_t offset) {
    if (!path)
        return 0;
    std::int32_t id = KpxGetFormatFromExt(path);
    if (id == 0 && offset == 0)
        return 0;
    return KpxSniffFormat(&id, path, offset);
}

std::int32_t KpxSniffFormat(std::int32_t* idInOut, const char* path, std::int32_t offset) {
    const std::int32_t hint = idInOut ? *idInOut : 0;
    const std::int32_t id = path && offset >= 0 ? sniffFile(path, offset, hint) : 0;
    if (idInOut)
        *idInOut = id;
    return id;
}

std::int32_t KpxSniffFormatOleStream(std::int32_t* idOut, KpxByteStream* stream) {
    std::int32_t id = 0;
    if (stream) {
        const std::int64_t start = stream->seek(0, SEEK_CUR);
        std::uint8_t bytes[kpx::kSniffBytes] = {};
        const std::int64_t n = stream->read(bytes, sizeof bytes);
        if (n >= 8 && startsWith(bytes, "KeldoBMI", 8))
            id = formatNumber(FormatId::Bmi);
        else if (n >= 2 && startsWith(bytes, "BM", 2))
            id = formatNumber(FormatId::Bmp);
        if (start >= 0)
            stream->seek(start, SEEK_SET);
    }
    if (idOut)
        *idOut = id;
    return id;
}

std::int32_t KpxSniffFormatStreamCB(std::int32_t* idOut, KpxStreamCallbacks* stream) {
    if (!stream) {
        if (idOut)
            *idOut = 0;
        return 0;
    }
    kpx::CallbackByteStream adapter(stream);
    return KpxSniffFormatOleStream(idOut, &adapter);
}

namespace kpx {

PathParts splitPath(const char* path) {
    const std::string text = path ? path : "";
    const std::size_t slash = text.find_last_of("/\\");
    const std::string file = slash == std::string::npos ? text : text.substr(slash + 1);
    const std::size_t dot = file.rfind('.');
    PathParts parts{file, ""};
    if (dot != std::string::npos) {
        parts.name = file.substr(0, dot);
        parts.extension = file.substr(dot);
    }
    for (char& c : parts.extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return parts;
}

} // namespace kpx
