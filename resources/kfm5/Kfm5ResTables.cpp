// The exported tables of the editor's resource library.

#include "Kfm5Resources.h"

#include <vector>

namespace {

std::vector<KfmBinaryResource> allBinaries() {
    std::vector<KfmBinaryResource> all;
    for (auto part : {kfm5TextResources, kfm5BitmapResources}) {
        std::uint32_t count = 0;
        const KfmBinaryResource* entries = part(&count);
        all.insert(all.end(), entries, entries + count);
    }
    return all;
}

} // namespace

KFM_RESOURCE_EXPORT const KfmResourceTables* KfmGetResourceTables() {
    static const std::vector<KfmBinaryResource> binaries = allBinaries();
    static const KfmResourceTables tables = [] {
        KfmResourceTables t{kKfmResourceTablesVersion,
                            nullptr,
                            0,
                            binaries.data(),
                            static_cast<std::uint32_t>(binaries.size()),
                            1252};
        t.strings = kfm5StringTable(&t.stringCount);
        return t;
    }();
    return &tables;
}
