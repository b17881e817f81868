#include "AviFile.h"

#include <cstdio>

#include "VideoModule.h"

using kfm::video::videoModule;

namespace {

// Tells once, on the error stream, why no clip can be opened.
void reportMissingModule() {
    static const bool reported = [] {
        std::fprintf(stderr, "%s\n", kfm::video::videoModuleError().c_str());
        return true;
    }();
    (void)reported;
}

// The loaded module when the handle is there; null otherwise.
template <typename Handle> const kfm::video::VideoModuleTable* moduleFor(Handle handle) {
    return handle ? videoModule() : nullptr;
}

} // namespace

void AVIFileInit() {}

void AVIFileExit() {}

HRESULT AVIFileOpenA(PAVIFILE* file, const char* path, UINT, void*) {
    if (!file)
        return AVIERR_BADPARAM;
    *file = nullptr;
    if (!path)
        return AVIERR_BADPARAM;
    const auto* module = videoModule();
    if (!module) {
        reportMissingModule();
        return REGDB_E_CLASSNOTREG;
    }
    return module->fileOpen(file, path);
}

// A handle exists only when the module gave it; calls without a handle (or, in tests that take
// the module away, without a module) answer as for a bad argument.

HRESULT AVIFileInfoA(PAVIFILE file, AVIFILEINFOA* info, LONG size) {
    const auto* module = moduleFor(file);
    return module ? module->fileInfo(file, info, size) : AVIERR_BADPARAM;
}

HRESULT AVIFileGetStream(PAVIFILE file, PAVISTREAM* stream, DWORD type, LONG index) {
    const auto* module = moduleFor(file);
    if (!module) {
        if (stream)
            *stream = nullptr;
        return AVIERR_BADPARAM;
    }
    return module->fileGetStream(file, stream, type, index);
}

ULONG AVIFileRelease(PAVIFILE file) {
    const auto* module = moduleFor(file);
    return module ? module->fileRelease(file) : 0;
}

HRESULT AVIStreamInfoA(PAVISTREAM stream, AVISTREAMINFOA* info, LONG size) {
    const auto* module = moduleFor(stream);
    return module ? module->streamInfo(stream, info, size) : AVIERR_BADPARAM;
}

LONG AVIStreamStart(PAVISTREAM stream) {
    const auto* module = moduleFor(stream);
    return module ? module->streamStart(stream) : -1;
}

LONG AVIStreamLength(PAVISTREAM stream) {
    const auto* module = moduleFor(stream);
    return module ? module->streamLength(stream) : -1;
}

ULONG AVIStreamRelease(PAVISTREAM stream) {
    const auto* module = moduleFor(stream);
    return module ? module->streamRelease(stream) : 0;
}

PGETFRAME AVIStreamGetFrameOpen(PAVISTREAM stream, const BITMAPINFOHEADER* wanted) {
    const auto* module = moduleFor(stream);
    return module ? module->getFrameOpen(stream, wanted) : nullptr;
}

void* AVIStreamGetFrame(PGETFRAME frames, LONG position) {
    const auto* module = moduleFor(frames);
    return module ? module->getFrame(frames, position) : nullptr;
}

HRESULT AVIStreamGetFrameClose(PGETFRAME frames) {
    const auto* module = moduleFor(frames);
    return module ? module->getFrameClose(frames) : AVIERR_OK;
}

namespace kfm::video {

std::int64_t decodedPictureCount(PGETFRAME frames) {
    const auto* module = moduleFor(frames);
    return module ? module->decodedPictureCount(frames) : 0;
}

} // namespace kfm::video
