#include "LibraryStartup.h"
#include "Bitra5Testing.h"

#include "FormatTable.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LibraryPalettes.h"
#include "LibraryShared.h"
#include "MediaFormats.h"
#include "VectorFormats.h"

#include "gdi/DeviceContext.h"
#include "gdi/DrawDib.h"
#include "resources/LanguageLibrary.h"
#include "resources/ResourceLibrary.h"

#include <zlib.h>

#include <atomic>
#include <cstring>

namespace {

struct LibraryState {
    HINSTANCE moduleInstance = nullptr;
    HINSTANCE ownResourceInstance = nullptr;
    std::atomic<int> drawDibReady{0};
    char descriptions[kKpxDescriptionCount][kKpxDescriptionLength] = {};
};

LibraryState& state() {
    static LibraryState* s = new LibraryState; // lives until the library's unload
    return *s;
}

void loadDescriptionTexts() {
    LibraryState& s = state();
    for (int k = 0; k < kKpxDescriptionCount; ++k)
        LoadStringA(kpx::resourceInstance(), kKpxFirstDescriptionId + k, s.descriptions[k],
                    kKpxDescriptionLength);
}

} // namespace

HINSTANCE KpxGetResourceInstance() {
    return kpx::resourceInstance();
}
void KpxSetModuleInstance(HINSTANCE instance) {
    state().moduleInstance = instance;
}

void KpxAllocErrorSlot() {
    kpx::setErrorSlotAllocated(true);
}
void KpxFreeErrorSlot() {
    kpx::setErrorSlotAllocated(false);
}
void KpxSetLastError(int code) {
    kpx::setLastError(code);
}
int KpxGetLastErrorForTest() {
    return kpx::lastError();
}

const char* KpxGetDescriptionText(int k) {
    if (k < 0 || k >= kKpxDescriptionCount)
        return "";
    return state().descriptions[k];
}

int KPXUseVFW() {
    return state().drawDibReady.load();
}

void KpxWarmUpDrawDib() {
    // Draws a 30 x 30 24-bit picture halftoned into a 50 x 50 8-bit image through DrawDib, as
    // the drawing path does, so the first real draw finds everything set up.
    const KpxHandle target = KPXCreateImage(50, 50, 8);
    const KpxHandle source = KPXCreateImage(30, 30, 24);
    HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP previous = dc ? SelectBitmap(dc, KPXGetBitmap(target)) : nullptr;
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(source);
    const std::uint8_t* bits = KPXGetBits(source);
    HDRAWDIB drawDib = DrawDibOpen();
    if (info && bits) {
        constexpr UINT flags = DDF_HALFTONE | DDF_SAME_HDC;
        DrawDibBegin(drawDib, dc, 50, 50, &info->bmiHeader, 30, 30, flags);
        DrawDibDraw(drawDib, dc, 0, 0, 50, 50, &info->bmiHeader, bits, 0, 0, 30, 30, flags);
        DrawDibEnd(drawDib);
    }
    DrawDibClose(drawDib);
    if (previous)
        SelectBitmap(dc, previous);
    DeleteDC(dc);
    KPXDeleteImage(source);
    KPXDeleteImage(target);
    state().drawDibReady = 1;
}

void KpxInitLibrary() {
    KPXGetHPalette();
    kpx::colorCube64();
    kpx::clearBreakTable();
    KpxInitImageTable();
    state().drawDibReady = 0;
    KpxWarmUpDrawDib();
    kpx::buildRuntimeFormatTable(kpx::resourceInstance());
    kpx::buildMediaFormatTables(kpx::resourceInstance());
    kpx::initVectorFormats(kpx::resourceInstance());
    loadDescriptionTexts();
}

void KpxExitLibrary() {
    kpx::exitVectorFormats();
    KpxFreeAllImages();
}

void KpxProcessAttach(HINSTANCE instance) {
    KpxSetModuleInstance(instance);
    SetLanguageBaseModule(instance);
    HMODULE resources = nullptr;
    LoadLanguageLibrary("Bitra5Res", &resources);
    kpx::setResourceInstance(resources);
    state().ownResourceInstance = instance;
    KpxAllocErrorSlot();
    KpxInitLibrary();
}

void KpxProcessDetach() {
    KpxExitLibrary();
    KpxFreeErrorSlot();
    FreeLanguageLibrary(kpx::resourceInstance());
    kpx::setResourceInstance(nullptr);
}

int KPXcompress(std::uint8_t* dest, unsigned long* destLength, const std::uint8_t* source,
                unsigned long sourceLength) {
    return compress(dest, destLength, source, sourceLength);
}

int KPXdecompress(std::uint8_t* dest, unsigned long* destLength, const std::uint8_t* source,
                  unsigned long sourceLength) {
    return uncompress(dest, destLength, source, sourceLength);
}

// The library's entry point: start-up when the library is loaded, shutdown when unloaded.
namespace {
void libraryEntryAnchor() {}
} // namespace

__attribute__((constructor)) static void bitra5Load() {
    KpxProcessAttach(
        kfm::resources::moduleOfAddress(reinterpret_cast<const void*>(&libraryEntryAnchor)));
}

__attribute__((destructor)) static void bitra5Unload() {
    KpxProcessDetach();
}
