// Frames that stick out of the animation area are cropped before a save (or the save is not
// taken), so every image of the written GIF lies on its logical screen.

#include "DocumentTestSupport.h"
#include "GifFileBlocks.h"

#include "AnimationAreaCrop.h"
#include "ImageTable.h"

namespace {

class AnimationAreaCropTest : public DocumentFixture {
protected:
    // A 40 x 30 animation whose first frame reaches past the left and top edges.
    void buildAnimationWithFrameAboveLeft() {
        animation().AnimationWidth = 40;
        animation().AnimationHeight = 30;
        source = KPXCreateImageFrom(
            static_cast<KpxHandle>(addPatternFrame(-20, -3, 30, 20, 1).GetImage()), 0);
        addPatternFrame(5, 5, 10, 10, 2);
        for (CObjFrame& f : animation().frames)
            f.PutFrameInfo(0);
    }
    void TearDown() override {
        KPXDeleteImage(source);
        DocumentFixture::TearDown();
    }

    KpxHandle source = 0;
};

TEST_F(AnimationAreaCropTest, SaveCropsAFrameAboveAndLeftOfTheScreen) {
    buildAnimationWithFrameAboveLeft();
    const std::string path = files.file("cropped.gif");
    shellFake.answers = {IDOK};
    ASSERT_TRUE(doc->DoSave(path.c_str(), TRUE));
    EXPECT_EQ(shellFake.boxes.size(), 1u) << "the user is asked before the crop";

    const GifFileBlocks gif = walkGifBlocks(readFile(path));
    ASSERT_TRUE(gif.complete);
    EXPECT_EQ(gif.screenWidth, 40);
    EXPECT_EQ(gif.screenHeight, 30);
    ASSERT_EQ(gif.images.size(), 2u);
    for (const GifImagePlace& image : gif.images) {
        EXPECT_LE(image.left + image.width, gif.screenWidth);
        EXPECT_LE(image.top + image.height, gif.screenHeight);
    }
    EXPECT_EQ(gif.images[0].left, 0);
    EXPECT_EQ(gif.images[0].top, 0);
    EXPECT_EQ(gif.images[0].width, 10);
    EXPECT_EQ(gif.images[0].height, 17);

    // The crop is the part of the frame that was on the screen.
    const CObjFrame& cropped = frameAt(0);
    EXPECT_EQ(cropped.left, 0);
    EXPECT_EQ(cropped.top, 0);
    EXPECT_EQ(cropped.width, 10);
    EXPECT_EQ(cropped.height, 17);
    const auto image = static_cast<KpxHandle>(cropped.GetImage());
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(pixelColour(image, x, y), pixelColour(source, x + 20, y + 3));
}

TEST_F(AnimationAreaCropTest, DeclinedCropSavesNothing) {
    buildAnimationWithFrameAboveLeft();
    const std::string path = files.file("declined.gif");
    shellFake.answers = {IDCANCEL};
    EXPECT_FALSE(doc->DoSave(path.c_str(), TRUE));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(frameAt(0).left, -20);
    EXPECT_EQ(frameAt(0).width, 30);
}

TEST_F(AnimationAreaCropTest, CropKeepsObjectFramesAndDropsFramesWhollyOutside) {
    animation().AnimationWidth = 10;
    animation().AnimationHeight = 10;
    CObjFrame& masked = addPatternFrame(6, -2, 8, 8, 1);
    masked.SetMaskImage(static_cast<std::uint16_t>(KPXCreateImage(8, 8, 1)));
    addPatternFrame(20, 20, 4, 4, 2);
    CObjFrame& text = addPatternFrame(-5, -5, 8, 8, 3);
    text.hasText = 1;
    const int live = KpxLiveImageCount();

    CropFramesToAnimation();

    ASSERT_EQ(animation().RealFrameCount(), 2);
    EXPECT_EQ(animation().frameCount, 2);
    const CObjFrame& first = frameAt(0);
    EXPECT_EQ(first.left, 6);
    EXPECT_EQ(first.top, 0);
    EXPECT_EQ(first.width, 4);
    EXPECT_EQ(first.height, 6);
    const auto mask = static_cast<KpxHandle>(first.GetMaskImage());
    ASSERT_NE(mask, 0);
    EXPECT_EQ(KPXWidth(mask), 4);
    EXPECT_EQ(KPXHeight(mask), 6);
    EXPECT_EQ(frameAt(1).left, -5) << "object frames are clipped by the save, not here";
    EXPECT_EQ(KpxLiveImageCount(), live - 1) << "old images and the removed frame's are deleted";
}

} // namespace
