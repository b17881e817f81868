#pragma once
// A memory DC holding a bitmap for the length of a scope.

#include "gdi/DeviceContext.h"

namespace kpx {

class MemoryDC {
public:
    MemoryDC(HDC reference, HBITMAP bitmap) : dc_(CreateCompatibleDC(reference)) {
        if (dc_ && bitmap)
            previous_ = SelectBitmap(dc_, bitmap);
    }
    ~MemoryDC() {
        if (!dc_)
            return;
        if (previous_)
            SelectBitmap(dc_, previous_);
        DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    // Null when the DC could not be made or the bitmap not selected.
    HDC get() const { return previous_ ? dc_ : nullptr; }

private:
    HDC dc_;
    HBITMAP previous_ = nullptr;
};

} // namespace kpx
