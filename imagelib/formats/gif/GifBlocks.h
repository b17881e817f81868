#pragma once
// The GIF block scanner: walks a GIF block by block (header, logical screen descriptor, colour
// tables, extensions, image descriptors with their data sub-blocks, trailer) and records where
// every image starts, so a frame can be read without scanning the file again. It reads the file
// from a span in memory or from a byte source (a file read piece by piece, of which it holds one
// window), and never reads outside it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ByteSource.h"
#include "CodecStatus.h"

namespace kpx::gif {

// Block kinds of the details list.
enum class BlockKind : std::int32_t {
    OtherExtension = 0,
    Header = 1,
    GlobalColorTable = 2,
    Comment = 3,
    Application = 4,
    GraphicControl = 5,
    LocalColorTable = 6,
    Image = 7,
    PlainText = 8,
};

// One block of the file as the details list shows it.
struct BlockEntry {
    BlockKind kind = BlockKind::OtherExtension;
    std::int32_t offset = 0;
    std::int32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bits = 0;
    std::array<char, 48> text{}; // NUL-terminated
};

// Transparent colour in the loader's form: 0x01ii0000 for palette index ii, or none.
constexpr std::uint32_t kNoTransparency = 0xFF000000u;
constexpr std::uint32_t transparentIndexColor(std::uint8_t index) {
    return 0x01000000u | (std::uint32_t{index} << 16);
}

// The graphic-control values of an image: those of the graphic control extension between it and
// the image before it (the last one when there are several), else the defaults.
struct GraphicControl {
    std::int16_t delay = 0;
    std::uint32_t transparent = kNoTransparency;
    std::int16_t disposal = 0;
};

// An application extension: its 11 identifier bytes as stored and its sub-block chain.
struct ApplicationBlock {
    std::array<char, 11> identifier{};
    std::span<const std::uint8_t> subBlocks; // from the first length byte through the terminator
};

// Upper-case comparison of an identifier with a name NUL-padded to 11 bytes.
bool identifierIs(const std::array<char, 11>& identifier, std::string_view name);

// Receives the extensions of a run of blocks in file order.
class ExtensionVisitor {
public:
    virtual ~ExtensionVisitor() = default;
    virtual void graphicControl(const GraphicControl&, std::uint8_t packed) {}
    virtual void comment(std::string text) {}
    virtual void application(const ApplicationBlock&) {}
};

// Where one image lies in the file and what belongs to it.
struct FrameLocation {
    std::size_t runStart = 0;   // first block after the previous image (its extensions start here)
    std::size_t descriptor = 0; // offset of the 0x2C introducer
    std::uint16_t left = 0;
    std::uint16_t top = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t packed = 0;
    std::size_t localTable = 0; // offset of the local colour table (when packed & 0x80)
    int localTableBits = 0;     // 0 without a local table
    std::uint8_t minimumCodeSize = 0;
    std::size_t dataStart = 0; // first sub-block length byte
    std::size_t dataEnd = 0;   // after the terminator, or the end of the file when it is missing
    bool dataComplete = false; // the chain ended with its zero-length terminator
    GraphicControl control;    // of this image

    bool interlaced() const { return (packed & 0x40) != 0; }
    bool hasLocalTable() const { return (packed & 0x80) != 0; }
};

// What one pass over the file found.
struct GifFileIndex {
    // Damaged: no "GIF" signature, or the file ends where a code size is expected; Truncated: a
    // colour table or an image descriptor is cut short.
    CodecStatus status = CodecStatus::Ok;
    std::size_t start = 0;   // offset of the "GIF" signature
    std::string description; // "GIF87a" or "GIF89a" as stored
    std::uint16_t screenWidth = 0;
    std::uint16_t screenHeight = 0;
    std::uint8_t screenPacked = 0;
    std::uint8_t background = 0;
    int bits = 0;            // (packed & 7) + 1
    int globalTableBits = 0; // 0 without a global table
    // 256 entries of red, green, blue: entries 0 and 1 black and white, then the global table,
    // every entry after it the colour of entry 0.
    std::array<std::uint8_t, 768> palette{};
    // Loop counts are unsigned 16-bit values; -1 when no looping block was seen.
    std::int32_t loopCountAtFirstImage = -1; // looping block seen before the first image
    std::int32_t loopCount = -1;             // the last looping block of the file
    std::vector<FrameLocation> frames;
    std::size_t trailingRunStart = 0; // the blocks after the last image
    std::size_t scanEnd = 0;          // where the scan stopped

    std::uint8_t lastImagePacked() const { return frames.empty() ? 0 : frames.back().packed; }
};

// Options of one scan.
struct ScanOptions {
    std::size_t offset = 0;                  // where the GIF starts inside the span
    std::vector<BlockEntry>* list = nullptr; // receives one entry per block when set
    std::size_t listCapacity = SIZE_MAX;     // entries beyond it are counted but not stored
};

// Scans the whole file. On an error the index holds the frames found before it.
GifFileIndex scanGif(std::span<const std::uint8_t> file, const ScanOptions& options = {});
GifFileIndex scanGif(ByteSource& file, const ScanOptions& options = {});

// Walks the extensions from `offset` up to the next block that is no extension (an image
// descriptor, the trailer, anything else or the end of the data), handing each to the visitor.
// Returns the offset where the walk stopped.
std::size_t visitExtensions(std::span<const std::uint8_t> file, std::size_t offset,
                            ExtensionVisitor& visitor);

// The RGB palette for one frame: the file's palette, or the frame's local table over the same
// rule (entries after the table take entry 0's colour).
std::array<std::uint8_t, 768> framePalette(std::span<const std::uint8_t> file,
                                           const GifFileIndex& index, const FrameLocation& frame);

// Joins the payload of a sub-block chain (bounded by the span) into one byte string.
std::string joinSubBlocks(std::span<const std::uint8_t> chain);

// The sub-blocks of a chain, one span each, up to the terminator or the end of the span (a last
// sub-block cut short by the end of the span is given as far as it goes, and `complete` is
// false).
struct SubBlockList {
    std::vector<std::span<const std::uint8_t>> blocks;
    bool complete = false;
};
SubBlockList splitSubBlocks(std::span<const std::uint8_t> chain);

} // namespace kpx::gif
