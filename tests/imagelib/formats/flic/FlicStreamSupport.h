#pragma once
// Reading FLIC files through the library's exported reader in tests: an open reader that closes
// itself, and the picture of a frame as an 8-bit image's indices and palette.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Bitra5.h"

namespace flic_test {

class OpenFlic {
public:
    explicit OpenFlic(const std::string& path) { result_ = FLICFileOpen(&reader_, path.c_str()); }
    ~OpenFlic() { FLICFileRelease(reader_); }
    OpenFlic(const OpenFlic&) = delete;
    OpenFlic& operator=(const OpenFlic&) = delete;

    int result() const { return result_; }
    KpxFlicReader* get() const { return reader_; }
    KpxFlicReader* operator->() const { return reader_; }

private:
    KpxFlicReader* reader_ = nullptr;
    int result_ = 0;
};

// Indices (top row first) and the colour table as red, green, blue triplets.
struct ImagePicture {
    std::vector<std::uint8_t> indices;
    std::array<std::uint8_t, 768> palette{};
};

inline ImagePicture pictureOf(KpxHandle image) {
    ImagePicture picture;
    const int w = KPXWidth(image);
    const int h = KPXHeight(image);
    const int stride = KPXGetScanBytes(image);
    const std::uint8_t* bits = KPXGetBits(image);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(h - 1 - y) * stride;
        picture.indices.insert(picture.indices.end(), row, row + w);
    }
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    for (int i = 0; i < 256; ++i) {
        picture.palette[i * 3] = info->bmiColors[i].rgbRed;
        picture.palette[i * 3 + 1] = info->bmiColors[i].rgbGreen;
        picture.palette[i * 3 + 2] = info->bmiColors[i].rgbBlue;
    }
    return picture;
}

// The reader's current picture, filled into a new 8-bit image.
inline ImagePicture currentPicture(KpxFlicReader* reader) {
    const KpxHandle image = KPXCreateImage(reader->width, reader->height, 8);
    EXPECT_EQ(FLICStreamFillImage8(reader, image, 0), 0);
    ImagePicture picture = pictureOf(image);
    KPXDeleteImage(image);
    return picture;
}

} // namespace flic_test
