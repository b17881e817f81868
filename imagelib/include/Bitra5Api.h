#pragma once
// The image library's exported interface: C linkage, default visibility, 16-bit image handles.

#include <cstdint>

#include "Bitra5Win32.h"

#define BITRA5_API extern "C" __attribute__((visibility("default")))

// A signed 16-bit number naming one image of the library; 0 means no image.
using KpxHandle = std::int16_t;

// Exported functions with C++ names (overloaded ones among them).
#define BITRA5_CPP_API __attribute__((visibility("default")))
