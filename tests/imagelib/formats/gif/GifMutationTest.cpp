// Damaged variants of real files, made by a fixed-seed mutator (flipped bytes, truncation,
// repeated spans), go through the whole load road: the file information and the multi-frame
// load either fail cleanly or give a chain whose frames can be read and freed. Run under the
// sanitizers, this catches reads and writes outside buffers on roads the fuzz target does not
// reach (codec context, row callbacks, object records, the chain).

#include "FileInfo.h"
#include "FrameChain.h"
#include "FrameInfoSupport.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "MultiFrameFiles.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> mutate(std::vector<std::uint8_t> bytes, std::mt19937& random) {
    if (bytes.empty())
        return bytes;
    std::uniform_int_distribution<std::size_t> at(0, bytes.size() - 1);
    switch (random() % 4) {
    case 0: // a few flipped bytes
        for (int i = 0, n = 1 + static_cast<int>(random() % 8); i < n; ++i)
            bytes[at(random)] = static_cast<std::uint8_t>(random());
        break;
    case 1: // cut short
        bytes.resize(at(random));
        break;
    case 2: { // a span repeated further on
        const std::size_t from = at(random);
        const std::size_t length = std::min<std::size_t>(1 + random() % 64, bytes.size() - from);
        const std::size_t to = at(random);
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(to),
                     bytes.begin() + static_cast<std::ptrdiff_t>(from),
                     bytes.begin() + static_cast<std::ptrdiff_t>(from + length));
        break;
    }
    default: // one byte set to an extreme value
        bytes[at(random)] = (random() & 1) ? 0x00 : 0xFF;
        break;
    }
    return bytes;
}

void readChain(KpxHandle chain) {
    const int frames = KPXGetImageFramesNum(chain);
    for (int i = 0; i < frames; ++i) {
        const KpxHandle frame = KPXGetImageFramesImage(chain, i);
        FrameInfo info{};
        ASSERT_EQ(KPXGetImageFramesInfo(frame, &info), 1);
        kfm::test::freeFrameInfo(info);
        // Every pixel byte of a frame is readable.
        const std::uint8_t* bits = KPXGetBits(frame);
        unsigned sum = 0;
        for (DWORD k = 0; k < KPXSizeImage(frame); ++k)
            sum += bits[k];
        (void)sum;
    }
}

TEST(GifMutation, DamagedVariantsLoadOrFailCleanly) {
    std::vector<std::filesystem::path> sources;
    for (const char* folder : {"gif/peers", "gif/pillow"})
        for (const auto& entry :
             std::filesystem::directory_iterator(kfm::test::testDataPath(folder)))
            if (entry.path().extension() == ".gif" && entry.file_size() < 64 * 1024)
                sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    ASSERT_FALSE(sources.empty());

    kfm::test::TempDir dir;
    const std::string path = dir.file("mutated.gif");
    const int live = KpxLiveImageCount();
    std::mt19937 random(20261210);
    for (const auto& source : sources) {
        const std::vector<std::uint8_t> original = kfm::test::readFileBytes(source);
        for (int round = 0; round < 24; ++round) {
            const std::vector<std::uint8_t> bytes = mutate(original, random);
            ASSERT_TRUE(kfm::test::writeFileBytes(path, bytes));
            SCOPED_TRACE(source.filename().string() + " round " + std::to_string(round));
            KpxFileInfo info{};
            KPXGetInfoFile(path.c_str(), &info);
            const KpxHandle chain = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
            if (chain > 0) {
                readChain(chain);
                KPXDeleteImage(chain);
            }
            ASSERT_EQ(KpxLiveImageCount(), live) << "no image left behind";
        }
    }
}

} // namespace
