// The exported tables of the editor's resource library.

#include "Kfm5Resources.h"

#include <vector>

namespace {

std::vector<KfmBinaryResource> allBinaries() {
    std::vector<KfmBinaryResource> all;
    for (auto part : {kfm5TextResources, kfm5BitmapResources, kfm5AboutResources}) {
        std::uint32_t count = 0;
        const KfmBinaryResource* entries = part(&count);
        all.insert(all.end(), entries, entries + count);
    }
    return all;
}

std::vector<KfmStringResource> allStrings() {
    std::vector<KfmStringResource> all;
    for (auto part :
         {kfm5StringTable, kfm5AboutStrings, kfm5UpdateStrings, kfm5FileDialogStrings}) {
        std::uint32_t count = 0;
        const KfmStringResource* entries = part(&count);
        all.insert(all.end(), entries, entries + count);
    }
    return all;
}

} // namespace

KFM_RESOURCE_EXPORT const KfmResourceTables* KfmGetResourceTables() {
    static const std::vector<KfmBinaryResource> binaries = allBinaries();
    static const std::vector<KfmStringResource> strings = allStrings();
    static const KfmResourceTables tables{kKfmResourceTablesVersion,
                                          strings.data(),
                                          static_cast<std::uint32_t>(strings.size()),
                                          binaries.data(),
                                          static_cast<std::uint32_t>(binaries.size()),
                                          1252};
    return &tables;
}
