#pragma once
// What the noise library's tests share: grids written out as text, and the golden grids kept in
// tests/data/plugins/noise. Regenerate the goldens with KFM_WRITE_GOLDEN=<folder> after a
// deliberate change, and read them before committing.

#include "Grid.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace kfm::noise::test {

// One line per row, the cells separated by spaces.
inline std::string describeGrid(const CGrid& grid) {
    std::ostringstream text;
    for (int y = 0; y < grid.height(); ++y) {
        for (int x = 0; x < grid.width(); ++x)
            text << (x ? " " : "") << grid.get(x, y);
        text << '\n';
    }
    return text.str();
}

// Compares the grid with tests/data/plugins/noise/<name>.txt, or writes it there.
inline void expectGoldenGrid(const std::string& name, const CGrid& grid) {
    const std::string picture = describeGrid(grid);
    if (const char* folder = std::getenv("KFM_WRITE_GOLDEN")) {
        std::ofstream(std::string(folder) + "/" + name + ".txt") << picture;
        GTEST_SKIP() << "written";
    }
    std::ifstream in(kfm::test::testDataPath("plugins/noise/" + name + ".txt"));
    ASSERT_TRUE(in) << name;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(picture, expected.str()) << name;
}

inline std::unique_ptr<CGrid> makeGrid(int width, int height, std::int32_t fill = 0) {
    auto grid = CGrid::create(width, height);
    if (grid)
        grid->fill(fill);
    return grid;
}

// Cells from a formula of the position.
template <typename F> std::unique_ptr<CGrid> gridOf(int width, int height, F value) {
    auto grid = CGrid::create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            grid->set(x, y, value(x, y));
    return grid;
}

inline bool sameCells(const CGrid& a, const CGrid& b) {
    return a.width() == b.width() && a.height() == b.height() && describeGrid(a) == describeGrid(b);
}

} // namespace kfm::noise::test
