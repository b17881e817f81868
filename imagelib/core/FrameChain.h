#pragma once
// Frame chains: an animation inside the library is a chain of images linked by their next-frame
// handles, each carrying its GIF attributes (position, delay, disposal, name, comment, object
// records, transparency). FrameInfo and AnimateInfo carry these attributes across the interface.
//
// Ownership: every pointer that the library writes into a FrameInfo or AnimateInfo is a new copy
// owned by the caller: strings are allocated with malloc (release them with free), object
// records with new (release them with delete; a record owns its strings, arrays and metafile).
// What the caller passes in is copied; the caller keeps its own.

#include "ImageRecord.h"

struct FrameInfo {
    std::int32_t width;  // output only
    std::int32_t height; // output only
    std::int32_t left;   // position on the logical screen
    std::int32_t top;
    std::int32_t delay;    // hundredths of a second
    std::int32_t disposal; // GIF disposal method 0..3
    // 0 = no single transparent index; otherwise 0x01000000 + palette index.
    std::uint32_t transparency;
    char* name;
    char* comment;
    TextObjectRecord* textObject;
    ControlObjectRecord* controlObject;
    VectorObjectRecord* vectorObject;
    NPImageObjectRecord* npImageObject;
    // Output: always 0. Input: non-zero leaves the image's transparency alone.
    std::int32_t keepTransparency;
};
// Fourteen fields in their interface order at this platform's natural sizes: seven 32-bit
// values, six pointers and one 32-bit value (56 bytes with 32-bit pointers, 88 with 64-bit).
static_assert(sizeof(FrameInfo) == (sizeof(void*) == 8 ? 88 : 56));

struct AnimateInfo {
    std::int32_t screenWidth;
    std::int32_t screenHeight;
    std::int32_t frameCount;
    std::int32_t loopCount; // -1 = no looping extension
    char* comment;
};
static_assert(sizeof(AnimateInfo) == (sizeof(void*) == 8 ? 24 : 20));

constexpr std::uint32_t kKpxTransparencyIndexFlag = 0x01000000;

// Inserts image into the chain headed by chain: position 0 makes it the new head, n >= 1 puts it
// after frame n - 1, -1 appends it. 0 for a position past the end, an image already in the chain
// or a handle that cannot be locked; the chain is then left as it was.
BITRA5_API int KPXAddImageFrame(KpxHandle chain, KpxHandle image, int position);
// Unchains every frame from chain to the end; each becomes its own first frame.
BITRA5_API int KPXSplitAllImageFrame(KpxHandle chain);
BITRA5_API short KPXGetImageFramesNum(KpxHandle chain);
// Frame n (0-based); 0 past the end.
BITRA5_API KpxHandle KPXGetImageFramesImage(KpxHandle chain, int n);
// Writes the delays of the first frames, at most max; returns how many it wrote.
BITRA5_API int KPXGetImageFramesDelay(KpxHandle chain, int* delays, int max);
// The loop count; -1 for a 0 handle or none.
BITRA5_API short KPXGetImagesRepeatCycle(KpxHandle chain);
// The stored screen size when the image has a next frame or is marked as a frame of an
// animation; otherwise the image's own size.
BITRA5_API short KPXWidthFrameScreen(KpxHandle image);
BITRA5_API short KPXHeightFrameScreen(KpxHandle image);
// The stored screen size, whatever it is.
BITRA5_API short KPXWidthFrameScreenReal(KpxHandle image);
BITRA5_API short KPXHeightFrameScreenReal(KpxHandle image);
BITRA5_API int KPXGetImageFramesInfo(KpxHandle image, FrameInfo* info);
BITRA5_API int KPXSetImageFramesInfo(KpxHandle image, const FrameInfo* info);
BITRA5_API int KPXGetAnimateInfo(KpxHandle chain, AnimateInfo* info);
BITRA5_API int KPXSetAnimateInfo(KpxHandle chain, const AnimateInfo* info);

namespace kpx {
// Frame n of the chain, walking next-frame links; with clampToLast a short chain gives its last
// frame, otherwise 0. 0 when a link cannot be locked.
KpxHandle chainFrame(KpxHandle chain, int n, bool clampToLast);
} // namespace kpx
