#pragma once
// Reading Kodak Photo CD image packs: the resolutions a pack stores without Huffman coding
// (Base/16, Base/4 and Base) decoded to 24-bit colour, 8-bit colour with a 3-3-2 palette or 8-bit
// grey, turned as the pack's orientation says. The higher resolutions (4Base, 16Base) are
// reported as available when the pack holds them, but decoding them fails with
// Status::NotStoredPlain.
//
// A pack is made of 2048-byte sectors: sector 1 holds the "PCD_IPI" signature and, at byte
// 0x602 of the file's sector 1, the image pack attributes (bits 0-1 the orientation, bits 2-3
// the highest resolution held). Each plain resolution is stored at a fixed sector as pairs of
// rows: two rows of luma Y, then one row each of the chroma values C1 and C2 at half width.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::photocd {

// Resolution i stands for entry i of the size table: 96 x 64 up to 6144 x 4096.
constexpr int kResolutionCount = 7;
constexpr int kBase16 = 1;
constexpr int kBase4 = 2;
constexpr int kBase = 3;
constexpr int kSectorBytes = 2048;

enum class Status {
    Ok,
    CannotOpen,     // the file cannot be read
    NotPhotoCd,     // no image pack signature
    Truncated,      // the pack ends before the picture's data
    NotAvailable,   // the pack does not hold this resolution
    NotStoredPlain, // the resolution is Huffman coded, which this reader does not decode
    OutOfMemory,
};

enum class Output {
    Colour24, // blue, green, red
    Palette8, // indices into the 3-3-2 palette
    Grey8,    // luma, with a grey palette
};

struct Size {
    int width = 0;
    int height = 0;
};

// Landscape size of a resolution (0 x 0 for an index out of range).
KFM_PLATFORM_API Size landscapeSize(int resolution);

// The 256 colours of the 8-bit colour output: 3 bits red, 3 bits green, 2 bits blue.
KFM_PLATFORM_API std::array<RGBQUAD, 256> palette332();

// A decoded picture laid out as a packed DIB's pixels: rows bottom-up, padded to 4 bytes.
struct Picture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::array<RGBQUAD, 256> colours{}; // for the 8-bit outputs
    std::uint32_t rowBytes = 0;
    std::vector<std::uint8_t> pixels;

    // Row `index` counted from the bottom, as stored.
    const std::uint8_t* storedRow(int index) const { return pixels.data() + index * rowBytes; }
};

// Where the pack's bytes come from: a file or memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills the whole span from the offset; false when the source ends first.
    virtual bool read(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

class KFM_PLATFORM_API ImagePack {
public:
    // Opens the pack that starts at the offset of a file; the file is read only as far as a
    // picture needs.
    static Status openFile(const std::string& path, std::int64_t offset,
                           std::unique_ptr<ImagePack>& out);
    // Opens a pack held in memory; the bytes must outlive the pack.
    static Status openBytes(std::span<const std::uint8_t> bytes, std::unique_ptr<ImagePack>& out);

    ~ImagePack();
    ImagePack(const ImagePack&) = delete;
    ImagePack& operator=(const ImagePack&) = delete;

    // Bit i set: the pack holds resolution i.
    unsigned availableResolutions() const { return available_; }
    // Counter-clockwise quarter turns that bring the picture upright (0 to 3).
    int quarterTurns() const { return quarterTurns_; }
    // Size of a resolution as decoded, the orientation applied.
    Size size(int resolution) const;
    Status decode(int resolution, Output output, Picture& out) const;

private:
    explicit ImagePack(std::unique_ptr<ByteSource> source);
    Status readHeader();

    std::unique_ptr<ByteSource> source_;
    unsigned available_ = 0;
    int quarterTurns_ = 0;
};

} // namespace kfm::photocd
