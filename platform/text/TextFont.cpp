#include "TextFont.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

namespace kfm::text {

namespace {

constexpr int kSymbolCharset = 2;
constexpr int kDefaultCharset = 1;
constexpr int kLargestPixelSize = 2000;

struct CharsetRow {
    int charset;
    int codePage;
    QFontDatabase::WritingSystem system;
};

constexpr std::array<CharsetRow, 16> kCharsets{{
    {0, 1252, QFontDatabase::Latin},
    {238, 1250, QFontDatabase::Latin},
    {204, 1251, QFontDatabase::Cyrillic},
    {161, 1253, QFontDatabase::Greek},
    {162, 1254, QFontDatabase::Latin},
    {177, 1255, QFontDatabase::Hebrew},
    {178, 1256, QFontDatabase::Arabic},
    {186, 1257, QFontDatabase::Latin},
    {163, 1258, QFontDatabase::Vietnamese},
    {222, 874, QFontDatabase::Thai},
    {128, 932, QFontDatabase::Japanese},
    {129, 949, QFontDatabase::Korean},
    {134, 936, QFontDatabase::SimplifiedChinese},
    {136, 950, QFontDatabase::TraditionalChinese},
    {130, 1361, QFontDatabase::Korean},
    {kSymbolCharset, 0, QFontDatabase::Symbol},
}};

const CharsetRow* rowOfCharset(int charset) {
    for (const CharsetRow& row : kCharsets)
        if (row.charset == charset)
            return &row;
    return nullptr;
}

// 256 characters of a single-byte code page, decoded once.
const std::array<char32_t, 256>& codePageTable(int codePage) {
    static std::mutex mutex;
    static std::map<int, std::array<char32_t, 256>> tables;
    const std::lock_guard lock(mutex);
    auto [it, added] = tables.try_emplace(codePage);
    if (!added)
        return it->second;
    QStringDecoder decoder(QByteArray("windows-") + QByteArray::number(codePage));
    for (int code = 0; code < 256; ++code) {
        char32_t character = code < 0x80 || !decoder.isValid() ? char32_t(code) : U'\xFFFD';
        if (code >= 0x80 && decoder.isValid()) {
            const char byte = static_cast<char>(code);
            const QString decoded = decoder.decode(QByteArrayView(&byte, 1));
            decoder.resetState();
            if (decoded.size() == 1)
                character = decoded.at(0).unicode();
        }
        it->second[static_cast<std::size_t>(code)] = character;
    }
    return it->second;
}

bool sameFace(const QString& family, std::string_view face) {
    return family.compare(QString::fromLatin1(face.data(), static_cast<qsizetype>(face.size())),
                          Qt::CaseInsensitive) == 0;
}

// The family name without the foundry that fontconfig may add ("Family [Foundry]").
QString plainFamily(const QString& family) {
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket < 0 ? family : family.left(bracket);
}

bool familyHasCharset(const QString& family, int charset) {
    if (charset == kDefaultCharset)
        return true;
    const CharsetRow* row = rowOfCharset(charset);
    return row && QFontDatabase::writingSystems(family).contains(row->system);
}

int toQtWeight(int weight) {
    if (weight <= 0)
        return QFont::Normal;
    return std::clamp(weight, 100, 900);
}

// Cuts the cells without ink off the edges, so the black box is the inked box; a glyph without
// ink becomes one empty cell.
void trimToInk(GlyphBitmap& glyph) {
    int left = glyph.blackBoxX, right = -1, top = glyph.blackBoxY, bottom = -1;
    for (int y = 0; y < glyph.blackBoxY; ++y)
        for (int x = 0; x < glyph.blackBoxX; ++x)
            if (glyph.coverage[static_cast<std::size_t>(y) * glyph.blackBoxX + x]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) {
        glyph.blackBoxX = glyph.blackBoxY = 1;
        glyph.coverage.assign(1, 0);
        return;
    }
    std::vector<std::uint8_t> cells;
    cells.reserve(static_cast<std::size_t>(right - left + 1) * (bottom - top + 1));
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            cells.push_back(glyph.coverage[static_cast<std::size_t>(y) * glyph.blackBoxX + x]);
    glyph.originX += left;
    glyph.originY -= top;
    glyph.blackBoxX = right - left + 1;
    glyph.blackBoxY = bottom - top + 1;
    glyph.coverage = std::move(cells);
}

} // namespace

char32_t unicodeOfByte(std::uint8_t code, int charset) {
    if (charset == kSymbolCharset)
        return code < 0x20 ? char32_t(code) : char32_t(0xF000 + code);
    const CharsetRow* row = rowOfCharset(charset);
    const int codePage = row && row->codePage ? row->codePage : 1252;
    return codePageTable(codePage)[code];
}

int codePageOfCharset(int charset) {
    const CharsetRow* row = rowOfCharset(charset);
    return row ? row->codePage : 0;
}

int charsetOfCodePage(int codePage) {
    if (codePage == 0)
        return -1;
    for (const CharsetRow& row : kCharsets)
        if (row.codePage == codePage)
            return row.charset;
    return -1;
}

bool faceExists(std::string_view face, int charset) {
    if (!QGuiApplication::instance() || face.empty())
        return false;
    for (const QString& family : QFontDatabase::families())
        if (sameFace(plainFamily(family), face) && familyHasCharset(family, charset))
            return true;
    return false;
}

std::vector<std::string> facesOfCharset(int charset) {
    std::vector<std::string> faces;
    if (!QGuiApplication::instance())
        return faces;
    for (const QString& family : QFontDatabase::families())
        if (familyHasCharset(family, charset)) {
            const std::string name = plainFamily(family).toStdString();
            if (std::find(faces.begin(), faces.end(), name) == faces.end())
                faces.push_back(name);
        }
    return faces;
}

std::vector<std::uint8_t> charsetsOfFace(std::string_view face) {
    std::vector<std::uint8_t> charsets;
    for (const CharsetRow& row : kCharsets)
        if (faceExists(face, row.charset))
            charsets.push_back(static_cast<std::uint8_t>(row.charset));
    return charsets;
}

int userDefaultCodePage() {
    const char* lang = std::getenv("LC_ALL");
    if (!lang || !*lang)
        lang = std::getenv("LANG");
    if (!lang)
        return 1252;
    const std::string_view locale(lang);
    const std::pair<std::string_view, int> prefixes[] = {
        {"cs", 1250}, {"pl", 1250}, {"hu", 1250}, {"sk", 1250},   {"sl", 1250},
        {"hr", 1250}, {"ro", 1250}, {"ru", 1251}, {"uk", 1251},   {"bg", 1251},
        {"be", 1251}, {"sr", 1251}, {"el", 1253}, {"tr", 1254},   {"he", 1255},
        {"ar", 1256}, {"lt", 1257}, {"lv", 1257}, {"et", 1257},   {"vi", 1258},
        {"th", 874},  {"ja", 932},  {"ko", 949},  {"zh_TW", 950}, {"zh", 936}};
    for (const auto& [prefix, codePage] : prefixes)
        if (locale.substr(0, prefix.size()) == prefix)
            return codePage;
    return 1252;
}

std::unique_ptr<Font> Font::create(const LOGFONTA& logFont) {
    if (!QGuiApplication::instance())
        return nullptr;
    const int height = logFont.lfHeight;
    if (height == 0 || std::abs(height) > kLargestPixelSize)
        return nullptr;
    const std::string_view face(logFont.lfFaceName,
                                strnlen(logFont.lfFaceName, sizeof logFont.lfFaceName));
    QFont font(QString::fromLatin1(face.data(), static_cast<qsizetype>(face.size())));
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
    font.setWeight(QFont::Weight(toQtWeight(logFont.lfWeight)));
    font.setItalic(logFont.lfItalic != 0);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(100);
    QRawFont probe = QRawFont::fromFont(font);
    if (!probe.isValid())
        return nullptr;
    // Negative heights name the em size; positive ones the cell, ascent plus descent.
    double pixelSize = std::abs(height);
    if (height > 0)
        pixelSize = height * 100.0 / (probe.ascent() + probe.descent());
    auto raw = std::make_unique<QRawFont>(probe);
    raw->setPixelSize(pixelSize);
    return std::unique_ptr<Font>(new Font(std::move(raw), logFont.lfCharSet));
}

Font::Font(std::unique_ptr<QRawFont> raw, int charset) : raw_(std::move(raw)), charset_(charset) {
    metrics_.ascent = static_cast<int>(std::ceil(raw_->ascent() - 1e-6));
    metrics_.descent = static_cast<int>(std::ceil(raw_->descent() - 1e-6));
    metrics_.height = metrics_.ascent + metrics_.descent;
}

Font::~Font() = default;

std::uint32_t Font::glyphIndex(std::uint8_t code) const {
    const char32_t character = unicodeOfByte(code, charset_);
    const QString text = QString::fromUcs4(&character, 1);
    const QList<quint32> indexes = raw_->glyphIndexesForString(text);
    std::uint32_t index = indexes.isEmpty() ? 0 : indexes.front();
    if (index == 0 && charset_ == kSymbolCharset) {
        const char32_t plain = code;
        const QList<quint32> fallback = raw_->glyphIndexesForString(QString::fromUcs4(&plain, 1));
        index = fallback.isEmpty() ? 0 : fallback.front();
    }
    return index;
}

AbcWidths Font::abcWidths(std::uint8_t code) const {
    const std::uint32_t index = glyphIndex(code);
    const QList<QPointF> advances = raw_->advancesForGlyphIndexes(QList<quint32>{index});
    const int advance = advances.isEmpty() ? 0 : static_cast<int>(std::lround(advances[0].x()));
    // The black box is the inked box of the finest glyph bitmap, as the drawing sees it.
    const std::optional<GlyphBitmap> box = glyph(code, kGlyphGray8);
    AbcWidths widths;
    widths.a = box ? box->originX : 0;
    widths.b = box ? box->blackBoxX : 1;
    widths.c = advance - widths.a - widths.b;
    return widths;
}

int Font::kerning(std::uint8_t first, std::uint8_t second) const {
    const QList<quint32> pair{glyphIndex(first), glyphIndex(second)};
    const QList<QPointF> plain = raw_->advancesForGlyphIndexes(pair);
    const QList<QPointF> kerned = raw_->advancesForGlyphIndexes(pair, QRawFont::KernedAdvances);
    if (plain.size() != 2 || kerned.size() != 2)
        return 0;
    return static_cast<int>(std::lround(kerned[0].x() - plain[0].x()));
}

std::optional<GlyphBitmap> Font::glyph(std::uint8_t code, int format) const {
    const auto key = std::make_pair(format, int{code});
    auto it = glyphs_.find(key);
    if (it == glyphs_.end())
        it = glyphs_.emplace(key, rasterise(code, format)).first;
    return it->second;
}

std::optional<GlyphBitmap> Font::rasterise(std::uint8_t code, int format) const {
    int scale = 0;
    switch (format) {
    case kGlyphBitmap:
        scale = 1;
        break;
    case kGlyphGray2:
        scale = 2;
        break;
    case kGlyphGray4:
        scale = 4;
        break;
    case kGlyphGray8:
        scale = 8;
        break;
    default:
        return std::nullopt;
    }
    const QPainterPath path = raw_->pathForGlyph(glyphIndex(code));
    const QRectF box = path.boundingRect();
    GlyphBitmap glyph;
    glyph.levels = scale == 1 ? 1 : scale * scale;
    if (box.isEmpty()) {
        glyph.blackBoxX = glyph.blackBoxY = 1;
        glyph.coverage.assign(1, 0);
        return glyph;
    }
    const int left = static_cast<int>(std::floor(box.left()));
    const int top = static_cast<int>(std::floor(box.top()));
    glyph.blackBoxX = static_cast<int>(std::ceil(box.right())) - left;
    glyph.blackBoxY = static_cast<int>(std::ceil(box.bottom())) - top;
    glyph.originX = left;
    glyph.originY = -top;
    // The outline filled without antialiasing at scale x scale sub-pixels per pixel; the
    // covered sub-pixels of each cell are its coverage.
    QImage fine(glyph.blackBoxX * scale, glyph.blackBoxY * scale, QImage::Format_Grayscale8);
    fine.fill(0);
    {
        QPainter painter(&fine);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.scale(scale, scale);
        painter.translate(-left, -top);
        painter.fillPath(path, QColor(255, 255, 255));
    }
    glyph.coverage.assign(static_cast<std::size_t>(glyph.blackBoxX) * glyph.blackBoxY, 0);
    const int fineWidth = fine.width();
    const int fineHeight = fine.height();
    for (int y = 0; y < fineHeight; ++y) {
        const uchar* row = fine.constScanLine(y);
        std::uint8_t* cells =
            glyph.coverage.data() + static_cast<std::size_t>(y / scale) * glyph.blackBoxX;
        for (int x = 0; x < fineWidth; ++x)
            cells[x / scale] += row[x] != 0;
    }
    trimToInk(glyph);
    return glyph;
}

} // namespace kfm::text
