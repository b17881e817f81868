// The image processing layer on plain buffers: which descriptions it takes, pictures stored
// top-down and bottom-up giving the same picture, regions of interest, and 1-bit rows whose
// bits outside the work area stay as they were.

#include "ipl/IplArithmetic.h"
#include "ipl/IplFilters.h"
#include "ipl/IplGeometry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using kfm::ipl::Image;
using kfm::ipl::Rect;
using kfm::ipl::Status;

// An 8-bit one-channel picture in a buffer of its own, stored in either order of rows, with
// rows padded to 4 bytes.
struct Buffer {
    std::vector<std::uint8_t> bytes;
    Image image;

    Buffer(const std::vector<std::string>& rows, bool bottomUp) {
        image.channels = 1;
        image.bitsPerChannel = 8;
        image.width = static_cast<int>(rows.front().size());
        image.height = static_cast<int>(rows.size());
        image.rowBytes = (image.width + 3) / 4 * 4;
        image.bottomUp = bottomUp;
        bytes.assign(image.rowBytes * image.height, 0xEE);
        image.data = bytes.data();
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                *at(x, y) = static_cast<std::uint8_t>(rows[y][x]);
    }
    std::uint8_t* at(int x, int y) {
        const int stored = image.bottomUp ? image.height - 1 - y : y;
        return bytes.data() + stored * image.rowBytes + x;
    }
    std::vector<std::string> picture() {
        std::vector<std::string> rows;
        for (int y = 0; y < image.height; ++y) {
            std::string row;
            for (int x = 0; x < image.width; ++x)
                row += static_cast<char>(*at(x, y));
            rows.push_back(row);
        }
        return rows;
    }
};

const std::vector<std::string> kF = {"####", "#...", "###.", "#...", "#..."};

TEST(IplLayer, TakesOnlyDescriptionsItCanWorkOn) {
    Buffer good(kF, true);
    EXPECT_TRUE(kfm::ipl::isUsable(good.image));
    auto changed = [&](auto change) {
        Image image = good.image;
        change(image);
        return kfm::ipl::isUsable(image);
    };
    EXPECT_FALSE(changed([](Image& i) { i.channels = 2; }));
    EXPECT_FALSE(changed([](Image& i) { i.bitsPerChannel = 4; }));
    EXPECT_FALSE(changed([](Image& i) { i.channels = 3, i.bitsPerChannel = 1; }));
    EXPECT_FALSE(changed([](Image& i) { i.width = 0; }));
    EXPECT_FALSE(changed([](Image& i) { i.height = -1; }));
    EXPECT_FALSE(changed([](Image& i) { i.width = kfm::ipl::kMaxSide + 1; }));
    EXPECT_FALSE(changed([](Image& i) { i.rowBytes = 3; }));
    EXPECT_FALSE(changed([](Image& i) { i.data = nullptr; }));
    EXPECT_FALSE(changed([](Image& i) { i.roi = Rect{1, 1, 4, 1}; }));
    EXPECT_FALSE(changed([](Image& i) { i.roi = Rect{0, 0, 0, 1}; }));
    EXPECT_FALSE(changed([](Image& i) { i.roi = Rect{-1, 0, 1, 1}; }));
    EXPECT_TRUE(changed([](Image& i) { i.roi = Rect{3, 4, 1, 1}; }));
}

TEST(IplLayer, BothOrdersOfRowsGiveTheSamePictures) {
    const double turn[4][2] = {{5, 0}, {5, 4}, {0, 4}, {0, 0}};
    for (bool bottomUp : {false, true}) {
        Buffer source(kF, bottomUp);
        Buffer turned(std::vector<std::string>(4, "....."), bottomUp);
        ASSERT_EQ(kfm::ipl::warpPerspectiveQ(source.image, turned.image, turn, kfm::ipl::kNearest),
                  Status::Ok);
        EXPECT_EQ(turned.picture(), (std::vector<std::string>{"#####", "..#.#", "..#.#", "....#"}))
            << bottomUp;
        Buffer rotated(std::vector<std::string>(5, "...."), bottomUp);
        ASSERT_EQ(kfm::ipl::rotate(source.image, rotated.image, 180, 3, 4, kfm::ipl::kNearest),
                  Status::Ok);
        EXPECT_EQ(rotated.picture(),
                  (std::vector<std::string>{"...#", "...#", ".###", "...#", "####"}))
            << bottomUp;
        Buffer spread({"...", ".d.", "..."}, bottomUp);
        Buffer out({"...", "...", "..."}, bottomUp);
        ASSERT_EQ(kfm::ipl::maxFilter(spread.image, out.image, {1, 2, 0, 0}), Status::Ok);
        EXPECT_EQ(out.picture(), (std::vector<std::string>{".d.", ".d.", "..."})) << bottomUp;
    }
}

TEST(IplLayer, RegionsOfInterestCountFromThePicturesTopLeft) {
    Buffer image({"abcd", "efgh", "ijkl"}, true);
    Image from = image.image;
    from.roi = Rect{0, 0, 2, 1}; // "ab"
    Image to = image.image;
    to.roi = Rect{2, 2, 2, 1}; // "kl"
    ASSERT_EQ(kfm::ipl::mirror(from, to, 1), Status::Ok);
    EXPECT_EQ(image.picture(), (std::vector<std::string>{"abcd", "efgh", "ijba"}));
    // Overlapping source and destination in one buffer: the source is read before it changes.
    Image left = image.image;
    left.roi = Rect{0, 0, 2, 3};
    Image shifted = image.image;
    shifted.roi = Rect{1, 0, 2, 3};
    ASSERT_EQ(kfm::ipl::resize(left, shifted, 1, 1, 1, 1, kfm::ipl::kNearest), Status::Ok);
    EXPECT_EQ(image.picture(), (std::vector<std::string>{"aabd", "eefh", "iija"}));
}

TEST(IplLayer, OneBitWorkAreasLeaveTheOtherBitsAlone) {
    // Ten pixels a row in a 4-byte row: bits 10 to 31 are padding, set here to catch a write.
    std::vector<std::uint8_t> bytes = {0xF0, 0x3F, 0xFF, 0xFF, 0x0F, 0x3F, 0xFF, 0xFF};
    Image image;
    image.channels = 1;
    image.bitsPerChannel = 1;
    image.width = 10;
    image.height = 2;
    image.rowBytes = 4;
    image.data = bytes.data();
    image.roi = Rect{2, 0, 4, 2};
    ASSERT_EQ(kfm::ipl::bitwiseNot(image, image), Status::Ok);
    // Pixels 2..5 of both rows flip; pixels 0, 1, 6.. and the padding keep their bits.
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xCC, 0x3F, 0xFF, 0xFF, 0x33, 0x3F, 0xFF, 0xFF}));
}

TEST(IplLayer, RefusesMismatchedLayoutsAndSizes) {
    Buffer a(kF, true);
    Buffer wide({"#####"}, true);
    Image bits = a.image;
    bits.bitsPerChannel = 1;
    EXPECT_EQ(kfm::ipl::mirror(a.image, wide.image, 1), Status::BadArgument);
    EXPECT_EQ(kfm::ipl::mirror(a.image, bits, 1), Status::BadArgument);
    EXPECT_EQ(kfm::ipl::blur(a.image, a.image, {3, 3, 1, 3}), Status::BadArgument);
    EXPECT_EQ(kfm::ipl::add(a.image, wide.image, a.image), Status::BadArgument);
    EXPECT_EQ(kfm::ipl::resize(a.image, wide.image, 1, 0, 1, 1, 0), Status::BadArgument);
    EXPECT_EQ(a.picture(), kF);
}

} // namespace
