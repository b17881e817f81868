#include "FrameDifference.h"
#include "ImageCreation.h"
#include "ImageTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

// Rows counted from the top.
std::uint8_t* rowAt(KpxHandle image, int y) {
    return KPXGetBits(image) + (KPXHeight(image) - 1 - y) * KPXGetScanBytes(image);
}

RGBQUAD& entry(KpxHandle image, int index) {
    return KPXGetBitmapInfoHeader(image)->bmiColors[index];
}

bool sameRgb(const RGBQUAD& a, const RGBQUAD& b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

struct Images {
    std::vector<KpxHandle> handles;
    KpxHandle make(int w, int h, int depth) {
        handles.push_back(KPXCreateImage(w, h, depth));
        return handles.back();
    }
    ~Images() {
        for (const KpxHandle h : handles)
            KPXDeleteImage(h);
    }
};

// A 6 x 4 frame using indices 0..3, whose colours are entries 0..3 of a distinct palette.
KpxHandle makeFrame(Images& images) {
    const KpxHandle frame = images.make(6, 4, 8);
    for (int i = 0; i < 256; ++i)
        entry(frame, i) = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                           static_cast<BYTE>(i * 7), 0};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            rowAt(frame, y)[x] = static_cast<std::uint8_t>((x + y) % 4);
    return frame;
}

// A 24-bit picture that shows the frame at (left, top) and a grey elsewhere.
KpxHandle makeScreenUnder(Images& images, KpxHandle frame, int left, int top) {
    const KpxHandle screen = images.make(10, 9, 24);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 10; ++x) {
            std::uint8_t* p = rowAt(screen, y) + 3 * x;
            p[0] = p[1] = p[2] = 77;
            if (x >= left && x < left + 6 && y >= top && y < top + 4) {
                const RGBQUAD& c = entry(frame, rowAt(frame, y - top)[x - left]);
                p[0] = c.rgbBlue;
                p[1] = c.rgbGreen;
                p[2] = c.rgbRed;
            }
        }
    return screen;
}

std::vector<std::uint8_t> pixels(KpxHandle frame) {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < KPXHeight(frame); ++y)
        out.insert(out.end(), rowAt(frame, y), rowAt(frame, y) + KPXWidth(frame));
    return out;
}

} // namespace

TEST(CompareImagesAndFillByUniqueColor, MarksUnchangedPixels) {
    using Prepare = std::function<void(KpxHandle)>;
    struct Case {
        const char* what;
        Prepare prepareFrame;  // before the screen is drawn from the frame
        Prepare prepareScreen; // afterwards
        int expectedIndex;
        // Which frame pixels become the unique index, by (x, y).
        std::function<bool(int x, int y)> unchanged;
        bool entryKeepsColour;
    };
    auto setList = [](KpxHandle frame, KpxTransparentEntry e) {
        kpx::ImageLock r(frame, kKpxWrite);
        r->transparency[0] = e;
        r->transparencyCount = 1;
    };
    auto all = [](int, int) { return true; };
    const Case cases[] = {
        {"identical area", nullptr, nullptr, 4, all, false},
        {"one pixel differs", nullptr,
         [](KpxHandle screen) { rowAt(screen, 2 + 1)[3 * (1 + 4)] ^= 1; }, 4,
         [](int x, int y) { return !(x == 4 && y == 1); }, false},
        {"index 4 already used",
         [](KpxHandle frame) {
             rowAt(frame, 0)[0] = 4;
             entry(frame, 4) = entry(frame, 0);
         },
         nullptr, 5, all, false},
        {"single index entry 7",
         [&](KpxHandle frame) {
             setList(frame, {0, 0, 7, 0, 1, 0, 0});
         },
         nullptr, 7, all, true},
        {"single colour entry",
         [&](KpxHandle frame) {
             setList(frame, {1, 2, 3, 0, 0, 0, 0});
         },
         nullptr, 4, all, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Images images;
        const KpxHandle frame = makeFrame(images);
        if (c.prepareFrame)
            c.prepareFrame(frame);
        const KpxHandle screen = makeScreenUnder(images, frame, 1, 2);
        if (c.prepareScreen)
            c.prepareScreen(screen);
        const RGBQUAD before = entry(frame, c.expectedIndex);
        const std::vector<std::uint8_t> original = pixels(frame);
        ASSERT_EQ(KPXCompareImagesAndFillByUniqueColor(frame, screen, 1, 2), c.expectedIndex);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const int want = c.unchanged(x, y) ? c.expectedIndex : original[y * 6 + x];
                EXPECT_EQ(rowAt(frame, y)[x], want) << x << "," << y;
            }
        const RGBQUAD after = entry(frame, c.expectedIndex);
        if (c.entryKeepsColour) {
            EXPECT_TRUE(sameRgb(after, before));
        } else {
            // The marker colour is one that no other entry has.
            for (int i = 0; i < 256; ++i)
                if (i != c.expectedIndex) {
                    EXPECT_FALSE(sameRgb(entry(frame, i), after)) << i;
                }
        }
    }
}

TEST(CompareImagesAndFillByUniqueColor, MatchesAnEightBitScreenByColour) {
    Images images;
    const KpxHandle frame = makeFrame(images);
    const KpxHandle screen = images.make(6, 4, 8);
    // The screen holds the same colours under other indices.
    for (int i = 0; i < 4; ++i)
        entry(screen, 10 + i) = entry(frame, i);
    entry(screen, 0) = {1, 2, 3, 0};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            rowAt(screen, y)[x] = static_cast<std::uint8_t>(x < 3 ? 10 + rowAt(frame, y)[x] : 0);
    ASSERT_EQ(KPXCompareImagesAndFillByUniqueColor(frame, screen, 0, 0), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(rowAt(frame, y)[x], x < 3 ? 4 : (x + y) % 4) << x << "," << y;
}

TEST(CompareImagesAndFillByUniqueColor, FullPaletteMergesTheClosestEntries) {
    Images images;
    const KpxHandle frame = images.make(16, 16, 8);
    for (int i = 0; i < 256; ++i) {
        entry(frame, i) = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
        rowAt(frame, i / 16)[i % 16] = static_cast<std::uint8_t>(i);
    }
    // Entries 40 and 90 differ only in bit 0 of red: the first pair to match.
    entry(frame, 40) = {10, 20, 30, 0};
    entry(frame, 90) = {10, 20, 31, 0};
    const KpxHandle screen = images.make(16, 16, 24); // all black
    const int u = KPXCompareImagesAndFillByUniqueColor(frame, screen, 0, 0);
    EXPECT_EQ(u, 40);
    // The former pixel of index 40 now shows entry 90; the black pixel of index 0 became u.
    EXPECT_EQ(rowAt(frame, 40 / 16)[40 % 16], 90);
    EXPECT_EQ(rowAt(frame, 0)[0], 40);
    EXPECT_EQ(rowAt(frame, 0)[1], 1);
}

TEST(CompareImagesAndFillByUniqueColor, RejectsFramesOutsideTheScreen) {
    Images images;
    const KpxHandle frame = makeFrame(images);
    const KpxHandle screen = makeScreenUnder(images, frame, 0, 0);
    const KpxHandle deep = images.make(6, 4, 24);
    const KpxHandle four = images.make(20, 20, 4);
    const std::vector<std::uint8_t> original = pixels(frame);
    struct Case {
        KpxHandle frame, screen;
        int x, y;
    };
    for (const Case c :
         {Case{frame, screen, 5, 0}, Case{frame, screen, 0, 6}, Case{frame, screen, -1, 0},
          Case{frame, screen, 0, -1}, Case{frame, 0, 0, 0}, Case{0, screen, 0, 0},
          Case{deep, screen, 0, 0}, Case{frame, four, 0, 0}, Case{frame, 999, 0, 0}}) {
        EXPECT_EQ(KPXCompareImagesAndFillByUniqueColor(c.frame, c.screen, c.x, c.y), -1);
    }
    EXPECT_EQ(pixels(frame), original);
    // Placed exactly at the far corner it fits.
    EXPECT_EQ(KPXCompareImagesAndFillByUniqueColor(frame, screen, 4, 5), 4);
}

TEST(GetOptimalRect, FindsTheSmallestRectangleHoldingOtherIndices) {
    struct Pixel {
        int x, y, index;
    };
    struct Case {
        const char* what;
        int width, height, depth, background, index;
        std::vector<Pixel> others;
        RECT expected;
        int result;
    };
    const Case cases[] = {
        {"8-bit single pixel", 10, 10, 8, 5, 5, {{2, 7, 3}}, {2, 7, 2, 7}, 0},
        {"8-bit all index", 10, 10, 8, 5, 5, {}, {0, 0, 9, -1}, 1},
        {"8-bit corners", 10, 10, 8, 5, 5, {{0, 0, 1}, {9, 9, 1}}, {0, 0, 9, 9}, 0},
        {"8-bit last column", 5, 3, 8, 0, 0, {{4, 1, 9}}, {4, 1, 4, 1}, 0},
        {"4-bit last half byte", 7, 4, 4, 6, 6, {{6, 2, 1}}, {6, 2, 6, 2}, 0},
        {"4-bit first half byte", 7, 4, 4, 6, 6, {{0, 3, 0}, {2, 0, 15}}, {0, 0, 2, 3}, 0},
        {"4-bit all index", 7, 4, 4, 6, 6, {}, {0, 0, 6, -1}, 1},
        {"1-bit index 1", 13, 5, 1, 1, 1, {{12, 0, 0}, {3, 4, 0}}, {3, 0, 12, 4}, 0},
        {"1-bit index 0", 13, 5, 1, 0, 0, {{5, 2, 1}}, {5, 2, 5, 2}, 0},
        {"index beyond depth", 7, 4, 4, 6, 22, {}, {0, 0, 6, 3}, 0},
        {"24-bit", 6, 3, 24, 0, 0, {}, {0, 0, 5, 2}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Images images;
        const KpxHandle image = images.make(c.width, c.height, c.depth);
        auto put = [&](int x, int y, int v) {
            std::uint8_t* row = rowAt(image, y);
            if (c.depth == 8) {
                row[x] = static_cast<std::uint8_t>(v);
            } else if (c.depth == 4) {
                const int shift = (x & 1) ? 0 : 4;
                row[x >> 1] =
                    static_cast<std::uint8_t>((row[x >> 1] & ~(0x0F << shift)) | (v << shift));
            } else if (c.depth == 1) {
                const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
                row[x >> 3] = static_cast<std::uint8_t>(v ? row[x >> 3] | bit : row[x >> 3] & ~bit);
            }
        };
        if (c.depth <= 8) {
            // Fill every pixel, and set the row padding to something else on purpose.
            for (int y = 0; y < c.height; ++y) {
                std::memset(rowAt(image, y), 0xA5, KPXGetScanBytes(image));
                for (int x = 0; x < c.width; ++x)
                    put(x, y, c.background);
            }
        }
        for (const Pixel& p : c.others)
            put(p.x, p.y, p.index);
        const std::vector<std::uint8_t> before =
            c.depth == 8 ? pixels(image) : std::vector<std::uint8_t>{};
        RECT rect{-7, -7, -7, -7};
        EXPECT_EQ(KPXGetOptimalRect(&rect, image, c.index), c.result);
        if (c.result == 0) {
            EXPECT_EQ(rect.left, c.expected.left);
            EXPECT_EQ(rect.top, c.expected.top);
            EXPECT_EQ(rect.right, c.expected.right);
            EXPECT_EQ(rect.bottom, c.expected.bottom);
        }
        if (c.depth == 8) {
            EXPECT_EQ(pixels(image), before);
        }
    }
}

TEST(GetOptimalRect, BadArgumentsGiveZero) {
    Images images;
    const KpxHandle image = images.make(4, 4, 8);
    EXPECT_EQ(KPXGetOptimalRect(nullptr, image, 0), 0);
    RECT rect{1, 2, 3, 4};
    EXPECT_EQ(KPXGetOptimalRect(&rect, 0, 0), 0);
    EXPECT_EQ(rect.left | rect.top | rect.right | rect.bottom, 0);
    EXPECT_EQ(KPXGetOptimalRect(&rect, 999, 0), 0);
    EXPECT_EQ(KPXGetOptimalRect(&rect, image, -1), 0);
    EXPECT_EQ(rect.right, 3);
}
