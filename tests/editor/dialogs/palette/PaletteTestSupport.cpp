#include "PaletteTestSupport.h"

#include "PaletteGridWnd.h"

#include <vector>

namespace kfm::test {

namespace {

constexpr int kSide = 16;

void setIndex(KpxHandle image, int depth, int x, int y, int index) {
    std::uint8_t* row = KPXGetBits(image) + y * KPXGetScanBytes(image);
    if (depth == 8) {
        row[x] = static_cast<std::uint8_t>(index);
        return;
    }
    const int perByte = 8 / depth;
    const int shift = (perByte - 1 - x % perByte) * depth;
    const int mask = ((1 << depth) - 1) << shift;
    std::uint8_t& byte = row[x / perByte];
    byte = static_cast<std::uint8_t>((byte & ~mask) | ((index << shift) & mask));
}

} // namespace

QPoint cellCentre(const kfm::dialogs::CPaletteGridWnd& grid, int index) {
    const RECT r = grid.Layout().CellRect(index);
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

KpxHandle MakePaletteImage(int depth, std::initializer_list<int> usedEntries) {
    const KpxHandle image = KPXCreateImage(kSide, kSide, depth);
    const int entries = 1 << depth;
    for (int i = 0; i < entries; ++i)
        KPXSetColorToPalette(image, i, RGB(static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 60));
    const std::vector<int> used(usedEntries);
    for (int p = 0; p < kSide * kSide; ++p)
        setIndex(image, depth, p % kSide, p / kSide, used[p % used.size()]);
    KPXFillDIBColorTable(image);
    return image;
}

} // namespace kfm::test
