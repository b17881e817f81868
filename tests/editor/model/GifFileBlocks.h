#pragma once
// A minimal walk over the blocks of a GIF file, for checking what the document wrote: the
// logical screen, each image's place and size, and the raw bytes of every application
// extension (with its sub-blocks).

#include <cstdint>
#include <string>
#include <vector>

struct GifImagePlace {
    int left, top, width, height;
};

struct GifFileBlocks {
    int screenWidth = 0;
    int screenHeight = 0;
    std::vector<GifImagePlace> images;
    std::vector<std::string> applicationBlocks; // from the 0x21 0xFF introducer to the terminator
    bool complete = false;                      // the walk reached the trailer
};

inline GifFileBlocks walkGifBlocks(const std::string& bytes) {
    GifFileBlocks out;
    const auto u8 = [&](std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); };
    const auto u16 = [&](std::size_t at) { return u8(at) | (u8(at + 1) << 8); };
    if (bytes.size() < 13 || bytes.compare(0, 3, "GIF") != 0)
        return out;
    out.screenWidth = u16(6);
    out.screenHeight = u16(8);
    std::size_t at = 13;
    if (u8(10) & 0x80)
        at += 3u << ((u8(10) & 7) + 1);
    // Skips the sub-blocks starting at `from`; returns the offset after the terminator.
    const auto skipSubBlocks = [&](std::size_t from) {
        while (from < bytes.size() && u8(from) != 0)
            from += u8(from) + 1;
        return from + 1;
    };
    while (at < bytes.size()) {
        const std::uint8_t kind = u8(at);
        if (kind == 0x3B) {
            out.complete = true;
            return out;
        }
        if (kind == 0x21 && at + 2 < bytes.size()) {
            const std::size_t end = skipSubBlocks(at + 2);
            if (u8(at + 1) == 0xFF)
                out.applicationBlocks.push_back(bytes.substr(at, end - at));
            at = end;
            continue;
        }
        if (kind != 0x2C || at + 10 > bytes.size())
            return out;
        out.images.push_back({u16(at + 1), u16(at + 3), u16(at + 5), u16(at + 7)});
        const std::uint8_t packed = u8(at + 9);
        at += 10;
        if (packed & 0x80)
            at += 3u << ((packed & 7) + 1);
        at = skipSubBlocks(at + 1); // after the LZW minimum code size
    }
    return out;
}
