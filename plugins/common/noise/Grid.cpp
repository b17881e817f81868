#include "Grid.h"

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

namespace kfm::noise {

namespace {

// 0x00BBGGRR as Qt's 0xAARRGGBB, opaque.
QRgb toRgb(std::int32_t colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

} // namespace

bool CGrid::allocate(int width, int height) {
    if (width < 1 || height < 1)
        return false;
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (count >
        static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max()) / sizeof(std::int32_t))
        return false;
    std::unique_ptr<std::int32_t[]> cells(new (std::nothrow) std::int32_t[count]);
    if (!cells)
        return false;
    cells_ = std::move(cells);
    width_ = width;
    height_ = height;
    return true;
}

std::unique_ptr<CGrid> CGrid::create(int width, int height) {
    auto grid = std::unique_ptr<CGrid>(new (std::nothrow) CGrid);
    if (!grid || !grid->allocate(width, height))
        return nullptr;
    return grid;
}

std::unique_ptr<CGrid> CGrid::createCopy(const CGrid& source) {
    auto grid = std::unique_ptr<CGrid>(new (std::nothrow) CGrid);
    if (!grid || !grid->assign(source))
        return nullptr;
    return grid;
}

std::unique_ptr<CGrid> CGrid::createResized(int width, int height, const CGrid& source) {
    auto grid = create(width, height);
    if (!grid)
        return nullptr;
    const int w = std::min(width, source.width_);
    const int h = std::min(height, source.height_);
    for (int y = 0; y < h; ++y) {
        if (source.isUniform())
            std::fill_n(grid->row(y), w, source.fill_);
        else
            std::memcpy(grid->row(y), source.row(y), sizeof(std::int32_t) * w);
    }
    return grid;
}

void CGrid::fill(std::int32_t value) {
    if (cells_)
        std::fill_n(cells_.get(), cellCount(), value);
}

void CGrid::readRow(int y, std::span<std::int32_t> buffer) const {
    const std::size_t count = std::min(buffer.size(), static_cast<std::size_t>(width_));
    if (cells_)
        std::memcpy(buffer.data(), row(y), sizeof(std::int32_t) * count);
    else
        std::fill_n(buffer.data(), count, fill_);
}

void CGrid::writeRow(int y, std::span<const std::int32_t> buffer) {
    if (cells_)
        std::memcpy(row(y), buffer.data(),
                    sizeof(std::int32_t) *
                        std::min(buffer.size(), static_cast<std::size_t>(width_)));
}

bool CGrid::assign(const CGrid& source) {
    if (&source == this)
        return true;
    if (source.isUniform()) {
        cells_.reset();
        fill_ = source.fill_;
        width_ = source.width_;
        height_ = source.height_;
        return true;
    }
    if (!cells_ || width_ != source.width_ || height_ != source.height_) {
        CGrid fresh;
        if (!fresh.allocate(source.width_, source.height_))
            return false;
        cells_ = std::move(fresh.cells_);
        width_ = source.width_;
        height_ = source.height_;
    }
    std::memcpy(cells_.get(), source.cells_.get(), sizeof(std::int32_t) * cellCount());
    return true;
}

void CGrid::paint(QImage& image) const {
    const int w = std::min(width_, image.width());
    const int h = std::min(height_, image.height());
    const bool direct = image.format() == QImage::Format_RGB32 ||
                        image.format() == QImage::Format_ARGB32 ||
                        image.format() == QImage::Format_ARGB32_Premultiplied;
    for (int y = 0; y < h; ++y) {
        if (direct) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] = toRgb(get(x, y));
        } else {
            for (int x = 0; x < w; ++x)
                image.setPixelColor(x, y, QColor::fromRgb(toRgb(get(x, y))));
        }
    }
}

} // namespace kfm::noise
