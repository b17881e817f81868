#include "FrameComposition.h"
#include "FrameChain.h"
#include "PixelHelpers.h"
#include "Transparency.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using kfm::test::OwnedImage;

namespace {

constexpr int kScreenW = 6;
constexpr int kScreenH = 4;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBackground = RGB(255, 0, 0);

struct FrameLayout {
    int x, y, w, h;
    int disposal;
    bool transparent;
};

// Pixel (i, j) of frame k: palette index 0 is the transparent colour; other pixels cycle
// through colours unique to the frame.
int frameIndex(const FrameLayout& f, int k, int i, int j) {
    if (f.transparent && (i + j) % 3 == 0)
        return 0;
    return 1 + (i + 2 * j + k) % 5;
}
COLORREF paletteColor(int k, int index) {
    return RGB(static_cast<BYTE>(30 * k + 7), static_cast<BYTE>(40 * index),
               static_cast<BYTE>(200 - 30 * index));
}

KpxHandle makeFrame(const FrameLayout& f, int k) {
    const KpxHandle image = KPXCreateImage(f.w, f.h, 8);
    for (int p = 0; p < 6; ++p)
        kfm::test::setPaletteEntry(image, p, paletteColor(k, p));
    for (int j = 0; j < f.h; ++j)
        for (int i = 0; i < f.w; ++i)
            kfm::test::setIndex(image, i, j, frameIndex(f, k, i, j));
    FrameInfo info{};
    info.left = f.x;
    info.top = f.y;
    info.disposal = f.disposal;
    info.transparency = f.transparent ? kKpxTransparencyIndexFlag : 0;
    KPXSetImageFramesInfo(image, &info);
    return image;
}

KpxHandle makeChain(const std::vector<FrameLayout>& layouts) {
    const KpxHandle head = makeFrame(layouts[0], 0);
    AnimateInfo animation{kScreenW, kScreenH, 0, 0, nullptr};
    KPXSetAnimateInfo(head, &animation);
    KPXAddImageFrame(head, head, 0); // refused; the head still needs its first-frame link
    kpx::ImageLock(head, kKpxWrite)->firstFrame = head;
    for (std::size_t k = 1; k < layouts.size(); ++k)
        KPXAddImageFrame(head, makeFrame(layouts[k], static_cast<int>(k)), -1);
    return head;
}

using Picture = std::vector<COLORREF>;

// What a GIF viewer shows after each frame, kept as whole-screen pictures: disposal 2 clears the
// frame's rectangle to the background, disposal 3 returns to the picture before the frame.
std::vector<Picture> viewerPictures(const std::vector<FrameLayout>& layouts) {
    Picture screen(kScreenW * kScreenH, kWhite);
    std::vector<Picture> shown;
    Picture beforePrevious = screen;
    for (std::size_t k = 0; k < layouts.size(); ++k) {
        if (k > 0) {
            const FrameLayout& p = layouts[k - 1];
            // Restoring before the first frame gives the background, as for disposal 2.
            const int disposal = p.disposal == 3 && k == 1 ? 2 : p.disposal;
            if (disposal == 3) {
                screen = beforePrevious;
            } else if (disposal == 2) {
                for (int j = 0; j < p.h; ++j)
                    for (int i = 0; i < p.w; ++i) {
                        const int x = p.x + i, y = p.y + j;
                        if (x >= 0 && x < kScreenW && y >= 0 && y < kScreenH)
                            screen[y * kScreenW + x] = kBackground;
                    }
            }
        }
        beforePrevious = screen;
        const FrameLayout& f = layouts[k];
        for (int j = 0; j < f.h; ++j)
            for (int i = 0; i < f.w; ++i) {
                const int x = f.x + i, y = f.y + j;
                const int index = frameIndex(f, static_cast<int>(k), i, j);
                if (x < 0 || x >= kScreenW || y < 0 || y >= kScreenH ||
                    (f.transparent && index == 0))
                    continue;
                screen[y * kScreenW + x] = paletteColor(static_cast<int>(k), index);
            }
        shown.push_back(screen);
    }
    return shown;
}

std::string describe(const std::vector<FrameLayout>& layouts) {
    std::ostringstream out;
    for (const FrameLayout& f : layouts)
        out << "[" << f.x << "," << f.y << " " << f.w << "x" << f.h << " d" << f.disposal
            << (f.transparent ? " t" : "") << "] ";
    return out.str();
}

// Composes the chain frame by frame and compares every pixel with the viewer's picture.
void expectViewerPictures(const std::vector<FrameLayout>& layouts) {
    const int liveBefore = KpxLiveImageCount();
    {
        OwnedImage chain(makeChain(layouts));
        OwnedImage canvas(KPXCreateImage(kScreenW, kScreenH, 24));
        kfm::test::fillColor(canvas, kWhite);
        const std::vector<Picture> expected = viewerPictures(layouts);
        for (std::size_t k = 0; k < layouts.size(); ++k) {
            KPXStretchBltFrame(canvas, 0, 0, kScreenW, kScreenH, chain, static_cast<int>(k), 0, 0,
                               0, 0, 0, 0, 0, kBackground, 0);
            for (int y = 0; y < kScreenH; ++y)
                for (int x = 0; x < kScreenW; ++x)
                    ASSERT_EQ(kfm::test::getColor(canvas, x, y), expected[k][y * kScreenW + x])
                        << describe(layouts) << "frame " << k << " pixel " << x << "," << y;
        }
    }
    EXPECT_EQ(KpxLiveImageCount(), liveBefore) << describe(layouts);
}

} // namespace

// Every pair of disposal x transparency x position for two frames between an opaque full-screen
// frame and a one-pixel frame, so that both disposals show before the next frame is drawn.
TEST(FrameComposition, DisposalTransparencyAndPositionTable) {
    const FrameLayout positions[] = {
        {1, 1, 3, 2, 0, false},   // inside the screen
        {-2, -1, 4, 3, 0, false}, // crossing the top-left edge
        {4, 2, 3, 3, 0, false},   // crossing the bottom-right edge
    };
    std::vector<FrameLayout> variants;
    for (int d = 0; d <= 3; ++d)
        for (bool t : {false, true})
            for (FrameLayout p : positions) {
                p.disposal = d;
                p.transparent = t;
                variants.push_back(p);
            }
    const FrameLayout base{0, 0, kScreenW, kScreenH, 1, false};
    const FrameLayout dot{5, 0, 1, 1, 1, false};
    for (const FrameLayout& first : variants)
        for (const FrameLayout& second : variants) {
            ASSERT_NO_FATAL_FAILURE(expectViewerPictures({base, first, second, dot}));
        }
}

TEST(FrameComposition, RestoreToPreviousAfterRestoreToBackground) {
    ASSERT_NO_FATAL_FAILURE(expectViewerPictures({{0, 0, 6, 4, 2, false},
                                                  {1, 0, 4, 3, 3, true},
                                                  {2, 1, 3, 3, 2, true},
                                                  {0, 2, 2, 2, 3, false},
                                                  {3, 0, 3, 2, 0, false}}));
}

TEST(FrameComposition, FirstFrameWithRestoreToPreviousActsAsBackground) {
    ASSERT_NO_FATAL_FAILURE(expectViewerPictures({{1, 1, 3, 2, 3, false}, {0, 0, 1, 1, 1, false}}));
    ASSERT_NO_FATAL_FAILURE(
        expectViewerPictures({{-1, -1, 8, 6, 3, true}, {2, 2, 1, 1, 0, false}}));
}

TEST(FrameComposition, RestoreToBackgroundFillsExactlyTheFramesRectangle) {
    const KpxHandle head = KPXCreateImage(5, 5, 24);
    OwnedImage chain(head);
    AnimateInfo animation{30, 30, 0, 0, nullptr};
    KPXSetAnimateInfo(head, &animation);
    FrameInfo info{};
    info.left = 10;
    info.top = 10;
    info.disposal = 2;
    KPXSetImageFramesInfo(head, &info);
    const KpxHandle second = KPXCreateImage(1, 1, 24);
    ASSERT_EQ(KPXAddImageFrame(head, second, -1), 1);
    OwnedImage canvas(KPXCreateImage(30, 30, 24));
    kfm::test::fillColor(canvas, kWhite);
    ASSERT_EQ(KPXRenderFrames(head, canvas, 0, 0, 0, 0, kBackground, 0, 0), 1);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool inside = x >= 10 && x < 15 && y >= 10 && y < 15;
            ASSERT_EQ(kfm::test::getColor(canvas, x, y), inside ? kBackground : kWhite)
                << x << "," << y;
        }
}

TEST(FrameComposition, BackgroundImageSuppliesTheRestoredArea) {
    const std::vector<FrameLayout> layouts = {{1, 1, 3, 2, 2, false}, {0, 0, 1, 1, 1, false}};
    OwnedImage chain(makeChain(layouts));
    OwnedImage background(KPXCreateImage(kScreenW, kScreenH, 24));
    for (int y = 0; y < kScreenH; ++y)
        for (int x = 0; x < kScreenW; ++x)
            kfm::test::setColor(background, x, y, RGB(x * 10, y * 10, 99));
    OwnedImage canvas(KPXCreateImage(kScreenW, kScreenH, 24));
    kfm::test::fillColor(canvas, kWhite);
    ASSERT_EQ(KPXRenderFrames(chain, canvas, 0, 0, 0, 1, 0, background, 1), 1);
    for (int y = 0; y < kScreenH; ++y)
        for (int x = 0; x < kScreenW; ++x) {
            const bool restored = x >= 1 && x < 4 && y >= 1 && y < 3;
            const COLORREF want = x == 0 && y == 0
                                      ? paletteColor(1, frameIndex(layouts[1], 1, 0, 0))
                                  : restored ? RGB(x * 10, y * 10, 99)
                                             : kWhite;
            ASSERT_EQ(kfm::test::getColor(canvas, x, y), want) << x << "," << y;
        }
}

TEST(FrameComposition, RenderFramesRangesAndTheFinalDisposal) {
    const std::vector<FrameLayout> layouts = {
        {0, 0, 6, 4, 1, false}, {1, 1, 2, 2, 2, false}, {3, 1, 2, 2, 2, false}};
    OwnedImage chain(makeChain(layouts));
    OwnedImage canvas(KPXCreateImage(kScreenW, kScreenH, 24));
    kfm::test::fillColor(canvas, kWhite);
    // From greater than to draws frame to alone.
    ASSERT_EQ(KPXRenderFrames(chain, canvas, 0, 0, 5, 1, kBackground, 0, 1), 1);
    EXPECT_EQ(kfm::test::getColor(canvas, 0, 0), kWhite);
    EXPECT_EQ(kfm::test::getColor(canvas, 1, 1), paletteColor(1, frameIndex(layouts[1], 1, 0, 0)));
    // Without keep, the last frame's disposal is applied after it.
    kfm::test::fillColor(canvas, kWhite);
    ASSERT_EQ(KPXRenderFrames(chain, canvas, 0, 0, 0, 99, kBackground, 0, 0), 1);
    EXPECT_EQ(kfm::test::getColor(canvas, 3, 1), kBackground);
    EXPECT_EQ(kfm::test::getColor(canvas, 0, 0), paletteColor(0, frameIndex(layouts[0], 0, 0, 0)));
    EXPECT_EQ(KPXRenderFrames(0, canvas, 0, 0, 0, 1, 0, 0, 0), 0);
    EXPECT_EQ(KPXRenderFrames(chain, 0, 0, 0, 0, 1, 0, 0, 0), 0);
    EXPECT_EQ(KPXRenderFrames(29999, canvas, 0, 0, 0, 1, 0, 0, 0), 0);
    EXPECT_EQ(KPXStretchBltFrame(canvas, 0, 0, 6, 4, 29999, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
}

// A whole-screen opaque frame of one colour, kept until the screen is drawn over.
KpxHandle solidFrame(COLORREF colour) {
    const KpxHandle image = KPXCreateImage(kScreenW, kScreenH, 24);
    kfm::test::fillColor(image, colour);
    FrameInfo info{};
    info.disposal = 1;
    KPXSetImageFramesInfo(image, &info);
    return image;
}

// Frame by frame composition continues from where the last call stopped; a chain changed in
// between is followed as it is now, whichever frame is asked for next.
TEST(FrameComposition, StepwiseCompositionFollowsAChangedChain) {
    const COLORREF colours[] = {RGB(10, 0, 0), RGB(20, 0, 0), RGB(30, 0, 0), RGB(40, 0, 0)};
    const KpxHandle head = solidFrame(colours[0]);
    OwnedImage chain(head);
    AnimateInfo animation{kScreenW, kScreenH, 0, 0, nullptr};
    KPXSetAnimateInfo(head, &animation);
    ASSERT_EQ(KPXAddImageFrame(head, solidFrame(colours[1]), -1), 1);
    ASSERT_EQ(KPXAddImageFrame(head, solidFrame(colours[2]), -1), 1);
    OwnedImage canvas(KPXCreateImage(kScreenW, kScreenH, 24));
    const auto shown = [&](int n) {
        KPXStretchBltFrame(canvas, 0, 0, kScreenW, kScreenH, chain, n, 0, 0, 0, 0, 0, 0, 0,
                           kBackground, 0);
        return kfm::test::getColor(canvas, 0, 0);
    };
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(shown(n), colours[n]);
    // A frame put in before the last one composed moves the frames after it on.
    ASSERT_EQ(KPXAddImageFrame(head, solidFrame(colours[3]), 1), 1);
    EXPECT_EQ(shown(2), colours[1]);
    EXPECT_EQ(shown(3), colours[2]);
    EXPECT_EQ(shown(1), colours[3]);
    // Past the end the last frame is drawn, also by a range that starts there.
    EXPECT_EQ(shown(9), colours[2]);
    kfm::test::fillColor(canvas, kWhite);
    ASSERT_EQ(KPXRenderFrames(chain, canvas, 0, 0, 7, 9, kBackground, 0, 1), 1);
    EXPECT_EQ(kfm::test::getColor(canvas, 0, 0), colours[2]);
    // Split into single images, the head is a chain of one frame.
    const OwnedImage second(KPXGetImageFramesImage(head, 1));
    const OwnedImage third(KPXGetImageFramesImage(head, 2));
    const OwnedImage fourth(KPXGetImageFramesImage(head, 3));
    ASSERT_EQ(KPXSplitAllImageFrame(head), 1);
    EXPECT_EQ(shown(2), colours[0]);
}

TEST(FrameComposition, ScaledScreenMovesFramesWithoutScalingThem) {
    const std::vector<FrameLayout> layouts = {{2, 1, 1, 1, 0, false}};
    OwnedImage chain(makeChain(layouts));
    OwnedImage canvas(KPXCreateImage(12, 8, 24));
    kfm::test::fillColor(canvas, kWhite);
    KPXStretchBltFrame(canvas, 0, 0, 12, 8, chain, 0, 0, 0, 0, 0, 0, 0, 0, kBackground, 0);
    const COLORREF drawn = paletteColor(0, frameIndex(layouts[0], 0, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(kfm::test::getColor(canvas, x, y), x == 4 && y == 2 ? drawn : kWhite);
    {
        kpx::ImageLock state(chain, kKpxRead);
        EXPECT_EQ(state->previousRect.left, 4);
        EXPECT_EQ(state->previousRect.right, 6);
        EXPECT_EQ(state->previousRect.bottom, 4);
    }
    const std::vector<FrameLayout> negative = {{-2, -3, 4, 4, 2, false}};
    OwnedImage clipped(makeChain(negative));
    KPXStretchBltFrame(canvas, 0, 0, 6, 4, clipped, 0, 0, 0, 0, 0, 0, 0, 0, kBackground, 0);
    kpx::ImageLock state(clipped, kKpxRead);
    EXPECT_EQ(state->previousRect.left, 0);
    EXPECT_EQ(state->previousRect.top, 0);
    EXPECT_EQ(state->previousRect.right, 2);
    EXPECT_EQ(state->previousRect.bottom, 1);
}

TEST(RenderImageTo, ClipsAndRefusesWhatItCannotDraw) {
    OwnedImage canvas(KPXCreateImage(4, 3, 24));
    OwnedImage source(KPXCreateImage(3, 3, 24));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            kfm::test::setColor(source, x, y, RGB(x, y, 1));
    OwnedImage mask(KPXCreateImage(3, 3, 1));
    kfm::test::setIndex(mask, 2, 2, 1);
    ASSERT_EQ(KPXRenderImageTo(canvas, source, mask, 2, 1), 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const int sx = x - 2, sy = y - 1;
            const bool drawn = sx >= 0 && sy >= 0 && !(sx == 2 && sy == 2) && sx < 3;
            ASSERT_EQ(kfm::test::getColor(canvas, x, y), drawn ? RGB(sx, sy, 1) : 0u)
                << x << "," << y;
        }
    kfm::test::fillColor(canvas, 0);
    ASSERT_EQ(KPXRenderImageTo(canvas, source, 0, -2, -1), 1);
    EXPECT_EQ(kfm::test::getColor(canvas, 0, 0), RGB(2, 1, 1));
    EXPECT_EQ(kfm::test::getColor(canvas, 1, 0), 0u);
    EXPECT_EQ(kfm::test::getColor(canvas, 0, 2), 0u);
    EXPECT_EQ(KPXRenderImageTo(canvas, source, 0, 4, 0), 1);

    OwnedImage smallMask(KPXCreateImage(2, 3, 1));
    OwnedImage deepMask(KPXCreateImage(3, 3, 8));
    OwnedImage oneBitCanvas(KPXCreateImage(4, 3, 1));
    OwnedImage eightBitCanvas(KPXCreateImage(4, 3, 8));
    EXPECT_EQ(KPXRenderImageTo(canvas, source, smallMask, 0, 0), 0);
    EXPECT_EQ(KPXRenderImageTo(canvas, source, deepMask, 0, 0), 0);
    EXPECT_EQ(KPXRenderImageTo(oneBitCanvas, source, 0, 0, 0), 0);
    EXPECT_EQ(KPXRenderImageTo(eightBitCanvas, source, 0, 0, 0), 0);
    EXPECT_EQ(KPXRenderImageTo(canvas, canvas, 0, 0, 0), 0);
    EXPECT_EQ(KPXRenderImageTo(0, source, 0, 0, 0), 0);
    EXPECT_EQ(KPXRenderImageTo(canvas, 30001, 0, 0, 0), 0);
}

TEST(RenderImageTo, PaletteSourceOnEightBitCanvasTakesTheNearestColours) {
    OwnedImage canvas(KPXCreateImage(3, 1, 8));
    for (int p = 0; p < 256; ++p)
        kfm::test::setPaletteEntry(canvas, p, RGB(p, p, p));
    kfm::test::setPaletteEntry(canvas, 200, RGB(250, 10, 10));
    OwnedImage source(KPXCreateImage(3, 1, 4));
    kfm::test::setPaletteEntry(source, 1, RGB(250, 10, 10));
    kfm::test::setPaletteEntry(source, 2, RGB(40, 40, 40));
    kfm::test::setIndex(source, 0, 0, 1);
    kfm::test::setIndex(source, 1, 0, 2);
    kfm::test::setIndex(source, 2, 0, 1);
    OwnedImage mask(KPXCreateImage(3, 1, 1));
    kfm::test::setIndex(mask, 2, 0, 1);
    ASSERT_EQ(KPXRenderImageTo(canvas, source, mask, 0, 0), 1);
    EXPECT_EQ(kfm::test::getIndex(canvas, 0, 0), 200);
    EXPECT_EQ(kfm::test::getIndex(canvas, 1, 0), 40);
    EXPECT_EQ(kfm::test::getIndex(canvas, 2, 0), 0);
}

// Palette sources of every depth on a 24-bit canvas: each pixel takes its entry's colour, pixels
// under a set mask bit and columns past the canvas stay as they were.
TEST(RenderImageTo, PaletteSourcesOfEveryDepthOnATrueColourCanvas) {
    constexpr COLORREF kUntouched = RGB(7, 7, 7);
    for (const int depth : {1, 4, 8}) {
        SCOPED_TRACE(depth);
        const int last = (1 << depth) - 1;
        OwnedImage source(KPXCreateImage(4, 2, depth));
        const int indices[2][4] = {{0, 1, last, 1}, {last, 0, 1, last}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                kfm::test::setIndex(source, x, y, indices[y][x]);
        kfm::test::setPaletteEntry(source, 0, RGB(10, 20, 30));
        kfm::test::setPaletteEntry(source, 1, RGB(40, 50, 60));
        kfm::test::setPaletteEntry(source, last, RGB(70, 80, 90));
        OwnedImage mask(KPXCreateImage(4, 2, 1));
        kfm::test::setIndex(mask, 1, 0, 1);
        kfm::test::setIndex(mask, 0, 1, 1);
        OwnedImage canvas(KPXCreateImage(4, 2, 24));
        kfm::test::fillColor(canvas, kUntouched);
        ASSERT_EQ(KPXRenderImageTo(canvas, source, mask, 1, 0), 1);
        const auto colourOf = [&](int index) {
            return index == last ? RGB(70, 80, 90) : index == 1 ? RGB(40, 50, 60) : RGB(10, 20, 30);
        };
        const bool masked[2][4] = {{false, true, false, false}, {true, false, false, false}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const int sx = x - 1;
                const COLORREF want =
                    sx < 0 || masked[y][sx] ? kUntouched : colourOf(indices[y][sx]);
                EXPECT_EQ(kfm::test::getColor(canvas, x, y), want) << x << "," << y;
            }
    }
}

TEST(FrameComposition, AnEightBitTransparencyImageDrawsThroughItsMostlyOpaquePixels) {
    // Graded transparency (255 fully transparent), as the editor gives frames returned by its
    // plug-ins: a viewer shows the pixels below 128 and keeps the screen under the others.
    const KpxHandle head = KPXCreateImage(4, 1, 24);
    OwnedImage chain(head);
    for (int x = 0; x < 4; ++x)
        kfm::test::setColor(head, x, 0, RGB(200, 10 * x, 7));
    AnimateInfo animation{4, 1, 0, 0, nullptr};
    KPXSetAnimateInfo(head, &animation);
    const KpxHandle alpha = KPXCreateImage(4, 1, 8);
    const int values[4] = {0, 127, 128, 255};
    for (int x = 0; x < 4; ++x)
        kfm::test::setIndex(alpha, x, 0, values[x]);
    ASSERT_EQ(KPXSetImageTransparentEx(head, alpha), 1);
    OwnedImage canvas(KPXCreateImage(4, 1, 24));
    kfm::test::fillColor(canvas, kWhite);
    ASSERT_EQ(KPXRenderFrames(head, canvas, 0, 0, 0, 0, kBackground, 0, 1), 1);
    EXPECT_EQ(kfm::test::getColor(canvas, 0, 0), RGB(200, 0, 7));
    EXPECT_EQ(kfm::test::getColor(canvas, 1, 0), RGB(200, 10, 7));
    EXPECT_EQ(kfm::test::getColor(canvas, 2, 0), kWhite);
    EXPECT_EQ(kfm::test::getColor(canvas, 3, 0), kWhite);
    // The image itself keeps its graded transparency.
    EXPECT_EQ(KPXbpp(KPXGetImageTransparentImageEx(head)), 8);
}
