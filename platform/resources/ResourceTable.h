#pragma once
// The tables a language resource library exports: texts by id and binary resources by type and
// id. A resource library is a shared object with one exported C function,
// KfmGetResourceTables, that returns them.

#include <cstdint>

extern "C" {

struct KfmStringResource {
    std::uint32_t id;
    const char* text; // bytes in the library's Windows code page
};

struct KfmBinaryResource {
    std::uint32_t type;
    std::uint32_t id;
    const unsigned char* data;
    std::uint32_t size;
};

struct KfmResourceTables {
    std::uint32_t version; // kKfmResourceTablesVersion
    const KfmStringResource* strings;
    std::uint32_t stringCount;
    const KfmBinaryResource* binaries;
    std::uint32_t binaryCount;
};

using KfmGetResourceTablesProc = const KfmResourceTables* (*)();
}

constexpr std::uint32_t kKfmResourceTablesVersion = 1;

// Types of binary resources. Menus, toolbars and accelerator tables are stored as text in the
// library's code page (their grammar is read by the program that owns them); bitmaps as PNG.
constexpr std::uint32_t RT_BITMAP = 2;
constexpr std::uint32_t RT_MENU = 4;
constexpr std::uint32_t RT_ACCELERATOR = 9;
constexpr std::uint32_t RT_TOOLBAR = 241;
constexpr const char* kKfmResourceTablesSymbol = "KfmGetResourceTables";

#define KFM_RESOURCE_EXPORT extern "C" __attribute__((visibility("default")))
