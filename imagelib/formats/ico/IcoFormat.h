#pragma once
// Windows icons: the 6-byte header, the 16-byte directory entries, the choice of one entry, and
// each entry's packed bitmap (a 12- or 40-byte header, the colour table, the colour rows and the
// 1-bit transparency mask, both bottom-up); and the writer.

#include <cstdint>
#include <span>
#include <vector>

#include "BmpHeader.h"
#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::ico {

constexpr std::size_t kHeaderBytes = 6;
constexpr std::size_t kEntryBytes = 16;

struct IconEntry {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t colourCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t bits = 0;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
};

struct Directory {
    CodecStatus status = CodecStatus::Ok;
    std::vector<IconEntry> entries;
};

// Damaged when the reserved word is not 0, the type not 1 (an icon) or there is no entry;
// Truncated when the data ends inside the directory.
Directory readDirectory(std::span<const std::uint8_t> data);

// The entry to load: the one with the most colours (a count of 0 counts as 255), and of those
// with equal counts the larger in both width and height.
std::size_t chooseEntry(const Directory& directory);

// One entry's picture: its bitmap header (height already halved), where its colour rows and its
// mask rows start.
struct IconImage {
    CodecStatus status = CodecStatus::Ok;
    bmp::BmpHeader bitmap;
    std::size_t maskStart = 0; // offset in the data
};

// Damaged when the bitmap header's size is not 12 or 40, its depth none of 1, 4, 8, 24 and 32,
// or it is compressed; Truncated when the data does not hold the colour and mask rows.
IconImage readImage(std::span<const std::uint8_t> data, const IconEntry& entry);

// Decodes the colour rows into index or blue-green-red(-alpha) rows and gives every pixel whose
// mask bit is set the index maskIndex (white for deeper pictures).
CodecStatus decodeImage(std::span<const std::uint8_t> data, const IconImage& image,
                        std::uint8_t maskIndex, RowSink& sink);

struct Picture {
    int width = 0;
    int height = 0;
    int rowDepth = 0; // 1, 4, 8, 24 or 32: the depth of the rows the source gives
    const std::uint8_t (*palette)[3] = nullptr;
    // Transparency, a byte a pixel from 0 (opaque) to 255, top row first; empty: all opaque.
    std::span<const std::uint8_t> transparency;
};

// Appends an icon with one entry: header, directory entry, 40-byte bitmap header, colour table,
// colour rows (1, 4, 8 or 24 bits) and the mask. A pixel at least half transparent is masked,
// and its colour is black where the picture has black, so that the icon shows what lies behind
// it. Unsupported above 256 x 256.
CodecStatus encodeIco(const Picture& picture, RowSource& rows, std::vector<std::uint8_t>& out);

} // namespace kpx::ico
