#pragma once
// Whole animations between files and frame chains: the multi-frame load and save and the table
// of loads asked to stop.

#include <cstdint>
#include <vector>

#include "Bitra5.h"

namespace kpx {
// Code bits that cover n palette entries: n < 3 gives 1, < 5 gives 2 ... else 8.
int codeBitsForEntries(int n);
} // namespace kpx
