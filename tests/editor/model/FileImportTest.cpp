#include "DocumentTestSupport.h"

#include "ClipFiles.h"
#include "DialogServices.h"
#include "FileInfo.h"
#include "ImportReaders.h"
#include "memory/GlobalMemory.h"
#include "registry/RegistryHelpers.h"

#include <cstring>

namespace {

// Readers that recognise what the test says and record what they were asked.
class ScriptedReaders : public ImportReaders {
public:
    int GetAviFileInfo(const char* path, AviFileInformation& info) override {
        askedPaths.push_back(path);
        if (!avi)
            return 0;
        info.bytes[0] = 42;
        return 1;
    }
    int ImportAviFrames(CAnimationData* animation, FrameList& list, const char*, int start, int num,
                        int div, BOOL merge, ImportProgress progress, HWND) override {
        clipCalls.push_back({animation, start, num, div, merge, progress});
        list.emplace_back();
        return 1;
    }
    int FLICFileOpen(FlicReader** out, const char*) override {
        *out = flic ? &reader : nullptr;
        return flic ? 0 : 1;
    }
    void FLICFileRelease(FlicReader*) override { ++releases; }
    int ImportFlicFrames(CAnimationData* animation, FrameList& list, FlicReader*, int start,
                         int num, int div, BOOL merge, ImportProgress progress, HWND) override {
        clipCalls.push_back({animation, start, num, div, merge, progress});
        return 1;
    }
    int LoadMetaFile(const char*, VectorObjectRecord& record) override {
        if (!metafile)
            return 0;
        record.sourceRight = 99;
        record.sourceBottom = 49;
        return 1;
    }
    KpxHandle RenderMetafileImage(HENHMETAFILE, const RECT& rect, int, int, int,
                                  int antialias) override {
        renderAntialias = antialias;
        return KPXCreateImage(rect.right - rect.left + 1, rect.bottom - rect.top + 1, 24);
    }
    int SubstituteFont(LOGFONTA& font, std::string& text) override {
        if (std::strcmp(font.lfFaceName, "Missing Face") != 0)
            return 0;
        text = "Missing Face -> Liberation Sans;";
        return 1;
    }

    struct ClipCall {
        CAnimationData* animation;
        int start, num, div;
        BOOL merge;
        ImportProgress progress;
    };
    bool avi = false;
    bool flic = false;
    bool metafile = false;
    FlicReader reader{};
    int releases = 0;
    int renderAntialias = -1;
    std::vector<std::string> askedPaths;
    std::vector<ClipCall> clipCalls;
};

class ScriptedDialogs : public DialogServices {
public:
    int runAviImportChoice(AviImportChoice& d) override {
        seenAvi = {*d.choice.startFrame, *d.choice.numFrames, d.info.bytes[0], d.maxFrames};
        if (answer == IDOK) {
            *d.choice.startFrame = 5;
            *d.choice.numFrames = 300;
            *d.choice.divFrames = divFrames;
            *d.choice.selectAllFrames = selectAll;
            *d.sound = 0;
        }
        d.clipFrameCount = 120;
        return answer;
    }
    int runFlicImportChoice(FlicImportChoice& d) override {
        flicReaderSeen = d.reader;
        d.clipFrameCount = 10;
        if (answer == IDOK) {
            *d.choice.startFrame = 1;
            *d.choice.numFrames = 4;
            *d.choice.selectAllFrames = flicSelectAll;
        }
        return answer;
    }
    int runFontSubstitutionReport(FontSubstitutionReport& d) override {
        reports.push_back(d.report);
        return IDOK;
    }
    int runVectorSizeChoice(VectorSizeChoice& d) override {
        initial = d.initial;
        d.chosen = RECT{0, 0, 19, 9};
        d.antialiasing = 1;
        return answer;
    }
    int runCompressionChoice(CompressionChoice&) override { return answer; }
    int runTextSettings(CObjFrame& frame) override {
        TextObjectRecord record;
        record.text = "typed";
        HandTextObjectToFrame(frame, record);
        return IDOK;
    }

    struct SeenAvi {
        int start, num, infoByte, max;
    } seenAvi{};
    int answer = IDOK;
    BOOL selectAll = 1;
    BOOL flicSelectAll = 0;
    int divFrames = 0;
    FlicReader* flicReaderSeen = nullptr;
    RECT initial{};
    std::vector<std::string> reports;
};

class FileImportTest : public DocumentFixture {
protected:
    void SetUp() override {
        DocumentFixture::SetUp();
        setImportReaders(&readers);
        setDialogServices(&dialogsFake);
    }
    void TearDown() override {
        setImportReaders(nullptr);
        setDialogServices(nullptr);
        DocumentFixture::TearDown();
    }
    std::string unknownFile(const std::string& name) {
        const std::string path = files.file(name);
        writeFile(path, "not a picture of any kind");
        return path;
    }

    ScriptedReaders readers;
    ScriptedDialogs dialogsFake;
    FrameList list;
};

TEST_F(FileImportTest, NullEmptyAndUnrecognisedFilesFailQuietly) {
    EXPECT_EQ(doc->ImportFile(nullptr, list, nullptr), kImportFailed);
    EXPECT_EQ(doc->ImportFile("", list, nullptr), kImportFailed);
    EXPECT_EQ(doc->ImportFile(unknownFile("x.dat").c_str(), list, nullptr), kImportFailed);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(shellFake.boxes.empty());
    EXPECT_EQ(readers.releases, 0);
}

TEST_F(FileImportTest, WithoutInstalledDialogsAndReadersTheRoadsEndCleanly) {
    setDialogServices(nullptr);
    readers.avi = true;
    EXPECT_EQ(doc->ImportFile(unknownFile("clip.avi").c_str(), list, nullptr), kImportCancelled);
    setImportReaders(nullptr);
    EXPECT_EQ(doc->ImportFile(unknownFile("clip2.avi").c_str(), list, nullptr), kImportFailed);
    EXPECT_EQ(doc->ImportFile(unknownFile("drawing.emf").c_str(), list, nullptr), kImportFailed);
    ASSERT_EQ(shellFake.boxes.size(), 1u); // the metafile could not be loaded
    EXPECT_EQ(shellFake.boxes[0], "[10834]");
    EXPECT_TRUE(list.empty());
}

TEST_F(FileImportTest, AviCancelGivesTwoAndKeepsTheStoredChoice) {
    readers.avi = true;
    WriteRegInt("Dlgs\\AVIFilter", "NumFrames", 17);
    dialogsFake.answer = IDCANCEL;
    EXPECT_EQ(doc->ImportFile(unknownFile("clip.avi").c_str(), list, nullptr), kImportCancelled);
    EXPECT_EQ(dialogsFake.seenAvi.num, 17);
    EXPECT_EQ(dialogsFake.seenAvi.start, 0);
    EXPECT_EQ(dialogsFake.seenAvi.infoByte, 42);
    EXPECT_EQ(dialogsFake.seenAvi.max, 200);
    EXPECT_EQ(ReadRegInt("Dlgs\\AVIFilter", "NumFrames", -1, 0, 0), 17);
    EXPECT_TRUE(readers.clipCalls.empty());
}

TEST_F(FileImportTest, AviSelectAllStartsAtTheFirstFrameWhateverWasStored) {
    readers.avi = true;
    EXPECT_EQ(doc->ImportFile(unknownFile("clip.avi").c_str(), list, nullptr), kImportDone);
    ASSERT_EQ(readers.clipCalls.size(), 1u);
    const auto& call = readers.clipCalls[0];
    EXPECT_EQ(call.start, 0);
    EXPECT_EQ(call.num, 120); // all 120 frames of the clip (below the limit), not the count typed
    EXPECT_EQ(call.div, 0);
    EXPECT_EQ(call.animation, nullptr); // with a main window, progress instead of the record
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_BEGIN), 1);
    // The progress moves with the frames and stops at Esc.
    ASSERT_NE(call.progress, nullptr);
    EXPECT_EQ(call.progress(0, 1, nullptr), 0);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_STEP), 1);
    shellFake.escapeAfter = 0;
    EXPECT_NE(call.progress(0, 2, nullptr), 0);
    EXPECT_EQ(ReadRegInt("Dlgs\\AVIFilter", "StartFrame", 0, 0, 0), 5);
    EXPECT_EQ(ReadRegBool("Dlgs\\AVIFilter", "Sound", 1), 0);
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(FileImportTest, AviWithoutMainWindowImportsIntoTheAnimationRecord) {
    readers.avi = true;
    dialogsFake.selectAll = 0;
    shellFake.mainWindow = false;
    EXPECT_EQ(doc->ImportFile(unknownFile("clip.avi").c_str(), list, nullptr), kImportDone);
    ASSERT_EQ(readers.clipCalls.size(), 1u);
    EXPECT_EQ(readers.clipCalls[0].animation, g_pAnimationData);
    EXPECT_EQ(readers.clipCalls[0].progress, nullptr);
    EXPECT_EQ(readers.clipCalls[0].start, 4);
    EXPECT_EQ(readers.clipCalls[0].num, 300);
}

TEST_F(FileImportTest, FlicRoadShowsItsDialogAndReleasesTheReader) {
    readers.flic = true;
    EXPECT_EQ(doc->ImportFile(unknownFile("anim.flc").c_str(), list, nullptr), kImportDone);
    EXPECT_EQ(dialogsFake.flicReaderSeen, &readers.reader);
    EXPECT_EQ(readers.releases, 1);
    ASSERT_EQ(readers.clipCalls.size(), 1u);
    EXPECT_EQ(readers.clipCalls[0].num, 4);

    dialogsFake.answer = IDCANCEL;
    EXPECT_EQ(doc->ImportFile(unknownFile("anim2.fli").c_str(), list, nullptr), kImportCancelled);
    EXPECT_EQ(readers.releases, 2);
}

TEST_F(FileImportTest, AllFramesTakesTheWholeClipUpToTheLimitWhateverCountWasTyped) {
    readers.flic = true;
    dialogsFake.flicSelectAll = 1;
    EXPECT_EQ(doc->ImportFile(unknownFile("anim.flc").c_str(), list, nullptr), kImportDone);
    ASSERT_EQ(readers.clipCalls.size(), 1u);
    EXPECT_EQ(readers.clipCalls[0].start, 0);
    EXPECT_EQ(readers.clipCalls[0].num, 10); // the clip's 10 frames, not the 4 typed

    // A clip longer than the limit gives the limit.
    FlicImportChoice longClip(nullptr, "a.fli", kMaxClipFrames, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr);
    longClip.clipFrameCount = 384;
    EXPECT_EQ(longClip.GetFrameCount(), kMaxClipFrames);
}

TEST_F(FileImportTest, TheInstalledReadersOpenFlicFilesAndAviClips) {
    setImportReaders(nullptr);
    dialogsFake.divFrames = 1;
    // The FLIC dialog asks for four frames.
    const std::string flic = kfm::test::testDataPath("flic/2422.flc").string();
    EXPECT_EQ(doc->ImportFile(flic.c_str(), list, nullptr), kImportDone);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list.front().delay, 17);
    EXPECT_GT(shellFake.countSent(WM_PROGRESS_STEP), 0);

    ASSERT_TRUE(kfm::test::haveFfmpeg()) << "the ffmpeg tool is not installed";
    // The AVI dialog selects all frames.
    const std::string clip = files.file("clip.avi");
    ASSERT_TRUE(kfm::test::makeClips(
        files.path(), {{"clip.avi", kfm::test::patternSource(12, 25), "-c:v mjpeg"}}));
    list.clear();
    EXPECT_EQ(doc->ImportFile(clip.c_str(), list, nullptr), kImportDone);
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(list.front().delay, 4);
    EXPECT_EQ(list.front().width, 64);
}

TEST_F(FileImportTest, MetafileBecomesOneVectorFrameOfTheChosenSize) {
    readers.metafile = true;
    EXPECT_EQ(ImportMetafileFrame(unknownFile("drawing.WMF").c_str(), list), 1);
    EXPECT_EQ(dialogsFake.initial.right, 99);
    EXPECT_EQ(dialogsFake.initial.bottom, 49);
    ASSERT_EQ(list.size(), 1u);
    const CObjFrame& frame = list.front();
    EXPECT_TRUE(frame.hasVector);
    EXPECT_EQ(frame.vector.width, 20);
    EXPECT_EQ(frame.vector.height, 10);
    EXPECT_EQ(frame.vector.antialias, 1);
    EXPECT_EQ(readers.renderAntialias, 1);
    EXPECT_EQ(KPXWidth(static_cast<KpxHandle>(frame.GetImage())), 20);

    dialogsFake.answer = IDCANCEL;
    EXPECT_EQ(doc->ImportFile(unknownFile("drawing2.emf").c_str(), list, nullptr), kImportFailed);
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(FileImportTest, TextDialogHandsItsRecordToTheFrame) {
    CObjFrame& frame = addFrame(0, 0, 4, 4);
    TextObjectRecord old;
    old.text = "old";
    HandTextObjectToFrame(frame, old);
    EXPECT_EQ(dialogs().runTextSettings(frame), IDOK);
    EXPECT_TRUE(frame.hasText);
    EXPECT_EQ(frame.text.text, std::optional<std::string>("typed"));
}

TEST_F(FileImportTest, MultiSelectionJoinsFolderAndNamesWithOneSeparator) {
    for (const char* folder : {"/pics", "/pics/"}) {
        readers.askedPaths.clear();
        std::string names = std::string(folder) + '\0' + "a.dat" + '\0' + "b.dat" + '\0' + '\0';
        EXPECT_EQ(doc->InsertFile(list, names.c_str(), TRUE), 1);
        EXPECT_EQ(readers.askedPaths, (std::vector<std::string>{"/pics/a.dat", "/pics/b.dat"}));
    }
    readers.askedPaths.clear();
    const std::string single = std::string("/pics/one.dat") + '\0' + '\0';
    EXPECT_EQ(doc->InsertFile(list, single.c_str(), FALSE), 1);
    EXPECT_EQ(readers.askedPaths, std::vector<std::string>{"/pics/one.dat"});
    EXPECT_EQ(doc->InsertFile(list, "", TRUE), 0);
    EXPECT_EQ(doc->InsertFile(list, nullptr, FALSE), 0);
}

HGLOBAL makeDrop(const std::vector<std::string>& names, bool wide) {
    std::string body;
    for (const std::string& name : names) {
        if (wide) {
            for (const char c : name)
                body += std::string{c, '\0'};
            body += std::string(2, '\0');
        } else {
            body += name + '\0';
        }
    }
    body += std::string(wide ? 2 : 1, '\0');
    const std::uint32_t offset = 20;
    const std::int32_t wideFlag = wide;
    HGLOBAL block = GlobalAlloc(GHND, offset + body.size());
    auto* bytes = static_cast<std::uint8_t*>(GlobalLock(block));
    std::memcpy(bytes, &offset, 4);
    std::memcpy(bytes + 16, &wideFlag, 4);
    std::memcpy(bytes + offset, body.data(), body.size());
    GlobalUnlock(block);
    return block;
}

TEST_F(FileImportTest, DroppedFilesAreReadInTheirOrderAnsiAndWide) {
    EXPECT_EQ(doc->ImportDroppedFiles(nullptr), nullptr);
    for (const bool wide : {false, true}) {
        readers.askedPaths.clear();
        HGLOBAL drop = makeDrop({"/d/one.dat", "/d/two.dat"}, wide);
        auto result = doc->ImportDroppedFiles(drop);
        GlobalFree(drop);
        ASSERT_NE(result, nullptr);
        EXPECT_TRUE(result->empty());
        EXPECT_EQ(readers.askedPaths, (std::vector<std::string>{"/d/one.dat", "/d/two.dat"}));
    }
}

TEST_F(FileImportTest, DropRecordWithoutTerminatorIsReadWithinItsBlock) {
    const std::string body = "/d/unterminated";
    HGLOBAL block = GlobalAlloc(GHND, 20 + body.size());
    auto* bytes = static_cast<std::uint8_t*>(GlobalLock(block));
    const std::uint32_t offset = 20;
    std::memcpy(bytes, &offset, 4);
    std::memcpy(bytes + offset, body.data(), body.size());
    GlobalUnlock(block);
    auto result = doc->ImportDroppedFiles(block);
    GlobalFree(block);
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(readers.askedPaths.empty());
}

} // namespace

namespace {

class GifImportTest : public FileImportTest {
protected:
    void SetUp() override { FileImportTest::SetUp(); }
    // Writes the animation's frames as a GIF and empties the frame list.
    std::string saveAnimation(const std::string& name) {
        const std::string path = files.file(name);
        EXPECT_TRUE(doc->DoSave(path.c_str(), TRUE));
        doc->OnNewDocument();
        return path;
    }
};

TEST_F(GifImportTest, ReplacedFontInFrameThreeIsReported) {
    animation().AnimationWidth = 8;
    animation().AnimationHeight = 8;
    for (int i = 0; i < 3; ++i)
        addPatternFrame(0, 0, 8, 8, i);
    CObjFrame& text = frameAt(2);
    text.hasText = 1;
    std::strcpy(text.text.font.lfFaceName, "Missing Face");
    text.text.text = "x";
    const std::string path = saveAnimation("fonts.gif");
    EXPECT_EQ(doc->ImportFile(path.c_str(), list, nullptr), kImportDone);
    ASSERT_EQ(dialogsFake.reports.size(), 1u);
    EXPECT_EQ(dialogsFake.reports[0].rfind("3|Missing Face", 0), 0u);

    // Installed fonts: no report at all.
    dialogsFake.reports.clear();
    CObjFrame& installed = addPatternFrame(0, 0, 8, 8, 1);
    installed.hasText = 1;
    std::strcpy(installed.text.font.lfFaceName, "Liberation Sans");
    const std::string plain = saveAnimation("plain.gif");
    FrameList other;
    EXPECT_EQ(doc->ImportFile(plain.c_str(), other, nullptr), kImportDone);
    EXPECT_TRUE(dialogsFake.reports.empty());
}

TEST_F(GifImportTest, DroppedGifsAreClampedIntoTheAnimationUnlessElastic) {
    animation().AnimationWidth = 30;
    animation().AnimationHeight = 30;
    addPatternFrame(25, 2, 4, 4, 1);
    const std::string first = saveAnimation("first.gif");
    animation().AnimationWidth = 30;
    animation().AnimationHeight = 30;
    addPatternFrame(3, 28, 4, 4, 2);
    addPatternFrame(4, 5, 4, 4, 3);
    const std::string second = saveAnimation("second.gif");

    animation().AnimationWidth = 10;
    animation().AnimationHeight = 10;
    for (const int elastic : {0, 1}) {
        animation().AnimationStateElasticSize = elastic;
        HGLOBAL drop = makeDrop({first, second}, false);
        auto dropped = doc->ImportDroppedFiles(drop);
        GlobalFree(drop);
        ASSERT_NE(dropped, nullptr);
        ASSERT_EQ(dropped->size(), 3u);
        auto it = dropped->begin();
        EXPECT_EQ(it->left, elastic ? 25 : 9);
        EXPECT_EQ(it->top, 2);
        ++it;
        EXPECT_EQ(it->left, 3);
        EXPECT_EQ(it->top, elastic ? 28 : 9);
        ++it;
        EXPECT_EQ(it->left, 4);
    }
}

} // namespace
