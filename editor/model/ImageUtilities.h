#pragma once
// Small file and image helpers over the image library that the frame model and the renderers
// share.

#include "Bitra5Api.h"

// 0 for a null or empty path; otherwise 1 when the file can be opened for reading.
int FileExists(const char* path);

// A new 8-bit image with the grey palette (entry i = RGB(i, i, i)) filled with palette index
// `index`; 0 when the size is not valid, the index lies outside 0..255, or creation fails.
KpxHandle CreateSolidImage(int width, int height, int index);
