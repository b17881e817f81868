#pragma once
// The images an image links to by handle: its cached mask, its explicit transparency image and
// its derived (rotated) copy. Attaching, replacing and dropping them is the lowest layer of
// transparency and rotation alike, so both build on this unit and neither on the other.

#include "Bitra5.h"

#include <cstdint>

namespace kpx {

// Deletes the linked image, if any, and clears the link.
void deleteLinkedImage(std::int32_t& link);

} // namespace kpx
