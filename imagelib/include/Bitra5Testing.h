#pragma once
// Exports that exist for the library's own tests only; programs never call them.

#include "Bitra5.h"

// The calling thread's error slot (-1 when the slot is not allocated); for tests.
BITRA5_API int KpxGetLastErrorForTest();

// How many times the GIF routines have read a file from disk (for tests).
BITRA5_API unsigned long KpxGifFileReadCountForTest();
