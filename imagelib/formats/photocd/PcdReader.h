#pragma once
// Photo CD import: the info and load routines of the format table over the image pack reader of
// platform/photocd, and the resolution choice the load front end offers when a pack holds more
// than one resolution. Photo CD is import only: the save routine writes nothing.
//
// The context's disposal field carries the resolution: on entry to the info routine -1 asks for
// the default (Base), -2 for the smallest resolution the pack holds and -3 for the mask of the
// resolutions it holds; for the load it holds the chosen resolution bit.

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "CodecContext.h"

KpxResult KpxPcdGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry* transparent, std::int32_t* count);
KpxResult KpxPcdLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                     std::int32_t* count);
// Always kKpxWriteError.
KpxResult KpxPcdSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count);

// Runs the resolution dialog for the resolutions of *resolution (a mask). Cancel: resolution 8
// (Base), depth 24, the size unchanged. OK: the chosen resolution bit and depth (24, 8, or 9 for
// grey), and the size scaled from the Base size to the chosen resolution. Returns the dialog's
// answer (IDOK or IDCANCEL).
int KpxPcdChooseResolution(HWND owner, int* resolution, int* depth, int* width, int* height);
