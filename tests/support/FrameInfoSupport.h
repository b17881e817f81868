#pragma once
// Frame information read back from the library in tests: the names and object records it hands
// out belong to the caller.

#include "FrameChain.h"

#include <cstdlib>

namespace kfm::test {

// Frees what KPXGetImageFramesInfo gave into info and clears it.
inline void freeFrameInfo(FrameInfo& info) {
    std::free(info.name);
    std::free(info.comment);
    delete info.textObject;
    delete info.controlObject;
    delete info.vectorObject;
    delete info.npImageObject;
    info = FrameInfo{};
}

} // namespace kfm::test
