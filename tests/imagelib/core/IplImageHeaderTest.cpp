// The image headers handed to other programs: the record's fields for each depth, pixels seen
// in place, 4-bit pixels unpacked and packed back, palettes written back and the attached mask
// header.

#include "DrawnPictures.h"

#include <gtest/gtest.h>

using kfm::test::getIndex;
using kfm::test::OwnedImage;
using kfm::test::setIndex;
using kfm::test::setPaletteEntry;

namespace {

struct HeaderDeleter {
    void operator()(KpxImageHeader* header) const { KpxDeleteImageHeader(header); }
};
using OwnedHeader = std::unique_ptr<KpxImageHeader, HeaderDeleter>;

std::size_t expectedSize(int channels, int paletteEntries) {
    return sizeof(KpxImageHeader) + channels * sizeof(KpxChannelDescriptor) + paletteEntries * 3;
}

TEST(IplImageHeader, TwentyFourBitPixelsAreThreeChannelsInPlace) {
    OwnedImage image(KPXCreateImage(5, 3, 24));
    OwnedHeader header(KpxCreateImageHeader(image));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->size, expectedSize(3, 0));
    EXPECT_EQ(header->flags, kKpxHeaderPixelsInPlace);
    EXPECT_EQ(header->width, 5);
    EXPECT_EQ(header->height, 3);
    EXPECT_EQ(header->hasPalette, 0);
    EXPECT_EQ(header->paletteEntries, 0);
    EXPECT_EQ(header->reserved1, -1);
    EXPECT_EQ(header->reserved2, 0);
    EXPECT_EQ(header->reserved3, -1);
    EXPECT_EQ(header->channels, 3);
    EXPECT_EQ(header->bitsPerChannel, 8);
    EXPECT_EQ(header->maskHeader, nullptr);
    EXPECT_EQ(header->pixels, KPXGetBits(image));
    EXPECT_EQ(header->image, image.get());
    const int codes[3] = {3, 2, 1}; // blue, green, red
    for (int c = 0; c < 3; ++c) {
        const KpxChannelDescriptor& d = header->channelDescriptors[c];
        EXPECT_EQ(d.code, codes[c]);
        EXPECT_EQ(d.rowStride, KPXGetScanBytes(image));
        EXPECT_EQ(d.pixelStep, 3);
        EXPECT_EQ(d.first, KPXGetBits(image) + c);
    }
    EXPECT_EQ(KpxImageHeaderPalette(header.get()), nullptr);
}

TEST(IplImageHeader, PalettesGoOutAsRedGreenBlueAndComeBackOnDeletion) {
    OwnedImage image(KPXCreateImage(3, 2, 8));
    setPaletteEntry(image, 5, RGB(10, 20, 30));
    KpxImageHeader* header = KpxCreateImageHeader(image);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->size, expectedSize(1, 256));
    EXPECT_EQ(header->flags, kKpxHeaderPixelsInPlace | kKpxHeaderPaletteAttached);
    EXPECT_EQ(header->paletteEntries, 256);
    EXPECT_EQ(header->paletteEntriesAgain, 256);
    EXPECT_EQ(header->channelDescriptors[0].code, 6);
    EXPECT_EQ(header->channelDescriptors[0].pixelStep, 1);
    std::uint8_t* palette = KpxImageHeaderPalette(header);
    EXPECT_EQ(palette[15], 10);
    EXPECT_EQ(palette[16], 20);
    EXPECT_EQ(palette[17], 30);
    palette[15] = 99;
    ASSERT_EQ(KpxDeleteImageHeader(header), 1);
    EXPECT_EQ(KPXGetColorFromPalette(image, 5), RGB(99, 20, 30));
}

TEST(IplImageHeader, OneBitRowsAreDescribedWithTheirOwnStride) {
    // 100 pixels of 1 bit are 16 bytes a row; the stride of an 8-bit row (100 bytes) would walk
    // far past the pixels.
    OwnedImage image(KPXCreateImage(100, 4, 1));
    OwnedHeader header(KpxCreateImageHeader(image));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->size, expectedSize(1, 2));
    EXPECT_EQ(header->bitsPerChannel, 1);
    EXPECT_EQ(header->channelDescriptors[0].rowStride, 16);
    EXPECT_EQ(header->channelDescriptors[0].first, KPXGetBits(image));
}

TEST(IplImageHeader, FourBitPixelsAreUnpackedAndPackedBack) {
    OwnedImage image(KPXCreateImage(3, 2, 4));
    setIndex(image, 0, 0, 9);
    setIndex(image, 2, 1, 4);
    KpxImageHeader* header = KpxCreateImageHeader(image);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->size, expectedSize(1, 16));
    EXPECT_EQ(header->flags, kKpxHeaderPixelsUnpacked | kKpxHeaderPaletteAttached);
    EXPECT_EQ(header->pixels, nullptr);
    const KpxChannelDescriptor& d = header->channelDescriptors[0];
    EXPECT_EQ(d.rowStride, KPXCalcScanBytes(3, 8));
    // Rows in the image's order: the bottom row first.
    std::uint8_t* bottom = d.first;
    std::uint8_t* top = d.first + d.rowStride;
    EXPECT_EQ(top[0], 9);
    EXPECT_EQ(bottom[2], 4);
    bottom[1] = 12;
    ASSERT_EQ(KpxDeleteImageHeader(header), 1);
    EXPECT_EQ(getIndex(image, 1, 1), 12);
    EXPECT_EQ(getIndex(image, 0, 0), 9);
    EXPECT_EQ(getIndex(image, 2, 1), 4);
}

TEST(IplImageHeader, AnExplicitTransparencyImageGetsAHeaderOfItsOwn) {
    OwnedImage image(KPXCreateImage(4, 4, 24));
    ASSERT_EQ(KPXSetImageTransparentEx(image, KPXCreateImage(4, 4, 1)), 1);
    OwnedHeader header(KpxCreateImageHeader(image));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->flags, kKpxHeaderPixelsInPlace | kKpxHeaderMaskAttached);
    ASSERT_NE(header->maskHeader, nullptr);
    EXPECT_EQ(header->maskHeader->image, KPXGetImageTransparentImageEx(image));
    EXPECT_EQ(header->maskHeader->channelDescriptors[0].code, 8);
}

TEST(IplImageHeader, OtherDepthsAndMissingImagesGiveNoHeader) {
    OwnedImage deep(KPXCreateImage(2, 2, 32));
    EXPECT_EQ(KpxCreateImageHeader(deep), nullptr);
    EXPECT_EQ(KpxCreateImageHeader(0), nullptr);
    EXPECT_EQ(KpxCreateImageHeader(23456), nullptr);
    EXPECT_EQ(KpxDeleteImageHeader(nullptr), 0);
    OwnedImage image(KPXCreateImage(2, 2, 8));
    OwnedHeader header(KpxCreateImageHeader(image));
    const RECT rect{0, 0, 1, 1};
    EXPECT_EQ(KpxCreateSubImage(header.get(), &rect), nullptr);
}

TEST(IplImageHeader, DeletingAfterTheImageWentFreesTheRecordOnly) {
    KpxHandle image = KPXCreateImage(3, 2, 4);
    KpxImageHeader* header = KpxCreateImageHeader(image);
    ASSERT_NE(header, nullptr);
    KPXDeleteImage(image);
    EXPECT_EQ(KpxDeleteImageHeader(header), 1);
}

} // namespace
