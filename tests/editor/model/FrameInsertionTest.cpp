// The insertion rule of new frames and the object dialogs' background picture.

#include "FrameInsertion.h"
#include "DialogBackground.h"

#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class FrameInsertionTest : public ModelTest {
protected:
    // A new frame with a picture of the given width (its name marks it).
    CObjFrame incoming(const char* name, int width = 4) {
        CObjFrame frame;
        frame.SetImage(static_cast<std::uint16_t>(KPXCreateImage(width, 3, 8)));
        frame.width = width;
        frame.height = 3;
        frame.name = name;
        return frame;
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const CObjFrame& f : animation().frames)
            out.push_back(f.GetImage() ? f.name : "placeholder");
        return out;
    }
    void makeFrames() {
        for (const char* name : {"a", "b", "c"})
            addFrame(0, 0, 4, 3).name = name;
    }
};

TEST_F(FrameInsertionTest, NewFramesFollowTheCurrentFrameSelectedWithTheFirstCurrent) {
    makeFrames();
    SelectFrame(0);
    SelectFrame(2);
    SetCurrentFrame(1);
    FrameList list;
    list.push_back(incoming("x"));
    list.push_back(incoming("y"));
    EXPECT_EQ(InsertFramesAfterCurrent(list), 2);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "x", "y", "c", "placeholder"}));
    EXPECT_EQ(animation().frameCount, 5);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(IsFrameSelected(i) != 0, i == 2 || i == 3) << i;
        EXPECT_EQ(IsCurrentFrame(i) != 0, i == 2) << i;
    }
}

TEST_F(FrameInsertionTest, ThePlaceholderOrNoCurrentFrameInsertsAtTheEnd) {
    makeFrames();
    SetCurrentFrame(3); // the placeholder
    FrameList first;
    first.push_back(incoming("x"));
    InsertFramesAfterCurrent(first);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c", "x", "placeholder"}));
    ClearCurrentFlags();
    FrameList second;
    second.push_back(incoming("y"));
    InsertFramesAfterCurrent(second);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c", "x", "y", "placeholder"}));
    EXPECT_EQ(GetCurrentFrameIndex(), 4);
}

TEST_F(FrameInsertionTest, FramesWithoutAPictureAreRemoved) {
    makeFrames();
    SetCurrentFrame(0);
    FrameList list;
    list.push_back(incoming("x"));
    list.emplace_back(); // no picture
    EXPECT_EQ(InsertFramesAfterCurrent(list), 2);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "x", "b", "c", "placeholder"}));
    EXPECT_EQ(animation().frameCount, 4);
    EXPECT_EQ(shellFake.boxes.size(), 1u) << "the removal is reported";
    FrameList none;
    EXPECT_EQ(InsertFramesAfterCurrent(none), 0);
}

TEST_F(FrameInsertionTest, TheBackgroundIsTheRenderedStateOrTheSelection) {
    addFrame(0, 0, 20, 10);
    addFrame(5, 5, 30, 30);
    addFrame(40, 0, 10, 10);
    SelectFrame(2);
    SetCurrentFrame(2);
    RECT rect{};
    // The state up to the frame before the last selected one: frames 0 and 1.
    const KpxHandle rendered = CreateObjectDialogBackground(1, RECT{40, 0, 50, 10}, rect);
    ASSERT_NE(rendered, 0);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 35);
    EXPECT_EQ(rect.bottom, 35);
    EXPECT_EQ(KPXWidth(rendered), 35);
    KPXDeleteImage(rendered);
    // Without rendering: the canvas's selection rectangle.
    const KpxHandle composite = CreateObjectDialogBackground(0, RECT{40, 0, 50, 10}, rect);
    ASSERT_NE(composite, 0);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.right, 50);
    EXPECT_EQ(KPXWidth(composite), 10);
    EXPECT_EQ(KPXHeight(composite), 10);
    KPXDeleteImage(composite);
    // The first frame selected has no state before it: the selection stands in.
    DeselectAllFrames();
    SelectFrame(0);
    const KpxHandle first = CreateObjectDialogBackground(1, RECT{0, 0, 20, 10}, rect);
    ASSERT_NE(first, 0);
    EXPECT_EQ(rect.right, 20);
    KPXDeleteImage(first);
    // No selection rectangle: no picture.
    EXPECT_EQ(CreateObjectDialogBackground(0, RECT{0, 0, 0, 0}, rect), 0);
    EXPECT_EQ(rect.right, 0);
}

} // namespace
