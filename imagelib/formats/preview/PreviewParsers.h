#pragma once
// The bitmap previews that vector and document files carry, found and decoded from their bytes:
// RIFF drawings (CDR, CMX), EPS and Illustrator files (the sections of a DOS binary header, an
// EPSI hex preview, an Illustrator thumbnail), kvp pictures and plain KTF drawings. Every size
// and offset is checked against the bytes the source has; nothing here makes images or opens
// files.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ByteSource.h"

namespace kpx::preview {

// The largest preview section or packed DIB taken from a file.
constexpr std::uint64_t kMaxPreviewBytes = std::uint64_t{64} << 20;

// The `length` bytes at `offset`; empty when the source has fewer or they are more than
// kMaxPreviewBytes.
std::vector<std::uint8_t> bytesAt(ByteSource& source, std::uint64_t offset, std::uint64_t length);

// The packed DIB (header, colour table, pixels) of a RIFF drawing: the DISP chunk's picture in
// clipboard format 8, else the picture of the first "page" list. Empty when the file is no RIFF
// drawing, has neither, or their sizes do not fit the file.
std::vector<std::uint8_t> riffPreviewDib(ByteSource& source);

// What an EPS or Illustrator file holds as its preview.
enum class EpsKind {
    None,
    Tiff,        // a TIFF section named by the DOS binary header
    Wmf,         // a Windows metafile section named by the DOS binary header
    Epsi,        // a "%%BeginPreview:" hex preview
    AiThumbnail, // a "%AI7_Thumbnail:" hex thumbnail
};
struct EpsPreview {
    EpsKind kind = EpsKind::None;
    // The section's place for Tiff and Wmf (inside the source); for Epsi and AiThumbnail the
    // start of the line that announces the preview.
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};
// A binary header's TIFF section wins over its WMF section; a PostScript or PDF file is searched
// for an announcing comment in its first 5000 bytes.
EpsPreview findEpsPreview(ByteSource& source);

// A decoded bitmap: rows of (width x depth + 7) / 8 bytes, the top row first, and a colour table
// of red, green, blue triplets (at most 2^depth).
struct PreviewBitmap {
    int width = 0;
    int height = 0;
    int depth = 0; // 1, 4 or 8
    std::vector<std::uint8_t> palette;
    std::vector<std::uint8_t> rows;
    std::size_t rowBytes() const { return (static_cast<std::size_t>(width) * depth + 7) / 8; }
};

// The EPSI preview announced on the line at `line`: 15..500 pixels a side, 1, 2, 4 or 8 bits,
// hex bytes stored inverted, on a grey ramp (2-bit samples widened to 4-bit indices).
std::optional<PreviewBitmap> decodeEpsi(ByteSource& source, std::uint64_t line);
// The 8-bit Illustrator thumbnail announced on the line at `line`: 1..500 pixels a side, a
// 768-byte palette, then the pixels, plain or run-length coded.
std::optional<PreviewBitmap> decodeAiThumbnail(ByteSource& source, std::uint64_t line);
// The 100 x 100 4-bit preview of a kvp picture.
std::optional<PreviewBitmap> decodeKvp(ByteSource& source);

// What a KTF file offers as its preview.
struct KtfPreview {
    bool compressed = false;     // a zip archive: the preview is packed inside
    std::uint32_t bmpOffset = 0; // a plain file's BMP preview (0: none)
};
KtfPreview findKtfPreview(ByteSource& source);

// The packed DIB of the "preview.bmp" member of a zip archive (stored or deflated), or empty.
std::vector<std::uint8_t> zipPreviewDib(ByteSource& source);

} // namespace kpx::preview
