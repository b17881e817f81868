#include "TextRender.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "FrameTransparency.h"
#include "Geometry.h"
#include "ImageUtilities.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using kfm::text::Font;

namespace {

// Images wider or higher than this are refused: library sizes are 16-bit.
constexpr int kLargestImageSide = 16000;

// Visits each stored row of an 8-bit image: its pixels, their offset in the bits and the width.
// Loops over a row's pixels with plain pointers vectorise where per-pixel visits do not.
template <typename Visit> void forEachRow(KpxHandle image, Visit visit) {
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    for (int row = 0; row < height; ++row) {
        const std::size_t offset = static_cast<std::size_t>(row) * stride;
        visit(bits + offset, offset, width);
    }
}

// Sets out[i] to the smaller of out[i] and in[i] over n bytes.
void keepSmaller(std::uint8_t* out, const std::uint8_t* in, int n) {
    int i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_min_epu8(a, b));
    }
#endif
    for (; i < n; ++i)
        out[i] = std::min(out[i], in[i]);
}

// Raises the bytes of 254 to 255 over n bytes.
void raiseNearlyBlank(std::uint8_t* pixels, int n) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i nearly = _mm_set1_epi8(static_cast<char>(254));
    const __m128i one = _mm_set1_epi8(1);
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        const __m128i raise = _mm_and_si128(_mm_cmpeq_epi8(v, nearly), one);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), _mm_or_si128(v, raise));
    }
#endif
    for (; i < n; ++i)
        pixels[i] = pixels[i] == 254 ? 255 : pixels[i];
}

// Sets out[i] to 1 where in[i] carries ink (below 255) and to 0 elsewhere, eight bytes at a
// time: a byte of the complement is not zero exactly where there is ink, and adding 0x7f to its
// low seven bits carries into its top bit without reaching the next byte.
void markInked(std::uint8_t* out, const std::uint8_t* in, int n) {
    constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7full;
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, in + i, sizeof word);
        const std::uint64_t ink = ~word;
        const std::uint64_t marked = ((((ink & kLow7) + kLow7) | ink) >> 7) & kOnes;
        std::memcpy(out + i, &marked, sizeof marked);
    }
    for (; i < n; ++i)
        out[i] = in[i] < 255 ? 1 : 0;
}

template <typename Visit> void forEachPixel(KpxHandle image, Visit visit) {
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x)
            visit(bits[static_cast<std::size_t>(row) * stride + x],
                  static_cast<std::size_t>(row) * stride + x);
}

void setPaletteEntries(KpxHandle image, std::initializer_list<COLORREF> colours) {
    PALETTEENTRY palette[256] = {};
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    for (int i = 0; i < 256; ++i)
        palette[i] = PALETTEENTRY{info->bmiColors[i].rgbRed, info->bmiColors[i].rgbGreen,
                                  info->bmiColors[i].rgbBlue, 0};
    int i = 0;
    for (const COLORREF colour : colours)
        palette[i++] = PALETTEENTRY{GetRValue(colour), GetGValue(colour), GetBValue(colour), 0};
    KPXSetNewPalette(image, palette, 256);
    KPXFillDIBColorTable(image);
}

void setGreyRamp(KpxHandle image) {
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<BYTE>(i);
        palette[i] = PALETTEENTRY{v, v, v, v};
    }
    KPXSetNewPalette(image, palette, 256);
    KPXFillDIBColorTable(image);
}

void fillImage(KpxHandle image, std::uint8_t value) {
    std::memset(KPXGetBits(image), value,
                static_cast<std::size_t>(KPXGetScanBytes(image)) * KPXHeight(image));
}

int averageOf(COLORREF colour) {
    return (GetRValue(colour) + GetGValue(colour) + GetBValue(colour)) / 3;
}

// Coverage 0..levels becomes the absence of ink, 255 none .. 0 full.
std::uint8_t inkToCoverageByte(int value, int format) {
    if (format == kfm::text::kGlyphBitmap)
        return value ? 0 : 255;
    const int shift = format == kfm::text::kGlyphGray2   ? 6
                      : format == kfm::text::kGlyphGray4 ? 4
                                                         : 2;
    return static_cast<std::uint8_t>(255 - std::min(value << shift, 255));
}

// An 8-bit image's rows, read once: pixel (x, y) counted from the top row.
struct PixelRows {
    explicit PixelRows(KpxHandle image)
        : bits(KPXGetBits(image)), stride(KPXGetScanBytes(image)), width(KPXWidth(image)),
          height(KPXHeight(image)) {}
    std::uint8_t& at(int x, int y) const {
        return bits[static_cast<std::size_t>(height - 1 - y) * stride + x];
    }
    std::uint8_t* bits;
    int stride;
    int width;
    int height;
};

void drawGlyph(const PixelRows& image, const kfm::text::GlyphBitmap& glyph, int left, int top,
               int format) {
    for (int gy = 0; gy < glyph.blackBoxY; ++gy) {
        const int y = top + gy;
        if (y < 0 || y >= image.height)
            continue;
        const std::uint8_t* cells =
            glyph.coverage.data() + static_cast<std::size_t>(gy) * glyph.blackBoxX;
        for (int gx = 0; gx < glyph.blackBoxX; ++gx) {
            const int x = left + gx;
            if (x < 0 || x >= image.width)
                continue;
            const std::uint8_t g = inkToCoverageByte(cells[gx], format);
            std::uint8_t& pixel = image.at(x, y);
            if (g < 255 && (pixel == 255 || g == 0))
                pixel = g;
        }
    }
}

void inkRows(const PixelRows& image, int firstRow, int rows, int fromColumn, int toColumn) {
    for (int y = std::max(firstRow, 0); y < std::min(firstRow + rows, image.height); ++y)
        for (int x = std::max(fromColumn, 0); x < std::min(toColumn, image.width); ++x)
            image.at(x, y) = 0;
}

TextSize measure(const Font& font, std::string_view text, const TextStyle& style,
                 bool rotatedExtent) {
    const int margin = TextMargin(font);
    const int angle = style.mirrored ? -style.angle : style.angle;
    TextSize size = LayoutGlyphs(font, 0, 0, 0, text, false, false, style.format, style.kerning);
    size.width += margin;
    size.height += margin;
    if (style.shadow) {
        size.width += std::abs(style.shadowDx);
        size.height += std::abs(style.shadowDy);
    }
    if (rotatedExtent && angle != 0)
        GetRotatedSize(static_cast<float>(angle), size.width, size.height);
    return size;
}

// The unrotated layout warped by the angle into the coverage image.
TextSize layoutRotated(const Font& font, KpxHandle coverage, int x, int y, std::string_view text,
                       const TextStyle& style, int angle) {
    fillImage(coverage, 255);
    const TextSize unrotated = measure(font, text, style, false);
    ScopedImage upright(KPXCreateImage(unrotated.width, unrotated.height, 8));
    if (!upright.get())
        return {};
    const TextSize result = LayoutGlyphs(font, upright.get(), x, y, text, style.underline,
                                         style.strikeOut, style.format, style.kerning);
    const auto corners =
        GetRotatedCorners(static_cast<float>(angle), unrotated.width, unrotated.height);
    double quad[4][2];
    for (int i = 0; i < 4; ++i) {
        quad[i][0] = corners[static_cast<std::size_t>(i)].x;
        quad[i][1] = corners[static_cast<std::size_t>(i)].y;
    }
    // The upright picture carries the grey ramp, so its indexes are its coverage levels and the
    // warp blends them straight into the coverage image.
    IPLWarpPerspectiveQ(upright.get(), coverage, 0, quad, style.interpolation);
    return result;
}

// A colour that differs from both so that the quantiser keeps the edge colours apart.
COLORREF compositionBackground(int average, COLORREF shadowColour) {
    const int channel[3] = {GetRValue(shadowColour), GetGValue(shadowColour),
                            GetBValue(shadowColour)};
    int out[3];
    const bool light = average <= 128;
    std::fill(std::begin(out), std::end(out), light ? 255 : 0);
    for (int i = 0; i < 3; ++i)
        if (light ? channel[i] >= 128 : channel[i] < 128) {
            out[i] = light ? 0 : 255;
            break;
        }
    return RGB(static_cast<BYTE>(out[0]), static_cast<BYTE>(out[1]), static_cast<BYTE>(out[2]));
}

using IndexPairs = std::vector<std::pair<int, int>>;

// Where each palette index goes when pairs of indexes are exchanged one pair after the other.
std::array<std::uint8_t, 256> movedIndexes(const IndexPairs& pairs) {
    std::array<std::uint8_t, 256> moved;
    for (int value = 0; value < 256; ++value) {
        int to = value;
        for (const auto& [first, second] : pairs)
            to = to == first ? second : to == second ? first : to;
        moved[static_cast<std::size_t>(value)] = static_cast<std::uint8_t>(to);
    }
    return moved;
}

void exchangePaletteEntries(KpxHandle image, const IndexPairs& pairs) {
    PALETTEENTRY palette[256];
    GetImagePalette(static_cast<short>(image), palette);
    for (const auto& [first, second] : pairs)
        std::swap(palette[first], palette[second]);
    KPXSetNewPalette(image, palette, 256);
    KPXFillDIBColorTable(image);
}

// Exchanges pairs of palette indexes, one pair after the other, in the pixels (in one pass) and
// in the colour table.
void exchangeIndexes(KpxHandle image, const IndexPairs& pairs) {
    const std::array<std::uint8_t, 256> moved = movedIndexes(pairs);
    forEachPixel(image, [&](std::uint8_t& v, std::size_t) { v = moved[v]; });
    exchangePaletteEntries(image, pairs);
}

// The exchanges that bring each wanted colour, in turn, to its own index (its place in the
// list).
IndexPairs pairsToFront(KpxHandle image, std::initializer_list<COLORREF> wanted) {
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    std::array<COLORREF, 256> table;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] =
            RGB(info->bmiColors[i].rgbRed, info->bmiColors[i].rgbGreen, info->bmiColors[i].rgbBlue);
    IndexPairs pairs;
    int place = 0;
    for (const COLORREF colour : wanted) {
        const auto found = std::find(table.begin(), table.end(), colour) - table.begin();
        if (found < 256 && found != place) {
            std::swap(table[static_cast<std::size_t>(found)],
                      table[static_cast<std::size_t>(place)]);
            pairs.emplace_back(static_cast<int>(found), place);
        }
        ++place;
    }
    return pairs;
}

// What covers a pixel of the composition: 0..255 the text's coverage, plus 256 when the shadow
// lies under it.
constexpr int kCoverKeys = 512;

int coverKey(std::uint8_t text, std::uint8_t shadow) {
    return (shadow < 255 ? 256 : 0) + text;
}

// Most of a text image is covered by neither plane; such pixels are handled a word at a time.
constexpr std::size_t kUncoveredKey = 255;
constexpr int kWordBytes = 8;

bool bothUncovered(const std::uint8_t* text, const std::uint8_t* shadow) {
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    std::memcpy(&a, text, sizeof a);
    std::memcpy(&b, shadow, sizeof b);
    return (a & b) == ~std::uint64_t{0};
}

// The colour of a pixel by what covers it: the text blended by its coverage onto the shadow's
// or its own colour, else the shadow or the background.
COLORREF coveredColour(int key, COLORREF colour, COLORREF shadowColour, COLORREF background) {
    const bool shadowed = key >= 256;
    const int text = key & 255;
    if (text == 255)
        return shadowed ? shadowColour : background;
    const COLORREF base = shadowed ? shadowColour : colour;
    const int weight = 255 - text;
    const auto channel = [weight](int under, int over) {
        return static_cast<BYTE>(std::clamp(under + (over - under) * weight / 255, 0, 255));
    };
    return RGB(channel(GetRValue(base), GetRValue(colour)),
               channel(GetGValue(base), GetGValue(colour)),
               channel(GetBValue(base), GetBValue(colour)));
}

// The plain colouring, when the exact palette cannot be made: indexes 0 background, 1 text,
// 2 shadow.
void colourPlainly(KpxHandle image, const std::uint8_t* text, const std::uint8_t* shadow,
                   COLORREF colour, COLORREF shadowColour, COLORREF background) {
    setPaletteEntries(image, {background, colour, shadowColour});
    fillImage(image, 0);
    forEachPixel(image, [&](std::uint8_t& pixel, std::size_t at) {
        if (text[at] < 255)
            pixel = 1;
        if (shadow && shadow[at] < 255)
            pixel = 2;
    });
}

void composeWithoutShadow(KpxHandle image, ScopedImage& coverage, const TextStyle& style) {
    const COLORREF paper = averageOf(style.colour) <= 192 ? RGB(255, 255, 255) : RGB(0, 0, 0);
    setPaletteEntries(image, {paper, style.colour});
    fillImage(image, 0);
    const std::uint8_t* g = KPXGetBits(coverage.get());
    forEachRow(image, [g](std::uint8_t* pixels, std::size_t offset, int width) {
        markInked(pixels, g + offset, width);
    });
    KPXSetImageTransparentEx(image, coverage.release());
}

ScopedImage makeShadow(const Font& font, KpxHandle coverage, const TextStyle& style, int angle) {
    ScopedImage shadow(KPXCreateImageFrom(coverage, 0));
    if (!shadow.get())
        return shadow;
    int dx = style.shadowDx;
    int dy = style.shadowDy;
    if (angle != 0) {
        const double r = std::sqrt(double(dx) * dx + double(dy) * dy);
        const double phi = std::atan2(double(dy), double(dx)) + angle * 0.017453292;
        dx = static_cast<int>(r * std::cos(phi));
        dy = static_cast<int>(r * std::sin(phi));
    }
    ShiftImageContent(shadow.get(), dx, dy);
    if (style.shadowBlur) {
        IPLBlurCenter(shadow.get(), shadow.get(), TextMargin(font));
        forEachRow(shadow.get(), [](std::uint8_t* pixels, std::size_t, int width) {
            raiseNearlyBlank(pixels, width);
        });
    }
    const int p = style.shadowTransparency;
    if (p > 0)
        forEachPixel(shadow.get(), [p](std::uint8_t& v, std::size_t) {
            v = p >= 100 ? 255 : static_cast<std::uint8_t>(255 - (255 - v) * (100 - p) / 100);
        });
    return shadow;
}

void composeWithShadow(const Font& font, KpxHandle image, ScopedImage& coverage,
                       const TextStyle& style, int angle) {
    ScopedImage shadow = makeShadow(font, coverage.get(), style, angle);
    const std::uint8_t* s = shadow.get() ? KPXGetBits(shadow.get()) : nullptr;
    const int average = (GetRValue(style.colour) + GetGValue(style.colour) +
                         GetBValue(style.colour) + GetRValue(style.shadowColour) +
                         GetGValue(style.shadowColour) + GetBValue(style.shadowColour)) /
                        6;
    const COLORREF background = compositionBackground(average, style.shadowColour);
    ColourTextWithShadow(image, coverage.get(), shadow.get(), style.colour, style.shadowColour,
                         background);
    // The transparency is the smaller of the two coverages, taken into the shadow plane, which
    // is not needed after the colouring.
    if (s) {
        const std::uint8_t* g = KPXGetBits(coverage.get());
        const int stride = KPXGetScanBytes(shadow.get());
        forEachRow(shadow.get(), [g, stride](std::uint8_t* pixels, std::size_t offset, int width) {
            keepSmaller(pixels, g + offset, width);
            // The bytes past the pixels are the text's, as in a copy of its plane.
            std::memcpy(pixels + width, g + offset + width,
                        static_cast<std::size_t>(stride - width));
        });
        KPXSetImageTransparentEx(image, shadow.release());
    }
    setPaletteEntries(image, {average <= 192 ? RGB(255, 255, 255) : RGB(0, 0, 0)});
}

} // namespace

void ColourTextWithShadow(KpxHandle image, KpxHandle coverage, KpxHandle shadow, COLORREF colour,
                          COLORREF shadowColour, COLORREF background) {
    const std::uint8_t* text = KPXGetBits(coverage);
    const std::uint8_t* under = shadow ? KPXGetBits(shadow) : nullptr;
    fillImage(image, 0);
    std::array<std::uint8_t, kCoverKeys> present{};
    forEachRow(image, [&](std::uint8_t*, std::size_t offset, int width) {
        const std::uint8_t* ink = text + offset;
        if (!under) {
            for (int x = 0; x < width; ++x)
                present[ink[x]] = 1;
            return;
        }
        const std::uint8_t* shade = under + offset;
        int x = 0;
        for (; x + kWordBytes <= width; x += kWordBytes) {
            if (bothUncovered(ink + x, shade + x)) {
                present[kUncoveredKey] = 1;
                continue;
            }
            for (int i = x; i < x + kWordBytes; ++i)
                present[static_cast<std::size_t>(coverKey(ink[i], shade[i]))] = 1;
        }
        for (; x < width; ++x)
            present[static_cast<std::size_t>(coverKey(ink[x], shade[x]))] = 1;
    });
    // One pixel of each colour that occurs, through the exact 24- to 8-bit conversion: its
    // palette and indexes depend only on the colours, so they are those of the whole picture.
    std::vector<int> keys;
    for (int key = 0; key < kCoverKeys; ++key)
        if (present[static_cast<std::size_t>(key)])
            keys.push_back(key);
    ScopedImage colours(KPXCreateImage(static_cast<int>(keys.size()), 1, 24));
    if (colours.get()) {
        std::uint8_t* bgr = KPXGetBits(colours.get());
        for (const int key : keys) {
            const COLORREF c = coveredColour(key, colour, shadowColour, background);
            *bgr++ = GetBValue(c);
            *bgr++ = GetGValue(c);
            *bgr++ = GetRValue(c);
        }
    }
    int count = 0;
    ScopedImage exact(colours.get() ? KPXColorConvert24to8(colours.get(), background, colour,
                                                           shadowColour, &count)
                                    : 0);
    if (!exact.get()) {
        colourPlainly(image, text, under, colour, shadowColour, background);
        return;
    }
    PALETTEENTRY palette[256];
    GetImagePalette(static_cast<short>(exact.get()), palette);
    KPXSetNewPalette(image, palette, 256);
    KPXFillDIBColorTable(image);
    // The background, text and shadow colours are brought to indexes 0, 1 and 2.
    const IndexPairs pairs = pairsToFront(image, {background, colour, shadowColour});
    const std::array<std::uint8_t, 256> moved = movedIndexes(pairs);
    std::array<std::uint8_t, kCoverKeys> indexOf{};
    const std::uint8_t* exactIndexes = KPXGetBits(exact.get());
    for (std::size_t i = 0; i < keys.size(); ++i)
        indexOf[static_cast<std::size_t>(keys[i])] = moved[exactIndexes[i]];
    forEachRow(image, [&](std::uint8_t* pixels, std::size_t offset, int width) {
        const std::uint8_t* ink = text + offset;
        if (!under) {
            for (int x = 0; x < width; ++x)
                pixels[x] = indexOf[ink[x]];
            return;
        }
        const std::uint8_t* shade = under + offset;
        const std::uint8_t uncovered = indexOf[kUncoveredKey];
        int x = 0;
        for (; x + kWordBytes <= width; x += kWordBytes) {
            if (bothUncovered(ink + x, shade + x)) {
                std::memset(pixels + x, uncovered, kWordBytes);
                continue;
            }
            for (int i = x; i < x + kWordBytes; ++i)
                pixels[i] = indexOf[static_cast<std::size_t>(coverKey(ink[i], shade[i]))];
        }
        for (; x < width; ++x)
            pixels[x] = indexOf[static_cast<std::size_t>(coverKey(ink[x], shade[x]))];
    });
    if (!pairs.empty())
        exchangePaletteEntries(image, pairs);
}

int TextMargin(const Font& font) {
    return font.metrics().height / 10 + 2;
}

TextSize LayoutGlyphs(const Font& font, KpxHandle image, int x, int y, std::string_view text,
                      bool underline, bool strikeOut, int format, bool kerning) {
    if (text.empty())
        return {};
    if (image) {
        setGreyRamp(image);
        fillImage(image, 255);
    }
    const kfm::text::TextMetrics& metrics = font.metrics();
    const int margin = TextMargin(font);
    const int baseline = y + 2 + margin / 2 + metrics.ascent;
    const int start = x + 2 + margin / 2;
    std::vector<std::shared_ptr<const kfm::text::GlyphBitmap>> glyphs;
    glyphs.reserve(text.size());
    for (const char c : text) {
        auto glyph = font.sharedGlyph(static_cast<std::uint8_t>(c), format);
        if (!glyph)
            return {};
        glyphs.push_back(std::move(glyph));
    }
    const std::optional<PixelRows> rows =
        image ? std::optional<PixelRows>(PixelRows(image)) : std::nullopt;
    int pen = start;
    kfm::text::AbcWidths widths;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto code = static_cast<std::uint8_t>(text[i]);
        widths = font.abcWidths(code);
        if (i > 0) {
            pen += widths.a;
            if (kerning)
                pen += font.kerning(static_cast<std::uint8_t>(text[i - 1]), code);
        }
        if (rows)
            drawGlyph(*rows, *glyphs[i], pen, baseline - glyphs[i]->originY, format);
        pen += widths.b + widths.c;
    }
    pen += 1 - widths.c;
    if (rows) {
        const int thickness = metrics.height / 20;
        if (underline)
            inkRows(*rows, thickness ? baseline + thickness + 1 : baseline + 1,
                    std::max(thickness, 1), start, pen);
        if (strikeOut)
            inkRows(*rows, baseline - metrics.ascent / 4, std::max(thickness, 1), start, pen);
    }
    return {pen - start + 4, metrics.height + 4};
}

TextSize RenderText(const Font& font, KpxHandle image, int x, int y, std::string_view text,
                    const TextStyle& style) {
    if (!image)
        return measure(font, text, style, style.rotatedExtent);
    const int angle = style.mirrored ? -style.angle : style.angle;
    ScopedImage coverage(KPXCreateImage(KPXWidth(image), KPXHeight(image), 8));
    if (!coverage.get())
        return {};
    const TextSize result = angle == 0
                                ? LayoutGlyphs(font, coverage.get(), x, y, text, style.underline,
                                               style.strikeOut, style.format, style.kerning)
                                : layoutRotated(font, coverage.get(), x, y, text, style, angle);
    if (style.shadow)
        composeWithShadow(font, image, coverage, style, angle);
    else
        composeWithoutShadow(image, coverage, style);
    if (style.mirrored)
        KPXFlipImage(image, 1);
    return result;
}

short CreateTextImage(FrameInfo* info) {
    if (!info || !info->textObject)
        return 0;
    const TextObjectRecord& record = *info->textObject;
    const std::unique_ptr<Font> font = Font::create(record.font);
    if (!font)
        return 0;
    const std::string_view text = record.text ? std::string_view(*record.text) : "";
    TextStyle style;
    style.colour = record.color;
    style.shadow = record.isShadow != 0;
    style.shadowDx = record.shadowXOffset;
    style.shadowDy = record.shadowYOffset;
    style.shadowColour = record.shadowColor;
    style.shadowTransparency = record.shadowTransp;
    style.shadowBlur = record.isShadowBlur != 0;
    style.angle = GetRotationAngle(record.matrix);
    style.mirrored = IsMatrixMirrored(record.matrix) != 0;
    style.interpolation = record.interpolation;
    // The measure lays out with the same kerning as the drawing, so kerned text fits.
    style.kerning = record.kern != 0;
    const TextSize size = RenderText(*font, 0, 0, 0, text, style);
    if (size.width <= 0 || size.height <= 0 || size.width > kLargestImageSide ||
        size.height > kLargestImageSide)
        return 0;
    info->width = size.width;
    info->height = size.height;
    ScopedImage image(KPXCreateImage(size.width, size.height, 8));
    if (!image.get())
        return 0;
    KPXSetNewPalette(image.get(), KPXGetFinePalette(), 256);
    SetImageTransparent(static_cast<short>(image.get()), 0);
    const int x = style.shadow && style.shadowDx < 0 ? -style.shadowDx : 0;
    const int y = style.shadow && style.shadowDy < 0 ? -style.shadowDy : 0;
    style.underline = record.font.lfUnderline != 0;
    style.strikeOut = record.font.lfStrikeOut != 0;
    style.format = record.antialias ? kfm::text::kGlyphGray8 : kfm::text::kGlyphBitmap;
    RenderText(*font, image.get(), x, y, text, style);
    KPXFillDIBColorTable(image.get());
    return static_cast<short>(image.release());
}

void ShiftImageContent(KpxHandle image, int dx, int dy) {
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const int stride = KPXGetScanBytes(image);
    std::uint8_t* bits = KPXGetBits(image);
    const auto size = static_cast<long long>(stride) * height;
    if (std::abs(dx) >= width || std::abs(dy) >= height) {
        std::memset(bits, 255, static_cast<std::size_t>(size));
        return;
    }
    // The move is linear over the rows counted from the top, which are stored bottom-up: each
    // row takes its bytes from at most two rows, and 255 where nothing moves in. It is done in
    // place, as a memmove would: pieces are moved from the far end when the content moves
    // forward and from the near end when it moves back, so no piece is overwritten before it
    // has moved.
    const long long offset = static_cast<long long>(dy) * stride + dx;
    if (offset == 0)
        return;
    const auto storedAt = [&](long long topFirst) {
        return static_cast<std::size_t>(height - 1 - topFirst / stride) * stride +
               static_cast<std::size_t>(topFirst % stride);
    };
    // A piece of a row: its bytes come from `from` (top-first), or are 255 when it is -1.
    struct Piece {
        long long to;
        long long from;
        long long count;
    };
    const bool forward = offset > 0;
    for (int step = 0; step < height; ++step) {
        const int row = forward ? height - 1 - step : step;
        Piece pieces[4];
        int count = 0;
        long long to = static_cast<long long>(row) * stride;
        long long from = to - offset;
        const long long end = to + stride;
        while (to < end) {
            if (from < 0 || from >= size) {
                const long long blank = from < 0 ? std::min(end - to, -from) : end - to;
                pieces[count++] = Piece{to, -1, blank};
                to += blank;
                from += blank;
                continue;
            }
            const long long piece = std::min(end - to, stride - from % stride);
            pieces[count++] = Piece{to, from, piece};
            to += piece;
            from += piece;
        }
        for (int k = 0; k < count; ++k) {
            const Piece& p = pieces[forward ? count - 1 - k : k];
            std::uint8_t* out = bits + storedAt(p.to);
            if (p.from < 0)
                std::memset(out, 255, static_cast<std::size_t>(p.count));
            else
                std::memmove(out, bits + storedAt(p.from), static_cast<std::size_t>(p.count));
        }
    }
}

void SwapPaletteIndexes(KpxHandle image, int first, int second) {
    exchangeIndexes(image, {{first, second}});
}
