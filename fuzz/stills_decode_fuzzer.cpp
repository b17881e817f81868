// Fuzz target of the glue over libpng, libjpeg and libtiff: the input goes to the span-level
// reader its signature names (PNG, JPEG, TIFF; all three when it has none). Pictures up to
// 512 x 512 are decoded; every library failure must come back as a status, and the rows must
// arrive top to bottom, each once, never more than the picture has.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "JpegCodec.h"
#include "PngCodec.h"
#include "TiffCodec.h"

namespace {

constexpr std::uint64_t kMaxPixels = 512 * 512;

// Takes rows of up to 4 bytes a pixel and checks their order.
class CheckingSink final : public kpx::RowSink {
public:
    CheckingSink(std::uint32_t width, std::uint32_t height)
        : row_(std::size_t{width} * 4 + 16), height_(static_cast<int>(height)) {}
    std::span<std::uint8_t> rowBuffer() override { return row_; }
    bool rowDone(int row) override {
        if (row != next_ || row >= height_)
            std::abort();
        ++next_;
        return true;
    }

private:
    std::vector<std::uint8_t> row_;
    int height_;
    int next_ = 0;
};

bool fits(std::uint32_t width, std::uint32_t height) {
    return width > 0 && height > 0 && std::uint64_t{width} * height <= kMaxPixels;
}

void readPng(std::span<const std::uint8_t> bytes) {
    kpx::png::PngHeader header;
    if (kpx::png::readHeader(bytes, header) != kpx::CodecStatus::Ok ||
        !fits(header.width, header.height))
        return;
    CheckingSink sink(header.width, header.height);
    // The transparency plane, when the picture has one, covers the whole picture.
    std::vector<std::uint8_t> plane;
    if (kpx::png::decode(bytes, sink, &plane) == kpx::CodecStatus::Ok && !plane.empty() &&
        plane.size() != std::size_t{header.width} * header.height)
        std::abort();
}

void readJpeg(std::span<const std::uint8_t> bytes, bool preview) {
    kpx::MemoryByteInput source(bytes);
    kpx::jpeg::JpegReader reader(source);
    kpx::jpeg::JpegHeader header;
    if (!reader.readHeader(header) || !fits(header.width, header.height))
        return;
    const kpx::jpeg::JpegDecodeOptions options{
        .floatDct = preview,
        .scaleDenominator = preview ? 4 : 1,
        .space =
            preview ? kpx::jpeg::OutputSpace::ColourUnlessYcck : kpx::jpeg::OutputSpace::Natural};
    kpx::jpeg::JpegOutput output;
    if (!reader.start(options, output))
        return;
    if (output.width > header.width || output.height > header.height || output.components < 1 ||
        output.components > 4)
        std::abort();
    std::vector<std::uint8_t> row(std::size_t{output.width} * output.components);
    std::vector<std::uint8_t> bgr(std::size_t{output.width} * 3);
    for (std::uint32_t y = 0; y < output.height; ++y) {
        if (!reader.readRow(row.data()))
            return;
        if (output.components == 4)
            kpx::jpeg::cmykToBgr(row.data(), output.width, bgr.data());
    }
    reader.finish();
}

void readTiff(std::span<const std::uint8_t> bytes) {
    const auto file = kpx::tiff::TiffFile::readFromBytes(bytes);
    if (!file)
        return;
    kpx::tiff::TiffLayout layout;
    if (kpx::tiff::readLayout(file->handle(), layout) != kpx::CodecStatus::Ok ||
        !fits(layout.width, layout.height))
        return;
    CheckingSink sink(layout.width, layout.height);
    kpx::tiff::decode(file->handle(), layout, sink);
}

bool startsWith(std::span<const std::uint8_t> bytes, const char* signature, std::size_t n) {
    return bytes.size() >= n && std::memcmp(bytes.data(), signature, n) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const bool png = startsWith(bytes, "\x89PNG", 4);
    const bool jpeg = startsWith(bytes, "\xFF\xD8", 2);
    const bool tiff = startsWith(bytes, "II*", 3) || startsWith(bytes, "MM\0*", 4);
    const bool none = !png && !jpeg && !tiff;
    if (png || none)
        readPng(bytes);
    if (jpeg || none) {
        readJpeg(bytes, false);
        readJpeg(bytes, true);
    }
    if (tiff || none)
        readTiff(bytes);
    return 0;
}
