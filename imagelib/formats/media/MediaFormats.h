#pragma once
// The animation and sound format tables: their runtime entries, named from the resource library
// at library start.

#include "Bitra5.h"

namespace kpx {
// Fills the runtime entries of both tables.
void buildMediaFormatTables(HINSTANCE resources);
} // namespace kpx

// Overrides the answer of KRVSupportActiveMovie (-1 returns to asking FFmpeg); for tests.
BITRA5_API void KrvSetStreamedMediaSupportForTest(int support);
