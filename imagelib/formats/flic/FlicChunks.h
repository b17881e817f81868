#pragma once
// The span level of the FLIC reader: the 128-byte file header, the 16-byte chunk headers and the
// decoding of one frame chunk's sub-chunks (colours, deltas, runs, black, copy) into an 8-bit
// picture and a palette that the frames build up one after the other.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "CodecStatus.h"

namespace kpx::flic {

constexpr std::size_t kFileHeaderSize = 128;
constexpr std::size_t kChunkHeaderSize = 16;
constexpr std::uint16_t kMagicFli = 0xAF11;
constexpr std::uint16_t kMagicFlc = 0xAF12;
constexpr std::uint16_t kFrameChunk = 0xF1FA;
constexpr std::uint16_t kPrefixChunk = 0xF100;

// Sub-chunk types.
enum SubChunk : std::uint16_t {
    kColor256 = 4,
    kDeltaFlc = 7,
    kColor64 = 11,
    kDeltaFli = 12,
    kBlack = 13,
    kByteRun = 15,
    kCopy = 16,
};

struct FileHeader {
    std::uint16_t magic = 0;
    std::uint16_t frames = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint16_t depth = 0;
    std::uint32_t speed = 0;
    std::uint32_t firstFrameOffset = 0; // 128 for FLI, the header's own value for FLC
    std::uint32_t delayMs = 0;          // FLI speed is in 1/70 s, FLC speed in milliseconds
};

// Ok; Truncated for fewer than 128 bytes; Damaged for another magic; Unsupported for a depth
// other than 8 or 0. The header is filled as far as it could be read.
CodecStatus readFileHeader(std::span<const std::uint8_t> bytes, FileHeader& header);

struct ChunkHeader {
    std::uint32_t size = 0;
    std::uint16_t type = 0;
    std::uint16_t subChunks = 0;
};

// The first 16 bytes of a frame or prefix chunk; false when fewer are given.
bool readChunkHeader(std::span<const std::uint8_t> bytes, ChunkHeader& header);

// The picture (width x height indices, top row first) and palette (256 red, green, blue
// triplets) that the frames of a file change.
struct Canvas {
    Canvas(std::uint16_t w, std::uint16_t h) : width(w), height(h), pixels(std::size_t{w} * h, 0) {}

    std::uint16_t width;
    std::uint16_t height;
    std::vector<std::uint8_t> pixels;
    std::array<std::uint8_t, 768> palette{};
    bool paletteChanged = false;
};

// Applies the sub-chunks of one frame: body is the frame chunk after its 16-byte header, each
// sub-chunk read within the size it declares. Returns Ok, Truncated when a sub-chunk runs past
// the body or its data end early, or Damaged for a sub-chunk size too small for its own header;
// the canvas keeps whatever the data held up to there. paletteChanged is set when a colour
// sub-chunk was seen (the caller clears it per frame).
CodecStatus decodeFrame(std::span<const std::uint8_t> body, std::uint16_t subChunks,
                        Canvas& canvas);

// The most pixels the data of a file of `bytes` bytes can set other than by clearing: no
// sub-chunk writes more than 64 pixels per byte it reads.
constexpr std::uint64_t flicReach(std::uint64_t bytes) {
    return bytes * 64;
}

} // namespace kpx::flic
