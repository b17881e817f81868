// Outside editing end to end: Edit Object on a picture frame hands it to the stand-in bitmap
// editor, whose saves come back through the folder watcher as one undoable step each time the
// user says so; edits of the same frame, closing the window, an editor that cannot start and a
// picture that cannot be written. The temporary folder and the editor's folder have blanks.

#include "AnimationData.h"
#include "AppSettings.h"
#include "DesktopEntry.h"
#include "EditorTestSupport.h"
#include "ExternalEdits.h"
#include "GIFAnimDoc.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "UndoHistory.h"
#include "about/NoticeDialogs.h"
#include "registry/RegistryHelpers.h"

#include <QDir>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

namespace fs = std::filesystem;
using namespace kfm5res;
using kfm::extedit::CExtEditSession;
using kfm::extedit::ExtEditNotices;

const char* const kGifFile = "gif/pillow/dispose_bgnd.gif";
// Waits for what the editor and the event loop bring; never reached unless something is broken.
constexpr int kPatienceMs = 60000;

// Answers the notices as a test tells it to, counting them.
class ScriptedNotices : public ExtEditNotices {
public:
    Answer AskBeforeRestart(QWidget*, bool) override {
        ++restartQuestions;
        return restartAnswer;
    }
    Answer AskTakeChanges(QWidget*, int frameNumber) override {
        ++changeQuestions;
        askedFrame = frameNumber;
        if (beforeAnswer)
            beforeAnswer();
        return changeAnswer;
    }
    void Inform(QWidget*, const QString& text) override { messages.push_back(text); }

    Answer restartAnswer{true, true};
    Answer changeAnswer{true, true};
    std::function<void()> beforeAnswer;
    int restartQuestions = 0;
    int changeQuestions = 0;
    int askedFrame = 0;
    QStringList messages;
};

class ExtEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTmp_ = qgetenv("TMPDIR");
        temp_ = dir_.path() / "temp dir";
        fs::create_directories(temp_);
        qputenv("TMPDIR", QByteArray::fromStdString(temp_.string()));
        const fs::path tools = dir_.path() / "My Tools";
        fs::create_directories(tools);
        editorProgram_ = tools / "KfmBitmapEditor5";
        fs::copy_file(kfm::test::programFolder() / "KfmBitmapEditor5", editorProgram_);
    }
    void TearDown() override {
        // The pictures taken back are no work to keep.
        if (editor_.Running())
            editor_.App().Document()->SetModifiedFlag(FALSE);
        editor_.Stop();
        if (savedTmp_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTmp_);
    }

    // Starts the program with the editor's options, opens an animation and makes frame index the
    // current and only selected one.
    void start(const std::string& editorOptions, int index = 1, bool scripted = true) {
        WriteRegString("Settings", "EditorPath",
                       editorOptions.empty()
                           ? ""
                           : ("\"" + editorProgram_.string() + "\" " + editorOptions).c_str());
        ASSERT_TRUE(editor_.Start());
        ASSERT_TRUE(editor_.App().OpenDocumentFile(kfm::test::testDataPath(kGifFile).string()));
        if (scripted) {
            auto notices = std::make_unique<ScriptedNotices>();
            notices_ = notices.get();
            edits().SetNotices(std::move(notices));
        }
        select(index);
    }
    void select(int index) {
        DeselectAllFrames();
        SelectFrame(index);
        SetCurrentFrame(index);
        editor_.Idle();
    }
    kfm::extedit::ExternalEdits& edits() { return editor_.Frame().ExtEdits(); }
    CObjFrame& frame(int index) { return *std::next(g_pAnimationData->frames.begin(), index); }
    bool editObject() {
        editor_.Idle();
        return editor_.Frame().Router().Execute(ID_FRAME_EDIT_OBJECT);
    }
    QStringList temporaryFiles() const {
        return QDir(QString::fromStdString(temp_.string()))
            .entryList({QStringLiteral("kfm*")}, QDir::Files, QDir::Name);
    }
    // Waits until the session's editor has ended and every save was seen.
    bool editorDoneAndSeen(int frameId) {
        return QTest::qWaitFor(
            [&] {
                CExtEditSession* session = edits().Find(frameId);
                std::error_code error;
                return session && !session->process &&
                       fs::last_write_time(session->filePath, error) == session->lastWriteTime;
            },
            kPatienceMs);
    }
    // The first pixel byte of a frame's picture.
    static int firstPixel(const CObjFrame& f) { return KPXGetBits(f.GetImage())[0]; }

    kfm::test::TempDir dir_;
    fs::path temp_;
    fs::path editorProgram_;
    QByteArray savedTmp_;
    kfm::test::EditorFixture editor_;
    ScriptedNotices* notices_ = nullptr;
};

TEST_F(ExtEditTest, ASaveInTheEditorComesBackAsOneStep) {
    start("--saves=1");
    const int id = frame(1).GetID();
    const ScopedImage before(KPXCreateImageFrom(frame(1).GetImage(), 0));
    ASSERT_TRUE(editObject());
    CExtEditSession* session = edits().Find(id);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->frameNumber, 2);
    EXPECT_EQ(temporaryFiles().size(), 2); // the ".tmp" and the ".bmp"
    ASSERT_TRUE(QTest::qWaitFor([&] { return notices_->changeQuestions == 1; }, kPatienceMs));
    EXPECT_EQ(notices_->askedFrame, 2);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindEditObject);
    EXPECT_EQ(firstPixel(frame(1)), 1 * 37 + 11);
    // The ticked box ended the edit: its files and the watcher are gone.
    EXPECT_EQ(edits().Find(id), nullptr);
    EXPECT_TRUE(temporaryFiles().isEmpty());
    EXPECT_FALSE(edits().Watching());
    TheUndoHistory().Undo();
    EXPECT_EQ(KPXCompareImages(frame(1).GetImage(), before.get()), 1);
}

TEST_F(ExtEditTest, TheEditorRunsOnWhileTheProgramGoesOn) {
    const std::string quit = dir_.file("quit now");
    start("--saves=0 \"--stay-until=" + quit + "\"");
    const int id = frame(1).GetID();
    // The command returns while the editor still runs; its end clears the edit's process.
    ASSERT_TRUE(editObject());
    CExtEditSession* session = edits().Find(id);
    ASSERT_NE(session, nullptr);
    ASSERT_TRUE(session->process);
    EXPECT_EQ(session->process->state(), QProcess::Running);
    std::ofstream(quit) << "x";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !edits().Find(id)->process; }, kPatienceMs));
    EXPECT_NE(edits().Find(id), nullptr);
}

TEST_F(ExtEditTest, TheFrameChangedNoticeNamesTheFrameAndTakesThePicture) {
    start("--saves=1", 2, false);
    const int id = frame(2).GetID();
    bool answered = false;
    kfm::test::AnswerNextDialog([&](QWidget* widget) {
        auto* notice = qobject_cast<kfm::ui::CDlgFrameChanged*>(widget);
        ASSERT_NE(notice, nullptr);
        const QString text = QString::fromStdString(kfm::ui::ResourceText(IDS_FRAME_CHANGED));
        EXPECT_TRUE(notice->findChild<QLabel*>(QStringLiteral("id%1").arg(IDC_FRAME_CHANGED_TEXT))
                        ->text()
                        .contains(text.section(QStringLiteral("%d"), 0, 0) + "3"));
        notice->accept();
        answered = true;
    });
    ASSERT_TRUE(editObject());
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, kPatienceMs));
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindEditObject);
    EXPECT_EQ(firstPixel(frame(2)), 1 * 37 + 11);
    // The box was not ticked: the edit goes on.
    EXPECT_NE(edits().Find(id), nullptr);
}

TEST_F(ExtEditTest, AnEqualPictureMakesNoStep) {
    start("--saves=1 --same");
    const int kind = TheUndoHistory().GetCurrentKind();
    ASSERT_TRUE(editObject());
    ASSERT_TRUE(QTest::qWaitFor([&] { return notices_->changeQuestions == 1; }, kPatienceMs));
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kind);
}

TEST_F(ExtEditTest, TwoSavesBeforeTheAnswerGiveOneNoticeAndTheLatestPicture) {
    start("--saves=2 --pause-ms=200");
    const int id = frame(1).GetID();
    notices_->changeAnswer = {true, false};
    // The notice stays open (its own event loop runs) until the editor has saved twice.
    notices_->beforeAnswer = [&] { EXPECT_TRUE(editorDoneAndSeen(id)); };
    ASSERT_TRUE(editObject());
    ASSERT_TRUE(QTest::qWaitFor([&] { return notices_->changeQuestions == 1; }, kPatienceMs));
    EXPECT_EQ(firstPixel(frame(1)), 2 * 37 + 11);
    // Later checks find nothing new: no second notice.
    QTest::qWait(100);
    edits().CheckExtEditFiles();
    EXPECT_EQ(notices_->changeQuestions, 1);
    EXPECT_NE(edits().Find(id), nullptr);
}

TEST_F(ExtEditTest, TheSameFrameAgainEndsTheFirstEdit) {
    start("--saves=0");
    const int id = frame(1).GetID();
    WriteRegInt(kfm::extedit::kMsgEditorSection, "ShowNextTime", 0);
    ASSERT_TRUE(editObject());
    const QStringList first = temporaryFiles();
    ASSERT_EQ(first.size(), 2);
    ASSERT_TRUE(editObject());
    EXPECT_EQ(notices_->restartQuestions, 0);
    const QStringList second = temporaryFiles();
    ASSERT_EQ(second.size(), 2);
    for (const QString& name : first)
        EXPECT_FALSE(second.contains(name)) << name.toStdString();
    EXPECT_EQ(edits().Sessions().size(), 1u);
    EXPECT_NE(edits().Find(id), nullptr);

    // With the question on, Cancel keeps the running edit.
    WriteRegInt(kfm::extedit::kMsgEditorSection, "ShowNextTime", 1);
    notices_->restartAnswer = {false, false};
    EXPECT_TRUE(editObject());
    EXPECT_EQ(notices_->restartQuestions, 1);
    EXPECT_EQ(temporaryFiles(), second);
    EXPECT_EQ(ReadRegInt(kfm::extedit::kMsgEditorSection, "ShowNextTime", 1, 0, 0), 0);
}

TEST_F(ExtEditTest, ClosingTheWindowDeletesTheFilesOfEveryEdit) {
    start("--saves=0");
    ASSERT_TRUE(editObject());
    select(2);
    ASSERT_TRUE(editObject());
    EXPECT_EQ(temporaryFiles().size(), 4);
    editor_.App().Document()->SetModifiedFlag(FALSE);
    editor_.Stop();
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(ExtEditTest, AnEditorThatCannotStartIsNamedAndNothingIsKept) {
    WriteRegString("Settings", "EditorPath", (dir_.file("no such editor")).c_str());
    ASSERT_TRUE(editor_.Start());
    ASSERT_TRUE(editor_.App().OpenDocumentFile(kfm::test::testDataPath(kGifFile).string()));
    auto notices = std::make_unique<ScriptedNotices>();
    ScriptedNotices& scripted = *notices;
    edits().SetNotices(std::move(notices));
    select(1);
    editObject();
    ASSERT_EQ(scripted.messages.size(), 1);
    EXPECT_TRUE(scripted.messages[0].contains(QString::fromStdString(temp_.string())));
    EXPECT_TRUE(edits().Sessions().empty());
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(ExtEditTest, APictureThatCannotBeWrittenStartsNoEditor) {
    // A temporary folder where no file can be made, not even by root.
    qputenv("TMPDIR", "/proc");
    start("--saves=1");
    editObject();
    ASSERT_EQ(notices_->messages.size(), 1);
    EXPECT_TRUE(notices_->messages[0].startsWith(
        QString::fromStdString(kfm::ui::ResourceText(IDS_EDITOR_FILE_NOT_WRITTEN))
            .section('%', 0, 0)));
    EXPECT_TRUE(edits().Sessions().empty());
    EXPECT_FALSE(edits().Watching());
}

TEST_F(ExtEditTest, TheEditorIsFoundThroughTheDesktop) {
    const std::map<std::string, QByteArray> saved = {
        {"XDG_CONFIG_HOME", qgetenv("XDG_CONFIG_HOME")},
        {"XDG_DATA_HOME", qgetenv("XDG_DATA_HOME")},
        {"XDG_DATA_DIRS", qgetenv("XDG_DATA_DIRS")},
        {"XDG_CONFIG_DIRS", qgetenv("XDG_CONFIG_DIRS")},
        {"XDG_CURRENT_DESKTOP", qgetenv("XDG_CURRENT_DESKTOP")}};
    const fs::path config = dir_.path() / "config";
    const fs::path data = dir_.path() / "data";
    fs::create_directories(config);
    fs::create_directories(data / "applications");
    std::ofstream(config / "mimeapps.list")
        << "[Default Applications]\nimage/bmp=kfm-test.desktop\n";
    // xdg-mime takes only an entry whose program exists, read up to its first blank.
    const fs::path program = dir_.path() / "tools" / "KfmBitmapEditor5";
    fs::create_directories(program.parent_path());
    fs::copy_file(editorProgram_, program);
    std::ofstream(data / "applications" / "kfm-test.desktop")
        << "[Desktop Entry]\nType=Application\nName=Test\nExec=" << program.string()
        << " --saves=1 %f\n";
    for (const auto& [name, path] : {std::pair{"XDG_CONFIG_HOME", config},
                                     {"XDG_CONFIG_DIRS", config},
                                     {"XDG_DATA_HOME", data},
                                     {"XDG_DATA_DIRS", data}})
        qputenv(name, QByteArray::fromStdString(path.string()));
    qunsetenv("XDG_CURRENT_DESKTOP");
    start("");
    for (const auto& [name, value] : saved) {
        if (value.isNull())
            qunsetenv(name.c_str());
        else
            qputenv(name.c_str(), value);
    }
    EXPECT_EQ(kfm::shell::g_AppSettings.EditorPath, program.string() + " --saves=1");
    ASSERT_TRUE(editObject());
    ASSERT_TRUE(QTest::qWaitFor([&] { return notices_->changeQuestions == 1; }, kPatienceMs));
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindEditObject);
}

TEST_F(ExtEditTest, WithoutAnEditorEditObjectIsOffForPictureFrames) {
    start("");
    kfm::shell::g_AppSettings.EditorPath.clear();
    editor_.Idle();
    EXPECT_FALSE(editor_.Action(ID_FRAME_EDIT_OBJECT)->isEnabled());
}

} // namespace
