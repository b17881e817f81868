#include "TextFont.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QStringDecoder>
#include <QThread>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
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

int byteOfUnicode(char32_t character, int charset) {
    if (character == 0)
        return -1;
    if (charset == kSymbolCharset) {
        if (character < 0x100)
            return static_cast<int>(character);
        return character >= 0xF000 && character <= 0xF0FF ? static_cast<int>(character - 0xF000)
                                                          : -1;
    }
    for (int code = 1; code < 256; ++code)
        if (unicodeOfByte(static_cast<std::uint8_t>(code), charset) == character)
            return code;
    return -1;
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

// One face at one size: the raw font and what has been worked out from it so far.
struct FontFace {
    explicit FontFace(const QRawFont& font) : raw(font) {
        metrics.ascent = static_cast<int>(std::ceil(raw.ascent() - 1e-6));
        metrics.descent = static_cast<int>(std::ceil(raw.descent() - 1e-6));
        metrics.height = metrics.ascent + metrics.descent;
    }

    QRawFont raw;
    TextMetrics metrics;
    std::map<std::pair<int, int>, std::uint32_t> indexes; // by charset and code
    std::map<std::uint32_t, int> advances;                // rounded, by glyph index
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> kerning;
    std::map<std::pair<std::uint32_t, int>, std::shared_ptr<const GlyphBitmap>> glyphs;
    std::size_t glyphBytes = 0;
};

namespace {

// What decides the face and its size.
struct FaceKey {
    std::string face;
    int height = 0;
    int weight = 0;
    bool italic = false;
    bool operator==(const FaceKey&) const = default;
};

constexpr std::size_t kLargestKerningPairs = 1 << 16;

std::atomic<std::size_t> cacheFaceLimit{FontCacheLimits{}.faces};
std::atomic<std::size_t> cacheGlyphByteLimit{FontCacheLimits{}.glyphBytesPerFace};

// Most recently used last.
using FaceCache = std::vector<std::pair<FaceKey, std::shared_ptr<FontFace>>>;

FaceCache& threadFaceCache() {
    thread_local FaceCache cache;
    return cache;
}

void clearThreadFaceCache() {
    threadFaceCache().clear();
}

// The faces hold font engines, which must go before the application does.
void forgetFacesWithTheApplication() {
    thread_local bool registered = false;
    if (registered || !QCoreApplication::instance() ||
        QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    registered = true;
    qAddPostRoutine([] {
        clearThreadFaceCache();
        registered = false;
    });
}

void trimFaces(FaceCache& cache, std::size_t limit) {
    if (cache.size() > limit)
        cache.erase(cache.begin(),
                    cache.begin() + static_cast<std::ptrdiff_t>(cache.size() - limit));
}

void trimGlyphs(FontFace& face, std::size_t limit) {
    if (face.glyphBytes <= limit)
        return;
    face.glyphs.clear();
    face.glyphBytes = 0;
}

std::shared_ptr<FontFace> makeFace(const FaceKey& key) {
    QFont font(QString::fromLatin1(key.face.data(), static_cast<qsizetype>(key.face.size())));
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
    font.setWeight(QFont::Weight(toQtWeight(key.weight)));
    font.setItalic(key.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(100);
    QRawFont probe = QRawFont::fromFont(font);
    if (!probe.isValid())
        return nullptr;
    // Negative heights name the em size; positive ones the cell, ascent plus descent.
    double pixelSize = std::abs(key.height);
    if (key.height > 0)
        pixelSize = key.height * 100.0 / (probe.ascent() + probe.descent());
    probe.setPixelSize(pixelSize);
    return std::make_shared<FontFace>(probe);
}

std::shared_ptr<FontFace> cachedFace(const FaceKey& key) {
    FaceCache& cache = threadFaceCache();
    const auto found = std::find_if(cache.begin(), cache.end(),
                                    [&](const auto& entry) { return entry.first == key; });
    if (found != cache.end()) {
        std::rotate(found, found + 1, cache.end());
        return cache.back().second;
    }
    std::shared_ptr<FontFace> face = makeFace(key);
    const std::size_t limit = cacheFaceLimit.load();
    if (face && limit > 0) {
        forgetFacesWithTheApplication();
        cache.emplace_back(key, face);
        trimFaces(cache, limit);
    }
    return face;
}

int scaleOfFormat(int format) {
    switch (format) {
    case kGlyphBitmap:
        return 1;
    case kGlyphGray2:
        return 2;
    case kGlyphGray4:
        return 4;
    case kGlyphGray8:
        return 8;
    default:
        return 0;
    }
}

// The set sub-pixels among `count` bytes of 0 (clear) or not (set).
int setBytes(const uchar* bytes, int count) {
    int set = 0;
    for (; count >= 8; count -= 8, bytes += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        // High bit of each byte set where the byte is nonzero.
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
        const std::uint64_t nonzero = ((word & kLow7) + kLow7) | word;
        set += std::popcount(nonzero & ~kLow7);
    }
    for (; count > 0; --count)
        set += *bytes++ != 0;
    return set;
}

// The outline filled without antialiasing at scale x scale sub-pixels per pixel; the covered
// sub-pixels of each cell are its coverage.
GlyphBitmap rasterise(FontFace& face, std::uint32_t index, int scale) {
    const QPainterPath path = face.raw.pathForGlyph(index);
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
    const int fineWidth = glyph.blackBoxX * scale;
    const int fineHeight = glyph.blackBoxY * scale;
    QImage fine(fineWidth, fineHeight, QImage::Format_Grayscale8);
    fine.fill(0);
    {
        QPainter painter(&fine);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.scale(scale, scale);
        painter.translate(-left, -top);
        painter.fillPath(path, QColor(255, 255, 255));
    }
    glyph.coverage.assign(static_cast<std::size_t>(glyph.blackBoxX) * glyph.blackBoxY, 0);
    for (int y = 0; y < fineHeight; ++y) {
        const uchar* row = fine.constScanLine(y);
        std::uint8_t* cells =
            glyph.coverage.data() + static_cast<std::size_t>(y / scale) * glyph.blackBoxX;
        for (int cell = 0; cell < glyph.blackBoxX; ++cell)
            cells[cell] =
                static_cast<std::uint8_t>(cells[cell] + setBytes(row + cell * scale, scale));
    }
    trimToInk(glyph);
    return glyph;
}

} // namespace

std::unique_ptr<Font> Font::create(const LOGFONTA& logFont) {
    if (!QGuiApplication::instance())
        return nullptr;
    const int height = logFont.lfHeight;
    if (height == 0 || std::abs(height) > kLargestPixelSize)
        return nullptr;
    FaceKey key;
    key.face.assign(logFont.lfFaceName, strnlen(logFont.lfFaceName, sizeof logFont.lfFaceName));
    key.height = height;
    key.weight = logFont.lfWeight;
    key.italic = logFont.lfItalic != 0;
    std::shared_ptr<FontFace> face = cachedFace(key);
    if (!face)
        return nullptr;
    return std::unique_ptr<Font>(new Font(std::move(face), logFont.lfCharSet));
}

Font::Font(std::shared_ptr<FontFace> face, int charset)
    : face_(std::move(face)), charset_(charset) {}

Font::~Font() = default;

const TextMetrics& Font::metrics() const {
    return face_->metrics;
}

std::uint32_t Font::glyphIndex(std::uint8_t code) const {
    const auto key = std::make_pair(charset_, int{code});
    if (const auto found = face_->indexes.find(key); found != face_->indexes.end())
        return found->second;
    const QRawFont& raw = face_->raw;
    const char32_t character = unicodeOfByte(code, charset_);
    const QList<quint32> indexes = raw.glyphIndexesForString(QString::fromUcs4(&character, 1));
    std::uint32_t index = indexes.isEmpty() ? 0 : indexes.front();
    if (index == 0 && charset_ == kSymbolCharset) {
        const char32_t plain = code;
        const QList<quint32> fallback = raw.glyphIndexesForString(QString::fromUcs4(&plain, 1));
        index = fallback.isEmpty() ? 0 : fallback.front();
    }
    face_->indexes.emplace(key, index);
    return index;
}

AbcWidths Font::abcWidths(std::uint8_t code) const {
    const std::uint32_t index = glyphIndex(code);
    auto advance = face_->advances.find(index);
    if (advance == face_->advances.end()) {
        const QList<QPointF> advances = face_->raw.advancesForGlyphIndexes(QList<quint32>{index});
        advance =
            face_->advances
                .emplace(index,
                         advances.isEmpty() ? 0 : static_cast<int>(std::lround(advances[0].x())))
                .first;
    }
    // The black box is the inked box of the finest glyph bitmap, as the drawing sees it.
    const std::shared_ptr<const GlyphBitmap> box = sharedGlyph(code, kGlyphGray8);
    AbcWidths widths;
    widths.a = box ? box->originX : 0;
    widths.b = box ? box->blackBoxX : 1;
    widths.c = advance->second - widths.a - widths.b;
    return widths;
}

int Font::kerning(std::uint8_t first, std::uint8_t second) const {
    const auto pair = std::make_pair(glyphIndex(first), glyphIndex(second));
    if (const auto found = face_->kerning.find(pair); found != face_->kerning.end())
        return found->second;
    const QList<quint32> glyphs{pair.first, pair.second};
    const QList<QPointF> plain = face_->raw.advancesForGlyphIndexes(glyphs);
    const QList<QPointF> kerned =
        face_->raw.advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
    const int amount = plain.size() != 2 || kerned.size() != 2
                           ? 0
                           : static_cast<int>(std::lround(kerned[0].x() - plain[0].x()));
    if (face_->kerning.size() >= kLargestKerningPairs)
        face_->kerning.clear();
    face_->kerning.emplace(pair, amount);
    return amount;
}

std::optional<GlyphBitmap> Font::glyph(std::uint8_t code, int format) const {
    const std::shared_ptr<const GlyphBitmap> shared = sharedGlyph(code, format);
    if (!shared)
        return std::nullopt;
    return *shared;
}

std::shared_ptr<const GlyphBitmap> Font::sharedGlyph(std::uint8_t code, int format) const {
    const int scale = scaleOfFormat(format);
    if (scale == 0)
        return nullptr;
    const auto key = std::make_pair(glyphIndex(code), format);
    if (const auto found = face_->glyphs.find(key); found != face_->glyphs.end())
        return found->second;
    auto glyph = std::make_shared<const GlyphBitmap>(rasterise(*face_, key.first, scale));
    const std::size_t bytes = glyph->coverage.size() + sizeof(GlyphBitmap);
    const std::size_t limit = cacheGlyphByteLimit.load();
    if (bytes <= limit) {
        trimGlyphs(*face_, limit - bytes);
        face_->glyphs.emplace(key, glyph);
        face_->glyphBytes += bytes;
    }
    return glyph;
}

void setFontCacheLimits(const FontCacheLimits& limits) {
    cacheFaceLimit = limits.faces;
    cacheGlyphByteLimit = limits.glyphBytesPerFace;
    FaceCache& cache = threadFaceCache();
    trimFaces(cache, limits.faces);
    for (auto& entry : cache)
        trimGlyphs(*entry.second, limits.glyphBytesPerFace);
}

FontCacheLimits fontCacheLimits() {
    return {cacheFaceLimit.load(), cacheGlyphByteLimit.load()};
}

std::size_t cachedFaceCount() {
    return threadFaceCache().size();
}

std::size_t cachedGlyphBytes() {
    std::size_t bytes = 0;
    for (const auto& entry : threadFaceCache())
        bytes += entry.second->glyphBytes;
    return bytes;
}

void clearFontCache() {
    clearThreadFaceCache();
}

} // namespace kfm::text
