#pragma once
// The colour table of one image: reading and writing entries, finding colours, counting the
// palette indices in use, and swapping colours or indices.
//
// None of these takes the image's permission word: they work on the record's BITMAPINFO block
// directly, and callers serialise them with other work on the same image. Every change of a
// colour table drops the image's cached checksum.

#include "Bitra5.h"
