#include "FontSubstitution.h"

#include "TestSupport.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

void ensureGuiApplication() {
    if (QGuiApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "FontSubstitutionTest";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv); // kept for the process
}

LOGFONTA fontNamed(const char* face, BYTE charset = 0) {
    LOGFONTA font{};
    font.lfHeight = -16;
    font.lfCharSet = charset;
    std::strncpy(font.lfFaceName, face, sizeof font.lfFaceName - 1);
    return font;
}

class FontSubstitutionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGuiApplication();
        KtfSetFontDataFolder(dir.path().string() + "/");
        KtfBeginFontSubstitution();
    }
    void TearDown() override {
        KtfEndFontSubstitution();
        KtfSetFontDataFolder("");
    }
    kfm::test::TempDir dir;
};

} // namespace

TEST(FontNames, PostScriptNamesDecode) {
    struct Case {
        const char* name;
        const char* face;
        int weight;
        int italic;
    };
    const Case cases[] = {{"Arial-BoldItalicMT", "Arial", 700, 1},
                          {"TimesNewRomanPSMT", "TimesNewRoman", 400, 0},
                          {"FuturaBE-Oblique", "Futura", 400, 1},
                          {"Garamond-Light", "Garamond", 400, 0}};
    for (const Case& c : cases) {
        LOGFONTA out{};
        ASSERT_EQ(KtfDecodePostsciptFontName(c.name, &out), 1);
        EXPECT_STREQ(out.lfFaceName, c.face) << c.name;
        EXPECT_EQ(out.lfWeight, c.weight) << c.name;
        EXPECT_EQ(out.lfItalic, c.italic) << c.name;
    }
    LOGFONTA out{};
    KtfDecodePostsciptFontName("Arial.WinEastEuropean", &out);
    EXPECT_EQ(out.lfCharSet, 238);
    EXPECT_EQ(KtfDecodePostsciptFontName(nullptr, &out), 0);
}

TEST(FontNames, Win16SuffixesGiveTheCharset) {
    LOGFONTA font = fontNamed("Arial CE");
    EXPECT_EQ(KtfDecodeWin16FontName(&font), 1);
    EXPECT_STREQ(font.lfFaceName, "Arial");
    EXPECT_EQ(font.lfCharSet, 238);
    for (const char* face : {"Arial", "Arial ", "Arial Bold"}) {
        LOGFONTA other = fontNamed(face);
        EXPECT_EQ(KtfDecodeWin16FontName(&other), 0) << face;
    }
}

TEST(Charsets, TableAndCodePages) {
    EXPECT_EQ(KtfTranslateCharSetToString(128), 0);
    EXPECT_EQ(KtfTranslateCharSetToString(238), 10740);
    EXPECT_EQ(KtfTranslateCharSetToShortcut(0), 10755);
    EXPECT_EQ(KtfGetACPFromCharset(2), 0);
    EXPECT_EQ(KtfGetACPFromCharset(204), 1251);
    EXPECT_EQ(KtfGetCharsetFromACP(1250), 238);
}

// A code page without a character set falls back to the user's, and when that has none either,
// to ANSI: it never recurses.
TEST(Charsets, CodePageWithoutCharsetEndsAtAFixedCharset) {
    const char* saved = std::getenv("LANG");
    const std::string restore = saved ? saved : "";
    setenv("LANG", "ru_RU.UTF-8", 1);
    unsetenv("LC_ALL");
    EXPECT_EQ(KtfGetCharsetFromACP(65001), 204);
    setenv("LANG", "C", 1);
    EXPECT_EQ(KtfGetCharsetFromACP(65001), 0);
    EXPECT_EQ(KtfGetCharsetFromACP(0), 0);
    if (saved)
        setenv("LANG", restore.c_str(), 1);
    else
        unsetenv("LANG");
}

TEST(NameSimilarity, EditScriptRatio) {
    EXPECT_DOUBLE_EQ(KtfNameSimilarity("", ""), 1.0);
    EXPECT_DOUBLE_EQ(KtfNameSimilarity("Arial", ""), 0.0);
    EXPECT_DOUBLE_EQ(KtfNameSimilarity("Arial", "Arial"), 1.0);
    EXPECT_DOUBLE_EQ(KtfNameSimilarity("abcd", "abxd"), 6.0 / 8.0);
    EXPECT_DOUBLE_EQ(KtfNameSimilarity("ab", "AB"), 0.0);
}

TEST_F(FontSubstitutionTest, ExistingFacesStayAndMissingOnesAreReplacedOncePerSession) {
    LOGFONTA present = fontNamed("Liberation Sans");
    ASSERT_EQ(KtfSubstituteFont(&present), 0)
        << "Liberation Sans (fonts-liberation) is not installed";

    LOGFONTA missing = fontNamed("Liberation Sanz KFM");
    EXPECT_EQ(KtfSubstituteFont(&missing), 1);
    const std::string chosen = missing.lfFaceName;
    EXPECT_NE(chosen, "Liberation Sanz KFM");
    LOGFONTA again = fontNamed("liberation sanz kfm");
    EXPECT_EQ(KtfSubstituteFont(&again), 1);
    EXPECT_EQ(std::string(again.lfFaceName), chosen);
    char* list = KtfGetFontSubstitutionString();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(std::string(list), "Liberation Sanz KFM|" + chosen + "|");
    std::free(list);

    KtfEndFontSubstitution();
    LOGFONTA closed = fontNamed("Liberation Sanz KFM");
    EXPECT_EQ(KtfSubstituteFont(&closed), 0);
    EXPECT_EQ(KtfGetFontSubstitutionString(), nullptr);
}

TEST_F(FontSubstitutionTest, ReplacementListComesFirst) {
    const LOGFONTA dejavu = fontNamed("DejaVu Sans");
    int count = 0;
    KtfFreeEnumeratedCharSets(KtfEnumCharSetsInFont(&dejavu, &count));
    ASSERT_NE(count, 0) << "DejaVu Sans (fonts-dejavu) is not installed";
    std::ofstream(dir.file("font.dat")) << "Helvetica Neue KFM,No Such KFM,DejaVu Sans\r\n";
    LOGFONTA font = fontNamed("Helvetica Neue KFM");
    ASSERT_EQ(KtfSubstituteFont(&font), 1);
    EXPECT_STREQ(font.lfFaceName, "DejaVu Sans");
}

TEST_F(FontSubstitutionTest, MissingInCharsetButPresentInAnsiKeepsTheName) {
    LOGFONTA font = fontNamed("Liberation Sans", 222); // Thai: the face has none
    ASSERT_NE(KtfSubstituteFont(&font), 0) << "Liberation Sans has no Thai";
    EXPECT_STREQ(font.lfFaceName, "Liberation Sans");
    EXPECT_EQ(font.lfCharSet, 0);
}
