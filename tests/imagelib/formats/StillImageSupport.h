#pragma once
// Helpers of the still-image codec tests: reference pictures read with libpng, the colours of a
// library image's pixels, images made from given pixels, and peer programs run on files.

#include <png.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Bitra5.h"
#include "ImageTable.h"
#include "PackedPixels.h"
#include "PackedRows.h"
#include "TestSupport.h"

namespace kfm::test {

// A picture as red, green, blue, alpha bytes, top row first.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    std::array<std::uint8_t, 4> at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
        return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
    }
};

// Reads a PNG of any kind as 8-bit RGBA; an empty picture when it cannot be read.
inline RgbaPicture readPng(const std::filesystem::path& path) {
    RgbaPicture picture;
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file)
        return picture;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return RgbaPicture{};
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    picture.width = static_cast<int>(png_get_image_width(png, info));
    picture.height = static_cast<int>(png_get_image_height(png, info));
    picture.rgba.resize(static_cast<std::size_t>(picture.width) * picture.height * 4);
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y)
        rows[static_cast<std::size_t>(y)] =
            picture.rgba.data() + static_cast<std::size_t>(y) * picture.width * 4;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return picture;
}

// The colour of pixel (x, y), counted from the top, of a library image of any depth.
inline std::array<std::uint8_t, 3> rgbAt(KpxHandle image, int x, int y) {
    const kpx::ImageLock record(image, kKpxRead);
    const int bits = record->bitCount();
    const std::uint8_t* row =
        record->bits +
        static_cast<std::size_t>(record->height() - 1 - y) *
            static_cast<std::size_t>(KPXCalcScanBytes(record->width(), record->bitCount()));
    if (bits <= 8) {
        const RGBQUAD c = record->colors()[packedIndexAt(row, x, bits)];
        return {c.rgbRed, c.rgbGreen, c.rgbBlue};
    }
    const std::size_t at = static_cast<std::size_t>(x) * (bits == 32 ? 4 : 3);
    return {row[at + 2], row[at + 1], row[at]};
}

// The palette index of pixel (x, y) of a 1-, 4- or 8-bit image.
inline int indexAt(KpxHandle image, int x, int y) {
    const kpx::ImageLock record(image, kKpxRead);
    const std::uint8_t* row =
        record->bits +
        static_cast<std::size_t>(record->height() - 1 - y) *
            static_cast<std::size_t>(KPXCalcScanBytes(record->width(), record->bitCount()));
    return packedIndexAt(row, x, record->bitCount());
}

// How far the image's colours lie from the picture's: the largest difference of one channel,
// or -1 when the sizes differ. Pixels the picture has transparent are skipped when asked.
inline int largestDifference(KpxHandle image, const RgbaPicture& picture,
                             bool skipTransparent = false) {
    if (KPXWidth(image) != picture.width || KPXHeight(image) != picture.height)
        return -1;
    int largest = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const auto want = picture.at(x, y);
            if (skipTransparent && want[3] == 0)
                continue;
            const auto got = rgbAt(image, x, y);
            for (int c = 0; c < 3; ++c)
                largest = std::max(largest, std::abs(int{got[c]} - int{want[c]}));
        }
    return largest;
}

// Whether two images hold the same colour at every pixel.
inline bool sameColors(KpxHandle a, KpxHandle b) {
    if (KPXWidth(a) != KPXWidth(b) || KPXHeight(a) != KPXHeight(b))
        return false;
    for (int y = 0; y < KPXHeight(a); ++y)
        for (int x = 0; x < KPXWidth(a); ++x)
            if (rgbAt(a, x, y) != rgbAt(b, x, y))
                return false;
    return true;
}

// An image of the depth whose pixel (x, y) gets value(x, y): an index for 1 to 8 bits (with a
// palette of distinct colours), else a colour 0xRRGGBB.
template <typename Value> KpxHandle makePicture(int width, int height, int depth, Value value) {
    const KpxHandle image = KPXCreateImage(width, height, depth);
    const kpx::ImageLock record(image, kKpxWrite);
    const int bits = record->bitCount();
    for (std::uint32_t i = 0; i < record->colorCount(); ++i)
        record->colors()[i] = RGBQUAD{static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7),
                                      static_cast<BYTE>(i * 3 + 1), 0};
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row =
            record->bits +
            static_cast<std::size_t>(height - 1 - y) *
                static_cast<std::size_t>(KPXCalcScanBytes(record->width(), record->bitCount()));
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            if (bits <= 8) {
                kpx::setIndexAt(row, x, bits, static_cast<int>(v));
                continue;
            }
            const std::size_t at = static_cast<std::size_t>(x) * (bits == 32 ? 4 : 3);
            row[at] = static_cast<std::uint8_t>(v);
            row[at + 1] = static_cast<std::uint8_t>(v >> 8);
            row[at + 2] = static_cast<std::uint8_t>(v >> 16);
        }
    }
    return image;
}

// Gives a 1-bit image the black and white of formats whose 1-bit pictures have no colours.
inline void makeBlackAndWhite(KpxHandle image) {
    const kpx::ImageLock record(image, kKpxWrite);
    record->colors()[0] = RGBQUAD{0, 0, 0, 0};
    record->colors()[1] = RGBQUAD{255, 255, 255, 0};
}

// A picture with some structure for round trips: stripes, a gradient and noise.
inline std::uint32_t testPattern(int x, int y) {
    return static_cast<std::uint32_t>((x * 37 + y * 11) ^ (x * y)) * 2654435761u >> 8;
}

// Runs a peer program; false when it is missing or fails. Its messages go nowhere.
inline bool runPeer(const std::string& program, const std::string& arguments) {
    if (!std::filesystem::exists(program))
        return false;
    const std::string command = program + " " + arguments + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// A caller's callback stream over bytes in memory (the table comes first, so the library's calls
// find the rest behind it). Writing past the end extends the bytes.
struct MemoryCallbackStream {
    KpxStreamCallbacks calls{read, write, seek, tell};
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;

    MemoryCallbackStream() = default;
    explicit MemoryCallbackStream(std::vector<std::uint8_t> data) : bytes(std::move(data)) {}
    MemoryCallbackStream(const MemoryCallbackStream&) = delete;
    MemoryCallbackStream& operator=(const MemoryCallbackStream&) = delete;

private:
    static MemoryCallbackStream& self(KpxStreamCallbacks* s) {
        return *reinterpret_cast<MemoryCallbackStream*>(s);
    }
    static std::uint32_t read(KpxStreamCallbacks* s, void* buffer, std::uint32_t count) {
        MemoryCallbackStream& m = self(s);
        const std::size_t n = std::min<std::size_t>(
            count, m.position < m.bytes.size() ? m.bytes.size() - m.position : 0);
        std::copy_n(m.bytes.begin() + static_cast<std::ptrdiff_t>(m.position), n,
                    static_cast<std::uint8_t*>(buffer));
        m.position += n;
        return static_cast<std::uint32_t>(n);
    }
    static std::uint32_t write(KpxStreamCallbacks* s, const void* data, std::uint32_t count) {
        MemoryCallbackStream& m = self(s);
        if (m.position + count > m.bytes.size())
            m.bytes.resize(m.position + count);
        std::copy_n(static_cast<const std::uint8_t*>(data), count,
                    m.bytes.begin() + static_cast<std::ptrdiff_t>(m.position));
        m.position += count;
        return count;
    }
    static std::int32_t seek(KpxStreamCallbacks* s, std::int32_t offset, std::int32_t origin) {
        MemoryCallbackStream& m = self(s);
        const std::int64_t base = origin == SEEK_CUR   ? static_cast<std::int64_t>(m.position)
                                  : origin == SEEK_END ? static_cast<std::int64_t>(m.bytes.size())
                                                       : 0;
        if (base + offset >= 0)
            m.position = static_cast<std::size_t>(base + offset);
        return 0;
    }
    static std::int32_t tell(KpxStreamCallbacks* s) {
        return static_cast<std::int32_t>(self(s).position);
    }
};
static_assert(offsetof(MemoryCallbackStream, calls) == 0);

inline const char* kImageMagick = "/usr/bin/convert";
inline const char* kPython = "/usr/bin/python3";

inline std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

} // namespace kfm::test
