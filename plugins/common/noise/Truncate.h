#pragma once
// Conversion of a computed value to a cell: towards zero, as the C conversion does, but values
// beyond the 32-bit range saturate and NaN gives 0 instead of being undefined.

#include <cstdint>
#include <limits>

namespace kfm::noise::detail {

inline std::int32_t truncateToInt(double value) {
    if (!(value > -2147483649.0))
        return value != value ? 0 : std::numeric_limits<std::int32_t>::min();
    if (!(value < 2147483648.0))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

inline std::int32_t truncateToInt(float value) {
    if (!(value > -2147483648.0f))
        return value != value ? 0 : std::numeric_limits<std::int32_t>::min();
    if (!(value < 2147483648.0f))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

} // namespace kfm::noise::detail
