#include "GlobalMemory.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

struct GlobalBlock {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    int locks = 0;
};

GlobalBlock* asBlock(HGLOBAL block) { return reinterpret_cast<GlobalBlock*>(block); }

} // namespace

HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes) {
    auto block = std::unique_ptr<GlobalBlock>(new (std::nothrow) GlobalBlock);
    if (!block)
        return nullptr;
    block->bytes.reset(new (std::nothrow) std::uint8_t[bytes ? bytes : 1]);
    if (!block->bytes)
        return nullptr;
    if (flags & GMEM_ZEROINIT)
        std::memset(block->bytes.get(), 0, bytes ? bytes : 1);
    block->size = bytes;
    return reinterpret_cast<HGLOBAL>(block.release());
}

void* GlobalLock(HGLOBAL block) {
    GlobalBlock* b = asBlock(block);
    if (!b)
        return nullptr;
    ++b->locks;
    return b->bytes.get();
}

BOOL GlobalUnlock(HGLOBAL block) {
    GlobalBlock* b = asBlock(block);
    if (!b || b->locks == 0)
        return FALSE;
    return --b->locks > 0 ? TRUE : FALSE;
}

std::size_t GlobalSize(HGLOBAL block) {
    GlobalBlock* b = asBlock(block);
    return b ? b->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    delete asBlock(block);
    return nullptr;
}
