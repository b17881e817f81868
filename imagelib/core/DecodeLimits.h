#pragma once
// The limits every decoder checks before it allocates: the sizes, positions and frame count the
// library can hold, the pixel memory of one frame, and that compressed data could fill the
// frame it describes, so a few bytes of file never ask for a picture of a gigabyte.

#include <cstdint>

namespace kpx {

struct DecodeLimits {
    // Sizes and positions are signed 16-bit values in the library; a file may store up to 65535.
    std::uint32_t maxWidth = INT16_MAX;
    std::uint32_t maxHeight = INT16_MAX;
    std::uint32_t maxFrames = INT16_MAX; // a longer file is refused rather than cut short
    // Pixel memory of one frame, padded rows included.
    std::uint64_t maxPixelBytes = std::uint64_t{1} << 34;
    // Frames up to this many pixels load even when their data is cut short (the rows not reached
    // are filled); larger frames must carry data that could at least fill them.
    std::uint64_t alwaysLoadablePixels = std::uint64_t{1} << 22;
};

inline constexpr DecodeLimits kDefaultDecodeLimits{};

constexpr bool withinSize(const DecodeLimits& limits, std::uint64_t width, std::uint64_t height) {
    return width <= limits.maxWidth && height <= limits.maxHeight;
}

// A frame's place and size on its screen.
constexpr bool withinFrame(const DecodeLimits& limits, std::uint64_t left, std::uint64_t top,
                           std::uint64_t width, std::uint64_t height) {
    return withinSize(limits, left, top) && withinSize(limits, width, height);
}

constexpr bool withinFrameCount(const DecodeLimits& limits, std::uint64_t frames) {
    return frames <= limits.maxFrames;
}

// Bytes of width x height pixels at a depth in rows padded to 32 bits, without overflow for any
// 32-bit size.
constexpr std::uint64_t framePixelBytes(std::uint64_t width, std::uint64_t height,
                                        std::uint64_t bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4 * height;
}

// Whether a decoder may allocate a frame whose data can produce at most `reach` pixels.
constexpr bool dataCanFill(const DecodeLimits& limits, std::uint64_t width, std::uint64_t height,
                           std::uint64_t bitsPerPixel, std::uint64_t reach) {
    if (framePixelBytes(width, height, bitsPerPixel) > limits.maxPixelBytes)
        return false;
    const std::uint64_t pixels = width * height;
    return pixels <= limits.alwaysLoadablePixels || pixels <= reach;
}

// The most pixels LZW data of `bytes` bytes can produce: every code adds at most one pixel more
// than the code before it, and no string is longer than the 4096-entry table allows. Codes are
// at least minimumCodeSize + 1 bits wide.
constexpr std::uint64_t lzwReach(std::uint64_t bytes, int minimumCodeSize) {
    const std::uint64_t codes =
        8 * bytes / (static_cast<std::uint64_t>(minimumCodeSize < 0 ? 0 : minimumCodeSize) + 1);
    constexpr std::uint64_t kTable = 4096;
    if (codes <= kTable)
        return codes * (codes + 1) / 2;
    return kTable * (kTable + 1) / 2 + (codes - kTable) * kTable;
}

// The most pixels a run-length stream of `bytes` bytes can produce when each run takes two bytes
// (a count and a value) and repeats its value at most maxRun times.
constexpr std::uint64_t runLengthReach(std::uint64_t bytes, std::uint64_t maxRun) {
    return bytes / 2 * maxRun;
}

} // namespace kpx
