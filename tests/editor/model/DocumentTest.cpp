#include "DocumentTestSupport.h"

#include "DialogServices.h"
#include "FormatId.h"
#include "FrameChainBuild.h"
#include "Kfm5ResourceIds.h"
#include "OpenFailure.h"
#include "resources/ResourceLibrary.h"
#include "video/VideoModule.h"

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

class DocumentTest : public DocumentFixture {};

TEST_F(DocumentTest, NewDocumentHoldsOnlyThePlaceholderAndDisablesSaving) {
    addFrame(0, 0, 4, 4);
    animation().comment = "old";
    ASSERT_TRUE(doc->OnNewDocument());
    EXPECT_EQ(animation().frames.size(), 1u);
    EXPECT_EQ(animation().comment, "");
    EXPECT_EQ(doc->m_nContentsOrigin, 1);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    EXPECT_FALSE(doc->OnUpdateNeedsFrames());
    addFrame(0, 0, 4, 4);
    EXPECT_TRUE(doc->OnUpdateNeedsFrames());
}

TEST_F(DocumentTest, NewDocumentStopsAPlayingPreview) {
    g_bPreviewPlaying = 1;
    doc->OnNewDocument();
    g_bPreviewPlaying = 0;
    ASSERT_FALSE(shellFake.sent.empty());
    EXPECT_EQ(shellFake.sent.front().message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(shellFake.sent.front().wParam, kfm5res::ID_STOP_PREVIEW);
}

TEST_F(DocumentTest, PathNameKeepsOnlyGifFiles) {
    shellFake.strings[kfm5res::AFX_IDS_UNTITLED] = "Untitled";
    doc->SetPathName("/pics/anim.GIF");
    EXPECT_EQ(doc->GetPathName(), "/pics/anim.GIF");
    EXPECT_EQ(doc->GetTitle(), "anim.GIF");
    doc->SetModifiedFlag(TRUE);
    doc->SetPathName("/pics/still.bmp");
    EXPECT_EQ(doc->GetPathName(), "");
    EXPECT_EQ(doc->GetTitle(), "Untitled");
    EXPECT_FALSE(doc->IsModified());
}

TEST(ReplaceFileExtension, Cases) {
    struct Case {
        const char* path;
        const char* extension;
        const char* expected;
    } cases[] = {
        {"/tmp/kfmA1B2.tmp", "htm", "/tmp/kfmA1B2.htm"},
        {"/tmp/kfmA1B2.tmp", ".gif", "/tmp/kfmA1B2.gif"},
        {"/tmp/noext", "gif", "/tmp/noext.gif"},
        {"/tmp.d/noext", "gif", "/tmp.d/noext.gif"},
        {"", "gif", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceFileExtension(c.path, c.extension), c.expected) << c.path;
}

TEST(FormatText, FillsPlaceholdersInOrderAndNeverReadsValuesAsFormats) {
    EXPECT_EQ(FormatText("Cannot open %s.", {"a%sb"}), "Cannot open a%sb.");
    EXPECT_EQ(FormatText("%1 and %2, %1", {"x", "y"}), "x and y, x");
    EXPECT_EQ(FormatText("%s is %d x %ld pixels, 100%%", {"f", "3", "4"}),
              "f is 3 x 4 pixels, 100%");
    EXPECT_EQ(FormatText("%s %s", {"only"}), "only ");
    EXPECT_EQ(FormatText("trailing %", {}), "trailing %");
}

// Open failures: a message through the shell that says why, then an empty untitled document.
TEST_F(DocumentTest, OpenFailuresLeaveAnEmptyUntitledDocument) {
    shellFake.strings[kfm5res::IDS_FILE_MISSING] = "missing %s";
    shellFake.strings[kfm5res::IDS_OPEN_DAMAGED] = "damaged %s";
    shellFake.strings[kfm5res::IDS_OPEN_NOT_A_PICTURE] = "no picture %s";
    shellFake.strings[kfm5res::IDS_OPEN_EMPTY] = "empty %s";
    shellFake.strings[kfm5res::AFX_IDS_UNTITLED] = "Untitled";
    const std::string damaged = files.file("damaged.gif");
    writeFile(damaged, std::string("GIF89a\x10\x00\x10\x00\xF7", 11));
    const std::string unsupported = files.file("notes.xyz");
    writeFile(unsupported, "plain text, no picture");
    const std::string empty = files.file("empty.gif");
    writeFile(empty, "");
    struct Case {
        std::string path;
        std::string message;
    } cases[] = {
        {files.file("absent.gif"), "missing " + files.file("absent.gif")},
        {damaged, "damaged " + damaged},
        {unsupported, "no picture " + unsupported},
        {empty, "empty " + empty},
    };
    for (const Case& c : cases) {
        doc->SetPathName(files.file("previous.gif"));
        addFrame(0, 0, 4, 4);
        shellFake.boxes.clear();
        EXPECT_FALSE(doc->OpenDocumentFile(c.path.c_str())) << c.path;
        ASSERT_EQ(shellFake.boxes.size(), 1u) << c.path;
        EXPECT_EQ(shellFake.boxes[0], c.message);
        EXPECT_EQ(animation().frames.size(), 1u) << c.path;
        EXPECT_EQ(animation().frameCount, 0);
        EXPECT_EQ(doc->GetPathName(), "");
        EXPECT_EQ(doc->GetTitle(), "Untitled");
        EXPECT_FALSE(doc->IsModified());
    }
}

TEST_F(DocumentTest, SaveToANameThatIsNotGifWritesNothing) {
    shellFake.strings[kfm5res::IDS_NOT_GIF_NAME] = "not a GIF: %s";
    addPatternFrame(0, 0, 4, 4, 1);
    const std::string target = files.file("out.bmp");
    EXPECT_FALSE(doc->OnSaveDocument(target.c_str()));
    ASSERT_EQ(shellFake.boxes.size(), 1u);
    EXPECT_EQ(shellFake.boxes[0], "not a GIF: " + target);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(DocumentTest, SaveWithoutAFirstImageWritesNothingAndKeepsTheFrames) {
    auto& frames = animation().frames;
    frames.emplace(frames.begin()); // a frame without an image
    addPatternFrame(0, 0, 4, 4, 1);
    const std::string target = files.file("out.gif");
    EXPECT_FALSE(doc->OnSaveDocument(target.c_str()));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(frames.size(), 3u);
}

TEST_F(DocumentTest, SaveAsCancelledChangesNothing) {
    addPatternFrame(0, 0, 4, 4, 1);
    doc->SetModifiedFlag(TRUE);
    shellFake.fileDialogAnswer = IDCANCEL;
    EXPECT_FALSE(doc->DoSave(nullptr, TRUE));
    ASSERT_EQ(shellFake.dialogRequests.size(), 1u);
    const FileDialogRequest& request = shellFake.dialogRequests[0];
    EXPECT_FALSE(request.open);
    EXPECT_EQ(request.file, "image");
    EXPECT_EQ(request.filter, "[10799]");
    EXPECT_EQ(request.title, "[10773]");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), "");
}

// A failed save never costs the file that was there; Save As removes only a file it created.
TEST_F(DocumentTest, FailedSaveKeepsThePreviousFile) {
    addPatternFrame(0, 0, 4, 4, 1);
    addPatternFrame(0, 0, 4, 4, 2);
    const std::string existing = files.file("kept.gif");
    writeFile(existing, "previous contents");
    // Esc while writing stops the save after the first frame (the chain build polls twice).
    shellFake.escapeAfter = 2;
    shellFake.fileDialogAnswer = IDOK;
    shellFake.fileDialogChoice = existing;
    EXPECT_FALSE(doc->DoSave(nullptr, TRUE));
    EXPECT_EQ(readFile(existing), "previous contents");
    EXPECT_TRUE(doc->IsModified());

    shellFake.escapeAfter = 2;
    const std::string fresh = files.file("fresh.gif");
    shellFake.fileDialogChoice = fresh;
    EXPECT_FALSE(doc->DoSave(nullptr, TRUE));
    EXPECT_FALSE(fs::exists(fresh));
    // Nothing else is left beside the target.
    for (const auto& entry : fs::directory_iterator(files.path()))
        EXPECT_EQ(entry.path().filename(), "kept.gif");
}

TEST_F(DocumentTest, WriteFailureShowsItsMessageAndTheFramesComeBack) {
    shellFake.strings[kfm5res::IDS_WRITE_FAILED] = "cannot write %s";
    addPatternFrame(0, 0, 4, 4, 1);
    addPatternFrame(2, 2, 4, 4, 2);
    const std::string target = files.file("missing-folder/out.gif");
    EXPECT_FALSE(doc->DoSave(target.c_str(), TRUE));
    ASSERT_EQ(shellFake.boxes.size(), 1u);
    EXPECT_EQ(shellFake.boxes[0], "cannot write " + target);
    EXPECT_EQ(animation().frames.size(), 3u);
    for (auto it = animation().frames.begin(); std::next(it) != animation().frames.end(); ++it)
        EXPECT_EQ(KPXGetImageFramesNum(static_cast<KpxHandle>(it->GetImage())), 1);
    EXPECT_TRUE(doc->IsModified());
}

// A file the user may not write is not replaced, and the message says so; the frames come back.
TEST_F(DocumentTest, SavingOverAReadOnlyFileSaysSoAndKeepsIt) {
    shellFake.strings[kfm5res::IDS_SAVE_NOT_WRITABLE] = "read-only %s";
    addPatternFrame(0, 0, 4, 4, 1);
    addPatternFrame(2, 2, 4, 4, 2);
    const std::string target = files.file("locked.gif");
    writeFile(target, "previous contents");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(doc->DoSave(target.c_str(), TRUE));
    ASSERT_EQ(shellFake.boxes.size(), 1u);
    EXPECT_EQ(shellFake.boxes[0], "read-only " + target);
    EXPECT_EQ(readFile(target), "previous contents");
    EXPECT_EQ(animation().frames.size(), 3u);
    EXPECT_TRUE(doc->IsModified());
    // Made writable, the same save replaces it.
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    shellFake.boxes.clear();
    EXPECT_TRUE(doc->DoSave(target.c_str(), TRUE));
    EXPECT_TRUE(shellFake.boxes.empty());
    EXPECT_NE(readFile(target), "previous contents");
}

// An export writes one frame elsewhere: the animation's modified flag and history stay.
TEST_F(DocumentTest, ExportKeepsModifiedFlagAndUndoHistory) {
    addPatternFrame(0, 0, 4, 4, 1);
    TheUndoHistory().BeginStep(1);
    frameAt(0).left = 3;
    ASSERT_EQ(TheUndoHistory().EndStep(0), 1);
    for (const BOOL modified : {TRUE, FALSE}) {
        doc->SetModifiedFlag(modified);
        g_nSaveMode = 2;
        const std::string target = files.file("frame.bmp");
        EXPECT_FALSE(doc->DoSave(target.c_str(), TRUE));
        EXPECT_EQ(doc->IsModified(), modified);
        EXPECT_TRUE(TheUndoHistory().CanUndo());
        EXPECT_EQ(doc->GetPathName(), "");
        EXPECT_FALSE(fs::exists(target));
    }
    g_nSaveMode = 1;
}

TEST_F(DocumentTest, ClipCropsObjectImagesAndRemovesFramesWhollyOutside) {
    animation().AnimationWidth = 10;
    animation().AnimationHeight = 10;
    CObjFrame& partly = addPatternFrame(6, -2, 8, 8, 1);
    partly.hasText = 1;
    partly.SetRenderedImage(static_cast<std::uint16_t>(
        KPXCreateImageFrom(static_cast<KpxHandle>(partly.GetImage()), 0)));
    CObjFrame& outside = addPatternFrame(20, 20, 4, 4, 2);
    outside.hasVector = 1;
    outside.SetRenderedImage(static_cast<std::uint16_t>(KPXCreateImage(4, 4, 8)));
    CObjFrame& inside = addPatternFrame(1, 1, 4, 4, 3);
    inside.hasText = 1;
    const auto source = static_cast<KpxHandle>(partly.GetImage());

    doc->ClipObjectFramesToAnimation();

    ASSERT_EQ(animation().frames.size(), 3u);
    EXPECT_EQ(animation().frameCount, 2);
    CObjFrame& clipped = frameAt(0);
    EXPECT_EQ(clipped.text.left, 6);
    EXPECT_EQ(clipped.text.top, -2);
    EXPECT_EQ(clipped.left, 6);
    EXPECT_EQ(clipped.top, 0);
    const auto rendered = static_cast<KpxHandle>(clipped.GetRenderedImage());
    ASSERT_NE(rendered, 0);
    EXPECT_EQ(KPXWidth(rendered), 4);
    EXPECT_EQ(KPXHeight(rendered), 6);
    // The crop starts at the frame's column 0 and row 2.
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(pixelColour(rendered, x, y), pixelColour(source, x, y + 2));
    EXPECT_EQ(frameAt(1).text.left, 1);
    EXPECT_EQ(frameAt(1).GetRenderedImage(), 0);
    DeleteRenderedImages(animation().frames);
}

TEST_F(DocumentTest, PreviewFilesAreListedAndDeletedWithTheDocument) {
    addPatternFrame(0, 0, 4, 4, 1);
    addPatternFrame(0, 0, 4, 4, 2);
    doc->SaveTempGIF();
    doc->SaveTempGIF();
    const std::vector<std::string> entries = doc->TemporaryFiles();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0], entries[1]);
    for (const std::string& entry : entries) {
        EXPECT_EQ(fs::path(entry).extension(), ".htm");
        EXPECT_EQ(fs::path(entry).parent_path(), tempFolder.path());
        EXPECT_EQ(fs::path(entry).filename().string().rfind("kfm", 0), 0u);
        EXPECT_TRUE(fs::exists(ReplaceFileExtension(entry, "tmp")));
    }
    // One file already gone does not keep the others.
    fs::remove(ReplaceFileExtension(entries[0], "tmp"));
    // The preview changed nothing it did not undo.
    EXPECT_EQ(animation().frames.size(), 3u);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    doc.reset();
    for (const std::string& entry : entries)
        for (const char* extension : {"tmp", "gif", "htm"})
            EXPECT_FALSE(fs::exists(ReplaceFileExtension(entry, extension))) << entry;
}

TEST_F(DocumentTest, PreviewPageNamesTheColourRedFirst) {
    shellFake.strings[kfm5res::IDS_PREVIEW_PAGE] = "bg=%s img=%s w=%s h=%s";
    g_Settings.animBkColor = 0x0000FF; // pure red as a COLORREF
    animation().AnimationWidth = 4;
    animation().AnimationHeight = 3;
    addPatternFrame(0, 0, 4, 3, 1);
    const std::string page = doc->SaveTempGIF();
    ASSERT_FALSE(page.empty());
    const std::string gif = fs::path(ReplaceFileExtension(page, "gif")).filename().string();
    EXPECT_EQ(readFile(page), "bg=ff0000 img=" + gif + " w=4 h=3");
    EXPECT_TRUE(fs::exists(ReplaceFileExtension(page, "gif")));
}

} // namespace

namespace {

// GIF bytes: a screen with a two-colour table and 1 x 1 images; each image is given by its left
// position and whether its data is sound (a bad code ends it before its pixel).
std::string tinyGif(int screenWidth, int screenHeight,
                    std::initializer_list<std::pair<int, bool>> images) {
    std::string f = "GIF89a";
    auto put16 = [&f](int v) {
        f.push_back(static_cast<char>(v & 0xFF));
        f.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    put16(screenWidth);
    put16(screenHeight);
    f += std::string("\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 9);
    for (const auto& [left, sound] : images) {
        f.push_back(',');
        put16(left);
        put16(0);
        put16(1);
        put16(1);
        f.push_back(0);
        // Code size 2: clear, index 1, end; or clear, then code 7 before the table has it.
        f += sound ? std::string("\x02\x02\x4C\x01\x00", 5) : std::string("\x02\x01\x3C\x00", 4);
    }
    f.push_back(';');
    return f;
}

} // namespace

TEST_F(DocumentTest, OpenTellsWhichFramesWereLeftOutOrDecodedInPart) {
    const std::string gif = files.file("partly.gif");
    writeFile(gif, tinyGif(4, 4, {{0, true}, {40000, true}, {1, true}, {2, false}}));
    shellFake.boxes.clear();
    ASSERT_TRUE(doc->OpenDocumentFile(gif.c_str()));
    EXPECT_EQ(animation().RealFrameCount(), 3);
    ASSERT_EQ(shellFake.boxes.size(), 1u);
    const std::string& box = shellFake.boxes[0];
    EXPECT_NE(box.find(gif), std::string::npos) << box;
    EXPECT_NE(box.find("(numbers in the file): 2\n"), std::string::npos) << box;
    EXPECT_NE(box.find("background colour: 3"), std::string::npos) << box;

    // A sound file opens without a word.
    writeFile(gif, tinyGif(4, 4, {{0, true}, {1, true}}));
    shellFake.boxes.clear();
    ASSERT_TRUE(doc->OpenDocumentFile(gif.c_str()));
    EXPECT_TRUE(shellFake.boxes.empty());
}

// A still picture cut short opens as far as its data goes, with the warning a GIF gets; whole
// pictures open without a word.
TEST_F(DocumentTest, OpenWarnsOfAStillPictureCutShort) {
    for (const char* source : {"jpeg/hopper.jpg", "bmp/bmpsuite/g/rgb24.bmp"}) {
        SCOPED_TRACE(source);
        const std::string whole = readFile(kfm::test::testDataPath(source).string());
        const std::string path = files.file(fs::path(source).filename().string());
        writeFile(path, whole);
        shellFake.boxes.clear();
        ASSERT_TRUE(doc->OpenDocumentFile(path.c_str()));
        EXPECT_TRUE(shellFake.boxes.empty());

        writeFile(path, whole.substr(0, whole.size() * 6 / 10));
        ASSERT_TRUE(doc->OpenDocumentFile(path.c_str()));
        EXPECT_EQ(animation().RealFrameCount(), 1);
        ASSERT_EQ(shellFake.boxes.size(), 1u);
        const std::string& box = shellFake.boxes[0];
        EXPECT_NE(box.find(path), std::string::npos) << box;
        EXPECT_NE(box.find("background colour: 1"), std::string::npos) << box;
    }
}

// A PNG's transparency opens with it: graded transparency as a frame drawn through its plane,
// one transparent palette colour as the frame's transparent index.
TEST_F(DocumentTest, OpenKeepsAPngsTransparency) {
    const KpxHandle picture = KPXCreateImage(8, 4, 24);
    KPXFillImageByRGBColor(picture, RGB(200, 0, 0));
    const KpxHandle plane = KPXCreateImage(8, 4, 8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            KPXGetBits(plane)[y * KPXGetScanBytes(plane) + x] = 255; // the left half
    ASSERT_EQ(KPXSetImageTransparentEx(picture, plane), 1);
    const std::string graded = files.file("graded.png");
    ASSERT_EQ(KPXSaveImage(picture, graded.c_str(), formatNumber(FormatId::Png), 0, 0, nullptr), 1);
    KPXDeleteImage(picture);
    ASSERT_TRUE(doc->OpenDocumentFile(graded.c_str()));
    ASSERT_EQ(animation().RealFrameCount(), 1);
    EXPECT_EQ(frameAt(0).softAlpha, 1);
    frameAt(0).selected = 1;
    const KpxHandle shown = CreatePreviewImage(0, 0, 7, 3, 0, 0, 1);
    ASSERT_NE(shown, 0);
    EXPECT_NE(pixelColour(shown, 1, 1), 0xC80000u); // the background shows through
    EXPECT_EQ(pixelColour(shown, 6, 1), 0xC80000u);
    KPXDeleteImage(shown);

    const std::string indexed = kfm::test::testDataPath("png/pngsuite/tbbn3p08.png").string();
    ASSERT_TRUE(doc->OpenDocumentFile(indexed.c_str()));
    EXPECT_EQ(frameAt(0).transparency & 0xFF000000u, 0x01000000u);
}

// Each failure to open says why: the file is empty, no picture this program reads (whatever
// its name), a picture larger than the editor can hold (with its size), or damaged.
TEST_F(DocumentTest, OpenSaysWhyAFileCannotBeOpened) {
    shellFake.strings[kfm5res::IDS_OPEN_EMPTY] = "empty %s";
    shellFake.strings[kfm5res::IDS_OPEN_NOT_A_PICTURE] = "no picture %s";
    shellFake.strings[kfm5res::IDS_OPEN_TOO_LARGE] = "too large %s: %s x %s";
    shellFake.strings[kfm5res::IDS_OPEN_DAMAGED] = "damaged %s";
    // A screen of 100 x 10 whose one image is 40000 pixels wide.
    std::string wideImage = tinyGif(100, 10, {{0, true}});
    wideImage[24] = static_cast<char>(40000 & 0xFF);
    wideImage[25] = static_cast<char>(40000 >> 8);
    // A GIF whose data ends inside its first image's descriptor.
    const std::string cut = tinyGif(4, 4, {{0, true}}).substr(0, 22);
    struct Case {
        const char* name;
        std::string bytes;
        const char* before; // the message: this, the path, then what follows
        const char* after;
    } const cases[] = {
        {"empty.gif", "", "empty", ""},
        {"empty.bmp", "", "empty", ""},
        {"text.gif", "This text is named like a GIF picture, but it holds only words.",
         "no picture", ""},
        {"text.png", "plain text", "no picture", ""},
        {"wide.gif", tinyGif(40000, 10, {{0, true}}), "too large", ": 40000 x 10"},
        {"tall.gif", tinyGif(8, 65535, {{0, true}}), "too large", ": 8 x 65535"},
        {"compose.gif", tinyGif(20000, 20000, {{0, true}}), "too large", ": 20000 x 20000"},
        {"image.gif", wideImage, "too large", ": 40000 x 1"},
        {"cut.gif", cut, "damaged", ""},
        {"cut.png",
         readFile(kfm::test::testDataPath("png/pngsuite/basn2c08.png").string()).substr(0, 100),
         "damaged", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = files.file(c.name);
        writeFile(path, c.bytes);
        shellFake.boxes.clear();
        EXPECT_FALSE(doc->OpenDocumentFile(path.c_str()));
        ASSERT_EQ(shellFake.boxes.size(), 1u);
        EXPECT_EQ(shellFake.boxes[0], std::string(c.before) + " " + path + c.after);
        EXPECT_EQ(animation().RealFrameCount(), 0);
    }
}

// A clip opened while the video module cannot be loaded says so, and leaves the document empty.
TEST_F(DocumentTest, OpenOfAClipWithoutTheVideoModuleSaysTheModuleIsMissing) {
    shellFake.strings[kfm5res::IDS_OPEN_NO_VIDEO_MODULE] = "no video module %s";
    const std::string clip = files.file("clip.avi");
    writeFile(clip, std::string("RIFF\x04\0\0\0AVI LIST", 16));
    kfm::video::useVideoModuleForTest(files.file("libKfmVideoFFmpeg.so"));
    shellFake.boxes.clear();
    const bool opened = doc->OpenDocumentFile(clip.c_str());
    kfm::video::useVideoModuleForTest({});
    EXPECT_FALSE(opened);
    ASSERT_EQ(shellFake.boxes.size(), 1u);
    EXPECT_EQ(shellFake.boxes[0], "no video module " + clip);
    EXPECT_EQ(animation().RealFrameCount(), 0);
}

// The messages the document chooses have their texts in the language library, with the
// placeholders the document fills.
TEST(OpenFailureTexts, EveryReasonHasItsText) {
    const OpenFailureKind kinds[] = {OpenFailureKind::Unexplained, OpenFailureKind::Empty,
                                     OpenFailureKind::NotAPicture, OpenFailureKind::TooLarge,
                                     OpenFailureKind::Damaged,     OpenFailureKind::NoVideoModule};
    std::set<UINT> ids;
    for (const OpenFailureKind kind : kinds)
        ids.insert(OpenFailureMessage(kind));
    EXPECT_EQ(ids.size(), std::size(kinds));
    EXPECT_EQ(OpenFailureMessage(OpenFailureKind::Unexplained), kfm5res::IDS_OPEN_FAILED);

    const HMODULE library = LoadLibraryA((kfm::test::programFolder() / "KFM5Res.so").c_str());
    ASSERT_NE(library, nullptr);
    const auto placeholders = [&](UINT id) {
        const std::string text = kfm::resources::loadString(library, id);
        int count = 0;
        for (std::size_t at = text.find("%s"); at != std::string::npos;
             at = text.find("%s", at + 2))
            ++count;
        return text.empty() ? -1 : count;
    };
    for (const OpenFailureKind kind : kinds)
        EXPECT_EQ(placeholders(OpenFailureMessage(kind)), kind == OpenFailureKind::TooLarge ? 3 : 1)
            << OpenFailureMessage(kind);
    EXPECT_EQ(placeholders(kfm5res::IDS_SAVE_NOT_WRITABLE), 1);
    FreeLibrary(library);
}

TEST_F(DocumentTest, OpenRefusesAScreenTooLargeToCompose) {
    shellFake.strings[kfm5res::AFX_IDS_UNTITLED] = "Untitled";
    shellFake.strings[kfm5res::IDS_OPEN_TOO_LARGE] = "%s: %s x %s";
    const std::string gif = files.file("huge.gif");
    writeFile(gif, tinyGif(32767, 32767, {{0, true}, {5, true}}));
    shellFake.boxes.clear();
    EXPECT_FALSE(doc->OpenDocumentFile(gif.c_str()));
    ASSERT_EQ(shellFake.boxes.size(), 1u);
    EXPECT_NE(shellFake.boxes[0].find("32767 x 32767"), std::string::npos) << shellFake.boxes[0];
    EXPECT_EQ(animation().RealFrameCount(), 0);
    EXPECT_EQ(doc->GetTitle(), "Untitled");
    // A long banner still opens.
    writeFile(gif, tinyGif(32767, 2, {{0, true}}));
    EXPECT_TRUE(doc->OpenDocumentFile(gif.c_str()));
    EXPECT_EQ(animation().AnimationWidth, 32767);
}
