#pragma once
// Equality of object records as the frame comparison of the undo history sees it: only the
// fields that describe the object take part (no reserved bytes, no pointer slots, no metafile).

#include "ObjectRecords.h"

namespace kfm::records {

// Positions, colours, shadow offsets, the four flag bytes, interpolation, shadow flag,
// transparency level, the matrix (exact doubles), the text bytes and the font (five integers,
// eight bytes, face name up to its terminating NUL).
bool recordsEqual(const TextObjectRecord& a, const TextObjectRecord& b);
// Type, the five flags, style bits, the first twelve per-type numbers, text and caption.
bool recordsEqual(const ControlObjectRecord& a, const ControlObjectRecord& b);
// Source rectangle, units per inch, position, rendered size, matrix, interpolation, antialias
// and transparency level; the metafile takes no part.
bool recordsEqual(const VectorObjectRecord& a, const VectorObjectRecord& b);
// The five arrays by size and content.
bool recordsEqual(const NPImageObjectRecord& a, const NPImageObjectRecord& b);

// The comparison of one object of two frames, the first being the snapshot's: equal at once when
// the first frame does not carry the object; unequal when only the first carries it.
template <typename Record> bool frameObjectsEqual(const Record* first, const Record* second) {
    if (!first)
        return true;
    return second && recordsEqual(*first, *second);
}

} // namespace kfm::records
