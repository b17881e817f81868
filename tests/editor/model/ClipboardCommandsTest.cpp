// The Edit commands over the clipboard: copy, cut, paste of every format, the Paste Special
// entries and delete, each a whole undo step.

#include "ClipboardBlockFixture.h"

#include "ClipboardCommands.h"
#include "ClipboardFramesBlock.h"
#include "DialogServices.h"
#include "Kfm5ResourceIds.h"
#include "UndoHistory.h"
#include "memory/GlobalMemory.h"

#include <cstring>

namespace {

using namespace kfm::model;

class SizeDialogs : public DialogServices {
public:
    int runAviImportChoice(AviImportChoice&) override { return IDCANCEL; }
    int runFlicImportChoice(FlicImportChoice&) override { return IDCANCEL; }
    int runFontSubstitutionReport(FontSubstitutionReport&) override { return IDOK; }
    int runVectorSizeChoice(VectorSizeChoice& d) override {
        initial = d.initial;
        d.chosen = RECT{0, 0, 15, 11};
        d.antialiasing = 0;
        return answer;
    }
    int runCompressionChoice(CompressionChoice&) override { return IDCANCEL; }
    int runTextSettings(CObjFrame&) override { return IDCANCEL; }

    int answer = IDOK;
    RECT initial{};
};

class ClipboardCommandsTest : public ClipboardBlockFixture {
protected:
    void SetUp() override {
        // The clipboard is the desktop's: it needs the GUI application.
        kfm::test::ensureGuiApplication();
        ClipboardBlockFixture::SetUp();
        setDialogServices(&dialogsFake);
        TheUndoHistory().SetSize(10);
        TheUndoHistory().Reset();
        emptyClipboard();
    }
    void TearDown() override {
        emptyClipboard();
        TheUndoHistory().Reset();
        setDialogServices(nullptr);
        ClipboardBlockFixture::TearDown();
    }

    static void emptyClipboard() {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        CloseClipboard();
    }

    static void putOnClipboard(UINT format, HANDLE data) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        ASSERT_TRUE(SetClipboardData(format, data));
        CloseClipboard();
    }

    static HGLOBAL globalOf(const std::vector<std::uint8_t>& bytes) {
        const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        return block;
    }

    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const CObjFrame& f : animation().frames)
            if (f.GetImage())
                out.push_back(f.name);
        return out;
    }

    // Three named frames a, b, c; b is selected and current.
    void addThreeFrames() {
        for (const char* name : {"a", "b", "c"})
            addPatternFrame(1, 1, 4, 3, 8).name = name;
        SetCurrentFrame(1);
        frameAt(1).selected = 1;
    }

    SizeDialogs dialogsFake;
};

TEST_F(ClipboardCommandsTest, CopyAndPasteRoundTripThroughTheClipboard) {
    addEveryKindOfFrame();
    ASSERT_EQ(CopyFramesToClipboard(nullptr), 1);
    for (const CObjFrame& f : animation().frames)
        EXPECT_EQ(f.marked, 0);
    EXPECT_EQ(ChoosePasteFormat(), g_cfPrivateFormat);

    OpenClipboard(nullptr);
    bool complete = false;
    const auto read = ReadClipboardFramesBlock(
        static_cast<HGLOBAL>(GetClipboardData(g_cfPrivateFormat)), &complete);
    CloseClipboard();
    ASSERT_TRUE(read);
    EXPECT_TRUE(complete);
    expectSameAsSelected(*read);
}

TEST_F(ClipboardCommandsTest, CopyOfAVectorFrameOffersThreeFormatsAndKeepsItsMetafile) {
    CObjFrame& f = addPatternFrame(0, 0, 8, 6, 24);
    giveVector(f);
    f.selected = 1;
    ASSERT_EQ(CopyFramesToClipboard(nullptr), 1);
    EXPECT_TRUE(IsClipboardFormatAvailable(g_cfPrivateFormat));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    OpenClipboard(nullptr);
    EXPECT_NE(GetClipboardData(CF_ENHMETAFILE), f.vector.metafile.get());
    CloseClipboard();

    // The clipboard frees what it holds; the frame's own metafile must outlive that.
    emptyClipboard();
    const HENHMETAFILE own = frameAt(0).vector.metafile.get();
    EXPECT_GT(GetEnhMetaFileBits(own, 0, nullptr), 0u);
    EXPECT_EQ(PasteSpecialEntries().size(), 0u);
}

TEST_F(ClipboardCommandsTest, PasteFollowsTheCurrentFrameOrAppendsAtThePlaceholder) {
    addThreeFrames();
    frameAt(0).selected = 1;
    frameAt(2).selected = 1;
    frameAt(1).selected = 0;
    ASSERT_EQ(CopyFramesToClipboard(nullptr), 1); // a and c
    SetCurrentFrame(1);
    ASSERT_EQ(PasteFormat(nullptr, ChoosePasteFormat(), nullptr), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "a", "c", "c"}));
    EXPECT_EQ(GetCurrentFrameIndex(), 2);
    EXPECT_EQ(GetSelFramesArray(), (std::vector<int>{2, 3, -1}));
    EXPECT_EQ(animation().frameCount, 5);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPaste);

    SetCurrentFrame(animation().RealFrameCount()); // the placeholder
    ASSERT_EQ(PasteFormat(nullptr, g_cfPrivateFormat, nullptr), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "a", "c", "c", "a", "c"}));
    EXPECT_EQ(GetCurrentFrameIndex(), 5);
}

TEST_F(ClipboardCommandsTest, PastedFramesBeyondTheAreaMoveInUnlessTheSizeIsElastic) {
    addPatternFrame(70, 50, 4, 4, 8).selected = 1;
    ASSERT_EQ(CopyFramesToClipboard(nullptr), 1);
    animation().frames.clear();
    animation().ResetFrames();
    animation().AnimationStateLockRight = animation().AnimationStateLockBottom = 0;
    animation().AnimationStateElasticSize = 0;
    SetCurrentFrame(0);
    ASSERT_EQ(PasteFormat(nullptr, g_cfPrivateFormat, nullptr), 1);
    EXPECT_EQ(frameAt(0).left, 39);
    EXPECT_EQ(frameAt(0).top, 29);

    animation().AnimationStateElasticSize = 1;
    SetCurrentFrame(1);
    ASSERT_EQ(PasteFormat(nullptr, g_cfPrivateFormat, nullptr), 1);
    EXPECT_EQ(frameAt(1).left, 70);
    EXPECT_EQ(frameAt(1).top, 50);
}

TEST_F(ClipboardCommandsTest, PictureAndMetafileBecomeFrames) {
    addThreeFrames();
    // A picture from another program: a packed DIB.
    const KpxHandle picture = KPXCreateImage(7, 5, 24);
    KPXGetBits(picture)[0] = 99;
    putOnClipboard(CF_DIB, KPXGetGlobalBlock(picture));
    EXPECT_EQ(ChoosePasteFormat(), CF_DIB);
    ASSERT_EQ(PasteFormat(nullptr, CF_DIB, nullptr), 1);
    const CObjFrame& pasted = frameAt(2);
    EXPECT_EQ(pasted.width, 7);
    EXPECT_EQ(pasted.height, 5);
    EXPECT_EQ(KPXGetBits(static_cast<KpxHandle>(pasted.GetImage()))[0], 99);
    KPXDeleteImage(picture);

    // An enhanced metafile: rendered at the size the dialog gives, kept as the vector source.
    putOnClipboard(CF_ENHMETAFILE, testMetafile());
    EXPECT_EQ(ChoosePasteFormat(), CF_ENHMETAFILE);
    ASSERT_EQ(PasteFormat(nullptr, CF_ENHMETAFILE, nullptr), 1);
    EXPECT_EQ(dialogsFake.initial.right, 799);
    EXPECT_EQ(dialogsFake.initial.bottom, 599);
    const CObjFrame& vector = frameAt(3);
    ASSERT_TRUE(vector.hasVector);
    EXPECT_EQ(vector.width, 16);
    EXPECT_EQ(vector.height, 12);
    EXPECT_EQ(vector.vector.width, 16);
    emptyClipboard();
    EXPECT_GT(GetEnhMetaFileBits(frameAt(3).vector.metafile.get(), 0, nullptr), 0u);

    // A cancelled size dialog pastes nothing.
    putOnClipboard(CF_ENHMETAFILE, testMetafile());
    dialogsFake.answer = IDCANCEL;
    const int before = animation().RealFrameCount();
    EXPECT_EQ(PasteFormat(nullptr, CF_ENHMETAFILE, nullptr), 0);
    EXPECT_EQ(animation().RealFrameCount(), before);
}

TEST_F(ClipboardCommandsTest, PasteSpecialListsOnlyWhatIsThere) {
    EXPECT_TRUE(PasteSpecialEntries().empty());
    EXPECT_FALSE(CanPasteFrames());
    EXPECT_EQ(ChoosePasteFormat(), 0u);
    addPatternFrame(0, 0, 8, 6, 24).selected = 1;
    giveVector(frameAt(0));
    ASSERT_EQ(CopyFramesToClipboard(nullptr), 1);
    const auto entries = PasteSpecialEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].format, g_cfPrivateFormat);
    EXPECT_EQ(entries[0].nameId, kfm5res::IDS_PASTE_NAME_FRAMES);
    EXPECT_EQ(entries[1].format, CF_DIB);
    EXPECT_EQ(entries[2].format, CF_ENHMETAFILE);
    EXPECT_EQ(entries[2].resultId, kfm5res::IDS_PASTE_RESULT_ENHMETAFILE);

    putOnClipboard(CF_ENHMETAFILE, testMetafile());
    g_bPreviewPlaying = 1;
    EXPECT_FALSE(CanPasteFrames());
    g_bPreviewPlaying = 0;
    EXPECT_TRUE(CanPasteSpecialFrames());
}

TEST_F(ClipboardCommandsTest, DamagedBlockPastesWhatItCanAndSaysSo) {
    addThreeFrames();
    frameAt(0).selected = frameAt(2).selected = 1;
    const HGLOBAL block = CreateClipboardFramesBlock();
    ClearFramesMark();
    ASSERT_NE(block, nullptr);
    std::vector<std::uint8_t> bytes(GlobalSize(block));
    std::memcpy(bytes.data(), GlobalLock(block), bytes.size());
    GlobalUnlock(block);
    GlobalFree(block);
    bytes.resize(bytes.size() - 20); // the last entry (c) breaks off
    putOnClipboard(g_cfPrivateFormat, globalOf(bytes));

    shellFake.strings[kfm5res::IDS_CLIPBOARD_FRAMES_FAILED] = "partly";
    ASSERT_EQ(PasteFormat(nullptr, g_cfPrivateFormat, nullptr), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "a", "b", "c"}));
    EXPECT_EQ(shellFake.boxes, std::vector<std::string>{"partly"});

    // A block with nothing readable pastes nothing, makes no step and says so.
    putOnClipboard(g_cfPrivateFormat, globalOf({0x9A, 0x02, 0x00}));
    TheUndoHistory().Reset();
    EXPECT_EQ(PasteFormat(nullptr, g_cfPrivateFormat, nullptr), 0);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    EXPECT_EQ(shellFake.boxes.size(), 2u);
}

TEST_F(ClipboardCommandsTest, CutDeletesOnlyWhatTheClipboardTook) {
    addThreeFrames();
    frameAt(0).selected = 1;
    ASSERT_EQ(CutFramesToClipboard(nullptr), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"c"}));
    EXPECT_EQ(animation().frameCount, 1);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindCut);
    ASSERT_EQ(PasteFormat(nullptr, g_cfPrivateFormat, nullptr), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"c", "a", "b"}));

    // Nothing selected: nothing goes to the clipboard and nothing is deleted.
    DeselectAllFrames();
    TheUndoHistory().Reset();
    EXPECT_EQ(CutFramesToClipboard(nullptr), 0);
    EXPECT_EQ(names().size(), 3u);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(ClipboardCommandsTest, DeleteRemovesTheSelectionAsOneStep) {
    addThreeFrames();
    frameAt(2).selected = 1;
    EXPECT_EQ(DeleteSelectedFrames(), 2);
    EXPECT_EQ(names(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindDeleteFrames);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c"}));

    DeselectAllFrames();
    TheUndoHistory().Reset();
    EXPECT_EQ(DeleteSelectedFrames(), 0);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

} // namespace
