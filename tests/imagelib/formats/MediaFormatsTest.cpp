#include "MediaFormats.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <link.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& head, std::size_t size = 16) {
    Bytes bytes(head.begin(), head.end());
    bytes.resize(std::max(bytes.size(), size), 0);
    return bytes;
}

const Bytes kAvi = bytesOf(std::string("RIFF\x10\0\0\0AVI LIST", 16));
const Bytes kWave = bytesOf(std::string("RIFF\x10\0\0\0WAVEfmt ", 16));
const Bytes kMidi = bytesOf(std::string("MThd\0\0\0\x06\0\x01\0\x02", 12));
const Bytes kAbc = bytesOf("ABC anything");
const Bytes kOther = bytesOf("just some bytes");

// A 1 x 1 24-bit BMP of one grey pixel.
const Bytes kOnePixelBmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40,  0,   0,   0, 1, 0,
                            0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,   0,   0,   0, 0, 0,
                            0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 128, 128, 128, 0};

bool isMapped(const std::string& namePart) {
    struct Search {
        const std::string* part;
        bool found;
    } search{&namePart, false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            if (info->dlpi_name && std::string(info->dlpi_name).find(*s->part) != std::string::npos)
                s->found = true;
            return 0;
        },
        &search);
    return search.found;
}

// Streamed media on or off for the scope.
class StreamedMedia {
public:
    explicit StreamedMedia(int support) { KrvSetStreamedMediaSupportForTest(support); }
    ~StreamedMedia() { KrvSetStreamedMediaSupportForTest(-1); }
};

// File name, content, answer without streamed media, answer with it.
TEST(MediaFormats, RecognisesFilesByContentThenExtension) {
    const struct {
        const char* name;
        const Bytes& bytes;
        int without;
        int with;
    } cases[] = {
        {"clip.avi", kAvi, 2010, 2010},
        {"clip.mov", kAvi, 2010, 2010},
        {"clip.avi", kWave, 3010, 3010},
        {"movie.flc", kOther, 2030, 2030},
        {"movie.FLI", kOther, 2020, 2020},
        {"movie.flc", kAbc, 0, 0},
        {"movie.flc", kAvi, 2010, 2010},
        {"song.mp2", kOther, 0, 3090},
        {"film.mpg", kOther, 0, 2040},
        {"film.qt", kOther, 0, 2110},
        {"tune.mid", kOther, 3020, 3020},
        {"tune.rmi", kOther, 3030, 3030},
        {"tune.dat", kMidi, 3020, 3020},
        {"sound.aiff", kOther, 0, 3080},
        {"sound.wav", kOther, 0, 0},
        {"notes.txt", kOther, 0, 0},
        {"*.avi", kAvi, 0, 0},
    };
    const kfm::test::TempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(kfm::test::writeFileBytes(path, c.bytes));
        for (const int streamed : {0, 1}) {
            const StreamedMedia support(streamed);
            EXPECT_EQ(KRVGetFormatFile(path.c_str()), streamed ? c.with : c.without)
                << c.name << " streamed " << streamed;
        }
    }
    EXPECT_EQ(KRVGetFormatFile(dir.file("missing.avi").c_str()), 0);
    const std::string shortFile = dir.file("short.flc");
    ASSERT_TRUE(kfm::test::writeFileBytes(shortFile, Bytes(11, 0)));
    EXPECT_EQ(KRVGetFormatFile(shortFile.c_str()), 0);
}

TEST(MediaFormats, CountsFollowStreamedMediaButEnumerationDoesNot) {
    for (const int streamed : {0, 1}) {
        const StreamedMedia support(streamed);
        EXPECT_EQ(KRVACountImportFormats(), streamed ? 11 : 3);
        EXPECT_EQ(KRVACountExportFormats(), streamed ? 11 : 3);
        EXPECT_EQ(KRVSCountImportFormats(), streamed ? 9 : 3);
        EXPECT_EQ(KRVSCountExportFormats(), streamed ? 9 : 3);
        KpxFormatEntry entry{};
        ASSERT_EQ(KRVAEnumerateImportFormats(7, &entry), 1);
        EXPECT_STREQ(entry.extension, ".mpe");
        EXPECT_EQ(entry.formatId, 2080);
        EXPECT_STRNE(entry.name, "");
        EXPECT_EQ(KRVAEnumerateExportFormats(11, &entry), 0);
        EXPECT_EQ(KRVAEnumerateImportFormats(-1, &entry), 0);
        ASSERT_EQ(KRVSEnumerateExportFormats(8, &entry), 1);
        EXPECT_EQ(entry.formatId, 3090);
        EXPECT_EQ(KRVSEnumerateImportFormats(9, &entry), 0);
    }
}

TEST(MediaFormats, NamesOnlyIdsOfTheTables) {
    KpxFormatEntry entry{};
    ASSERT_EQ(KRVGetFormatName(2100, &entry), 1);
    EXPECT_STREQ(entry.extension, ".mov");
    ASSERT_EQ(KRVGetFormatName(3040, &entry), 1);
    EXPECT_STREQ(entry.extension, ".au");
    for (const int id : {2000, 2011, 3000, 3091, 1010, 4000})
        EXPECT_EQ(KRVGetFormatName(id, &entry), 0) << id;
    EXPECT_EQ(KRVGetFormatName(2010, nullptr), 0);
}

TEST(MediaFormats, InfoGivesFormatBlankDescriptionAndSize) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("clip.avi");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, bytesOf(std::string("RIFF\0\0\0\0AVI ", 12), 40)));
    KrvFileInfo info{};
    ASSERT_EQ(KRVAGetInfoFile(path.c_str(), &info), 1);
    EXPECT_EQ(info.formatId, 2010);
    EXPECT_STREQ(info.description, " ");
    EXPECT_EQ(info.fileSize, 40);
    EXPECT_EQ(KRVSGetInfoFile(dir.file("none.wav").c_str(), &info), 0);
}

// FFmpeg here opens the streamed formats: the answer the list gives without a test override.
// The library maps FFmpeg only for that question (or a clip), never to load a still.
TEST(MediaFormats, FfmpegOpensTheStreamedFormatsAndIsMappedOnlyForThem) {
    const auto ffmpegMapped = [] { return isMapped("libavformat"); };
    const bool askedBefore = isMapped("libKfmVideoFFmpeg");
    const kfm::test::TempDir dir;
    const std::string still = dir.file("grey.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(still, kOnePixelBmp));
    const KpxHandle image = KPXLoadImage(nullptr, still.c_str(), nullptr);
    ASSERT_GT(image, 0);
    KPXDeleteImage(image);
    if (!askedBefore) // each test runs in a process of its own under CTest
        EXPECT_FALSE(ffmpegMapped());
    EXPECT_EQ(KRVSupportActiveMovie(), 1);
    EXPECT_EQ(KRVACountImportFormats(), 11);
    EXPECT_TRUE(ffmpegMapped());
}

} // namespace
