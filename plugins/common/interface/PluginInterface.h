#pragma once
// The contract between the editor and its effect and generator plug-ins (".kfp" files): four
// exported functions, seven plain records and one allocation routine that each side compiles in.
// Neither side links against the other; frames travel as plain bitmaps with palettes.
//
// A ".kfp" is an ELF shared object that exports KFMGetPluginInterface, KFMRunPlugin, KFMCleanUp
// and KFMGetPluginInfo by name with C linkage and default visibility. A host resolves only
// KFMGetPluginInterface and reaches the other three through the table it fills. No C++ exception
// may leave an entry point: each catches and returns 0 or null.
//
// The records keep their field order at this platform's natural sizes (x86-64); the sizes and
// offsets are asserted below. The `size` values that the two sides write stay 24 and 12, as the
// interface always had them: nobody checks them.
//
// Texts of PluginInfo are NUL-terminated UTF-8; they belong to the plug-in and stay valid while
// the library is loaded. The host copies what it keeps.
//
// Buffers: a buffer is freed by the module that allocated it. The host allocates the input
// frames and frees them after the run; the plug-in allocates its PluginResult (header and array
// separately, buffers through AllocPluginFrame) and frees it in its own KFMCleanUp, to which the
// host always passes the result back.

#include <cstddef>
#include <cstdint>

#include "types/Win32Types.h"

// One C calling convention on x86-64: nothing to say.
#define KFM_PLUGIN_CALL
// What a plug-in puts before each of its four exports.
#define KFM_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {

struct PluginInfo;
struct PluginResult;
struct PluginRunInput;
struct PluginRunContext;
struct PluginInterface;

using PluginGetInterfaceProc = int(KFM_PLUGIN_CALL*)(PluginInterface* table);
using PluginRunProc = PluginResult*(KFM_PLUGIN_CALL*)(PluginRunInput* input,
                                                      PluginRunContext* context);
using PluginGetInfoProc = int(KFM_PLUGIN_CALL*)(PluginInfo* info);
using PluginCleanUpProc = int(KFM_PLUGIN_CALL*)(PluginResult* result);
// Reports that step `current` of `total` is done; `reserved` is 0 and nobody reads it.
using PluginProgressProc = void(KFM_PLUGIN_CALL*)(int reserved, int current, int total);

// The plug-in's entry table. The host zero-fills it and sets size and version before the call;
// the plug-in writes them again with its four entry points.
struct PluginInterface {
    std::int32_t size;
    std::int32_t version;
    PluginGetInterfaceProc pfnGetPluginInterface;
    PluginRunProc pfnRunPlugin;
    PluginGetInfoProc pfnGetPluginInfo;
    PluginCleanUpProc pfnCleanUp;
};

// The description of a plug-in. The host zero-fills it and sets version 1 before the call.
struct PluginInfo {
    std::int32_t version;
    // The command text of the plug-in menu; must not be null for the plug-in to be listed.
    const char* name;
    // The sub-menu the command is grouped under; null or empty: directly in the plug-in menu.
    const char* category;
    // Author or maker line (the host does not use it).
    const char* author;
    std::int32_t reserved1;
    // The least number of selected frames with a picture for which the command is enabled
    // (0: always enabled).
    std::int32_t minSelectedFrames;
    std::int32_t reserved2;
    std::int32_t reserved3;
};

// One frame picture. Rows are stored top row first; a 24-bit pixel is blue, green, red; an 8-bit
// pixel is a palette index.
struct PluginFrame {
    // bmType 0, bmWidthBytes a multiple of 4 (0 on return: computed by the host), bmPlanes 1,
    // bmBitsPixel 8 or 24, bmBits the rows.
    BITMAP image;
    // The optional mask: 1 or 8 bits, rows of (width x bits + 31) / 32 x 4 bytes; bmBits null
    // when there is none. In input records an 8-bit mask holds the frame's transparency as the
    // image library keeps it (255 fully transparent, 0 opaque); in returned records 255 is
    // opaque and 0 transparent. A returned 1-bit mask has bit 1 for opaque pixels.
    BITMAP mask;
    // 256 entries red, green, blue, 0 for 8-bit images; null for 24-bit ones.
    PALETTEENTRY* palette;
    // Palette index that is transparent, -1 for none (8-bit images only).
    std::int32_t transparentIndex;
    // Position of the source frame in the animation (input records only).
    std::int32_t frameIndex;
    std::int32_t left;
    std::int32_t top;
    // Hundredths of a second; default 100.
    std::int32_t delay;
    // GIF disposal method 0 to 3.
    std::int32_t disposal;
};

// What the host passes to a run.
struct PluginRunInput {
    // The animation's logical screen.
    std::int32_t width;
    std::int32_t height;
    // The animation's background colour.
    COLORREF background;
    // Number of selected frames that have a picture.
    std::int32_t count;
    // The selected frames in order, each as an 8-bit picture.
    PluginFrame* frames;
    // The same frames in which only frameIndex is set (every buffer pointer null).
    PluginFrame* frameSlots;
};

struct PluginRunContext {
    std::int32_t size;
    std::int32_t reserved;
    PluginProgressProc progress;
};

// The frames a run returns; allocated by the plug-in and freed by its KFMCleanUp.
struct PluginResult {
    std::int32_t count;
    PluginFrame* frames;
};

// Allocates the buffers of a record for a picture of width x height with 8 or 24 image bits and
// 0, 1 or 8 mask bits (0 leaves the mask as it is), freeing the record's previous image and
// palette (and mask, when a new one is made). A record's three buffer pointers must be null or
// valid before its first allocation. Sets delay 100, transparentIndex -1, left, top and disposal
// 0; never touches frameIndex. Returns 1; 0 for a null record, a mask depth other than 0, 1 or 8
// (nothing changed), a failed allocation (what was allocated stays in the record), or an image
// depth other than 8 or 24 (the record is then complete with 8 bits and a palette).
int AllocPluginFrame(PluginFrame* frame, int width, int height, int imageBits, int maskBits);

// Frees the record's mask, image and palette (each when not null) and nulls the pointers.
void FreePluginFrameBuffers(PluginFrame* frame);

// What a plug-in's KFMCleanUp does with its result: frees every record's buffers, the array and
// the header. Returns 1, also for null.
int FreePluginResult(PluginResult* result);

} // extern "C"

// The values the two sides write, and the names of the exports.
constexpr std::int32_t kPluginInterfaceSize = 24;
constexpr std::int32_t kPluginInterfaceVersion = 1;
constexpr std::int32_t kPluginInfoVersion = 1;
constexpr std::int32_t kPluginRunContextSize = 12;
constexpr std::int32_t kPluginPaletteBytes = 256 * 4;
constexpr std::int32_t kPluginDefaultDelay = 100;
constexpr const char* kPluginGetInterfaceName = "KFMGetPluginInterface";
constexpr const char* kPluginRunName = "KFMRunPlugin";
constexpr const char* kPluginCleanUpName = "KFMCleanUp";
constexpr const char* kPluginGetInfoName = "KFMGetPluginInfo";

// A plug-in's answer to KFMGetPluginInterface: size, version and its four entry points; 0 for a
// null table.
inline int WritePluginInterface(PluginInterface* table, PluginGetInterfaceProc getInterface,
                                PluginRunProc run, PluginGetInfoProc getInfo,
                                PluginCleanUpProc cleanUp) {
    if (!table)
        return 0;
    table->size = kPluginInterfaceSize;
    table->version = kPluginInterfaceVersion;
    table->pfnGetPluginInterface = getInterface;
    table->pfnRunPlugin = run;
    table->pfnGetPluginInfo = getInfo;
    table->pfnCleanUp = cleanUp;
    return 1;
}

// The layouts at x86-64's natural sizes.
static_assert(sizeof(BITMAP) == 32);
static_assert(sizeof(PluginInterface) == 40);
static_assert(offsetof(PluginInterface, pfnGetPluginInterface) == 8);
static_assert(offsetof(PluginInterface, pfnCleanUp) == 32);
static_assert(sizeof(PluginInfo) == 48);
static_assert(offsetof(PluginInfo, name) == 8);
static_assert(offsetof(PluginInfo, category) == 16);
static_assert(offsetof(PluginInfo, author) == 24);
static_assert(offsetof(PluginInfo, reserved1) == 32);
static_assert(offsetof(PluginInfo, minSelectedFrames) == 36);
static_assert(offsetof(PluginInfo, reserved3) == 44);
static_assert(sizeof(PluginFrame) == 96);
static_assert(offsetof(PluginFrame, mask) == 32);
static_assert(offsetof(PluginFrame, palette) == 64);
static_assert(offsetof(PluginFrame, transparentIndex) == 72);
static_assert(offsetof(PluginFrame, frameIndex) == 76);
static_assert(offsetof(PluginFrame, left) == 80);
static_assert(offsetof(PluginFrame, top) == 84);
static_assert(offsetof(PluginFrame, delay) == 88);
static_assert(offsetof(PluginFrame, disposal) == 92);
static_assert(sizeof(PluginRunInput) == 32);
static_assert(offsetof(PluginRunInput, count) == 12);
static_assert(offsetof(PluginRunInput, frames) == 16);
static_assert(offsetof(PluginRunInput, frameSlots) == 24);
static_assert(sizeof(PluginRunContext) == 16);
static_assert(offsetof(PluginRunContext, progress) == 8);
static_assert(sizeof(PluginResult) == 16);
static_assert(offsetof(PluginResult, frames) == 8);
