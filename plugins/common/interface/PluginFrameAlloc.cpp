#include "PluginInterface.h"

#include <climits>
#include <cstdlib>

namespace {

// Row length in bytes of `bits` per pixel, raised to a multiple of 4; -1 when it does not fit.
long long rowLength(int width, int bits) {
    const long long bytes = (static_cast<long long>(width) * bits + 31) / 32 * 4;
    return bytes <= INT_MAX ? bytes : -1;
}

// A buffer of rows x height bytes; null for sizes that are no picture.
void* allocateRows(long long row, int width, int height) {
    if (width < 1 || height < 1 || row < 0)
        return nullptr;
    const auto bytes = static_cast<unsigned long long>(row) * static_cast<unsigned>(height);
    if (bytes > static_cast<unsigned long long>(PTRDIFF_MAX))
        return nullptr;
    return std::malloc(static_cast<std::size_t>(bytes));
}

void describe(BITMAP& bitmap, int width, int height, long long row, int bits) {
    bitmap.bmType = 0;
    bitmap.bmWidth = width;
    bitmap.bmHeight = height;
    bitmap.bmWidthBytes = static_cast<LONG>(row < 0 ? 0 : row);
    bitmap.bmPlanes = 1;
    bitmap.bmBitsPixel = static_cast<WORD>(bits);
}

} // namespace

extern "C" {

int AllocPluginFrame(PluginFrame* frame, int width, int height, int imageBits, int maskBits) {
    if (!frame)
        return 0;
    int result = 1;
    if (imageBits != 8 && imageBits != 24) {
        result = 0;
        imageBits = 8;
    }
    if (maskBits != 0 && maskBits != 1 && maskBits != 8)
        return 0;

    std::free(frame->palette);
    frame->palette = nullptr;
    std::free(frame->image.bmBits);
    frame->image.bmBits = nullptr;
    if (imageBits == 8) {
        frame->palette = static_cast<PALETTEENTRY*>(std::malloc(kPluginPaletteBytes));
        if (!frame->palette)
            return 0;
    }
    frame->delay = kPluginDefaultDelay;
    frame->transparentIndex = -1;

    // Whole bytes per pixel, so the row is bytes x width raised to a multiple of 4.
    const long long row = rowLength(width, imageBits);
    describe(frame->image, width, height, row, imageBits);
    frame->image.bmBits = allocateRows(row, width, height);
    if (!frame->image.bmBits)
        return 0;

    if (maskBits != 0) {
        std::free(frame->mask.bmBits);
        const long long maskRow = rowLength(width, maskBits);
        describe(frame->mask, width, height, maskRow, maskBits);
        frame->mask.bmBits = allocateRows(maskRow, width, height);
        if (!frame->mask.bmBits)
            return 0;
    }
    frame->left = 0;
    frame->top = 0;
    frame->disposal = 0;
    return result;
}

void FreePluginFrameBuffers(PluginFrame* frame) {
    if (!frame)
        return;
    std::free(frame->mask.bmBits);
    frame->mask.bmBits = nullptr;
    std::free(frame->image.bmBits);
    frame->image.bmBits = nullptr;
    std::free(frame->palette);
    frame->palette = nullptr;
}

int FreePluginResult(PluginResult* result) {
    if (!result)
        return 1;
    if (result->frames) {
        for (int i = 0; i < result->count; ++i)
            FreePluginFrameBuffers(&result->frames[i]);
        std::free(result->frames);
    }
    std::free(result);
    return 1;
}

} // extern "C"
