// The IPL arithmetic and logic wrappers: values cut to the depth's range, bits of 1-bit images,
// and images that do not match refused.

#include "DrawnPictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

using kfm::test::getIndex;
using kfm::test::kF;
using kfm::test::makePicture;
using kfm::test::OwnedImage;
using kfm::test::Picture;
using kfm::test::readPicture;
using kfm::test::setIndex;
using kfm::test::shown;

namespace {

// A one-row 8-bit image of the given values.
KpxHandle levels(const std::vector<int>& values) {
    const KpxHandle image = KPXCreateImage(static_cast<int>(values.size()), 1, 8);
    for (std::size_t x = 0; x < values.size(); ++x)
        setIndex(image, static_cast<int>(x), 0, values[x]);
    return image;
}

std::vector<int> levelsOf(KpxHandle image) {
    std::vector<int> out;
    for (int x = 0; x < KPXWidth(image); ++x)
        out.push_back(getIndex(image, x, 0));
    return out;
}

const std::vector<int> kA = {0, 10, 100, 200, 255};
const std::vector<int> kB = {5, 10, 99, 100, 255};

struct ArithmeticCase {
    const char* name;
    std::function<int(KpxHandle a, KpxHandle b, KpxHandle dst)> run;
    std::vector<int> expected;
};

const ArithmeticCase kArithmetic[] = {
    {"add a constant",
     [](KpxHandle a, KpxHandle, KpxHandle d) { return IPLAddS(a, d, 100); },
     {100, 110, 200, 255, 255}},
    {"subtract a constant",
     [](KpxHandle a, KpxHandle, KpxHandle d) { return IPLSubtractS(a, d, 50, 0); },
     {0, 0, 50, 150, 205}},
    {"subtract from a constant",
     [](KpxHandle a, KpxHandle, KpxHandle d) { return IPLSubtractS(a, d, 150, 1); },
     {150, 140, 50, 0, 0}},
    {"multiply by a constant",
     [](KpxHandle a, KpxHandle, KpxHandle d) { return IPLMultiplyS(a, d, 2); },
     {0, 20, 200, 255, 255}},
    {"add", IPLAdd, {5, 20, 199, 255, 255}},
    {"subtract", IPLSubtract, {0, 0, 1, 100, 0}},
    {"and", IPLAnd, {0 & 5, 10 & 10, 100 & 99, 200 & 100, 255}},
    {"xor", IPLXor, {0 ^ 5, 0, 100 ^ 99, 200 ^ 100, 0}},
    {"not",
     [](KpxHandle a, KpxHandle, KpxHandle d) { return IPLNot(a, d); },
     {255, 245, 155, 55, 0}},
    {"threshold at 100",
     [](KpxHandle a, KpxHandle, KpxHandle d) { return IPLThreshold(a, d, 100); },
     {0, 0, 255, 255, 255}},
    {"threshold at 0",
     [](KpxHandle a, KpxHandle, KpxHandle d) { return IPLThreshold(a, d, 0); },
     {255, 255, 255, 255, 255}},
    {"threshold above 255",
     [](KpxHandle a, KpxHandle, KpxHandle d) { return IPLThreshold(a, d, 256); },
     {0, 0, 0, 0, 0}},
};

TEST(IplArithmetic, GreyLevelsAreCutToTheirRangeIntoAnotherImageAndInPlace) {
    for (const ArithmeticCase& c : kArithmetic) {
        OwnedImage a(levels(kA));
        OwnedImage b(levels(kB));
        OwnedImage d(levels({1, 1, 1, 1, 1}));
        ASSERT_EQ(c.run(a, b, d), 1) << c.name;
        EXPECT_EQ(levelsOf(d), c.expected) << c.name;
        ASSERT_EQ(c.run(a, b, a), 1) << c.name;
        EXPECT_EQ(levelsOf(a), c.expected) << c.name << " in place";
    }
}

TEST(IplArithmetic, OneBitPicturesWorkOnTheirBits) {
    OwnedImage f(makePicture(kF, 1));
    OwnedImage bar(makePicture({"#...", "#...", "#...", "#...", "#..."}, 1));
    OwnedImage out(KPXCreateImage(4, 5, 1));
    ASSERT_EQ(IPLNot(f, out), 1);
    EXPECT_EQ(shown(readPicture(out)), shown({"....", ".###", "...#", ".###", ".###"}));
    ASSERT_EQ(IPLXor(f, bar, out), 1);
    EXPECT_EQ(shown(readPicture(out)), shown({".###", "....", ".##.", "....", "...."}));
    ASSERT_EQ(IPLAnd(f, bar, out), 1);
    EXPECT_EQ(shown(readPicture(bar)), shown(readPicture(out)));
    ASSERT_EQ(IPLThreshold(f, out, 1), 1);
    EXPECT_EQ(shown(readPicture(out)), shown(kF));
}

TEST(IplArithmetic, NegatingTwiceGivesBackEveryByteOfTheRows) {
    // The padding of 1-bit rows (here 4 pixels in a 32-bit row) is not pixels and stays put.
    OwnedImage f(makePicture(kF, 1));
    std::memset(KPXGetBits(f) + 1, 0x5A, 3);
    const std::vector<std::uint8_t> before(KPXGetBits(f), KPXGetBits(f) + KPXSizeImage(f));
    ASSERT_EQ(IPLNot(f, f), 1);
    ASSERT_EQ(IPLNot(f, f), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(KPXGetBits(f), KPXGetBits(f) + KPXSizeImage(f)), before);
}

TEST(IplArithmetic, RefusesImagesThatDoNotMatch) {
    OwnedImage a(levels(kA));
    OwnedImage shorter(levels({1, 2, 3}));
    OwnedImage colour(KPXCreateImage(5, 1, 24));
    OwnedImage nibbles(KPXCreateImage(5, 1, 4));
    OwnedImage d(levels({7, 7, 7, 7, 7}));
    EXPECT_EQ(IPLAdd(a, shorter, d), 0);
    EXPECT_EQ(IPLAdd(a, colour, d), 0);
    EXPECT_EQ(IPLAdd(a, a, colour), 0);
    EXPECT_EQ(IPLAnd(nibbles, nibbles, nibbles), 0);
    EXPECT_EQ(IPLXor(a, 0, d), 0);
    EXPECT_EQ(IPLNot(a, shorter), 0);
    EXPECT_EQ(IPLThreshold(0, d, 3), 0);
    EXPECT_EQ(IPLAddS(a, colour, 3), 0);
    EXPECT_EQ(levelsOf(d), (std::vector<int>{7, 7, 7, 7, 7}));
}

} // namespace
