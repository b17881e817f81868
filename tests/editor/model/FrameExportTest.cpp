// The export of a frame to other formats: straight through the compression dialog, or through
// the conversion question and the Chooser5 stand-in's dialog; the save road in save mode 2 never
// marks the animation saved, and an export counts as done only when a file was written.

#include "DialogServices.h"
#include "Kfm5ResourceIds.h"
#include "exportdialog/ExportDialog.h"
#include "registry/RegistryHelpers.h"
#include "resources/ResourceLibrary.h"

#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

namespace fs = std::filesystem;

class ExportDialogs : public DialogServices {
public:
    int runAviImportChoice(AviImportChoice&) override { return IDCANCEL; }
    int runFlicImportChoice(FlicImportChoice&) override { return IDCANCEL; }
    int runFontSubstitutionReport(FontSubstitutionReport&) override { return IDOK; }
    int runVectorSizeChoice(VectorSizeChoice&) override { return IDCANCEL; }
    int runCompressionChoice(CompressionChoice& d) override {
        ++compressionRuns;
        compressionFormat = d.formatId;
        compressionQualitySeen = *d.quality;
        if (compressionAnswer == IDOK) {
            *d.quality = quality;
            *d.optionBits = optionBits;
        }
        return compressionAnswer;
    }
    int runTextSettings(CObjFrame&) override { return IDCANCEL; }
    int runExportFormatChoice(ExportFormatChoice& choice) override {
        ++exportRuns;
        seen = choice;
        return exportScript ? exportScript(choice) : IDCANCEL;
    }

    int compressionAnswer = IDOK;
    int quality = 85;
    int optionBits = 0;
    int compressionRuns = 0;
    int compressionFormat = 0;
    int compressionQualitySeen = 0;
    std::function<int(ExportFormatChoice&)> exportScript;
    int exportRuns = 0;
    ExportFormatChoice seen;
};

// The Chooser5 dialog answered OK with a path and format.
std::function<int(ExportFormatChoice&)> chooses(std::string path, std::int32_t format) {
    return [=](ExportFormatChoice& c) {
        c.path = path;
        c.formatId = format;
        return IDOK;
    };
}

class FrameExport : public DocumentFixture {
protected:
    void SetUp() override {
        DocumentFixture::SetUp();
        setDialogServices(&dialogsFake);
        SetExportLibraryFolder("");
    }
    void TearDown() override {
        setDialogServices(nullptr);
        SetExportLibraryFolder("");
        if (g_hExportImage)
            KPXDeleteImage(g_hExportImage);
        g_hExportImage = 0;
        DocumentFixture::TearDown();
    }
    // The export image: a picture of the depth with a colour pattern.
    void exportImageOf(int depth) {
        const KpxHandle image = KPXCreateImage(24, 16, depth);
        std::uint8_t* bits = KPXGetBits(image);
        for (int i = 0; i < KPXGetScanBytes(image) * 16; ++i)
            bits[i] = static_cast<std::uint8_t>(i * 7);
        if (depth <= 8) {
            BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
            for (int i = 0; i < (1 << depth); ++i)
                info->bmiColors[i] =
                    RGBQUAD{static_cast<BYTE>(i * 16), 40, static_cast<BYTE>(255 - i * 8), 0};
            KPXFillDIBColorTable(image);
        }
        g_hExportImage = image;
    }
    // Runs the save road in save mode 2, as the main window's export command does.
    BOOL exportThroughSaveRoad(const std::string& path) {
        g_nSaveMode = 2;
        const BOOL saved = doc->DoSave(path.c_str(), TRUE);
        g_nSaveMode = 1;
        return saved;
    }
    bool boxSays(UINT id) const {
        const std::string marker = "[" + std::to_string(id) + "]";
        for (const std::string& box : shellFake.boxes)
            if (box.rfind(marker, 0) == 0)
                return true;
        return false;
    }
    void expectAnimationUntouched() {
        EXPECT_TRUE(doc->IsModified());
        EXPECT_TRUE(TheUndoHistory().CanUndo());
        EXPECT_EQ(doc->GetPathName(), "");
    }
    void makeUndoableChange() {
        addPatternFrame(0, 0, 4, 4, 1);
        TheUndoHistory().BeginStep(1);
        frameAt(0).left = 3;
        ASSERT_EQ(TheUndoHistory().EndStep(0), 1);
        doc->SetModifiedFlag(TRUE);
    }
    ExportDialogs dialogsFake;
};

TEST_F(FrameExport, AFormatThatHoldsTheDepthIsWrittenAfterTheCompressionDialog) {
    makeUndoableChange();
    WriteRegInt("Dlgs\\Compress", "JPEGValue", 60);
    struct Case {
        int depth;
        const char* name;
        int options;
        std::int32_t format;
    } const cases[] = {{24, "frame.jpg", 0, 90}, {8, "frame.png", 0x80, 100},
                       {4, "frame.tif", 4, 30},  {1, "frame.bmp", 0, 40},
                       {8, "frame.gif", 0, 20},  {24, "frame.bmi", 0, 110},
                       {8, "frame.tga", 0, 80},  {24, "frame.pcx", 0, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exportImageOf(c.depth);
        dialogsFake.optionBits = c.options;
        const std::string path = files.file(c.name);
        EXPECT_TRUE(exportThroughSaveRoad(path));
        EXPECT_EQ(dialogsFake.compressionFormat, c.format);
        KpxFileInfo info{};
        ASSERT_EQ(KPXGetInfoFile(path.c_str(), &info), 1);
        EXPECT_EQ(info.width, 24);
        if (c.format == 100)
            EXPECT_STREQ(info.description, "Compressed, interlaced");
        expectAnimationUntouched();
        KPXDeleteImage(g_hExportImage);
        g_hExportImage = 0;
    }
    EXPECT_EQ(dialogsFake.compressionQualitySeen, 85); // the last dialog's value, read back
    EXPECT_EQ(ReadRegInt("Dlgs\\Compress", "JPEGValue", 0, 0, 0), 85);
    EXPECT_EQ(dialogsFake.exportRuns, 0);
    EXPECT_TRUE(shellFake.boxes.empty());
}

TEST_F(FrameExport, ACancelledCompressionDialogOrAnUnknownNameSavesNothing) {
    exportImageOf(24);
    dialogsFake.compressionAnswer = IDCANCEL;
    EXPECT_EQ(doc->SaveAsOtherFormat(files.file("frame.jpg").c_str()), 0);
    EXPECT_FALSE(fs::exists(files.file("frame.jpg")));
    EXPECT_EQ(ReadRegInt("Dlgs\\Compress", "JPEGValue", 0, 0, 0), 70);

    EXPECT_EQ(doc->SaveAsOtherFormat(files.file("frame.xyz").c_str()), 0);
    EXPECT_TRUE(boxSays(kfm5res::IDS_NOT_GIF_NAME));
    EXPECT_EQ(dialogsFake.compressionRuns, 1);
}

TEST_F(FrameExport, DepthsAFormatCannotHoldAskTheConversionQuestion) {
    struct Case {
        int depth;
        const char* name;
    } const cases[] = {{8, "frame.jpg"},  {24, "frame.gif"}, {4, "frame.tga"},
                       {24, "frame.ico"}, {1, "frame.mac"},  {8, "frame.wpg"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exportImageOf(c.depth);
        shellFake.boxes.clear();
        shellFake.answers = {IDCANCEL}; // No
        const bool holds = std::string(c.name) == "frame.wpg";
        // Declined, the question saves nothing; WPG holds 8 bits and is written straight away.
        EXPECT_EQ(doc->SaveAsOtherFormat(files.file(c.name).c_str()), holds ? 1 : 0);
        EXPECT_EQ(boxSays(kfm5res::IDS_QUESTION_CONVERT_FOR_FORMAT), !holds);
        KPXDeleteImage(g_hExportImage);
        g_hExportImage = 0;
    }
    EXPECT_EQ(dialogsFake.exportRuns, 0);
}

// The fault: the answer to the conversion question was reported as a save whatever followed.
TEST_F(FrameExport, TheConversionRoadCountsAsSavedOnlyWhenAFileWasWritten) {
    makeUndoableChange();
    exportImageOf(8);
    const std::string asked = files.file("frame.jpg");
    struct Case {
        const char* what;
        int answer; // to the conversion question
        std::function<int(ExportFormatChoice&)> script;
        std::string written; // "" when nothing is
    };
    const Case cases[] = {
        {"question answered No", IDCANCEL, chooses(asked, 90), ""},
        {"Chooser5 cancelled", IDYES_, nullptr, ""},
        {"the export fails", IDYES_, chooses(files.file("no/folder/frame.png"), 100), ""},
        {"converted to JPEG", IDYES_, chooses(asked, 90), asked},
        {"another name and format", IDYES_, chooses(files.file("other.jpg"), 100),
         files.file("other.png")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        shellFake.answers = {c.answer};
        dialogsFake.exportScript = c.script;
        EXPECT_EQ(exportThroughSaveRoad(asked), !c.written.empty());
        if (!c.written.empty()) {
            KpxFileInfo info{};
            ASSERT_EQ(KPXGetInfoFile(c.written.c_str(), &info), 1);
            EXPECT_EQ(info.width, 24);
            fs::remove(c.written);
        }
        EXPECT_FALSE(fs::exists(asked));
        expectAnimationUntouched();
    }
    EXPECT_TRUE(boxSays(kfm5res::IDS_EXPORT_SAVE_FAILED));
    EXPECT_EQ(dialogsFake.exportRuns, 4);
}

TEST_F(FrameExport, TheChooser5DialogSeesTheFileFormatsAndTitle) {
    exportImageOf(8);
    shellFake.answers = {IDYES_};
    shellFake.strings[kfm5res::IDS_EXPORT_TITLE] = "%s|%s|%s|%s|%s";
    const std::string asked = files.file("Frame.JPG");
    doc->SaveAsOtherFormat(asked.c_str());
    const ExportFormatChoice& seen = dialogsFake.seen;
    EXPECT_EQ(seen.path, asked);
    EXPECT_EQ(seen.formatId, 90);
    EXPECT_EQ(seen.title, "Frame|.jpg|24|16|8"); // name, extension, size and depth
    ASSERT_EQ(seen.formats.size(), 9u);
    EXPECT_EQ(seen.formats[6].extension, ".jpg");
    EXPECT_EQ(seen.formats[7].id, 100);
}

TEST_F(FrameExport, ConversionSettingsAreReadAndWrittenBackWhateverTheAnswer) {
    exportImageOf(8);
    WriteRegInt("Dlgs\\Convert", "jpegQuality", 55);
    WriteRegString("Dlgs\\Convert", "InitPath", "/somewhere/");
    shellFake.answers = {IDYES_};
    EXPECT_EQ(doc->SaveAsOtherFormat(files.file("frame.jpg").c_str()), 0);
    EXPECT_EQ(ReadRegInt("Dlgs\\Convert", "jpegQuality", 0, 0, 0), 55);
    EXPECT_EQ(ReadRegInt("Dlgs\\Convert", "ditherPalette", 0, 0, 0), 1);
    EXPECT_EQ(ReadRegInt("Dlgs\\Convert", "bkgndcolor", 0, 0, 0), 0xFFFFFF);
    EXPECT_EQ(ReadRegString("Dlgs\\Convert", "InitPath", ""), "/somewhere/");
}

TEST_F(FrameExport, AnExistingFileIsReplacedOnlyWhenTheUserAgrees) {
    exportImageOf(8);
    const std::string path = files.file("frame.jpg");
    writeFile(path, "kept");
    dialogsFake.exportScript = chooses(path, 90);
    shellFake.answers = {IDYES_, IDCANCEL};
    EXPECT_EQ(doc->SaveAsOtherFormat(path.c_str()), 0);
    EXPECT_EQ(readFile(path), "kept");
    EXPECT_TRUE(boxSays(kfm5res::IDS_EXPORT_REPLACE_FILE));
    shellFake.answers = {IDYES_, IDYES_};
    EXPECT_EQ(doc->SaveAsOtherFormat(path.c_str()), 1);
    EXPECT_NE(readFile(path), "kept");
}

// A read-only file is left as it is on both roads, and the message says why; a direct save
// that fails for another reason says that it failed.
TEST_F(FrameExport, AReadOnlyFileIsNotReplacedAndTheMessageSaysSo) {
    const std::string path = files.file("frame.png");
    writeFile(path, "kept");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    exportImageOf(8);
    EXPECT_FALSE(exportThroughSaveRoad(path));
    EXPECT_TRUE(boxSays(kfm5res::IDS_SAVE_NOT_WRITABLE));
    EXPECT_EQ(readFile(path), "kept");

    shellFake.boxes.clear();
    const std::string jpeg = files.file("frame.jpg");
    writeFile(jpeg, "kept");
    fs::permissions(jpeg, fs::perms::owner_read);
    dialogsFake.exportScript = chooses(jpeg, 90);
    shellFake.answers = {IDYES_, IDYES_}; // convert, then replace
    EXPECT_EQ(doc->SaveAsOtherFormat(jpeg.c_str()), 0);
    EXPECT_TRUE(boxSays(kfm5res::IDS_SAVE_NOT_WRITABLE));
    EXPECT_FALSE(boxSays(kfm5res::IDS_EXPORT_SAVE_FAILED));
    EXPECT_EQ(readFile(jpeg), "kept");

    shellFake.boxes.clear();
    EXPECT_FALSE(exportThroughSaveRoad(files.file("no/folder/frame.png")));
    EXPECT_TRUE(boxSays(kfm5res::IDS_EXPORT_SAVE_FAILED));
}

TEST_F(FrameExport, WithoutChooser5OrAnExportImageTheRoadEndsWithItsMessage) {
    exportImageOf(8);
    SetExportLibraryFolder(files.path().string() + "/");
    shellFake.answers = {IDYES_};
    EXPECT_EQ(doc->SaveAsOtherFormat(files.file("frame.jpg").c_str()), 0);
    EXPECT_TRUE(boxSays(kfm5res::IDS_EXPORT_LIBRARY_MISSING));
    EXPECT_EQ(dialogsFake.exportRuns, 0);

    SetExportLibraryFolder("");
    KPXDeleteImage(g_hExportImage);
    g_hExportImage = 0;
    EXPECT_FALSE(doc->ExportFramesWithDialog(files.file("frame.jpg").c_str()));
    EXPECT_TRUE(boxSays(kfm5res::IDS_EXPORT_NO_IMAGE));
}

// The stand-in itself: the record it gets back holds the chosen format, a path of that format
// and a depth the format holds.
TEST(Chooser5, TheRecordGetsTheChosenFormatWithItsExtensionAndADepthItHolds) {
    const std::string library = (kfm::test::programFolder() / "Chooser5.so").string();
    HMODULE module = LoadLibraryA(library.c_str());
    ASSERT_NE(module, nullptr);
    const auto entry =
        reinterpret_cast<DoDlgExportBmpProc>(GetProcAddress(module, kExportDialogEntry));
    ASSERT_NE(entry, nullptr);
    struct Host : kfm::exportdialog::ExportDialogHost {
        int run(HWND, kfm::exportdialog::ExportChoice& c) override {
            c.formatId = format;
            c.path = path;
            return answer;
        }
        std::int32_t format = 0;
        std::string path;
        int answer = IDOK;
    } host;
    kfm::exportdialog::setExportDialogHost(&host);
    struct Case {
        std::int32_t format;
        const char* path;
        int bits;
        const char* finalPath;
        int finalBits;
        int result;
    } const cases[] = {
        {90, "/x/a.png", 8, "/x/a.jpg", 24, 1}, {20, "/x/a", 24, "/x/a.gif", 8, 1},
        {100, "/x/a.png", 4, "/x/a.png", 4, 1}, {80, "/x/a.tga", 4, "/x/a.tga", 8, 1},
        {60, "/x/a.ico", 8, "/x/in.bmp", 8, 0}, {100, "", 8, "/x/in.bmp", 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ExportDialogRecord record{};
        std::strcpy(record.path, "/x/in.bmp");
        record.formatId = 40;
        record.bitsPerPixel = c.bits;
        host.format = c.format;
        host.path = c.path;
        EXPECT_EQ(entry(nullptr, &record, "title"), c.result);
        EXPECT_STREQ(record.path, c.finalPath);
        EXPECT_EQ(record.bitsPerPixel, c.finalBits);
    }
    host.answer = IDCANCEL;
    ExportDialogRecord record{};
    EXPECT_EQ(entry(nullptr, &record, nullptr), 0);
    EXPECT_EQ(entry(nullptr, nullptr, "title"), 0);
    kfm::exportdialog::setExportDialogHost(nullptr);
    FreeLibrary(module);
}

} // namespace
