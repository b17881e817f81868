// Fuzz target of the program's picture archive ("kfmimgs.dat", beside the program where anyone
// may replace it): the first input byte picks the picture index, the rest is the archive. The
// header must read within its bytes, the load must not touch memory outside the file, and a
// header that names no picture must give none.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "ImageArchive.h"
#include "MemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file("image-archive");
    if (size == 0)
        return 0;
    const int index = static_cast<int>(data[0]) - 8; // some negative indices too
    const std::span<const std::uint8_t> archive(data + 1, size - 1);
    const char* path = file.write(archive);
    if (!path)
        return 0;
    const auto offset = kfm::shell::ArchivePictureOffset(archive, index);
    const KpxHandle image = kfm::shell::LoadArchiveImageFrom(path, index);
    if (image && (!offset || *offset >= archive.size()))
        std::abort();
    if (image && (KPXWidth(image) <= 0 || KPXHeight(image) <= 0))
        std::abort();
    KPXDeleteImage(image);
    return 0;
}
