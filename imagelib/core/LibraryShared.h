#pragma once
// The tables the whole library shares: the resource library's handle, the per-thread error slot,
// the break table of multi-frame loads and the codec locks. A leaf unit: it includes nothing of
// the library, so start-up, image creation and the codecs can all depend on it.

#include <cstdint>
#include <mutex>

#include "types/Win32Types.h"

namespace kpx {

// The language resource library loaded at start-up (null before start-up or after shutdown).
HINSTANCE resourceInstance();
void setResourceInstance(HINSTANCE instance);

// The per-thread error slot: codes are stored only while the slot is allocated.
void setErrorSlotAllocated(bool allocated);
void setLastError(int code);
// The calling thread's code, or -1 when the slot is not allocated.
int lastError();

// The break table of multi-frame loads: ten image-handle slots under their own lock.
constexpr int kBreakTableSize = 10;
std::recursive_mutex& breakTableMutex();
std::int16_t* breakTable();
// Clears every slot (under the break-table lock).
void clearBreakTable();
// Clears every slot holding this image handle (under the break-table lock).
void clearBreakTableSlots(std::int16_t image);

} // namespace kpx
