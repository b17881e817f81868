#pragma once
// Saving images to files, byte streams and caller callback streams.
//
// A file save never costs the file that was there: the codec writes into a temporary file in
// the same folder, which replaces the target only when the whole write succeeded.

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "ByteStream.h"
#include "CodecContext.h"

namespace kpx {
// Records the result of the calling thread's save, for KPXGetLastSaveResult.
void setLastSaveResult(KpxResult result);
} // namespace kpx
