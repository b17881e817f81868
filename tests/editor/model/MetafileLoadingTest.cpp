#include "MetafileLoading.h"

#include "metafile/WinMetafile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::uint8_t> dataFile(const char* name) {
    return kfm::test::readFileBytes(kfm::test::testDataPath(std::string("metafile/") + name));
}

class MetafileLoading : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const auto path = folder_ / name;
        EXPECT_TRUE(kfm::test::writeFileBytes(path, bytes));
        return path;
    }
    std::filesystem::path folder_ = [] {
        auto p = std::filesystem::temp_directory_path() /
                 ("metafile-loading-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    ~MetafileLoading() override { std::filesystem::remove_all(folder_); }
};

// The placeable box and units come from the header; a plain WMF or an EMF takes its size from
// the frame; the extension decides the reading, in any case.
TEST_F(MetafileLoading, FillsTheRecordFromTheBoxOrTheFrame) {
    struct Case {
        const char* name;
        const char* source;
        int right, bottom, units;
    } cases[] = {
        {"drawing.wmf", "drawing.wmf", 1369, 1369, 1200},
        {"DRAWING.WMF", "drawing.wmf", 1369, 1369, 1200},
        {"drawing.emf", "drawing.emf", -1, -1, 0},
        {"drawing.pic", "drawing.emf", -1, -1, 0},
    };
    for (const Case& c : cases) {
        VectorObjectRecord record;
        ASSERT_EQ(LoadMetaFile(write(c.name, dataFile(c.source)).c_str(), &record), 1) << c.name;
        ASSERT_TRUE(record.metafile) << c.name;
        EXPECT_EQ(record.antialias, 1);
        EXPECT_EQ(record.unitsPerInch, c.units) << c.name;
        if (c.right >= 0) {
            EXPECT_EQ(record.sourceRight, c.right) << c.name;
            EXPECT_EQ(record.sourceBottom, c.bottom) << c.name;
        } else {
            int width = 0, height = 0;
            ASSERT_EQ(GetEnhMetaFileFrameSize(&width, &height, record.metafile.get()), 1);
            EXPECT_EQ(record.sourceRight, width) << c.name;
            EXPECT_GT(width, 0) << c.name;
        }
    }
}

// A WMF whose records cannot be converted fails even with a non-empty placeable box: no
// empty vector frame is reported as loaded.
TEST_F(MetafileLoading, UnconvertibleWmfWithAPlaceableBoxFails) {
    auto bytes = dataFile("drawing.wmf");
    bytes.resize(22 + 18 + 4); // the box and header stay, the records are cut
    std::memset(bytes.data() + 22, 0xEE, 4);
    VectorObjectRecord record;
    EXPECT_EQ(LoadMetaFile(write("cut.wmf", bytes).c_str(), &record), 0);
    EXPECT_FALSE(record.metafile);
    EXPECT_EQ(record.sourceRight, 0);
}

// A Windows metafile converts at the size of the box, whichever way round its corners are
// given; an empty box leaves the size to the records. The given metafile stays valid.
TEST(ConvertWinMetaFile, SizesTheEnhancedMetafileByTheBox) {
    auto bytes = dataFile("drawing.wmf");
    bytes.erase(bytes.begin(), bytes.begin() + 22);
    const HMETAFILE metafile = SetMetaFileBitsEx(UINT(bytes.size()), bytes.data());
    ASSERT_NE(metafile, nullptr);
    const auto frameOf = [&](int left, int top, int right, int bottom) {
        const OwnedMetafile converted(ConvertWinMetaFile(metafile, left, top, right, bottom));
        int width = 0, height = 0;
        EXPECT_TRUE(converted);
        if (converted)
            GetEnhMetaFileFrameSize(&width, &height, converted.get());
        return std::pair{width, height};
    };
    const auto [width, height] = frameOf(3000, 0, 100, 1500);
    EXPECT_NEAR(width, 2900, 30);
    EXPECT_NEAR(height, 1500, 30);
    EXPECT_EQ(frameOf(0, 1500, 2900, 0), frameOf(3000, 0, 100, 1500));
    const auto own = frameOf(5, 5, 5, 5);
    EXPECT_GT(own.first, 0);
    EXPECT_NE(own, frameOf(3000, 0, 100, 1500));
    EXPECT_EQ(GetMetaFileBitsEx(metafile, 0, nullptr), bytes.size());
    DeleteMetaFile(metafile);
    EXPECT_EQ(ConvertWinMetaFile(nullptr, 0, 0, 10, 10), nullptr);
}

TEST_F(MetafileLoading, MissingOrForeignFilesFail) {
    VectorObjectRecord record;
    EXPECT_EQ(LoadMetaFile((folder_ / "missing.wmf").c_str(), &record), 0);
    EXPECT_EQ(LoadMetaFile(write("text.emf", {'h', 'e', 'l', 'l', 'o'}).c_str(), &record), 0);
    EXPECT_FALSE(record.metafile);
}

} // namespace
