#pragma once
// Frame chains: an animation inside the library is a chain of images linked by their next-frame
// handles, each carrying its GIF attributes (position, delay, disposal, name, comment, object
// records, transparency). FrameInfo and AnimateInfo (in Bitra5.h) carry them across the
// interface.

#include "Bitra5.h"
#include "ImageRecord.h"

namespace kpx {
// Frame n of the chain, walking next-frame links; with clampToLast a short chain gives its last
// frame, otherwise 0. 0 when a link cannot be locked.
KpxHandle chainFrame(KpxHandle chain, int n, bool clampToLast);
} // namespace kpx
