#include "EnhMetafile.h"

#include "EmfPlayer.h"
#include "gdi/DeviceContext.h"

#include <QPainter>

#include <cstring>
#include <new>

namespace kfm::metafile {

EnhMetafile::EnhMetafile(std::vector<std::uint8_t> bytes)
    : bytes_(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes))) {}

bool EnhMetafile::hasValidHeader() const {
    // EMR_HEADER: type 1 at offset 0, record size at 4, signature " EMF" at offset 40.
    const auto& b = *bytes_;
    if (b.size() < 88)
        return false;
    std::uint32_t type = 0;
    std::uint32_t signature = 0;
    std::memcpy(&type, b.data(), 4);
    std::memcpy(&signature, b.data() + 40, 4);
    return type == 1 && signature == 0x464D4520u;
}

} // namespace kfm::metafile

using kfm::metafile::EnhMetafile;

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data) {
    if (!data || size == 0)
        return nullptr;
    auto* metafile = new (std::nothrow) EnhMetafile(std::vector<std::uint8_t>(data, data + size));
    if (metafile && !metafile->hasValidHeader()) {
        delete metafile;
        return nullptr;
    }
    return metafile;
}

UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data) {
    if (!metafile)
        return 0;
    const UINT n = static_cast<UINT>(metafile->size());
    if (data) {
        if (size < n)
            return 0;
        std::memcpy(data, metafile->bytes().data(), n);
    }
    return n;
}

HENHMETAFILE CopyEnhMetaFileA(HENHMETAFILE metafile, const char* path) {
    if (!metafile || path)
        return nullptr;
    return new (std::nothrow) EnhMetafile(*metafile);
}

BOOL DeleteEnhMetaFile(HENHMETAFILE metafile) {
    if (!metafile)
        return FALSE;
    delete metafile;
    return TRUE;
}

BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RECT* rect) {
    if (!dc || !metafile || !rect || rect->right < rect->left || rect->bottom < rect->top)
        return FALSE;
    const QRectF target(rect->left, rect->top, double(rect->right) - rect->left + 1,
                        double(rect->bottom) - rect->top + 1);
    auto status = kfm::metafile::EmfPlayStatus::NotEmf;
    const bool drawn = kfm::gdi::paintOnDC(dc, [&](QPainter& painter) {
        status = kfm::metafile::playEmf(metafile->bytes(), painter, target).status;
    });
    return drawn && status == kfm::metafile::EmfPlayStatus::Ok;
}
