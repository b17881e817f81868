#pragma once
// giflib as the test oracle: writes index images with EGifSpew and reads files with DGifSlurp,
// both in memory.

#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace kfm::test::giflib {

struct Image {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::vector<std::uint8_t> indices; // top-down, width x height
    std::vector<GifColorType> localColors;
};

struct File {
    int screenWidth = 0, screenHeight = 0;
    std::vector<GifColorType> colors;
    std::vector<Image> images;
};

inline int readFromSpan(GifFileType* gif, GifByteType* out, int n) {
    auto* source = static_cast<std::span<const std::uint8_t>*>(gif->UserData);
    const int k =
        static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(n), source->size()));
    std::memcpy(out, source->data(), static_cast<std::size_t>(k));
    *source = source->subspan(static_cast<std::size_t>(k));
    return k;
}

inline int writeToVector(GifFileType* gif, const GifByteType* in, int n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), in, in + n);
    return n;
}

// Decodes a file with DGifSlurp; nothing when giflib rejects it.
inline std::optional<File> slurp(std::span<const std::uint8_t> bytes) {
    std::span<const std::uint8_t> source = bytes;
    int error = 0;
    GifFileType* gif = DGifOpen(&source, readFromSpan, &error);
    if (!gif)
        return std::nullopt;
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return std::nullopt;
    }
    File file;
    file.screenWidth = gif->SWidth;
    file.screenHeight = gif->SHeight;
    if (gif->SColorMap)
        file.colors.assign(gif->SColorMap->Colors,
                           gif->SColorMap->Colors + gif->SColorMap->ColorCount);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& saved = gif->SavedImages[i];
        Image image;
        image.left = saved.ImageDesc.Left;
        image.top = saved.ImageDesc.Top;
        image.width = saved.ImageDesc.Width;
        image.height = saved.ImageDesc.Height;
        image.interlaced = saved.ImageDesc.Interlace;
        const std::size_t n =
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
        if (saved.RasterBits)
            image.indices.assign(saved.RasterBits, saved.RasterBits + n);
        if (saved.ImageDesc.ColorMap)
            image.localColors.assign(saved.ImageDesc.ColorMap->Colors,
                                     saved.ImageDesc.ColorMap->Colors +
                                         saved.ImageDesc.ColorMap->ColorCount);
        file.images.push_back(std::move(image));
    }
    DGifCloseFile(gif, &error);
    return file;
}

// Writes one image with a grey global table of 2^bits entries through giflib's record API
// (EGifSpew of the installed giflib does not free the saved images it writes, which the leak
// checker of the sanitizer build reports). Interlaced rows are put in pass order.
inline std::vector<std::uint8_t> spew(int width, int height, int bits, bool interlaced,
                                      const std::vector<std::uint8_t>& indices) {
    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToVector, &error);
    std::vector<GifColorType> colors(static_cast<std::size_t>(1) << bits);
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const auto v =
            static_cast<GifByteType>(i * 255 / (colors.size() > 1 ? colors.size() - 1 : 1));
        colors[i] = {v, v, v};
    }
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(colors.size()), colors.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, bits, 0, map);
    EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr);
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    auto put = [&](int y) {
        std::memcpy(row.data(), indices.data() + static_cast<std::size_t>(y) * row.size(),
                    row.size());
        EGifPutLine(gif, row.data(), width);
    };
    if (interlaced) {
        static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < height; y += step[pass])
                put(y);
    } else {
        for (int y = 0; y < height; ++y)
            put(y);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

} // namespace kfm::test::giflib
