#include "Grid.h"

#include "NoiseTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace kfm::noise {
namespace {

using test::gridOf;
using test::makeGrid;

TEST(GridTest, RefusesSidesBelowOne) {
    EXPECT_EQ(CGrid::create(0, 5), nullptr);
    EXPECT_EQ(CGrid::create(5, 0), nullptr);
    EXPECT_EQ(CGrid::create(-1, 3), nullptr);
    EXPECT_EQ(CGrid::createResized(0, 1, CGrid()), nullptr);
}

TEST(GridTest, SafeGetGivesZeroOutsideAndSafeSetIgnoresWritesThere) {
    auto grid = gridOf(3, 2, [](int x, int y) { return 10 * y + x + 1; });
    const std::string before = test::describeGrid(*grid);
    const std::array<std::pair<int, int>, 6> outside = {
        {{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {3, 2}, {-100000, 100000}}};
    for (const auto& [x, y] : outside) {
        EXPECT_EQ(grid->safeGet(x, y), 0) << x << "," << y;
        grid->safeSet(x, y, 77);
    }
    EXPECT_EQ(test::describeGrid(*grid), before);
    EXPECT_EQ(grid->safeGet(2, 1), 13);
    grid->safeSet(2, 1, -5);
    EXPECT_EQ(grid->get(2, 1), -5);
}

TEST(GridTest, RowsCopyToAndFromBuffers) {
    auto grid = makeGrid(4, 3);
    const std::vector<std::int32_t> row = {1, -2, 3, 0x7FFFFFFF};
    grid->writeRow(1, row);
    std::vector<std::int32_t> back(4, 9);
    grid->readRow(1, back);
    EXPECT_EQ(back, row);
    EXPECT_EQ(grid->get(3, 1), 0x7FFFFFFF);
    EXPECT_EQ(grid->get(0, 0), 0);
    EXPECT_EQ(grid->get(0, 2), 0);
}

TEST(GridTest, CopiesAndResizedCopiesKeepTheOverlap) {
    auto source = gridOf(3, 3, [](int x, int y) { return 3 * y + x; });
    auto copy = CGrid::createCopy(*source);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(test::sameCells(*copy, *source));

    auto smaller = CGrid::createResized(2, 2, *source);
    ASSERT_TRUE(smaller);
    EXPECT_EQ(test::describeGrid(*smaller), "0 1\n3 4\n");

    auto larger = CGrid::createResized(5, 4, *source);
    ASSERT_TRUE(larger);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(larger->get(x, y), 3 * y + x);
}

TEST(GridTest, AssignTakesSizeAndCellsOrBecomesUniform) {
    auto grid = makeGrid(2, 2, 1);
    auto source = gridOf(5, 3, [](int x, int y) { return x * y; });
    EXPECT_TRUE(grid->assign(*source));
    EXPECT_TRUE(test::sameCells(*grid, *source));

    EXPECT_TRUE(grid->assign(CGrid()));
    EXPECT_TRUE(grid->isUniform());
    EXPECT_EQ(grid->width(), 0);
    EXPECT_EQ(grid->row(0), nullptr);
    EXPECT_EQ(grid->safeGet(0, 0), 0);
}

TEST(GridTest, AUniformGridReadsItsFillValueAndIgnoresWrites) {
    CGrid uniform;
    EXPECT_TRUE(uniform.isUniform());
    uniform.set(0, 0, 5);
    uniform.fill(9);
    EXPECT_EQ(uniform.get(0, 0), uniform.fillValue());
    auto copy = CGrid::createCopy(uniform);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isUniform());
}

TEST(GridTest, AMovedFromGridIsEmpty) {
    auto grid = makeGrid(3, 2, 4);
    CGrid taken = std::move(*grid);
    EXPECT_EQ(taken.get(2, 1), 4);
    EXPECT_TRUE(grid->isUniform());
    EXPECT_EQ(grid->width(), 0);
    EXPECT_EQ(grid->height(), 0);
}

// Frames wider or taller than 2048 get a field of their own size: no row limit.
TEST(GridTest, GridsGrowBeyondTwoThousandFortyEightRowsAndColumns) {
    auto grid = CGrid::create(3000, 2600);
    ASSERT_TRUE(grid);
    grid->set(2999, 2599, 42);
    grid->set(2100, 2500, 43);
    EXPECT_EQ(grid->safeGet(2999, 2599), 42);
    EXPECT_EQ(grid->get(2100, 2500), 43);
}

TEST(GridTest, PaintsCellsAsColoursClippedToTheImage) {
    auto grid = makeGrid(3, 2);
    grid->set(0, 0, 0x000000FF); // red
    grid->set(1, 0, 0x0000FF00); // green
    grid->set(2, 0, 0x00FF0000); // blue
    grid->set(0, 1, 0x7F102030); // the top byte is no part of the colour
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888}) {
        QImage image(2, 3, format);
        image.fill(Qt::white);
        grid->paint(image);
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0)) << format;
        EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 0)) << format;
        EXPECT_EQ(image.pixel(0, 1), qRgb(0x30, 0x20, 0x10)) << format;
        EXPECT_EQ(image.pixel(0, 2), qRgb(255, 255, 255)) << format;
    }
}

} // namespace
} // namespace kfm::noise
