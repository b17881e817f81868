#pragma once
// A blank frame: an 8-bit picture on the image library's fine palette, filled with one entry
// whose colour is the one chosen, that entry transparent when asked.

#include "FrameObject.h"

#include <memory>

namespace kfm::model {

struct BlankFrameValues {
    int width = 1;
    int height = 1;
    COLORREF colour = 0;
    int index = 0; // 0..255
    bool transparent = false;
};

// The frame at 0, 0 with the picture's frame values; null when the size is no image size.
std::unique_ptr<CObjFrame> CreateBlankFrame(const BlankFrameValues& values);

} // namespace kfm::model
