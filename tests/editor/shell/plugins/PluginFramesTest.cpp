// Frames to plug-in records and back, and where returned frames enter the list.

#include "PluginFrames.h"
#include "PaletteRender.h"
#include "PluginRecordFixtures.h"

#include <gtest/gtest.h>

#include <climits>

using kfm::plugins::InsertReturnedFrame;
using kfm::plugins::MakePluginCopy;
using kfm::plugins::PackPluginFrame;
using kfm::plugins::ReturnedFrame;
using kfm::plugins::UnpackPluginFrame;
using Status = ReturnedFrame::Status;

namespace {

struct Record {
    PluginFrame frame{};
    ~Record() { FreePluginFrameBuffers(&frame); }
};

const std::uint8_t* recordRow(const PluginFrame& f, int y) {
    return static_cast<const std::uint8_t*>(f.image.bmBits) +
           static_cast<std::size_t>(f.image.bmWidthBytes) * y;
}

const std::uint8_t* maskRow(const PluginFrame& f, int y) {
    return static_cast<const std::uint8_t*>(f.mask.bmBits) +
           static_cast<std::size_t>(f.mask.bmWidthBytes) * y;
}

} // namespace

TEST(PluginFramesTest, PackingTurnsRowsTopDownAndThePaletteToRedGreenBlue) {
    const ScopedImage image(makeIndexedImage(3, 2, [](int x, int y) { return 1 + x + 3 * y; }));
    SetImageTransparent(static_cast<short>(image.get()), 4);
    Record r;
    ASSERT_TRUE(PackPluginFrame(image.get(), r.frame));
    EXPECT_EQ(r.frame.image.bmWidth, 3);
    EXPECT_EQ(r.frame.image.bmHeight, 2);
    EXPECT_EQ(r.frame.image.bmBitsPixel, 8);
    EXPECT_EQ(std::vector<int>(recordRow(r.frame, 0), recordRow(r.frame, 0) + 3),
              (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(std::vector<int>(recordRow(r.frame, 1), recordRow(r.frame, 1) + 3),
              (std::vector<int>{4, 5, 6}));
    ASSERT_NE(r.frame.palette, nullptr);
    EXPECT_EQ(r.frame.palette[7].peRed, 7);
    EXPECT_EQ(r.frame.palette[7].peGreen, 248);
    EXPECT_EQ(r.frame.palette[7].peBlue, 3);
    EXPECT_EQ(r.frame.palette[7].peFlags, 0);
    EXPECT_EQ(r.frame.transparentIndex, 4);
    EXPECT_EQ(r.frame.mask.bmBits, nullptr);
    EXPECT_EQ(r.frame.delay, 100);
    EXPECT_EQ(r.frame.disposal, 0);
    // A 24-bit image is no plug-in copy.
    const ScopedImage deep(makeTrueColourImage(2, 2, [](int, int) { return 0u; }));
    Record refused;
    EXPECT_FALSE(PackPluginFrame(deep.get(), refused.frame));
}

TEST(PluginFramesTest, TheCopyKeepsTheTransparentPixelsAtIndexZero) {
    // Left half transparent index 7, right half index 3.
    const ScopedImage source(makeIndexedImage(6, 4, [](int x, int) { return x < 3 ? 7 : 3; }));
    SetImageTransparent(static_cast<short>(source.get()), 7);
    const ScopedImage copy = MakePluginCopy(source.get());
    ASSERT_NE(copy.get(), 0);
    EXPECT_EQ(KPXbpp(copy.get()), 8);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(copy.get())), 0);
    EXPECT_EQ(KPXGetColorFromPalette(copy.get(), 0), KPXGetColorFromPalette(source.get(), 7));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const int index = imageRowFromTop(copy.get(), y)[x];
            if (x < 3)
                EXPECT_EQ(index, 0);
            else
                EXPECT_EQ(KPXGetColorFromPalette(copy.get(), index),
                          KPXGetColorFromPalette(source.get(), 3));
        }
    Record r;
    ASSERT_TRUE(PackPluginFrame(copy.get(), r.frame));
    EXPECT_EQ(r.frame.transparentIndex, 0);
}

TEST(PluginFramesTest, AGradedTransparencyGoesAlongAsAnEightBitMask) {
    for (const int depth : {8, 1}) {
        SCOPED_TRACE(depth);
        const ScopedImage source(
            makeTrueColourImage(9, 3, [](int x, int y) { return 0x102030u * (x + y); }));
        // Transparency grows to the right on the top row only.
        const KpxHandle alpha = KPXCreateImage(9, 3, depth);
        for (int x = 0; x < 9; ++x) {
            std::uint8_t* row = imageRowFromTop(alpha, 0);
            if (depth == 8)
                row[x] = static_cast<std::uint8_t>(x * 30);
            else if (x >= 4)
                row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | (0x80 >> (x % 8)));
        }
        ASSERT_TRUE(KPXSetImageTransparentEx(source.get(), alpha));
        const ScopedImage copy = MakePluginCopy(source.get());
        ASSERT_NE(copy.get(), 0);
        Record r;
        ASSERT_TRUE(PackPluginFrame(copy.get(), r.frame));
        ASSERT_EQ(r.frame.mask.bmBitsPixel, 8);
        for (int x = 0; x < 9; ++x) {
            const int expected = depth == 8 ? x * 30 : (x >= 4 ? 255 : 0);
            EXPECT_EQ(maskRow(r.frame, 0)[x], expected) << x;
            EXPECT_EQ(maskRow(r.frame, 2)[x], 0) << x;
        }
    }
}

TEST(PluginFramesTest, ReturnedPicturesAndTheirTransparency) {
    // 8 bits, index 5 transparent: transparent exactly where the pixels are 5.
    {
        OwnedRecord r(5, 3, 8, 0,
                      [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 7); });
        r.frame.transparentIndex = 5;
        ReturnedFrame out = UnpackPluginFrame(r.frame);
        ASSERT_EQ(out.status, Status::Ok);
        EXPECT_TRUE(out.graded);
        const KpxHandle alpha = KPXGetImageTransparentImageEx(out.image.get());
        ASSERT_NE(alpha, 0);
        ASSERT_EQ(KPXbpp(alpha), 8);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(rgbAt(out.image.get(), x, y), r.colourAt(x, y));
                EXPECT_EQ(imageRowFromTop(alpha, y)[x], (x + y) % 7 == 5 ? 255 : 0);
            }
    }
    // 8 bits without a transparent index: an opaque transparency image all the same.
    {
        OwnedRecord r(4, 2, 8, 0, [](int, int) { return 5u; });
        ReturnedFrame out = UnpackPluginFrame(r.frame);
        ASSERT_EQ(out.status, Status::Ok);
        EXPECT_TRUE(out.graded);
        const KpxHandle alpha = KPXGetImageTransparentImageEx(out.image.get());
        ASSERT_NE(alpha, 0);
        EXPECT_EQ(imageRowFromTop(alpha, 1)[3], 0);
    }
    // 24 bits without mask: rows top down, no transparency.
    {
        OwnedRecord r(3, 4, 24, 0, [](int x, int y) {
            return static_cast<std::uint32_t>(0x010203 * (x + 4 * y));
        });
        ReturnedFrame out = UnpackPluginFrame(r.frame);
        ASSERT_EQ(out.status, Status::Ok);
        EXPECT_FALSE(out.graded);
        EXPECT_FALSE(KPXIsImageTransparent(out.image.get()));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(rgbAt(out.image.get(), x, y), r.colourAt(x, y));
    }
    // An 8-bit mask: 255 opaque, 0 transparent, in between graded.
    {
        OwnedRecord r(
            3, 2, 24, 8, [](int, int) { return 0x808080u; },
            [](int x, int y) { return y == 0 ? x * 100 : 255; });
        ReturnedFrame out = UnpackPluginFrame(r.frame);
        ASSERT_EQ(out.status, Status::Ok);
        EXPECT_TRUE(out.graded);
        const KpxHandle alpha = KPXGetImageTransparentImageEx(out.image.get());
        ASSERT_NE(alpha, 0);
        EXPECT_EQ(imageRowFromTop(alpha, 0)[0], 255);
        EXPECT_EQ(imageRowFromTop(alpha, 0)[1], 155);
        EXPECT_EQ(imageRowFromTop(alpha, 0)[2], 55);
        EXPECT_EQ(imageRowFromTop(alpha, 1)[2], 0);
    }
    // A 1-bit mask (1 opaque) is inverted into the transparency mask, rows top down.
    {
        OwnedRecord r(
            10, 2, 8, 1, [](int, int) { return 1u; },
            [](int x, int y) { return y == 0 && x >= 6 ? 0 : 1; });
        r.frame.transparentIndex = 1; // the mask wins over the index
        ReturnedFrame out = UnpackPluginFrame(r.frame);
        ASSERT_EQ(out.status, Status::Ok);
        EXPECT_TRUE(out.graded);
        EXPECT_EQ(KPXGetImageTransparentImageEx(out.image.get()), 0);
        const ScopedImage mask(KPXGetImageTransparentImage(out.image.get()));
        ASSERT_NE(mask.get(), 0);
        ASSERT_EQ(KPXbpp(mask.get()), 1);
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(bitAt(mask.get(), x, 0), x >= 6 ? 1 : 0) << x;
            EXPECT_EQ(bitAt(mask.get(), x, 1), 0) << x;
        }
    }
    // A mask of another depth is ignored.
    {
        OwnedRecord r(
            4, 4, 24, 8, [](int, int) { return 0x123456u; }, [](int, int) { return 0; });
        r.frame.mask.bmBitsPixel = 4;
        ReturnedFrame out = UnpackPluginFrame(r.frame);
        ASSERT_EQ(out.status, Status::Ok);
        EXPECT_FALSE(out.graded);
        EXPECT_FALSE(KPXIsImageTransparent(out.image.get()));
    }
}

TEST(PluginFramesTest, ARowLengthOfZeroIsComputed) {
    OwnedRecord r(
        5, 3, 24, 8, [](int x, int y) { return static_cast<std::uint32_t>(x * 40 + y); },
        [](int x, int) { return x == 4 ? 0 : 255; });
    r.frame.image.bmWidthBytes = 0;
    r.frame.mask.bmWidthBytes = 0;
    ReturnedFrame out = UnpackPluginFrame(r.frame);
    ASSERT_EQ(out.status, Status::Ok);
    // Rows of 16 bytes for the picture, 8 for the mask, as AllocPluginFrame made them.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(rgbAt(out.image.get(), x, y), static_cast<std::uint32_t>(x * 40 + y));
    const KpxHandle alpha = KPXGetImageTransparentImageEx(out.image.get());
    ASSERT_NE(alpha, 0);
    EXPECT_EQ(imageRowFromTop(alpha, 2)[4], 255);
    EXPECT_EQ(imageRowFromTop(alpha, 2)[3], 0);
}

TEST(PluginFramesTest, DelayAndDisposalAreKeptInTheirRanges) {
    const struct {
        int delay, disposal;
        int expectedDelay, expectedDisposal;
    } cases[] = {
        {100, 2, 100, 2},     {100000, 7, 65535, 0}, {-5, -1, 0, 0},
        {65535, 3, 65535, 3}, {0, 4, 0, 0},          {INT_MAX, INT_MIN, 65535, 0},
    };
    for (const auto& c : cases) {
        OwnedRecord r(2, 2, 24, 0, [](int, int) { return 0u; });
        r.frame.delay = c.delay;
        r.frame.disposal = c.disposal;
        r.frame.left = -7;
        r.frame.top = 9;
        const ReturnedFrame out = UnpackPluginFrame(r.frame);
        EXPECT_EQ(out.delay, c.expectedDelay) << c.delay;
        EXPECT_EQ(out.disposal, c.expectedDisposal) << c.disposal;
        EXPECT_EQ(out.left, -7);
        EXPECT_EQ(out.top, 9);
    }
}

TEST(PluginFramesTest, RecordsThatCannotBeReadSafelyAreRefused) {
    const struct {
        const char* what;
        std::function<void(PluginFrame&)> spoil;
        Status status;
    } cases[] = {
        {"16 bits", [](PluginFrame& f) { f.image.bmBitsPixel = 16; }, Status::UnsupportedDepth},
        {"32 bits", [](PluginFrame& f) { f.image.bmBitsPixel = 32; }, Status::UnsupportedDepth},
        {"width 0", [](PluginFrame& f) { f.image.bmWidth = 0; }, Status::Unreadable},
        {"height 40000", [](PluginFrame& f) { f.image.bmHeight = 40000; }, Status::Unreadable},
        {"negative width", [](PluginFrame& f) { f.image.bmWidth = -4; }, Status::Unreadable},
        {"no pixels", [](PluginFrame& f) { std::free(f.image.bmBits), f.image.bmBits = nullptr; },
         Status::Unreadable},
        {"rows shorter than the pixels", [](PluginFrame& f) { f.image.bmWidthBytes = 3; },
         Status::Unreadable},
        {"negative row length", [](PluginFrame& f) { f.image.bmWidthBytes = -8; },
         Status::Unreadable},
        {"8 bits without palette",
         [](PluginFrame& f) { std::free(f.palette), f.palette = nullptr; }, Status::Unreadable},
        {"mask rows too short", [](PluginFrame& f) { f.mask.bmWidthBytes = 1; },
         Status::Unreadable},
        {"mask smaller than the picture", [](PluginFrame& f) { f.mask.bmHeight = 2; },
         Status::Unreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OwnedRecord r(
            4, 4, 8, 8, [](int, int) { return 0u; }, [](int, int) { return 255; });
        c.spoil(r.frame);
        const ReturnedFrame out = UnpackPluginFrame(r.frame);
        EXPECT_EQ(out.status, c.status);
        EXPECT_EQ(out.image.get(), 0);
    }
}

TEST(PluginFramesTest, ReturnedFramesGoAfterTheNodeBeforeThePlaceholderOrAtTheEnd) {
    const struct {
        int realFrames;
        int position;
        int index;
    } cases[] = {
        {3, 1, 2},
        {3, 0, 1},
        {3, 2, 3},
        // The placeholder's position, or beyond the list: before the placeholder.
        {3, 3, 3},
        {3, 9, 3},
        {3, -1, 3},
        {0, 0, 0},
        {0, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.realFrames << " frames, position " << c.position);
        FrameList frames(static_cast<std::size_t>(c.realFrames + 1));
        for (CObjFrame& f : frames)
            f.selected = f.current = 1;
        ReturnedFrame returned;
        returned.status = Status::Ok;
        returned.image.reset(KPXCreateImage(2, 2, 24));
        returned.width = returned.height = 2;
        returned.delay = 35;
        returned.disposal = 2;
        returned.graded = true;
        EXPECT_EQ(InsertReturnedFrame(frames, c.position, std::move(returned)), c.index);
        ASSERT_EQ(frames.size(), static_cast<std::size_t>(c.realFrames + 2));
        int index = 0;
        for (const CObjFrame& f : frames) {
            EXPECT_EQ(f.selected, index == c.index ? 1 : 0) << index;
            EXPECT_EQ(f.current, index == c.index ? 1 : 0) << index;
            ++index;
        }
        const CObjFrame& inserted = *std::next(frames.begin(), c.index);
        EXPECT_NE(inserted.GetImage(), 0);
        EXPECT_EQ(inserted.delay, 35);
        EXPECT_EQ(inserted.disposal, 2);
        EXPECT_EQ(inserted.softAlpha, 1);
        EXPECT_EQ(inserted.width, 2);
        EXPECT_EQ(frames.back().GetImage(), 0);
    }
}
