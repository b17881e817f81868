// Previews of files fitted into a box: the fitting itself, a GIF through the ordinary load, and
// JPEG files through the stream reader, which is asked to decode to about the box's size.
#include "FormatDispatch.h"
#include "FormatId.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "ResultCodes.h"
#include "StreamLoading.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class PreviewLoad : public ::testing::Test {
protected:
    void SetUp() override { liveBefore = KpxLiveImageCount(); }
    void TearDown() override { EXPECT_EQ(KpxLiveImageCount(), liveBefore); }
    int liveBefore = 0;
};

KpxHandle solid(int width, int height, int depth, std::uint8_t value) {
    const KpxHandle image = KPXCreateImage(width, height, depth);
    std::uint8_t* bits = KPXGetBits(image);
    const std::size_t bytes =
        static_cast<std::size_t>(KPXGetScanBytes(image)) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < bytes; ++i)
        bits[i] = value;
    return image;
}

std::uint32_t pixelAt(KpxHandle image, int x, int y) {
    const std::uint8_t* p = KPXGetBits(image) +
                            static_cast<std::size_t>(KPXHeight(image) - 1 - y) *
                                static_cast<std::size_t>(KPXGetScanBytes(image)) +
                            static_cast<std::size_t>(x) * 3;
    return RGB(p[2], p[1], p[0]);
}

// What the fake JPEG stream reader was asked for, and what it answers.
struct JpegReader {
    std::uint32_t flags = 0;
    int width = 0;
    int height = 0;
    std::int32_t answer = 0; // 0 with an image of the asked size, else this code and no image
};

JpegReader& jpeg() {
    static JpegReader reader;
    return reader;
}

std::int32_t readJpegStream(KpxStreamCallbacks*, KpxStreamImageRequest* request, KpxStreamProgress,
                            void*) {
    JpegReader& r = jpeg();
    r.flags = request->flags;
    r.width = request->width;
    r.height = request->height;
    if (r.answer != 0)
        return r.answer;
    // A picture "decoded" to twice the box's size, as DCT scaling lands near it.
    request->image = solid(2 * request->width, 2 * request->height, 24, 0x50);
    return 0;
}

class FakeJpegScope {
public:
    FakeJpegScope() {
        jpeg() = JpegReader{};
        const KpxCodecEntry entry{formatNumber(FormatId::Jpeg),
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  readJpegStream};
        KpxRegisterCodec(&entry);
    }
    ~FakeJpegScope() { KpxUnregisterCodec(formatNumber(FormatId::Jpeg)); }
    FakeJpegScope(const FakeJpegScope&) = delete;
    FakeJpegScope& operator=(const FakeJpegScope&) = delete;
};

} // namespace

TEST_F(PreviewLoad, FitsIntoTheBoxKeepingTheAspectRatio) {
    struct Case {
        int width, height, boxWidth, boxHeight;
        int fittedWidth, fittedHeight;
    };
    const Case cases[] = {
        {100, 50, 40, 40, 40, 20}, // wider than the box: as wide as it
        {50, 100, 40, 40, 20, 40}, // higher: as high as it
        {30, 20, 90, 90, 90, 60},  // small pictures grow to touch the box
        {3, 7, 5, 5, 2, 5},        // 3 x 5 / 7 = 2.14 truncated
    };
    for (const Case& c : cases)
        for (const int depth : {8, 24}) {
            const KpxHandle source = solid(c.width, c.height, depth, 0x33);
            const KpxHandle fitted = BitraNormalizePreviewSize(source, c.boxWidth, c.boxHeight, 0);
            ASSERT_NE(fitted, 0);
            EXPECT_EQ(KPXWidth(fitted), c.fittedWidth) << c.width << "x" << c.height;
            EXPECT_EQ(KPXHeight(fitted), c.fittedHeight) << c.width << "x" << c.height;
            EXPECT_EQ(KPXbpp(fitted), 24);
            const std::uint32_t expected =
                depth == 24 ? RGB(0x33, 0x33, 0x33) : KPXGetColorFromPalette(source, 0x33);
            EXPECT_EQ(pixelAt(fitted, c.fittedWidth - 1, c.fittedHeight - 1), expected) << depth;
            KPXDeleteImage(fitted);
            KPXDeleteImage(source);
        }
}

TEST_F(PreviewLoad, LargePalettePicturesAreStretchedByThePlatform) {
    // 1700 x 1700 x 3 bytes lie above the area-averaging limit.
    const KpxHandle source = solid(1700, 1700, 8, 0x21);
    const COLORREF colour = KPXGetColorFromPalette(source, 0x21);
    const KpxHandle fitted = BitraNormalizePreviewSize(source, 50, 40, 1);
    ASSERT_NE(fitted, 0);
    EXPECT_EQ(KPXWidth(fitted), 40);
    EXPECT_EQ(KPXHeight(fitted), 40);
    EXPECT_EQ(pixelAt(fitted, 39, 39), colour);
    KPXDeleteImage(fitted);
}

TEST_F(PreviewLoad, EmptyAndImpossibleSizes) {
    // A side that would be 0 gives no image; the source goes when asked.
    const KpxHandle kept = solid(10, 1, 24, 1);
    EXPECT_EQ(BitraNormalizePreviewSize(kept, 5, 0, 0), 0);
    EXPECT_EQ(KPXWidth(kept), 10);
    EXPECT_EQ(BitraNormalizePreviewSize(kept, 5, 5, 1), 0); // 5 x 0.5 truncated
    EXPECT_EQ(BitraNormalizePreviewSize(solid(4, 4, 24, 1), -5, 5, 1), 0);
    // A box beyond the image sizes: the picture comes back as it is.
    const KpxHandle image = solid(4, 4, 24, 1);
    EXPECT_EQ(BitraNormalizePreviewSize(image, 40000, 40000, 1), image);
    KPXDeleteImage(image);
    EXPECT_EQ(BitraNormalizePreviewSize(0, 5, 5, 1), 0);
}

TEST_F(PreviewLoad, AGifIsLoadedAndAveragedIntoTheBox) {
    const std::string path = kfm::test::testDataPath("gif/pygif/all-blues.gif").string();
    const KpxHandle whole = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(whole, 0);
    ASSERT_EQ(KPXWidth(whole), 16);
    const KpxHandle preview = KPXLoadImagePreviewOffset(nullptr, path.c_str(), 0, 8, 4, nullptr);
    ASSERT_NE(preview, 0);
    EXPECT_EQ(KPXWidth(preview), 4);
    EXPECT_EQ(KPXHeight(preview), 4);
    // Each preview pixel is the mean of a 4 x 4 block of the picture.
    for (const auto [x, y] : {std::pair{0, 0}, std::pair{3, 1}, std::pair{2, 3}}) {
        const int mean = KPXSuckColor(whole, 4 * x, 4 * y, 4 * x + 3, 4 * y + 3);
        const std::uint32_t got = pixelAt(preview, x, y);
        for (int shift : {0, 8, 16})
            EXPECT_LE(std::abs(static_cast<int>((got >> shift) & 255) - ((mean >> shift) & 255)), 1)
                << x << "," << y;
    }
    KPXDeleteImage(preview);
    KPXDeleteImage(whole);
    EXPECT_EQ(KPXLoadImagePreviewOffset(nullptr, nullptr, 0, 8, 4, nullptr), 0);
    EXPECT_EQ(KPXLoadImagePreviewOffset(nullptr, "/no/such/file.gif", 0, 8, 4, nullptr), 0);
}

TEST_F(PreviewLoad, JpegFilesAreDecodedToTheBoxBeforeFitting) {
    kfm::test::TempDir dir;
    const std::string path = dir.file("photo.jpg");
    kfm::test::writeFileBytes(path, {0xFF, 0xD8, 0xFF, 0xD9});
    FakeJpegScope reader;
    const KpxHandle preview = KPXLoadImagePreviewOffset(nullptr, path.c_str(), 0, 30, 20, nullptr);
    EXPECT_EQ(jpeg().flags, 0x80000008u);
    EXPECT_EQ(jpeg().width, 30);
    EXPECT_EQ(jpeg().height, 20);
    ASSERT_NE(preview, 0);
    EXPECT_EQ(KPXWidth(preview), 30);
    EXPECT_EQ(KPXHeight(preview), 20);
    EXPECT_EQ(pixelAt(preview, 0, 0), RGB(0x50, 0x50, 0x50));
    KPXDeleteImage(preview);

    // A stopped or unusable stream gives no preview; no other road is tried.
    jpeg().answer = kBitraUnusable;
    EXPECT_EQ(KPXLoadImagePreviewOffset(nullptr, path.c_str(), 0, 30, 20, nullptr), 0);
}
