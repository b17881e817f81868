#include "MetafileLoading.h"

#include "metafile/EmfPlayer.h"
#include "metafile/EnhMetafile.h"
#include "metafile/WinMetafile.h"
#include "metafile/WmfToEmf.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Metafile files larger than this are refused before they are read.
constexpr std::streamoff kMaxMetafileFileBytes = std::streamoff{64} << 20;

std::vector<std::uint8_t> readWholeFile(const char* path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > kMaxMetafileFileBytes)
        return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        return {};
    return bytes;
}

bool hasWmfExtension(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string extension = path.substr(path.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".wmf";
}

} // namespace

int GetEnhMetaFileFrameSize(int* width, int* height, HENHMETAFILE metafile) {
    if (!metafile || !width || !height)
        return 0;
    const auto header = kfm::metafile::readEmfHeader(metafile->bytes());
    if (!header)
        return 0;
    *width = std::abs(header->frame.right() - header->frame.left());
    *height = std::abs(header->frame.bottom() - header->frame.top());
    return 1;
}

HENHMETAFILE ConvertWinMetaFile(HMETAFILE metafile, int left, int top, int right, int bottom) {
    const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
    if (size == 0)
        return nullptr;
    std::vector<BYTE> bits(size);
    GetMetaFileBitsEx(metafile, size, bits.data());
    const METAFILEPICT picture{MM_ANISOTROPIC, std::abs(right - left), std::abs(bottom - top),
                               nullptr};
    return SetWinMetaFileBits(size, bits.data(), nullptr, &picture);
}

int LoadMetaFile(const char* path, VectorObjectRecord* record) {
    if (!record)
        return 0;
    *record = VectorObjectRecord{};
    if (!path)
        return 0;
    const std::vector<std::uint8_t> bytes = readWholeFile(path);
    if (bytes.empty())
        return 0;
    kfm::metafile::WmfPlaceableBox box;
    HENHMETAFILE metafile = nullptr;
    if (hasWmfExtension(path)) {
        box = kfm::metafile::readPlaceableBox(bytes).value_or(kfm::metafile::WmfPlaceableBox{});
        const auto converted = kfm::metafile::convertWmfToEmf(bytes);
        // A conversion that fails is a failure even when the placeable box is not empty.
        if (converted.emf.empty())
            return 0;
        metafile =
            SetEnhMetaFileBits(static_cast<UINT>(converted.emf.size()), converted.emf.data());
    } else {
        metafile = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    }
    if (!metafile)
        return 0;
    OwnedMetafile owned(metafile);
    int right = box.right;
    int bottom = box.bottom;
    if (box.right == box.left && box.bottom == box.top) {
        int width = 0, height = 0;
        if (!GetEnhMetaFileFrameSize(&width, &height, metafile))
            return 0;
        right += width;
        bottom += height;
    }
    record->sourceLeft = box.left;
    record->sourceTop = box.top;
    record->sourceRight = right;
    record->sourceBottom = bottom;
    record->unitsPerInch = box.unitsPerInch;
    record->metafile = std::move(owned);
    record->antialias = 1;
    return 1;
}
