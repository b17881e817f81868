// Build tool: packs the program's pictures into its archive "kfmimgs.dat".
// Usage: MakeImageArchive <archive> <picture 0> [<picture 1> ...]

#include "ImageArchiveFormat.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

bool readFile(const char* path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !bytes.empty();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <archive> <picture>...\n", argv[0]);
        return 2;
    }
    std::vector<std::vector<std::uint8_t>> pictures;
    for (int i = 2; i < argc; ++i) {
        pictures.emplace_back();
        if (!readFile(argv[i], pictures.back())) {
            std::fprintf(stderr, "cannot read the picture %s\n", argv[i]);
            return 1;
        }
    }
    const auto archive = kfm::shell::BuildImageArchive(pictures);
    if (!archive) {
        std::fprintf(stderr, "too many pictures for one archive\n");
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(archive->data()),
              static_cast<std::streamsize>(archive->size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
