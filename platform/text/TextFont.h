#pragma once
// Fonts and glyphs for the text renderers: a font made from a LOGFONTA over QRawFont, its
// metrics, kerning and glyph coverage bitmaps at the four bitmap formats, the code pages of the
// character sets, and what the font database holds per character set. Needs a
// QGuiApplication; without one no font is made.
//
// Fonts of the same face, height, weight and slant share one cached face per thread (QRawFont
// belongs to the thread that made it): its glyph bitmaps, advances and kerning pairs are worked
// out once. The cache is bounded in faces and in glyph bytes per face.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::text {

struct FontFace;

// Glyph bitmap formats: 1 bit per pixel, or 5, 17 and 65 grey levels.
enum GlyphFormat : int { kGlyphBitmap = 1, kGlyphGray2 = 4, kGlyphGray4 = 5, kGlyphGray8 = 6 };

struct TextMetrics {
    int height = 0; // ascent + descent
    int ascent = 0;
    int descent = 0;
};

// Pen advance of one character: a before the black box, b the box, c after it.
struct AbcWidths {
    int a = 0;
    int b = 0;
    int c = 0;
};

struct GlyphBitmap {
    int blackBoxX = 0;
    int blackBoxY = 0;
    int originX = 0;                    // black box left of the pen
    int originY = 0;                    // black box top above the baseline
    int levels = 1;                     // largest coverage value
    std::vector<std::uint8_t> coverage; // blackBoxX x blackBoxY, top row first, 0..levels
};

class KFM_PLATFORM_API Font {
public:
    // A font of the record's face (or the database's substitute), size, weight and slant; null
    // without a QGuiApplication, or for a zero or absurd height (above 2000 pixels).
    static std::unique_ptr<Font> create(const LOGFONTA& logFont);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const TextMetrics& metrics() const;
    int charset() const { return charset_; }
    AbcWidths abcWidths(std::uint8_t code) const;
    // The pen correction between two character codes with kerning, in whole pixels.
    int kerning(std::uint8_t first, std::uint8_t second) const;
    std::optional<GlyphBitmap> glyph(std::uint8_t code, int format) const;
    // The same glyph without a copy; null for an unknown format.
    std::shared_ptr<const GlyphBitmap> sharedGlyph(std::uint8_t code, int format) const;

private:
    Font(std::shared_ptr<FontFace> face, int charset);
    std::uint32_t glyphIndex(std::uint8_t code) const;

    std::shared_ptr<FontFace> face_;
    int charset_ = 0;
};

// Bounds of the per-thread font cache: faces kept, and glyph bytes kept per face. Zero faces
// makes every font anew; zero bytes rasterises every glyph anew.
struct FontCacheLimits {
    std::size_t faces = 16;
    std::size_t glyphBytesPerFace = std::size_t{8} << 20;
};
KFM_PLATFORM_API void setFontCacheLimits(const FontCacheLimits& limits);
KFM_PLATFORM_API FontCacheLimits fontCacheLimits();
// The faces and glyph bytes that this thread's cache holds now.
KFM_PLATFORM_API std::size_t cachedFaceCount();
KFM_PLATFORM_API std::size_t cachedGlyphBytes();
// Forgets this thread's cached faces (fonts in use keep theirs).
KFM_PLATFORM_API void clearFontCache();

// The Unicode character of a byte in the code page of a character set (1252 for unknown ones;
// the symbol set maps into the private-use block the symbol faces use).
KFM_PLATFORM_API char32_t unicodeOfByte(std::uint8_t code, int charset);
// The way back: the byte of a Unicode character in the code page of a character set; -1 when
// the code page has no byte for it (and for NUL).
KFM_PLATFORM_API int byteOfUnicode(char32_t character, int charset);
// The Windows code page of a character set; 0 when the set has none.
KFM_PLATFORM_API int codePageOfCharset(int charset);
// The character set of a Windows code page; -1 when none.
KFM_PLATFORM_API int charsetOfCodePage(int codePage);

// True when the database has the face (without regard to case) with a writing system of the
// character set; DEFAULT_CHARSET (1) accepts any.
KFM_PLATFORM_API bool faceExists(std::string_view face, int charset);
// The faces of a character set, in the database's order.
KFM_PLATFORM_API std::vector<std::string> facesOfCharset(int charset);
// The character sets that a face supports, in table order.
KFM_PLATFORM_API std::vector<std::uint8_t> charsetsOfFace(std::string_view face);
// The user's ANSI code page from LANG (1252 when unknown).
KFM_PLATFORM_API int userDefaultCodePage();

} // namespace kfm::text
