#pragma once
// The byte block of the private clipboard format "KeldoFlimmer5": frames travel in it between
// the Edit commands and the frames strip, and between running editors. The block is a run of
// frame entries ended by a zero byte. Every number is 32-bit little-endian. An entry is a 60-byte
// header of sizes and then, each exactly as long as the header says (0 = absent):
//   packed DIB of the base image; the 56-byte frame record (width, height, left, top, delay,
//   disposal, transparency word, six zero pointer slots, soft-alpha flag); name and comment with
//   their terminating zero; the text record (148) and its text; the control record (104) and
//   its two strings; the vector record (100) and the enhanced metafile's bytes; the packed DIB of
//   the explicit transparency image; the alpha pair (alpha value, 4 zero bytes); the packed DIB
//   of the mask image. No NP-image source travels.
//
// Another program can put anything under the format, so the reader checks every size against
// the block: an entry whose sizes do not add up, whose records have other sizes than these, or
// whose pictures cannot be made ends the reading there, and the frames before it are kept.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "AnimationData.h"
#include "types/Win32Types.h"

namespace kfm::model {

inline constexpr std::uint32_t kFramesEntryMagic = 666;
inline constexpr std::size_t kFramesEntryHeaderSize = 60;
inline constexpr std::size_t kFramesEntryFrameRecordSize = 56;

// The 15 header values in their order.
enum class FramesEntryField : int {
    Magic,
    DibSize,
    FrameRecordSize,
    TextRecordSize,
    TextLength,
    ControlRecordSize,
    ControlString1Length,
    ControlString2Length,
    VectorRecordSize,
    MetafileSize,
    NameLength,
    CommentLength,
    TransparencyDibSize,
    AlphaPairSize,
    AlphaDibSize,
    Count
};

// The size a packed DIB of the image takes in the block: its pixel bytes, the 40-byte header
// and, for 1 to 8 bits per pixel, the colour table of 2^bpp entries. 0 for no image.
std::uint32_t PackedDibSize(KpxHandle image);

// What a reading brought: the frames, and whether every entry up to the ending zero was read.
struct FramesBlockContents {
    std::unique_ptr<FrameList> frames;
    bool complete = true;
};

} // namespace kfm::model

// The block of the given frames (each with a base image); empty when the library cannot give a
// packed DIB of one of their images within the size the header declares for it.
std::optional<std::vector<std::uint8_t>>
WriteClipboardFramesBlock(std::span<const CObjFrame* const> frames);

// The frames of block bytes; never reads outside the span.
kfm::model::FramesBlockContents ReadClipboardFramesBytes(std::span<const std::uint8_t> bytes);

// The block of the selected frames with a base image of the program-wide animation, in movable
// zero-initialised memory that the caller owns; null when there is no such frame or memory. Marks
// exactly those frames (the caller clears the marks). When a picture cannot be given, message
// 10784 and null.
HGLOBAL CreateClipboardFramesBlock();

// A new list of the frames of the block (the block stays the caller's); null for a null or
// unlockable handle. complete, when given, tells whether every entry was read.
std::unique_ptr<FrameList> ReadClipboardFramesBlock(HGLOBAL block, bool* complete = nullptr);
