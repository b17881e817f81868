#include "SystemLook.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QMutex>
#include <QPalette>
#include <QStringList>

#include <array>
#include <utility>

namespace {

// The classic ("Windows Standard") scheme; entry 25 has no element.
constexpr std::array<COLORREF, 31> kClassicColours = {
    RGB(212, 208, 200), // scroll bar
    RGB(58, 110, 165),  // desktop
    RGB(10, 36, 106),   // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(212, 208, 200), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(212, 208, 200), // active border
    RGB(212, 208, 200), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(10, 36, 106),   // highlight
    RGB(255, 255, 255), // highlighted text
    RGB(212, 208, 200), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(212, 208, 200), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(64, 64, 64),    // 3-D dark shadow
    RGB(212, 208, 200), // 3-D light
    RGB(0, 0, 0),       // tooltip text
    RGB(255, 255, 225), // tooltip background
    RGB(181, 181, 181), // (no element)
    RGB(0, 0, 128),     // hot-tracked item
    RGB(166, 202, 240), // active caption gradient
    RGB(192, 192, 192), // inactive caption gradient
    RGB(10, 36, 106),   // menu highlight
    RGB(212, 208, 200), // menu bar
};

struct Metric {
    int index;
    int value;
};

constexpr Metric kClassicMetrics[] = {
    {SM_CXVSCROLL, 16}, {SM_CYHSCROLL, 16},   {SM_CYCAPTION, 18}, {SM_CXBORDER, 1},
    {SM_CYBORDER, 1},   {SM_CXDLGFRAME, 3},   {SM_CYDLGFRAME, 3}, {SM_CYVTHUMB, 16},
    {SM_CXHTHUMB, 16},  {SM_CXICON, 32},      {SM_CYICON, 32},    {SM_CYVSCROLL, 16},
    {SM_CXHSCROLL, 16}, {SM_CXSIZE, 18},      {SM_CYSIZE, 18},    {SM_CXFRAME, 4},
    {SM_CYFRAME, 4},    {SM_CXEDGE, 2},       {SM_CYEDGE, 2},     {SM_CXSMICON, 16},
    {SM_CYSMICON, 16},  {SM_CYSMCAPTION, 15}, {SM_CXSMSIZE, 12},  {SM_CYSMSIZE, 15},
};

constexpr int kControlFontPixels = 11;
constexpr const char* kFamily = "Liberation Sans";

// Where Debian's fonts-liberation (and fonts-liberation2) put the faces.
QStringList fontFolders() {
    return {QStringLiteral("/usr/share/fonts/truetype/liberation/"),
            QStringLiteral("/usr/share/fonts/truetype/liberation2/")};
}

// The family of the face loaded from its file (once per face); empty when no file loads.
QString loadedFamily(const QString& fileName) {
    static QMutex mutex;
    static QString regular;
    static QString bold;
    static bool regularTried = false;
    static bool boldTried = false;
    const QMutexLocker lock(&mutex);
    const bool isBold = fileName.contains(QLatin1String("Bold"));
    QString& family = isBold ? bold : regular;
    bool& tried = isBold ? boldTried : regularTried;
    if (!tried) {
        tried = true;
        for (const QString& folder : fontFolders()) {
            if (!QFile::exists(folder + fileName))
                continue;
            const int id = QFontDatabase::addApplicationFont(folder + fileName);
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (!families.isEmpty()) {
                family = families.front();
                break;
            }
        }
    }
    return family;
}

} // namespace

extern "C" COLORREF GetSysColor(int index) {
    if (index < 0 || index >= static_cast<int>(kClassicColours.size()))
        return 0;
    return kClassicColours[static_cast<std::size_t>(index)];
}

extern "C" int GetSystemMetrics(int index) {
    for (const Metric& m : kClassicMetrics)
        if (m.index == index)
            return m.value;
    return 0;
}

namespace kfm::gdi {

QFont ControlFont(FontWeight weight) {
    const bool bold = weight == FontWeight::Bold;
    QString family = loadedFamily(bold ? QStringLiteral("LiberationSans-Bold.ttf")
                                       : QStringLiteral("LiberationSans-Regular.ttf"));
    if (family.isEmpty())
        family = QString::fromLatin1(kFamily);
    QFont font(family);
    font.setPixelSize(kControlFontPixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    return font;
}

QFont StockFont(int) {
    return ControlFont();
}

QPalette ClassicPalette() {
    auto colour = [](int index) {
        const COLORREF c = GetSysColor(index);
        return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
    };
    QPalette p;
    const std::pair<QPalette::ColorRole, int> roles[] = {
        {QPalette::Window, COLOR_3DFACE},
        {QPalette::WindowText, COLOR_WINDOWTEXT},
        {QPalette::Base, COLOR_WINDOW},
        {QPalette::AlternateBase, COLOR_3DFACE},
        {QPalette::Text, COLOR_WINDOWTEXT},
        {QPalette::Button, COLOR_BTNFACE},
        {QPalette::ButtonText, COLOR_BTNTEXT},
        {QPalette::BrightText, COLOR_BTNHIGHLIGHT},
        {QPalette::Light, COLOR_BTNHIGHLIGHT},
        {QPalette::Midlight, COLOR_3DLIGHT},
        {QPalette::Mid, COLOR_BTNSHADOW},
        {QPalette::Dark, COLOR_BTNSHADOW},
        {QPalette::Shadow, COLOR_3DDKSHADOW},
        {QPalette::Highlight, COLOR_HIGHLIGHT},
        {QPalette::HighlightedText, COLOR_HIGHLIGHTTEXT},
        {QPalette::ToolTipBase, COLOR_INFOBK},
        {QPalette::ToolTipText, COLOR_INFOTEXT},
        {QPalette::Link, COLOR_HOTLIGHT},
        {QPalette::LinkVisited, COLOR_HOTLIGHT},
        {QPalette::PlaceholderText, COLOR_GRAYTEXT},
    };
    for (const auto& [role, index] : roles)
        p.setColor(role, colour(index));
    p.setColor(QPalette::Disabled, QPalette::WindowText, colour(COLOR_GRAYTEXT));
    p.setColor(QPalette::Disabled, QPalette::Text, colour(COLOR_GRAYTEXT));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, colour(COLOR_GRAYTEXT));
    p.setColor(QPalette::Disabled, QPalette::Base, colour(COLOR_3DFACE));
    p.setColor(QPalette::Disabled, QPalette::Highlight, colour(COLOR_GRAYTEXT));
    return p;
}

} // namespace kfm::gdi
