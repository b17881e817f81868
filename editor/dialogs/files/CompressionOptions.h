#pragma once
// Which compression options a file format offers for an image of a colour depth. An option is a
// bit: 1, 2, 4, 8 and 16 are alternatives (16 is the quality setting), 64 and 128 add to them.

namespace kfm::dialogs {

enum CompressionOption : unsigned {
    kOptionNone = 1,
    kOptionRle = 2,
    kOptionLzw = 4,
    kOptionHuffman = 8,
    kOptionQuality = 16,
    kOptionInterlaced = 64,
    kOptionPredictor = 128,
};

// The options of the format at the depth (1, 4, 8 or 24 bits; other depths offer none).
unsigned OfferedCompressionOptions(int formatId, int bitsPerPixel);
// The alternative checked at the start: the first offered of 4, 16, 2, 1 and 8 (0 for none).
unsigned FirstCompressionChoice(unsigned offered);

} // namespace kfm::dialogs
