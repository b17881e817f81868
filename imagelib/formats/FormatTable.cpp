#include "FormatTable.h"

#include "resources/ResourceLibrary.h"

#include <cstring>
#include <mutex>

namespace {

constexpr KpxStaticFormatRow kRows[kKpxFormatRowCount] = {
    {".pcx", 10, 8107},  {".gif", 20, 8108}, {".tif", 30, 8109},  {".bmp", 40, 8110},
    {".dib", 40, 8111},  {".rle", 40, 8112}, {".wpg", 50, 8113},  {".ico", 60, 8114},
    {".mac", 70, 8115},  {".tga", 80, 8116}, {".jpg", 90, 8117},  {".jpeg", 90, 8118},
    {".png", 100, 8119}, {".bmi", 110, 8120}, {".pcd", 120, 8121},
};

KpxFormatEntry runtimeRows[kKpxFormatRowCount] = {};

} // namespace

namespace kpx {

const KpxStaticFormatRow* staticFormatRows() { return kRows; }

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

const KpxFormatEntry* runtimeFormatTable() { return runtimeRows; }

} // namespace kpx
