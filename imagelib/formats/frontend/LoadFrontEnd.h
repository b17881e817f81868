#pragma once
// Loading images from files, byte streams and caller callback streams.
//
// Only one load through the core loader runs at a time: a second one polls the busy flag in
// 25 ms steps, 200 times at most, and then fails. Stream loads do not take the flag. Every
// failure gives the handle 0; an image is handed out only when its codec succeeded. A file whose
// picture data is cut short or damaged still loads, as far as the data goes, and the load's
// report says so (KPXGetFramesLoadDamaged).

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "ByteStream.h"
#include "CodecContext.h"

namespace kpx {
// The context of a load: one frame, extensions read, delay 100, no loop, no transparent colour.
void prepareLoadContext(KpxCodecContext& context);
// A transparent colour that a codec found (0x01ii0000 index or 0x00BBGGRR colour) becomes the
// image's transparent list; none leaves the list alone.
void applyTransparentColor(KpxHandle image, std::uint32_t color);
// The report of the calling thread's last load: of a multi-frame load, or of a single image
// (KPXLoadImage, KPXLoadImageOffset and the previews), which the same exports give out.
KpxFramesLoadReport& lastLoadReport();
// Frame frameNumber of a file in a format already recognised (formatId), as KpxLoadImageCore
// loads it: the frames after the first of a multi-frame load skip recognising the file again.
KpxHandle loadFrameOfFormat(const char* path, std::int32_t offset, std::int32_t formatId,
                            std::int32_t frameNumber, KpxCodecContext* context);
} // namespace kpx
