#pragma once
// A Windows metafile: the records of a WMF without a placeable header, as the clipboard's
// metafile pictures and the library's vector pictures hold them. An HMETAFILE points to one of
// these objects. Its pictures convert into enhanced metafiles through the WMF conversion.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::metafile {

class KFM_PLATFORM_API WinMetafile {
public:
    explicit WinMetafile(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // True when the bytes start with a Windows metafile header (memory or disk type, nine
    // header words, version 1 or 3).
    static bool hasValidHeader(std::span<const std::uint8_t> bytes);

private:
    std::vector<std::uint8_t> bytes_;
};

// A metafile picture as a WMF file other programs read: a placeable header whose box is the
// picture's size (0.01 mm extents of MM_ISOTROPIC and MM_ANISOTROPIC; units per inch chosen so
// the box fits the header) before the records; the plain records when the picture gives no
// size. Empty when the picture has no metafile.
KFM_PLATFORM_API std::vector<std::uint8_t> wmfFileOfPicture(const METAFILEPICT& picture);
// The picture of a WMF file, placeable or plain, with a new metafile the caller owns: mode
// MM_ANISOTROPIC, extents from the placeable box (0 and 0 for a plain file). Nothing when the
// bytes do not convert into an enhanced metafile.
KFM_PLATFORM_API std::optional<METAFILEPICT> pictureOfWmfFile(std::span<const std::uint8_t> file);

} // namespace kfm::metafile

// Makes a metafile from the records of a WMF (no placeable header); null when they do not start
// with a Windows metafile header.
extern "C" KFM_PLATFORM_API HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data);
// Copies the records into data (when not null and large enough); returns their size.
extern "C" KFM_PLATFORM_API UINT GetMetaFileBitsEx(HMETAFILE metafile, UINT size, void* data);
// A copy of the metafile (the path argument of the platform function is not supported: null).
extern "C" KFM_PLATFORM_API HMETAFILE CopyMetaFileA(HMETAFILE metafile, const char* path);
extern "C" KFM_PLATFORM_API BOOL DeleteMetaFile(HMETAFILE metafile);
// Converts WMF records into an enhanced metafile. A picture of MM_ISOTROPIC or MM_ANISOTROPIC
// with positive extents gives its size in 0.01 mm; otherwise the records' own window extent
// sizes it. The reference DC is not read. Null when the records do not convert.
extern "C" KFM_PLATFORM_API HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data,
                                                            HDC reference,
                                                            const METAFILEPICT* picture);
