#pragma once
// The library's start-up at load and shutdown at unload, its resource library and the
// per-thread error slot.

#include <mutex>

#include "Bitra5Api.h"

constexpr int kKpxDescriptionCount = 37;
constexpr int kKpxDescriptionLength = 50;
constexpr unsigned kKpxFirstDescriptionId = 8131;

BITRA5_API void KpxProcessAttach(HINSTANCE instance);
BITRA5_API void KpxProcessDetach();
BITRA5_API HINSTANCE KpxGetResourceInstance();
BITRA5_API void KpxSetModuleInstance(HINSTANCE instance);
BITRA5_API void KpxAllocErrorSlot();
BITRA5_API void KpxFreeErrorSlot();
BITRA5_API void KpxSetLastError(int code);
BITRA5_API void KpxInitLibrary();
BITRA5_API void KpxExitLibrary();
BITRA5_API void KpxWarmUpDrawDib();
BITRA5_API int KPXUseVFW();
BITRA5_API int KPXcompress(std::uint8_t* dest, unsigned long* destLength, const std::uint8_t* source,
                           unsigned long sourceLength);
BITRA5_API int KPXdecompress(std::uint8_t* dest, unsigned long* destLength,
                             const std::uint8_t* source, unsigned long sourceLength);

// Description text k (string 8131 + k), loaded at start-up; empty for k out of range.
BITRA5_API const char* KpxGetDescriptionText(int k);
// The calling thread's error slot (-1 when the slot is not allocated); for tests.
BITRA5_API int KpxGetLastErrorForTest();

namespace kpx {
// The break table of multi-frame loads: ten handle slots under their own lock.
constexpr int kBreakTableSize = 10;
std::recursive_mutex& breakTableMutex();
KpxHandle* breakTable();
// Clears every slot holding this handle (under the break-table lock).
void clearBreakTableSlots(KpxHandle image);
// The GIF codec lock.
std::recursive_mutex& gifCodecMutex();
} // namespace kpx
