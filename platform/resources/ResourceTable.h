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

// Version 1 tables end after binaryCount and their texts are in code page 1252; version 2 adds
// the code page of the texts, so the loader reads the field only from tables that have it.
struct KfmResourceTables {
    std::uint32_t version; // kKfmResourceTablesVersion
    const KfmStringResource* strings;
    std::uint32_t stringCount;
    const KfmBinaryResource* binaries;
    std::uint32_t binaryCount;
    // The Windows code page of the texts and text resources (1252, 1250 ...); 0 counts as 1252.
    std::uint32_t codePage;
};

using KfmGetResourceTablesProc = const KfmResourceTables* (*)();
}

constexpr std::uint32_t kKfmResourceTablesVersion = 2;
// The first version, without the code page; the loader still reads such tables.
constexpr std::uint32_t kKfmResourceTablesVersion1 = 1;
// The code page of tables that do not tell theirs.
constexpr std::uint32_t kKfmDefaultResourceCodePage = 1252;

// Types of binary resources. Menus, toolbars and accelerator tables are stored as text in the
// library's code page (their grammar is read by the program that owns them); bitmaps as PNG.
constexpr std::uint32_t RT_BITMAP = 2;
constexpr std::uint32_t RT_MENU = 4;
constexpr std::uint32_t RT_ACCELERATOR = 9;
constexpr std::uint32_t RT_TOOLBAR = 241;
constexpr const char* kKfmResourceTablesSymbol = "KfmGetResourceTables";

#define KFM_RESOURCE_EXPORT extern "C" __attribute__((visibility("default")))
