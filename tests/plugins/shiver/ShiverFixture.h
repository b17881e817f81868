#pragma once
// A source frame for the distortion effect's tests: an 8-bit picture of diagonal colour bands
// with a 16-colour palette, optionally a transparent index and an 8-bit mask (255 fully
// transparent, as the host passes it) over a round hole, owned as a run input.

#include "PluginInterface.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kfm::shiver::test {

class SourceFrame {
public:
    // With a hole: index 0 is transparent and the mask marks the pixels holding it.
    SourceFrame(int width, int height, bool hole) {
        rowBytes_ = (width + 3) / 4 * 4;
        pixels_.assign(static_cast<std::size_t>(rowBytes_) * height, 0xEE);
        mask_.assign(static_cast<std::size_t>(rowBytes_) * height, 0);
        for (int i = 0; i < 256; ++i)
            palette_[i] = PALETTEENTRY{static_cast<BYTE>(i * 16), static_cast<BYTE>(255 - i * 9),
                                       static_cast<BYTE>((i * 40) & 255), 0};
        const int cx = width / 3;
        const int cy = height / 2;
        const int r = std::max(1, height / 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool inHole = hole && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
                at(pixels_, x, y) =
                    inHole ? 0 : static_cast<std::uint8_t>(1 + (x + 2 * y) / 3 % 15);
                at(mask_, x, y) = inHole ? 255 : 0;
            }
        frame_.image = BITMAP{0, width, height, rowBytes_, 1, 8, pixels_.data()};
        if (hole)
            frame_.mask = BITMAP{0, width, height, rowBytes_, 1, 8, mask_.data()};
        frame_.palette = palette_;
        frame_.transparentIndex = hole ? 0 : -1;
        frame_.left = 7;
        frame_.top = 5;
        frame_.delay = 100;
        input_ = PluginRunInput{width + 20, height + 10, 0, 1, &frame_, nullptr};
    }

    PluginRunInput* input() { return &input_; }
    PluginFrame& frame() { return frame_; }
    std::uint8_t pixel(int x, int y) const {
        return pixels_[static_cast<std::size_t>(rowBytes_) * y + x];
    }
    std::uint8_t& maskAt(int x, int y) { return at(mask_, x, y); }
    std::uint8_t& pixelAt(int x, int y) { return at(pixels_, x, y); }

private:
    std::uint8_t& at(std::vector<std::uint8_t>& bytes, int x, int y) {
        return bytes[static_cast<std::size_t>(rowBytes_) * y + x];
    }

    int rowBytes_ = 0;
    std::vector<std::uint8_t> pixels_;
    std::vector<std::uint8_t> mask_;
    PALETTEENTRY palette_[256]{};
    PluginFrame frame_{};
    PluginRunInput input_{};
};

inline std::uint8_t framePixel(const PluginFrame& frame, int x, int y) {
    return static_cast<const std::uint8_t*>(frame.image.bmBits)[frame.image.bmWidthBytes * y + x];
}

inline std::uint8_t maskByte(const PluginFrame& frame, int x, int y) {
    return static_cast<const std::uint8_t*>(frame.mask.bmBits)[frame.mask.bmWidthBytes * y + x];
}

} // namespace kfm::shiver::test
