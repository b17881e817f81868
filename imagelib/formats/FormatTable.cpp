#include "FormatTable.h"

#include "LibraryStartup.h"
#include "resources/ResourceLibrary.h"

#include <cstring>
#include <mutex>

namespace {

constexpr KpxStaticFormatRow kRows[kKpxFormatRowCount] = {
    {".pcx", 10, 8107},  {".gif", 20, 8108},  {".tif", 30, 8109},  {".bmp", 40, 8110},
    {".dib", 40, 8111},  {".rle", 40, 8112},  {".wpg", 50, 8113},  {".ico", 60, 8114},
    {".mac", 70, 8115},  {".tga", 80, 8116},  {".jpg", 90, 8117},  {".jpeg", 90, 8118},
    {".png", 100, 8119}, {".bmi", 110, 8120}, {".pcd", 120, 8121},
};

KpxFormatEntry runtimeRows[kKpxFormatRowCount] = {};

// The rows offered for writing, as indexes into the table.
constexpr int kExportRows[kKpxExportFormatCount] = {0, 1, 2, 3, 6, 9, 10, 12, 13};

constexpr unsigned kGifNoticeId = 8105;
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
    LoadStringA(KpxGetResourceInstance(), kGifNoticeId, text, sizeof text);
    if (length >= 1 && length <= kGifNoticeMax)
        text[length - 1] = '\0';
    // A length above the limit names a buffer large enough for the whole text; a length of 0 or
    // less names no room at all, so nothing is copied.
    if (buffer && length > 0)
        std::memcpy(buffer, text, std::strlen(text) + 1);
    return 1;
}
