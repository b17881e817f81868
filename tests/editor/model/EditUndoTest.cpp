// Every undoable edit of the model, run inside an undo step and undone: the animation and the
// bytes of every frame's images must be as before. A new edit adds a row to the table.

#include "ModelTestSupport.h"

#include "AnimationAreaCrop.h"
#include "ClipboardCommands.h"
#include "FrameAlignment.h"
#include "FrameOrder.h"
#include "FrameTransforms.h"
#include "ImageTable.h"
#include "ImageUtilities.h"
#include "IndexChangeEdit.h"
#include "PaletteChange.h"
#include "PaletteRender.h"
#include "TestSupport.h"
#include "Transparency.h"
#include "UndoHistory.h"
#include "clipboard/Clipboard.h"

#include <cstring>
#include <functional>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void append(Bytes& out, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

// The header, colour table, pixels, transparency list and explicit transparency of an image;
// empty for no image.
Bytes imageBytes(std::uint16_t handle) {
    Bytes out;
    const auto image = static_cast<KpxHandle>(handle);
    if (!image)
        return out;
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    append(out, &info->bmiHeader, sizeof(BITMAPINFOHEADER));
    const int bpp = KPXbpp(image);
    if (bpp <= 8)
        append(out, info->bmiColors, sizeof(RGBQUAD) << bpp);
    append(out, KPXGetBits(image),
           static_cast<std::size_t>(KPXGetScanBytes(image)) * KPXHeight(image));
    int count = 0;
    if (const KpxTransparentEntry* entries = KPXGetImageTransparentData(image, &count))
        append(out, entries, sizeof(KpxTransparentEntry) * count);
    if (const KpxHandle alpha = KPXGetImageTransparentImageEx(image)) {
        const Bytes alphaBytes = imageBytes(static_cast<std::uint16_t>(alpha));
        out.insert(out.end(), alphaBytes.begin(), alphaBytes.end());
    }
    return out;
}

// What an undo must bring back: the animation's fields and frames (sharing their images, as the
// history's snapshots do) and the bytes of each frame's base and mask images.
struct AnimationSnapshot {
    explicit AnimationSnapshot(const CAnimationData& a) {
        copy.AnimationWidth = a.AnimationWidth;
        copy.AnimationHeight = a.AnimationHeight;
        copy.AnimationStateElasticSize = a.AnimationStateElasticSize;
        copy.comment = a.comment;
        copy.loopCount = a.loopCount;
        copy.frameCount = a.frameCount;
        copy.frames = a.frames;
        for (const CObjFrame& f : a.frames)
            frameBytes.push_back({imageBytes(f.GetImage()), imageBytes(f.GetMaskImage())});
    }

    // Empty when a matches, else what differs.
    std::string differences(const CAnimationData& a) const {
        std::string out;
        if (!CUndoHistory::IsSnapshotEqual(copy, a))
            out += " fields or frames;";
        if (copy.frames.size() != a.frames.size())
            out += " frame count " + std::to_string(a.frames.size()) + ";";
        if (copy.frameCount != a.frameCount)
            out += " real-frame count " + std::to_string(a.frameCount) + ";";
        if (copy.AnimationStateElasticSize != a.AnimationStateElasticSize)
            out += " elastic size;";
        int n = 0;
        auto bytes = frameBytes.begin();
        for (auto f = a.frames.begin(); f != a.frames.end() && bytes != frameBytes.end();
             ++f, ++bytes, ++n) {
            if (imageBytes(f->GetImage()) != bytes->image)
                out += " image bytes of frame " + std::to_string(n) + ";";
            if (imageBytes(f->GetMaskImage()) != bytes->mask)
                out += " mask bytes of frame " + std::to_string(n) + ";";
        }
        return out;
    }

    struct FrameBytes {
        Bytes image;
        Bytes mask;
    };
    CAnimationData copy;
    std::vector<FrameBytes> frameBytes;
};

// Gives the frame a copy of its image with one transparent index: edits never write into an
// image that the history's snapshots share.
void setTransparentIndexOnCopy(CObjFrame& f, int index) {
    const KpxHandle copy = KPXCreateImageFrom(static_cast<KpxHandle>(f.GetImage()), 0);
    KpxTransparentEntry entry{};
    entry.blue = index;
    entry.mode = kKpxTransparentIndex;
    KPXSetImageTransparent(copy, &entry, 1);
    KPXDeleteImage(static_cast<KpxHandle>(f.SetImage(static_cast<std::uint16_t>(copy))));
}

CObjFrame& nth(CAnimationData& a, int n) {
    return *std::next(a.frames.begin(), n);
}

// Rows run one after another; an undo does not give the selection back.
void selectFirstTwo() {
    DeselectAllFrames();
    SelectFrame(0);
    SelectFrame(1);
}

struct EditRow {
    const char* name;
    // The kind of the step the test opens; 0 for model edits that open their own step.
    int kind;
    std::function<void(CAnimationData&)> edit;
};

const std::vector<EditRow>& editRows() {
    static const std::vector<EditRow> rows = {
        {"move", kUndoKindMove, [](CAnimationData& a) { nth(a, 0).left += 3; }},
        {"delay", kUndoKindDelay, [](CAnimationData& a) { nth(a, 1).delay = 75; }},
        {"disposal", kUndoKindDisposal, [](CAnimationData& a) { nth(a, 0).disposal = 2; }},
        {"transparency", kUndoKindTransparency,
         [](CAnimationData& a) { nth(a, 1).transparency ^= 1; }},
        {"transparent colour", kUndoKindTransparentColour,
         [](CAnimationData& a) { setTransparentIndexOnCopy(nth(a, 0), 5); }},
        {"frame name", kUndoKindFrameName, [](CAnimationData& a) { nth(a, 1).name = "renamed"; }},
        {"animation size", kUndoKindAnimationSize,
         [](CAnimationData& a) {
             a.AnimationWidth = 20;
             a.AnimationHeight = 5;
         }},
        {"elastic size", kUndoKindElasticSize,
         [](CAnimationData& a) {
             a.AnimationStateElasticSize = !a.AnimationStateElasticSize;
             a.AnimationWidth = 30;
         }},
        {"loop count", kUndoKindLoopCount, [](CAnimationData& a) { a.loopCount = 7; }},
        {"animation comment", kUndoKindAnimationComment,
         [](CAnimationData& a) { a.comment = "a new comment"; }},
        {"move frames", kUndoKindMoveFrames,
         [](CAnimationData& a) {
             a.frames.splice(std::prev(a.frames.end()), a.frames, a.frames.begin());
         }},
        {"delete frames", kUndoKindDeleteFrames,
         [](CAnimationData& a) {
             a.frames.erase(a.frames.begin());
             a.UpdateFrameCount();
         }},
        {"new frame", kUndoKindNewFrame,
         [](CAnimationData& a) {
             auto it = a.frames.emplace(std::prev(a.frames.end()));
             it->SetImage(static_cast<std::uint16_t>(KPXCreateImage(2, 2, 8)));
             it->width = it->height = 2;
             a.UpdateFrameCount();
         }},
        {"index change (model edit)", 0,
         [](CAnimationData&) { ASSERT_EQ(ChangeIndexInSelectedFrames(1, 2, 1), 2); }},
        {"crop to the animation (model edit)", 0,
         [](CAnimationData&) { ASSERT_EQ(CheckFramesInsideAnimation(), IDOK); }},
        {"quarter turn (model edit)", 0,
         [](CAnimationData&) {
             SetCurrentFrame(0);
             ASSERT_EQ(RotateCurrentFrameStep(90, 0), 1);
         }},
        {"free rotation (model edit)", 0,
         [](CAnimationData&) {
             SetCurrentFrame(1);
             ASSERT_EQ(RotateCurrentFrameStep(30, 0), 1);
         }},
        {"mirror both axes (model edit)", 0,
         [](CAnimationData&) {
             SetCurrentFrame(0);
             ASSERT_EQ(MirrorCurrentFrameStep(3), 1);
         }},
        {"mirror top to bottom (model edit)", 0,
         [](CAnimationData&) {
             SetCurrentFrame(0);
             ASSERT_EQ(MirrorCurrentFrameStep(2), 1);
         }},
        {"transparency level (model edit)", 0,
         [](CAnimationData&) { ASSERT_EQ(SetSelectedFramesTransparencyLevelStep(50), 1); }},
        {"level and conversion to images", kUndoKindObjectsToImages,
         [](CAnimationData& a) {
             SetFrameTransparencyLevel(&nth(a, 0), 50);
             ConvertObjectsToImages(&a.frames);
         }},
        {"merge (model edit)", 0,
         [](CAnimationData& a) { ASSERT_EQ(MergeSelectedFrames(&a.frames), 1); }},
        {"paste of frames (model edit)", 0,
         [](CAnimationData&) {
             // The clipboard is the desktop's: it needs the GUI application.
             kfm::test::ensureGuiApplication();
             g_cfPrivateFormat = RegisterClipboardFormatA(kPrivateClipboardFormat);
             ASSERT_EQ(kfm::model::CopyFramesToClipboard(nullptr), 1);
             SetCurrentFrame(0);
             ASSERT_EQ(kfm::model::PasteFormat(nullptr, g_cfPrivateFormat, nullptr), 1);
         }},
        {"cut (model edit)", 0,
         [](CAnimationData&) {
             kfm::test::ensureGuiApplication();
             g_cfPrivateFormat = RegisterClipboardFormatA(kPrivateClipboardFormat);
             ASSERT_EQ(kfm::model::CutFramesToClipboard(nullptr), 1);
         }},
        {"delete (model edit)", 0,
         [](CAnimationData&) { ASSERT_EQ(kfm::model::DeleteSelectedFrames(), 2); }},
        {"duplicate (model edit)", 0, [](CAnimationData&) { ASSERT_EQ(CopyFramesListStep(), 1); }},
        {"move later (model edit)", 0,
         [](CAnimationData&) {
             SetCurrentFrame(0);
             ASSERT_EQ(MoveSelectedFramesStep(false), 1);
         }},
        {"move earlier (model edit)", 0,
         [](CAnimationData&) {
             DeselectAllFrames();
             SelectFrame(2);
             SetCurrentFrame(2);
             ASSERT_EQ(MoveSelectedFramesStep(true), 1);
         }},
        {"align left (model edit)", 0,
         [](CAnimationData&) {
             SetCurrentFrame(0);
             ASSERT_EQ(AlignFramesStep(1), AlignOutcome::Aligned);
         }},
        {"space across (model edit)", 0,
         [](CAnimationData&) {
             SelectAllFrames();
             DeselectFrame(3);
             SetCurrentFrame(0);
             ASSERT_EQ(AlignFramesStep(7), AlignOutcome::Aligned);
         }},
        {"palette by index, last entry", kUndoKindPalette,
         [](CAnimationData& a) {
             selectFirstTwo();
             const auto image = static_cast<KpxHandle>(nth(a, 0).GetImage());
             const ScopedImage before(KPXCreateImageFrom(image, 0));
             const ScopedImage after(KPXCreateImageFrom(image, 0));
             KPXSetColorToPalette(after.get(), 255, RGB(1, 2, 3));
             ASSERT_EQ(ApplyPaletteChange(before.get(), after.get(), kPaletteApplyByIndex), 2);
         }},
        {"palette by colour", kUndoKindPalette,
         [](CAnimationData& a) {
             selectFirstTwo();
             const auto image = static_cast<KpxHandle>(nth(a, 0).GetImage());
             const ScopedImage before(KPXCreateImageFrom(image, 0));
             const ScopedImage after(KPXCreateImageFrom(image, 0));
             KPXSetColorToPalette(after.get(), 2, RGB(1, 2, 3));
             ASSERT_EQ(ApplyPaletteChange(before.get(), after.get(), kPaletteApplyByColour), 2);
         }},
        {"render states", kUndoKindRenderStates,
         [](CAnimationData& a) { RenderAnimationStates(&a.frames, GetLastSelFrameIndex()); }},
    };
    return rows;
}

class EditUndoTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        TheUndoHistory().SetSize(10);
        TheUndoHistory().Reset();
        animation().AnimationWidth = 10;
        animation().AnimationHeight = 8;
        addPatternFrame(0, 0, 6, 4);
        // Sticks out on the left and at the bottom, so the crop has work.
        addPatternFrame(-2, 6, 5, 3);
        // Wholly outside: the crop removes it.
        addPatternFrame(12, 0, 3, 3);
        frameAt(0).selected = frameAt(1).selected = 1;
    }
    void TearDown() override {
        TheUndoHistory().Reset();
        // The clipboard frees what the clipboard rows left on it.
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        ModelTest::TearDown();
    }

    // A frame whose pixels use indices 0..3 and whose colour table differs per entry.
    void addPatternFrame(int left, int top, int width, int height) {
        CObjFrame& f = addFrame(left, top, width, height);
        const auto image = static_cast<KpxHandle>(f.GetImage());
        BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
        for (int i = 0; i < 256; ++i)
            info->bmiColors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                         static_cast<BYTE>(i * 7), 0};
        std::uint8_t* bits = KPXGetBits(image);
        const int stride = KPXGetScanBytes(image);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bits[y * stride + x] = static_cast<std::uint8_t>((x + 2 * y) % 4);
        KPXFillDIBColorTable(image);
    }
};

TEST_F(EditUndoTest, EveryEditIsUndoneToTheSameAnimationAndBytes) {
    for (const EditRow& row : editRows()) {
        SCOPED_TRACE(row.name);
        const AnimationSnapshot before(animation());
        if (row.kind)
            TheUndoHistory().BeginStep(row.kind);
        row.edit(animation());
        if (row.kind)
            TheUndoHistory().EndStep(0);
        ASSERT_TRUE(TheUndoHistory().CanUndo()) << "the edit made no step";
        ASSERT_NE(before.differences(animation()), "") << "the edit changed nothing";
        ASSERT_EQ(TheUndoHistory().Undo(), 1);
        // As the undo command does: the history leaves the real-frame count to its caller.
        animation().UpdateFrameCount();
        EXPECT_EQ(before.differences(animation()), "");
        EXPECT_FALSE(TheUndoHistory().CanUndo());
    }
}

} // namespace
