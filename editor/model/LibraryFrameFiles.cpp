#include "LibraryFrameFiles.h"

#include "ProgramState.h"

#include <cstdint>

// The multi-frame exports, bound weakly until the GIF codec is part of the library.
extern "C" {
__attribute__((weak)) KpxHandle KPXLoadImageFramesOffset(const char* path, std::int32_t offset,
                                                         int (*progress)(KpxHandle, int, void*),
                                                         void* userData);
__attribute__((weak)) int
KPXSaveImageFrames(KpxHandle first, const char* path, std::int32_t formatId, std::int32_t flags,
                   std::int32_t option2, int (*progress)(KpxHandle, int, void*), void* userData);
}

namespace {

constexpr std::int32_t kFormatGif = 20;
// Frame by frame, fewest code bits per frame, and the writer's option 4.
constexpr std::int32_t kDocumentSaveFlags = 0x604;
constexpr std::int32_t kDocumentSaveOption2 = 70;

int escapeAfterFrame(KpxHandle first, int index, void* window) {
    return IsEscapePressed(first, index, static_cast<HWND>(window));
}

} // namespace

bool LibraryHasImageFrames() {
    return KPXLoadImageFramesOffset != nullptr && KPXSaveImageFrames != nullptr;
}

KpxHandle LoadImageFramesWithProgress(const char* path, HWND window) {
    if (!KPXLoadImageFramesOffset)
        return 0;
    return KPXLoadImageFramesOffset(path, 0, escapeAfterFrame, window);
}

int SaveImageFramesWithProgress(KpxHandle chain, const char* path, HWND window) {
    if (!KPXSaveImageFrames)
        return 0;
    return static_cast<std::int16_t>(KPXSaveImageFrames(chain, path, kFormatGif, kDocumentSaveFlags,
                                                        kDocumentSaveOption2, escapeAfterFrame,
                                                        window));
}
