#pragma once
// The layout of the program's picture archive "kfmimgs.dat" (little-endian): a 476-byte header
// (the bytes "KDAT", 64 bytes the program does not read, the format number 200, the number of
// pictures n and 100 file offsets, of which the first n count), then the pictures, each an image
// file stored whole at its offset. No widgets and no image library: the build's archive tool
// links this alone.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kfm::shell {

constexpr std::size_t kArchiveHeaderSize = 476;
constexpr std::uint32_t kArchiveFormat = 200;
constexpr std::uint32_t kArchiveMaxPictures = 100;
constexpr const char* kArchiveFileName = "kfmimgs.dat";

// The file offset of picture `index`, or nothing when the header is short, foreign ("KDAT"
// missing), of another format number, or the index is not below both n and 100.
std::optional<std::uint32_t> ArchivePictureOffset(std::span<const std::uint8_t> header, int index);

// An archive holding the pictures (image files as bytes) in order; nothing for more than 100.
std::optional<std::vector<std::uint8_t>>
BuildImageArchive(const std::vector<std::vector<std::uint8_t>>& pictures);

} // namespace kfm::shell
