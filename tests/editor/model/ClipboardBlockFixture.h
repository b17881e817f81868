#pragma once
// Frames of every object kind for the clipboard tests, and the check that frames came back
// through the clipboard as they went.

#include "ModelTestSupport.h"

#include "EmfFixtures.h"
#include "ObjectRecordCompare.h"
#include "PaletteRender.h"
#include "TestSupport.h"
#include "clipboard/Clipboard.h"
#include "metafile/EnhMetafile.h"

#include <iterator>
#include <string>
#include <vector>

class ClipboardBlockFixture : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        g_cfPrivateFormat = RegisterClipboardFormatA(kPrivateClipboardFormat);
        animation().AnimationWidth = 40;
        animation().AnimationHeight = 30;
    }

    // A frame whose pixels and colours differ per place and entry.
    CObjFrame& addPatternFrame(int left, int top, int width, int height, int depth) {
        CObjFrame& f = addFrame(left, top, width, height, depth);
        const auto image = static_cast<KpxHandle>(f.GetImage());
        if (depth <= 8) {
            BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
            for (int i = 0; i < (1 << depth); ++i)
                info->bmiColors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                             static_cast<BYTE>(i * 7), 0};
        }
        std::uint8_t* bits = KPXGetBits(image);
        const int stride = KPXGetScanBytes(image);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < stride; ++x)
                bits[y * stride + x] = static_cast<std::uint8_t>(x * 3 + y * 5 + depth);
        KPXFillDIBColorTable(image);
        return f;
    }

    static void giveText(CObjFrame& f, const std::string& text) {
        f.hasText = 1;
        f.text.color = 0x123456;
        f.text.font.lfHeight = -12;
        std::strcpy(f.text.font.lfFaceName, "Sans");
        f.text.matrix[1] = 0.5;
        f.text.transparencyLevel = 7;
        f.text.text = text;
    }

    static HENHMETAFILE testMetafile() {
        const auto emf =
            kfm::test::EmfBuilder(8, 6).solidBrush(0x0000FF).rectangle(1, 1, 5, 4).finish();
        return SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data());
    }

    static void giveVector(CObjFrame& f) {
        f.hasVector = 1;
        f.vector.metafile.reset(testMetafile());
        f.vector.sourceRight = 800;
        f.vector.sourceBottom = 600;
        f.vector.width = 8;
        f.vector.height = 6;
        f.vector.antialias = 1;
        f.vector.matrix[2] = -0.25;
    }

    static void giveTransparencyImage(CObjFrame& f) {
        const KpxHandle ex = KPXCreateImage(f.width, f.height, 8);
        KPXGetBits(ex)[0] = 200;
        ASSERT_TRUE(KPXSetImageTransparentEx(static_cast<KpxHandle>(f.GetImage()), ex));
    }

    // One selected frame of each kind: plain pictures of 1, 4, 8 and 24 bits, text, control,
    // vector, np-image, soft alpha and an alpha mask.
    void addEveryKindOfFrame() {
        for (const int depth : {1, 4, 8, 24}) {
            CObjFrame& f = addPatternFrame(depth, 2, 5, 3, depth);
            f.name = "depth " + std::to_string(depth);
            f.comment = "comment";
            f.delay = depth * 10;
            f.disposal = 2;
        }
        CObjFrame& text = addPatternFrame(1, 1, 6, 4, 8);
        giveText(text, "Hello");
        text.transparency = 0x01000003;
        // A rendered text frame shows its background through the index of its transparency word.
        SetImageTransparent(static_cast<short>(text.GetImage()), 3);
        CObjFrame& control = addPatternFrame(2, 2, 6, 4, 8);
        control.hasControl = 1;
        control.control.type = 5;
        control.control.values[3] = -7;
        control.control.text = "Button";
        control.control.caption = "Caption";
        CObjFrame& vector = addPatternFrame(3, 3, 8, 6, 24);
        giveVector(vector);
        CObjFrame& np = addPatternFrame(4, 4, 2, 2, 24);
        np.hasNPImage = 1;
        np.npImage.pixels24.assign(12, 9);
        CObjFrame& soft = addPatternFrame(5, 5, 4, 4, 8);
        giveTransparencyImage(soft);
        soft.softAlpha = 1;
        CObjFrame& masked = addPatternFrame(6, 6, 4, 4, 24);
        masked.alphaValue = 128;
        const KpxHandle mask = KPXCreateImage(4, 4, 8);
        KPXGetBits(mask)[5] = 77;
        masked.SetMaskImage(static_cast<std::uint16_t>(mask));
        for (CObjFrame& f : animation().frames)
            f.selected = f.GetImage() ? 1 : 0;
    }

    static bool sameImage(std::uint16_t a, std::uint16_t b) {
        if (!a || !b)
            return a == b;
        return KPXCompareImages(static_cast<KpxHandle>(a), static_cast<KpxHandle>(b)) == 1;
    }

    static bool sameMetafile(HENHMETAFILE a, HENHMETAFILE b) {
        if (!a || !b)
            return a == b;
        return a->bytes() == b->bytes();
    }

    // The frames came back with the selected frames' pictures, places, texts and sources; no
    // NP-image source travels.
    void expectSameAsSelected(const FrameList& read) {
        std::vector<const CObjFrame*> selected;
        for (const CObjFrame& f : animation().frames)
            if (f.selected && f.GetImage())
                selected.push_back(&f);
        ASSERT_EQ(read.size(), selected.size());
        auto back = read.begin();
        for (const CObjFrame* f : selected) {
            SCOPED_TRACE("frame " + std::to_string(std::distance(read.begin(), back)));
            const CObjFrame& b = *back++;
            EXPECT_TRUE(sameImage(f->GetImage(), b.GetImage()));
            EXPECT_EQ(b.width, f->width);
            EXPECT_EQ(b.height, f->height);
            EXPECT_EQ(b.left, f->left);
            EXPECT_EQ(b.top, f->top);
            EXPECT_EQ(b.delay, f->delay);
            EXPECT_EQ(b.disposal, f->disposal);
            EXPECT_EQ(b.transparency, f->transparency);
            EXPECT_EQ(b.name, f->name);
            EXPECT_EQ(b.comment, f->comment);
            EXPECT_EQ(b.softAlpha, f->softAlpha);
            EXPECT_EQ(b.hasText, f->hasText);
            if (f->hasText) {
                EXPECT_TRUE(kfm::records::recordsEqual(b.text, f->text));
            }
            EXPECT_EQ(b.hasControl, f->hasControl);
            if (f->hasControl) {
                EXPECT_TRUE(kfm::records::recordsEqual(b.control, f->control));
            }
            EXPECT_EQ(b.hasVector, f->hasVector);
            if (f->hasVector) {
                EXPECT_TRUE(sameMetafile(b.vector.metafile.get(), f->vector.metafile.get()));
                EXPECT_NE(b.vector.metafile.get(), f->vector.metafile.get());
                EXPECT_EQ(b.vector.sourceRight, f->vector.sourceRight);
                EXPECT_EQ(b.vector.matrix[2], f->vector.matrix[2]);
            }
            EXPECT_EQ(b.hasNPImage, 0);
            EXPECT_EQ(b.alphaValue, f->alphaValue);
            EXPECT_TRUE(sameImage(f->GetMaskImage(), b.GetMaskImage()));
            const auto exA = KPXGetImageTransparentImageEx(static_cast<KpxHandle>(f->GetImage()));
            const auto exB = KPXGetImageTransparentImageEx(static_cast<KpxHandle>(b.GetImage()));
            EXPECT_TRUE(
                sameImage(static_cast<std::uint16_t>(exA), static_cast<std::uint16_t>(exB)));
        }
    }
};
