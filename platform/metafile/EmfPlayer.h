#pragma once
// Plays EMF records onto a QPainter: the picture frame of the header is mapped onto a target
// rectangle. The bytes are untrusted: every record's size and counts are checked against what
// remains before they are read. Records the player does not know are skipped and counted; a
// record too short for its own fields is skipped and counted as malformed. Only damage to the
// record chain itself (a size of 0, past the end, not a multiple of 4) stops the picture.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include <QRect>
#include <QRectF>
#include <QSize>

#include "types/Export.h"

class QPainter;

namespace kfm::metafile {

// What the EMR_HEADER record says about the picture.
struct KFM_PLATFORM_API EmfHeaderInfo {
    QRect bounds;       // inclusive bounds of the drawing, device pixels
    QRect frame;        // inclusive picture frame, 0.01 mm
    QSize devicePixels; // the reference device, pixels
    QSize deviceMm;     // the reference device, millimetres
    std::uint32_t handleCount = 0;
    std::uint32_t recordCount = 0;

    // The picture frame in pixels of the reference device (its natural size).
    QRectF framePixels() const;
};

enum class EmfPlayStatus { Ok, NotEmf, Damaged };

struct EmfPlayResult {
    EmfPlayStatus status = EmfPlayStatus::NotEmf;
    std::size_t played = 0;    // records drawn or applied
    std::size_t skipped = 0;   // record types the player does not know
    std::size_t malformed = 0; // known records too short for their fields or with bad counts
};

// The header of an EMF stream; nothing when it is not one or the header is damaged.
KFM_PLATFORM_API std::optional<EmfHeaderInfo> readEmfHeader(std::span<const std::uint8_t> bytes);

// Plays the stream onto the painter, its frame mapped onto target (painter coordinates). The
// painter's own state (transform, clip, pen, brush) is restored afterwards.
KFM_PLATFORM_API EmfPlayResult playEmf(std::span<const std::uint8_t> bytes, QPainter& painter,
                                       const QRectF& target);

} // namespace kfm::metafile
