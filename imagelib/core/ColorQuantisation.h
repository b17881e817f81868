#pragma once
// Quantisation of images to an 8-bit palette, the palette swatch image and the grey conversion
// of 24-bit images.

#include "Bitra5.h"
