#include "NearestColor.h"

#include <limits>

namespace kpx {
namespace {

// Reads the channels of any palette entry type through one accessor per type.
Rgb channels(const Rgb& c) {
    return c;
}
Rgb channels(const PALETTEENTRY& c) {
    return Rgb{c.peRed, c.peGreen, c.peBlue};
}
Rgb channels(const RGBQUAD& c) {
    return Rgb{c.rgbRed, c.rgbGreen, c.rgbBlue};
}

template <typename Entry>
int nearest(const Entry* palette, int count, int red, int green, int blue) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; palette && i < count; ++i) {
        const Rgb c = channels(palette[i]);
        const int dr = red - c.red;
        const int dg = green - c.green;
        const int db = blue - c.blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
            if (distance == 0)
                break;
        }
    }
    return best;
}

} // namespace

int nearestPaletteIndex(const Rgb* palette, int count, int red, int green, int blue) {
    return nearest(palette, count, red, green, blue);
}

int nearestPaletteIndex(const PALETTEENTRY* palette, int count, int red, int green, int blue) {
    return nearest(palette, count, red, green, blue);
}

int nearestPaletteIndex(const RGBQUAD* table, int count, int red, int green, int blue) {
    return nearest(table, count, red, green, blue);
}

} // namespace kpx
