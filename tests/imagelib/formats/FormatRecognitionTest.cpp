#include "FormatSniffing.h"
#include "FormatTable.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes padded(const std::string& head, std::size_t size = 16, std::size_t offset = 0) {
    Bytes bytes(offset, 0);
    bytes.insert(bytes.end(), head.begin(), head.end());
    bytes.resize(std::max(bytes.size(), offset + size), 0);
    return bytes;
}

struct ContentCase {
    const char* name;
    Bytes bytes;
    std::int32_t offset;
    std::int32_t expected;
};

void PrintTo(const ContentCase& c, std::ostream* os) {
    *os << c.name << " at " << c.offset;
}

class ContentRecognition : public ::testing::TestWithParam<ContentCase> {};

TEST_P(ContentRecognition, GivesTheFormatOfTheDataAtTheOffset) {
    const kfm::test::TempDir dir;
    const ContentCase& c = GetParam();
    const std::string path = dir.file(c.name);
    kfm::test::writeFileBytes(path, c.bytes);
    EXPECT_EQ(KPXGetFormatFileOffset(path.c_str(), c.offset), c.expected) << c.name;
}

const std::string kPng = "\x89PNG\r\n\x1a\n";

INSTANTIATE_TEST_SUITE_P(
    Files, ContentRecognition,
    ::testing::Values(ContentCase{"a.gif", padded("GIF89a"), 0, 20},
                      ContentCase{"short.gif", padded("GIF89a", 9), 0, 0}, // fewer than 10 bytes
                      ContentCase{"x.tga", padded("anything"), 0, 80},
                      ContentCase{"x.bin", padded("GIF89a"), 0, 0}, // no hint at offset 0: not read
                      ContentCase{"x.bin", padded("nothing", 16, 100), 100, 80},
                      ContentCase{"x.bin", padded("GIF89a", 16, 100), 100, 20},
                      ContentCase{"x.gif", padded(kPng), 0, 100},
                      ContentCase{"x.pcx", padded(std::string("\x0A\x05", 2)), 0, 10},
                      ContentCase{"x6.pcx", padded(std::string("\x0A\x06", 2)), 0, 0},
                      ContentCase{"neg.pcx", padded(std::string("\x0A\xF0", 2)), 0,
                                  10},                                       // signed byte
                      ContentCase{"x.dat", padded("\xFFWPC", 16, 8), 8, 80}, // WPG needs its hint
                      ContentCase{"x.wpg", padded("\xFFWPC"), 0, 50},
                      ContentCase{"x.bmi", padded("KeldoBMIa"), 0, 110},
                      ContentCase{"x.jpg", padded("\xFF\xD8\xFF\xE0"), 0, 90},
                      ContentCase{"x.tif", padded("II*"), 0, 30},
                      ContentCase{"m.tif", padded(std::string("MM\0*", 4)), 0, 30},
                      ContentCase{"x.bmp", padded("BM"), 0, 40},
                      ContentCase{"x.ico", padded(std::string("\0\0\1\0", 4)), 0, 60},
                      ContentCase{"x.mac", padded(std::string("\0", 1)), 0, 70},
                      ContentCase{"y.mac", padded("Z"), 0, 0},
                      ContentCase{"x.pcd", padded("Z"), 0, 120},
                      ContentCase{"x.png", padded("not a png"), 0, 0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ContentRecognition, MissingFileOrBadOffsetGivesZero) {
    const kfm::test::TempDir dir;
    EXPECT_EQ(KPXGetFormatFile(dir.file("missing.gif").c_str()), 0);
    EXPECT_EQ(KPXGetFormatFileOffset(dir.file("missing.bin").c_str(), 100), 0);
    const std::string path = dir.file("a.gif");
    kfm::test::writeFileBytes(path, padded("GIF89a"));
    EXPECT_EQ(KPXGetFormatFileOffset(path.c_str(), -5), 0);
    EXPECT_EQ(KPXGetFormatFileOffset(path.c_str(), 1000), 0);
    EXPECT_EQ(KPXGetFormatFile(nullptr), 0);
}

TEST(ExtensionRecognition, FollowsTheFileNameRules) {
    EXPECT_EQ(KPXGetFormatFileNDA("*.gif"), 0);
    EXPECT_EQ(KPXGetFormatFileExt("*.gif"), 20);
    EXPECT_EQ(KPXGetFormatFileExt("*"), 0);
    EXPECT_EQ(KPXGetFormatFileNDA("/some/dir.x/Picture.JPEG"), 90);
    EXPECT_EQ(KPXGetFormatFileNDA("/some/dir.gif/picture"), 0);
    EXPECT_EQ(KPXGetFormatFileNDA("archive.tar.rle"), 40);
    EXPECT_EQ(KPXGetFormatFileExt("c:\\pics\\a.DIB"), 40);
    EXPECT_EQ(KPXGetFormatFileNDA("noextension"), 0);
    EXPECT_EQ(KPXGetFormatFileNDA(""), 0);
    EXPECT_EQ(KPXGetFormatFileNDA(nullptr), 0);
}

TEST(StreamRecognition, KnowsBmiAndBmpAndPutsTheStreamBack) {
    struct Case {
        std::string head;
        std::int32_t expected;
    };
    for (const Case& c :
         {Case{"KeldoBMIa.", 110}, Case{"BM........", 40}, Case{"GIF89a....", 0}, Case{"B", 0}}) {
        KpxMemoryStream stream(Bytes(c.head.begin(), c.head.end()));
        stream.seek(0, SEEK_SET);
        std::int32_t id = -1;
        EXPECT_EQ(KpxSniffFormatOleStream(&id, &stream), c.expected) << c.head;
        EXPECT_EQ(id, c.expected);
        EXPECT_EQ(stream.seek(0, SEEK_CUR), 0);
    }
    EXPECT_EQ(KpxSniffFormatOleStream(nullptr, nullptr), 0);
}

TEST(FormatList, ImportAndExportRows) {
    EXPECT_EQ(KPXCountImportFormats(), 15);
    EXPECT_EQ(KPXCountExportFormats(), 9);
    KpxFormatEntry entry{};
    ASSERT_EQ(KPXEnumerateImportFormats(0, &entry), 1);
    EXPECT_STREQ(entry.extension, ".pcx");
    EXPECT_EQ(entry.formatId, 10);
    EXPECT_STRNE(entry.name, "");
    ASSERT_EQ(KPXEnumerateImportFormats(14, &entry), 1);
    EXPECT_STREQ(entry.extension, ".pcd");
    EXPECT_EQ(KPXEnumerateImportFormats(15, &entry), 0);
    EXPECT_EQ(KPXEnumerateImportFormats(-1, &entry), 0);

    const char* exports[] = {".pcx", ".gif", ".tif", ".bmp", ".wpg",
                             ".tga", ".jpg", ".png", ".bmi"};
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(KPXEnumerateExportFormats(i, &entry), 1);
        EXPECT_STREQ(entry.extension, exports[i]);
    }
    EXPECT_EQ(KPXEnumerateExportFormats(9, &entry), 0);
    EXPECT_EQ(KPXEnumerateExportFormats(-1, &entry), 0);
    EXPECT_EQ(KPXEnumerateExportFormats(0, nullptr), 0);
}

TEST(FormatList, NameByIdTakesTheFirstRowOfRasterIds) {
    KpxFormatEntry entry{};
    ASSERT_EQ(KPXGetFormatName(40, &entry), 1);
    EXPECT_STREQ(entry.extension, ".bmp");
    ASSERT_EQ(KPXGetFormatName(90, &entry), 1);
    EXPECT_STREQ(entry.extension, ".jpg");
    EXPECT_EQ(KPXGetFormatName(9, &entry), 0);
    EXPECT_EQ(KPXGetFormatName(1000, &entry), 0);
    EXPECT_EQ(KPXGetFormatName(15, &entry), 0);
}

TEST(FormatList, GifNoticeTextExistsAndIsCutToTheLength) {
    char whole[2048] = {};
    EXPECT_EQ(KPXSupportGifLicenseText(whole, 2048), 1);
    const std::string notice = whole;
    EXPECT_NE(notice.find("GIF"), std::string::npos) << notice;
    EXPECT_NE(notice.find("LZW"), std::string::npos) << notice;
    char cut[8];
    std::memset(cut, 'x', sizeof cut);
    EXPECT_EQ(KPXSupportGifLicenseText(cut, 4), 1);
    EXPECT_EQ(std::strlen(cut), std::min<std::size_t>(3, std::strlen(whole)));
    EXPECT_EQ(std::strncmp(cut, whole, std::strlen(cut)), 0);
    EXPECT_EQ(cut[4], 'x'); // nothing past the length
    EXPECT_EQ(KPXSupportGifLicenseText(nullptr, 10), 1);
    char untouched = 'u';
    EXPECT_EQ(KPXSupportGifLicenseText(&untouched, 0), 1);
    EXPECT_EQ(untouched, 'u');
}

} // namespace
