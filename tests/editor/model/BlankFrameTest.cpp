// Blank frames: the chosen palette entry takes the chosen colour and fills the picture, and is
// the transparent index when asked.

#include "ModelTestSupport.h"

#include "BlankFrame.h"
#include "FrameTransparency.h"

namespace {

using kfm::model::BlankFrameValues;
using kfm::model::CreateBlankFrame;

TEST(BlankFrame, FillsWithTheChosenEntryOfTheFinePalette) {
    struct Case {
        BlankFrameValues values;
    } cases[] = {
        {{30, 20, RGB(12, 200, 99), 7, false}},
        {{1, 1, RGB(255, 255, 255), 255, true}},
        {{64, 3, RGB(0, 0, 0), 0, true}},
    };
    for (const Case& c : cases) {
        const BlankFrameValues& v = c.values;
        SCOPED_TRACE(v.index);
        const std::unique_ptr<CObjFrame> f = CreateBlankFrame(v);
        ASSERT_NE(f, nullptr);
        const auto image = static_cast<KpxHandle>(f->GetImage());
        ASSERT_EQ(KPXbpp(image), 8);
        EXPECT_EQ(f->width, v.width);
        EXPECT_EQ(f->height, v.height);
        EXPECT_EQ(KPXWidth(image), v.width);
        EXPECT_EQ(KPXGetColorFromPalette(image, v.index), v.colour);
        const std::uint8_t* bits = KPXGetBits(image);
        EXPECT_EQ(bits[0], v.index);
        EXPECT_EQ(bits[(v.height - 1) * KPXGetScanBytes(image) + v.width - 1], v.index);
        EXPECT_EQ(kfm::model::hasTransparentIndex(*f), v.transparent);
        if (v.transparent)
            EXPECT_EQ(kfm::model::transparentIndex(*f), v.index);
        // The rest of the table is the fine palette.
        const int other = (v.index + 1) % 256;
        const PALETTEENTRY fine = KPXGetFinePalette()[other];
        EXPECT_EQ(KPXGetColorFromPalette(image, other), RGB(fine.peRed, fine.peGreen, fine.peBlue));
    }
}

TEST(BlankFrame, NoFrameForAnEmptySize) {
    EXPECT_EQ(CreateBlankFrame({0, 10, 0, 0, false}), nullptr);
    EXPECT_EQ(CreateBlankFrame({10, -1, 0, 0, false}), nullptr);
}

} // namespace
