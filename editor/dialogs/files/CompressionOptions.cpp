#include "CompressionOptions.h"

#include <initializer_list>

namespace kfm::dialogs {

namespace {

// Per format id, one byte of options for each depth: 1 bit in bits 0-7, 4 bits in 8-15, 8 bits
// in 16-23, 24 bits in 24-31.
struct FormatOptions {
    int formatId;
    unsigned byDepth;
};

constexpr FormatOptions kFormatOptions[] = {
    {10, 0x02020202}, {20, 0x00848484},  {30, 0x5707070F},  {40, 0x01010101},
    {50, 0x00020202}, {60, 0},           {70, 0},           {80, 0x01010001},
    {90, 0x10000000}, {100, 0x84848484}, {110, 0x05050505},
};

int depthShift(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
        return 0;
    case 4:
        return 8;
    case 8:
        return 16;
    case 24:
        return 24;
    default:
        return -1;
    }
}

} // namespace

unsigned OfferedCompressionOptions(int formatId, int bitsPerPixel) {
    const int shift = depthShift(bitsPerPixel);
    if (shift < 0)
        return 0;
    for (const FormatOptions& entry : kFormatOptions)
        if (entry.formatId == formatId)
            return (entry.byDepth >> shift) & 0xFFu;
    return 0;
}

unsigned FirstCompressionChoice(unsigned offered) {
    for (unsigned option : {kOptionLzw, kOptionQuality, kOptionRle, kOptionNone, kOptionHuffman})
        if (offered & option)
            return option;
    return 0;
}

} // namespace kfm::dialogs
