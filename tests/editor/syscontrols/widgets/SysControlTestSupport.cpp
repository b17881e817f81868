#include "SysControlTestSupport.h"

#include "PaletteRender.h"
#include "SysControlRegistry.h"

#include "TestSupport.h"

#include <QLocale>

namespace kfm::test {

namespace sc = kfm::syscontrols;

sc::SysControlSettings ControlSettings(int type, int width, int height) {
    ScopedRegistry registry;
    sc::SysControlSettings s;
    sc::LoadContext context;
    context.animationWidth = kAnimationWidth;
    context.animationHeight = kAnimationHeight;
    context.clock = [] { return sc::UtcDateTime{kClockYear, 2, 29, 13, 14, 15}; };
    sc::LoadSettings(s, context);
    s[sc::word::Type] = type;
    const sc::SizeWords size = sc::SizeWordsOfType(type);
    if (size.width >= 0) {
        s[size.width] = width;
        s[size.height] = height;
    }
    s[sc::word::Width] = width;
    s[sc::word::Height] = height;
    return s;
}

QImage IndexedPicture(KpxHandle image) {
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    if (!image || KPXbpp(image) != 8)
        return {};
    QImage picture(width, height, QImage::Format_Indexed8);
    const int transparent = GetImageTransparentIndex(image);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i) {
        COLORREF c = KPXGetColorFromPalette(image, i);
        if (c == 0xFFFFFFFFu)
            c = 0;
        table.push_back(
            qRgba(GetRValue(c), GetGValue(c), GetBValue(c), i == transparent ? 0 : 255));
    }
    picture.setColorTable(table);
    const std::uint8_t* bits = KPXGetBits(image);
    const int scan = KPXGetScanBytes(image);
    for (int y = 0; y < height; ++y)
        std::copy_n(bits + static_cast<std::size_t>(height - 1 - y) * scan, width,
                    picture.scanLine(y));
    return picture;
}

std::string GoldenDifference(const QImage& picture, const std::string& name) {
    const std::string path = testDataPath("syscontrols/" + name + ".png").string();
    const QImage golden(QString::fromStdString(path));
    if (golden.isNull())
        return "no golden picture " + path;
    if (golden.size() != picture.size())
        return "size differs from " + name;
    const QImage expected = golden.convertToFormat(QImage::Format_Indexed8);
    if (expected.colorCount() != picture.colorCount())
        return "colour count differs from " + name;
    for (int i = 0; i < picture.colorCount(); ++i)
        if (expected.color(i) != picture.color(i))
            return "palette entry " + std::to_string(i) + " differs from " + name;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (expected.pixelIndex(x, y) != picture.pixelIndex(x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + " differs from " +
                       name;
    return {};
}

void UseEnglishLocale() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

} // namespace kfm::test
