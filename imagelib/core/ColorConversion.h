#pragma once
// Conversion of images between pixel depths, the two fixed-purpose converters (24 to 8 bits on
// a popularity-plus-cube palette, 24 to 16 bits 5-6-5), the blank test and the fill through a
// 1-bit mask.

#include "Bitra5.h"
#include "PixelConversion.h"
