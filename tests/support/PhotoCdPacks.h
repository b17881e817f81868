#pragma once
// Photo CD image packs the tests write themselves: the signature sector, the attributes byte
// (orientation in bits 0-1, highest resolution in bits 2-3) and the three plain resolutions
// stored as pairs of rows (Y, Y, C1, C2), each filled from a function of the landscape pixel.

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace kfm::test {

struct YccSample {
    std::uint8_t y = 0;
    std::uint8_t c1 = 156; // no colour
    std::uint8_t c2 = 137;
};

// The sample of landscape pixel (x, y) at a resolution (1 Base/16, 2 Base/4, 3 Base); chroma is
// taken at even x and y.
using YccPattern = std::function<YccSample(int resolution, int x, int y)>;

constexpr std::size_t kPcdSector = 2048;
constexpr std::array<std::size_t, 4> kPcdPlainSector = {0, 4, 23, 96};
constexpr std::array<int, 4> kPcdWidth = {96, 192, 384, 768};
constexpr std::array<int, 4> kPcdHeight = {64, 128, 256, 512};

inline std::vector<std::uint8_t> makePhotoCdPack(std::uint8_t attributes, const YccPattern& pattern,
                                                 int lastResolution = 3) {
    const std::size_t end =
        kPcdPlainSector[lastResolution] * kPcdSector +
        std::size_t(kPcdWidth[lastResolution]) * kPcdHeight[lastResolution] * 3 / 2;
    std::vector<std::uint8_t> pack(end, 0);
    std::memcpy(pack.data() + kPcdSector, "PCD_IPI", 7);
    pack[0xE02] = attributes;
    for (int r = 1; r <= lastResolution; ++r) {
        const int w = kPcdWidth[r];
        std::uint8_t* block = pack.data() + kPcdPlainSector[r] * kPcdSector;
        for (int pair = 0; pair < kPcdHeight[r] / 2; ++pair, block += std::size_t(w) * 3) {
            for (int x = 0; x < w; ++x) {
                block[x] = pattern(r, x, 2 * pair).y;
                block[w + x] = pattern(r, x, 2 * pair + 1).y;
            }
            for (int x = 0; x < w / 2; ++x) {
                const YccSample chroma = pattern(r, 2 * x, 2 * pair);
                block[2 * w + x] = chroma.c1;
                block[2 * w + w / 2 + x] = chroma.c2;
            }
        }
    }
    return pack;
}

} // namespace kfm::test
