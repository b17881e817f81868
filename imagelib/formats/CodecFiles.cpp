#include "CodecFiles.h"

#include "LibraryShared.h"
#include "PackedRows.h"
#include "RowCallbacks.h"
#include "resources/ResourceLibrary.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace kpx {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint8_t greyOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<std::uint8_t>((30 * red + 59 * green + 11 * blue) / 100);
}

} // namespace

bool readFileFrom(const char* path, std::int32_t offset, std::vector<std::uint8_t>& bytes,
                  std::int64_t& fileSize) {
    bytes.clear();
    fileSize = 0;
    if (!path || offset < 0)
        return false;
    const File file(std::fopen(path, "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
        return false;
    const long size = std::ftell(file.get());
    if (size < offset || std::fseek(file.get(), offset, SEEK_SET) != 0)
        return false;
    fileSize = size;
    bytes.resize(static_cast<std::size_t>(size - offset));
    return std::fread(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

KpxResult writeWholeFile(const char* path, std::span<const std::uint8_t> bytes) {
    File file(path ? std::fopen(path, "wb") : nullptr);
    if (!file)
        return kKpxCannotCreate;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool closed = std::fclose(file.release()) == 0;
    return written && closed ? kKpxOk : kKpxWriteError;
}

std::int32_t reportedFileSize(std::int64_t fileSize, std::int32_t offset) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(fileSize - offset, 0, INT32_MAX));
}

bool pictureFits(std::int64_t width, std::int64_t height, int bitsPerPixel,
                 std::uint64_t reachBytes, const DecodeLimits& limits) {
    if (width < 1 || height < 1 ||
        !withinSize(limits, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
        return false;
    const auto w = static_cast<std::uint64_t>(width);
    const auto h = static_cast<std::uint64_t>(height);
    const auto bits = static_cast<std::uint64_t>(std::max(bitsPerPixel, 1));
    return dataCanFill(limits, w, h, bits, reachBytes * 8 / bits);
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

std::string libraryText(unsigned id) {
    return kfm::resources::loadString(resourceInstance(), id);
}

SaveRows::SaveRows(const KpxCodecContext& context, KpxProgressProc progress)
    : context_(context), progress_(progress), depth_(KpxGetRowLayout().depth),
      width_(std::max<int>(context.width, 0)),
      row_(std::max<std::size_t>(KpxGetRowLayout().rowBytes, dibRowBytes(width_, depth_))) {
    for (int i = 0; i < 256; ++i)
        grey_[i] = greyOf(context.palette[i][0], context.palette[i][1], context.palette[i][2]);
}

const std::uint8_t* SaveRows::fetch(int row) {
    if (progress_)
        progress_();
    if (!context_.fetchRow || context_.fetchRow(row_.data(), row) != 0)
        return nullptr;
    return row_.data();
}

void SaveRows::toBgr(const std::uint8_t* row, std::uint8_t* out) const {
    if (depth_ == 24) {
        std::copy_n(row, static_cast<std::size_t>(width_) * 3, out);
        return;
    }
    for (int x = 0; x < width_; ++x, out += 3) {
        if (depth_ == 32) {
            std::copy_n(row + 4 * x, 3, out);
            continue;
        }
        const std::uint8_t* c = context_.palette[indexAt(row, x, depth_)];
        out[0] = c[2];
        out[1] = c[1];
        out[2] = c[0];
    }
}

void SaveRows::toGrey(const std::uint8_t* row, std::uint8_t* out) const {
    if (depth_ <= 8) {
        for (int x = 0; x < width_; ++x)
            out[x] = grey_[indexAt(row, x, depth_)];
        return;
    }
    const int step = depth_ / 8;
    for (int x = 0; x < width_; ++x, row += step)
        out[x] = greyOf(row[2], row[1], row[0]);
}

} // namespace kpx
