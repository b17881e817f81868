#pragma once
// Symbols of the platform layer's shared library.
#define KFM_PLATFORM_API __attribute__((visibility("default")))
