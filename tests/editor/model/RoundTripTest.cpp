// End to end: animations built in the model or taken from the test corpus are saved through the
// document, opened again and compared with what went in.

#include "DocumentTestSupport.h"
#include "GifFileBlocks.h"

#include "../../imagelib/formats/gif/GiflibOracle.h"
#include "FrameChainBuild.h"
#include "FrameTransforms.h"
#include "Geometry.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "MetafileLoading.h"
#include "TextRender.h"
#include "VectorRender.h"
#include "metafile/EnhMetafile.h"

#include "TestSupport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <span>

namespace fs = std::filesystem;

namespace {

// What a frame carries through a file, with a copy of its pixels.
struct FrameState {
    int left, top, width, height, delay, disposal;
    std::string name, comment;
    int hasText, hasControl, hasVector;
    TextObjectRecord text;
    ControlObjectRecord control;
    VectorObjectRecord vector;
    KpxHandle pixels;
};

class RoundTripTest : public DocumentFixture {
protected:
    void SetUp() override { DocumentFixture::SetUp(); }
    void TearDown() override {
        for (const auto& state : states)
            for (const FrameState& f : state)
                KPXDeleteImage(f.pixels);
        DocumentFixture::TearDown();
    }

    std::vector<FrameState>& capture() {
        states.emplace_back();
        auto& out = states.back();
        for (auto it = animation().frames.begin(); std::next(it) != animation().frames.end();
             ++it) {
            const CObjFrame& f = *it;
            out.push_back({f.left, f.top, f.width, f.height, f.delay, f.disposal, f.name, f.comment,
                           f.hasText, f.hasControl, f.hasVector, f.text, f.control, f.vector,
                           KPXCreateImageFrom(static_cast<KpxHandle>(f.GetDisplayImage()), 0)});
        }
        return out;
    }

    void expectSameFrames(const std::vector<FrameState>& a, const std::vector<FrameState>& b,
                          const std::string& what) {
        using kfm::records::recordsEqual;
        ASSERT_EQ(a.size(), b.size()) << what;
        for (std::size_t i = 0; i < a.size(); ++i) {
            SCOPED_TRACE(what + " frame " + std::to_string(i));
            EXPECT_EQ(a[i].left, b[i].left);
            EXPECT_EQ(a[i].top, b[i].top);
            EXPECT_EQ(a[i].width, b[i].width);
            EXPECT_EQ(a[i].height, b[i].height);
            EXPECT_EQ(a[i].delay, b[i].delay);
            EXPECT_EQ(a[i].disposal, b[i].disposal);
            EXPECT_EQ(a[i].name, b[i].name);
            EXPECT_EQ(a[i].comment, b[i].comment);
            EXPECT_EQ(a[i].hasText, b[i].hasText);
            EXPECT_EQ(a[i].hasControl, b[i].hasControl);
            EXPECT_EQ(a[i].hasVector, b[i].hasVector);
            if (a[i].hasText && b[i].hasText) {
                EXPECT_TRUE(recordsEqual(a[i].text, b[i].text));
            }
            if (a[i].hasControl && b[i].hasControl) {
                EXPECT_TRUE(recordsEqual(a[i].control, b[i].control));
            }
            if (a[i].hasVector && b[i].hasVector) {
                EXPECT_TRUE(recordsEqual(a[i].vector, b[i].vector));
            }
            // A text frame is written as its text composed over the frames beneath it, so
            // only the other frames keep their pixels as they were.
            if (!a[i].hasText)
                EXPECT_TRUE(samePixels(a[i].pixels, b[i].pixels));
        }
    }

    struct AnimationState {
        int width, height, loopCount;
        std::string comment;
    };
    AnimationState animationState() {
        return {animation().AnimationWidth, animation().AnimationHeight, animation().loopCount,
                animation().comment};
    }
    void expectSameAnimation(const AnimationState& a, const AnimationState& b) {
        EXPECT_EQ(a.width, b.width);
        EXPECT_EQ(a.height, b.height);
        EXPECT_EQ(a.loopCount, b.loopCount);
        EXPECT_EQ(a.comment, b.comment);
    }

    // Three plain frames and two object frames, every attribute a file carries set.
    void buildAnimation(bool frameCommentsAndControl = true) {
        animation().AnimationWidth = 24;
        animation().AnimationHeight = 16;
        animation().loopCount = 3;
        animation().comment = "made by the round-trip test";
        const char* comments[] = {"first", "", "third", "text", "control"};
        const char* noComments[] = {"", "", "", "", ""};
        for (int i = 0; i < 5; ++i) {
            CObjFrame& f = addPatternFrame(i * 2, i, 8 + i, 6 + i, i + 1);
            f.delay = 10 * (i + 1);
            f.disposal = 1 + i % 3;
            f.name = "frame " + std::to_string(i);
            f.comment = frameCommentsAndControl ? comments[i] : noComments[i];
        }
        CObjFrame& text = frameAt(3);
        text.hasText = 1;
        text.text.left = text.left;
        text.text.top = text.top;
        text.text.color = RGB(200, 10, 10);
        std::strcpy(text.text.font.lfFaceName, "Liberation Sans");
        text.text.font.lfHeight = -12;
        text.text.text = "Hello";
        renderFromRecord(text);
        CObjFrame& control = frameAt(4);
        control.hasControl = frameCommentsAndControl ? 1 : 0;
        control.control.type = 3;
        control.control.values[0] = 77;
        control.control.text = "";
        control.control.caption = "OK";
        animation().UpdateFrameCount();
        for (CObjFrame& f : animation().frames)
            f.PutFrameInfo(0);
    }

    // The text frame shows what its record draws, as in the editor, so that a reopened file,
    // which draws it from the record again, shows the same; the frame keeps its pattern when the
    // record's face is missing (nothing draws it then).
    static bool renderFromRecord(CObjFrame& text) {
        kfm::test::ensureGuiApplication();
        FrameInfo info{};
        info.textObject = &text.text;
        const KpxHandle picture = CreateTextImage(&info);
        if (!picture)
            return false;
        KPXDeleteImage(static_cast<KpxHandle>(text.SetImage(static_cast<std::uint16_t>(picture))));
        text.width = info.width;
        text.height = info.height;
        text.transparency = 0x1000000;
        return true;
    }

    void roundTrip(bool frameCommentsAndControl);

    std::vector<std::vector<FrameState>> states;
};

TEST_F(RoundTripTest, ObjectsStayEditableAndTheFileCarriesEverything) {
    roundTrip(true);
}

TEST_F(RoundTripTest, ObjectsStayEditableAndTheFileCarriesFramesAndText) {
    roundTrip(false);
}

void RoundTripTest::roundTrip(bool frameCommentsAndControl) {
    buildAnimation(frameCommentsAndControl);
    const auto before = capture();
    const AnimationState animationBefore = animationState();
    const std::string path = files.file("anim.gif");
    doc->SetModifiedFlag(TRUE);
    ASSERT_TRUE(doc->DoSave(path.c_str(), TRUE));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), path);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    // The frame list is as it was: the internal step was undone, the chain split again.
    expectSameFrames(before, capture(), "after save");
    for (auto it = animation().frames.begin(); std::next(it) != animation().frames.end(); ++it)
        EXPECT_EQ(KPXGetImageFramesNum(static_cast<KpxHandle>(it->GetImage())), 1);

    CGIFAnimDoc reopened;
    ASSERT_TRUE(reopened.OpenDocumentFile(path.c_str()));
    EXPECT_EQ(reopened.m_nContentsOrigin, 2);
    expectSameFrames(before, capture(), "reopened");
    expectSameAnimation(animationBefore, animationState());
    EXPECT_EQ(animation().frameCount, 5);
    EXPECT_TRUE(frameAt(3).hasText);
    EXPECT_EQ(frameAt(3).text.text, std::optional<std::string>("Hello"));
}

TEST_F(RoundTripTest, TextWhollyOutsideIsLeftOutOfTheFileButComesBack) {
    buildAnimation();
    CObjFrame& text = frameAt(3);
    text.left = 100;
    text.top = 100;
    text.SetRenderedImage(
        static_cast<std::uint16_t>(KPXCreateImageFrom(static_cast<KpxHandle>(text.GetImage()), 0)));
    const auto before = capture();
    const std::string path = files.file("outside.gif");
    ASSERT_TRUE(doc->DoSave(path.c_str(), TRUE));
    const auto after = capture();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[3].left, 100);
    EXPECT_TRUE(after[3].hasText);

    CGIFAnimDoc reopened;
    ASSERT_TRUE(reopened.OpenDocumentFile(path.c_str()));
    EXPECT_EQ(animation().RealFrameCount(), 4);
    EXPECT_FALSE(frameAt(3).hasText);
}

// The blocks that carry the frames' objects, in file order.
std::vector<std::string> objectBlocks(const std::string& gifBytes) {
    std::vector<std::string> out;
    for (const std::string& block : walkGifBlocks(gifBytes).applicationBlocks)
        for (const std::string id : {"KFMTEXTI5", "KFMCTRLI5", "KFMVECTI5", "KFMNPIMGI5"})
            if (block.compare(3, id.size(), id) == 0)
                out.push_back(block);
    return out;
}

TEST_F(RoundTripTest, OpenAndSaveWritesEveryObjectBlockBackAsRead) {
    // A file as a save of objects that stuck out of the animation leaves it: the text frame's
    // picture was clipped to 0,0 while its record keeps the object's place, -20,-3.
    animation().AnimationWidth = 30;
    animation().AnimationHeight = 20;
    addPatternFrame(0, 0, 30, 20, 1);
    CObjFrame& text = addPatternFrame(0, 0, 10, 6, 2);
    text.hasText = 1;
    text.text.left = -20;
    text.text.top = -3;
    text.text.color = RGB(10, 200, 10);
    std::strcpy(text.text.font.lfFaceName, "Liberation Sans");
    text.text.text = "Banner";
    CObjFrame& control = addPatternFrame(2, 2, 8, 8, 3);
    control.hasControl = 1;
    control.control.type = 5;
    control.control.caption = "Go";
    control.control.text = "";
    CObjFrame& vector = addPatternFrame(20, 10, 10, 10, 4);
    vector.hasVector = 1;
    const std::vector<std::uint8_t> emf = kfm::test::smallestMetafileBytes();
    vector.vector.metafile.reset(SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data()));
    vector.vector.left = 25;
    vector.vector.top = 12;
    vector.vector.width = 14;
    vector.vector.height = 9;
    CObjFrame& picture = addPatternFrame(4, 4, 6, 6, 5);
    picture.hasNPImage = 1;
    // Rows of 6 x 3 bytes padded to 20, of 6 alpha bytes padded to 8: the picture comes back
    // from them and the save writes them again.
    picture.npImage.pixels24.assign(20 * 6, 0x5A);
    picture.npImage.alpha.assign(8 * 6, 0x80);
    picture.npImage.alphaValue = 40;
    const std::string original = files.file("objects.gif");
    ASSERT_EQ(BuildFramesImage(animation().frames, 0, 0), 1);
    ASSERT_EQ(SaveImageFramesWithProgress(static_cast<KpxHandle>(frameAt(0).GetImage()),
                                          original.c_str(), nullptr),
              1);
    SplitFramesImage(animation().frames, 0);
    const std::vector<std::string> written = objectBlocks(readFile(original));
    ASSERT_EQ(written.size(), 4u);

    CGIFAnimDoc reopened;
    ASSERT_TRUE(reopened.OpenDocumentFile(original.c_str()));
    ASSERT_EQ(animation().RealFrameCount(), 5);
    EXPECT_EQ(KPXbpp(static_cast<KpxHandle>(frameAt(4).GetImage())), 24);
    const std::string copy = files.file("copy.gif");
    // Beside the blocks as read, the control frame keeps its 8-bit picture in a record of its
    // own (after its control block).
    const auto expectWrittenAsRead = [&] {
        std::vector<std::string> blocks = objectBlocks(readFile(copy));
        ASSERT_EQ(blocks.size(), written.size() + 1);
        EXPECT_EQ(blocks[2].compare(3, 10, "KFMNPIMGI5"), 0);
        blocks.erase(blocks.begin() + 2);
        EXPECT_EQ(blocks, written);
    };
    ASSERT_TRUE(reopened.DoSave(copy.c_str(), TRUE));
    expectWrittenAsRead();
    // A second save of the same document writes them once more.
    ASSERT_TRUE(reopened.DoSave(copy.c_str(), TRUE));
    expectWrittenAsRead();
}

// Corpus files the editor refuses to open (damaged beyond their first image, or without one).
const std::set<std::string> kRefusedCorpusFiles = {};

// giflib's decode of a file with each image's delay; nothing when giflib refuses the file.
struct OracleFrames {
    kfm::test::giflib::File file;
    std::vector<int> delays;
    std::vector<int> transparent; // index, or -1
};
std::optional<OracleFrames> oracleFrames(const fs::path& path) {
    const std::vector<std::uint8_t> bytes = kfm::test::readFileBytes(path);
    auto file = kfm::test::giflib::slurp(bytes);
    if (!file)
        return std::nullopt;
    OracleFrames out{*file, {}, {}};
    // The graphic controls come from a second read: the oracle's slurp keeps only the pixels.
    std::span<const std::uint8_t> source = bytes;
    int error = 0;
    GifFileType* gif = DGifOpen(&source, kfm::test::giflib::readFromSpan, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return std::nullopt;
    }
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock gcb{};
        const bool has = DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK;
        out.delays.push_back(has ? gcb.DelayTime : 0);
        out.transparent.push_back(has ? gcb.TransparentColor : -1);
    }
    DGifCloseFile(gif, &error);
    return out;
}

std::uint32_t oracleColour(const OracleFrames& oracle, std::size_t frame, int index) {
    const auto& image = oracle.file.images[frame];
    const auto& table = image.localColors.empty() ? oracle.file.colors : image.localColors;
    if (index < 0 || static_cast<std::size_t>(index) >= table.size())
        return 0xFFFFFFFFu;
    const GifColorType c = table[static_cast<std::size_t>(index)];
    return (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
}

// The reopened frames against giflib's decode: each image cropped to the screen, as the save
// crops frames that reach past it; images wholly off the screen are gone.
void expectOracleFramesOnScreen(const OracleFrames& oracle, const std::vector<FrameState>& after) {
    const int screenWidth = oracle.file.screenWidth;
    const int screenHeight = oracle.file.screenHeight;
    std::size_t next = 0;
    for (std::size_t i = 0; i < oracle.file.images.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const auto& image = oracle.file.images[i];
        const int left = std::max(image.left, 0);
        const int top = std::max(image.top, 0);
        const int right = std::min(image.left + image.width, screenWidth);
        const int bottom = std::min(image.top + image.height, screenHeight);
        if (right <= left || bottom <= top)
            continue;
        ASSERT_LT(next, after.size());
        const FrameState& f = after[next++];
        EXPECT_EQ(f.left, left);
        EXPECT_EQ(f.top, top);
        ASSERT_EQ(f.width, right - left);
        ASSERT_EQ(f.height, bottom - top);
        EXPECT_EQ(f.delay, oracle.delays[i]);
        const bool hasTable = !image.localColors.empty() || !oracle.file.colors.empty();
        int wrong = 0;
        for (int y = top; hasTable && y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const int sx = x - image.left;
                const int sy = y - image.top;
                const int index = image.indices[static_cast<std::size_t>(sy * image.width + sx)];
                if (index == oracle.transparent[i])
                    continue;
                if (DocumentFixture::pixelColour(f.pixels, x - left, y - top) !=
                    oracleColour(oracle, i, index))
                    ++wrong;
            }
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_EQ(next, after.size());
}

// Every corpus GIF is opened, saved and opened again; the reopened frames must show what giflib
// decodes from the original (place, size, delay and every opaque pixel), cropped to the screen
// as the save crops frames that reach past it. Files giflib refuses must open with a message that
// says what could not be read.
TEST_F(RoundTripTest, EveryCorpusGifSurvivesOpenAndSave) {
    const fs::path folder = kfm::test::testDataPath("gif");
    std::vector<fs::path> gifs;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.path().extension() == ".gif")
                gifs.push_back(entry.path());
    ASSERT_FALSE(gifs.empty()) << "no GIF corpus in " << folder;
    std::sort(gifs.begin(), gifs.end());
    std::set<std::string> refused;
    int compared = 0;
    for (const fs::path& gif : gifs) {
        const std::string name = fs::relative(gif, folder).string();
        SCOPED_TRACE(name);
        shellFake.boxes.clear();
        CGIFAnimDoc original;
        if (!original.OpenDocumentFile(gif.c_str())) {
            refused.insert(name);
            continue;
        }
        const bool told = !shellFake.boxes.empty();
        const std::string copy = files.file("copy.gif");
        ASSERT_TRUE(original.DoSave(copy.c_str(), TRUE));
        CGIFAnimDoc reopened;
        ASSERT_TRUE(reopened.OpenDocumentFile(copy.c_str()));
        const auto after = capture();
        const std::optional<OracleFrames> oracle = oracleFrames(gif);
        if (!oracle) {
            EXPECT_TRUE(told)
                << "giflib refuses the file; the open must say what it could not read";
            continue;
        }
        if (told)
            continue; // the user was told which frames differ from the file
        ++compared;
        expectOracleFramesOnScreen(*oracle, after);
    }
    EXPECT_EQ(refused, kRefusedCorpusFiles);
    EXPECT_GT(compared, 0);
}

TEST_F(RoundTripTest, OneFrameKeepsTheAnimationScreenAndItsPlaceOnIt) {
    animation().AnimationWidth = 100;
    animation().AnimationHeight = 50;
    addPatternFrame(30, 10, 20, 20, 6);
    const auto before = capture();
    const std::string gif = files.file("banner.gif");
    ASSERT_TRUE(doc->DoSave(gif.c_str(), TRUE));
    const GifFileBlocks blocks = walkGifBlocks(readFile(gif));
    EXPECT_EQ(blocks.screenWidth, 100);
    EXPECT_EQ(blocks.screenHeight, 50);
    ASSERT_EQ(blocks.images.size(), 1u);
    EXPECT_EQ(blocks.images[0].left, 30);
    EXPECT_EQ(blocks.images[0].top, 10);

    CGIFAnimDoc reopened;
    ASSERT_TRUE(reopened.OpenDocumentFile(gif.c_str()));
    EXPECT_EQ(animation().AnimationWidth, 100);
    EXPECT_EQ(animation().AnimationHeight, 50);
    expectSameFrames(before, capture(), "banner");
}

TEST_F(RoundTripTest, StillImageOpensAsOneFrame) {
    // A one-frame GIF is a still image to the editor.
    animation().AnimationWidth = 6;
    animation().AnimationHeight = 5;
    addPatternFrame(0, 0, 6, 5, 4);
    const auto before = capture();
    const std::string gif = files.file("still.gif");
    ASSERT_TRUE(doc->DoSave(gif.c_str(), TRUE));
    ASSERT_TRUE(doc->OnNewDocument());
    animation().AnimationWidth = 1;
    ASSERT_TRUE(doc->OpenDocumentFile(gif.c_str()));
    EXPECT_EQ(animation().RealFrameCount(), 1);
    EXPECT_EQ(animation().AnimationWidth, 6);
    EXPECT_EQ(animation().AnimationHeight, 5);
    expectSameFrames(before, capture(), "still");
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), gif);
}

} // namespace

// A text object is saved as its text rendered over the frames beneath it: giflib sees the text
// colour in that frame, and the reopened frame renders from the record it kept to the same
// picture as before the save.
TEST_F(RoundTripTest, TextObjectIsSavedRenderedAndReopensFromItsRecord) {
    kfm::test::ensureGuiApplication();
    ASSERT_TRUE(kfm::text::faceExists("Liberation Sans", 0))
        << "Liberation Sans (LiberationSans-Regular.ttf, fonts-liberation) is missing";
    buildAnimation();
    CObjFrame& text = frameAt(3);
    text.text.antialias = 1;
    ASSERT_TRUE(renderFromRecord(text));
    text.PutFrameInfo(0);
    const KpxHandle expected = KPXCreateImageFrom(static_cast<KpxHandle>(text.GetImage()), 0);
    const TextObjectRecord record = text.text;

    const std::string path = files.file("text.gif");
    ASSERT_TRUE(doc->DoSave(path.c_str(), TRUE));
    const auto oracle = oracleFrames(path);
    ASSERT_TRUE(oracle);
    ASSERT_GE(oracle->file.images.size(), 4u);
    int textColoured = 0;
    for (const std::uint8_t index : oracle->file.images[3].indices) {
        // Near the text colour RGB(200, 10, 10) after quantising to the file's palette.
        const std::uint32_t c = oracleColour(*oracle, 3, index);
        textColoured += (c >> 16 & 0xFF) > 150 && (c >> 8 & 0xFF) < 80 && (c & 0xFF) < 80;
    }
    EXPECT_GT(textColoured, 10);

    CGIFAnimDoc reopened;
    ASSERT_TRUE(reopened.OpenDocumentFile(path.c_str()));
    CObjFrame& back = frameAt(3);
    ASSERT_TRUE(back.hasText);
    EXPECT_TRUE(kfm::records::recordsEqual(back.text, record));
    const KpxHandle again = static_cast<KpxHandle>(back.GetImage());
    ASSERT_EQ(KPXWidth(again), KPXWidth(expected));
    ASSERT_EQ(KPXHeight(again), KPXHeight(expected));
    EXPECT_EQ(
        std::memcmp(KPXGetBits(again), KPXGetBits(expected),
                    static_cast<std::size_t>(KPXGetScanBytes(expected)) * KPXHeight(expected)),
        0);
    KPXDeleteImage(expected);
}

TEST_F(RoundTripTest, TurnedAndMirroredTextReopensWithItsMatrixAndPicture) {
    kfm::test::ensureGuiApplication();
    ASSERT_TRUE(kfm::text::faceExists("Liberation Sans", 0))
        << "Liberation Sans (LiberationSans-Regular.ttf, fonts-liberation) is missing";
    struct Case {
        const char* name;
        int angle;
        int flags;
    };
    const Case cases[] = {{"quarter turn", 90, 0},
                          {"free turn", 30, 0},
                          {"mirrored", 0, 1},
                          {"turned and mirrored on both axes", 270, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(doc->OnNewDocument());
        buildAnimation();
        CObjFrame& text = frameAt(3);
        text.text.antialias = 1;
        FrameInfo info{};
        info.textObject = &text.text;
        const KpxHandle upright = CreateTextImage(&info);
        ASSERT_NE(upright, 0);
        KPXDeleteImage(static_cast<KpxHandle>(text.SetImage(static_cast<std::uint16_t>(upright))));
        text.transparency = 0x1000000;
        RotateFrame(&text, static_cast<short>(text.GetImage()), c.angle, 0);
        FlipFrame(&text, c.flags);
        text.PutFrameInfo(0);
        const KpxHandle expected = KPXCreateImageFrom(static_cast<KpxHandle>(text.GetImage()), 0);
        const TextObjectRecord record = text.text;
        if (c.flags == 0) {
            EXPECT_EQ(GetRotationAngle(record.matrix), c.angle);
        }
        EXPECT_EQ(IsMatrixMirrored(record.matrix), c.flags == 1 ? 1 : 0);

        const std::string path = files.file(std::string("turned") + c.name + ".gif");
        ASSERT_TRUE(doc->DoSave(path.c_str(), TRUE));
        CGIFAnimDoc reopened;
        ASSERT_TRUE(reopened.OpenDocumentFile(path.c_str()));
        CObjFrame& back = frameAt(3);
        ASSERT_TRUE(back.hasText);
        EXPECT_TRUE(kfm::records::recordsEqual(back.text, record));
        const KpxHandle again = static_cast<KpxHandle>(back.GetImage());
        ASSERT_EQ(KPXWidth(again), KPXWidth(expected));
        ASSERT_EQ(KPXHeight(again), KPXHeight(expected));
        EXPECT_EQ(
            std::memcmp(KPXGetBits(again), KPXGetBits(expected),
                        static_cast<std::size_t>(KPXGetScanBytes(expected)) * KPXHeight(expected)),
            0);
        KPXDeleteImage(expected);
    }
}

namespace {

std::vector<std::uint8_t> metafileBytes(HENHMETAFILE metafile) {
    std::vector<std::uint8_t> bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
    GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data());
    return bytes;
}

bool sameRenderedPicture(KpxHandle a, KpxHandle b) {
    const KpxHandle alphaA = KPXGetImageTransparentImageEx(a);
    const KpxHandle alphaB = KPXGetImageTransparentImageEx(b);
    auto sameBits = [](KpxHandle x, KpxHandle y) {
        return KPXWidth(x) == KPXWidth(y) && KPXHeight(x) == KPXHeight(y) &&
               KPXbpp(x) == KPXbpp(y) &&
               std::memcmp(KPXGetBits(x), KPXGetBits(y),
                           static_cast<std::size_t>(KPXGetScanBytes(x)) * KPXHeight(x)) == 0;
    };
    return alphaA && alphaB && sameBits(a, b) && sameBits(alphaA, alphaB);
}

} // namespace

// A WMF imported as a vector frame is saved in a GIF file with its metafile and reopens with the
// same metafile, from which the same picture renders again.
TEST_F(RoundTripTest, ImportedMetafileFrameKeepsItsMetafileThroughAGifFile) {
    VectorObjectRecord record;
    ASSERT_EQ(LoadMetaFile(kfm::test::testDataPath("metafile/drawing.wmf").c_str(), &record), 1);
    const std::vector<std::uint8_t> emf = metafileBytes(record.metafile.get());
    const RECT rect{0, 0, 47, 47};
    record.width = 48;
    record.height = 48;
    const KpxHandle picture = RenderMetafileImage(record.metafile.get(), rect, 0,
                                                  record.interpolation, 0, record.antialias);
    ASSERT_NE(picture, 0);
    const KpxHandle expected = KPXCreateImageFrom(picture, 0);
    animation().AnimationWidth = 48;
    animation().AnimationHeight = 48;
    addPatternFrame(0, 0, 48, 48, 1);
    CObjFrame& vector = addPatternFrame(0, 0, 48, 48, 2);
    KPXDeleteImage(static_cast<KpxHandle>(vector.SetImage(static_cast<std::uint16_t>(picture))));
    vector.hasVector = 1;
    vector.SetVectorObject(record);
    animation().UpdateFrameCount();
    for (CObjFrame& f : animation().frames)
        f.PutFrameInfo(0);

    const std::string path = files.file("vector.gif");
    ASSERT_TRUE(doc->DoSave(path.c_str(), TRUE));
    EXPECT_EQ(objectBlocks(readFile(path)).size(), 1u);

    CGIFAnimDoc reopened;
    ASSERT_TRUE(reopened.OpenDocumentFile(path.c_str()));
    ASSERT_EQ(animation().RealFrameCount(), 2);
    const CObjFrame& back = frameAt(1);
    ASSERT_TRUE(back.hasVector);
    ASSERT_TRUE(back.vector.metafile);
    EXPECT_EQ(metafileBytes(back.vector.metafile.get()), emf);
    EXPECT_EQ(back.vector.width, 48);
    EXPECT_EQ(back.vector.antialias, 1);
    const KpxHandle again = RenderMetafileImage(
        back.vector.metafile.get(), RECT{0, 0, back.vector.width - 1, back.vector.height - 1},
        GetRotationAngle(back.vector.matrix), back.vector.interpolation,
        IsMatrixMirrored(back.vector.matrix), back.vector.antialias);
    ASSERT_NE(again, 0);
    EXPECT_TRUE(sameRenderedPicture(again, expected));
    KPXDeleteImage(again);
    KPXDeleteImage(expected);
}

// A vector frame turned and mirrored is saved with its matrix and reopens with the same record,
// from which the same picture renders.
TEST_F(RoundTripTest, TurnedAndMirroredVectorFrameReopensWithItsMatrixAndPicture) {
    VectorObjectRecord record;
    ASSERT_EQ(LoadMetaFile(kfm::test::testDataPath("metafile/drawing.wmf").c_str(), &record), 1);
    record.width = 40;
    record.height = 30;
    animation().AnimationWidth = 64;
    animation().AnimationHeight = 64;
    addPatternFrame(0, 0, 64, 64, 1);
    CObjFrame& vector = addPatternFrame(2, 3, 40, 30, 2);
    vector.hasVector = 1;
    vector.SetVectorObject(record);
    vector.current = 1;
    animation().UpdateFrameCount();
    RotateFrame(&vector, static_cast<short>(vector.GetImage()), 30, 0);
    FlipFrame(&vector, 1);
    vector.PutFrameInfo(0);
    const VectorObjectRecord turned = vector.vector;
    ASSERT_EQ(IsMatrixMirrored(turned.matrix), 1);
    const KpxHandle expected = KPXCreateImageFrom(static_cast<KpxHandle>(vector.GetImage()), 0);
    for (CObjFrame& f : animation().frames)
        f.PutFrameInfo(0);

    const std::string path = files.file("turned-vector.gif");
    ASSERT_TRUE(doc->DoSave(path.c_str(), TRUE));
    CGIFAnimDoc reopened;
    ASSERT_TRUE(reopened.OpenDocumentFile(path.c_str()));
    ASSERT_EQ(animation().RealFrameCount(), 2);
    const CObjFrame& back = frameAt(1);
    ASSERT_TRUE(back.hasVector);
    EXPECT_EQ(metafileBytes(back.vector.metafile.get()), metafileBytes(turned.metafile.get()));
    // The save writes the frame's place into the record; the rest, matrix included, is as it was.
    VectorObjectRecord placed = turned;
    placed.left = 2;
    placed.top = 3;
    EXPECT_TRUE(kfm::records::recordsEqual(back.vector, placed));
    const KpxHandle again = RenderMetafileImage(
        back.vector.metafile.get(), RECT{0, 0, back.vector.width - 1, back.vector.height - 1},
        GetRotationAngle(back.vector.matrix), back.vector.interpolation,
        IsMatrixMirrored(back.vector.matrix), back.vector.antialias);
    ASSERT_NE(again, 0);
    EXPECT_TRUE(sameRenderedPicture(again, expected));
    KPXDeleteImage(again);
    KPXDeleteImage(expected);
}

namespace {

// A frame deeper than 8 bits and what it must bring back from a file.
struct DeepFrameBytes {
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint8_t> alpha; // empty without graded alpha
};

std::vector<std::uint8_t> imageBytes(KpxHandle image) {
    if (!image || !KPXGetBits(image))
        return {};
    return std::vector<std::uint8_t>(KPXGetBits(image), KPXGetBits(image) + KPXSizeImage(image));
}

DeepFrameBytes deepFrameBytes(const CObjFrame& f) {
    const auto image = static_cast<KpxHandle>(f.GetImage());
    return {imageBytes(image), imageBytes(KPXGetImageTransparentImageEx(image))};
}

class DeepFrameRoundTripTest : public RoundTripTest {
protected:
    // Frame 0: 24 bits, 240 different colours; frame 1: 24 bits with graded alpha; frame 2: a
    // text object; frame 3: a plain 8-bit frame.
    void buildDeepAnimation() {
        animation().AnimationWidth = 20;
        animation().AnimationHeight = 16;
        CObjFrame& plain = addFrame(0, 0, 15, 16, 24);
        fillDeep(plain, 0);
        CObjFrame& graded = addFrame(3, 2, 6, 5, 24);
        fillDeep(graded, 1);
        const KpxHandle alpha = CreateSolidImage(6, 5, 0);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                KPXGetBits(alpha)[y * KPXGetScanBytes(alpha) + x] =
                    static_cast<std::uint8_t>(40 * x + y);
        KPXSetImageTransparentEx(static_cast<KpxHandle>(graded.GetImage()), alpha);
        graded.softAlpha = 1;
        CObjFrame& text = addPatternFrame(4, 4, 8, 6, 3);
        text.hasText = 1;
        text.text.left = 4;
        text.text.top = 4;
        text.text.color = RGB(200, 10, 10);
        std::strcpy(text.text.font.lfFaceName, "Liberation Sans");
        text.text.font.lfHeight = -12;
        text.text.text = "Hi";
        addPatternFrame(1, 1, 5, 5, 4);
        for (CObjFrame& f : animation().frames)
            f.PutFrameInfo(0);
    }
    static void fillDeep(CObjFrame& f, int seed) {
        const auto image = static_cast<KpxHandle>(f.GetImage());
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                std::uint8_t* p = KPXGetBits(image) + y * KPXGetScanBytes(image) + 3 * x;
                p[0] = static_cast<std::uint8_t>(40 + 100 * seed);
                p[1] = static_cast<std::uint8_t>(16 * y);
                p[2] = static_cast<std::uint8_t>(16 * x);
            }
    }
    // The frames' state that neither a save nor a failed save may change.
    void expectDeepFramesAsBuilt(const std::vector<DeepFrameBytes>& before) {
        for (std::size_t i = 0; i < before.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            const CObjFrame& f = frameAt(static_cast<int>(i));
            EXPECT_EQ(KPXbpp(static_cast<KpxHandle>(f.GetImage())), 24);
            EXPECT_TRUE(deepFrameBytes(f).pixels == before[i].pixels);
            EXPECT_TRUE(deepFrameBytes(f).alpha == before[i].alpha);
            EXPECT_EQ(f.GetRenderedImage(), 0);
            EXPECT_EQ(f.hasNPImage, 0);
        }
    }
};

std::vector<std::string> npImageBlocks(const std::string& gifBytes) {
    std::vector<std::string> out;
    for (const std::string& block : objectBlocks(gifBytes))
        if (block.compare(3, 10, "KFMNPIMGI5") == 0)
            out.push_back(block);
    return out;
}

} // namespace

// A 24-bit frame and a frame with graded alpha are written as 8-bit pictures that another
// reader shows, and come back from the file byte for byte, beside a text object's record.
TEST_F(DeepFrameRoundTripTest, DeepFramesComeBackFromTheFileByteForByte) {
    buildDeepAnimation();
    const std::vector<DeepFrameBytes> before = {deepFrameBytes(frameAt(0)),
                                                deepFrameBytes(frameAt(1))};
    const TextObjectRecord text = frameAt(2).text;
    const std::string path = files.file("deep.gif");
    ASSERT_TRUE(doc->DoSave(path.c_str(), TRUE));
    expectDeepFramesAsBuilt(before);

    const auto oracle = oracleFrames(path);
    ASSERT_TRUE(oracle);
    ASSERT_EQ(oracle->file.images.size(), 4u);
    const auto& shown = oracle->file.images[0];
    ASSERT_EQ(shown.width, 15);
    ASSERT_EQ(shown.height, 16);
    const auto plain = static_cast<KpxHandle>(frameAt(0).GetImage());
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 15; ++x)
            wrong +=
                oracleColour(*oracle, 0, shown.indices[static_cast<std::size_t>(y * 15 + x)]) !=
                DocumentFixture::pixelColour(plain, x, y);
    EXPECT_EQ(wrong, 0);
    const std::vector<std::string> records = npImageBlocks(readFile(path));
    EXPECT_EQ(records.size(), 2u);

    CGIFAnimDoc reopened;
    ASSERT_TRUE(reopened.OpenDocumentFile(path.c_str()));
    ASSERT_EQ(animation().RealFrameCount(), 4);
    expectDeepFramesAsBuilt(before);
    EXPECT_EQ(frameAt(1).softAlpha, 1);
    EXPECT_EQ(frameAt(0).softAlpha, 0);
    ASSERT_TRUE(frameAt(2).hasText);
    EXPECT_TRUE(kfm::records::recordsEqual(frameAt(2).text, text));

    // Saved again, the document writes the same records.
    const std::string again = files.file("again.gif");
    ASSERT_TRUE(reopened.DoSave(again.c_str(), TRUE));
    EXPECT_EQ(npImageBlocks(readFile(again)), records);
}

// Esc while the frames are reduced, or a file that cannot be written, leaves the animation as
// it was and no file behind.
TEST_F(DeepFrameRoundTripTest, CancelOrFailedWriteLeavesTheDeepFramesAsTheyWere) {
    struct Case {
        const char* what;
        int escapeAfter;
        const char* target;
    };
    for (const Case& c : {Case{"Esc while reducing", 0, "deep.gif"},
                          Case{"write fails", -1, "missing-folder/deep.gif"}}) {
        SCOPED_TRACE(c.what);
        buildDeepAnimation();
        const std::vector<DeepFrameBytes> before = {deepFrameBytes(frameAt(0)),
                                                    deepFrameBytes(frameAt(1))};
        shellFake.escapeAfter = c.escapeAfter;
        shellFake.sent.clear();
        const std::string target = files.file(c.target);
        EXPECT_FALSE(doc->DoSave(target.c_str(), TRUE));
        shellFake.escapeAfter = -1;
        // The reduction ran (over the two 24-bit frames); Esc stopped the save before rendering.
        const auto began = [&](UINT caption) {
            return std::count_if(shellFake.sent.begin(), shellFake.sent.end(), [&](const auto& s) {
                return s.message == WM_PROGRESS_BEGIN && s.wParam == caption;
            });
        };
        EXPECT_EQ(began(kfm5res::IDS_CAPTION_REDUCING), 1);
        EXPECT_EQ(began(kfm5res::IDS_CAPTION_RENDERING), c.escapeAfter < 0 ? 1 : 0);
        EXPECT_FALSE(fs::exists(target));
        EXPECT_EQ(animation().RealFrameCount(), 4);
        expectDeepFramesAsBuilt(before);
        EXPECT_FALSE(TheUndoHistory().CanUndo());
        EXPECT_TRUE(fs::is_empty(files.path()));
        EXPECT_TRUE(fs::is_empty(tempFolder.path()));
        ASSERT_TRUE(doc->OnNewDocument());
    }
}
