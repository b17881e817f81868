// Carrying a palette edit to the selected frames by index or by colour, on 1-, 4- and 8-bit
// frames, the last entry included.

#include "PaletteChange.h"

#include "ImageUtilities.h"
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

namespace {

COLORREF colourOf(int i, int seed) {
    return RGB((i * 7 + seed) & 0xff, (i * 13 + seed * 3) & 0xff, (i + seed * 5) & 0xff);
}

class PaletteChangeTest : public ModelTest {
protected:
    // A selected frame whose palette entries are colourOf(i, seed).
    CObjFrame& paletteFrame(int depth, int seed) {
        CObjFrame& f = addFrame(0, 0, 4, 3, depth);
        const auto image = static_cast<KpxHandle>(f.GetImage());
        if (depth <= 8)
            for (int i = 0; i < (1 << depth); ++i)
                KPXSetColorToPalette(image, i, colourOf(i, seed));
        f.selected = 1;
        return f;
    }
    static COLORREF entry(const CObjFrame& f, int i) {
        return KPXGetColorFromPalette(static_cast<KpxHandle>(f.GetImage()), i);
    }
};

TEST_F(PaletteChangeTest, ChangedEntriesReachTheSelectedFramesByIndexOrByColour) {
    const COLORREF newColour = RGB(1, 2, 250);
    const struct {
        int depth;
        int mode;
        int index;
    } cases[] = {
        {1, kPaletteApplyByIndex, 1},   {1, kPaletteApplyByColour, 1},
        {1, kPaletteApplyByIndex, 0},   {4, kPaletteApplyByIndex, 15},
        {4, kPaletteApplyByColour, 15}, {4, kPaletteApplyByColour, 3},
        {8, kPaletteApplyByIndex, 255}, {8, kPaletteApplyByColour, 255},
        {8, kPaletteApplyByIndex, 0},
    };
    for (const auto& c : cases) {
        const std::string label = std::to_string(c.depth) + "-bit, mode " + std::to_string(c.mode) +
                                  ", entry " + std::to_string(c.index);
        animation().frames.clear();
        animation().ResetFrames();
        CObjFrame& edited = paletteFrame(c.depth, 0);
        edited.current = 1;
        // An 8-bit companion holding the edited entry's old colour at another index.
        CObjFrame& companion = paletteFrame(8, 100);
        const int elsewhere = (c.index + 7) % 256;
        const COLORREF old = entry(edited, c.index);
        KPXSetColorToPalette(static_cast<KpxHandle>(companion.GetImage()), elsewhere, old);
        const COLORREF companionAtIndex = entry(companion, c.index);
        // A 24-bit frame has no palette and an unselected frame is no target.
        CObjFrame& deep = paletteFrame(24, 0);
        CObjFrame& unselected = paletteFrame(c.depth, 0);
        unselected.selected = 0;

        const std::uint16_t editedBefore = edited.GetImage();
        const ScopedImage before(KPXCreateImageFrom(static_cast<KpxHandle>(editedBefore), 0));
        const ScopedImage after(KPXCreateImageFrom(before.get(), 0));
        KPXSetColorToPalette(after.get(), c.index, newColour);
        const std::uint16_t deepBefore = deep.GetImage();

        EXPECT_GE(ApplyPaletteChange(before.get(), after.get(), c.mode), 1) << label;
        EXPECT_EQ(entry(edited, c.index), newColour) << label;
        EXPECT_NE(edited.GetImage(), editedBefore) << label << ": changed on a copy";
        EXPECT_EQ(KPXbpp(static_cast<KpxHandle>(edited.GetImage())), c.depth) << label;
        if (c.mode == kPaletteApplyByIndex) {
            EXPECT_EQ(entry(companion, c.index), newColour) << label;
            EXPECT_EQ(entry(companion, elsewhere), old) << label;
        } else {
            EXPECT_EQ(entry(companion, elsewhere), newColour) << label;
            if (companionAtIndex != old)
                EXPECT_EQ(entry(companion, c.index), companionAtIndex) << label;
        }
        EXPECT_EQ(deep.GetImage(), deepBefore) << label;
        EXPECT_EQ(entry(unselected, c.index), old) << label;
    }
}

TEST_F(PaletteChangeTest, CurrentOnlyAndUnchangedPalettesLeaveTheOthersAlone) {
    CObjFrame& edited = paletteFrame(8, 0);
    edited.current = 1;
    CObjFrame& other = paletteFrame(8, 0);
    const std::uint16_t otherImage = other.GetImage();
    const ScopedImage before(KPXCreateImageFrom(static_cast<KpxHandle>(edited.GetImage()), 0));
    const ScopedImage same(KPXCreateImageFrom(before.get(), 0));
    EXPECT_EQ(ApplyPaletteChange(before.get(), same.get(), kPaletteApplyByIndex), 0);

    const ScopedImage after(KPXCreateImageFrom(before.get(), 0));
    KPXSetColorToPalette(after.get(), 255, RGB(9, 9, 9));
    EXPECT_EQ(ApplyPaletteChange(before.get(), after.get(), kPaletteApplyByColour, true), 1);
    EXPECT_EQ(entry(edited, 255), RGB(9, 9, 9));
    EXPECT_EQ(other.GetImage(), otherImage);
    EXPECT_EQ(ApplyPaletteChange(before.get(), after.get(), 3), 0) << "no such mode";
}

} // namespace
