// Files written by other encoders: every image decodes here to the indices giflib gives, the
// pygif suite's single-image files decode to their expected pixels, and damaged files end cleanly.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "GifBlocks.h"
#include "GifLzw.h"
#include "GiflibOracle.h"
#include "TestSupport.h"

using namespace kpx::gif;
namespace giflib = kfm::test::giflib;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::vector<std::filesystem::path> gifsIn(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(kfm::test::testDataPath(folder)))
        if (e.path().extension() == ".gif")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

struct OurFrame {
    LzwDecodeResult result;
    Bytes indices;
};

OurFrame decodeFrame(const Bytes& file, const FrameLocation& f) {
    OurFrame frame;
    frame.indices.assign(std::size_t{f.width} * f.height, 0);
    frame.result = decodeLzwImage(
        std::span(file).subspan(f.dataStart, f.dataEnd - f.dataStart), f.minimumCodeSize, f.width,
        f.height, f.interlaced() ? RowOrder::Interlaced : RowOrder::Sequential, frame.indices);
    return frame;
}

// The [config] and frame0 keys of a pygif .conf file.
std::map<std::string, std::string> readConf(const std::filesystem::path& path) {
    std::map<std::string, std::string> keys;
    std::ifstream in(path);
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.starts_with("["))
            section = line;
        const auto eq = line.find(" = ");
        if (eq != std::string::npos && (section == "[config]" || section == "[frame0]"))
            keys[line.substr(0, eq)] = line.substr(eq + 3);
    }
    return keys;
}

} // namespace

TEST(GifCorpus, EveryImageDecodesToGiflibsIndices) {
    for (const std::string folder : {"gif/pygif", "gif/pillow"}) {
        for (const auto& path : gifsIn(folder)) {
            SCOPED_TRACE(path.filename().string());
            const Bytes file = kfm::test::readFileBytes(path);
            const auto theirs = giflib::slurp(file);
            if (!theirs)
                continue; // giflib rejects it; the damaged-file test covers such files
            const GifFileIndex index = scanGif(file);
            ASSERT_EQ(index.frames.size(), theirs->images.size());
            for (std::size_t i = 0; i < index.frames.size(); ++i) {
                const FrameLocation& f = index.frames[i];
                const giflib::Image& image = theirs->images[i];
                EXPECT_EQ(f.left, image.left);
                EXPECT_EQ(f.width, image.width);
                EXPECT_EQ(f.height, image.height);
                const OurFrame ours = decodeFrame(file, f);
                EXPECT_EQ(ours.indices, image.indices) << "image " << i;
            }
        }
    }
}

TEST(GifCorpus, PygifSingleImagesMatchTheirExpectedPixels) {
    int compared = 0;
    for (const auto& path : gifsIn("gif/pygif")) {
        auto conf = path;
        conf.replace_extension(".conf");
        if (!std::filesystem::exists(conf))
            continue;
        SCOPED_TRACE(path.filename().string());
        const auto keys = readConf(conf);
        const Bytes file = kfm::test::readFileBytes(path);
        const GifFileIndex index = scanGif(file);
        ASSERT_FALSE(index.frames.empty());
        EXPECT_EQ(index.description, keys.at("version"));
        EXPECT_EQ(std::to_string(index.screenWidth), keys.at("width"));
        const FrameLocation& f = index.frames[0];
        const Bytes expected = kfm::test::readFileBytes(path.parent_path() / keys.at("pixels"));
        // Only images that cover the screen without transparency map straight to the pixels;
        // code sizes above 8 (max-codes.gif uses 11) are refused here as giflib refuses them.
        if (f.minimumCodeSize > 8 || f.left != 0 || f.top != 0 || f.width != index.screenWidth ||
            f.height != index.screenHeight || f.control.transparent != kNoTransparency)
            continue;
        const OurFrame ours = decodeFrame(file, f);
        const auto palette = framePalette(file, index, f);
        Bytes rgba;
        for (std::uint8_t i : ours.indices)
            rgba.insert(rgba.end(),
                        {palette[3u * i], palette[3u * i + 1], palette[3u * i + 2], 255});
        EXPECT_EQ(rgba, expected);
        ++compared;
    }
    EXPECT_GE(compared, 10);
}

TEST(GifCorpus, DamagedFilesEndCleanly) {
    for (const auto& path : gifsIn("gif-damaged")) {
        SCOPED_TRACE(path.filename().string());
        const Bytes file = kfm::test::readFileBytes(path);
        std::vector<BlockEntry> list;
        const GifFileIndex index = scanGif(file, {.list = &list, .listCapacity = 64});
        EXPECT_LE(list.size(), 64u);
        for (const FrameLocation& f : index.frames) {
            if (std::size_t{f.width} * f.height > 1u << 22)
                continue;
            const OurFrame ours = decodeFrame(file, f);
            EXPECT_LE(ours.result.rowsDone, f.height);
        }
    }
}
