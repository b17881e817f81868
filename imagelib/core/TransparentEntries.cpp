#include "TransparentEntries.h"

bool kpx::withinTolerance(const KpxTransparentEntry& entry, const RGBQUAD& colour) {
    const auto near = [&entry](std::int32_t wanted, BYTE value) {
        const std::int64_t difference = std::int64_t{wanted} - value;
        return (difference < 0 ? -difference : difference) <= entry.tolerance;
    };
    return near(entry.red, colour.rgbRed) && near(entry.green, colour.rgbGreen) &&
           near(entry.blue, colour.rgbBlue);
}
