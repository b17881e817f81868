// The BMP Suite and ImageMagick's bitmaps decode to their reference pictures through every road
// a bitmap is loaded by; the suite's bad files fail with a result code or load within their
// data, and never read outside it (the sanitizer build checks that).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "ImageCreation.h"
#include "LoadFrontEnd.h"
#include "StillImageSupport.h"
#include "StreamLoading.h"

namespace {

using kfm::test::testDataPath;

// The roads a bitmap file reaches the codec by.
enum class Road { PathStreamReader, CoreLoader, Offset, ByteStream, CallbackStream };

const char* nameOf(Road road) {
    switch (road) {
    case Road::PathStreamReader:
        return "path";
    case Road::CoreLoader:
        return "core";
    case Road::Offset:
        return "offset";
    case Road::ByteStream:
        return "stream";
    case Road::CallbackStream:
        return "callbacks";
    }
    return "";
}

constexpr Road kRoads[] = {Road::PathStreamReader, Road::CoreLoader, Road::Offset, Road::ByteStream,
                           Road::CallbackStream};

KpxHandle loadThrough(Road road, const std::filesystem::path& path) {
    switch (road) {
    case Road::PathStreamReader:
        return KPXLoadImage(nullptr, path.string().c_str(), nullptr);
    case Road::CoreLoader: {
        KpxCodecContext context;
        return KpxLoadImageCore(nullptr, path.string().c_str(), 0, 0, &context, 0, nullptr);
    }
    case Road::Offset: {
        // Seven bytes of something else in front, in a file whose name says nothing.
        static const kfm::test::TempDir dir;
        std::vector<std::uint8_t> bytes = {'p', 'r', 'e', 'f', 'i', 'x', 0};
        const auto file = kfm::test::readFileBytes(path);
        bytes.insert(bytes.end(), file.begin(), file.end());
        const std::string copy = dir.file("embedded.dat");
        kfm::test::writeFileBytes(copy, bytes);
        return KPXLoadImageOffset(nullptr, copy.c_str(), 7, nullptr);
    }
    case Road::ByteStream: {
        KpxMemoryStream stream(kfm::test::readFileBytes(path));
        return KPXLoadImageOleStream(nullptr, &stream, nullptr);
    }
    case Road::CallbackStream: {
        kfm::test::MemoryCallbackStream stream(kfm::test::readFileBytes(path));
        return KPXLoadImageStreamCB(&stream.calls, nullptr);
    }
    }
    return 0;
}

struct ReferenceCase {
    const char* file;      // under tests/data/bmp
    const char* reference; // under tests/data/bmp
    // Channels of fewer than 8 bits are widened by shifting them up (a 5-bit 31 gives 248), where
    // the reference pictures scale them to 255: the largest difference that allows.
    int tolerance = 0;
};

class BmpReference : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(BmpReference, DecodesToTheReferencePictureOnEveryRoad) {
    const ReferenceCase& c = GetParam();
    const kfm::test::RgbaPicture reference =
        kfm::test::readPng(testDataPath(std::string("bmp/") + c.reference));
    ASSERT_GT(reference.width, 0) << c.reference;
    for (const Road road : kRoads) {
        SCOPED_TRACE(nameOf(road));
        const KpxHandle image = loadThrough(road, testDataPath(std::string("bmp/") + c.file));
        ASSERT_NE(image, 0);
        EXPECT_LE(kfm::test::largestDifference(image, reference, true), c.tolerance);
        EXPECT_GE(kfm::test::largestDifference(image, reference, true), 0);
        KPXDeleteImage(image);
    }
}

constexpr const char* kPal8 = "bmpsuite/html/pal8.png";
constexpr const char* kRgb24 = "bmpsuite/html/rgb24.png";

INSTANTIATE_TEST_SUITE_P(
    Good, BmpReference,
    ::testing::Values(
        ReferenceCase{"bmpsuite/g/pal1.bmp", "bmpsuite/html/pal1.png"},
        ReferenceCase{"bmpsuite/g/pal1wb.bmp", "bmpsuite/html/pal1.png"},
        ReferenceCase{"bmpsuite/g/pal1bg.bmp", "bmpsuite/html/pal1bg.png"},
        ReferenceCase{"bmpsuite/g/pal4.bmp", "bmpsuite/html/pal4.png"},
        ReferenceCase{"bmpsuite/g/pal4gs.bmp", "bmpsuite/html/pal4gs.png"},
        ReferenceCase{"bmpsuite/g/pal4rle.bmp", "bmpsuite/html/pal4.png"},
        ReferenceCase{"bmpsuite/g/pal8.bmp", kPal8}, ReferenceCase{"bmpsuite/g/pal8-0.bmp", kPal8},
        ReferenceCase{"bmpsuite/g/pal8gs.bmp", "bmpsuite/html/pal8gs.png"},
        ReferenceCase{"bmpsuite/g/pal8nonsquare.bmp", "bmpsuite/html/pal8nonsquare-e.png"},
        ReferenceCase{"bmpsuite/g/pal8os2.bmp", kPal8},
        ReferenceCase{"bmpsuite/g/pal8rle.bmp", kPal8},
        ReferenceCase{"bmpsuite/g/pal8topdown.bmp", kPal8},
        ReferenceCase{"bmpsuite/g/pal8v4.bmp", kPal8},
        ReferenceCase{"bmpsuite/g/pal8v5.bmp", kPal8},
        ReferenceCase{"bmpsuite/g/pal8w124.bmp", "bmpsuite/html/pal8w124.png"},
        ReferenceCase{"bmpsuite/g/pal8w125.bmp", "bmpsuite/html/pal8w125.png"},
        ReferenceCase{"bmpsuite/g/pal8w126.bmp", "bmpsuite/html/pal8w126.png"},
        ReferenceCase{"bmpsuite/g/rgb16.bmp", "bmpsuite/html/rgb16.png", 7},
        ReferenceCase{"bmpsuite/g/rgb16bfdef.bmp", "bmpsuite/html/rgb16.png", 7},
        ReferenceCase{"bmpsuite/g/rgb16-565.bmp", "bmpsuite/html/rgb16-565.png", 7},
        ReferenceCase{"bmpsuite/g/rgb16-565pal.bmp", "bmpsuite/html/rgb16-565.png", 7},
        ReferenceCase{"bmpsuite/g/rgb24.bmp", kRgb24},
        ReferenceCase{"bmpsuite/g/rgb24pal.bmp", kRgb24},
        ReferenceCase{"bmpsuite/g/rgb32.bmp", kRgb24},
        ReferenceCase{"bmpsuite/g/rgb32bf.bmp", kRgb24},
        ReferenceCase{"bmpsuite/g/rgb32bfdef.bmp", kRgb24},
        ReferenceCase{"imagemagick/input.bmp", "imagemagick/input_bmp.png"},
        ReferenceCase{"imagemagick/input24.bmp", "imagemagick/input24_bmp.png"}));

INSTANTIATE_TEST_SUITE_P(
    Questionable, BmpReference,
    ::testing::Values(
        ReferenceCase{"bmpsuite/q/pal1p1.bmp", "bmpsuite/html/pal1p1.png"},
        ReferenceCase{"bmpsuite/q/pal2.bmp", "bmpsuite/html/pal2.png"},
        ReferenceCase{"bmpsuite/q/pal2color.bmp", "bmpsuite/html/pal2color.png"},
        // Pixels the run-length data skips or never reaches are index 0.
        ReferenceCase{"bmpsuite/q/pal4rlecut.bmp", "bmpsuite/html/pal4rlecut-0.png"},
        ReferenceCase{"bmpsuite/q/pal4rletrns.bmp", "bmpsuite/html/pal4rletrns-0.png"},
        ReferenceCase{"bmpsuite/q/pal8rlecut.bmp", "bmpsuite/html/pal8rlecut-0.png"},
        ReferenceCase{"bmpsuite/q/pal8rletrns.bmp", "bmpsuite/html/pal8rletrns-0.png"},
        ReferenceCase{"bmpsuite/q/pal8offs.bmp", kPal8},
        ReferenceCase{"bmpsuite/q/pal8oversizepal.bmp", kPal8},
        ReferenceCase{"bmpsuite/q/pal8os2-sz.bmp", kPal8},
        ReferenceCase{"bmpsuite/q/pal8os2-hs.bmp", kPal8},
        ReferenceCase{"bmpsuite/q/pal8os2sp.bmp", kPal8},
        ReferenceCase{"bmpsuite/q/pal8os2v2.bmp", kPal8},
        ReferenceCase{"bmpsuite/q/pal8os2v2-16.bmp", kPal8},
        ReferenceCase{"bmpsuite/q/pal8os2v2-sz.bmp", kPal8},
        ReferenceCase{"bmpsuite/q/pal8os2v2-40sz.bmp", kPal8},
        ReferenceCase{"bmpsuite/q/rgb16-231.bmp", "bmpsuite/html/rgb16-231.png", 127},
        ReferenceCase{"bmpsuite/q/rgb16-3103.bmp", "bmpsuite/html/rgb16-3103.png", 31},
        ReferenceCase{"bmpsuite/q/rgba16-4444.bmp", "bmpsuite/html/rgba16-4444.png", 15},
        ReferenceCase{"bmpsuite/q/rgba16-5551.bmp", "bmpsuite/html/rgba16-5551.png", 7},
        ReferenceCase{"bmpsuite/q/rgba16-1924.bmp", "bmpsuite/html/rgba16-1924.png", 127},
        // Channels of more than 8 bits lose their low bits, where the references round.
        ReferenceCase{"bmpsuite/q/rgb32-111110.bmp", kRgb24, 1},
        ReferenceCase{"bmpsuite/q/rgb32-7187.bmp", "bmpsuite/html/rgb32-7187.png", 127},
        ReferenceCase{"bmpsuite/q/rgba32-1010102.bmp", "bmpsuite/html/rgba32-1010102.png", 1},
        ReferenceCase{"bmpsuite/q/rgba32-81284.bmp", "bmpsuite/html/rgba32-81284.png", 15},
        ReferenceCase{"bmpsuite/b/rgb16-880.bmp", "bmpsuite/html/rgb16-880.png"}));

// The packed bitmap has no file header; only its extension names the format, so only the
// path roads take it.
TEST(BmpPackedBitmap, LoadsByItsExtension) {
    const kfm::test::RgbaPicture reference =
        kfm::test::readPng(testDataPath("bmp/imagemagick/input_dib.png"));
    for (const Road road : {Road::PathStreamReader, Road::CoreLoader}) {
        SCOPED_TRACE(nameOf(road));
        const KpxHandle image = loadThrough(road, testDataPath("bmp/imagemagick/input.dib"));
        ASSERT_NE(image, 0);
        EXPECT_EQ(kfm::test::largestDifference(image, reference), 0);
        KPXDeleteImage(image);
    }
}

// Compressions the codec does not read fail with "not this format or not supported".
TEST(BmpUnsupported, CompressionsFailWithTheirResult) {
    for (const char* file :
         {"bmpsuite/q/rgb24rle24.bmp", "bmpsuite/q/rgb24png.bmp", "bmpsuite/q/pal1huffmsb.bmp"}) {
        SCOPED_TRACE(file);
        const std::string path = testDataPath(std::string("bmp/") + file).string();
        KpxCodecContext context;
        EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, 40, nullptr, nullptr), 2);
        EXPECT_STREQ(context.description, "Unsupported compression");
        for (const Road road : kRoads)
            EXPECT_EQ(loadThrough(road, path), 0) << nameOf(road);
    }
}

// Files whose headers no bitmap can have fail on every road.
TEST(BmpBadFiles, ImpossibleHeadersFail) {
    for (const char* file :
         {"badbitcount", "badheadersize", "badplanes", "badwidth", "reallybig", "rletopdown"}) {
        SCOPED_TRACE(file);
        const auto path = testDataPath(std::string("bmp/bmpsuite/b/") + file + ".bmp");
        for (const Road road : kRoads)
            EXPECT_EQ(loadThrough(road, path), 0) << nameOf(road);
    }
}

// The other bad files lie in fields the reader does not need (sizes, densities, palette
// counts), break their run-length data or end early: they load what their data holds.
TEST(BmpBadFiles, DamagedDataLoadsWithinItsBytes) {
    for (const char* file : {"badbitssize", "baddens1", "baddens2", "badfilesize", "badpalettesize",
                             "badrle", "badrlebis", "badrleter", "badrle4", "badrle4bis",
                             "badrle4ter", "pal8badindex", "shortfile"}) {
        SCOPED_TRACE(file);
        const auto path = testDataPath(std::string("bmp/bmpsuite/b/") + file + ".bmp");
        for (const Road road : kRoads) {
            const KpxHandle image = loadThrough(road, path);
            if (image)
                KPXDeleteImage(image);
        }
        KpxCodecContext context;
        ASSERT_EQ(KpxGetInfoByFormat(&context, path.string().c_str(), 0, 40, nullptr, nullptr), 0);
        const KpxHandle image =
            KpxLoadImageCore(nullptr, path.string().c_str(), 0, 0, &context, 0, nullptr);
        EXPECT_NE(image, 0);
        KPXDeleteImage(image);
    }
}

} // namespace
