// A program written against the image library's public folder alone: it is compiled with
// imagelib/include as its only project include path and linked with the library's file, so any
// header of that folder that reaches into the library's private folders or the platform layer
// breaks its build. Run as a test, it also makes, fills and reads an image through the exports.

#include "Bitra5.h"

#include <cstdio>

int main() {
    const KpxHandle image = KPXCreateImage(8, 4, 24);
    if (!image) {
        std::puts("KPXCreateImage failed");
        return 1;
    }
    const int filled = KPXFillImageByRGBColor(image, RGB(10, 20, 30));
    const int depth = KPXbpp(image);
    KPXDeleteImage(image);
    if (!filled || depth != 24) {
        std::printf("filled %d, depth %d\n", filled, depth);
        return 1;
    }
    return 0;
}
