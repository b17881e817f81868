// TIFF through libtiff: the libtiff sample pictures load to Pillow's pixels, the layouts the
// library does not read and the fuzzing finds fail with result codes, the rows of every layout
// it reads are converted as they should be, and every compression and colour option of a save
// reads back here, in libtiff's terms and in Pillow.

#include "FormatDispatch.h"
#include "ImageTable.h"
#include "RowCallbacks.h"

#include "../stills/StillImageSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

namespace {

using kfm::test::rgbOf;
constexpr std::int32_t kTiff = 30;

std::string dataPath(const std::string& relative) {
    return kfm::test::testDataPath(relative).string();
}

// Files Pillow reads and this library does not: a planar picture, 12-bit grey, old-style JPEG.
const std::set<std::string> kRefused = {"flower-rgb-planar-08.tif", "flower-minisblack-12.tif",
                                        "smallliz.tif"};

std::string testName(const ::testing::TestParamInfo<kfm::test::PeerExpectation>& info) {
    std::string name = info.param.name.substr(0, info.param.name.find('.'));
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
    return name;
}

class TiffSamples : public ::testing::TestWithParam<kfm::test::PeerExpectation> {};

TEST_P(TiffSamples, LoadToPillowsPixelsOrAreRefused) {
    const auto& expected = GetParam();
    const std::string path = dataPath("tiff/" + expected.name);
    const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
    if (!expected.readable || kRefused.count(expected.name)) {
        EXPECT_EQ(image, 0);
        KpxFileInfo info{};
        EXPECT_EQ(KPXGetInfoFile(path.c_str(), &info), 0);
        return;
    }
    ASSERT_NE(image, 0);
    const auto picture = rgbOf(image);
    EXPECT_EQ(picture.width, expected.width);
    EXPECT_EQ(picture.height, expected.height);
    EXPECT_EQ(kfm::test::crc32Of(picture.rgb), expected.crc);
    KPXDeleteImage(image);
}

INSTANTIATE_TEST_SUITE_P(Files, TiffSamples,
                         ::testing::ValuesIn(kfm::test::readPeerExpectations(
                             kfm::test::testDataPath("tiff/expected-pillow.tsv"))),
                         testName);

TEST(TiffDamaged, FuzzingFindsFailWithoutAnImage) {
    const int before = KpxLiveImageCount();
    for (const auto& entry :
         std::filesystem::directory_iterator(kfm::test::testDataPath("tiff-damaged"))) {
        if (entry.path().extension() != ".tif")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(KPXLoadImage(nullptr, entry.path().c_str(), nullptr), 0);
        KpxCodecContext context;
        KpxGetInfoByFormat(&context, entry.path().c_str(), 0, kTiff, nullptr, nullptr);
    }
    EXPECT_EQ(KpxLiveImageCount(), before);
}

// A strip whose byte count claims far more than the file holds vouches only for the bytes the
// file has: the 186-byte file of a 30000 x 30000 picture is refused before anything is
// allocated, as a PNG of that size would be.
TEST(TiffDamaged, StripCountsPastTheFileDoNotVouchForAHugePicture) {
    const std::string path = dataPath("tiff-damaged/strip-count-past-the-file.tif");
    KpxCodecContext context;
    EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, kTiff, nullptr, nullptr), kKpxBadData);
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
}

TEST(TiffInfo, DescriptionFlagsAndDataSizeFollowTheFile) {
    struct Case {
        const char* file;
        const char* description;
        int depth;
        std::int16_t flags;
    } const cases[] = {
        {"jello.tif", "PackBits compressed", 8, 0},
        {"fax2d.tif", "CCITT Group 3 fax", 1, 0},
        {"quad-jpeg.tif", "JPEG compressed, YCbCr", 24, 0},
        {"flower-separated-contig-08.tif", "Uncompressed, separated (CMYK)", 24, 1},
        {"flower-minisblack-02.tif", "Uncompressed", 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        KpxCodecContext context;
        ASSERT_EQ(KpxGetInfoByFormat(&context, dataPath(std::string("tiff/") + c.file).c_str(), 0,
                                     kTiff, nullptr, nullptr),
                  kKpxOk);
        EXPECT_STREQ(context.description, c.description);
        EXPECT_EQ(KpxNormalizeBitCount(context.bitsPerPixel), c.depth);
        EXPECT_EQ(context.flags, c.flags);
        EXPECT_GT(context.dataSize, 0);
    }
}

// ---- Layouts written with libtiff itself

struct Fixture {
    std::uint32_t width = 4;
    std::uint32_t height = 2;
    std::uint16_t bits = 8;
    std::uint16_t samples = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    std::function<void(TIFF*)> moreTags;
    std::vector<std::uint8_t> data; // the stored rows, one strip
};

void writeFixture(const std::string& path, const Fixture& f) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, f.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, f.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, f.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, f.samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, f.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, f.height);
    if (f.moreTags)
        f.moreTags(tiff);
    ASSERT_GE(TIFFWriteEncodedStrip(tiff, 0, const_cast<std::uint8_t*>(f.data.data()),
                                    static_cast<tmsize_t>(f.data.size())),
              0);
    TIFFClose(tiff);
}

std::vector<std::uint8_t> nativeSixteen(std::initializer_list<std::uint16_t> values) {
    std::vector<std::uint8_t> bytes(values.size() * 2);
    std::copy_n(reinterpret_cast<const std::uint8_t*>(values.begin()), bytes.size(), bytes.begin());
    return bytes;
}

std::uint8_t rounded(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

TEST(TiffLayouts, StoredRowsBecomeThePixelsTheirLayoutMeans) {
    const kfm::test::TempDir dir;
    struct Case {
        const char* what;
        Fixture fixture;
        std::vector<std::uint8_t> rgb; // the first row's first two pixels
    };
    const Case cases[] = {
        {"16-bit grey keeps the high byte",
         {2, 1, 16, 1, PHOTOMETRIC_MINISBLACK, nullptr, nativeSixteen({0x12FF, 0xFE01})},
         {0x12, 0x12, 0x12, 0xFE, 0xFE, 0xFE}},
        {"4-bit grey, white at zero",
         {2, 1, 4, 1, PHOTOMETRIC_MINISWHITE, nullptr, {0x0F}},
         {255, 255, 255, 0, 0, 0}},
        {"8-bit grey with an extra sample keeps the grey",
         {2,
          1,
          8,
          2,
          PHOTOMETRIC_MINISBLACK,
          [](TIFF* t) {
              const std::uint16_t kind = EXTRASAMPLE_UNASSALPHA;
              TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &kind);
          },
          {10, 99, 200, 0}},
         {10, 10, 10, 200, 200, 200}},
        {"RGB with an associated alpha has it divided out",
         {2,
          1,
          8,
          4,
          PHOTOMETRIC_RGB,
          [](TIFF* t) {
              const std::uint16_t kind = EXTRASAMPLE_ASSOCALPHA;
              TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &kind);
          },
          {50, 100, 25, 128, 9, 9, 9, 0}},
         {99, 199, 49, 0, 0, 0}},
        {"RGB with an unassociated alpha drops it",
         {2,
          1,
          8,
          4,
          PHOTOMETRIC_RGB,
          [](TIFF* t) {
              const std::uint16_t kind = EXTRASAMPLE_UNASSALPHA;
              TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &kind);
          },
          {50, 100, 25, 128, 9, 8, 7, 0}},
         {50, 100, 25, 9, 8, 7}},
        {"CMYK: (255 - ink) x (255 - black) / 255",
         {2, 1, 8, 4, PHOTOMETRIC_SEPARATED, nullptr, {0, 255, 128, 0, 0, 0, 0, 128}},
         {255, 0, 127, 127, 127, 127}},
        {"YCbCr without subsampling",
         {2,
          1,
          8,
          3,
          PHOTOMETRIC_YCBCR,
          [](TIFF* t) { TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, 1, 1); },
          {100, 128, 128, 80, 200, 60}},
         {100, 100, 100, rounded(80 + 1.402 * -68), rounded(80 - 0.344 * 72 - 0.71414 * -68),
          rounded(80 + 1.772 * 72)}},
        {"CIE L*a*b*: white and the sRGB red",
         {2, 1, 8, 3, PHOTOMETRIC_CIELAB, nullptr, {255, 0, 0, 136, 80, 67}},
         {255, 255, 255, 255, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("layout.tif");
        writeFixture(path, c.fixture);
        const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(image, 0);
        const auto picture = rgbOf(image);
        for (std::size_t i = 0; i < c.rgb.size(); ++i)
            EXPECT_NEAR(picture.rgb[i], c.rgb[i],
                        c.fixture.photometric == PHOTOMETRIC_CIELAB ? 4 : 0)
                << "sample " << i;
        KPXDeleteImage(image);
    }
}

TEST(TiffLayouts, AMaskHasItsInfoButDoesNotLoad) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("mask.tif");
    writeFixture(path, {8, 2, 1, 1, PHOTOMETRIC_MASK, nullptr, {0xF0, 0x0F}});
    KpxCodecContext context;
    ASSERT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, kTiff, nullptr, nullptr), kKpxOk);
    EXPECT_STREQ(context.description, "Uncompressed, transparency mask");
    KpxSetupRowLayout(&context);
    context.storeRow = [](std::uint8_t*, int) { return 0; };
    EXPECT_EQ(KpxLoadByFormat(&context, path.c_str(), 0, kTiff, nullptr, nullptr, nullptr),
              kKpxReadError);
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
}

TEST(TiffLayouts, TilesAndSubsampledYCbCrAreRefused) {
    const kfm::test::TempDir dir;
    const std::string tiled = dir.file("tiled.tif");
    {
        TIFF* tiff = TIFFOpen(tiled.c_str(), "w");
        ASSERT_NE(tiff, nullptr);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 16);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 16);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
        std::vector<std::uint8_t> tile(256, 7);
        TIFFWriteEncodedTile(tiff, 0, tile.data(), 256);
        TIFFClose(tiff);
    }
    const std::string subsampled = dir.file("ycbcr.tif");
    writeFixture(subsampled, {2,
                              2,
                              8,
                              3,
                              PHOTOMETRIC_YCBCR,
                              [](TIFF* t) { TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, 2, 2); },
                              {100, 110, 120, 130, 128, 128}});
    for (const std::string& path : {tiled, subsampled}) {
        KpxFileInfo info{};
        EXPECT_EQ(KPXGetInfoFile(path.c_str(), &info), 0);
        EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
    }
}

TEST(TiffRead, AStopAskedByTheRowCallbackEndsWithTheReadError) {
    const std::string path = dataPath("tiff/jello.tif");
    KpxCodecContext context;
    ASSERT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, kTiff, nullptr, nullptr), kKpxOk);
    KpxSetupRowLayout(&context);
    context.storeRow = [](std::uint8_t*, int index) { return index == 5 ? 1 : 0; };
    EXPECT_EQ(KpxLoadByFormat(&context, path.c_str(), 0, kTiff, nullptr, nullptr, nullptr),
              kKpxReadError);
}

TEST(TiffRead, APictureInsideALargerFileLoadsFromItsOffset) {
    const kfm::test::TempDir dir;
    auto bytes = std::vector<std::uint8_t>(100, 0x55);
    const auto tiff = kfm::test::readFileBytes(kfm::test::testDataPath("tiff/jello.tif"));
    bytes.insert(bytes.end(), tiff.begin(), tiff.end());
    const std::string path = dir.file("inside.tif");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, bytes));
    const KpxHandle fromOffset = KPXLoadImageOffset(nullptr, path.c_str(), 100, nullptr);
    const KpxHandle direct = KPXLoadImage(nullptr, dataPath("tiff/jello.tif").c_str(), nullptr);
    ASSERT_NE(fromOffset, 0);
    ASSERT_NE(direct, 0);
    EXPECT_EQ(rgbOf(fromOffset).rgb, rgbOf(direct).rgb);
    KpxFileInfo info{};
    ASSERT_EQ(KPXGetInfoFileOffset(path.c_str(), 100, &info), 1);
    EXPECT_EQ(info.fileSize, static_cast<std::int32_t>(tiff.size()));
    KPXDeleteImage(fromOffset);
    KPXDeleteImage(direct);
}

// ---- Saving

struct SavedTags {
    std::uint16_t compression = 0;
    std::uint16_t photometric = 0;
    std::uint16_t samples = 0;
    std::uint16_t bits = 0;
    std::uint32_t strips = 0;
    std::string software;
    float xResolution = 0;
    std::uint16_t unit = 0;
};

SavedTags tagsOf(const std::string& path) {
    SavedTags tags;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff)
        return tags;
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &tags.compression);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &tags.photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &tags.samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &tags.bits);
    tags.strips = TIFFNumberOfStrips(tiff);
    char* software = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_SOFTWARE, &software) && software)
        tags.software = software;
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &tags.xResolution);
    TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &tags.unit);
    TIFFClose(tiff);
    return tags;
}

TEST(TiffWrite, EveryCompressionAndColourOptionReadsBack) {
    const kfm::test::TempDir dir;
    enum class Same { Exactly, WithinOne, AsJpeg };
    struct Case {
        int depth;
        int option;
        std::uint16_t compression;
        std::uint16_t photometric;
        Same same;
    } const cases[] = {
        {24, 1, COMPRESSION_NONE, PHOTOMETRIC_RGB, Same::Exactly},
        {24, 2, COMPRESSION_PACKBITS, PHOTOMETRIC_RGB, Same::Exactly},
        {24, 4, COMPRESSION_LZW, PHOTOMETRIC_RGB, Same::Exactly},
        {24, 0, COMPRESSION_LZW, PHOTOMETRIC_RGB, Same::Exactly},  // any other value: LZW
        {24, 8, COMPRESSION_NONE, PHOTOMETRIC_RGB, Same::Exactly}, // group 4 is for 1 bit
        {24, 16, COMPRESSION_JPEG, PHOTOMETRIC_RGB, Same::AsJpeg},
        {24, 4 | 0x40, COMPRESSION_LZW, PHOTOMETRIC_SEPARATED, Same::WithinOne},
        {32, 4, COMPRESSION_LZW, PHOTOMETRIC_RGB, Same::Exactly},
        {8, 4, COMPRESSION_LZW, PHOTOMETRIC_PALETTE, Same::Exactly},
        {8, 16, COMPRESSION_NONE, PHOTOMETRIC_PALETTE, Same::Exactly}, // JPEG is for 24 bits
        {4, 2, COMPRESSION_PACKBITS, PHOTOMETRIC_PALETTE, Same::Exactly},
        {1, 8, COMPRESSION_CCITTFAX4, PHOTOMETRIC_PALETTE, Same::Exactly},
        {1, 1, COMPRESSION_NONE, PHOTOMETRIC_PALETTE, Same::Exactly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.depth) + " option " + std::to_string(c.option));
        const KpxHandle image = kfm::test::patternImage(41, 30, c.depth);
        const std::string path = dir.file("saved.tif");
        ASSERT_EQ(KPXSaveImage(image, path.c_str(), kTiff, c.option, 85, nullptr), 1);
        const SavedTags tags = tagsOf(path);
        EXPECT_EQ(tags.compression, c.compression);
        EXPECT_EQ(tags.photometric, c.photometric);
        EXPECT_EQ(tags.software, "Keldo Bitmap Library 32");
        EXPECT_EQ(tags.xResolution, 96.0f);
        EXPECT_EQ(tags.unit, RESUNIT_INCH);
        const auto original = rgbOf(image);
        const KpxHandle loaded = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(loaded, 0);
        const auto back = rgbOf(loaded);
        const auto peer = kfm::test::pillowRead(path);
        EXPECT_TRUE(peer) << "Pillow cannot read the file";
        switch (c.same) {
        case Same::Exactly:
            EXPECT_EQ(back.rgb, original.rgb);
            if (peer)
                EXPECT_EQ(peer->rgb, original.rgb);
            break;
        case Same::WithinOne:
            EXPECT_LE(kfm::test::differenceOf(back, original).largest, 1);
            if (peer)
                EXPECT_LE(kfm::test::differenceOf(*peer, original).largest, 1);
            break;
        case Same::AsJpeg:
            EXPECT_TRUE(kfm::test::withinJpegTolerance(kfm::test::differenceOf(back, original)));
            if (peer)
                EXPECT_TRUE(kfm::test::withinJpegTolerance(kfm::test::differenceOf(*peer, back)));
            break;
        }
        KPXDeleteImage(loaded);
        KPXDeleteImage(image);
    }
}

TEST(TiffWrite, TallPicturesAreWrittenInSeveralStrips) {
    const kfm::test::TempDir dir;
    const KpxHandle image = kfm::test::patternImage(300, 200, 24);
    const std::string path = dir.file("tall.tif");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kTiff, 1, 0, nullptr), 1);
    EXPECT_GT(tagsOf(path).strips, 1u);
    const KpxHandle loaded = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(loaded, 0);
    EXPECT_EQ(rgbOf(loaded).rgb, rgbOf(image).rgb);
    KPXDeleteImage(loaded);
    KPXDeleteImage(image);
}

TEST(TiffWrite, AStopWhileSavingRemovesTheFile) {
    const kfm::test::TempDir dir;
    const KpxHandle image = kfm::test::patternImage(8, 8, 8);
    const std::string path = dir.file("stopped.tif");
    {
        const kpx::ImageLock record(image, kKpxRead);
        KpxCodecContext context;
        context.width = 8;
        context.height = 8;
        context.bitsPerPixel = 8;
        context.saveOption = 4;
        context.fetchRow = [](std::uint8_t*, int index) { return index == 4 ? 1 : 0; };
        KpxSetupRowLayout(&context);
        KpxSetRowBits(record->bits);
        EXPECT_EQ(KpxSaveByFormat(&context, path.c_str(), kTiff, nullptr, nullptr, 0), kKpxStopped);
        KpxSetRowBits(nullptr);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    KPXDeleteImage(image);
}

} // namespace
