#include "TextRender.h"

#include "FrameObject.h"
#include "PaletteRender.h"
#include "TestSupport.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

// Fonts need a GUI application; one lives for the rest of the test process.
void ensureGuiApplication() {
    if (QGuiApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "TextRenderTest";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv); // kept for the process
}

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
        if (!kfm::text::faceExists(kSans, 0))
            GTEST_SKIP() << "the face " << kSans << " (" << kSansFile << ") is not installed";
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
