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
constexpr const char* kKfmResourceTablesSymbol = "KfmGetResourceTables";

#define KFM_RESOURCE_EXPORT extern "C" __attribute__((visibility("default")))
