#pragma once
// The library's start-up at load and shutdown at unload, and the exported doors to its resource
// library and per-thread error slot (declared in Bitra5Testing.h; the tables themselves are in
// LibraryShared.h).

#include "Bitra5.h"
#include "Bitra5ResourceIds.h"
#include "Bitra5Testing.h"

constexpr int kKpxDescriptionCount = bitra5res::kDescriptionCount;
constexpr int kKpxDescriptionLength = 50;
constexpr unsigned kKpxFirstDescriptionId = bitra5res::IDS_DESCRIPTION_FIRST;
