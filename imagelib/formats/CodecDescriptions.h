#pragma once
// The description texts (resource ids) that the still-image codecs put into their context.

#include "Bitra5ResourceIds.h"

namespace kpx::description {

constexpr unsigned kCompressed = bitra5res::IDS_DESCRIPTION_FIRST + 0;
constexpr unsigned kUncompressed = bitra5res::IDS_DESCRIPTION_FIRST + 1;
constexpr unsigned kRunLength = bitra5res::IDS_DESCRIPTION_FIRST + 3;
constexpr unsigned kRle8 = bitra5res::IDS_DESCRIPTION_FIRST + 4;
constexpr unsigned kRle4 = bitra5res::IDS_DESCRIPTION_FIRST + 5;
constexpr unsigned kWordPerfect = bitra5res::IDS_DESCRIPTION_FIRST + 13;
constexpr unsigned kIcon = bitra5res::IDS_DESCRIPTION_FIRST + 28;
constexpr unsigned kMacBinary = bitra5res::IDS_DESCRIPTION_FIRST + 35;
constexpr unsigned kUnsupportedCompression = bitra5res::IDS_DESCRIPTION_FIRST + 36;

} // namespace kpx::description
