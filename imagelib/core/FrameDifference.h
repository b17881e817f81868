#pragma once
// Frame difference and optimal rectangle: the two steps with which the animation optimiser makes
// frames smaller. Pixels that repeat what the previous frames already show become one palette
// index the frame does not otherwise use, and frames are cropped to the pixels that remain.

#include "Bitra5.h"
