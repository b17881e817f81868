#pragma once
// The Win32 scalar types, structures and handle types of the platform layer. They are defined
// once, in the image library's public folder, so that a program written against the library's
// interface needs no folder of the system besides it; the platform's units name them here.

#include "../../imagelib/include/Bitra5Win32.h"
