#pragma once
// The library's start-up at load and shutdown at unload, and the exported doors to its resource
// library and per-thread error slot (the tables themselves are in LibraryShared.h).

#include "Bitra5.h"
#include "Bitra5ResourceIds.h"

constexpr int kKpxDescriptionCount = bitra5res::kDescriptionCount;
constexpr int kKpxDescriptionLength = 50;
constexpr unsigned kKpxFirstDescriptionId = bitra5res::IDS_DESCRIPTION_FIRST;

BITRA5_API void KpxProcessAttach(HINSTANCE instance);
BITRA5_API void KpxProcessDetach();
BITRA5_API void KpxSetModuleInstance(HINSTANCE instance);
BITRA5_API void KpxAllocErrorSlot();
BITRA5_API void KpxFreeErrorSlot();
BITRA5_API void KpxSetLastError(int code);
BITRA5_API void KpxInitLibrary();
BITRA5_API void KpxExitLibrary();
BITRA5_API void KpxWarmUpDrawDib();

// Description text k (string IDS_DESCRIPTION_FIRST + k), loaded at start-up; empty for k out of
// range.
BITRA5_API const char* KpxGetDescriptionText(int k);
