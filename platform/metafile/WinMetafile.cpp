#include "WinMetafile.h"

#include "EnhMetafile.h"
#include "PlaceableHeader.h"
#include "WmfToEmf.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kfm::metafile {

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr int kHimetricPerInch = 2540;
constexpr int kLargestBoxSide = 32767;

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

bool hasSizeInHimetric(const METAFILEPICT& picture) {
    return (picture.mm == MM_ISOTROPIC || picture.mm == MM_ANISOTROPIC) && picture.xExt > 0 &&
           picture.yExt > 0;
}

long boxSide(LONG himetric, int unitsPerInch) {
    return std::lround(double(himetric) * unitsPerInch / kHimetricPerInch);
}

// The finest units per inch (0.01 mm, halved as needed) at which the picture's box fits the
// header's 16 bits; 0 when none does.
int unitsPerInchFor(const METAFILEPICT& picture) {
    for (int units = kHimetricPerInch; units > 0; units /= 2)
        if (boxSide(picture.xExt, units) <= kLargestBoxSide &&
            boxSide(picture.yExt, units) <= kLargestBoxSide)
            return units;
    return 0;
}

LONG himetricOf(int side, int unitsPerInch) {
    return static_cast<LONG>(std::lround(double(std::abs(side)) * kHimetricPerInch / unitsPerInch));
}

} // namespace

bool WinMetafile::hasValidHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize)
        return false;
    const std::uint16_t type = u16(bytes, 0);
    const std::uint16_t version = u16(bytes, 4);
    return (type == 1 || type == 2) && u16(bytes, 2) == 9 &&
           (version == 0x0100 || version == 0x0300);
}

std::vector<std::uint8_t> wmfFileOfPicture(const METAFILEPICT& picture) {
    if (!picture.hMF)
        return {};
    const std::vector<std::uint8_t>& records = picture.hMF->bytes();
    const int units = hasSizeInHimetric(picture) ? unitsPerInchFor(picture) : 0;
    if (units == 0)
        return records;
    WmfPlaceableBox box;
    box.right = static_cast<int>(boxSide(picture.xExt, units));
    box.bottom = static_cast<int>(boxSide(picture.yExt, units));
    box.unitsPerInch = units;
    std::vector<std::uint8_t> file = placeableHeaderOf(box);
    file.insert(file.end(), records.begin(), records.end());
    return file;
}

std::optional<METAFILEPICT> pictureOfWmfFile(std::span<const std::uint8_t> file) {
    if (convertWmfToEmf(file).emf.empty())
        return std::nullopt;
    const auto box = readPlaceableBox(file);
    const auto records = box ? file.subspan(kPlaceableHeaderSize) : file;
    METAFILEPICT picture{MM_ANISOTROPIC, 0, 0, nullptr};
    picture.hMF = SetMetaFileBitsEx(static_cast<UINT>(records.size()), records.data());
    if (!picture.hMF)
        return std::nullopt;
    if (box && box->unitsPerInch > 0) {
        picture.xExt = himetricOf(box->right - box->left, box->unitsPerInch);
        picture.yExt = himetricOf(box->bottom - box->top, box->unitsPerInch);
    }
    return picture;
}

} // namespace kfm::metafile

using kfm::metafile::WinMetafile;

HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data) {
    if (!data)
        return nullptr;
    const std::span<const std::uint8_t> bytes(data, size);
    if (!WinMetafile::hasValidHeader(bytes))
        return nullptr;
    return new (std::nothrow) WinMetafile(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

UINT GetMetaFileBitsEx(HMETAFILE metafile, UINT size, void* data) {
    if (!metafile)
        return 0;
    const UINT n = static_cast<UINT>(metafile->bytes().size());
    if (data) {
        if (size < n)
            return 0;
        std::memcpy(data, metafile->bytes().data(), n);
    }
    return n;
}

HMETAFILE CopyMetaFileA(HMETAFILE metafile, const char* path) {
    if (!metafile || path)
        return nullptr;
    return new (std::nothrow) WinMetafile(*metafile);
}

BOOL DeleteMetaFile(HMETAFILE metafile) {
    if (!metafile)
        return FALSE;
    delete metafile;
    return TRUE;
}

HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC, const METAFILEPICT* picture) {
    if (!data || !WinMetafile::hasValidHeader({data, size}))
        return nullptr;
    kfm::metafile::WmfPicture sized;
    if (picture && kfm::metafile::hasSizeInHimetric(*picture)) {
        sized.mapMode = picture->mm;
        sized.widthHimetric = picture->xExt;
        sized.heightHimetric = picture->yExt;
    }
    const auto converted = kfm::metafile::convertWmfToEmf({data, size}, &sized);
    return SetEnhMetaFileBits(static_cast<UINT>(converted.emf.size()), converted.emf.data());
}
