#pragma once
// TIFF over libtiff: opening a file (from a descriptor, at an offset) or bytes in memory, the
// layouts the library reads, the strip-by-strip decoder and the encoder. libtiff reports its
// warnings and errors to the debug sink and fails the call; nothing jumps or throws out of here.
//
// Readable layouts (planar images only with one sample a pixel, strips, unsigned samples):
// grey and palette pictures of 1, 2, 4, 8 and 16 bits (2-bit rows are widened to 4 bits, 16-bit
// samples keep their high byte, an 8-bit grey picture with an extra sample keeps the grey), RGB
// of 8 or 16 bits a sample, CMYK of 8 bits, YCbCr without subsampling or in JPEG strips,
// CIE L*a*b* of 8 bits, and transparency masks (which the decoder refuses).

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "CodecStatus.h"
#include "RowSink.h"

typedef struct tiff TIFF;

namespace kpx::tiff {

using Colour = std::array<std::uint8_t, 3>; // red, green, blue

// An open TIFF; closes it when it goes.
class TiffFile {
public:
    // Reads the TIFF that starts at `base` in an open file; the descriptor stays the caller's.
    static std::unique_ptr<TiffFile> readFromDescriptor(int fd, std::uint64_t base,
                                                        const char* name);
    // Reads the TIFF held in memory; the bytes must outlive the file.
    static std::unique_ptr<TiffFile> readFromBytes(std::span<const std::uint8_t> bytes);
    // Writes a new TIFF into an open, empty file; the descriptor stays the caller's.
    static std::unique_ptr<TiffFile> writeToDescriptor(int fd, const char* name);
    ~TiffFile();
    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;

    TIFF* handle() const { return tiff_; }
    // Writes the directory and the last bytes; false when that fails.
    bool finish();

    struct Io;

private:
    TiffFile(TIFF* tiff, std::unique_ptr<Io> io);
    TIFF* tiff_;
    std::unique_ptr<Io> io_;
};

// How the decoder turns a stored row into a row of the picture.
enum class RowConversion {
    Stored,       // 1, 4 or 8 bits, as stored
    Widen2To4,    // 2-bit samples widened to 4-bit indices
    FirstOfTwo,   // 8-bit grey with an extra sample: the grey
    HighByteGrey, // 16-bit grey or palette index: the high byte
    Rgb8,         // RGB, 8 bits a sample (an extra sample dropped, an associated alpha
                  // divided out first)
    Rgb16,        // RGB, 16 bits a sample: the high bytes
    Cmyk,         // separated, 8 bits a sample: (255 - ink) x (255 - black) / 255
    YCbCr,        // YCbCr without subsampling
    Lab,          // CIE L*a*b*, 8 bits a sample
    Mask,         // a transparency mask: refused by the decoder
};

struct TiffLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitsPerSample = 1;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t photometric = 0;
    std::uint16_t compression = 1;
    std::uint64_t storedBytes = 0; // sum of the strips' byte counts
    bool premultiplied = false;    // RGB with an associated alpha sample
    int depth = 0;                 // 1, 4, 8 or 24: the picture's depth
    RowConversion conversion = RowConversion::Stored;
    std::vector<Colour> colours; // 2^depth entries for depths up to 8
};

// Reads the first directory's layout; Unsupported for a TIFF this decoder cannot read.
CodecStatus readLayout(TIFF* tiff, TiffLayout& layout);

// Hands the sink rows of packed indices (depth 1, 4, 8: (width x depth + 7) / 8 bytes) or blue,
// green, red, top row first.
CodecStatus decode(TIFF* tiff, const TiffLayout& layout, RowSink& sink);

// Compressions of the save option (its low six bits).
constexpr int kSaveNone = 1;
constexpr int kSavePackBits = 2;
constexpr int kSaveLzw = 4;
constexpr int kSaveGroup4 = 8; // 1-bit pictures only, others uncompressed
constexpr int kSaveJpeg = 16;  // 24-bit pictures only, others uncompressed
constexpr int kSaveSeparated = 0x40;

struct TiffEncodeOptions {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int depth = 24;            // 1, 4, 8 with a palette, or 24
    int saveOption = kSaveLzw; // compression bits, and kSaveSeparated for CMYK
    int jpegQuality = 75;
    std::vector<Colour> palette; // 2^depth entries for depths up to 8
};

// The TIFF compression tag value a save option and depth give.
int compressionFor(int saveOption, int depth);

// Takes the rows from the source, top row first: packed indices or blue, green, red. CMYK is
// written so that the reading rule above gives the colour back (black = 255 - the brightest
// component).
CodecStatus encode(TIFF* tiff, const TiffEncodeOptions& options, RowSource& source);

} // namespace kpx::tiff
