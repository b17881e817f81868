#pragma once
// A GIF holds only 8-bit frames. Before one is written, the frames that hold more (24-bit
// pictures, graded alpha, 8-bit pictures with soft alpha, system controls) keep their source
// pixels in their np-image record, which the library writes into the file beside the 8-bit
// picture; every plain 24-bit frame gets an 8-bit rendered image for the file. Reading the file
// back rebuilds the sources from the records (RenderImagesFromInfo).

#include "AnimationData.h"
#include "Bitra5.h"

// The progress callback: (0, position, window), non-zero to stop.
using ReduceProgress = int (*)(int, int, HWND);

// Fills the np-image records of the frames of list in order and gives each plain 24-bit frame a
// quantised 8-bit rendered image (the callback is asked after each of these). A picture frame
// with a transparency level becomes a soft-alpha frame, so that the save renders it over the
// frames beneath it. 1 done, 2 when the callback stopped it; the records filled so far then stay
// for the caller's clean-up (the caller undoes the changes to the frames after the write).
int ReduceFramesTo8Bit(FrameList& list, ReduceProgress callback, HWND window);
