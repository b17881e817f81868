#pragma once
// The plug-ins' picture: a rectangle of signed 32-bit cells, holding either a noise or pattern
// value (roughly 0..255, a scalar grid) or a colour 0x00BBGGRR (a colour grid).
//
// A grid is sized to what it holds: there is no row limit, so a distortion field covers a frame
// of any size the image library allows (the texture generator keeps its own 32..2048 clamp).
// Cells are not cleared on creation. A default grid is uniform and empty: it holds no cells,
// every read gives the fill value and writes are ignored.

#include <cstdint>
#include <memory>
#include <span>
#include <utility>

class QImage;

namespace kfm::noise {

class CGrid {
public:
    // An empty uniform grid (0 x 0, fill value 0).
    CGrid() = default;
    CGrid(const CGrid&) = delete;
    CGrid& operator=(const CGrid&) = delete;
    // A moved-from grid is empty and uniform.
    CGrid(CGrid&& other) noexcept { *this = std::move(other); }
    CGrid& operator=(CGrid&& other) noexcept {
        if (this != &other) {
            cells_ = std::move(other.cells_);
            fill_ = std::exchange(other.fill_, 0);
            width_ = std::exchange(other.width_, 0);
            height_ = std::exchange(other.height_, 0);
        }
        return *this;
    }
    ~CGrid() = default;

    // A grid of width x height uncleared cells; null when a side is below 1 or memory runs out.
    static std::unique_ptr<CGrid> create(int width, int height);
    // An empty uniform grid assigned from the source; null when memory runs out.
    static std::unique_ptr<CGrid> createCopy(const CGrid& source);
    // A grid of width x height holding the source's overlapping top-left part (the cells
    // beyond it stay uncleared); null as create.
    static std::unique_ptr<CGrid> createResized(int width, int height, const CGrid& source);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isUniform() const { return !cells_; }
    std::int32_t fillValue() const { return fill_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // The cell, or the fill value of a uniform grid; the position must lie inside.
    std::int32_t get(int x, int y) const { return cells_ ? row(y)[x] : fill_; }
    // As get, but 0 outside the grid.
    std::int32_t safeGet(int x, int y) const { return contains(x, y) ? get(x, y) : 0; }
    // Writes the cell unless the grid is uniform; the position must lie inside.
    void set(int x, int y, std::int32_t value) {
        if (cells_)
            row(y)[x] = value;
    }
    // As set, but writes outside the grid are ignored.
    void safeSet(int x, int y, std::int32_t value) {
        if (contains(x, y))
            set(x, y, value);
    }
    // Every cell becomes the value (nothing for a uniform grid).
    void fill(std::int32_t value);

    // The cells of row y (width cells, rows follow each other); null for a uniform grid.
    std::int32_t* row(int y) { return cells_ ? cells_.get() + rowOffset(y) : nullptr; }
    const std::int32_t* row(int y) const { return cells_ ? cells_.get() + rowOffset(y) : nullptr; }

    // Copy width cells between row y and the buffer, which must hold at least width cells.
    void readRow(int y, std::span<std::int32_t> buffer) const;
    void writeRow(int y, std::span<const std::int32_t> buffer);

    // Becomes a copy of the source: a uniform source frees the cells and takes its size and fill
    // value; otherwise the cells are reallocated when the size differs and every row copied.
    // False, and the grid unchanged, when memory runs out.
    bool assign(const CGrid& source);

    // Each cell as a colour 0x00BBGGRR at its own position of the image (clipped to the image);
    // a uniform grid paints its fill value over its size.
    void paint(QImage& image) const;

private:
    std::ptrdiff_t rowOffset(int y) const {
        return static_cast<std::ptrdiff_t>(y) * static_cast<std::ptrdiff_t>(width_);
    }
    std::size_t cellCount() const {
        return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    }
    bool allocate(int width, int height);

    std::unique_ptr<std::int32_t[]> cells_;
    std::int32_t fill_ = 0;
    int width_ = 0;
    int height_ = 0;
};

} // namespace kfm::noise
