// Tweening on frames read from GIF files of tests/data and on a rendered text frame: the new
// frames' number, order and settings, their pixels against a blend computed here, the update
// modes, the refusals, Esc and undo.

#include "DocumentTestSupport.h"

#include "FrameTransparency.h"
#include "TextRender.h"
#include "Tween.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using kfm::model::TweenFrames;
using kfm::model::TweenLevel;
using kfm::model::TweenOutcome;
using kfm::model::TweenPictures;
using kfm::model::TweenPlacement;
using kfm::model::TweenRequest;

constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Rgb {
    int r = 0, g = 0, b = 0;
};

Rgb rgbOf(std::uint32_t c) {
    return {static_cast<int>((c >> 16) & 255), static_cast<int>((c >> 8) & 255),
            static_cast<int>(c & 255)};
}

// c over under at alpha (0..255).
Rgb over(Rgb c, Rgb under, int alpha) {
    const auto mix = [alpha](int top, int bottom) {
        return (top * alpha + bottom * (255 - alpha) + 127) / 255;
    };
    return {mix(c.r, under.r), mix(c.g, under.g), mix(c.b, under.b)};
}

bool near(Rgb a, Rgb b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

// The value of an 8-bit image at x, y from the top.
int greyAt(KpxHandle image, int x, int y) {
    return KPXGetBits(
        image)[static_cast<std::size_t>(KPXHeight(image) - 1 - y) * KPXGetScanBytes(image) + x];
}

class TweenTest : public DocumentFixture {
protected:
    void open(const char* relative) {
        const std::string path = kfm::test::testDataPath(relative).string();
        ASSERT_TRUE(doc->OpenDocumentFile(path.c_str())) << path;
        shellFake.sent.clear();
    }

    // Whether pixel x, y of the frame is its transparent palette index.
    static bool transparentAt(const CObjFrame& f, int x, int y) {
        if (!kfm::model::hasTransparentIndex(f))
            return false;
        const auto image = static_cast<KpxHandle>(f.GetImage());
        return greyAt(image, x, y) == kfm::model::transparentIndex(f);
    }

    TweenRequest insertRequest(int first, int second, int count) {
        TweenRequest r;
        r.first = first;
        r.second = second;
        r.count = count;
        r.delay = 7;
        r.background = kWhite;
        return r;
    }

    // The expected colour and opacity of new frame k at x, y when A and B are plain frames at
    // the canvas origin.
    struct Expected {
        Rgb colour;
        int opacity;
    };
    Expected blendAt(const CObjFrame& a, const CObjFrame& b, int k, int n, int x, int y) {
        const int step = 255 / (n + 1);
        Rgb canvas = rgbOf(kWhite);
        int opacity = 0;
        if (!transparentAt(a, x, y)) {
            const int alpha = 255 - k * step;
            canvas =
                over(rgbOf(pixelColour(static_cast<KpxHandle>(a.GetImage()), x, y)), canvas, alpha);
            opacity += alpha;
        }
        if (!transparentAt(b, x, y)) {
            const int alpha = k * step;
            canvas =
                over(rgbOf(pixelColour(static_cast<KpxHandle>(b.GetImage()), x, y)), canvas, alpha);
            opacity += alpha;
        }
        return {canvas, std::min(opacity, 255)};
    }

    std::vector<int> delays() {
        std::vector<int> out;
        for (const CObjFrame& f : animation().frames)
            if (f.GetImage())
                out.push_back(f.delay);
        return out;
    }
};

TEST(TweenLevelTest, StepsStayWholeWhileTheyCanAndKeepFadingBeyond) {
    struct Case {
        int k, steps, full, expected;
    } cases[] = {
        {1, 5, 255, 51},
        {4, 5, 255, 204},
        {3, 5, 100, 60},
        // 300 new frames: the whole step is 0, the fade still runs.
        {1, 301, 255, 0},
        {2, 301, 255, 1},
        {150, 301, 255, 127},
        {300, 301, 255, 254},
        {999, 1000, 255, 254},
        {1, 5, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TweenLevel(c.k, c.steps, c.full), c.expected)
            << c.k << "/" << c.steps << " of " << c.full;
}

// im-disposals.gif: frame 1 opaque, frame 3 with transparent index 1, both 20 x 20 at 0, 0.
TEST_F(TweenTest, InsertModeFadesAIntoBOverTheBackground) {
    open("gif/peers/im-disposals.gif");
    ASSERT_EQ(animation().frameCount, 3);
    const CObjFrame a = frameAt(0);
    const CObjFrame b = frameAt(2);
    ASSERT_TRUE(kfm::model::hasTransparentIndex(b));
    const std::vector<int> before = delays();

    ASSERT_EQ(TweenFrames(animation().frames, insertRequest(0, 2, 4)), TweenOutcome::Done);
    animation().UpdateFrameCount();
    ASSERT_EQ(animation().frameCount, 7);
    // The new frames follow A; B and the frame between come after them.
    EXPECT_EQ(delays(), (std::vector<int>{before[0], 7, 7, 7, 7, before[1], before[2]}));
    int transparentPoints = 0;
    for (int k = 1; k <= 4; ++k) {
        const CObjFrame& made = frameAt(k);
        SCOPED_TRACE(k);
        EXPECT_EQ(made.disposal, 3);
        EXPECT_EQ(made.softAlpha, 1);
        EXPECT_EQ(made.transparency, 0u);
        EXPECT_EQ(made.width, 20);
        EXPECT_EQ(made.height, 20);
        const auto image = static_cast<KpxHandle>(made.GetImage());
        ASSERT_EQ(KPXbpp(image), 24);
        const KpxHandle plane = kfm::model::explicitTransparencyOf(image);
        ASSERT_NE(plane, 0);
        for (const auto& [x, y] : {std::pair{0, 0}, {5, 5}, {10, 3}, {19, 19}, {12, 15}, {3, 17}}) {
            const Expected e = blendAt(a, b, k, 4, x, y);
            transparentPoints += transparentAt(b, x, y);
            EXPECT_TRUE(near(rgbOf(pixelColour(image, x, y)), e.colour))
                << x << "," << y << " got " << std::hex << pixelColour(image, x, y);
            EXPECT_NEAR(255 - greyAt(plane, x, y), e.opacity, 1) << x << "," << y;
        }
    }
    EXPECT_GT(transparentPoints, 0) << "no point falls on B's transparent colour";
}

// dispose_bgnd.gif: a 100 x 100 frame, then 32 x 32 frames at (5, 10), (35, 30) and (62, 50).
TEST_F(TweenTest, TravellingPictureMovesByWholeStepsFromAToB) {
    open("gif/pillow/dispose_bgnd.gif");
    TweenRequest r = insertRequest(1, 3, 3);
    r.travel = true;
    r.pictures = TweenPictures::OnlySecond;
    ASSERT_EQ(TweenFrames(animation().frames, r), TweenOutcome::Done);
    // The canvas is the union of A's and B's rectangles: (5, 10) to (94, 82).
    const CObjFrame& made = frameAt(2);
    EXPECT_EQ(made.left, 5);
    EXPECT_EQ(made.top, 10);
    EXPECT_EQ(made.width, 89);
    EXPECT_EQ(made.height, 72);
    // Step k puts B at (5 + k * 14, 10 + k * 10): only that square is drawn in frame k.
    for (int k = 1; k <= 3; ++k) {
        const auto plane =
            kfm::model::explicitTransparencyOf(static_cast<KpxHandle>(frameAt(1 + k).GetImage()));
        const int x = k * 14;
        const int y = k * 10;
        SCOPED_TRACE(k);
        EXPECT_EQ(255 - greyAt(plane, x, y), TweenLevel(k, 4, 255));
        EXPECT_EQ(255 - greyAt(plane, x + 31, y + 31), TweenLevel(k, 4, 255));
        EXPECT_EQ(greyAt(plane, x - 1, y + 31), 255);
        EXPECT_EQ(greyAt(plane, x + 32, y), 255);
    }
}

TEST_F(TweenTest, UpdateModesReplaceTheirFramesInOrderAndSelectThem) {
    struct Case {
        const char* name;
        TweenPlacement placement;
        std::vector<int> selected;
        std::vector<int> replaced;
    } cases[] = {
        {"between", TweenPlacement::UpdateBetween, {}, {1, 2}},
        {"selected", TweenPlacement::UpdateSelected, {0, 1, 2}, {1}},
        {"selected outside", TweenPlacement::UpdateSelected, {3}, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open("gif/pillow/dispose_bgnd.gif");
        DeselectAllFrames();
        for (int i : c.selected)
            SelectFrame(i);
        std::vector<std::uint16_t> images;
        for (int i = 0; i < 5; ++i)
            images.push_back(frameAt(i).GetImage());
        TweenRequest r = insertRequest(0, c.placement == TweenPlacement::UpdateBetween ? 3 : 2, 9);
        r.placement = c.placement;
        ASSERT_EQ(TweenFrames(animation().frames, r), TweenOutcome::Done);
        ASSERT_EQ(animation().frames.size(), 6u);
        for (int i = 0; i < 5; ++i) {
            const bool replaced =
                std::find(c.replaced.begin(), c.replaced.end(), i) != c.replaced.end();
            EXPECT_EQ(frameAt(i).GetImage() != images[i], replaced) << i;
            if (replaced) {
                EXPECT_EQ(frameAt(i).selected, 1);
                EXPECT_EQ(frameAt(i).softAlpha, 1);
                EXPECT_EQ(frameAt(i).delay, 7);
            }
        }
        EXPECT_EQ(animation().frames.back().GetImage(), 0) << "the placeholder stays last";
    }
}

TEST_F(TweenTest, RefusalsLeaveTheListAlone) {
    struct Case {
        const char* name;
        int first, second;
        TweenPlacement placement;
        std::vector<int> selected;
        TweenOutcome expected;
    } cases[] = {
        {"adjacent between", 1, 2, TweenPlacement::UpdateBetween, {}, TweenOutcome::NothingBetween},
        {"B before A",
         2,
         1,
         TweenPlacement::InsertAfterFirst,
         {},
         TweenOutcome::SecondNotAfterFirst},
        {"A is B", 2, 2, TweenPlacement::InsertAfterFirst, {}, TweenOutcome::SecondNotAfterFirst},
        {"only A and B selected",
         0,
         3,
         TweenPlacement::UpdateSelected,
         {0, 3},
         TweenOutcome::NothingSelected},
        // The placeholder never takes a role: selected alone, nothing is updated.
        {"placeholder selected",
         0,
         3,
         TweenPlacement::UpdateSelected,
         {-1},
         TweenOutcome::NothingSelected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open("gif/pillow/dispose_bgnd.gif");
        const std::size_t entries = animation().frames.size();
        DeselectAllFrames();
        for (int i : c.selected) // -1: the placeholder
            frameAt(i < 0 ? static_cast<int>(entries) - 1 : i).selected = 1;
        TweenRequest r = insertRequest(c.first, c.second, 3);
        r.placement = c.placement;
        EXPECT_EQ(TweenFrames(animation().frames, r), c.expected);
        EXPECT_EQ(animation().frames.size(), entries);
    }
}

TEST_F(TweenTest, ASecondPastTheLastFrameIsTheLastFrame) {
    open("gif/pillow/dispose_bgnd.gif");
    SelectAllFrames(); // the placeholder too
    TweenRequest r = insertRequest(0, 40, 2);
    r.placement = TweenPlacement::UpdateSelected;
    // B clamps to the last frame (4); frames 1 to 3 are updated, the placeholder stays.
    ASSERT_EQ(TweenFrames(animation().frames, r), TweenOutcome::Done);
    ASSERT_EQ(animation().frames.size(), 6u);
    EXPECT_EQ(animation().frames.back().GetImage(), 0);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(frameAt(i).softAlpha, 1) << i;
    EXPECT_EQ(frameAt(4).softAlpha, 0);
}

TEST_F(TweenTest, ThreeHundredFramesStillFadeSteadily) {
    open("gif/peers/im-disposals.gif");
    ASSERT_EQ(TweenFrames(animation().frames, insertRequest(0, 2, 300)), TweenOutcome::Done);
    ASSERT_EQ(animation().RealFrameCount(), 303);
    // At an opaque pixel of both the canvas opacity stays 255 while A's share falls: the colour
    // moves from A's towards B's without turning back.
    int x = -1, y = -1;
    const CObjFrame& a = frameAt(0);
    const CObjFrame& b = frameAt(302);
    const auto ia = static_cast<KpxHandle>(a.GetImage());
    const auto ib = static_cast<KpxHandle>(b.GetImage());
    for (int py = 0; py < 20 && x < 0; ++py)
        for (int px = 0; px < 20 && x < 0; ++px)
            if (!transparentAt(b, px, py) && pixelColour(ia, px, py) != pixelColour(ib, px, py)) {
                x = px;
                y = py;
            }
    ASSERT_GE(x, 0) << "A and B differ nowhere B is opaque";
    const Rgb from = rgbOf(pixelColour(ia, x, y));
    const Rgb to = rgbOf(pixelColour(ib, x, y));
    const auto distance = [&](Rgb c) {
        return std::abs(c.r - to.r) + std::abs(c.g - to.g) + std::abs(c.b - to.b);
    };
    int last = distance(from) + 3;
    for (int k = 1; k <= 300; ++k) {
        const int d =
            distance(rgbOf(pixelColour(static_cast<KpxHandle>(frameAt(k).GetImage()), x, y)));
        EXPECT_LE(d, last + 3) << k;
        last = std::min(last, d);
    }
    const Rgb middle = rgbOf(pixelColour(static_cast<KpxHandle>(frameAt(150).GetImage()), x, y));
    EXPECT_FALSE(near(middle, from, 8));
    EXPECT_LT(distance(rgbOf(pixelColour(static_cast<KpxHandle>(frameAt(300).GetImage()), x, y))),
              distance(from) / 4);
}

TEST_F(TweenTest, EscapeLeavesTheAnimationByteForByte) {
    open("gif/pillow/dispose_bgnd.gif");
    const std::string beforePath = files.file("before.gif");
    const std::string afterPath = files.file("after.gif");
    ASSERT_TRUE(doc->OnSaveDocument(beforePath.c_str()));
    shellFake.escapeAfter = 2;
    EXPECT_EQ(TweenFrames(animation().frames, insertRequest(0, 3, 10)), TweenOutcome::Cancelled);
    ASSERT_TRUE(doc->OnSaveDocument(afterPath.c_str()));
    EXPECT_EQ(readFile(beforePath), readFile(afterPath));
}

TEST_F(TweenTest, UndoRestoresTheFrames) {
    open("gif/pillow/dispose_bgnd.gif");
    const std::uint16_t second = frameAt(1).GetImage();
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindTween);
    ASSERT_EQ(TweenFrames(animation().frames, insertRequest(0, 3, 5)), TweenOutcome::Done);
    animation().UpdateFrameCount();
    undo.EndStep(0);
    ASSERT_EQ(animation().frameCount, 10);
    ASSERT_TRUE(undo.Undo());
    animation().UpdateFrameCount();
    EXPECT_EQ(animation().frameCount, 5);
    EXPECT_EQ(frameAt(1).GetImage(), second);
}

// A rendered text frame fades through its own graded transparency.
TEST_F(TweenTest, TextFrameFadesByLoweringItsGrading) {
    kfm::test::ensureGuiApplication();
    open("gif/pillow/dispose_bgnd.gif");
    TextObjectRecord record;
    record.color = RGB(200, 20, 20);
    record.antialias = 1;
    record.font.lfHeight = -40;
    record.font.lfWeight = 700;
    std::strncpy(record.font.lfFaceName, "Liberation Sans", sizeof record.font.lfFaceName - 1);
    record.text = std::string("Hi");
    FrameInfo info{};
    info.textObject = &record;
    const short image = CreateTextImage(&info);
    ASSERT_NE(image, 0);
    auto& frames = animation().frames;
    frames.emplace(std::prev(frames.end()), static_cast<std::uint16_t>(image), info.width,
                   info.height, 0, 0, 10, 1, 0u, "", "", &record, nullptr, nullptr, nullptr, 0);
    animation().UpdateFrameCount();
    const CObjFrame& text = frameAt(5);
    ASSERT_EQ(text.hasText, 1);
    const KpxHandle plane = kfm::model::explicitTransparencyOf(image);
    ASSERT_NE(plane, 0);
    // The most opaque pixel of the text.
    int best = 255, bx = 0, by = 0;
    for (int y = 0; y < KPXHeight(image); ++y)
        for (int x = 0; x < KPXWidth(image); ++x)
            if (greyAt(plane, x, y) < best) {
                best = greyAt(plane, x, y);
                bx = x;
                by = y;
            }
    const int highest = 255 - best;
    ASSERT_GT(highest, 200);

    TweenRequest r = insertRequest(0, 5, 4);
    r.pictures = TweenPictures::OnlySecond;
    ASSERT_EQ(TweenFrames(frames, r), TweenOutcome::Done);
    // B (the text) is lowered by H - k * (H / 5) in step k.
    for (int k = 1; k <= 4; ++k) {
        const auto made = static_cast<KpxHandle>(frameAt(k).GetImage());
        const KpxHandle madePlane = kfm::model::explicitTransparencyOf(made);
        const int expected = std::max(highest - (highest - k * (highest / 5)), 0);
        EXPECT_NEAR(255 - greyAt(madePlane, bx, by), expected, 1) << k;
    }
}

// The tweened animation saved as GIF and read by giflib: at a pixel where A and B differ, the
// new frames run from A's colour to B's.
TEST_F(TweenTest, SavedTweenReadsInGiflibAndRunsFromAToB) {
    open("gif/pillow/chi.gif");
    // The first and the last frame of the clip, which differ most.
    while (animation().RealFrameCount() > 2)
        animation().frames.erase(std::next(animation().frames.begin(), 1));
    animation().UpdateFrameCount();
    TweenRequest r = insertRequest(0, 1, 6);
    ASSERT_EQ(TweenFrames(animation().frames, r), TweenOutcome::Done);
    animation().UpdateFrameCount();
    const std::string path = files.file("tween.gif");
    ASSERT_TRUE(doc->OnSaveDocument(path.c_str()));

    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 8);
    // Colours of each frame at the screen point, as giflib decodes them (-1: transparent).
    const auto colourAt = [&](int i, int x, int y) -> std::int64_t {
        const SavedImage& s = gif->SavedImages[i];
        const GifImageDesc& d = s.ImageDesc;
        if (x < d.Left || y < d.Top || x >= d.Left + d.Width || y >= d.Top + d.Height)
            return -1;
        const int index = s.RasterBits[(y - d.Top) * d.Width + (x - d.Left)];
        GraphicsControlBlock gcb{};
        DGifSavedExtensionToGCB(gif, i, &gcb);
        if (index == gcb.TransparentColor)
            return -1;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        const GifColorType c = map->Colors[index];
        return (c.Red << 16) | (c.Green << 8) | c.Blue;
    };
    int checked = 0;
    for (int y = 20; y < 240 && checked < 5; y += 37)
        for (int x = 15; x < 320 && checked < 5; x += 41) {
            const std::int64_t from = colourAt(0, x, y);
            const std::int64_t to = colourAt(7, x, y);
            if (from < 0 || to < 0)
                continue;
            const Rgb a = rgbOf(static_cast<std::uint32_t>(from));
            const Rgb b = rgbOf(static_cast<std::uint32_t>(to));
            const auto distance = [&](Rgb c) {
                return std::abs(c.r - b.r) + std::abs(c.g - b.g) + std::abs(c.b - b.b);
            };
            if (distance(a) < 60)
                continue;
            std::vector<std::int64_t> run;
            for (int i = 1; i <= 6; ++i)
                run.push_back(colourAt(i, x, y));
            if (std::find(run.begin(), run.end(), -1) != run.end())
                continue;
            ++checked;
            int last = distance(a);
            for (int i = 1; i <= 6; ++i) {
                const int d = distance(rgbOf(static_cast<std::uint32_t>(run[i - 1])));
                EXPECT_LE(d, last + 24) << "frame " << i << " at " << x << "," << y;
                last = std::min(last, d);
            }
            EXPECT_LT(last, distance(a) / 2);
        }
    EXPECT_GT(checked, 0);
    DGifCloseFile(gif, &error);
}

} // namespace
