// The transparency of PNG files: what libpng's own expansion calls transparent (an alpha channel,
// the tRNS alpha of palette entries, a transparent grey or colour) is transparent in the loaded
// image, as its transparent palette index or as its grey transparency image, on the single-image
// road and on the editor's; saved again, the file holds the same colours and alpha, palette
// pictures keeping their palette with a tRNS chunk where it can say it.

#include "FormatId.h"
#include "PngCodec.h"

#include "../StillImageSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr std::int32_t kPng = formatNumber(FormatId::Png);

std::string suitePath(const std::string& name) {
    return kfm::test::testDataPath("png/pngsuite/" + name).string();
}

// The opacity the library gives pixel (x, y): 255 minus its grey transparency image's value, 0
// where its transparent list marks it, else 255.
int opacityAt(KpxHandle image, int x, int y) {
    if (const KpxHandle plane = KPXGetImageTransparentImageEx(image)) {
        if (KPXbpp(plane) != 8 || KPXWidth(plane) != KPXWidth(image) ||
            KPXHeight(plane) != KPXHeight(image))
            return -1;
        return 255 - kfm::test::indexAt(plane, x, y);
    }
    int count = 0;
    const KpxTransparentEntry* entries = KPXGetImageTransparentData(image, &count);
    for (int i = 0; i < count; ++i)
        if (entries[i].mode == 1 && KPXbpp(image) <= 8 &&
            kfm::test::indexAt(image, x, y) == entries[i].blue)
            return 0;
    return 255;
}

// The first pixel whose opacity differs from the file's alpha as libpng expands it, as text;
// empty when all agree.
std::string firstOpacityDifference(KpxHandle image, const kfm::test::RgbaPicture& reference) {
    if (KPXWidth(image) != reference.width || KPXHeight(image) != reference.height)
        return "size differs";
    for (int y = 0; y < reference.height; ++y)
        for (int x = 0; x < reference.width; ++x) {
            const int want = reference.at(x, y)[3];
            const int got = opacityAt(image, x, y);
            if (got != want)
                return std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(got) +
                       " instead of " + std::to_string(want);
        }
    return {};
}

enum class Kind { Opaque, Index, Plane };

Kind kindOf(KpxHandle image) {
    if (KPXGetImageTransparentImageEx(image))
        return Kind::Plane;
    int count = 0;
    return KPXGetImageTransparentData(image, &count) && count > 0 ? Kind::Index : Kind::Opaque;
}

struct FileCase {
    const char* file;
    Kind kind;
};

// Grey and palette pictures with one transparent value keep it as an index; alpha channels,
// graded palette alphas, transparent colours of colour pictures, 16-bit grey (whose value the
// 8-bit picture cannot tell apart) and 2-bit palettes (loaded as colour) give a plane.
const FileCase kFiles[] = {
    {"basn2c08.png", Kind::Opaque}, {"basn3p08.png", Kind::Opaque}, {"tbbn0g04.png", Kind::Index},
    {"tp0n3p08.png", Kind::Opaque}, {"tbbn3p08.png", Kind::Index},  {"tp1n3p08.png", Kind::Index},
    {"tbrn2c08.png", Kind::Plane},  {"tbwn0g16.png", Kind::Plane},  {"tbbn2c16.png", Kind::Plane},
    {"tm3n3p02.png", Kind::Plane},  {"basn4a08.png", Kind::Plane},  {"basn4a16.png", Kind::Plane},
    {"basn6a08.png", Kind::Plane},  {"basn6a16.png", Kind::Plane},  {"basi4a08.png", Kind::Plane},
    {"basi6a16.png", Kind::Plane},  {"bgwn6a08.png", Kind::Plane},  {"tp0n0g08.png", Kind::Opaque},
};

TEST(PngTransparency, LoadsAsThePictureShowsIt) {
    for (const FileCase& c : kFiles) {
        SCOPED_TRACE(c.file);
        const std::string path = suitePath(c.file);
        const kfm::test::RgbaPicture reference = kfm::test::readPng(path);
        ASSERT_GT(reference.width, 0);
        const KpxHandle single = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(single, 0);
        EXPECT_EQ(kindOf(single), c.kind);
        EXPECT_EQ(firstOpacityDifference(single, reference), "");
        // The editor's road: a chain of one frame.
        const KpxHandle chain = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
        ASSERT_GT(chain, 0);
        EXPECT_EQ(kindOf(chain), c.kind);
        EXPECT_EQ(firstOpacityDifference(chain, reference), "");
        KPXDeleteImage(chain);
        KPXDeleteImage(single);
    }
}

// What a saved file's header says: its colour type and whether it has a tRNS chunk.
struct SavedKind {
    int colourType;
    bool trns;
};

SavedKind savedKindOf(const std::string& path) {
    const auto bytes = kfm::test::readFileBytes(path);
    const char trns[] = "tRNS";
    return {bytes.at(25), std::search(bytes.begin(), bytes.end(), trns, trns + 4) != bytes.end()};
}

TEST(PngTransparency, SavedFilesKeepColoursAndAlpha) {
    const kfm::test::TempDir dir;
    for (const FileCase& c : kFiles) {
        SCOPED_TRACE(c.file);
        const std::string path = suitePath(c.file);
        const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(image, 0);
        const std::string saved = dir.file("saved.png");
        ASSERT_EQ(KPXSaveImage(image, saved.c_str(), kPng, 0, 0, nullptr), 1);
        EXPECT_EQ(kfm::test::readPng(saved).rgba, kfm::test::readPng(path).rgba);
        const SavedKind kind = savedKindOf(saved);
        if (c.kind == Kind::Opaque) {
            EXPECT_FALSE(kind.trns);
        } else if (KPXbpp(image) <= 8 && c.kind == Kind::Index) {
            EXPECT_EQ(kind.colourType, 3);
            EXPECT_TRUE(kind.trns);
        }
        // Loaded again, the picture is as transparent as the first time.
        const KpxHandle back = KPXLoadImage(nullptr, saved.c_str(), nullptr);
        ASSERT_NE(back, 0);
        EXPECT_EQ(firstOpacityDifference(back, kfm::test::readPng(path)), "");
        KPXDeleteImage(back);
        KPXDeleteImage(image);
    }
}

// A palette picture whose pixels of one colour are graded differently cannot say it with a tRNS
// chunk: it is written with an alpha channel.
TEST(PngTransparency, GradedPixelsOfOnePaletteColourAreWrittenWithAlpha) {
    const KpxHandle image = kfm::test::makePicture(8, 4, 8, [](int x, int) { return x % 2; });
    const KpxHandle plane = kfm::test::makePicture(8, 4, 8, [](int x, int) { return x * 30; });
    ASSERT_EQ(KPXSetImageTransparentEx(image, plane), 1);
    const kfm::test::TempDir dir;
    const std::string saved = dir.file("graded.png");
    ASSERT_EQ(KPXSaveImage(image, saved.c_str(), kPng, 0, 0, nullptr), 1);
    EXPECT_EQ(savedKindOf(saved).colourType, 6);
    const kfm::test::RgbaPicture back = kfm::test::readPng(saved);
    ASSERT_EQ(back.width, 8);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(back.at(x, 2)[3], 255 - x * 30);
        const auto colour = kfm::test::rgbAt(image, x, 2);
        EXPECT_EQ(back.at(x, 2)[0], colour[0]);
    }
    KPXDeleteImage(image);
}

// The transparent index a palette picture carries in its list is written as its tRNS entry.
TEST(PngTransparency, ATransparentIndexIsWrittenAsTheEntrysAlpha) {
    const KpxHandle image = kfm::test::makePicture(6, 3, 4, [](int x, int y) { return x + y; });
    KpxTransparentEntry entry{};
    entry.mode = 1;
    entry.blue = 2;
    ASSERT_EQ(KPXSetImageTransparent(image, &entry, 1), 1);
    const kfm::test::TempDir dir;
    const std::string saved = dir.file("indexed.png");
    ASSERT_EQ(KPXSaveImage(image, saved.c_str(), kPng, 0, 0, nullptr), 1);
    EXPECT_EQ(savedKindOf(saved).colourType, 3);
    EXPECT_TRUE(savedKindOf(saved).trns);
    const kfm::test::RgbaPicture back = kfm::test::readPng(saved);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(back.at(x, y)[3], x + y == 2 ? 0 : 255) << x << "," << y;
    const KpxHandle loaded = KPXLoadImage(nullptr, saved.c_str(), nullptr);
    ASSERT_NE(loaded, 0);
    EXPECT_EQ(kindOf(loaded), Kind::Index);
    KPXDeleteImage(loaded);
    KPXDeleteImage(image);
}

} // namespace
