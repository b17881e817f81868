#pragma once
// An enhanced metafile: an immutable EMF byte stream (the bytes that GIF blocks, the clipboard
// and files carry). Copies share the bytes. An HENHMETAFILE points to one of these objects.

#include <cstdint>
#include <memory>
#include <vector>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::metafile {

class KFM_PLATFORM_API EnhMetafile {
public:
    explicit EnhMetafile(std::vector<std::uint8_t> bytes);

    const std::vector<std::uint8_t>& bytes() const { return *bytes_; }
    std::size_t size() const { return bytes_->size(); }
    // True when the stream starts with an EMR_HEADER record carrying the " EMF" signature.
    bool hasValidHeader() const;

private:
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
};

} // namespace kfm::metafile

// Makes a metafile from EMF bytes; null when they do not hold a valid header.
extern "C" KFM_PLATFORM_API HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
// Copies the EMF bytes into data (when not null and large enough); returns the size.
extern "C" KFM_PLATFORM_API UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data);
// A copy of the metafile (the path argument of the platform function is not supported: null).
extern "C" KFM_PLATFORM_API HENHMETAFILE CopyEnhMetaFileA(HENHMETAFILE metafile, const char* path);
extern "C" KFM_PLATFORM_API BOOL DeleteEnhMetaFile(HENHMETAFILE metafile);
// Plays the metafile into the DC, its picture frame mapped onto rect (logical units, both
// corners inclusive). FALSE for a null argument, an empty rectangle, a DC without a drawable
// surface, bytes that are not a metafile, or a record chain that breaks off (what comes before
// the damage is drawn).
extern "C" KFM_PLATFORM_API BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RECT* rect);
