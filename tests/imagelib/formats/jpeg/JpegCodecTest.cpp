// JPEG through libjpeg: Pillow's samples decode within the usual tolerance of Pillow's own
// decoding on both roads (the stream reader the file front end takes, and the core loader),
// CMYK and YCCK files, the stream reader's request, progress, preview scale and errors, library
// failures that become result codes, and the save options read back here and in Pillow.

#include "JpegCodec.h"
#include "FormatDispatch.h"
#include "ImageTable.h"
#include "LoadFrontEnd.h"
#include "RowCallbacks.h"
#include "StreamLoading.h"

#include "../stills/StillImageSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <cstring>

namespace {

using kfm::test::rgbOf;
using kfm::test::RgbPicture;
constexpr std::int32_t kJpeg = 90;

std::string dataPath(const std::string& relative) {
    return kfm::test::testDataPath(relative).string();
}

RgbPicture reference(const std::string& name) {
    const KpxHandle image =
        KPXLoadImage(nullptr, dataPath("jpeg/references/" + name + ".png").c_str(), nullptr);
    RgbPicture picture = rgbOf(image);
    KPXDeleteImage(image);
    return picture;
}

// The file through the core loader (the info and load routines of the format table).
KpxHandle loadThroughCore(const std::string& path) {
    KpxCodecContext context;
    return KpxLoadImageCore(nullptr, path.c_str(), 0, 0, &context, -1, nullptr);
}

class JpegSamples : public ::testing::TestWithParam<const char*> {};

TEST_P(JpegSamples, DecodeWithinTheToleranceOfPillowOnBothRoads) {
    const std::string name = GetParam();
    const std::string path = dataPath("jpeg/" + name);
    const RgbPicture peer = reference(name);
    ASSERT_GT(peer.width, 0);
    const KpxHandle stream = KPXLoadImage(nullptr, path.c_str(), nullptr);
    const KpxHandle core = loadThroughCore(path);
    for (const KpxHandle image : {stream, core}) {
        ASSERT_NE(image, 0);
        const RgbPicture ours = rgbOf(image);
        ASSERT_EQ(ours.width, peer.width);
        ASSERT_EQ(ours.height, peer.height);
        const auto d = kfm::test::differenceOf(ours, peer);
        EXPECT_TRUE(kfm::test::withinJpegTolerance(d))
            << "largest " << d.largest << ", mean " << d.mean << ", above 16 " << d.shareAbove16;
        KPXDeleteImage(image);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, JpegSamples,
                         ::testing::Values("hopper.jpg", "hopper_gray.jpg", "pil_sample_cmyk.jpg",
                                           "pil_sample_rgb.jpg", "hopper_16bit_qtables.jpg",
                                           "orientation_rectangle.jpg", "icc-after-SOF.jpg"),
                         [](const auto& info) {
                             std::string n = info.param;
                             n = n.substr(0, n.find('.'));
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

TEST(JpegInfo, DepthAndDescriptionFollowTheColourSpace) {
    struct Case {
        const char* file;
        int depth;
        const char* description;
    } const cases[] = {{"hopper.jpg", 24, "JPEG, YCbCr"},
                       {"hopper_gray.jpg", 8, "JPEG, greyscale"},
                       {"pil_sample_cmyk.jpg", 24, "JPEG, YCCK"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        KpxFileInfo info{};
        ASSERT_EQ(KPXGetInfoFile(dataPath(std::string("jpeg/") + c.file).c_str(), &info), 1);
        EXPECT_EQ(info.formatId, kJpeg);
        EXPECT_EQ(info.bitsPerPixel, c.depth);
        EXPECT_STREQ(info.description, c.description);
    }
}

TEST(JpegRead, TheStreamFrontEndsFindAndLoadAJpegByItsContent) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("picture.dat");
    ASSERT_TRUE(
        kfm::test::writeFileBytes(path, kfm::test::readFileBytes(dataPath("jpeg/hopper.jpg"))));
    EXPECT_EQ(KpxGetFileFormat(path.c_str(), 1), kJpeg);
    const KpxHandle image = KpxLoadImageFromFile(path.c_str(), 0, 0, nullptr, nullptr, nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraNoError);
    EXPECT_EQ(KPXWidth(image), 128);
    EXPECT_TRUE(kfm::test::withinJpegTolerance(
        kfm::test::differenceOf(rgbOf(image), reference("hopper.jpg"))));
    KPXDeleteImage(image);
}

TEST(JpegWrite, TheConvertingSaveWritesPalettePicturesInColour) {
    const kfm::test::TempDir dir;
    const KpxHandle image = kfm::test::patternImage(16, 16, 8);
    const std::string path = dir.file("converted.jpg");
    ASSERT_EQ(KPXSaveImageEx(image, path.c_str(), kJpeg, 0, 90, nullptr), 1);
    EXPECT_EQ(KPXbpp(image), 8);
    KpxFileInfo info{};
    ASSERT_EQ(KPXGetInfoFile(path.c_str(), &info), 1);
    EXPECT_EQ(info.bitsPerPixel, 24);
    KPXDeleteImage(image);
}

TEST(JpegRead, ACutFileLoadsAsFarAsItsDataGoes) {
    const std::string path = dataPath("jpeg/truncated_jpeg.jpg");
    for (const KpxHandle image :
         {KPXLoadImage(nullptr, path.c_str(), nullptr), loadThroughCore(path)}) {
        ASSERT_NE(image, 0);
        EXPECT_EQ(KPXWidth(image), 100);
        EXPECT_EQ(KPXHeight(image), 100);
        KPXDeleteImage(image);
    }
}

// ---- Files written with libjpeg itself

// Writes a JPEG of `components` samples a pixel in `input`, stored as `stored`.
void writeJpeg(const std::string& path, int width, int height, J_COLOR_SPACE input, int components,
               J_COLOR_SPACE stored, const std::vector<std::uint8_t>& samples, int quality = 95) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < height; ++y) {
        JSAMPROW row = const_cast<std::uint8_t*>(samples.data()) +
                       static_cast<std::size_t>(y) * width * components;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// Adobe-style (inverted) CMYK samples of flat colour bands: red, green, blue, grey.
std::vector<std::uint8_t> invertedCmykBands(int width, int height) {
    const std::uint8_t bands[4][4] = {
        {0, 255, 255, 0}, {255, 0, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 128}};
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (const std::uint8_t ink : bands[x * 4 / width])
                samples.push_back(static_cast<std::uint8_t>(255 - ink));
    return samples;
}

TEST(JpegRead, APlainCmykFileLoadsOnlyThroughTheCoreLoader) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("cmyk.jpg");
    writeJpeg(path, 64, 16, JCS_CMYK, 4, JCS_CMYK, invertedCmykBands(64, 16));
    EXPECT_EQ(KpxLoadImageFromFile(path.c_str(), 1, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraUnusable);
    const KpxHandle image = loadThroughCore(path);
    ASSERT_NE(image, 0);
    const RgbPicture ours = rgbOf(image);
    // Red, green, blue and the grey of half black, in the middle of each band.
    const std::uint8_t expected[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {127, 127, 127}};
    for (int band = 0; band < 4; ++band)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(ours.rgb[(8 * 64 + band * 16 + 8) * 3 + c], expected[band][c], 3)
                << "band " << band << " sample " << c;
    const auto peer = kfm::test::pillowRead(path);
    EXPECT_TRUE(peer) << "Pillow cannot read the file";
    if (peer)
        EXPECT_LE(kfm::test::differenceOf(ours, *peer).largest, 8);
    KPXDeleteImage(image);
}

TEST(JpegRead, AYcckFileLoadsAsColourOnBothRoads) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("ycck.jpg");
    writeJpeg(path, 64, 16, JCS_CMYK, 4, JCS_YCCK, invertedCmykBands(64, 16));
    const KpxHandle stream = KPXLoadImage(nullptr, path.c_str(), nullptr);
    const KpxHandle core = loadThroughCore(path);
    ASSERT_NE(stream, 0);
    ASSERT_NE(core, 0);
    EXPECT_EQ(KPXbpp(stream), 24);
    const RgbPicture a = rgbOf(stream);
    EXPECT_LE(kfm::test::differenceOf(a, rgbOf(core)).largest, 8);
    EXPECT_NEAR(a.rgb[(8 * 64 + 8) * 3], 255, 3);
    EXPECT_NEAR(a.rgb[(8 * 64 + 8) * 3 + 1], 0, 3);
    KPXDeleteImage(stream);
    KPXDeleteImage(core);
}

TEST(JpegRead, LibraryFailuresBecomeResultCodesWithoutAnImage) {
    const kfm::test::TempDir dir;
    const int before = KpxLiveImageCount();
    // A start-of-image marker and nothing a decoder can use; a frame header of width 0.
    auto zeroWidth = kfm::test::readFileBytes(dataPath("jpeg/hopper.jpg"));
    const std::uint8_t startOfFrame[] = {0xFF, 0xC0};
    const auto sof = std::search(zeroWidth.begin(), zeroWidth.end(), std::begin(startOfFrame),
                                 std::end(startOfFrame));
    ASSERT_NE(sof, zeroWidth.end());
    sof[7] = 0;
    sof[8] = 0;
    const std::vector<std::vector<std::uint8_t>> files = {
        {0xFF, 0xD8, 0xFF, 0x12, 0x34, 0x56}, zeroWidth, {0xFF, 0xD8}};
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string path = dir.file("bad" + std::to_string(i) + ".jpg");
        ASSERT_TRUE(kfm::test::writeFileBytes(path, files[i]));
        EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
        KpxCodecContext context;
        EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, kJpeg, nullptr, nullptr),
                  kKpxCannotOpen);
        EXPECT_EQ(KpxLoadImageFromFile(path.c_str(), 1, 0, nullptr, nullptr, nullptr), 0);
    }
    EXPECT_EQ(KpxLiveImageCount(), before);
}

// ---- The stream reader

struct MemoryStream {
    KpxStreamCallbacks calls;
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
};

MemoryStream* memoryOf(KpxStreamCallbacks* s) {
    return reinterpret_cast<MemoryStream*>(s);
}

MemoryStream streamOver(std::vector<std::uint8_t> bytes, std::size_t start = 0) {
    MemoryStream s{
        {[](KpxStreamCallbacks* c, void* out, std::uint32_t n) {
             MemoryStream* m = memoryOf(c);
             const std::size_t count =
                 std::min<std::size_t>(n, m->bytes.size() - std::min(m->position, m->bytes.size()));
             if (count > 0)
                 std::memcpy(out, m->bytes.data() + m->position, count);
             m->position += count;
             return static_cast<std::uint32_t>(count);
         },
         nullptr,
         [](KpxStreamCallbacks* c, std::int32_t offset, std::int32_t origin) {
             MemoryStream* m = memoryOf(c);
             const std::int64_t base = origin == SEEK_SET ? 0
                                       : origin == SEEK_CUR
                                           ? static_cast<std::int64_t>(m->position)
                                           : static_cast<std::int64_t>(m->bytes.size());
             if (base + offset < 0)
                 return -1;
             m->position = static_cast<std::size_t>(base + offset);
             return 0;
         },
         [](KpxStreamCallbacks* c) { return static_cast<std::int32_t>(memoryOf(c)->position); }},
        std::move(bytes),
        start};
    return s;
}

std::int32_t readStream(MemoryStream& stream, KpxStreamImageRequest& request,
                        KpxStreamProgress progress = nullptr, void* user = nullptr) {
    return KpxFindCodec(kJpeg).readStream(&stream.calls, &request, progress, user);
}

std::vector<std::uint8_t> withJunkBefore(const std::string& file, std::size_t junk) {
    std::vector<std::uint8_t> bytes(junk, 0x77);
    const auto jpeg = kfm::test::readFileBytes(dataPath(file));
    bytes.insert(bytes.end(), jpeg.begin(), jpeg.end());
    return bytes;
}

TEST(JpegStream, ReportsWhatTheRequestAsksAndPutsTheStreamBack) {
    MemoryStream stream = streamOver(withJunkBefore("jpeg/hopper_gray.jpg", 10), 10);
    KpxStreamImageRequest request{};
    request.flags = 1 | 2 | 4;
    request.reserved[0] = 77;
    request.image = 99;
    ASSERT_EQ(readStream(stream, request), kBitraNoError);
    EXPECT_EQ(request.formatId, kJpeg);
    EXPECT_EQ(request.width, 128);
    EXPECT_EQ(request.height, 128);
    EXPECT_EQ(request.bitsPerPixel, 8);
    EXPECT_EQ(request.frameCount, 1);
    EXPECT_EQ(request.reserved[0], 0);
    EXPECT_EQ(request.image, 0);
    EXPECT_EQ(stream.position, 10u);

    request = {};
    request.flags = 8;
    ASSERT_EQ(readStream(stream, request), kBitraNoError);
    ASSERT_NE(request.image, 0);
    EXPECT_EQ(KPXbpp(request.image), 8);
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(request.image);
    EXPECT_EQ(info->bmiColors[200].rgbGreen, 200);
    KPXDeleteImage(request.image);
}

TEST(JpegStream, ErrorsLeaveNoImageAndTheStreamWhereItWas) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::int32_t error;
    };
    const Case cases[] = {
        {"empty", {}, kBitraUnusable},
        {"not a JPEG", kfm::test::readFileBytes(dataPath("png/pngsuite/basn2c08.png")),
         kBitraNotRecognised},
        {"a frame header of width 0",
         {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0, 16, 0, 0, 1, 1, 0x11, 0},
         kBitraUnusable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStream stream = streamOver(c.bytes);
        KpxStreamImageRequest request{};
        request.flags = kKpxRequestEverything;
        EXPECT_EQ(readStream(stream, request), c.error);
        EXPECT_EQ(KpxGetLastErrorForTest(), c.error);
        EXPECT_EQ(request.image, 0);
        EXPECT_EQ(stream.position, 0u);
    }
    KpxStreamImageRequest request{};
    EXPECT_EQ(KpxFindCodec(kJpeg).readStream(nullptr, &request, nullptr, nullptr),
              kBitraBadArgument);
}

struct ProgressLog {
    std::vector<std::pair<int, int>> calls;
    int stopAt = -1;
};

int logProgress(int done, int total, void* user) {
    auto* log = static_cast<ProgressLog*>(user);
    log->calls.emplace_back(done, total);
    return done == log->stopAt ? 1 : 0;
}

TEST(JpegStream, ProgressCountsRowsAndCanStopTheRead) {
    MemoryStream stream = streamOver(kfm::test::readFileBytes(dataPath("jpeg/hopper.jpg")));
    KpxStreamImageRequest request{};
    request.flags = kKpxRequestEverything;
    ProgressLog log;
    ASSERT_EQ(readStream(stream, request, logProgress, &log), kBitraNoError);
    ASSERT_EQ(log.calls.size(), 129u);
    EXPECT_EQ(log.calls.front(), (std::pair{1, 128}));
    EXPECT_EQ(log.calls.back(), (std::pair{128, 128}));
    KPXDeleteImage(request.image);

    const int before = KpxLiveImageCount();
    stream.position = 0;
    request = {};
    request.flags = kKpxRequestEverything;
    log = {};
    log.stopAt = 3;
    EXPECT_EQ(readStream(stream, request, logProgress, &log), kBitraUnusable);
    EXPECT_EQ(request.image, 0);
    EXPECT_EQ(stream.position, 0u);
    EXPECT_EQ(KpxLiveImageCount(), before);
}

TEST(JpegStream, PreviewsDecodeAtTheScaleTheirTargetAllows) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("large.jpg");
    writeJpeg(path, 1600, 1200, JCS_RGB, 3, JCS_YCbCr,
              std::vector<std::uint8_t>(1600 * 1200 * 3, 90), 50);
    struct Case {
        int targetWidth;
        int targetHeight;
        int width;
    } const cases[] = {
        {200, 200, 400},  // ratios 8 and 6: the smaller is above 4
        {100, 100, 200},  // above 8
        {600, 500, 800},  // above 2
        {800, 600, 1600}, // exactly 2
        {0, 0, 1600},     // no target
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.targetWidth);
        MemoryStream stream = streamOver(kfm::test::readFileBytes(path));
        KpxStreamImageRequest request{};
        request.flags = kKpxRequestEverything | kKpxRequestFitSize;
        request.width = c.targetWidth;
        request.height = c.targetHeight;
        ASSERT_EQ(readStream(stream, request), kBitraNoError);
        EXPECT_EQ(request.width, 1600); // the picture's own size is reported
        EXPECT_EQ(KPXWidth(request.image), c.width);
        EXPECT_EQ(KPXHeight(request.image), c.width * 3 / 4);
        KPXDeleteImage(request.image);
    }
}

// ---- Saving

std::size_t fileSize(const std::string& path) {
    return static_cast<std::size_t>(std::filesystem::file_size(path));
}

int componentsOf(const std::string& path) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    const int components = info.num_components;
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return components;
}

// An image of 8 x 8 blocks, each of one colour of the pattern image of its depth.
KpxHandle blockImage(int depth) {
    const KpxHandle pattern = kfm::test::patternImage(8, 6, depth);
    const KpxHandle image = KPXCreateImage(64, 48, depth);
    if (depth <= 8)
        std::memcpy(KPXGetBitmapInfoHeader(image)->bmiColors,
                    KPXGetBitmapInfoHeader(pattern)->bmiColors, sizeof(RGBQUAD) << depth);
    const int from = KPXGetScanBytes(pattern);
    const int to = KPXGetScanBytes(image);
    const int bytes = std::max(depth / 8, 1);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const std::uint8_t* source = KPXGetBits(pattern) + std::size_t(y / 8) * from;
            std::uint8_t* target = KPXGetBits(image) + std::size_t(y) * to;
            if (depth >= 8) {
                std::memcpy(target + x * bytes, source + (x / 8) * bytes, bytes);
                continue;
            }
            const int index = depth == 4 ? (source[x / 16] >> ((x / 8) % 2 ? 0 : 4)) & 15
                                         : (source[0] >> (7 - x / 8)) & 1;
            if (depth == 4)
                target[x / 2] =
                    static_cast<std::uint8_t>(target[x / 2] | (index << (x % 2 ? 0 : 4)));
            else if (index)
                target[x / 8] = static_cast<std::uint8_t>(target[x / 8] | (0x80 >> (x % 8)));
        }
    KPXFillDIBColorTable(image);
    KPXDeleteImage(pattern);
    return image;
}

TEST(JpegWrite, EveryDepthSavesInColourAndReadsBackHereAndInPillow) {
    const kfm::test::TempDir dir;
    for (const int depth : {1, 4, 8, 24, 32}) {
        SCOPED_TRACE(depth);
        const KpxHandle image = blockImage(depth);
        const std::string path = dir.file("saved.jpg");
        ASSERT_EQ(KPXSaveImage(image, path.c_str(), kJpeg, 0, 95, nullptr), 1);
        EXPECT_EQ(componentsOf(path), 3);
        const KpxHandle loaded = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(loaded, 0);
        EXPECT_EQ(KPXbpp(loaded), 24);
        const RgbPicture back = rgbOf(loaded);
        const RgbPicture original = rgbOf(image);
        EXPECT_LT(kfm::test::differenceOf(back, original).mean, 3.0);
        // Pillow interpolates the chroma between the blocks, so its reading is a little
        // further from the blocks than the library's; colours mixed up would be far off.
        const auto peer = kfm::test::pillowRead(path);
        EXPECT_TRUE(peer) << "Pillow cannot read the file";
        if (peer)
            EXPECT_LT(kfm::test::differenceOf(*peer, original).mean, 8.0);
        KPXDeleteImage(loaded);
        KPXDeleteImage(image);
    }
}

TEST(JpegWrite, TheGreyOptionWritesOneComponentOfTheWeightedColour) {
    const kfm::test::TempDir dir;
    const KpxHandle image = kfm::test::patternImage(64, 48, 24);
    const std::string path = dir.file("grey.jpg");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kJpeg, 1, 95, nullptr), 1);
    EXPECT_EQ(componentsOf(path), 1);
    const KpxHandle loaded = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(loaded, 0);
    EXPECT_EQ(KPXbpp(loaded), 8);
    RgbPicture weighted = rgbOf(image);
    for (std::size_t i = 0; i < weighted.rgb.size(); i += 3) {
        const int grey =
            (30 * weighted.rgb[i] + 59 * weighted.rgb[i + 1] + 11 * weighted.rgb[i + 2]) / 100;
        std::fill_n(weighted.rgb.begin() + static_cast<std::ptrdiff_t>(i), 3,
                    static_cast<std::uint8_t>(grey));
    }
    EXPECT_LT(kfm::test::differenceOf(rgbOf(loaded), weighted).mean, 2.0);
    KPXDeleteImage(loaded);
    KPXDeleteImage(image);
}

TEST(JpegWrite, QualityIsClampedAndSetsTheSize) {
    const kfm::test::TempDir dir;
    const KpxHandle image = kfm::test::patternImage(96, 96, 24);
    std::vector<std::size_t> sizes;
    for (const int quality : {-5, 2, 50, 100, 500}) {
        const std::string path = dir.file("q" + std::to_string(quality) + ".jpg");
        ASSERT_EQ(KPXSaveImage(image, path.c_str(), kJpeg, 0, quality, nullptr), 1);
        sizes.push_back(fileSize(path));
    }
    EXPECT_EQ(sizes[0], sizes[1]);
    EXPECT_LT(sizes[1], sizes[2]);
    EXPECT_LT(sizes[2], sizes[3]);
    EXPECT_EQ(sizes[3], sizes[4]);
    KPXDeleteImage(image);
}

TEST(JpegWrite, AStopOrAnUncreatableFileWritesNothing) {
    const kfm::test::TempDir dir;
    const KpxHandle image = kfm::test::patternImage(16, 16, 24);
    {
        const kpx::ImageLock record(image, kKpxRead);
        KpxCodecContext context;
        context.width = 16;
        context.height = 16;
        context.bitsPerPixel = 24;
        context.saveOption2 = 80;
        context.fetchRow = [](std::uint8_t*, int index) { return index == 9 ? 1 : 0; };
        KpxSetupRowLayout(&context);
        KpxSetRowBits(record->bits);
        EXPECT_EQ(
            KpxSaveByFormat(&context, dir.file("stopped.jpg").c_str(), kJpeg, nullptr, nullptr, 0),
            kKpxStopped);
        context.fetchRow = KpxFetchRow;
        EXPECT_EQ(KpxSaveByFormat(&context, dir.file("no/folder.jpg").c_str(), kJpeg, nullptr,
                                  nullptr, 0),
                  kKpxCannotOpen);
        KpxSetRowBits(nullptr);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("stopped.jpg")));
    KPXDeleteImage(image);
}

} // namespace
