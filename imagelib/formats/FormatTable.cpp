#include "FormatTable.h"

#include "Bitra5ResourceIds.h"
#include "FormatId.h"
#include "LibraryShared.h"
#include "resources/ResourceLibrary.h"

#include <cstring>
#include <mutex>

namespace {

constexpr KpxStaticFormatRow kRows[kKpxFormatRowCount] = {
    {".pcx", formatNumber(FormatId::Pcx), bitra5res::IDS_FORMAT_PCX},
    {".gif", formatNumber(FormatId::Gif), bitra5res::IDS_FORMAT_GIF},
    {".tif", formatNumber(FormatId::Tiff), bitra5res::IDS_FORMAT_TIF},
    {".bmp", formatNumber(FormatId::Bmp), bitra5res::IDS_FORMAT_BMP},
    {".dib", formatNumber(FormatId::Bmp), bitra5res::IDS_FORMAT_DIB},
    {".rle", formatNumber(FormatId::Bmp), bitra5res::IDS_FORMAT_RLE},
    {".wpg", formatNumber(FormatId::Wpg), bitra5res::IDS_FORMAT_WPG},
    {".ico", formatNumber(FormatId::Ico), bitra5res::IDS_FORMAT_ICO},
    {".mac", formatNumber(FormatId::MacPaint), bitra5res::IDS_FORMAT_MAC},
    {".tga", formatNumber(FormatId::Targa), bitra5res::IDS_FORMAT_TGA},
    {".jpg", formatNumber(FormatId::Jpeg), bitra5res::IDS_FORMAT_JPG},
    {".jpeg", formatNumber(FormatId::Jpeg), bitra5res::IDS_FORMAT_JPEG},
    {".png", formatNumber(FormatId::Png), bitra5res::IDS_FORMAT_PNG},
    {".bmi", formatNumber(FormatId::Bmi), bitra5res::IDS_FORMAT_BMI},
    {".pcd", formatNumber(FormatId::PhotoCd), bitra5res::IDS_FORMAT_PCD},
};

KpxFormatEntry runtimeRows[kKpxFormatRowCount] = {};

// The rows offered for writing, as indexes into the table.
constexpr int kExportRows[kKpxExportFormatCount] = {0, 1, 2, 3, 6, 9, 10, 12, 13};

constexpr int kGifNoticeMax = 2047;

} // namespace

namespace kpx {

const KpxStaticFormatRow* staticFormatRows() {
    return kRows;
}

void buildRuntimeFormatTable(HINSTANCE resources) {
    for (int i = 0; i < kKpxFormatRowCount; ++i) {
        KpxFormatEntry& entry = runtimeRows[i];
        std::memset(&entry, 0, sizeof entry);
        std::strncpy(entry.extension, kRows[i].extension, sizeof entry.extension);
        entry.formatId = kRows[i].formatId;
        char name[260] = {};
        LoadStringA(resources, kRows[i].nameId, name, sizeof name);
        // At most 51 characters and the terminating zero.
        std::strncpy(entry.name, name, sizeof entry.name - 1);
    }
}

const KpxFormatEntry* runtimeFormatTable() {
    return runtimeRows;
}

} // namespace kpx

int KPXCountImportFormats() {
    return kKpxFormatRowCount;
}
int KPXCountExportFormats() {
    return kKpxExportFormatCount;
}

int KPXEnumerateImportFormats(int index, KpxFormatEntry* entry) {
    if (index < 0 || index >= kKpxFormatRowCount || !entry)
        return 0;
    *entry = runtimeRows[index];
    return 1;
}

int KPXEnumerateExportFormats(int index, KpxFormatEntry* entry) {
    if (index < 0 || index >= kKpxExportFormatCount || !entry)
        return 0;
    *entry = runtimeRows[kExportRows[index]];
    return 1;
}

int KPXGetFormatName(int formatId, KpxFormatEntry* entry) {
    if (formatId < 10 || formatId > 999 || !entry)
        return 0;
    for (const KpxFormatEntry& row : runtimeRows) {
        if (row.formatId == formatId) {
            *entry = row;
            return 1;
        }
    }
    return 0;
}

int KPXSupportGifLicenseText(char* buffer, int length) {
    char text[kGifNoticeMax + 1] = {};
    LoadStringA(kpx::resourceInstance(), bitra5res::IDS_GIF_NOTICE, text, sizeof text);
    if (length >= 1 && length <= kGifNoticeMax)
        text[length - 1] = '\0';
    // A length above the limit names a buffer large enough for the whole text; a length of 0 or
    // less names no room at all, so nothing is copied.
    if (buffer && length > 0)
        std::memcpy(buffer, text, std::strlen(text) + 1);
    return 1;
}
