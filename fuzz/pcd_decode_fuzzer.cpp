// Fuzz target of the Photo CD image pack reader. The input is the start of a pack; its first
// byte also says how far the pack goes on (that many 4096-byte steps, filled by repeating the
// input), so a short input can still reach the plain resolutions at their fixed sectors, cut
// anywhere. Every resolution is decoded in the output its second byte chooses: each decode
// either fails with a status and no picture, or gives a picture of the size the pack reports
// with rows of its stride.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "photocd/PhotoCd.h"

namespace {

namespace pcd = kfm::photocd;

constexpr std::size_t kStep = 4096;

std::vector<std::uint8_t> packOf(std::span<const std::uint8_t> input) {
    std::vector<std::uint8_t> pack(input.begin(), input.end());
    const std::size_t extra = input.empty() ? 0 : input[0] * kStep;
    for (std::size_t i = 0; i < extra; ++i)
        pack.push_back(input[i % input.size()]);
    return pack;
}

void checkPicture(const pcd::ImagePack& pack, int resolution, const pcd::Picture& picture,
                  pcd::Output output) {
    const pcd::Size size = pack.size(resolution);
    const int bytes = output == pcd::Output::Colour24 ? 3 : 1;
    if (picture.width != size.width || picture.height != size.height ||
        picture.bitsPerPixel != bytes * 8 ||
        picture.rowBytes < static_cast<std::uint32_t>(picture.width * bytes) ||
        picture.pixels.size() != std::size_t{picture.rowBytes} * picture.height)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes = packOf(std::span(data, size));
    std::unique_ptr<pcd::ImagePack> pack;
    if (pcd::ImagePack::openBytes(bytes, pack) != pcd::Status::Ok) {
        if (pack)
            std::abort();
        return 0;
    }
    constexpr pcd::Output kOutputs[] = {pcd::Output::Colour24, pcd::Output::Palette8,
                                        pcd::Output::Grey8};
    const pcd::Output output = kOutputs[size > 1 ? data[1] % 3 : 0];
    for (int resolution = -1; resolution <= pcd::kResolutionCount; ++resolution) {
        pcd::Picture picture;
        if (pack->decode(resolution, output, picture) == pcd::Status::Ok)
            checkPicture(*pack, resolution, picture, output);
        else if (!picture.pixels.empty())
            std::abort();
    }
    return 0;
}
