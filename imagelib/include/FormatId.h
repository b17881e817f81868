#pragma once
// The raster format numbers of the library. The exported functions take and return them as plain
// int (a registered codec may use any number from 10 to 999); formatNumber and toFormatId convert
// at that edge.

#include <cstdint>

enum class FormatId : std::int32_t {
    None = 0, // not recognised / not given
    Pcx = 10,
    Gif = 20,
    Tiff = 30,
    Bmp = 40, // also .dib and .rle
    Wpg = 50,
    Ico = 60,
    MacPaint = 70,
    Targa = 80,
    Jpeg = 90,
    Png = 100,
    Bmi = 110,
    PhotoCd = 120,
};

constexpr std::int32_t formatNumber(FormatId id) {
    return static_cast<std::int32_t>(id);
}
constexpr FormatId toFormatId(std::int32_t number) {
    return static_cast<FormatId>(number);
}
