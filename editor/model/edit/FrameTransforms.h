#pragma once
// Changes of one frame's picture as a whole that keep the frame editable: rotation, mirroring,
// a transparency level over the whole frame, the object kind, the conversion of object frames
// into plain image frames and the merge of the selected frames into one. Text and vector frames
// change their object source (matrix, angle) and are rendered again from it; image frames are
// transformed pixel by pixel with their transparency.
//
// Every change gives the frame a new base image: the images that the undo history's snapshots
// share are never written.

#include "AnimationData.h"
#include "Bitra5.h"
#include "FrameTransparency.h"

#include <span>

// Object kinds of GetFrameObjectKind, tested in this order.
constexpr int kFrameKindNone = 0;
constexpr int kFrameKindText = 1;
constexpr int kFrameKindVector = 2;
constexpr int kFrameKindControl = 3;
constexpr int kFrameKindImage24 = 4;
constexpr int kFrameKindSoftAlpha8 = 5;
constexpr int kFrameKindImage = 6;

// Rotates the frame clockwise by angle degrees. A text or vector frame takes the angle into its
// matrix (an absolute angle) and is rendered again; any other frame is rotated from image (its
// base image, or the unrotated source a dialog keeps), its transparency with it. The result
// becomes the base image and its size the frame's size. A transparency level stays applied.
void RotateFrame(CObjFrame* frame, short image, int angle, int interpolation);
// The pixel rotation of a plain image frame: a new image. Quarter turns are exact and keep the
// depth and colour table; other angles warp onto the enlarged bounding box, filled with the
// transparent colour, and give an 8-bit image (on the source's palette for palette sources).
short RotateFrameImage(CObjFrame* frame, short image, int angle, int interpolation);
// Bit 1 mirrors left to right, bit 2 top to bottom (both together: both axes). The size stays.
void FlipFrame(CObjFrame* frame, int flags);

// The same for the frames of the animation at the listed indexes; the list ends at -1 or at the
// number of frames, other indexes outside the list are skipped.
void SetFramesTransparencyLevel(const int* indexes, int percent);

// 1 text, 2 vector, 3 system control, 4 24-bit base image, 5 8-bit base image with soft alpha,
// 6 any other frame of width at least 1, else 0.
int GetFrameObjectKind(const CObjFrame* frame);

// Converts the frame's base image to 8 bits per pixel keeping its transparency, then gives the
// frame the transparency level alpha (percent, 0 removes it). A 24-bit picture is quantised to
// 256 colours; its graded transparency stays the 8-bit image's explicit transparency and a
// colour-key transparency becomes one. Object sources (text, vector) stay.
void ConvertFrameTo8Bit(CObjFrame* frame, int alpha);
// The same for the frames at the listed indexes; the list ends at a negative index or at the
// number of frames.
void ConvertSelFramesTo8Bit(FrameList* frames, std::span<const int> selected, int alpha);

// Turns the selected object frames (text, vector, control, 24-bit or graded transparency) into
// plain image frames.
void ConvertObjectsToImages(FrameList* frames);
// Replaces the selected frames of the animation by one frame that shows them together, in an
// undo step of its own; the new frame stands where the selection began and is selected and
// current. 1 when merged, 0 when nothing was done.
int MergeSelectedFrames(FrameList* frames);

// The commands, each one undo step of its own kind: rotation and mirroring of the current frame,
// the conversion of the selected frames and the transparency level of the selected frames.
// 1 when a step was made.
int RotateCurrentFrameStep(int angle, int interpolation);
int MirrorCurrentFrameStep(int flags);
int ConvertObjectsToImagesStep();
int SetSelectedFramesTransparencyLevelStep(int percent);
