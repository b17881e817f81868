// A resource library as the first version of the table format made them: the table ends after
// its binary count and tells no code page, so its texts are read as code page 1252.

#include "resources/ResourceTable.h"

namespace {

struct FirstVersionTables {
    std::uint32_t version;
    const KfmStringResource* strings;
    std::uint32_t stringCount;
    const KfmBinaryResource* binaries;
    std::uint32_t binaryCount;
};

// "Crème brûlée" in 1252 (the same bytes read as 1250 would give "Crčme brűlée").
constexpr KfmStringResource kStrings[] = {{1, "Cr\xE8me br\xFBl\xE9"
                                              "e"}};

constexpr FirstVersionTables kTables = {kKfmResourceTablesVersion1, kStrings, 1, nullptr, 0};

} // namespace

KFM_RESOURCE_EXPORT const KfmResourceTables* KfmGetResourceTables() {
    return reinterpret_cast<const KfmResourceTables*>(&kTables);
}
