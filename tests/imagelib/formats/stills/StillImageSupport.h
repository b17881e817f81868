#pragma once
// What the tests of the still-image codecs (PNG, JPEG, TIFF, Photo CD) share: a library image as
// 8-bit RGB, the peer oracle files of tests/data, Pillow's reading of a file written here, the
// size of a difference between two decodings, and images with patterns to save.

#include "Bitra5.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kfm::test {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows top to bottom, no padding
};

// The image's pixels as 8-bit RGB, through its palette for 1, 4 and 8 bits.
RgbPicture rgbOf(KpxHandle image);
std::uint32_t crc32Of(const std::vector<std::uint8_t>& bytes);

// One line of an expected-pillow.tsv: the size and CRC of the RGB pixels, or unreadable.
struct PeerExpectation {
    std::string name;
    bool readable = false;
    int width = 0;
    int height = 0;
    std::uint32_t crc = 0;
};
std::vector<PeerExpectation> readPeerExpectations(const std::filesystem::path& tsv);

// Pillow's reading of the file as 8-bit RGB (16-bit grey by its high byte); nothing when Pillow
// (/usr/bin/python3 with PIL) is not installed or cannot read the file.
std::optional<RgbPicture> pillowRead(const std::string& path);

struct Difference {
    int largest = 0;
    double mean = 0;
    double shareAbove16 = 0; // share of samples more than 16 apart
};
// How far two pictures of the same size are apart, sample by sample.
Difference differenceOf(const RgbPicture& a, const RgbPicture& b);
// Within what two baseline decoders give: mean below 2.5, under 2% of samples more than 16 apart.
bool withinJpegTolerance(const Difference& d);

// A new image of the size and depth with a pattern of every index (1, 4, 8 bits, over a palette
// of distinct colours) or of smooth colours with detail (24 and 32 bits).
KpxHandle patternImage(int width, int height, int depth);

// The file of tests/data unpacked from gzip into path; false when that fails.
bool gunzipTo(const std::filesystem::path& packed, const std::string& path);

} // namespace kfm::test
