// The picture archive: damaged and foreign headers give no picture, a built archive gives its
// pictures, and the archive the build packs beside the program holds the splash and About
// pictures.

#include "ImageArchive.h"

#include "AppSettings.h"
#include "FormatId.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace kfm::shell;
using Bytes = std::vector<std::uint8_t>;

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A picture the image library reads: a small BMP written by the library itself.
Bytes pictureBytes(const kfm::test::TempDir& dir, int width, int height) {
    const KpxHandle image = KPXCreateImage(width, height, 24);
    KPXFillImageByRGBColor(image, RGB(10, 200, 30));
    const std::string path = dir.file("picture.bmp");
    KPXSaveImage(image, path.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr);
    KPXDeleteImage(image);
    return kfm::test::readFileBytes(path);
}

// Width of picture index of the archive bytes, 0 when none loads.
int loadedWidth(const kfm::test::TempDir& dir, const Bytes& archive, int index) {
    const std::string path = dir.file("kfmimgs.dat");
    EXPECT_TRUE(kfm::test::writeFileBytes(path, archive));
    const KpxHandle image = LoadArchiveImageFrom(path, index);
    const int width = image ? KPXWidth(image) : 0;
    KPXDeleteImage(image);
    return width;
}

TEST(ImageArchive, ABuiltArchiveGivesEachPicture) {
    const kfm::test::TempDir dir;
    const Bytes small = pictureBytes(dir, 7, 5);
    const Bytes large = pictureBytes(dir, 13, 9);
    ASSERT_FALSE(small.empty());
    const auto archive = BuildImageArchive({small, large});
    ASSERT_TRUE(archive);
    EXPECT_EQ(ArchivePictureOffset(*archive, 0), kArchiveHeaderSize);
    EXPECT_EQ(ArchivePictureOffset(*archive, 1), kArchiveHeaderSize + small.size());
    EXPECT_EQ(loadedWidth(dir, *archive, 0), 7);
    EXPECT_EQ(loadedWidth(dir, *archive, 1), 13);
    EXPECT_EQ(loadedWidth(dir, *archive, 2), 0);
    EXPECT_EQ(loadedWidth(dir, *archive, -1), 0);
    EXPECT_FALSE(BuildImageArchive(std::vector<Bytes>(101, small)));
}

TEST(ImageArchive, DamagedOrForeignHeadersGiveNoPicture) {
    const kfm::test::TempDir dir;
    const auto good = BuildImageArchive({pictureBytes(dir, 7, 5)});
    ASSERT_TRUE(good);
    struct Case {
        const char* what;
        int index;
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        {"short header", 0, [](Bytes& b) { b.resize(kArchiveHeaderSize - 1); }},
        {"empty file", 0, [](Bytes& b) { b.clear(); }},
        {"wrong magic", 0, [](Bytes& b) { b[3] = 'X'; }},
        {"format 199", 0, [](Bytes& b) { putU32(b, 68, 199); }},
        {"n 1 with index 1", 1, [](Bytes&) {}},
        {"n 0", 0, [](Bytes& b) { putU32(b, 72, 0); }},
        // Only 100 offsets exist: an index past them reads no offset beyond the header.
        {"n 150 with index 120", 120, [](Bytes& b) { putU32(b, 72, 150); }},
        {"n 150 with index 100", 100, [](Bytes& b) { putU32(b, 72, 150); }},
        {"offset past the end", 0,
         [](Bytes& b) { putU32(b, 76, static_cast<std::uint32_t>(b.size())); }},
        {"offset past 2 GB", 0, [](Bytes& b) { putU32(b, 76, 0x90000000u); }},
        {"offset inside the header", 0, [](Bytes& b) { putU32(b, 76, 4); }},
        {"picture cut short", 0, [](Bytes& b) { b.resize(kArchiveHeaderSize + 20); }},
    };
    EXPECT_EQ(loadedWidth(dir, *good, 0), 7) << "the undamaged archive loads";
    for (const Case& c : cases) {
        Bytes damaged = *good;
        c.damage(damaged);
        EXPECT_EQ(loadedWidth(dir, damaged, c.index), 0) << c.what;
    }
    EXPECT_EQ(LoadArchiveImageFrom(dir.file("missing.dat"), 0), 0);
}

TEST(ImageArchive, TheBuiltArchiveHoldsTheSplashAndAboutPictures) {
    g_AppSettings.programFolder = kfm::test::programFolder().string();
    const KpxHandle splash = LoadArchiveImage(0);
    const KpxHandle about = LoadArchiveImage(1);
    ASSERT_NE(splash, 0);
    ASSERT_NE(about, 0);
    EXPECT_GT(KPXWidth(splash), KPXWidth(about)) << "the splash is the larger picture";
    EXPECT_EQ(LoadArchiveImage(2), 0);
    KPXDeleteImage(splash);
    KPXDeleteImage(about);
}

} // namespace
