#include "RowCallbacks.h"

#include "ImageCreation.h"
#include "PackedRows.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// Each thread has its own layout: a load or save sets it up and runs its codec on the calling
// thread, so a save never copies rows sized by a load on another thread. The keep-loading flag
// stays process-wide, since a break request comes from another thread.
thread_local KpxRowLayout rowLayout;
std::atomic<int> keepLoading{0};
std::atomic<int> breakLock{0};

// Where row `index` (counted from the top) lives in the bottom-up image, or null.
std::uint8_t* imageRow(int index) {
    if (index < 0 || index >= rowLayout.rows || !rowLayout.bits)
        return nullptr;
    const auto stored = static_cast<std::size_t>(rowLayout.rows - 1 - index);
    return rowLayout.bits + stored * rowLayout.rowBytes;
}

} // namespace

void KpxSetupRowLayout(const KpxCodecContext* context) {
    rowLayout = KpxRowLayout{};
    if (!context)
        return;
    int bits = context->rowBitsPerPixel > 0 ? context->rowBitsPerPixel : context->bitsPerPixel;
    // Zero or less describes 32-bit rows, as does anything above 24.
    if (bits <= 0)
        bits = 32;
    rowLayout.depth = KpxNormalizeBitCount(bits);
    rowLayout.rowBytes = KpxScanBytes(context->width, rowLayout.depth);
    rowLayout.rows = context->height > 0 ? context->height : 0;
}

void KpxSetRowBits(std::uint8_t* bits) {
    rowLayout.bits = bits;
}

KpxRowLayout KpxGetRowLayout() {
    return rowLayout;
}

int KpxStoreRow(std::uint8_t* row, int index) {
    std::uint8_t* target = imageRow(index);
    if (!target || !row)
        return kKpxStopped;
    std::memcpy(target, row, rowLayout.rowBytes);
    return keepLoading.load() ? 0 : kKpxStopped;
}

int KpxFetchRow(std::uint8_t* row, int index) {
    const std::uint8_t* source = imageRow(index);
    if (!source || !row)
        return kKpxStopped;
    std::memcpy(row, source, rowLayout.rowBytes);
    return 0;
}

void KpxSetKeepLoading(int value) {
    keepLoading = value;
}
int KpxKeepLoading() {
    return keepLoading.load();
}

int KPXBreakLoad() {
    if (breakLock.load() != 0)
        return 0;
    keepLoading = 0;
    return 1;
}

int KPXLockBreakLoad(int value) {
    breakLock = value;
    return 1;
}

std::uint32_t KpxScanBytes(int width, int bits) {
    return kpx::dibRowBytes(width, bits);
}

int KpxNormalizeBitCount(int bits) {
    return KpxNormalizeDepth(bits);
}

int KpxColorTableSize(int bits) {
    if (bits < 2)
        return 2;
    if (bits <= 4)
        return 16;
    if (bits <= 8)
        return 256;
    return 0;
}

int KpxAbsDifference(int a, int b) {
    return a > b ? a - b : b - a;
}
int KpxAbsDifference2(int, int a, int, int b) {
    return KpxAbsDifference(a, b);
}
