#include "CaptureConversion.h"

#include "ImageUtilities.h"
#include "VectorRender.h"
#include "gdi/SystemLook.h"

#include "Bitra5Qt.h"

#include <QPainter>

#include <array>
#include <cstdint>
#include <vector>

namespace kfm::syscontrols {

namespace {

constexpr QRgb kRedKey = 0xFF0000;
constexpr QRgb kBlueKey = 0x0000FF;
constexpr int kPaletteSize = 256;

// The distinct colours of a picture in the order they appear, each with its palette index.
class ExactColours {
public:
    explicit ExactColours(int first) : first_(first) { slots_.fill(kEmpty); }

    // The index of a colour (0xRRGGBB), added when new; -1 when the palette is full.
    int indexOf(QRgb colour) {
        std::size_t slot = (colour * 2654435761u) >> (32 - kBits);
        while (slots_[slot] != kEmpty) {
            if (keys_[slot] == colour)
                return slots_[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        if (first_ + static_cast<int>(colours_.size()) >= kPaletteSize)
            return -1;
        const int index = first_ + static_cast<int>(colours_.size());
        colours_.push_back(colour);
        keys_[slot] = colour;
        slots_[slot] = static_cast<std::int16_t>(index);
        return index;
    }
    const std::vector<QRgb>& colours() const { return colours_; }

private:
    static constexpr int kBits = 12;
    static constexpr std::size_t kSlots = std::size_t{1} << kBits;
    static constexpr std::int16_t kEmpty = -1;

    int first_;
    std::vector<QRgb> colours_;
    std::array<QRgb, kSlots> keys_{};
    std::array<std::int16_t, kSlots> slots_{};
};

PALETTEENTRY entryOf(COLORREF colour) {
    return PALETTEENTRY{GetRValue(colour), GetGValue(colour), GetBValue(colour), 0};
}

// The exact picture; false when the render has too many colours.
bool convertExactly(const QImage& red, const QImage* blue, KpxHandle target) {
    const int width = red.width();
    const int height = red.height();
    const bool transparent = blue != nullptr;
    ExactColours colours(transparent ? 1 : 0);
    std::uint8_t* bits = KPXGetBits(target);
    const std::size_t scan = static_cast<std::size_t>(KPXGetScanBytes(target));
    for (int y = 0; y < height; ++y) {
        const auto* overRed = reinterpret_cast<const QRgb*>(red.constScanLine(y));
        const auto* overBlue =
            blue ? reinterpret_cast<const QRgb*>(blue->constScanLine(y)) : nullptr;
        // The picture's rows are stored bottom row first.
        std::uint8_t* row = bits + static_cast<std::size_t>(height - 1 - y) * scan;
        QRgb lastRed = 0xFFFFFFFF;
        QRgb lastBlue = 0xFFFFFFFF;
        std::uint8_t lastIndex = 0;
        for (int x = 0; x < width; ++x) {
            const QRgb r = overRed[x] & 0xFFFFFF;
            const QRgb b = overBlue ? overBlue[x] & 0xFFFFFF : 0;
            if (r != lastRed || b != lastBlue) {
                lastRed = r;
                lastBlue = b;
                if (overBlue && r == kRedKey && b == kBlueKey) {
                    lastIndex = 0;
                } else {
                    const int index = colours.indexOf(r);
                    if (index < 0)
                        return false;
                    lastIndex = static_cast<std::uint8_t>(index);
                }
            }
            row[x] = lastIndex;
        }
    }
    std::array<PALETTEENTRY, kPaletteSize> table{};
    const PALETTEENTRY* fine = KPXGetFinePalette();
    std::copy_n(fine, kPaletteSize, table.begin());
    int index = transparent ? 1 : 0;
    for (const QRgb colour : colours.colours())
        table[static_cast<std::size_t>(index++)] =
            PALETTEENTRY{static_cast<BYTE>(qRed(colour)), static_cast<BYTE>(qGreen(colour)),
                         static_cast<BYTE>(qBlue(colour)), 0};
    if (transparent)
        table[0] = entryOf(GetSysColor(COLOR_3DFACE));
    KPXSetNewPalette(target, table.data(), kPaletteSize);
    KPXFillDIBColorTable(target);
    return true;
}

// A 1-bit mask of the picture's size, set inside the region.
KpxHandle maskOfRegion(const QRegion& region, int width, int height) {
    QImage shape(width, height, QImage::Format_Mono);
    if (shape.isNull())
        return 0;
    shape.setColor(0, qRgb(0, 0, 0));
    shape.setColor(1, qRgb(255, 255, 255));
    shape.fill(0);
    QPainter painter(&shape);
    painter.setClipRegion(region);
    painter.fillRect(shape.rect(), Qt::color1);
    painter.end();
    return KPXCreateImageFromQImage(shape);
}

// The library's quantiser, for renders of many colours or with an outline.
bool convertWithQuantiser(const QImage& red, const QImage* blue, const QRegion& shape,
                          KpxHandle target) {
    ScopedImage red24(KPXCreateImageFromQImage(red));
    if (!red24.get())
        return false;
    ScopedImage mask;
    int fixed = 0;
    if (blue) {
        ScopedImage blue24(KPXCreateImageFromQImage(*blue));
        ScopedImage pair(blue24.get() ? CreateColorPairMask4(red24.get(), blue24.get(),
                                                             RGB(255, 0, 0), RGB(0, 0, 255))
                                      : 0);
        if (!pair.get())
            return false;
        mask.reset(CreateThresholdMask(pair.get(), 255));
        if (!mask.get())
            return false;
        KPXSetColorToPalette(target, 0, GetSysColor(COLOR_3DFACE));
        fixed = 1;
    } else if (!shape.isEmpty()) {
        mask.reset(maskOfRegion(shape, red.width(), red.height()));
    }
    if (KPXFineColorConvert(target, red24.get(), mask.get(), kPaletteSize, 0, fixed, nullptr, 0))
        return true;
    // A transparent control that drew nothing is all background.
    if (!blue)
        return false;
    KPXFillImageByIndexColor(target, 0);
    return true;
}

} // namespace

KpxHandle ConvertCapture(const QImage& overRed, const QImage* overBlue, const QRegion& shape) {
    const QImage red = overRed.convertToFormat(QImage::Format_RGB32);
    const QImage blue = overBlue ? overBlue->convertToFormat(QImage::Format_RGB32) : QImage();
    if (red.isNull() || (overBlue && blue.size() != red.size()))
        return 0;
    ScopedImage target(KPXCreateImage(red.width(), red.height(), 8));
    if (!target.get())
        return 0;
    KPXSetNewPalette(target.get(), KPXGetFinePalette(), kPaletteSize);
    if (overBlue) {
        KpxTransparentEntry entry{};
        entry.blue = 0;
        entry.mode = 1;
        KPXSetImageTransparent(target.get(), &entry, 1);
    }
    const QImage* blueRender = overBlue ? &blue : nullptr;
    const bool done = shape.isEmpty() && convertExactly(red, blueRender, target.get());
    if (!done && !convertWithQuantiser(red, blueRender, shape, target.get()))
        return 0;
    return target.release();
}

} // namespace kfm::syscontrols
