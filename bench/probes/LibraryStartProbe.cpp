// A program linking the image library that loads one picture and ends: prints 1 when the load
// succeeded and the number of shared objects the process has mapped by then.

#include "Bitra5.h"

#include <link.h>

#include <cstdio>

namespace {

int countObject(dl_phdr_info*, std::size_t, void* count) {
    ++*static_cast<int*>(count);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const KpxHandle image = KPXLoadImage(nullptr, argv[1], nullptr);
    int objects = 0;
    dl_iterate_phdr(countObject, &objects);
    std::printf("%d %d\n", image > 0 ? 1 : 0, objects);
    if (image > 0)
        KPXDeleteImage(image);
    return image > 0 ? 0 : 1;
}
