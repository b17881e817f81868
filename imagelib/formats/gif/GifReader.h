#pragma once
// Reading GIF files: the info routine (the block scan), the frame loader and the details list.
//
// The file is read through the shared file access (FileAccess.h): scanned once, a window at a
// time, for where every image and its extensions lie; a frame's load then reads that frame's
// blocks, its image data a piece at a time, so the file is never held whole. Within a file
// session (a multi-frame load holds one) the open file and its scan are kept between the
// per-frame calls, so loading every frame of a file opens and scans it only once.

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "ImageRecord.h"
