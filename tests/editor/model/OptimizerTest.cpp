// The optimiser never changes what a viewer shows beyond what the user chose: with the options
// that keep colours every composed picture of the optimised animation equals the input's, both
// through the library's own composition and through giflib plus a small compositor here. Each
// option on a small fixture, cancelling at every poll, and the two size measurements.

#include "DocumentTestSupport.h"

#include "FrameChainBuild.h"
#include "FrameTransforms.h"
#include "ImageUtilities.h"
#include "Optimizer.h"
#include "PaletteRender.h"
#include "UndoHistory.h"

#include <gif_lib.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>

namespace {

constexpr COLORREF kBackground = 0xFFFFFF;

// One composed picture (0x00RRGGBB, rows from the top) and how long it shows.
struct Shown {
    std::vector<std::uint32_t> pixels;
    int delay = 0;
};
using Timeline = std::vector<Shown>;

// Consecutive equal pictures are one picture shown for their delays together: a frame that
// changes nothing is no change a viewer sees.
Timeline mergeRepeats(const Timeline& in) {
    Timeline out;
    for (const Shown& s : in) {
        if (!out.empty() && out.back().pixels == s.pixels)
            out.back().delay += s.delay;
        else
            out.push_back(s);
    }
    return out;
}

// ---- The independent compositor: giflib decodes, this composes (disposal 0..3).

int loopCountOf(const GifFileType* gif) {
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        for (int b = 0; b + 1 < image.ExtensionBlockCount; ++b) {
            const ExtensionBlock& app = image.ExtensionBlocks[b];
            const ExtensionBlock& data = image.ExtensionBlocks[b + 1];
            if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
                std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount >= 3)
                return data.Bytes[1] | (data.Bytes[2] << 8);
        }
    }
    return -1;
}

struct GifTimeline {
    Timeline shown;
    int loopCount = -1;
    bool ok = false;
};

GifTimeline composeWithGiflib(const std::string& path, int width, int height) {
    GifTimeline result;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif)
        return result;
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return result;
    }
    std::vector<std::uint32_t> screen(static_cast<std::size_t>(width) * height, kBackground);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif, i, &gcb);
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const GifImageDesc& d = image.ImageDesc;
        const std::vector<std::uint32_t> before = screen;
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const int sx = d.Left + x;
                const int sy = d.Top + y;
                const int index = image.RasterBits[y * d.Width + x];
                if (sx >= width || sy >= height || index == gcb.TransparentColor || !map ||
                    index >= map->ColorCount)
                    continue;
                const GifColorType c = map->Colors[index];
                screen[static_cast<std::size_t>(sy) * width + sx] =
                    (c.Red << 16) | (c.Green << 8) | c.Blue;
            }
        result.shown.push_back({screen, gcb.DelayTime});
        if (gcb.DisposalMode == DISPOSE_BACKGROUND || gcb.DisposalMode == DISPOSE_PREVIOUS)
            for (int y = d.Top; y < std::min(d.Top + d.Height, height); ++y)
                for (int x = d.Left; x < std::min(d.Left + d.Width, width); ++x) {
                    const std::size_t at = static_cast<std::size_t>(y) * width + x;
                    screen[at] = gcb.DisposalMode == DISPOSE_BACKGROUND ? kBackground : before[at];
                }
    }
    result.loopCount = loopCountOf(gif);
    result.ok = true;
    DGifCloseFile(gif, &error);
    return result;
}

// One frame of a table animation: place, disposal, transparent index (-1 none), palette seed
// (frames with the same seed share colours; seed 0 is a table of 16 colours over and over, as
// files of few colours pad theirs) and the pattern of its indices.
struct FrameSpec {
    int left, top, width, height;
    int disposal;
    int transparent;
    int paletteSeed;
    std::function<int(int x, int y)> index;
};

struct AnimationCase {
    const char* name;
    int width, height;
    std::vector<FrameSpec> frames;
};

int checker(int x, int y) {
    return ((x / 2 + y / 2) % 2) ? 3 : 5;
}

// A 6 x 6 block of index 7 at (bx, by), index 0 elsewhere.
std::function<int(int, int)> blockAt(int bx, int by, int elsewhere = 0) {
    return [=](int x, int y) {
        return x >= bx && x < bx + 6 && y >= by && y < by + 6 ? 7 : elsewhere;
    };
}

// Each of the 256 indices once on a 16 x 16 frame.
int everyEntry(int x, int y) {
    return y * 16 + x;
}

// The same with the 4 x 4 block at (4, 4) mirrored left to right: still every index.
int mirroredBlock(int x, int y) {
    const bool inBlock = x >= 4 && x < 8 && y >= 4 && y < 8;
    return everyEntry(inBlock ? 11 - x : x, y);
}

// Eight indices scattered over the screen, 5 among them.
int noise(int x, int y) {
    return (x * 37 + y * 91 + x * y * 13) % 8;
}

// The noise with a solid block of index 5 over (2, 2)..(13, 9).
int solidBlockOverNoise(int x, int y) {
    return x >= 2 && x < 14 && y >= 2 && y < 10 ? 5 : noise(x, y);
}

std::vector<AnimationCase> animationTable() {
    const auto stripes = [](int x, int y) { return (x + y) % 4 + 1; };
    return {
        {"one frame", 12, 10, {{0, 0, 12, 10, 1, -1, 1, stripes}}},
        {"frames that cover the screen",
         16,
         12,
         {{0, 0, 16, 12, 1, -1, 1, stripes},
          {0, 0, 16, 12, 1, -1, 1, blockAt(3, 2, 2)},
          {0, 0, 16, 12, 1, -1, 1, blockAt(5, 4, 2)}}},
        {"moving object, transparency, keep",
         20,
         14,
         {{0, 0, 20, 14, 1, -1, 1, checker},
          {2, 3, 10, 8, 1, 0, 1, blockAt(1, 1)},
          {4, 3, 10, 8, 1, 0, 1, blockAt(2, 1)},
          {6, 5, 10, 8, 1, 0, 1, blockAt(3, 2)}}},
        {"disposal to background",
         20,
         14,
         {{0, 0, 20, 14, 1, -1, 1, checker},
          {2, 2, 10, 8, 2, 0, 1, blockAt(1, 1)},
          {8, 4, 10, 8, 2, 0, 1, blockAt(2, 1)},
          {3, 3, 6, 6, 1, -1, 1, stripes}}},
        {"disposal to previous",
         20,
         14,
         {{0, 0, 20, 14, 1, -1, 1, checker},
          {2, 2, 10, 8, 3, 0, 1, blockAt(1, 1)},
          {8, 4, 10, 8, 3, 0, 1, blockAt(2, 1)},
          {5, 5, 6, 6, 1, 0, 1, blockAt(0, 0)}}},
        {"unspecified disposal",
         16,
         12,
         {{0, 0, 16, 12, 0, -1, 1, stripes}, {4, 4, 8, 6, 0, -1, 1, checker}}},
        {"frames that do not move",
         16,
         12,
         {{0, 0, 16, 12, 1, -1, 1, stripes},
          {0, 0, 16, 12, 1, -1, 1, stripes},
          {2, 2, 8, 6, 1, 0, 1, [](int, int) { return 0; }},
          {0, 0, 16, 12, 1, -1, 1, stripes}}},
        {"local palettes",
         16,
         12,
         {{0, 0, 16, 12, 1, -1, 1, stripes},
          {2, 2, 10, 8, 1, 0, 2, blockAt(2, 1)},
          {4, 2, 10, 8, 1, -1, 3, checker}}},
        // Whole frames in one table of 16 colours repeated to 256 entries: every entry the
        // difference step may take for the unchanged pixels has the colour of another.
        {"frames that share a table of repeated colours",
         16,
         12,
         {{0, 0, 16, 12, 1, -1, 0, stripes},
          {0, 0, 16, 12, 1, -1, 0, blockAt(3, 2, 2)},
          {0, 0, 16, 12, 1, -1, 0, blockAt(5, 4, 2)}}},
        // Every index of the table shows, before and after a block in the middle is mirrored:
        // no entry is free for the unchanged pixels.
        {"frames that use every palette entry",
         16,
         16,
         {{0, 0, 16, 16, 1, -1, 1, everyEntry}, {0, 0, 16, 16, 1, -1, 1, mirroredBlock}}},
        // Two tables side by side: the screen shows 512 colours.
        {"a screen of more colours than one table",
         32,
         16,
         {{0, 0, 16, 16, 1, -1, 1, everyEntry},
          {16, 0, 16, 16, 1, -1, 2, everyEntry},
          {4, 4, 6, 6, 1, -1, 1, checker},
          {12, 4, 8, 8, 1, 0, 3, blockAt(1, 1)}}},
        // Inside the block some pixels do not change (the noise had 5 there): they may show
        // through as unchanged or be drawn in their own colour.
        {"a solid block over noise",
         16,
         12,
         {{0, 0, 16, 12, 1, -1, 1, noise}, {0, 0, 16, 12, 1, -1, 1, solidBlockOverNoise}}},
        // The right half goes back to the background while a third table fills the left half:
        // 257 colours change at once, which no single frame can show.
        {"a change that one table cannot hold",
         32,
         16,
         {{0, 0, 16, 16, 1, -1, 1, everyEntry},
          {16, 0, 16, 16, 2, -1, 2, everyEntry},
          {0, 0, 16, 16, 1, -1, 3, everyEntry}}},
    };
}

// The options that keep every colour: no conversion to a smaller palette and no quantised
// object frames.
struct OptionsCase {
    const char* name;
    OptimizeOptions options;
};

OptimizeOptions optionsOf(int mode, int redundant, int special, int difference, int colours = 256) {
    OptimizeOptions o{};
    o.word[kOptionPaletteMode] = mode;
    o.word[kOptionRedundantPixels] = redundant;
    o.word[kOptionRemoveSpecialInfo] = special;
    o.word[kOptionDifferenceMethod] = difference;
    o.word[kOptionNumColors] = colours;
    return o;
}

std::vector<OptionsCase> keepingOptions() {
    return {{"redundant pixels", optionsOf(11, 1, 0, 0)},
            {"difference method", optionsOf(11, 1, 1, 1)},
            {"difference method, nothing else", optionsOf(11, 0, 1, 1)}};
}

class OptimizerTest : public DocumentFixture {
protected:
    void SetUp() override {
        DocumentFixture::SetUp();
        g_Settings.animBkColor = kBackground;
    }

    void build(const AnimationCase& c) {
        animation().AnimationWidth = c.width;
        animation().AnimationHeight = c.height;
        animation().loopCount = 3;
        int delay = 5;
        for (const FrameSpec& s : c.frames) {
            CObjFrame& f = addFrame(s.left, s.top, s.width, s.height, 8);
            const auto image = static_cast<KpxHandle>(f.GetImage());
            BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
            for (int i = 0; i < 256; ++i)
                info->bmiColors[i] =
                    s.paletteSeed == 0
                        ? RGBQUAD{static_cast<BYTE>(i % 16 * 16), static_cast<BYTE>(i % 16 * 9),
                                  static_cast<BYTE>(200 - i % 16 * 5), 0}
                        : RGBQUAD{static_cast<BYTE>(i * 29 + s.paletteSeed * 50),
                                  static_cast<BYTE>(255 - i * 13 * s.paletteSeed),
                                  static_cast<BYTE>(i * 7 + s.paletteSeed), 0};
            const int row = KPXGetScanBytes(image);
            std::uint8_t* bits = KPXGetBits(image);
            for (int y = 0; y < s.height; ++y)
                for (int x = 0; x < s.width; ++x)
                    bits[(s.height - 1 - y) * row + x] = static_cast<std::uint8_t>(s.index(x, y));
            KPXFillDIBColorTable(image);
            f.disposal = s.disposal;
            f.delay = delay++;
            if (s.transparent >= 0) {
                f.transparency = kKpxTransparencyIndexFlag + s.transparent;
                SetImageTransparent(static_cast<short>(image), s.transparent);
            }
            f.PutFrameInfo(0);
        }
    }

    // The pictures the library composes after each frame, on the background colour.
    Timeline composeWithLibrary() {
        Timeline out;
        FrameList& list = animation().frames;
        const int w = animation().AnimationWidth;
        const int h = animation().AnimationHeight;
        if (BuildFramesImage(list, 0, 0) != 1)
            return out;
        const auto head = static_cast<KpxHandle>(list.front().GetImage());
        ScopedImage canvas(KPXCreateImage(w, h, 24));
        KPXFillImageByRGBColor2(canvas.get(), kBackground, 0, 0, w - 1, h - 1);
        int n = 0;
        for (auto it = list.begin(); std::next(it) != list.end(); ++it, ++n) {
            KPXStretchBltFrame(canvas.get(), 0, 0, w, h, head, n, 0, 0, 0, 0, 0, 0, 0, kBackground,
                               0);
            Shown s;
            s.delay = it->delay;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    s.pixels.push_back(pixelColour(canvas.get(), x, y));
            out.push_back(std::move(s));
        }
        SplitFramesImage(list, 0);
        return out;
    }

    GifTimeline saveAndCompose(const std::string& name) {
        const std::string path = files.file(name);
        if (doc->OnSaveDocument(path.c_str()) != 1)
            return {};
        return composeWithGiflib(path, animation().AnimationWidth, animation().AnimationHeight);
    }

    // Where two timelines first differ, for the failure message.
    static std::string difference(const Timeline& a, const Timeline& b) {
        if (a.size() != b.size())
            return "pictures: " + std::to_string(a.size()) + " vs " + std::to_string(b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i].delay != b[i].delay)
                return "delay of picture " + std::to_string(i);
            if (a[i].pixels != b[i].pixels)
                return "pixels of picture " + std::to_string(i);
        }
        return "";
    }

    struct FrameState {
        int left, top, width, height, delay, disposal;
        std::uint32_t transparency;
        std::string name, comment;
        std::uint16_t image;
        bool operator==(const FrameState&) const = default;
    };
    std::vector<FrameState> frameStates() {
        std::vector<FrameState> out;
        for (const CObjFrame& f : animation().frames)
            out.push_back({f.left, f.top, f.width, f.height, f.delay, f.disposal, f.transparency,
                           f.name, f.comment, f.GetImage()});
        return out;
    }

    // The files in the temporary folder, recursively.
    std::set<std::string> temporaryFiles() {
        std::set<std::string> out;
        for (const auto& e : std::filesystem::recursive_directory_iterator(tempFolder.path()))
            out.insert(e.path().string());
        return out;
    }
};

TEST_F(OptimizerTest, ComposedPicturesStayTheSame) {
    for (const AnimationCase& c : animationTable())
        for (const OptionsCase& o : keepingOptions()) {
            SCOPED_TRACE(std::string(c.name) + " / " + o.name);
            animation().ResetFrames();
            build(c);
            const Timeline libraryBefore = mergeRepeats(composeWithLibrary());
            const GifTimeline giflibBefore = saveAndCompose("before.gif");
            ASSERT_TRUE(giflibBefore.ok);
            ASSERT_EQ(difference(libraryBefore, mergeRepeats(giflibBefore.shown)), "")
                << "the two compositors agree on the input";

            EXPECT_NE(OptimizeAnimation(o.options), kOptimizeCancelled);
            const Timeline libraryAfter = mergeRepeats(composeWithLibrary());
            EXPECT_EQ(difference(libraryBefore, libraryAfter), "") << "library composition";
            const GifTimeline giflibAfter = saveAndCompose("after.gif");
            ASSERT_TRUE(giflibAfter.ok);
            EXPECT_EQ(difference(mergeRepeats(giflibBefore.shown), mergeRepeats(giflibAfter.shown)),
                      "")
                << "giflib composition";
            EXPECT_EQ(giflibAfter.loopCount, giflibBefore.loopCount);
            EXPECT_EQ(animation().loopCount, 3);
        }
}

TEST_F(OptimizerTest, CancelAtEveryPollLeavesTheAnimationAsItWas) {
    const AnimationCase c = animationTable()[2];
    const std::vector<OptimizeOptions> runs = {optionsOf(11, 1, 1, 1), optionsOf(0, 1, 1, 1, 64),
                                               optionsOf(10, 1, 0, 0)};
    for (const OptimizeOptions& options : runs) {
        animation().ResetFrames();
        build(c);
        CObjFrame& text = frameAt(1);
        text.hasText = 1;
        TheUndoHistory().Reset();
        const auto before = frameStates();
        const Timeline pictures = composeWithLibrary();
        const auto filesBefore = temporaryFiles();
        int completedAt = -1;
        for (int poll = 0; poll < 200 && completedAt < 0; ++poll) {
            SCOPED_TRACE("Esc at poll " + std::to_string(poll));
            shellFake.escapeAfter = poll;
            TheUndoHistory().BeginStep(kUndoKindOptimise);
            const int result = OptimizeAnimation(options);
            TheUndoHistory().EndStep(1);
            if (result != kOptimizeCancelled) {
                completedAt = poll;
                break;
            }
            ASSERT_TRUE(TheUndoHistory().Undo());
            EXPECT_TRUE(frameStates() == before);
            EXPECT_EQ(composeWithLibrary().size(), pictures.size());
            EXPECT_EQ(difference(composeWithLibrary(), pictures), "");
            EXPECT_EQ(temporaryFiles(), filesBefore);
        }
        shellFake.escapeAfter = -1;
        EXPECT_GT(completedAt, 2) << "every step polls Esc";
        TheUndoHistory().Reset();
    }
}

// ---- Each option on a small fixture

class OptimizerOptionsTest : public OptimizerTest {};

TEST_F(OptimizerOptionsTest, CommentsAndTitles) {
    build(animationTable()[1]);
    animation().comment = "made by hand";
    for (CObjFrame& f : animation().frames) {
        f.name = "name";
        f.comment = "title";
    }
    OptimizeOptions comments = optionsOf(11, 0, 0, 0);
    comments.word[kOptionRemoveComments] = 1;
    OptimizeAnimation(comments);
    EXPECT_EQ(animation().comment, "");
    EXPECT_EQ(frameAt(0).name, "");
    EXPECT_EQ(frameAt(1).comment, "title") << "the titles stay";

    OptimizeOptions titles = optionsOf(11, 0, 0, 0);
    titles.word[kOptionRemoveTitles] = 1;
    OptimizeAnimation(titles);
    EXPECT_EQ(frameAt(1).comment, "");
}

TEST_F(OptimizerOptionsTest, SpecialInformation) {
    build(animationTable()[1]);
    CObjFrame& text8 = frameAt(1);
    text8.hasText = 1;
    SetImageTransparent(static_cast<short>(text8.GetImage()), 0);
    CObjFrame& deep = addFrame(2, 2, 6, 4, 24);
    IPLImageFillByColor(deep.GetImage(), 0, RGB(10, 200, 30));
    deep.hasText = 1;
    deep.delay = 1;
    CObjFrame& control = addFrame(0, 0, 4, 4, 8);
    control.hasControl = 1;
    const std::uint16_t controlPicture = control.GetImage();

    OptimizeOptions keep = optionsOf(11, 0, 0, 0);
    OptimizeAnimation(keep);
    EXPECT_TRUE(frameAt(1).hasText) << "without the option objects stay";

    OptimizeOptions special = optionsOf(11, 0, 1, 0);
    OptimizeAnimation(special);
    EXPECT_FALSE(frameAt(1).hasText) << "an 8-bit text frame is flattened";
    EXPECT_EQ(KPXbpp(frameAt(3).GetImage()), 8) << "a 24-bit frame is quantised";
    EXPECT_TRUE(frameAt(3).hasText) << "and keeps its text source";
    EXPECT_FALSE(frameAt(4).hasControl);
    EXPECT_EQ(frameAt(4).GetImage(), controlPicture) << "the control picture stays";
}

TEST_F(OptimizerOptionsTest, DifferenceMethodLeavesOnlyWhatChanges) {
    build(animationTable()[1]); // three full frames, a block moving on a plain ground
    OptimizeAnimation(optionsOf(11, 0, 1, 1));
    ASSERT_EQ(animation().RealFrameCount(), 3);
    EXPECT_EQ(frameAt(0).width, 16) << "the first frame stays whole";
    EXPECT_EQ(frameAt(0).transparency, 0u);
    // The block moved from (3,2) to (5,4): the changed pixels span (3,2)..(10,9).
    const CObjFrame& third = frameAt(2);
    EXPECT_EQ(third.left, 3);
    EXPECT_EQ(third.top, 2);
    EXPECT_EQ(third.width, 8);
    EXPECT_EQ(third.height, 8);
    EXPECT_EQ(third.disposal, 1);
    EXPECT_NE(third.transparency & kKpxTransparencyIndexFlag, 0u);
}

// Frames that show only colours of the first frame's table are written in that table: the entry
// of their unchanged pixels, which no viewer shows, keeps the table's colour, and no frame
// carries a copy of the table that differs in it alone.
TEST_F(OptimizerOptionsTest, DifferenceMethodWritesFramesInTheFirstTable) {
    const auto ground = [](int x, int y) { return (x * 3 + y * 5) % 40; };
    AnimationCase moving{"", 24, 16, {}};
    for (int i = 0; i < 6; ++i)
        moving.frames.push_back({0, 0, 24, 16, 1, -1, 1, [=](int x, int y) {
                                     const bool object =
                                         x >= 2 + 3 * i && x < 6 + 3 * i && y >= 4 && y < 9;
                                     return object ? 200 : ground(x, y);
                                 }});
    build(moving);
    const GifTimeline before = saveAndCompose("before.gif");
    ASSERT_TRUE(before.ok);
    ASSERT_NE(OptimizeAnimation(optionsOf(11, 1, 1, 1)), kOptimizeCancelled);
    const std::string path = files.file("after.gif");
    ASSERT_EQ(doc->OnSaveDocument(path.c_str()), 1);
    const GifTimeline after = composeWithGiflib(path, 24, 16);
    ASSERT_TRUE(after.ok);
    EXPECT_EQ(difference(mergeRepeats(before.shown), mergeRepeats(after.shown)), "");

    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->ImageCount, 6);
    int localTables = 0;
    int transparentFrames = 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        localTables += gif->SavedImages[i].ImageDesc.ColorMap ? 1 : 0;
        GraphicsControlBlock gcb{};
        if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK &&
            gcb.TransparentColor != NO_TRANSPARENT_COLOR)
            ++transparentFrames;
    }
    DGifCloseFile(gif, &error);
    EXPECT_EQ(localTables, 0);
    EXPECT_EQ(transparentFrames, 5) << "every frame after the first keeps its unchanged pixels";
}

// An unchanged pixel shows the same marked unchanged or drawn in its own colour; the frame takes
// whichever codes shorter. A solid block over noise codes shorter whole than with holes where
// the noise had the block's colour already.
TEST_F(OptimizerOptionsTest, DifferenceMethodDrawsUnchangedPixelsWhereThatCodesShorter) {
    const std::vector<AnimationCase> table = animationTable();
    const AnimationCase c = *std::find_if(table.begin(), table.end(), [](const AnimationCase& a) {
        return std::string(a.name) == "a solid block over noise";
    });
    build(c);
    ASSERT_NE(OptimizeAnimation(optionsOf(11, 1, 1, 1)), kOptimizeCancelled);
    ASSERT_EQ(animation().RealFrameCount(), 2);
    const CObjFrame& second = frameAt(1);
    EXPECT_EQ(second.left, 2);
    EXPECT_EQ(second.top, 2);
    ASSERT_EQ(second.width, 12);
    ASSERT_EQ(second.height, 8);
    const auto image = static_cast<KpxHandle>(second.GetImage());
    const std::uint8_t* bits = KPXGetBits(image);
    const int scan = KPXGetScanBytes(image);
    std::set<int> indices;
    for (int y = 0; y < second.height; ++y)
        for (int x = 0; x < second.width; ++x)
            indices.insert(bits[static_cast<std::size_t>(y) * scan + x]);
    EXPECT_EQ(indices.size(), 1u) << "the block is drawn whole, without unchanged holes";
}

// Without a common palette the difference method keeps colours that the first frame's table
// lacks: a frame's own palette and the background showing beside the first frame.
TEST_F(OptimizerOptionsTest, DifferenceMethodKeepsColoursOutsideTheFirstTable) {
    build({"",
           12,
           10,
           {{0, 0, 6, 10, 1, -1, 1, [](int, int) { return 4; }},
            {6, 0, 6, 10, 1, -1, 2, [](int, int) { return 9; }}}});
    const auto ownColour = [](KpxHandle image, int index) {
        const RGBQUAD c = KPXGetBitmapInfoHeader(image)->bmiColors[index];
        return static_cast<std::uint32_t>((c.rgbRed << 16) | (c.rgbGreen << 8) | c.rgbBlue);
    };
    const std::uint32_t left = ownColour(static_cast<KpxHandle>(frameAt(0).GetImage()), 4);
    const std::uint32_t right = ownColour(static_cast<KpxHandle>(frameAt(1).GetImage()), 9);
    const Timeline before = composeWithLibrary();

    OptimizeAnimation(optionsOf(11, 0, 1, 1));
    ASSERT_EQ(animation().RealFrameCount(), 2);
    const auto first = static_cast<KpxHandle>(frameAt(0).GetImage());
    EXPECT_EQ(pixelColour(first, 2, 5), left);
    EXPECT_EQ(pixelColour(first, 8, 5), 0xFFFFFFu) << "the background beside the first frame";
    const CObjFrame& second = frameAt(1);
    EXPECT_EQ(second.left, 6) << "the unchanged half is cropped away";
    EXPECT_EQ(second.width, 6);
    EXPECT_EQ(pixelColour(static_cast<KpxHandle>(second.GetImage()), 1, 5), right)
        << "the frame keeps its own palette's colour";
    EXPECT_EQ(difference(before, composeWithLibrary()), "");
}

// A frame's colours never go to a nearest entry: when the first frame's table has no entry to
// spare, the frame takes a table of its own; when its changed pixels fill a whole table it is
// written as their opaque rectangle; when not even that fits, the method changes nothing.
TEST_F(OptimizerOptionsTest, DifferenceMethodNeverMapsColoursToNearestEntries) {
    const auto table = animationTable();
    const auto named = [&](const std::string& name) {
        return *std::find_if(table.begin(), table.end(),
                             [&](const AnimationCase& c) { return name == c.name; });
    };
    {
        SCOPED_TRACE("every entry in use");
        build(named("frames that use every palette entry"));
        const Timeline before = composeWithLibrary();
        ASSERT_EQ(RemoveRedundantPixels(), 1);
        EXPECT_EQ(difference(before, composeWithLibrary()), "");
        EXPECT_NE(frameAt(1).transparency & kKpxTransparencyIndexFlag, 0u)
            << "the unchanged pixels still become transparent";
    }
    {
        SCOPED_TRACE("512 colours on the screen");
        animation().ResetFrames();
        build(named("a screen of more colours than one table"));
        const Timeline before = composeWithLibrary();
        ASSERT_EQ(RemoveRedundantPixels(), 1);
        EXPECT_EQ(difference(before, composeWithLibrary()), "");
        const CObjFrame& right = frameAt(1);
        EXPECT_EQ(right.left, 16) << "the changed half, opaque";
        EXPECT_EQ(right.width, 16);
        EXPECT_EQ(right.transparency, 0u);
        // The first frame on the background is 257 colours: only its own half is written.
        EXPECT_EQ(frameAt(0).width, 16);
        EXPECT_EQ(frameAt(0).transparency, 0u);
    }
    {
        SCOPED_TRACE("257 colours change at once");
        animation().ResetFrames();
        build(named("a change that one table cannot hold"));
        const auto frames = frameStates();
        EXPECT_EQ(RemoveRedundantPixels(), 0);
        EXPECT_TRUE(frameStates() == frames) << "nothing changed";
        for (const CObjFrame& f : animation().frames)
            EXPECT_EQ(f.GetRenderedImage(), 0);
    }
}

// The first frame takes palette entry 0 of the second only when none of its pixels shows it. The
// frames' table repeats its colours, so the second frame's entry 0, which marks its unchanged
// pixels, cannot keep the table's colour there (another entry has it).
TEST_F(OptimizerOptionsTest, DifferenceMethodAlignsTheFirstPaletteEntry) {
    struct Case {
        const char* name;
        std::function<int(int, int)> firstIndices;
        bool takesEntry;
    };
    const std::vector<Case> cases = {{"index 0 unused", [](int, int) { return 3; }, true},
                                     {"index 0 used", blockAt(2, 2), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        animation().ResetFrames();
        build({"",
               12,
               10,
               {{0, 0, 12, 10, 1, -1, 0, c.firstIndices},
                {0, 0, 12, 10, 1, -1, 0, blockAt(5, 3, 3)}}});
        const COLORREF entry0 =
            KPXGetColorFromPalette(static_cast<KpxHandle>(frameAt(0).GetImage()), 0);
        ASSERT_EQ(RemoveRedundantPixels(), 1);
        const auto first = static_cast<KpxHandle>(frameAt(0).GetImage());
        const auto second = static_cast<KpxHandle>(frameAt(1).GetImage());
        ASSERT_NE(KPXGetColorFromPalette(second, 0), entry0) << "the second frame marks index 0";
        EXPECT_EQ(KPXGetColorFromPalette(first, 0),
                  c.takesEntry ? KPXGetColorFromPalette(second, 0) : entry0);
    }
}

TEST_F(OptimizerOptionsTest, RedundantPixelsCropFromTheSecondFrameAndMergeEmptyFrames) {
    build({"",
           20,
           14,
           {{0, 0, 20, 14, 1, 0, 1, blockAt(2, 2)},
            {0, 0, 20, 14, 1, 0, 1, blockAt(4, 3)},
            {0, 0, 20, 14, 1, 0, 1, [](int, int) { return 0; }},
            {0, 0, 20, 14, 2, 0, 1, blockAt(1, 1)},
            {0, 0, 20, 14, 1, 0, 1, [](int, int) { return 0; }}}});
    OptimizeAnimation(optionsOf(11, 1, 0, 0));
    ASSERT_EQ(animation().RealFrameCount(), 4) << "the empty frame after disposal 1 is merged";
    EXPECT_EQ(frameAt(0).width, 20) << "the first frame is never cropped";
    EXPECT_EQ(frameAt(1).left, 4);
    EXPECT_EQ(frameAt(1).top, 3);
    EXPECT_EQ(frameAt(1).width, 6);
    EXPECT_EQ(frameAt(1).delay, 6 + 7);
    EXPECT_EQ(frameAt(2).width, 20) << "a frame restored to the background keeps its rectangle";
    EXPECT_EQ(frameAt(3).width, 20) << "an empty frame after disposal 2 stays";
}

TEST_F(OptimizerOptionsTest, PaletteModes) {
    const auto tableOf = [&](int frame) {
        const RGBQUAD* c = KPXGetBitmapInfoHeader(frameAt(frame).GetImage())->bmiColors;
        return std::vector<std::uint32_t>(reinterpret_cast<const std::uint32_t*>(c),
                                          reinterpret_cast<const std::uint32_t*>(c) + 216);
    };
    build(animationTable()[2]); // an opaque first frame, transparent pixels in the others
    const auto original = tableOf(1);
    OptimizeAnimation(optionsOf(11, 0, 0, 0));
    EXPECT_EQ(tableOf(1), original) << "mode 11 converts no frame";

    OptimizeAnimation(optionsOf(10, 0, 0, 0));
    const RGBQUAD cube = KPXGetBitmapInfoHeader(frameAt(1).GetImage())->bmiColors[215];
    EXPECT_EQ(cube.rgbRed, 255);
    EXPECT_EQ(cube.rgbGreen, 255);
    EXPECT_EQ(cube.rgbBlue, 255);
    EXPECT_EQ(frameAt(1).transparency, kKpxTransparencyIndexFlag + 255u);
    EXPECT_EQ(frameAt(0).transparency, 0u) << "a frame without transparent pixels needs no index";
}

int distinctColours(KpxHandle image) {
    std::set<std::uint32_t> colours;
    for (int y = 0; y < KPXHeight(image); ++y)
        for (int x = 0; x < KPXWidth(image); ++x)
            colours.insert(DocumentFixture::pixelColour(image, x, y));
    return static_cast<int>(colours.size());
}

TEST_F(OptimizerOptionsTest, NumberOfColoursAndDither) {
    const auto gradient = [](int x, int y) { return (x * 5 + y * 3) % 40; };
    const AnimationCase c{"", 24, 16, {{0, 0, 24, 16, 1, -1, 1, gradient}}};
    build(c);
    EXPECT_GT(distinctColours(frameAt(0).GetImage()), 30);
    OptimizeAnimation(optionsOf(0, 0, 0, 0, 4));
    EXPECT_LE(distinctColours(frameAt(0).GetImage()), 4);

    // Dither is its own word: remove-comments alone gives the undithered picture.
    const auto convertOnCube = [&](int word, int value) {
        animation().ResetFrames();
        build(c);
        OptimizeOptions o = optionsOf(10, 0, 0, 0);
        o.word[word] = value;
        OptimizeAnimation(o);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 24; ++x)
                pixels.push_back(pixelColour(frameAt(0).GetImage(), x, y));
        return pixels;
    };
    const auto plain = convertOnCube(kOptionDither, 0);
    EXPECT_NE(convertOnCube(kOptionDither, 1), plain);
    EXPECT_EQ(convertOnCube(kOptionRemoveComments, 1), plain);
}

TEST_F(OptimizerOptionsTest, AnAnimationWithoutFrames) {
    EXPECT_NE(OptimizeAnimation(optionsOf(0, 1, 1, 1)), kOptimizeCancelled);
    EXPECT_EQ(animation().RealFrameCount(), 0);
    EXPECT_EQ(RemoveRedundantPixels(), 1);
}

// ---- The common palette with the page's defaults

OptimizeOptions pageDefaults() {
    OptimizeOptions o = optionsOf(1, 1, 1, 0, 256);
    o.word[kOptionRemoveComments] = 1;
    o.word[kOptionRemoveTitles] = 1;
    return o;
}

std::set<std::uint32_t> coloursShown(const Timeline& shown) {
    std::set<std::uint32_t> out;
    for (const Shown& s : shown)
        out.insert(s.pixels.begin(), s.pixels.end());
    return out;
}

// The mean difference of a channel between the pictures of two timelines of the same shape
// (256: they differ in shape).
double meanChannelError(const Timeline& a, const Timeline& b) {
    if (a.size() != b.size())
        return 256;
    double sum = 0;
    std::size_t channels = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].pixels.size() != b[i].pixels.size())
            return 256;
        for (std::size_t k = 0; k < a[i].pixels.size(); ++k)
            for (int shift = 0; shift < 24; shift += 8) {
                sum += std::abs(static_cast<int>((a[i].pixels[k] >> shift) & 0xFF) -
                                static_cast<int>((b[i].pixels[k] >> shift) & 0xFF));
                ++channels;
            }
    }
    return channels ? sum / static_cast<double>(channels) : 0;
}

// How far the colours of a picture lie from grey: the mean of max - min over its pixels.
double meanSaturation(const std::vector<std::uint32_t>& pixels) {
    double sum = 0;
    for (const std::uint32_t c : pixels) {
        const int r = static_cast<int>(c >> 16 & 0xFF);
        const int g = static_cast<int>(c >> 8 & 0xFF);
        const int b = static_cast<int>(c & 0xFF);
        sum += std::max({r, g, b}) - std::min({r, g, b});
    }
    return pixels.empty() ? 0 : sum / static_cast<double>(pixels.size());
}

// Frames that together hold no more colours than the palette: one table of exactly those
// colours for all of them, and not a pixel changes. With transparent pixels one entry is theirs.
TEST_F(OptimizerTest, CommonPaletteKeepsColoursThatFit) {
    struct Case {
        const char* name;
        AnimationCase animation;
        std::size_t colours;
    };
    // Ten frames of twenty colours each, every frame with a table of its own, some with
    // transparent pixels; and four frames that share all 256 entries of one table.
    AnimationCase tenFrames{"", 40, 20, {}};
    for (int k = 0; k < 10; ++k)
        tenFrames.frames.push_back({(k % 5) * 8, (k / 5) * 10, 8, 10, 1, k % 3 == 2 ? 0 : -1, k + 1,
                                    [](int x, int y) { return 1 + (x + 8 * y) % 20; }});
    AnimationCase fullTable{"", 16, 16, {}};
    for (int k = 0; k < 4; ++k)
        fullTable.frames.push_back(
            {0, 4 * k, 16, 4, 1, -1, 1, [k](int x, int y) { return 64 * k + 16 * y + x; }});
    for (const Case& c : {Case{"200 colours in 10 frames", tenFrames, 200},
                          Case{"256 colours, no transparency", fullTable, 256}}) {
        SCOPED_TRACE(c.name);
        animation().ResetFrames();
        build(c.animation);
        const Timeline before = composeWithLibrary();
        std::set<std::uint32_t> colours = coloursShown(before);
        colours.erase(kBackground);
        ASSERT_EQ(colours.size(), c.colours);
        const GifTimeline fileBefore = saveAndCompose("before.gif");
        ASSERT_TRUE(fileBefore.ok);

        EXPECT_NE(OptimizeAnimation(pageDefaults()), kOptimizeCancelled);
        EXPECT_EQ(difference(before, composeWithLibrary()), "");
        const GifTimeline fileAfter = saveAndCompose("after.gif");
        ASSERT_TRUE(fileAfter.ok);
        EXPECT_EQ(difference(fileBefore.shown, fileAfter.shown), "");

        const RGBQUAD* table = KPXGetBitmapInfoHeader(frameAt(0).GetImage())->bmiColors;
        std::set<std::uint32_t> held;
        for (int i = 0; i < 256; ++i)
            held.insert((table[i].rgbRed << 16) | (table[i].rgbGreen << 8) | table[i].rgbBlue);
        held.erase(kBackground); // the transparent entry, white
        EXPECT_EQ(held, colours) << "the common table holds exactly the frames' colours";
        for (const CObjFrame& f : animation().frames)
            if (f.GetImage())
                EXPECT_EQ(std::memcmp(KPXGetBitmapInfoHeader(f.GetImage())->bmiColors, table,
                                      256 * sizeof(RGBQUAD)),
                          0)
                    << "every frame has the common table";
    }
}

// Two frames whose colours together are more than one table holds: the common palette loses
// no more than gifsicle's (-O3 --colors 256 on the same file), and colours stay colours.
TEST_F(OptimizerTest, CommonPaletteOfMoreColoursStaysCloseToGifsicle) {
    build({"",
           32,
           16,
           {{0, 0, 16, 16, 1, -1, 1, everyEntry}, {16, 0, 16, 16, 1, -1, 2, everyEntry}}});
    const GifTimeline input = saveAndCompose("input.gif");
    ASSERT_TRUE(input.ok);
    ASSERT_GT(coloursShown(input.shown).size(), 500u);

    const std::string peer = files.file("gifsicle.gif");
    const std::string command = "gifsicle -O3 --colors 256 --no-warnings '" +
                                files.file("input.gif") + "' -o '" + peer + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const GifTimeline byGifsicle = composeWithGiflib(peer, 32, 16);
    ASSERT_TRUE(byGifsicle.ok);

    EXPECT_NE(OptimizeAnimation(pageDefaults()), kOptimizeCancelled);
    const GifTimeline ours = saveAndCompose("ours.gif");
    ASSERT_TRUE(ours.ok);
    const double ourError = meanChannelError(input.shown, ours.shown);
    const double peerError = meanChannelError(input.shown, byGifsicle.shown);
    EXPECT_LE(ourError, 1.1 * peerError) << "ours " << ourError << ", gifsicle " << peerError;
    EXPECT_GE(meanSaturation(ours.shown.back().pixels),
              0.9 * meanSaturation(input.shown.back().pixels));
}

// ---- The size measurements

TEST_F(OptimizerTest, SizeMeasurements) {
    build(animationTable()[2]);
    EXPECT_EQ(doc->GetFileSize(), 0) << "no file yet";
    EXPECT_EQ(doc->MeasureSavedFileSize(0), 0u);
    const auto filesBefore = temporaryFiles();
    const unsigned measured = doc->MeasureSavedFileSize(static_cast<short>(frameAt(0).GetImage()));
    EXPECT_EQ(temporaryFiles(), filesBefore) << "the temporary GIF is removed";
    const std::string path = files.file("saved.gif");
    ASSERT_TRUE(doc->OnSaveDocument(path.c_str()));
    EXPECT_EQ(measured, std::filesystem::file_size(path));
    doc->SetPathName(path, FALSE);
    EXPECT_EQ(doc->GetFileSize(), static_cast<int>(measured));
    EXPECT_EQ(GetFileSizeOnDisk(files.file("missing.gif")), 0);
}

// ---- Transparency levels: the file shows what the editor shows

// The largest difference of one channel between two pictures of the same size.
int largestChannelDifference(const std::vector<std::uint32_t>& a,
                             const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size())
        return 256;
    int largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            largest = std::max(largest, std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                                                 static_cast<int>((b[i] >> shift) & 0xFF)));
    return largest;
}

class TransparencyLevelTest : public OptimizerTest {
protected:
    struct Case {
        int depth;
        int level;
    };
    static std::vector<Case> cases() { return {{8, 50}, {8, 100}, {24, 50}, {24, 100}}; }
    static std::string nameOf(const Case& c) {
        return std::to_string(c.depth) + " bits, level " + std::to_string(c.level);
    }

    // A striped ground, a block over it and the frame under test over both: a picture of many
    // colours (a palette frame or a 24-bit one) that then takes the level.
    void buildLevelAnimation(const Case& c) {
        animation().ResetFrames();
        build({"",
               20,
               14,
               {{0, 0, 20, 14, 1, -1, 1, [](int x, int y) { return (x + y) % 4 + 1; }},
                {3, 2, 8, 6, 1, -1, 1, [](int, int) { return 9; }}}});
        CObjFrame& top = addFrame(2, 3, 12, 8, c.depth);
        const auto image = static_cast<KpxHandle>(top.GetImage());
        if (c.depth == 8) {
            BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
            for (int i = 0; i < 256; ++i)
                info->bmiColors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(200 - i / 2),
                                             static_cast<BYTE>(40 + i / 3), 0};
            KPXFillDIBColorTable(image);
        }
        for (int y = 0; y < 8; ++y) {
            std::uint8_t* row = KPXGetBits(image) + y * KPXGetScanBytes(image);
            for (int x = 0; x < 12; ++x) {
                if (c.depth == 8) {
                    row[x] = static_cast<std::uint8_t>(x * 20 + y);
                    continue;
                }
                row[3 * x] = static_cast<std::uint8_t>(20 * x);
                row[3 * x + 1] = static_cast<std::uint8_t>(250 - 30 * y);
                row[3 * x + 2] = static_cast<std::uint8_t>(90 + 10 * x);
            }
        }
        top.disposal = 1;
        top.delay = 7;
        top.PutFrameInfo(0);
        SetFrameTransparencyLevel(&top, c.level);
    }

    // What the editor shows after the frame under test: the frame blended by its graded
    // transparency (255 lets all through) over the picture beneath it.
    std::vector<std::uint32_t> editorShows() {
        const Timeline composed = composeWithLibrary();
        if (composed.size() != 3)
            return {};
        std::vector<std::uint32_t> out = composed[1].pixels;
        const CObjFrame& top = frameAt(2);
        const auto image = static_cast<KpxHandle>(top.GetImage());
        const KpxHandle alpha = KPXGetImageTransparentImageEx(image);
        if (!alpha)
            return composed[2].pixels;
        const int width = animation().AnimationWidth;
        for (int y = 0; y < top.height; ++y)
            for (int x = 0; x < top.width; ++x) {
                const int a = KPXGetBits(alpha)[(top.height - 1 - y) * KPXGetScanBytes(alpha) + x];
                const std::uint32_t over = pixelColour(image, x, y);
                std::uint32_t& under =
                    out[static_cast<std::size_t>(top.top + y) * width + top.left + x];
                std::uint32_t blended = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int o = static_cast<int>((over >> shift) & 0xFF);
                    const int u = static_cast<int>((under >> shift) & 0xFF);
                    blended |= static_cast<std::uint32_t>((o * (255 - a) + u * a + 127) / 255)
                               << shift;
                }
                under = blended;
            }
        return out;
    }

    // The composed picture after the last frame, as the library composes the frames.
    std::vector<std::uint32_t> shownLast() {
        const Timeline shown = composeWithLibrary();
        return shown.empty() ? std::vector<std::uint32_t>{} : shown.back().pixels;
    }

    // What another reader shows after the last frame of the file.
    std::vector<std::uint32_t> fileShowsLast(const std::string& path) {
        const GifTimeline shown =
            composeWithGiflib(path, animation().AnimationWidth, animation().AnimationHeight);
        return shown.ok && !shown.shown.empty() ? shown.shown.back().pixels
                                                : std::vector<std::uint32_t>{};
    }

    // The blend is drawn by the library and by the editor with their own rounding.
    static constexpr int kBlendRounding = 2;

    // A level of 100 hides the frame: the picture beneath shows unchanged. At 50 the frame is
    // blended: equal up to the rounding of the blend (the blended frame has fewer colours than a
    // table holds).
    static void expectShows(const std::vector<std::uint32_t>& actual,
                            const std::vector<std::uint32_t>& expected, int level, int tolerance) {
        ASSERT_EQ(actual.size(), expected.size());
        if (level == 100)
            EXPECT_EQ(actual, expected);
        else
            EXPECT_LE(largestChannelDifference(actual, expected), tolerance);
    }
};

TEST_F(TransparencyLevelTest, SaveWritesWhatTheEditorShowsAndTheLevelComesBack) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(nameOf(c));
        buildLevelAnimation(c);
        const auto shown = editorShows();
        ASSERT_EQ(c.level == 100, shown == composeWithLibrary()[1].pixels)
            << "only a level of 100 hides the frame";
        const int softAlpha = frameAt(2).softAlpha;

        const std::string path = files.file("level.gif");
        ASSERT_TRUE(doc->DoSave(path.c_str(), TRUE));
        EXPECT_EQ(editorShows(), shown) << "the save leaves the frames as they were";
        EXPECT_EQ(frameAt(2).softAlpha, softAlpha);
        EXPECT_EQ(frameAt(2).alphaValue, c.level);
        expectShows(fileShowsLast(path), shown, c.level, kBlendRounding);

        CGIFAnimDoc reopened;
        ASSERT_TRUE(reopened.OpenDocumentFile(path.c_str()));
        ASSERT_EQ(animation().RealFrameCount(), 3);
        EXPECT_EQ(frameAt(2).alphaValue, c.level);
        EXPECT_EQ(editorShows(), shown) << "reopened";
        ASSERT_TRUE(doc->OnNewDocument());
    }
}

TEST_F(TransparencyLevelTest, FlatteningKeepsWhatTheFrameShows) {
    const std::vector<OptionsCase> runs = {{"special information", optionsOf(11, 0, 1, 0)},
                                           {"difference method", optionsOf(11, 1, 1, 1)},
                                           {"adaptive palette", optionsOf(1, 1, 1, 0)}};
    for (const Case& c : cases())
        for (const OptionsCase& run : runs) {
            SCOPED_TRACE(nameOf(c) + " / " + run.name);
            buildLevelAnimation(c);
            const auto shown = editorShows();
            EXPECT_NE(OptimizeAnimation(run.options), kOptimizeCancelled);
            for (const CObjFrame& f : animation().frames)
                EXPECT_EQ(f.alphaValue, 0) << "the level is flattened into the picture";
            expectShows(shownLast(), shown, c.level, kBlendRounding);
            const std::string path = files.file("optimised.gif");
            ASSERT_TRUE(doc->OnSaveDocument(path.c_str()));
            expectShows(fileShowsLast(path), shown, c.level, kBlendRounding);
        }
}

} // namespace
