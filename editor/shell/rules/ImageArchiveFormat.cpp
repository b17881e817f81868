#include "ImageArchiveFormat.h"

#include <algorithm>
#include <cstring>

namespace kfm::shell {

namespace {

constexpr std::size_t kFormatOffset = 68;
constexpr std::size_t kCountOffset = 72;
constexpr std::size_t kOffsetsOffset = 76;
constexpr char kMagic[4] = {'K', 'D', 'A', 'T'};
// What fills the 64 bytes the program does not read.
constexpr char kDescription[] = "Keldo Flimmer 5 pictures";

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void writeU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

std::optional<std::uint32_t> ArchivePictureOffset(std::span<const std::uint8_t> header, int index) {
    if (header.size() < kArchiveHeaderSize || index < 0)
        return std::nullopt;
    if (!std::equal(std::begin(kMagic), std::end(kMagic), header.begin()))
        return std::nullopt;
    if (readU32(header, kFormatOffset) != kArchiveFormat)
        return std::nullopt;
    // Only 100 offsets exist, whatever the count says.
    const std::uint32_t count = std::min(readU32(header, kCountOffset), kArchiveMaxPictures);
    if (static_cast<std::uint32_t>(index) >= count)
        return std::nullopt;
    return readU32(header, kOffsetsOffset + 4 * static_cast<std::size_t>(index));
}

std::optional<std::vector<std::uint8_t>>
BuildImageArchive(const std::vector<std::vector<std::uint8_t>>& pictures) {
    if (pictures.size() > kArchiveMaxPictures)
        return std::nullopt;
    std::vector<std::uint8_t> archive(kArchiveHeaderSize, 0);
    std::memcpy(archive.data(), kMagic, sizeof kMagic);
    std::memcpy(archive.data() + sizeof kMagic, kDescription, sizeof kDescription);
    writeU32(archive, kFormatOffset, kArchiveFormat);
    writeU32(archive, kCountOffset, static_cast<std::uint32_t>(pictures.size()));
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        if (archive.size() + pictures[i].size() > UINT32_MAX)
            return std::nullopt;
        writeU32(archive, kOffsetsOffset + 4 * i, static_cast<std::uint32_t>(archive.size()));
        archive.insert(archive.end(), pictures[i].begin(), pictures[i].end());
    }
    return archive;
}

} // namespace kfm::shell
