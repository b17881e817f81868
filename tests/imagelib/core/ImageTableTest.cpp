// Handle allocation, the permission word, reference counting and the release of linked images.

#include "ImageTable.h"
#include "ImageCreation.h"

#include "debug/DebugOutput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Deletes the images it holds at the end of a test, so tests leave the table as they found it.
class Images {
public:
    ~Images() {
        for (auto it = handles_.rbegin(); it != handles_.rend(); ++it)
            while (KpxFindImage(*it))
                KPXDeleteImage(*it);
    }
    KpxHandle add(KpxHandle h) {
        handles_.push_back(h);
        return h;
    }
    KpxHandle create(int w = 2, int h = 2, int depth = 8) {
        return add(KPXCreateImage(w, h, depth));
    }

private:
    std::vector<KpxHandle> handles_;
};

bool alive(KpxHandle h) {
    return KpxFindImage(h) != nullptr;
}

class ImageTableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(KpxLiveImageCount(), 0) << "an earlier test leaked images"; }
    void TearDown() override { EXPECT_EQ(KpxLiveImageCount(), 0); }
};

TEST_F(ImageTableTest, ReusesTheLowestFreeHandle) {
    const KpxHandle a = KPXCreateImage(2, 2, 8);
    const KpxHandle b = KPXCreateImage(2, 2, 8);
    const KpxHandle c = KPXCreateImage(2, 2, 8);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(c, 3);
    KPXDeleteImage(b);
    EXPECT_FALSE(alive(2));
    const KpxHandle d = KPXCreateImage(2, 2, 8);
    EXPECT_EQ(d, 2);
    // Freeing two gaps: the lower one comes back first.
    KPXDeleteImage(c);
    KPXDeleteImage(a);
    EXPECT_EQ(KPXCreateImage(1, 1, 1), 1);
    EXPECT_EQ(KPXCreateImage(1, 1, 1), 3);
    EXPECT_EQ(KPXCreateImage(1, 1, 1), 4);
    for (KpxHandle h : {1, 2, 3, 4})
        KPXDeleteImage(h);
}

TEST_F(ImageTableTest, HandlesBeyondTheTableAreFoundByTheListWalk) {
    std::vector<KpxHandle> handles;
    handles.reserve(kKpxHandleTableSize);
    for (int i = 1; i < kKpxHandleTableSize; ++i) {
        const KpxHandle h = KPXCreateImageFast(1, 1, 1, 0);
        ASSERT_EQ(h, i);
        handles.push_back(h);
    }
    const KpxHandle beyond = KPXCreateImage(3, 2, 24);
    EXPECT_EQ(beyond, 16384);
    const KpxHandle next = KPXCreateImage(1, 1, 8);
    EXPECT_EQ(next, 16385);
    EXPECT_EQ(KPXWidth(beyond), 3);
    EXPECT_EQ(KPXHeight(beyond), 2);
    ASSERT_NE(KpxFindImage(beyond), nullptr);
    EXPECT_EQ(KpxFindImage(beyond)->id, 16384);

    // A gap beyond the table is found again by the walk; a free table slot is preferred.
    KPXDeleteImage(beyond);
    EXPECT_FALSE(alive(16384));
    EXPECT_EQ(KPXCreateImage(1, 1, 8), 16384);
    KPXDeleteImage(handles[99]);
    EXPECT_EQ(KPXCreateImage(1, 1, 8), 100);

    KPXDeleteImage(16384);
    KPXDeleteImage(next);
    for (KpxHandle h : handles)
        KPXDeleteImage(h);
}

TEST_F(ImageTableTest, NewRecordsStartWithTheirDefaults) {
    Images images;
    const KpxHandle h = images.create(5, 4, 8);
    kpx::ImageLock r(h, kKpxRead);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->referenceCount, 1);
    EXPECT_EQ(r->loopCount, -1);
    EXPECT_EQ(r->transparencyCount, 0);
    EXPECT_EQ(r->nextFrame, 0);
    EXPECT_EQ(r->firstFrame, 0);
    EXPECT_EQ(r->maskImage, 0);
    EXPECT_EQ(r->derivedImage, 0);
    EXPECT_EQ(r->permission, kKpxRead);
}

TEST_F(ImageTableTest, UnknownHandlesAreRefused) {
    EXPECT_EQ(KpxLockImage(0, kKpxRead), nullptr);
    EXPECT_EQ(KpxLockImage(77, kKpxRead), nullptr);
    EXPECT_EQ(KpxLockImage(-5, kKpxRead), nullptr);
    EXPECT_EQ(KpxReleaseImage(77, 1), 0);
    EXPECT_EQ(KPXWidth(77), 0);
    EXPECT_EQ(KPXGetBits(77), nullptr);
    EXPECT_EQ(KPXDeleteImage(0), 0);
}

TEST_F(ImageTableTest, TwoReadersShareTheWord) {
    Images images;
    const KpxHandle h = images.create();
    KpxImageRecord* first = KpxLockImage(h, kKpxRead);
    ASSERT_NE(first, nullptr);
    std::atomic<bool> got{false};
    std::thread reader([&] {
        KpxImageRecord* second = KpxLockImage(h, kKpxRead);
        got = second == first;
    });
    reader.join();
    EXPECT_TRUE(got);
    EXPECT_EQ(KpxGetImagePermission(h, 0), kKpxRead);
    KpxUnlockImage(first, 0);
    EXPECT_EQ(KpxGetImagePermission(h, 0), kKpxRead); // the second reader is still in
    KpxUnlockImage(first, 0);
    EXPECT_EQ(KpxGetImagePermission(h, 0), kKpxFree);
}

TEST_F(ImageTableTest, WriterWaitsForAStuckReaderThenTakesTheImage) {
    Images images;
    const KpxHandle h = images.create();
    ASSERT_NE(KpxLockImage(h, kKpxRead), nullptr); // never unlocked: a stuck holder
    KpxImageRecord* taken = nullptr;
    Clock::duration waited{};
    std::thread writer([&] {
        const auto start = Clock::now();
        taken = KpxLockImage(h, kKpxWrite);
        waited = Clock::now() - start;
    });
    writer.join();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(KpxGetImagePermission(h, 0), kKpxWrite);
    EXPECT_GE(waited, std::chrono::seconds(2)); // about 3 s; only check that it did wait
    KpxUnlockImage(taken, 0);
}

TEST_F(ImageTableTest, WriterTakesTheImageOnceTheReaderLetsGo) {
    Images images;
    const KpxHandle h = images.create();
    KpxImageRecord* held = KpxLockImage(h, kKpxRead);
    ASSERT_NE(held, nullptr);
    std::atomic<bool> done{false};
    KpxImageRecord* taken = nullptr;
    std::thread writer([&] {
        taken = KpxLockImage(h, kKpxWrite);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done); // still waiting while the reader holds the word
    KpxUnlockImage(held, 0);
    writer.join();
    ASSERT_EQ(taken, held);
    EXPECT_EQ(KpxGetImagePermission(h, 1), kKpxWrite);
    EXPECT_EQ(KpxGetImagePermission(h, 0), kKpxFree);
}

TEST_F(ImageTableTest, SettingAHeldWordIsReported) {
    Images images;
    const KpxHandle h = images.create();
    KpxImageRecord* r = KpxLockImage(h, kKpxRead);
    kfm::debug::DebugCapture capture;
    KpxUnlockImage(r, kKpxWrite);
    EXPECT_NE(capture.text().find("KPX32: PERMISSION!!! ->>> IOSetPermission, old no NULL\n"),
              std::string::npos);
    EXPECT_EQ(KpxGetImagePermission(h, 0), kKpxWrite); // set all the same
    KpxUnlockImage(r, 0);
}

TEST_F(ImageTableTest, ReleasingALockedImageLeavesItIntact) {
    Images images;
    const KpxHandle h = images.create(7, 3, 24);
    KpxImageRecord* r = KpxLockImage(h, kKpxWrite);
    {
        kfm::debug::DebugCapture capture;
        EXPECT_EQ(KpxReleaseImage(h, 1), 0);
        EXPECT_EQ(capture.text(), "KPX32: PERMISSION!!! ->>> IODelete\n");
    }
    EXPECT_EQ(KpxFindImage(h), r);
    EXPECT_EQ(r->referenceCount, 1);
    EXPECT_NE(r->bits, nullptr);
    KpxUnlockImage(r, 0);
    EXPECT_EQ(KPXWidth(h), 7);
    EXPECT_EQ(KPXbpp(h), 24);
}

TEST_F(ImageTableTest, ReferenceKeepsTheImageAlive) {
    const KpxHandle h = KPXCreateImage(4, 4, 8);
    EXPECT_EQ(KPXCreateImageFrom(h, 1), h);
    EXPECT_EQ(KPXDeleteImage(h), 1);
    ASSERT_TRUE(alive(h));
    EXPECT_EQ(KPXWidth(h), 4);
    EXPECT_EQ(KpxFindImage(h)->referenceCount, 1);
    KPXDeleteImage(h);
    EXPECT_FALSE(alive(h));
}

// Builds a chain of three frames, each with a mask, the first also with an explicit
// transparency image and a derived (rotated) image, linked by hand.
struct ChainFixture {
    KpxHandle frames[3]{};
    KpxHandle masks[3]{};
    KpxHandle explicitImage = 0;
    KpxHandle derived = 0;
    KpxHandle derivedMask = 0;
    KpxHandle savedBackground = 0;

    ChainFixture() {
        for (int i = 0; i < 3; ++i) {
            frames[i] = KPXCreateImage(4, 4, 8);
            masks[i] = KPXCreateImage(4, 4, 1);
        }
        explicitImage = KPXCreateImage(4, 4, 8);
        derived = KPXCreateImage(4, 4, 8);
        derivedMask = KPXCreateImage(4, 4, 1);
        savedBackground = KPXCreateImage(4, 4, 24);
        for (int i = 0; i < 3; ++i) {
            kpx::ImageLock r(frames[i], kKpxWrite);
            r->firstFrame = frames[0];
            r->nextFrame = i < 2 ? frames[i + 1] : 0;
            r->maskImage = masks[i];
        }
        kpx::ImageLock first(frames[0], kKpxWrite);
        first->explicitTransparency = explicitImage;
        first->derivedImage = derived;
        first->savedBackground = savedBackground;
        kpx::ImageLock d(derived, kKpxWrite);
        d->maskImage = derivedMask;
    }
    std::vector<KpxHandle> all() const {
        return {frames[0], frames[1],     frames[2], masks[0],    masks[1],
                masks[2],  explicitImage, derived,   derivedMask, savedBackground};
    }
};

TEST_F(ImageTableTest, DeletingTheFirstFrameFreesTheWholeChain) {
    ChainFixture chain;
    EXPECT_EQ(KpxLiveImageCount(), 10);
    EXPECT_EQ(KPXDeleteImage(chain.frames[0]), 1);
    for (KpxHandle h : chain.all())
        EXPECT_FALSE(alive(h)) << "handle " << h;
    EXPECT_EQ(KpxLiveImageCount(), 0);
}

TEST_F(ImageTableTest, DroppingAnExtraReferenceKeepsTheChainWhole) {
    ChainFixture chain;
    // A new reference of the first frame also references its explicit transparency image.
    EXPECT_EQ(KPXCreateImageFrom(chain.frames[0], 1), chain.frames[0]);
    EXPECT_EQ(KpxFindImage(chain.explicitImage)->referenceCount, 2);
    EXPECT_EQ(KpxReleaseImage(chain.frames[0], 1), 1);
    // The image is still alive, so every image linked to it stays as it was.
    for (KpxHandle h : chain.all())
        EXPECT_TRUE(alive(h)) << "handle " << h;
    EXPECT_EQ(KpxFindImage(chain.explicitImage)->referenceCount, 1);
    {
        kpx::ImageLock first(chain.frames[0], kKpxRead);
        EXPECT_EQ(first->nextFrame, chain.frames[1]);
        EXPECT_EQ(first->maskImage, chain.masks[0]);
        EXPECT_EQ(first->explicitTransparency, chain.explicitImage);
        EXPECT_EQ(first->derivedImage, chain.derived);
        kpx::ImageLock second(chain.frames[1], kKpxRead);
        EXPECT_EQ(second->nextFrame, chain.frames[2]);
    }
    KPXDeleteImage(chain.frames[0]);
    for (KpxHandle h : chain.all())
        EXPECT_FALSE(alive(h)) << "handle " << h;
}

TEST_F(ImageTableTest, ALinkedImageWithItsOwnReferenceOutlivesTheChain) {
    ChainFixture chain;
    KPXCreateImageFrom(chain.frames[1], 1);
    KPXDeleteImage(chain.frames[0]);
    EXPECT_FALSE(alive(chain.frames[0]));
    EXPECT_FALSE(alive(chain.explicitImage));
    ASSERT_TRUE(alive(chain.frames[1]));
    EXPECT_EQ(KpxFindImage(chain.frames[1])->referenceCount, 1);
    EXPECT_TRUE(alive(chain.frames[2]));
    KPXDeleteImage(chain.frames[1]);
    for (KpxHandle h : chain.all())
        EXPECT_FALSE(alive(h)) << "handle " << h;
}

TEST_F(ImageTableTest, ChecksumWeightsEachRowsWordSumByTheRowNumber) {
    Images images;
    // 2 x 2 at 24 bits: rows of 8 bytes, two words each.
    const KpxHandle h = images.create(2, 2, 24);
    std::uint8_t* bits = KPXGetBits(h);
    const std::uint8_t row1[8] = {1, 0, 0, 0, 2, 0, 0, 0};
    std::memcpy(bits + 8, row1, 8);
    kpx::ImageLock r(h, kKpxRead);
    KpxImageChecksum(r.get());
    // Row 1: (1 ^ 1) + (2 ^ 0) = 2, weighted by its row number 1.
    EXPECT_EQ(r->checksum, 2u);
}

// Locks and deletes across threads. The fixture checks that no image outlives a test.
using ImageTableThreadTest = ImageTableTest;

// A writer fills every byte with one value while two readers, whose reads overlap, check that
// the bytes they read never change under them.
TEST_F(ImageTableThreadTest, AWriterNeverGetsInWhileAReaderIsStillReading) {
    using std::chrono::milliseconds;
    Images images;
    const KpxHandle h = images.create(64, 16, 8);
    const std::size_t bytes = KPXSizeImage(h);
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    const auto reader = [&] {
        while (!stop) {
            {
                kpx::ImageLock r(h, kKpxRead);
                ASSERT_TRUE(r);
                const std::vector<std::uint8_t> before(r->bits, r->bits + bytes);
                std::this_thread::sleep_for(milliseconds(1));
                if (std::memcmp(before.data(), r->bits, bytes) != 0)
                    ++torn;
                ++reads;
            }
            std::this_thread::sleep_for(milliseconds(1));
        }
    };
    std::thread a(reader);
    std::thread b(reader);
    for (int round = 1; round <= 40; ++round) {
        {
            kpx::ImageLock w(h, kKpxWrite);
            ASSERT_TRUE(w);
            std::memset(w->bits, round, bytes);
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    stop = true;
    a.join();
    b.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(torn.load(), 0) << "of " << reads.load() << " reads";
}

TEST_F(ImageTableThreadTest, TheWordIsFreeOnlyWhenTheLastReaderLeaves) {
    Images images;
    const KpxHandle h = images.create();
    KpxImageRecord* first = KpxLockImage(h, kKpxRead);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(KpxLockImage(h, kKpxRead), first);
    KpxUnlockImage(first, 0);
    std::atomic<bool> written{false};
    std::thread writer([&] {
        kpx::ImageLock w(h, kKpxWrite);
        written = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(written) << "the writer got in beside a reader";
    KpxUnlockImage(first, 0);
    writer.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(KpxGetImagePermission(h, 0), kKpxFree);
}

// Deleting an image another thread holds: 1 is answered, and the image goes when the last
// holder lets go, with the images linked to it.
TEST_F(ImageTableThreadTest, DeletingAHeldImageFreesItWhenTheHolderLetsGo) {
    const struct {
        const char* name;
        int readers;
        std::int32_t mode;
    } cases[] = {
        {"one reader", 1, kKpxRead}, {"two readers", 2, kKpxRead}, {"a writer", 1, kKpxWrite}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const KpxHandle h = KPXCreateImage(8, 8, 8);
        const KpxHandle mask = KPXCreateImage(8, 8, 1);
        {
            kpx::ImageLock r(h, kKpxWrite);
            r->maskImage = mask;
        }
        std::vector<KpxImageRecord*> held;
        for (int i = 0; i < c.readers; ++i)
            held.push_back(KpxLockImage(h, c.mode));
        std::thread deleter([&] { EXPECT_EQ(KPXDeleteImage(h), 1); });
        deleter.join();
        for (KpxImageRecord* r : held) {
            EXPECT_TRUE(alive(h)) << "freed under a holder";
            EXPECT_EQ(r->width(), 8);
            KpxUnlockImage(r, 0);
        }
        EXPECT_FALSE(alive(h));
        EXPECT_FALSE(alive(mask));
    }
}

TEST_F(ImageTableThreadTest, DeletesWhileOtherThreadsReadLeakNothing) {
    std::vector<KpxHandle> handles;
    for (int i = 0; i < 20; ++i)
        handles.push_back(KPXCreateImage(16, 16, 24));
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t)
        readers.emplace_back([&] {
            while (!stop)
                for (KpxHandle h : handles)
                    KPXWidth(h);
        });
    for (KpxHandle h : handles) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(KPXDeleteImage(h), 1);
    }
    stop = true;
    for (std::thread& t : readers)
        t.join();
    for (KpxHandle h : handles)
        EXPECT_FALSE(alive(h)) << "handle " << h;
}

} // namespace
