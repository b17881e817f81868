#include "TextRender.h"

#include "FrameObject.h"
#include "PaletteRender.h"
#include "TestSupport.h"

#include <QFontDatabase>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Fonts need a GUI application; one lives for the rest of the test process.
using kfm::test::ensureGuiApplication;

constexpr const char* kSans = "Liberation Sans";
constexpr const char* kSansFile = "LiberationSans-Regular.ttf (fonts-liberation)";

LOGFONTA logFont(const char* face, int height) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = 400;
    std::strncpy(font.lfFaceName, face, sizeof font.lfFaceName - 1);
    return font;
}

TextObjectRecord textRecord(const char* text, int height = -24) {
    TextObjectRecord record;
    record.color = RGB(20, 40, 200);
    record.antialias = 1;
    record.font = logFont(kSans, height);
    record.text = std::string(text);
    return record;
}

struct Rendered {
    short image = 0;
    int width = 0;
    int height = 0;
    ~Rendered() {
        if (image)
            KPXDeleteImage(image);
    }
};

std::unique_ptr<Rendered> render(TextObjectRecord record) {
    FrameInfo info{};
    info.textObject = &record;
    auto out = std::make_unique<Rendered>();
    out->image = CreateTextImage(&info);
    out->width = info.width;
    out->height = info.height;
    return out;
}

// The picture as text: palette index and transparency value per pixel, top row first.
std::string describe(short image) {
    std::ostringstream out;
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    out << width << "x" << height << "\n";
    const RGBQUAD* table = KPXGetBitmapInfoHeader(image)->bmiColors;
    for (int i = 0; i < 3; ++i)
        out << int(table[i].rgbRed) << "," << int(table[i].rgbGreen) << "," << int(table[i].rgbBlue)
            << " ";
    out << "\n";
    const KpxHandle alpha = KPXGetImageTransparentImageEx(image);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row =
            KPXGetBits(image) + static_cast<std::size_t>(height - 1 - y) * KPXGetScanBytes(image);
        const std::uint8_t* alphaRow =
            alpha ? KPXGetBits(alpha) +
                        static_cast<std::size_t>(height - 1 - y) * KPXGetScanBytes(alpha)
                  : nullptr;
        for (int x = 0; x < width; ++x)
            out << int(row[x]) << ":" << (alphaRow ? int(alphaRow[x]) : -1) << " ";
        out << "\n";
    }
    if (alpha)
        KPXDeleteImage(alpha);
    return out.str();
}

class TextRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGuiApplication();
        ASSERT_TRUE(kfm::text::faceExists(kSans, 0))
            << "the face " << kSans << " (" << kSansFile << ") is not installed";
    }
};

} // namespace

TEST_F(TextRenderTest, PlainTextSizePaletteAndCoverage) {
    const auto font = kfm::text::Font::create(logFont(kSans, -24));
    ASSERT_TRUE(font);
    const TextSize line = LayoutGlyphs(*font, 0, 0, 0, "Hello", false, false, 6, false);
    const int margin = TextMargin(*font);
    const auto out = render(textRecord("Hello"));
    ASSERT_NE(out->image, 0);
    EXPECT_EQ(out->width, line.width + margin);
    EXPECT_EQ(out->height, font->metrics().height + 4 + margin);
    const RGBQUAD* table = KPXGetBitmapInfoHeader(out->image)->bmiColors;
    EXPECT_EQ(table[0].rgbRed, 255);
    EXPECT_EQ(table[1].rgbBlue, 200);
    // The transparency is the coverage: opaque where index 1 was drawn, clear elsewhere.
    const KpxHandle alpha = KPXGetImageTransparentImageEx(out->image);
    ASSERT_NE(alpha, 0);
    int inked = 0;
    const std::uint8_t* pixels = KPXGetBits(out->image);
    const std::uint8_t* coverage = KPXGetBits(alpha);
    for (int i = 0; i < KPXGetScanBytes(out->image) * out->height; ++i) {
        EXPECT_EQ(pixels[i] == 1, coverage[i] < 255);
        inked += pixels[i] == 1;
    }
    EXPECT_GT(inked, 50);
    KPXDeleteImage(alpha);
}

TEST_F(TextRenderTest, FirstGlyphStartsAtTheMargin) {
    const auto font = kfm::text::Font::create(logFont(kSans, -24));
    ASSERT_TRUE(font);
    const KpxHandle image = KPXCreateImage(200, 60, 8);
    LayoutGlyphs(*font, image, 3, 0, "H", false, false, 6, false);
    int firstColumn = -1;
    for (int x = 0; x < 200 && firstColumn < 0; ++x)
        for (int y = 0; y < 60; ++y)
            if (KPXGetBits(image)[static_cast<std::size_t>(y) * KPXGetScanBytes(image) + x] < 255) {
                firstColumn = x;
                break;
            }
    EXPECT_EQ(firstColumn, 3 + 2 + TextMargin(*font) / 2);
    KPXDeleteImage(image);
}

// Measuring with kerning: the drawn line fits the measured image exactly, kerned or not.
TEST_F(TextRenderTest, MeasureUsesTheSameKerningAsDrawing) {
    const auto font = kfm::text::Font::create(logFont(kSans, -48));
    ASSERT_TRUE(font);
    EXPECT_NE(font->kerning('A', 'V'), 0) << "the face has no AV pair";
    for (const bool kern : {false, true}) {
        TextStyle style;
        style.kerning = kern;
        const TextSize measured = RenderText(*font, 0, 0, 0, "AVAVAVAV", style);
        const KpxHandle image = KPXCreateImage(measured.width, measured.height, 8);
        const TextSize drawn = RenderText(*font, image, 0, 0, "AVAVAVAV", style);
        EXPECT_EQ(drawn.width + TextMargin(*font), measured.width) << kern;
        KPXDeleteImage(image);
    }
}

TEST_F(TextRenderTest, BadRecordsFailOrFallBackWithoutCrashing) {
    EXPECT_EQ(render(textRecord("x", 0))->image, 0);
    EXPECT_EQ(render(textRecord("x", -100000))->image, 0);
    EXPECT_EQ(CreateTextImage(nullptr), 0);
    FrameInfo noRecord{};
    EXPECT_EQ(CreateTextImage(&noRecord), 0);

    const auto empty = render(textRecord(""));
    ASSERT_NE(empty->image, 0);
    const auto font = kfm::text::Font::create(logFont(kSans, -24));
    EXPECT_EQ(empty->width, TextMargin(*font));

    TextObjectRecord missingFace = textRecord("abc");
    std::strcpy(missingFace.font.lfFaceName, "No Such Face KFM");
    EXPECT_NE(render(missingFace)->image, 0);

    TextObjectRecord singular = textRecord("abc");
    singular.matrix[0] = singular.matrix[1] = singular.matrix[2] = singular.matrix[3] = 0.0;
    EXPECT_NE(render(singular)->image, 0);

    // A text far wider than library images: refused, not an absurd image.
    EXPECT_EQ(render(textRecord(std::string(400, 'W').c_str(), -100))->image, 0);
}

TEST_F(TextRenderTest, NegativeShadowOffsetGrowsAndShiftsTheImage) {
    TextObjectRecord record = textRecord("Ab");
    const auto plain = render(record);
    record.isShadow = 1;
    record.shadowXOffset = -5;
    record.shadowYOffset = 3;
    record.shadowColor = RGB(0, 0, 0);
    const auto shadowed = render(record);
    ASSERT_NE(shadowed->image, 0);
    EXPECT_EQ(shadowed->width, plain->width + 5);
    EXPECT_EQ(shadowed->height, plain->height + 3);
}

TEST(ShiftImageContent, MovesRowsAndClearsWhatIsVacated) {
    const KpxHandle image = KPXCreateImage(4, 3, 8);
    const int stride = KPXGetScanBytes(image);
    std::uint8_t* bits = KPXGetBits(image);
    std::memset(bits, 255, static_cast<std::size_t>(stride) * 3);
    bits[static_cast<std::size_t>(2) * stride + 1] = 7; // top row, column 1
    ShiftImageContent(image, 1, 1);
    EXPECT_EQ(bits[static_cast<std::size_t>(1) * stride + 2], 7); // one row down, one right
    EXPECT_EQ(bits[static_cast<std::size_t>(2) * stride + 1], 255);
    ShiftImageContent(image, 4, 0);
    for (int i = 0; i < stride * 3; ++i)
        EXPECT_EQ(bits[i], 255);
    KPXDeleteImage(image);
}

// The move is one linear move of the rows counted from the top (a pixel pushed off the right
// edge comes in at the left of the next row): compared with that model on odd sizes.
TEST(ShiftImageContent, MatchesOneLinearMoveOfTheTopFirstRows) {
    struct Case {
        int width, height, dx, dy;
    };
    const Case cases[] = {{7, 5, 0, 0},   {7, 5, 3, 1},    {7, 5, -3, 2},  {7, 5, 2, -4},
                          {7, 5, -6, -1}, {13, 9, 12, 8},  {13, 9, -5, 0}, {1, 6, 0, 3},
                          {9, 1, 4, 0},   {9, 1, -8, 0},   {40, 6, 1, 0},  {40, 6, -1, 0},
                          {40, 6, 3, 1},  {40, 6, -3, -1}, {40, 6, 0, -5}, {40, 6, 39, 5}};
    for (const Case& c : cases) {
        const KpxHandle image = KPXCreateImage(c.width, c.height, 8);
        const int stride = KPXGetScanBytes(image);
        const std::size_t size = static_cast<std::size_t>(stride) * c.height;
        std::uint8_t* bits = KPXGetBits(image);
        for (std::size_t i = 0; i < size; ++i)
            bits[i] = static_cast<std::uint8_t>(i * 7 % 251);
        std::vector<std::uint8_t> topFirst(size);
        for (int row = 0; row < c.height; ++row)
            std::memcpy(&topFirst[static_cast<std::size_t>(row) * stride],
                        bits + static_cast<std::size_t>(c.height - 1 - row) * stride,
                        static_cast<std::size_t>(stride));
        std::vector<std::uint8_t> expected(size, 255);
        const long long offset = static_cast<long long>(c.dy) * stride + c.dx;
        for (long long i = 0; i < static_cast<long long>(size); ++i)
            if (i + offset >= 0 && i + offset < static_cast<long long>(size))
                expected[static_cast<std::size_t>(i + offset)] =
                    topFirst[static_cast<std::size_t>(i)];
        ShiftImageContent(image, c.dx, c.dy);
        for (int row = 0; row < c.height; ++row)
            EXPECT_EQ(0, std::memcmp(&expected[static_cast<std::size_t>(row) * stride],
                                     bits + static_cast<std::size_t>(c.height - 1 - row) * stride,
                                     static_cast<std::size_t>(stride)))
                << c.width << "x" << c.height << " by " << c.dx << "," << c.dy << " row " << row;
        KPXDeleteImage(image);
    }
}

TEST(SwapPaletteIndexes, ExchangesPixelsAndTableEntries) {
    const KpxHandle image = KPXCreateImage(6, 2, 8);
    PALETTEENTRY palette[256] = {};
    for (int i = 0; i < 256; ++i)
        palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, 0};
    KPXSetNewPalette(image, palette, 256);
    KPXFillDIBColorTable(image);
    const int stride = KPXGetScanBytes(image);
    std::uint8_t* bits = KPXGetBits(image);
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 6; ++x)
            bits[static_cast<std::size_t>(row) * stride + x] = static_cast<std::uint8_t>(x);
    SwapPaletteIndexes(image, 1, 4);
    const std::uint8_t expected[6] = {0, 4, 2, 3, 1, 5};
    for (int row = 0; row < 2; ++row)
        EXPECT_EQ(0, std::memcmp(bits + static_cast<std::size_t>(row) * stride, expected, 6));
    const RGBQUAD* table = KPXGetBitmapInfoHeader(image)->bmiColors;
    EXPECT_EQ(table[1].rgbRed, 4);
    EXPECT_EQ(table[4].rgbRed, 1);
    EXPECT_EQ(table[4].rgbGreen, 254);
    EXPECT_EQ(table[2].rgbRed, 2);
    KPXDeleteImage(image);
}

// Golden pictures on the pinned face; regenerate with KFM_WRITE_GOLDEN=1 after a deliberate
// change, and look at them before committing.
struct GoldenCase {
    const char* name;
    void (*adjust)(TextObjectRecord&);
};

const GoldenCase kGoldenCases[] = {
    {"plain", [](TextObjectRecord&) {}},
    {"bitmap", [](TextObjectRecord& r) { r.antialias = 0; }},
    {"kerned_AV",
     [](TextObjectRecord& r) {
         r.text = "AV";
         r.kern = 1;
     }},
    {"shadow",
     [](TextObjectRecord& r) {
         r.isShadow = 1;
         r.shadowXOffset = 3;
         r.shadowYOffset = 2;
         r.shadowColor = RGB(128, 128, 128);
     }},
    {"shadow_blur",
     [](TextObjectRecord& r) {
         r.isShadow = 1;
         r.isShadowBlur = 1;
         r.shadowXOffset = 2;
         r.shadowYOffset = 2;
         r.shadowTransp = 40;
     }},
    {"rotated30",
     [](TextObjectRecord& r) {
         r.matrix[0] = 0.8660254037844387;
         r.matrix[1] = 0.5;
         r.matrix[2] = -0.5;
         r.matrix[3] = 0.8660254037844387;
     }},
    {"rotated90_shadow_blur",
     [](TextObjectRecord& r) {
         r.matrix[0] = 0.0;
         r.matrix[1] = 1.0;
         r.matrix[2] = -1.0;
         r.matrix[3] = 0.0;
         r.isShadow = 1;
         r.isShadowBlur = 1;
         r.shadowXOffset = 2;
         r.shadowYOffset = 3;
     }},
    {"rotated180_cubic_smooth",
     [](TextObjectRecord& r) {
         r.matrix[0] = -1.0;
         r.matrix[1] = 0.0;
         r.matrix[2] = 0.0;
         r.matrix[3] = -1.0;
         r.interpolation = 2 | 16;
     }},
    {"rotated30_shadow_back_linear_smooth",
     [](TextObjectRecord& r) {
         r.matrix[0] = 0.8660254037844387;
         r.matrix[1] = 0.5;
         r.matrix[2] = -0.5;
         r.matrix[3] = 0.8660254037844387;
         r.interpolation = 1 | 16;
         r.isShadow = 1;
         r.shadowXOffset = -3;
         r.shadowYOffset = -2;
         r.shadowColor = RGB(0, 160, 0);
         r.shadowTransp = 50;
     }},
    {"rotated30_tiny",
     [](TextObjectRecord& r) {
         r.font.lfHeight = -3;
         r.matrix[0] = 0.8660254037844387;
         r.matrix[1] = 0.5;
         r.matrix[2] = -0.5;
         r.matrix[3] = 0.8660254037844387;
     }},
    {"mirrored", [](TextObjectRecord& r) { r.matrix[0] = -1.0; }},
    {"underline_strike",
     [](TextObjectRecord& r) {
         r.font.lfUnderline = 1;
         r.font.lfStrikeOut = 1;
     }},
};

class TextGoldenTest : public TextRenderTest, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(TextGoldenTest, MatchesThePinnedPicture) {
    TextObjectRecord record = textRecord("AVg", -16);
    GetParam().adjust(record);
    const auto out = render(record);
    ASSERT_NE(out->image, 0);
    const std::string picture = describe(out->image);
    const std::string file = std::string("text/") + GetParam().name + ".txt";
    if (std::getenv("KFM_WRITE_GOLDEN")) {
        std::ofstream(std::string(std::getenv("KFM_WRITE_GOLDEN")) + "/" + GetParam().name + ".txt")
            << picture;
        GTEST_SKIP() << "written";
    }
    std::ifstream in(kfm::test::testDataPath(file));
    ASSERT_TRUE(in) << file;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(picture, expected.str()) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Records, TextGoldenTest, ::testing::ValuesIn(kGoldenCases),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

// Sets the font cache bounds for a scope and empties the cache on both ends.
class ScopedFontCacheLimits {
public:
    explicit ScopedFontCacheLimits(const kfm::text::FontCacheLimits& limits)
        : saved_(kfm::text::fontCacheLimits()) {
        kfm::text::clearFontCache();
        kfm::text::setFontCacheLimits(limits);
    }
    ~ScopedFontCacheLimits() {
        kfm::text::setFontCacheLimits(saved_);
        kfm::text::clearFontCache();
    }
    ScopedFontCacheLimits(const ScopedFontCacheLimits&) = delete;
    ScopedFontCacheLimits& operator=(const ScopedFontCacheLimits&) = delete;

private:
    kfm::text::FontCacheLimits saved_;
};

constexpr kfm::text::FontCacheLimits kNoCache{0, 0};

struct CacheCase {
    int height;
    bool antialias;
    bool kern;
    int degrees;
    bool shadow;
};

const CacheCase kCacheCases[] = {
    {-9, true, false, 0, false},    {-9, false, true, 30, false}, {-16, true, true, 0, true},
    {-16, false, false, 0, false},  {30, true, false, 30, true},  {-60, true, true, 0, false},
    {-60, false, false, 30, false},
};

TextObjectRecord cacheCaseRecord(const CacheCase& c) {
    TextObjectRecord record = textRecord("AVATAR Ty, fig. WAVE", c.height);
    record.antialias = c.antialias;
    record.kern = c.kern;
    record.isShadow = c.shadow;
    record.shadowXOffset = 2;
    record.shadowYOffset = 3;
    record.shadowColor = RGB(100, 100, 100);
    const double radians = c.degrees * 3.14159265358979 / 180.0;
    record.matrix[0] = record.matrix[3] = std::cos(radians);
    record.matrix[1] = std::sin(radians);
    record.matrix[2] = -std::sin(radians);
    return record;
}

std::string describeGlyph(const std::optional<kfm::text::GlyphBitmap>& glyph) {
    if (!glyph)
        return "none";
    std::ostringstream out;
    out << glyph->blackBoxX << "x" << glyph->blackBoxY << "@" << glyph->originX << ","
        << glyph->originY << "/" << glyph->levels << ":";
    for (const std::uint8_t cell : glyph->coverage)
        out << int(cell) << " ";
    return out.str();
}

// Every glyph of the printable codes at each format, with its a, b, c widths.
std::string describeGlyphs(const kfm::text::Font& font) {
    std::string out;
    for (const int format : {kfm::text::kGlyphBitmap, kfm::text::kGlyphGray2,
                             kfm::text::kGlyphGray4, kfm::text::kGlyphGray8})
        for (int code = 32; code < 256; code += 3) {
            const auto widths = font.abcWidths(static_cast<std::uint8_t>(code));
            out += std::to_string(widths.a) + "," + std::to_string(widths.b) + "," +
                   std::to_string(widths.c) + " " +
                   describeGlyph(font.glyph(static_cast<std::uint8_t>(code), format)) + "\n";
        }
    return out;
}

} // namespace

// A warm cache draws exactly what rasterising every glyph anew draws.
TEST_F(TextRenderTest, CachedFontsRenderTheSamePicturesAsUncached) {
    for (const CacheCase& c : kCacheCases) {
        std::string uncached;
        {
            const ScopedFontCacheLimits off(kNoCache);
            const auto out = render(cacheCaseRecord(c));
            ASSERT_NE(out->image, 0);
            uncached = describe(out->image);
            EXPECT_EQ(kfm::text::cachedFaceCount(), 0u);
        }
        const ScopedFontCacheLimits on(kfm::text::FontCacheLimits{});
        for (const char* pass : {"cold", "warm"}) {
            const auto out = render(cacheCaseRecord(c));
            ASSERT_NE(out->image, 0);
            EXPECT_EQ(describe(out->image), uncached)
                << pass << " height " << c.height << " antialias " << c.antialias << " kern "
                << c.kern << " degrees " << c.degrees;
        }
        EXPECT_GT(kfm::text::cachedGlyphBytes(), 0u);
    }
}

// The grey formats the records do not choose, laid out directly, kerned and turned.
TEST_F(TextRenderTest, CachedGlyphsLayOutLikeUncachedAtEveryFormat) {
    for (const int format : {kfm::text::kGlyphGray2, kfm::text::kGlyphGray4})
        for (const bool kern : {false, true})
            for (const int angle : {0, 17}) {
                TextStyle style;
                style.format = format;
                style.kerning = kern;
                style.angle = angle;
                std::string pictures[2];
                for (const bool cached : {false, true}) {
                    const ScopedFontCacheLimits limits(cached ? kfm::text::FontCacheLimits{}
                                                              : kNoCache);
                    const auto font = kfm::text::Font::create(logFont(kSans, -21));
                    ASSERT_TRUE(font);
                    for (int pass = 0; pass < 2; ++pass) {
                        const TextSize size = RenderText(*font, 0, 0, 0, "AVery WAVE", style);
                        const KpxHandle image = KPXCreateImage(size.width, size.height, 8);
                        RenderText(*font, image, 0, 0, "AVery WAVE", style);
                        pictures[cached] = describe(image);
                        KPXDeleteImage(image);
                    }
                }
                EXPECT_EQ(pictures[1], pictures[0])
                    << "format " << format << " kern " << kern << " angle " << angle;
            }
}

// The cache keeps no more faces and glyph bytes than its bounds; fonts whose face was
// dropped keep drawing the same glyphs.
TEST_F(TextRenderTest, FontCacheStaysBoundedAndGivesTheUncachedGlyphs) {
    const int heights[] = {-11, -17, 23, -31};
    std::vector<std::string> expected;
    {
        const ScopedFontCacheLimits off(kNoCache);
        for (const int height : heights) {
            const auto font = kfm::text::Font::create(logFont(kSans, height));
            ASSERT_TRUE(font);
            expected.push_back(describeGlyphs(*font));
        }
    }
    constexpr kfm::text::FontCacheLimits kSmall{2, 6000};
    const ScopedFontCacheLimits small(kSmall);
    std::vector<std::unique_ptr<kfm::text::Font>> fonts;
    for (int round = 0; round < 2; ++round)
        for (std::size_t i = 0; i < std::size(heights); ++i) {
            fonts.push_back(kfm::text::Font::create(logFont(kSans, heights[i])));
            ASSERT_TRUE(fonts.back());
            EXPECT_EQ(describeGlyphs(*fonts.back()), expected[i]) << heights[i];
            EXPECT_LE(kfm::text::cachedFaceCount(), kSmall.faces);
            EXPECT_LE(kfm::text::cachedGlyphBytes(), kSmall.faces * kSmall.glyphBytesPerFace);
        }
    // The first fonts' faces have left the cache; they still draw their own glyphs.
    EXPECT_EQ(describeGlyphs(*fonts.front()), expected.front());
    kfm::text::clearFontCache();
    EXPECT_EQ(kfm::text::cachedFaceCount(), 0u);
    EXPECT_EQ(describeGlyphs(*fonts.back()), expected.back());
}

namespace {

// The colouring of text over its shadow the way it was first built: the text, shadow and
// background as indexes 1, 2 and 0 of a palette image, turned into true colour, the text drawn
// over it through its coverage with KPXStretchBltTransparent, back to 8 bits with the exact
// palette, and the three colours swapped to the front.
void colourThroughTrueColour(KpxHandle image, KpxHandle coverage, KpxHandle shadow, COLORREF colour,
                             COLORREF shadowColour, COLORREF background) {
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const std::size_t bytes = static_cast<std::size_t>(KPXGetScanBytes(image)) * height;
    const std::uint8_t* g = KPXGetBits(coverage);
    const std::uint8_t* s = shadow ? KPXGetBits(shadow) : nullptr;
    auto setEntries = [](KpxHandle target, std::initializer_list<COLORREF> colours) {
        PALETTEENTRY palette[256];
        GetImagePalette(static_cast<short>(target), palette);
        int i = 0;
        for (const COLORREF c : colours)
            palette[i++] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
        KPXSetNewPalette(target, palette, 256);
        KPXFillDIBColorTable(target);
    };
    setEntries(image, {background, colour, shadowColour});
    std::uint8_t* bits = KPXGetBits(image);
    std::memset(bits, 0, bytes);
    const int stride = KPXGetScanBytes(image);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(row) * stride + x;
            bits[at] = (s && s[at] < 255) ? 2 : g[at] < 255 ? 1 : 0;
        }
    const KpxHandle truecolour = KPXColorConvert(image, 24, 0, 0, 0, nullptr, nullptr);
    const KpxHandle text = KPXCreateImage(width, height, 8);
    setEntries(text, {RGB(255, 255, 255), colour});
    std::uint8_t* textBits = KPXGetBits(text);
    std::memset(textBits, 0, bytes);
    for (std::size_t at = 0; at < bytes; ++at)
        textBits[at] = g[at] < 255 ? 1 : 0;
    SetImageTransparent(static_cast<short>(text), 0);
    BITMAPINFO* info = KPXGetBitmapInfoHeader(truecolour);
    KPXStretchBltTransparent(0, &info->bmiHeader, KPXGetBits(truecolour), 0, 0, width, height, text,
                             0, coverage, 0, 0, 0);
    int count = 0;
    const KpxHandle exact =
        KPXColorConvert24to8(truecolour, background, colour, shadowColour, &count);
    std::memcpy(bits, KPXGetBits(exact), bytes);
    PALETTEENTRY palette[256];
    GetImagePalette(static_cast<short>(exact), palette);
    KPXSetNewPalette(image, palette, 256);
    KPXFillDIBColorTable(image);
    int place = 0;
    for (const COLORREF wanted : {background, colour, shadowColour}) {
        GetImagePalette(static_cast<short>(image), palette);
        for (int i = 0; i < 256; ++i)
            if (RGB(palette[i].peRed, palette[i].peGreen, palette[i].peBlue) == wanted) {
                if (i != place)
                    SwapPaletteIndexes(image, i, place);
                break;
            }
        ++place;
    }
    KPXDeleteImage(exact);
    KPXDeleteImage(text);
    KPXDeleteImage(truecolour);
}

// An 8-bit plane with values from a pattern, 255 where it leaves the pixel uncovered.
KpxHandle plane(int width, int height, int seed, int uncoveredShare) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    unsigned state = static_cast<unsigned>(seed) * 2654435761u + 1;
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const unsigned value = (state >> 8) % 1000;
            bits[static_cast<std::size_t>(row) * stride + x] =
                value < static_cast<unsigned>(uncoveredShare) * 10
                    ? 255
                    : static_cast<std::uint8_t>(value % 255);
        }
    return image;
}

std::string paletteAndPixels(KpxHandle image) {
    PALETTEENTRY palette[256];
    GetImagePalette(static_cast<short>(image), palette);
    std::string out(reinterpret_cast<const char*>(palette), sizeof palette);
    out.append(reinterpret_cast<const char*>(KPXGetBits(image)),
               static_cast<std::size_t>(KPXGetScanBytes(image)) * KPXHeight(image));
    return out;
}

} // namespace

TEST(ColourTextWithShadow, GivesThePaletteAndPixelsOfTheTrueColourComposition) {
    const struct {
        const char* name;
        int width, height;
        COLORREF colour, shadowColour, background;
        bool shadow;
        int textUncovered, shadowUncovered; // percent of pixels
    } cases[] = {
        {"blue on grey shadow", 37, 23, RGB(20, 40, 200), RGB(128, 128, 128), RGB(255, 255, 255),
         true, 40, 50},
        {"light text, dark background", 16, 9, RGB(250, 240, 10), RGB(0, 0, 0), RGB(0, 0, 0), true,
         70, 20},
        {"colours in one cell", 20, 20, RGB(201, 102, 53), RGB(202, 103, 54), RGB(0, 255, 255),
         true, 30, 30},
        {"shadow the colour of the background", 25, 7, RGB(10, 10, 10), RGB(255, 255, 255),
         RGB(255, 255, 255), true, 50, 50},
        {"no shadow plane", 31, 5, RGB(90, 200, 30), RGB(1, 2, 3), RGB(255, 0, 255), false, 60,
         100},
        {"mostly uncovered, wide", 67, 12, RGB(20, 40, 200), RGB(100, 100, 100), RGB(255, 255, 255),
         true, 96, 97},
        {"everything uncovered", 8, 8, RGB(90, 200, 30), RGB(1, 2, 3), RGB(255, 255, 0), true, 100,
         100},
    };
    int seed = 1;
    for (const auto& c : cases) {
        const KpxHandle coverage = plane(c.width, c.height, seed++, c.textUncovered);
        const KpxHandle shadow = c.shadow ? plane(c.width, c.height, seed++, c.shadowUncovered) : 0;
        const KpxHandle expected = KPXCreateImage(c.width, c.height, 8);
        KPXSetNewPalette(expected, KPXGetFinePalette(), 256);
        const KpxHandle actual = KPXCreateImageFrom(expected, 0);
        colourThroughTrueColour(expected, coverage, shadow, c.colour, c.shadowColour, c.background);
        ColourTextWithShadow(actual, coverage, shadow, c.colour, c.shadowColour, c.background);
        EXPECT_EQ(paletteAndPixels(actual), paletteAndPixels(expected)) << c.name;
        for (const KpxHandle image : {coverage, shadow, expected, actual})
            if (image)
                KPXDeleteImage(image);
    }
}
