#include "BmpEncoder.h"

#include <algorithm>

#include "BmpHeader.h"
#include "PackedRows.h"

namespace kpx::bmp {

namespace {

bool isRowDepth(int depth) {
    return depth == 1 || depth == 4 || depth == 8 || depth == 24 || depth == 32;
}

void dropFourthBytes(std::span<const std::uint8_t> row, int width, std::uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        out[3 * x] = row[4 * static_cast<std::size_t>(x)];
        out[3 * x + 1] = row[4 * static_cast<std::size_t>(x) + 1];
        out[3 * x + 2] = row[4 * static_cast<std::size_t>(x) + 2];
    }
}

} // namespace

CodecStatus encodeBmp(const EncodeImage& image, RowSource& rows, ByteSink& out) {
    if (image.width <= 0 || image.height <= 0 || !isRowDepth(image.rowDepth) ||
        (image.rowDepth <= 8 && !image.palette))
        return CodecStatus::Unsupported;
    const int depth = fileDepth(image.rowDepth);
    std::vector<std::uint8_t>& bytes = out.bytes();
    writeHeader(bytes, image.width, image.height, depth, image.palette);
    const std::size_t fileRow = dibRowBytes(image.width, depth);
    const std::size_t sourceRow = dibRowBytes(image.width, image.rowDepth);
    for (int i = 0; i < image.height; ++i) {
        const std::span<const std::uint8_t> row = rows.row(image.height - 1 - i);
        if (row.size() < sourceRow)
            return CodecStatus::Stopped;
        const std::size_t at = bytes.size();
        bytes.resize(at + fileRow);
        if (image.rowDepth == 32)
            dropFourthBytes(row, image.width, bytes.data() + at);
        else
            std::copy_n(row.begin(), fileRow, bytes.begin() + static_cast<std::ptrdiff_t>(at));
        if (!out.flush())
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

} // namespace kpx::bmp
