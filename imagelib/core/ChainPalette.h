#pragma once
// One palette for a frame chain (KPXCalculateOptimPalette256): a single palette image's own
// table with its transparent entry first, or the colours of all frames drawn onto one strip.
// It draws frames and fills images, so it sits above the colour matching those build on.

#include "Bitra5.h"
