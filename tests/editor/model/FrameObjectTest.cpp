#include "ModelTestSupport.h"

#include "FrameObject.h"
#include "ImageTable.h"

#include <gtest/gtest.h>

namespace {

std::int32_t referenceCount(std::uint16_t handle) {
    kpx::ImageLock record(static_cast<KpxHandle>(handle), kKpxRead);
    return record ? record->referenceCount : 0;
}

TEST(FrameObject, DisposalZeroAndFourAreNeverKept) {
    const struct {
        int given;
        int kept;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}, {4, 3}};
    for (const auto& c : cases) {
        CObjFrame f(0, 1, 1, 0, 0, 10, c.given, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                    nullptr, 0);
        EXPECT_EQ(f.disposal, c.kept) << c.given;
    }
}

TEST(FrameObject, CopySharesDeepImagesAndWidensShallowOnes) {
    for (const int depth : {8, 24}) {
        CObjFrame original;
        original.SetImage(static_cast<std::uint16_t>(KPXCreateImage(4, 4, depth)));
        {
            CObjFrame copy(original);
            EXPECT_EQ(copy.GetImage(), original.GetImage());
            EXPECT_EQ(referenceCount(original.GetImage()), 2);
        }
        EXPECT_EQ(referenceCount(original.GetImage()), 1) << depth;
    }
    CObjFrame fourBit;
    const auto image = static_cast<KpxHandle>(KPXCreateImage(3, 2, 4));
    KPXGetBits(image)[0] = 0x5A; // pixels 5 and 10 of the bottom row
    fourBit.SetImage(static_cast<std::uint16_t>(image));
    CObjFrame copy(fourBit);
    ASSERT_NE(copy.GetImage(), fourBit.GetImage());
    const auto copied = static_cast<KpxHandle>(copy.GetImage());
    EXPECT_EQ(KPXbpp(copied), 8);
    EXPECT_EQ(KPXGetBits(copied)[0], 5);
    EXPECT_EQ(KPXGetBits(copied)[1], 10);
}

TEST(FrameObject, RenderedImageSurvivesTheOtherCopy) {
    auto copy = std::make_unique<CObjFrame>();
    {
        CObjFrame original;
        original.hasText = 1;
        original.SetImage(static_cast<std::uint16_t>(KPXCreateImage(2, 2, 8)));
        original.SetRenderedImage(static_cast<std::uint16_t>(KPXCreateImage(2, 2, 24)));
        *copy = original;
        EXPECT_EQ(copy->GetDisplayImage(), original.GetRenderedImage());
    }
    // The original is gone; the copy's rendered image is still a live image.
    EXPECT_EQ(KPXWidth(static_cast<KpxHandle>(copy->GetRenderedImage())), 2);
}

TEST(FrameObject, DisplayImageRule) {
    CObjFrame f;
    f.SetImage(static_cast<std::uint16_t>(KPXCreateImage(2, 2, 8)));
    EXPECT_EQ(f.GetDisplayImage(), f.GetImage());
    f.hasNPImage = 1;
    EXPECT_EQ(f.GetDisplayImage(), f.GetImage()) << "object frame without rendered image";
    f.SetRenderedImage(static_cast<std::uint16_t>(KPXCreateImage(2, 2, 8)));
    EXPECT_EQ(f.GetDisplayImage(), f.GetRenderedImage());
    f.hasNPImage = 0;
    EXPECT_EQ(f.GetDisplayImage(), f.GetImage()) << "plain frame shows its base image";
}

TEST(FrameObject, EqualityIgnoresSelectionButNotTiming) {
    CObjFrame a;
    a.SetImage(static_cast<std::uint16_t>(KPXCreateImage(2, 2, 8)));
    CObjFrame b(a);
    b.selected = 1;
    b.current = 1;
    b.marked = 1;
    EXPECT_TRUE(a.IsEqual(b));
    b.delay = 5;
    EXPECT_FALSE(a.IsEqual(b));
}

TEST(FrameObject, FrameInfoRoundTripThroughTheImage) {
    CObjFrame f;
    f.SetImage(static_cast<std::uint16_t>(KPXCreateImage(5, 3, 8)));
    f.left = 7;
    f.top = 9;
    f.delay = 25;
    f.disposal = 2;
    f.name = "walk";
    f.comment = "first";
    f.hasText = 1;
    f.text.text = std::string("Hello");
    ASSERT_EQ(f.PutFrameInfo(0), 1);

    CObjFrame g;
    g.SetImage(
        static_cast<std::uint16_t>(KPXCreateImageFrom(static_cast<KpxHandle>(f.GetImage()), 1)));
    g.UpdateFromImageInfo();
    EXPECT_EQ(g.width, 5);
    EXPECT_EQ(g.height, 3);
    EXPECT_EQ(g.left, 7);
    EXPECT_EQ(g.top, 9);
    EXPECT_EQ(g.delay, 25);
    EXPECT_EQ(g.disposal, 2);
    EXPECT_EQ(g.name, "walk");
    EXPECT_EQ(g.comment, "first");
    ASSERT_EQ(g.hasText, 1);
    EXPECT_EQ(g.text.text.value_or(""), "Hello");
}

TEST(FrameObject, ReadingTheImageInfoDeletesTheMask) {
    CObjFrame f;
    f.SetImage(static_cast<std::uint16_t>(KPXCreateImage(4, 4, 8)));
    ASSERT_EQ(f.PutFrameInfo(0), 1);
    const int live = KpxLiveImageCount();
    f.SetMaskImage(static_cast<std::uint16_t>(KPXCreateImage(4, 4, 1)));
    f.UpdateFromImageInfo();
    EXPECT_EQ(f.GetMaskImage(), 0);
    EXPECT_EQ(KpxLiveImageCount(), live) << "the mask was dropped without being deleted";
}

TEST(FrameObject, FreeFramePartsTwiceFreesOnce) {
    CObjFrame f;
    f.name = "n";
    f.hasControl = 1;
    f.control.text = std::string("OK");
    FrameInfo info{};
    f.MakeFrameInfo(info);
    ASSERT_NE(info.controlObject, nullptr);
    FreeFrameParts(info, 0);
    EXPECT_EQ(info.name, nullptr);
    EXPECT_EQ(info.controlObject, nullptr);
    FreeFrameParts(info, 0);
}

} // namespace
