#include "LibraryFrameFiles.h"

#include "Kfm5ResourceIds.h"

#include "Bitra5.h"
#include "ProgramState.h"

#include <cstdint>

namespace {

// Frame by frame, fewest code bits per frame, and the writer's option 4.
constexpr std::int32_t kDocumentSaveFlags = kKpxSaveFewestCodeBits | kKpxSaveFrameByFrame | 0x4;
constexpr std::int32_t kDocumentSaveOption2 = 70;

int escapeAfterFrame(KpxHandle first, int index, void* window) {
    return IsEscapePressed(first, index, static_cast<HWND>(window));
}

} // namespace

KpxHandle LoadImageFramesWithProgress(const char* path, HWND window) {
    return KPXLoadImageFramesOffset(path, 0, escapeAfterFrame, window);
}

int SaveImageFramesWithProgress(KpxHandle chain, const char* path, HWND window) {
    // The library writes into a temporary file that replaces the target only when complete.
    return static_cast<std::int16_t>(KPXSaveImageFrames(chain, path, formatNumber(FormatId::Gif),
                                                        kDocumentSaveFlags, kDocumentSaveOption2,
                                                        escapeAfterFrame, window));
}

UINT SaveFailureMessage(UINT otherwise) {
    return KPXGetLastSaveResult() == kKpxSaveNotWritable ? kfm5res::IDS_SAVE_NOT_WRITABLE
                                                         : otherwise;
}
