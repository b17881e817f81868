// The reply reader and the version comparison over texts and files, and the reminder's days.

#include "VersionInfo.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace kfm::update {
namespace {

std::string reply(int major, int minor, int build, int minorBuild,
                  const std::string& signature = kProductCode) {
    return "[kfm]\r\nsignature=" + signature + "\r\nmajorversion=" + std::to_string(major) +
           "\r\nminorversion=" + std::to_string(minor) + "\r\nmajorbuild=" + std::to_string(build) +
           "\r\nminorbuild=" + std::to_string(minorBuild) + "\r\n";
}

TEST(VersionInfoTest, ComparesTheReplyVersionWithTheProgramsOwn) {
    struct Case {
        int major, minor, build, minorBuild, result;
    };
    const Case cases[] = {
        {5, 0, 3000, 2, kNotNewer},   {5, 0, 3000, 3, kNewerMinorBuild},
        {5, 0, 3001, 0, kNewerBuild}, {5, 1, 0, 0, kNewerMinor},
        {6, 0, 0, 0, kNewerMajor},    {4, 9, 9999, 9, kNotNewer},
        {5, 0, 2999, 99, kNotNewer},  {5, -1, 4000, 0, kNotNewer},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            CompareReplyText(reply(c.major, c.minor, c.build, c.minorBuild), "kfm", "US").result,
            c.result)
            << c.major << "." << c.minor << " " << c.build << "." << c.minorBuild;
}

TEST(VersionInfoTest, AReplyWithoutTheProductsSignatureIsNoReply) {
    EXPECT_EQ(CompareReplyText(reply(6, 0, 0, 0, "xyz120021"), "kfm", "US").result, kNoReply);
    EXPECT_EQ(CompareReplyText(reply(6, 0, 0, 0, ""), "kfm", "US").result, kNoReply);
    EXPECT_EQ(CompareReplyText("[kfm]\r\nmajorversion=6\r\n", "kfm", "US").result, kNoReply);
    EXPECT_EQ(CompareReplyText("<html><body>Not Found</body></html>", "kfm", "US").result,
              kNoReply);
    // A signature in another section does not count.
    EXPECT_EQ(CompareReplyText("[other]\r\nsignature=kfm120021\r\n[kfm]\r\nmajorversion=6\r\n",
                               "kfm", "US")
                  .result,
              kNoReply);
}

TEST(VersionInfoTest, TheNewsComeFromTheSectionOfTheProductAndLanguage) {
    const std::string text = reply(6, 0, 0, 0) +
                             "[version keys]\r\n0=kfm_US\r\n1=xyz_DE\r\n2=kfm_DE\r\n"
                             "[kfm_US]\r\nEnglish news\r\n"
                             "[xyz_DE]\r\nfremde Neuigkeiten\r\n"
                             "[kfm_DE]\r\nNeue Version\r\nmit Zeilen\r\n";
    EXPECT_EQ(CompareReplyText(text, "kfm", "de").news, "Neue Version\r\nmit Zeilen\r\n");
    EXPECT_EQ(CompareReplyText(text, "kfm", "US").news, "English news\r\n");
    EXPECT_EQ(CompareReplyText(text, "kfm", "FR").news, "");
    // Only a newer version brings news; the numbered keys end at the first missing one.
    EXPECT_EQ(
        CompareReplyText(reply(5, 0, 3000, 2) + "[version keys]\r\n0=kfm_US\r\n[kfm_US]\r\nx\r\n",
                         "kfm", "US")
            .news,
        "");
    EXPECT_EQ(
        CompareReplyText(reply(6, 0, 0, 0) + "[version keys]\r\n1=kfm_US\r\n[kfm_US]\r\nx\r\n",
                         "kfm", "US")
            .news,
        "");
}

TEST(VersionInfoTest, TheNewsAreCutAtTheirLimit) {
    const std::string news(kNewsLimit + 500, 'n');
    const std::string text =
        reply(6, 0, 0, 0) + "[version keys]\r\n0=kfm_US\r\n[kfm_US]\r\n" + news;
    EXPECT_EQ(CompareReplyText(text, "kfm", "US").news.size(), kNewsLimit);
}

TEST(VersionInfoTest, TheIniReaderFindsSectionsKeysAndLineEnds) {
    const std::string text = "top=1\n[ One ]\nkey = value with blanks \r\nnext=2\r[two\nkey=other\n"
                             "[ONE]\nkey=second\n";
    EXPECT_EQ(IniValue(text, "one", "KEY"), "value with blanks");
    EXPECT_EQ(IniValue(text, "one", "next"), "2");
    EXPECT_EQ(IniValue(text, "two", "key"), "other");
    EXPECT_EQ(IniValue(text, "one", "missing"), std::nullopt);
    EXPECT_EQ(IniValue(text, "three", "key"), std::nullopt);
    EXPECT_EQ(IniValue(text, "", "top"), std::nullopt);
    EXPECT_EQ(IniSection(text, "two", 100), "key=other\n");
    EXPECT_EQ(IniSection(text, "two", 4), "key=");
    EXPECT_EQ(IniSection(text, "none", 100), std::nullopt);
    EXPECT_EQ(GetLanguageSuffix("kfm_DE"), "DE");
    EXPECT_EQ(GetLanguageSuffix("kfm_D"), "D");
    EXPECT_EQ(GetLanguageSuffix("kfmDE"), "");
    EXPECT_EQ(GetLanguageSuffix("a_b_c"), "b_");
}

TEST(VersionInfoTest, TheFileFormsGiveDefaultsAndTruncate) {
    kfm::test::TempDir dir;
    const std::string path = dir.file("version.txt");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, {'[',  'k', ']', '\n', 'n', '=', '4', '2', 'x',
                                                 '\n', 'e', '=', '\n', 'b', '=', '9', '9', '9',
                                                 '9',  '9', '9', '9',  '9', '9', '9', '9', '\n'}));
    char buffer[4];
    EXPECT_EQ(ReadIniString("k", "n", "d", buffer, sizeof buffer, path.c_str()), 3);
    EXPECT_STREQ(buffer, "42x");
    EXPECT_EQ(ReadIniString("k", "zz", "default", buffer, sizeof buffer, path.c_str()), 3);
    EXPECT_STREQ(buffer, "def");
    EXPECT_EQ(ReadVersionValue("k", "n", 7, path.c_str()), 42);
    EXPECT_EQ(ReadVersionValue("k", "e", 7, path.c_str()), 7);
    EXPECT_EQ(ReadVersionValue("k", "b", 7, path.c_str()), 2147483647);
    EXPECT_EQ(ReadVersionValue("k", "n", 7, dir.file("missing.txt").c_str()), 7);
    char section[6];
    EXPECT_EQ(ReadIniSection("k", section, sizeof section, path.c_str()), 5);
    EXPECT_STREQ(section, "n=42x");
    EXPECT_EQ(ReadIniSection("q", section, sizeof section, path.c_str()), 0);
    EXPECT_STREQ(section, "");
}

TEST(VersionInfoTest, DaysElapsedCountsCalendarDays) {
    struct Case {
        int todayDay, todayMonth, todayYear, day, month, year, interval, due;
    };
    const Case cases[] = {
        {1, 1, 2027, 31, 12, 2026, 1, 1}, {1, 1, 2027, 31, 12, 2026, 2, 0},
        {1, 1, 2027, 1, 1, 1990, 0, 0},   {31, 1, 2027, 1, 1, 2027, 30, 1},
        {30, 1, 2027, 1, 1, 2027, 30, 0}, {1, 3, 2028, 1, 2, 2028, 29, 1},
        {1, 1, 2027, 2, 1, 2027, 1, 0},   {10, 2, 2027, 41, 1, 2027, 1, 0},
        {10, 2, 2027, 40, 1, 2027, 1, 1}, {1, 1, 2027, 1, 13, 2026, 1, 0},
        {1, 1, 2027, -1, -1, -1, 30, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            DaysElapsed(c.todayDay, c.todayMonth, c.todayYear, c.day, c.month, c.year, c.interval),
            c.due)
            << c.day << "." << c.month << "." << c.year << " to " << c.todayDay << "."
            << c.todayMonth << "." << c.todayYear << " interval " << c.interval;
}

TEST(VersionInfoTest, ASpanOverTheSpringClockChangeKeepsItsDays) {
    // 23 hours of local time lie between the two midnights of 29 March 2026 in Berlin.
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    EXPECT_EQ(DaysElapsed(30, 3, 2026, 28, 3, 2026, 2), 1);
    EXPECT_EQ(DaysElapsed(30, 3, 2026, 29, 3, 2026, 1), 1);
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

} // namespace
} // namespace kfm::update
