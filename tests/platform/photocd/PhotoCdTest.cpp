// The Photo CD image pack reader over packs the tests write: the resolutions a pack offers, the
// Photo YCC colours, the shared chroma, the orientation, the three outputs and the damaged
// packs; and the resolution dialog's behaviour.

#include "photocd/PhotoCd.h"
#include "photocd/ResolutionDialog.h"

#include "PhotoCdPacks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

namespace pcd = kfm::photocd;
using kfm::test::makePhotoCdPack;
using kfm::test::YccSample;

// A pack over bytes that live as long as it does.
struct HeldPack {
    std::vector<std::uint8_t> bytes;
    std::unique_ptr<pcd::ImagePack> pack;
    pcd::ImagePack* operator->() const { return pack.get(); }
    explicit operator bool() const { return pack != nullptr; }
};

HeldPack openPack(std::vector<std::uint8_t> bytes) {
    HeldPack held{std::move(bytes), nullptr};
    EXPECT_EQ(pcd::ImagePack::openBytes(held.bytes, held.pack), pcd::Status::Ok);
    return held;
}

// Pixel (x, y) of a decoded picture, counted from the top: 1 or 3 bytes.
const std::uint8_t* pixel(const pcd::Picture& picture, int x, int y) {
    return picture.storedRow(picture.height - 1 - y) + x * picture.bitsPerPixel / 8;
}

std::uint8_t expectedByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Kodak's Photo YCC to colour, written out here as the check.
std::array<std::uint8_t, 3> expectedRgb(int y, int c1, int c2) {
    const double l = 1.3584 * y;
    const double a = 2.2179 * (c1 - 156);
    const double b = 1.8215 * (c2 - 137);
    return {expectedByte(l + b), expectedByte(l - 0.194 * a - 0.509 * b), expectedByte(l + a)};
}

YccSample lumaPattern(int, int x, int y) {
    return {static_cast<std::uint8_t>((x * 7 + y * 13) % 200), 156, 137};
}

TEST(PhotoCdPack, OffersThePlainResolutionsAndThoseItsAttributesName) {
    struct Case {
        std::uint8_t attributes;
        unsigned mask;
        int turns;
        int baseWidth;
    } const cases[] = {{0x00, 0x0E, 0, 768}, {0x04, 0x1E, 0, 768}, {0x08, 0x3E, 0, 768},
                       {0x01, 0x0E, 1, 512}, {0x02, 0x0E, 2, 768}, {0x0B, 0x3E, 3, 512}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.attributes});
        const auto pack = openPack(makePhotoCdPack(c.attributes, lumaPattern, 1));
        ASSERT_TRUE(pack);
        EXPECT_EQ(pack->availableResolutions(), c.mask);
        EXPECT_EQ(pack->quarterTurns(), c.turns);
        EXPECT_EQ(pack->size(pcd::kBase).width, c.baseWidth);
        EXPECT_EQ(pack->size(pcd::kBase16).width * pack->size(pcd::kBase16).height, 192 * 128);
    }
}

TEST(PhotoCdPack, DecodesPhotoYccWithChromaSharedByTwoByTwoPixels) {
    // Chroma changes every second column and row; luma changes at every pixel.
    const auto pattern = [](int, int x, int y) {
        return YccSample{static_cast<std::uint8_t>(40 + x + y),
                         static_cast<std::uint8_t>(120 + 10 * (x / 2 % 5)),
                         static_cast<std::uint8_t>(100 + 20 * (y / 2 % 4))};
    };
    const auto pack = openPack(makePhotoCdPack(0, pattern, 1));
    pcd::Picture picture;
    ASSERT_EQ(pack->decode(pcd::kBase16, pcd::Output::Colour24, picture), pcd::Status::Ok);
    ASSERT_EQ(picture.width, 192);
    ASSERT_EQ(picture.height, 128);
    EXPECT_EQ(picture.bitsPerPixel, 24);
    EXPECT_EQ(picture.rowBytes, 576u);
    for (const auto& [x, y] : {std::pair{0, 0}, {1, 1}, {2, 0}, {3, 5}, {191, 127}, {100, 64}}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        const YccSample chroma = pattern(1, x / 2 * 2, y / 2 * 2);
        const auto rgb = expectedRgb(pattern(1, x, y).y, chroma.c1, chroma.c2);
        const std::uint8_t* p = pixel(picture, x, y);
        EXPECT_EQ(p[2], rgb[0]);
        EXPECT_EQ(p[1], rgb[1]);
        EXPECT_EQ(p[0], rgb[2]);
    }
}

TEST(PhotoCdPack, BrightLumaIsClampedToWhite) {
    const auto pack = openPack(makePhotoCdPack(
        0,
        [](int, int x, int) {
            return YccSample{static_cast<std::uint8_t>(x), 156, 137};
        },
        1));
    pcd::Picture picture;
    ASSERT_EQ(pack->decode(pcd::kBase16, pcd::Output::Colour24, picture), pcd::Status::Ok);
    EXPECT_EQ(pixel(picture, 100, 0)[0], 136); // 1.3584 x 100
    EXPECT_EQ(pixel(picture, 190, 0)[1], 255); // 258 clamped
}

TEST(PhotoCdPack, TurnsThePictureAsItsOrientationSays) {
    const auto upright = openPack(makePhotoCdPack(0, lumaPattern, 1));
    pcd::Picture landscape;
    ASSERT_EQ(upright->decode(pcd::kBase16, pcd::Output::Grey8, landscape), pcd::Status::Ok);
    const int w = landscape.width;
    const int h = landscape.height;
    struct Case {
        std::uint8_t turns;
        std::function<std::pair<int, int>(int, int)> source; // landscape pixel of (x, y)
    } const cases[] = {
        {1,
         [&](int x, int y) {
             return std::pair{w - 1 - y, x};
         }},
        {2,
         [&](int x, int y) {
             return std::pair{w - 1 - x, h - 1 - y};
         }},
        {3,
         [&](int x, int y) {
             return std::pair{y, h - 1 - x};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.turns});
        const auto pack = openPack(makePhotoCdPack(c.turns, lumaPattern, 1));
        pcd::Picture turned;
        ASSERT_EQ(pack->decode(pcd::kBase16, pcd::Output::Grey8, turned), pcd::Status::Ok);
        ASSERT_EQ(turned.width, c.turns == 2 ? w : h);
        ASSERT_EQ(turned.height, c.turns == 2 ? h : w);
        int mismatches = 0;
        for (int y = 0; y < turned.height; ++y)
            for (int x = 0; x < turned.width; ++x) {
                const auto [sx, sy] = c.source(x, y);
                mismatches += *pixel(turned, x, y) != *pixel(landscape, sx, sy);
            }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(PhotoCdPack, EightBitOutputsCarryTheirPalettes) {
    const auto pattern = [](int, int x, int) {
        // Pure red, then neutral grey.
        return x < 96 ? YccSample{76, 100, 230} : YccSample{100, 156, 137};
    };
    const auto pack = openPack(makePhotoCdPack(0, pattern, 2));
    pcd::Picture grey;
    ASSERT_EQ(pack->decode(pcd::kBase4, pcd::Output::Grey8, grey), pcd::Status::Ok);
    EXPECT_EQ(grey.width, 384);
    EXPECT_EQ(grey.bitsPerPixel, 8);
    EXPECT_EQ(*pixel(grey, 200, 10), 136);
    EXPECT_EQ(grey.colours[136].rgbRed, 136);
    EXPECT_EQ(grey.colours[136].rgbBlue, 136);

    pcd::Picture colour;
    ASSERT_EQ(pack->decode(pcd::kBase4, pcd::Output::Palette8, colour), pcd::Status::Ok);
    const auto palette = pcd::palette332();
    for (const auto& [x, expected] :
         {std::pair{10, expectedRgb(76, 100, 230)}, {200, expectedRgb(100, 156, 137)}}) {
        const RGBQUAD shown = colour.colours[*pixel(colour, x, 10)];
        EXPECT_EQ(shown.rgbRed, palette[*pixel(colour, x, 10)].rgbRed);
        // The nearest of 8 reds, 8 greens and 4 blues.
        EXPECT_LE(std::abs(shown.rgbRed - expected[0]), 255 / 7 / 2 + 1);
        EXPECT_LE(std::abs(shown.rgbGreen - expected[1]), 255 / 7 / 2 + 1);
        EXPECT_LE(std::abs(shown.rgbBlue - expected[2]), 255 / 3 / 2 + 1);
    }
}

TEST(PhotoCdPack, DamagedAndMissingPicturesFailWithTheirStatus) {
    std::unique_ptr<pcd::ImagePack> pack;
    std::vector<std::uint8_t> unsigned_(4096, 0);
    EXPECT_EQ(pcd::ImagePack::openBytes(unsigned_, pack), pcd::Status::NotPhotoCd);
    EXPECT_FALSE(pack);
    std::vector<std::uint8_t> signatureOnly(2048 + 7, 0);
    std::memcpy(signatureOnly.data() + 2048, "PCD_IPI", 7);
    EXPECT_EQ(pcd::ImagePack::openBytes(signatureOnly, pack), pcd::Status::Truncated);

    auto bytes = makePhotoCdPack(0x08, lumaPattern, 3);
    bytes.resize(bytes.size() - 1); // the last byte of Base is missing
    const auto cut = openPack(bytes);
    pcd::Picture picture;
    EXPECT_EQ(cut->decode(pcd::kBase, pcd::Output::Colour24, picture), pcd::Status::Truncated);
    EXPECT_TRUE(picture.pixels.empty());
    EXPECT_EQ(cut->decode(pcd::kBase4, pcd::Output::Colour24, picture), pcd::Status::Ok);
    EXPECT_EQ(cut->decode(pcd::kBase + 1, pcd::Output::Colour24, picture),
              pcd::Status::NotStoredPlain);
    EXPECT_EQ(cut->decode(pcd::kBase + 2, pcd::Output::Colour24, picture),
              pcd::Status::NotStoredPlain);
    for (const int missing : {0, 6, 7, -1})
        EXPECT_EQ(cut->decode(missing, pcd::Output::Colour24, picture), pcd::Status::NotAvailable);
}

TEST(PhotoCdPack, OpensAPackAtAnOffsetOfAFile) {
    const kfm::test::TempDir dir;
    auto bytes = std::vector<std::uint8_t>(100, 0xAB);
    const auto pack = makePhotoCdPack(1, lumaPattern, 1);
    bytes.insert(bytes.end(), pack.begin(), pack.end());
    ASSERT_TRUE(kfm::test::writeFileBytes(dir.file("inside.bin"), bytes));
    std::unique_ptr<pcd::ImagePack> opened;
    EXPECT_EQ(pcd::ImagePack::openFile(dir.file("inside.bin"), 0, opened), pcd::Status::NotPhotoCd);
    ASSERT_EQ(pcd::ImagePack::openFile(dir.file("inside.bin"), 100, opened), pcd::Status::Ok);
    EXPECT_EQ(opened->quarterTurns(), 1);
    pcd::Picture picture;
    EXPECT_EQ(opened->decode(pcd::kBase16, pcd::Output::Grey8, picture), pcd::Status::Ok);
    EXPECT_EQ(pcd::ImagePack::openFile(dir.file("missing.pcd"), 0, opened),
              pcd::Status::CannotOpen);
    EXPECT_EQ(pcd::ImagePack::openFile(dir.file("inside.bin"), 1 << 30, opened),
              pcd::Status::CannotOpen);
}

TEST(PhotoCdResolutionDialog, GroupsDigitsInThrees) {
    const std::pair<std::int64_t, const char*> cases[] = {{0, "0"},
                                                          {999, "999"},
                                                          {1000, "1 000"},
                                                          {1179648, "1 179 648"},
                                                          {-12345, "-12 345"},
                                                          {1234567890123, "234 567 890 123"}};
    for (const auto& [count, text] : cases)
        EXPECT_EQ(pcd::groupDigits(count), text);
}

pcd::ResolutionDialogTexts texts() {
    return {"Default (%d x %d)", "%d x %d", "Memory: %s bytes"};
}

TEST(PhotoCdResolutionDialog, ShowsThePacksResolutionsAndTheDefaultsMemory) {
    pcd::ResolutionDialogBlock block;
    block.portrait = 1;
    pcd::ResolutionDialog dialog(block, 0x3E, texts());
    EXPECT_EQ(dialog.defaultText(), "Default (512 x 768)");
    EXPECT_EQ(dialog.entries(), (std::vector<std::string>{"128 x 192", "256 x 384", "512 x 768",
                                                          "1024 x 1536", "2048 x 3072"}));
    EXPECT_EQ(dialog.selectedEntry(), 2); // Base
    EXPECT_EQ(block.slots[0], 1);
    EXPECT_EQ(block.slots[4], 5);
    EXPECT_FALSE(dialog.choosing());
    EXPECT_EQ(dialog.memoryText(), "Memory: 1 179 648 bytes");
}

TEST(PhotoCdResolutionDialog, OkGivesTheChosenResolutionAndDepth) {
    struct Case {
        bool choose;
        int entry;
        int depth;
        int resolution;
        int chosenDepth;
        const char* memory;
    } const cases[] = {
        {false, 0, 8, 8, 24, "Memory: 1 179 648 bytes"}, // the default ignores the controls
        {true, 0, 24, 2, 24, "Memory: 73 728 bytes"},    // Base/16 in colour
        {true, 1, 8, 4, 8, "Memory: 98 304 bytes"},      // Base/4 with 256 colours
        {true, 3, 9, 16, 9, "Memory: 1 572 864 bytes"},  // 4Base in grey: 8 bits
        {true, 9, 24, 8, 24, "Memory: 1 179 648 bytes"}, // no such entry: Base stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.memory);
        pcd::ResolutionDialogBlock block;
        pcd::ResolutionDialog dialog(block, 0x1E, texts());
        if (c.choose)
            dialog.chooseResolution();
        dialog.selectEntry(c.entry);
        dialog.setDepth(c.depth);
        EXPECT_EQ(dialog.memoryText(), c.memory);
        dialog.accept();
        EXPECT_EQ(block.resolution, c.resolution);
        EXPECT_EQ(block.depth, c.chosenDepth);
    }
}

TEST(PhotoCdResolutionDialog, TranslationsWithStrayPlaceholdersAreFilledSafely) {
    pcd::ResolutionDialogBlock block;
    pcd::ResolutionDialog dialog(block, 0x0E, {"%s %s %s %n%%", "%d", "%d %d"});
    EXPECT_EQ(dialog.defaultText(), "768 512  %");
    EXPECT_EQ(dialog.entries().front(), "192");
    EXPECT_EQ(dialog.memoryText(), "1 179 648 ");
}

TEST(PhotoCdResolutionDialog, WithoutAHostTheDialogIsCancelled) {
    pcd::ResolutionDialogBlock block;
    pcd::ResolutionDialog dialog(block, 0x0E, texts());
    EXPECT_EQ(pcd::runResolutionDialog(nullptr, dialog), IDCANCEL);
    struct Host : pcd::ResolutionDialogHost {
        int run(HWND, pcd::ResolutionDialog& d) override {
            d.chooseResolution();
            d.selectEntry(0);
            return IDOK;
        }
    } host;
    pcd::setResolutionDialogHost(&host);
    EXPECT_EQ(pcd::runResolutionDialog(nullptr, dialog), IDOK);
    EXPECT_EQ(dialog.selectedEntry(), 0);
    pcd::setResolutionDialogHost(nullptr);
}

} // namespace
