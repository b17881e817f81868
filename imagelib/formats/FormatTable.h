#pragma once
// The raster formats the library reads and writes: the static rows and the runtime table whose
// names come from the resource library.

#include <cstdint>

#include "Bitra5.h"

struct KpxStaticFormatRow {
    const char* extension;
    std::int32_t formatId;
    unsigned nameId;
};

constexpr int kKpxFormatRowCount = 15;
constexpr int kKpxExportFormatCount = 9;

namespace kpx {
// The static rows in table order.
const KpxStaticFormatRow* staticFormatRows();
// Builds the runtime table, loading each row's name from the resource library.
void buildRuntimeFormatTable(HINSTANCE resources);
// The runtime rows (kKpxFormatRowCount of them).
const KpxFormatEntry* runtimeFormatTable();
} // namespace kpx
