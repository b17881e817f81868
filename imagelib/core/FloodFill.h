#pragma once
// Flood fill into a mask: the 4-connected region around a seed whose colour lies within a
// per-channel tolerance of a given colour.

#include "Bitra5.h"
#include "ImageRecord.h"
