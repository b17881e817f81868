#pragma once
// Import of a range of frames of an AVI clip or a FLIC animation into frames of the editor, with
// the timing of the clip. The readers installed by default (ImportReaders.h) call these.
//
// Both importers take frames start .. start + count - 1 (from 0; a range running past the end of
// the clip is shortened), every step-th of them (a step below 1 takes all), and append them to
// the list. With merge on, a frame whose picture equals the one added before it is dropped. The
// progress function, when given, is called after each frame taken with the number of frames
// added before it; a non-zero answer empties the list. With an animation record the first frame
// added sets the record's size, loop count and comment, and the record's frame count becomes the
// number of frames added.
//
// Results: 0 when an argument is missing (no path or reader, a count or step of 0), 1 when done
// (also when the clip cannot be opened or decoded, then without frames), 2 when stopped.

#include "AnimationData.h"
#include "DialogServices.h"

// Progress and cancel callback of the clip importers: non-zero stops.
using ImportProgress = int (*)(int unused, int position, HWND window);

// 1 and the clip's information (AVIFILEINFOA) when the file opens as an AVI clip, else 0.
int GetAviFileInfo(const char* path, AviFileInformation& info);

int ImportAviFrames(CAnimationData* animation, FrameList& list, const char* path, int start,
                    int count, int step, BOOL merge, ImportProgress progress, HWND window);

// The reader is rewound and read from its first frame.
int ImportFlicFrames(CAnimationData* animation, FrameList& list, FlicReader* reader, int start,
                     int count, int step, BOOL merge, ImportProgress progress, HWND window);

// The delay in hundredths of a second of frames of a clip of rate / scale frames a second:
// 100 / (rate / scale) in whole numbers, and for clips of less than one frame a second (where
// that would divide by zero) the frame's own length. 0 for a clip without a rate.
int AviFrameDelay(DWORD rate, DWORD scale);
