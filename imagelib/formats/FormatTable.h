#pragma once
// The raster formats the library reads and writes: the static rows and the runtime table whose
// names come from the resource library.

#include <cstdint>

#include "Bitra5Api.h"

// One row of the runtime format table, handed out by value (64 bytes).
struct KpxFormatEntry {
    char extension[8]; // with the leading dot, NUL-padded
    std::int32_t formatId;
    char name[52]; // NUL-terminated
};
static_assert(sizeof(KpxFormatEntry) == 64);

struct KpxStaticFormatRow {
    const char* extension;
    std::int32_t formatId;
    unsigned nameId;
};

constexpr int kKpxFormatRowCount = 15;
constexpr int kKpxExportFormatCount = 9;

BITRA5_API int KPXCountImportFormats();
BITRA5_API int KPXCountExportFormats();
// Copies the index-th import (all rows) or export row; returns 1, or 0 for an index out of range.
BITRA5_API int KPXEnumerateImportFormats(int index, KpxFormatEntry* entry);
BITRA5_API int KPXEnumerateExportFormats(int index, KpxFormatEntry* entry);
// Copies the first row of a raster format id (10..999); returns 1, or 0 when there is none.
BITRA5_API int KPXGetFormatName(int formatId, KpxFormatEntry* entry);
// The library's notice text for the GIF format. A length of 1..2047 cuts the text to length - 1
// characters, a longer one copies it whole; a null buffer or a length of 0 or less copies
// nothing. Returns 1.
BITRA5_API int KPXSupportGifLicenseText(char* buffer, int length);

namespace kpx {
// The static rows in table order.
const KpxStaticFormatRow* staticFormatRows();
// Builds the runtime table, loading each row's name from the resource library.
void buildRuntimeFormatTable(HINSTANCE resources);
// The runtime rows (kKpxFormatRowCount of them).
const KpxFormatEntry* runtimeFormatTable();
} // namespace kpx
