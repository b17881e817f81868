#include "PreviewParsers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <zlib.h>

namespace kpx::preview {

namespace {

constexpr std::size_t kDibHeaderBytes = 40;

bool hasTag(std::span<const std::uint8_t> bytes, std::string_view tag) {
    return bytes.size() >= tag.size() && std::memcmp(bytes.data(), tag.data(), tag.size()) == 0;
}

std::uint32_t u32At(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// ---- RIFF drawings

constexpr std::string_view kRiffForms[] = {"CMX1", "CDRX", "CDRA", "CDR9", "CDR8",
                                           "CDR7", "CDR6", "CDR5", "CDR4", "CDR "};
constexpr std::uint32_t kClipboardDib = 8;

bool isRiffDrawing(std::span<const std::uint8_t> head) {
    if (head.size() < 12 || !hasTag(head, "RIFF"))
        return false;
    const auto form = head.subspan(8, 4);
    return std::any_of(std::begin(kRiffForms), std::end(kRiffForms),
                       [&](std::string_view f) { return hasTag(form, f); });
}

// ---- Lines of a PostScript file

constexpr std::size_t kMaxLine = 1024;

// Reads lines of at most kMaxLine characters (a longer line comes in pieces), ending at CR, LF
// or CR LF.
class LineReader {
public:
    LineReader(ByteSource& source, std::uint64_t start) : reader_(source, start) {}
    std::uint64_t position() const { return reader_.position(); }
    bool next(std::string& line) {
        if (reader_.atEnd())
            return false;
        const auto ahead = reader_.ahead(kMaxLine + 1);
        std::size_t n = 0;
        while (n < ahead.size() && n < kMaxLine && ahead[n] != '\r' && ahead[n] != '\n')
            ++n;
        line.assign(ahead.begin(), ahead.begin() + static_cast<std::ptrdiff_t>(n));
        std::size_t used = n;
        if (used < ahead.size() && ahead[used] == '\r')
            ++used;
        if (used < ahead.size() && ahead[used] == '\n' && (used == n || ahead[n] == '\r'))
            ++used;
        reader_.skip(used);
        return true;
    }

private:
    SourceReader reader_;
};

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Collects hex digits, two a byte, across lines, up to a limit of bytes.
class HexBytes {
public:
    explicit HexBytes(std::size_t limit) : limit_(limit) {}
    void add(const std::string& line) {
        for (const char c : line) {
            const int v = hexValue(c);
            if (v < 0)
                continue;
            if (pending_ < 0) {
                pending_ = v;
                continue;
            }
            if (bytes_.size() < limit_)
                bytes_.push_back(static_cast<std::uint8_t>(pending_ << 4 | v));
            pending_ = -1;
        }
    }
    bool full() const { return bytes_.size() >= limit_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::size_t limit_;
    std::vector<std::uint8_t> bytes_;
    int pending_ = -1;
};

// The first three numbers after the colon of the line that announces a preview (of four, the
// last of which is not used); the reader then stands on the next line.
std::optional<std::array<int, 3>> announcedNumbers(LineReader& lines) {
    std::string text;
    if (!lines.next(text))
        return std::nullopt;
    const auto colon = text.find(':');
    std::array<int, 4> values{};
    if (colon == std::string::npos ||
        std::sscanf(text.c_str() + colon + 1, "%d %d %d %d", &values[0], &values[1], &values[2],
                    &values[3]) < 3)
        return std::nullopt;
    return std::array<int, 3>{values[0], values[1], values[2]};
}

std::vector<std::uint8_t> greyRamp(int depth) {
    const int levels = 1 << depth;
    std::vector<std::uint8_t> palette;
    for (int i = 0; i < levels; ++i)
        palette.insert(palette.end(), 3, static_cast<std::uint8_t>(i * 255 / (levels - 1)));
    return palette;
}

// 2-bit samples as 4-bit indices: each byte of four samples becomes two bytes.
std::vector<std::uint8_t> widenTwoBitRows(const std::vector<std::uint8_t>& rows, int width,
                                          int height) {
    const std::size_t from = (static_cast<std::size_t>(width) * 2 + 7) / 8;
    const std::size_t to = (static_cast<std::size_t>(width) * 4 + 7) / 8;
    std::vector<std::uint8_t> out(to * static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
            const int sample = (rows[y * from + x / 4] >> (6 - 2 * (x % 4))) & 3;
            out[y * to + x / 2] |= static_cast<std::uint8_t>(x % 2 ? sample : sample << 4);
        }
    return out;
}

// Pixels run-length coded with the escape 0xFD, count, value; empty when a run passes `size`.
std::optional<std::vector<std::uint8_t>> expandRuns(std::span<const std::uint8_t> coded,
                                                    std::size_t size) {
    std::vector<std::uint8_t> pixels;
    pixels.reserve(size);
    for (std::size_t i = 0; i < coded.size() && pixels.size() < size; ++i) {
        if (coded[i] != 0xFD) {
            pixels.push_back(coded[i]);
            continue;
        }
        if (coded.size() - i < 3)
            break;
        const std::size_t count = coded[i + 1];
        if (count > size - pixels.size())
            return std::nullopt;
        pixels.insert(pixels.end(), count, coded[i + 2]);
        i += 2;
    }
    pixels.resize(size);
    return pixels;
}

// ---- zip archives

constexpr std::uint32_t kZipLocalFile = 0x04034B50u;
constexpr std::size_t kZipLocalHeader = 30;
constexpr std::string_view kZipPreviewName = "preview.bmp";

std::vector<std::uint8_t> inflateRaw(std::span<const std::uint8_t> packed, std::size_t size) {
    std::vector<std::uint8_t> out(size);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return {};
    z.next_in = const_cast<Bytef*>(packed.data());
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&z, Z_FINISH);
    const bool complete = status == Z_STREAM_END && z.total_out == size;
    inflateEnd(&z);
    return complete ? out : std::vector<std::uint8_t>{};
}

// A BMP file's packed DIB: the bytes after its 14-byte file header.
std::vector<std::uint8_t> packedDibOfBmp(std::vector<std::uint8_t> bmp) {
    constexpr std::size_t kFileHeader = 14;
    if (bmp.size() < kFileHeader + kDibHeaderBytes || !hasTag(bmp, "BM"))
        return {};
    bmp.erase(bmp.begin(), bmp.begin() + kFileHeader);
    return bmp;
}

} // namespace

std::vector<std::uint8_t> bytesAt(ByteSource& source, std::uint64_t offset, std::uint64_t length) {
    if (length == 0 || length > kMaxPreviewBytes || offset > source.size() ||
        length > source.size() - offset)
        return {};
    std::vector<std::uint8_t> out(static_cast<std::size_t>(length));
    if (source.read(offset, out) != out.size())
        return {};
    return out;
}

std::vector<std::uint8_t> riffPreviewDib(ByteSource& source) {
    SourceReader reader(source);
    if (!isRiffDrawing(reader.ahead(12)))
        return {};
    reader.skip(12);
    while (reader.remaining() >= 8) {
        const std::uint64_t start = reader.position();
        const auto id = reader.bytes(4);
        const std::string tag(id.begin(), id.end());
        const std::uint64_t size = reader.u32le();
        const std::uint64_t data = start + 8;
        if (tag == "DISP") {
            // A format word, then the picture: the rest of the chunk.
            if (size < 4 + kDibHeaderBytes || reader.u32le() != kClipboardDib)
                return {};
            return bytesAt(source, data + 4, size - 4);
        }
        if (tag == "LIST" && hasTag(reader.ahead(4), "page") && size > 20) {
            // The list type and 28 bytes of the page's own, then the picture.
            if (size <= 36)
                return {};
            return bytesAt(source, data + 32, size - 36);
        }
        // Any other chunk (a short page list among them) is stepped over; a size past the end
        // of the file ends the walk.
        reader.skip(size);
    }
    return {};
}

EpsPreview findEpsPreview(ByteSource& source) {
    SourceReader reader(source);
    const auto head = reader.ahead(30);
    if (head.size() == 30 && head[0] == 0xC5 && head[1] == 0xD0 && head[2] == 0xD3 &&
        head[3] == 0xC6) {
        const std::uint64_t size = source.size();
        // A section must begin inside the file; it is taken up to the file's end at most.
        const auto section = [&](EpsKind kind, std::size_t at) -> std::optional<EpsPreview> {
            const std::uint64_t offset = u32At(head, at);
            const std::uint64_t length = u32At(head, at + 4);
            if (offset == 0 || length == 0 || offset >= size)
                return std::nullopt;
            return EpsPreview{kind, offset, std::min(length, size - offset)};
        };
        if (const auto tiff = section(EpsKind::Tiff, 20))
            return *tiff;
        if (const auto wmf = section(EpsKind::Wmf, 12))
            return *wmf;
        return {};
    }
    if (!hasTag(head, "%!") && !hasTag(head, "%PDF"))
        return {};
    constexpr std::uint64_t kSearchedBytes = 5000;
    LineReader lines(source, 0);
    std::string line;
    for (std::uint64_t start = 0; start < kSearchedBytes; start = lines.position()) {
        if (!lines.next(line))
            break;
        const std::string lower = lowered(line);
        if (startsWith(lower, "%%beginpreview:"))
            return {EpsKind::Epsi, start, 0};
        if (startsWith(lower, "%ai7_thumbnail:"))
            return {EpsKind::AiThumbnail, start, 0};
    }
    return {};
}

std::optional<PreviewBitmap> decodeEpsi(ByteSource& source, std::uint64_t line) {
    LineReader lines(source, line);
    const auto announced = announcedNumbers(lines);
    if (!announced)
        return std::nullopt;
    const auto [width, height, depth] = *announced;
    if (width < 15 || width > 500 || height < 15 || height > 500 ||
        (depth != 1 && depth != 2 && depth != 4 && depth != 8))
        return std::nullopt;
    PreviewBitmap bitmap{width, height, depth, greyRamp(depth), {}};
    // Rows follow one another in the bytes, the top row first; bytes past the last row are
    // not stored.
    HexBytes hex(bitmap.rowBytes() * static_cast<std::size_t>(height));
    std::string text;
    while (!hex.full() && lines.next(text)) {
        const std::string lower = lowered(text);
        if (startsWith(lower, "%%endpreview") || startsWith(lower, "%%endimage"))
            break;
        if (startsWith(lower, "%"))
            hex.add(text.substr(1));
    }
    bitmap.rows = hex.bytes();
    bitmap.rows.resize(bitmap.rowBytes() * static_cast<std::size_t>(height));
    for (std::uint8_t& b : bitmap.rows)
        b ^= 0xFF;
    if (depth == 2) {
        bitmap.rows = widenTwoBitRows(bitmap.rows, width, height);
        bitmap.depth = 4;
    }
    return bitmap;
}

std::optional<PreviewBitmap> decodeAiThumbnail(ByteSource& source, std::uint64_t line) {
    LineReader lines(source, line);
    const auto announced = announcedNumbers(lines);
    if (!announced)
        return std::nullopt;
    const auto [width, height, bits] = *announced;
    if (width < 1 || width > 500 || height < 1 || height > 500 || bits != 8)
        return std::nullopt;
    std::string text;
    int byteCount = 0;
    if (!lines.next(text) || std::sscanf(text.c_str(), "%%%%BeginData: %i", &byteCount) != 1)
        return std::nullopt;
    constexpr std::size_t kPaletteBytes = 768;
    const std::size_t pixelCount = static_cast<std::size_t>(width) * height;
    // Room for the palette, the run mark and the pixels coded at their worst.
    HexBytes hex(kPaletteBytes + 3 + 3 * pixelCount);
    while (!hex.full() && lines.next(text) && !startsWith(lowered(text), "%%enddata"))
        hex.add(text);
    const std::vector<std::uint8_t>& data = hex.bytes();
    if (data.size() < kPaletteBytes)
        return std::nullopt;
    PreviewBitmap bitmap{width, height, 8, {}, {}};
    bitmap.palette.assign(data.begin(), data.begin() + kPaletteBytes);
    const auto rest = std::span(data).subspan(kPaletteBytes);
    if (hasTag(rest, "RLE")) {
        auto pixels = expandRuns(rest.subspan(3), pixelCount);
        if (!pixels)
            return std::nullopt;
        bitmap.rows = std::move(*pixels);
    } else {
        bitmap.rows.assign(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min(rest.size(), pixelCount)));
        bitmap.rows.resize(pixelCount);
    }
    return bitmap;
}

std::optional<PreviewBitmap> decodeKvp(ByteSource& source) {
    constexpr std::size_t kSkipped = 100;
    constexpr int kSide = 100;
    constexpr std::size_t kStoredRow = 52;
    constexpr std::size_t kPaletteAt = 4 + kSkipped;
    constexpr std::size_t kPixelsAt = kPaletteAt + 16 * 4;
    const std::vector<std::uint8_t> b = bytesAt(source, 0, kPixelsAt + kSide * kStoredRow);
    if (b.empty() || (b[0] | b[1] << 8) != 666 || (b[2] | b[3] << 8) > 5)
        return std::nullopt;
    PreviewBitmap bitmap{kSide, kSide, 4, {}, {}};
    for (std::size_t i = 0; i < 16; ++i) {
        const std::uint8_t* entry = &b[kPaletteAt + 4 * i]; // blue, green, red, reserved
        bitmap.palette.insert(bitmap.palette.end(), {entry[2], entry[1], entry[0]});
    }
    // The pixels are stored as the picture's memory holds them: the bottom row first.
    for (std::size_t y = 0; y < kSide; ++y) {
        const auto row =
            b.begin() + static_cast<std::ptrdiff_t>(kPixelsAt + (kSide - 1 - y) * kStoredRow);
        bitmap.rows.insert(bitmap.rows.end(), row,
                           row + static_cast<std::ptrdiff_t>(bitmap.rowBytes()));
    }
    return bitmap;
}

KtfPreview findKtfPreview(ByteSource& source) {
    std::array<std::uint8_t, 92> head{};
    if (source.read(0, head) != head.size())
        return {};
    if (u32At(head, 0) == kZipLocalFile)
        return {true, 0};
    const std::uint32_t offset = u32At(head, 36);
    if (u32At(head, 4) != 0xD4015ADDu || u32At(head, 8) != 0x12345678u || u32At(head, 12) != 0 ||
        offset == 0)
        return {};
    std::array<std::uint8_t, 2> mark{};
    if (source.read(offset, mark) != mark.size() || !hasTag(mark, "BM"))
        return {};
    return {false, offset};
}

std::vector<std::uint8_t> zipPreviewDib(ByteSource& source) {
    std::uint64_t at = 0;
    std::array<std::uint8_t, kZipLocalHeader> h{};
    while (source.read(at, h) == h.size() && u32At(h, 0) == kZipLocalFile) {
        const unsigned flags = h[6] | h[7] << 8;
        const unsigned method = h[8] | h[9] << 8;
        const std::uint64_t packedSize = u32At(h, 18);
        const std::uint64_t size = u32At(h, 22);
        const std::uint64_t nameLength = h[26] | h[27] << 8;
        const std::uint64_t extraLength = h[28] | h[29] << 8;
        // Sizes kept in a descriptor after the data leave no way to the next member.
        if (flags & 8)
            return {};
        const std::vector<std::uint8_t> name = bytesAt(source, at + kZipLocalHeader, nameLength);
        const std::uint64_t data = at + kZipLocalHeader + nameLength + extraLength;
        if (lowered(std::string(name.begin(), name.end())) == kZipPreviewName) {
            std::vector<std::uint8_t> packed = bytesAt(source, data, packedSize);
            if (packed.empty() || size > kMaxPreviewBytes)
                return {};
            if (method == 0)
                return packedDibOfBmp(std::move(packed));
            if (method == Z_DEFLATED)
                return packedDibOfBmp(inflateRaw(packed, static_cast<std::size_t>(size)));
            return {};
        }
        at = data + packedSize;
    }
    return {};
}

} // namespace kpx::preview
