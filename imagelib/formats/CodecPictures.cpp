#include "CodecPictures.h"

#include "LibraryShared.h"
#include "resources/ResourceLibrary.h"

#include <algorithm>

namespace kpx {

InputFile::InputFile(const char* path, std::int32_t offset) {
    if (!path || offset < 0)
        return;
    file_ = std::fopen(path, "rb");
    if (!file_)
        return;
    long length = -1;
    if (std::fseek(file_, 0, SEEK_END) == 0)
        length = std::ftell(file_);
    if (length < offset || std::fseek(file_, offset, SEEK_SET) != 0) {
        std::fclose(file_);
        file_ = nullptr;
        return;
    }
    length_ = length;
}

InputFile::~InputFile() {
    if (file_)
        std::fclose(file_);
}

bool pictureFits(std::int64_t width, std::int64_t height, int bitsPerPixel,
                 std::uint64_t reachBytes, const DecodeLimits& limits) {
    if (width < 1 || height < 1 ||
        !withinSize(limits, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
        return false;
    const auto bits = static_cast<std::uint64_t>(std::max(bitsPerPixel, 1));
    return dataCanFill(limits, static_cast<std::uint64_t>(width),
                       static_cast<std::uint64_t>(height), bits, reachBytes * 8 / bits);
}

void setContextPalette(KpxCodecContext& context, std::span<const std::uint8_t> rgbTriplets) {
    std::fill(&context.palette[0][0], &context.palette[0][0] + sizeof context.palette, 0);
    const std::size_t count = std::min<std::size_t>(rgbTriplets.size() / 3, 256);
    std::copy_n(rgbTriplets.begin(), count * 3, &context.palette[0][0]);
}

void setGreyRamp(KpxCodecContext& context, int depth) {
    std::fill(&context.palette[0][0], &context.palette[0][0] + sizeof context.palette, 0);
    const int levels = 1 << std::clamp(depth, 1, 8);
    for (int i = 0; i < levels; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (levels - 1));
        context.palette[i][0] = context.palette[i][1] = context.palette[i][2] = v;
    }
}

std::int32_t reportedFileSize(std::int64_t fileSize, std::int32_t offset) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(fileSize - offset, 0, INT32_MAX));
}

std::string libraryText(unsigned id) {
    return kfm::resources::loadString(resourceInstance(), id);
}

} // namespace kpx
