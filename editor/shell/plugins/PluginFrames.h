#pragma once
// The conversions between the editor's frames and the plug-in interface's PluginFrame records,
// and the place where returned frames enter the frame list. The image library keeps rows bottom
// row first; the records carry them top row first.

#include "AnimationData.h"
#include "ImageUtilities.h"
#include "PluginInterface.h"

namespace kfm::plugins {

// An 8-bit copy of the frame's picture for a plug-in: when the picture has a transparent index,
// palette entry 0 takes its colour and stays for the transparent pixels; the pixels are
// quantised onto 256 colours with the library's fine conversion; a transparency image of the
// picture comes along as an 8-bit image (255 fully transparent). Null when it cannot be made.
ScopedImage MakePluginCopy(KpxHandle picture);

// Fills a record whose buffer pointers are null (or valid) from an 8-bit image: rows top down,
// the colour table as red, green, blue, 0, the transparent index, and the image's 8-bit
// transparency image as the mask unchanged. delay 100, disposal 0. False when the image is no
// 8-bit image or the buffers cannot be allocated.
bool PackPluginFrame(KpxHandle image8, PluginFrame& out);

// A returned record made into a picture for a new frame.
struct ReturnedFrame {
    enum class Status { Ok, UnsupportedDepth, Unreadable };
    Status status = Status::Unreadable;
    // 24 bits, with the record's transparency.
    ScopedImage image;
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int delay = 0;
    int disposal = 0;
    // A transparency was made from the record (the frame gets graded transparency).
    bool graded = false;
};

// Reads a returned record. Sizes of 1 to 32767 each way, 8 or 24 image bits (another depth:
// UnsupportedDepth), pixels present, rows at least as long as their pixels (a row length of 0
// is computed), a palette for 8 bits and, for a mask, rows and a size that cover the picture:
// anything else is Unreadable, since the record's buffers could not be read safely. An 8-bit
// mask gives the transparency image 255 - value (the record's 255 is opaque), a 1-bit mask is
// inverted into the transparency mask; without a mask an 8-bit record gets a transparency image
// with 255 where its pixels hold transparentIndex (none with -1). Another mask depth is ignored.
// The delay is kept within the GIF's 0..65535; a disposal outside 0..3 becomes 0.
ReturnedFrame UnpackPluginFrame(const PluginFrame& record);

// Inserts a new frame of the returned picture into the list at position p: before the final
// placeholder when p names it or lies beyond the list, otherwise after the node at p. Every other
// frame is deselected and none stays current; the new one is selected and current. The index of
// the new frame.
int InsertReturnedFrame(FrameList& frames, int position, ReturnedFrame&& returned);

} // namespace kfm::plugins
