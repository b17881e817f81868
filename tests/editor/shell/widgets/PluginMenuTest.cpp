// The Plug-ins menu of the running editor with the test plug-ins: the first start's search,
// the menu filled when it opens, a run from the menu as one undo step, the messages of failed
// runs, and the outside filter host's commands through a test backend.

#include "PaneTestSupport.h"

#include "AnimationData.h"
#include "AnimationView.h"
#include "AppSettings.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "PlugInManager.h"
#include "PluginCommands.h"
#include "PluginRecordFixtures.h"
#include "ProgramState.h"
#include "ResourceAccess.h"
#include "TestPluginFiles.h"
#include "UndoHistory.h"
#include "filterhost/FilterHost.h"
#include "filterhost/PluginListFile.h"
#include "registry/RegistryHelpers.h"

#include <QColorDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace kfm5res;
using kfm::shell::g_AppSettings;
using Labels = std::vector<std::string>;

namespace {

// "C:text" for a command (enabled or "(off)"), "S:text[...]" for a sub-menu, "-" for a
// separator, joined by " | "; texts without "&".
QString describeMenu(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            items << "-";
        else if (action->menu())
            items << "S:" + action->text().remove('&') + "[" + describeMenu(action->menu()) + "]";
        else
            items << "C:" + action->text().remove('&') + (action->isEnabled() ? "" : " (off)");
    }
    return items.join(" | ");
}

// A filter host that "runs" a filter by inverting the picture; what it is asked and answers is
// set by the test.
class InvertingFilterHost final : public kfm::filterhost::FilterHost {
public:
    struct Context final : kfm::filterhost::FilterHostContext {};
    struct Filter final : kfm::filterhost::FilterHostFilter {
        UINT id = 0;
    };

    int CreateContext(kfm::filterhost::FilterHostContext** out) override {
        *out = new Context;
        ++contexts;
        return 0;
    }
    int ReleaseContext(kfm::filterhost::FilterHostContext* context) override {
        if (context)
            ++releases;
        delete context;
        return 0;
    }
    int LoadList(kfm::filterhost::FilterHostContext*, const std::string&) override { return 0; }
    int CountFilters(kfm::filterhost::FilterHostContext*, int* count) override {
        *count = 2;
        return 0;
    }
    int InsertFilterCommands(kfm::filterhost::FilterHostContext*, kfm::filterhost::PluginMenu& menu,
                             UINT first, UINT) override {
        menu.InsertCommand(0, "Invert...", first);
        menu.InsertCommand(1, "Invert Badly...", first + 1);
        return 0;
    }
    int PrepareFilter(kfm::filterhost::FilterHostContext*, UINT id,
                      kfm::filterhost::FilterHostFilter** out) override {
        if (failPrepare)
            return -1;
        auto* filter = new Filter;
        filter->id = id;
        *out = filter;
        return 0;
    }
    int RunFilter(kfm::filterhost::FilterHostFilter* filter, HWND owner,
                  kfm::filterhost::FilterImage image, const RECT& rect, int,
                  kfm::filterhost::FilterImage* result,
                  const kfm::filterhost::FilterCallbacks& callbacks) override {
        ownerGiven = owner != nullptr;
        depth = KPXbpp(image);
        whole = rect;
        callbacksSize = callbacks.size;
        callbacks.progress(0, 1, 2);
        callbacks.progress(0, 2, 2);
        if (static_cast<Filter*>(filter)->id != ID_FILTER_FIRST)
            return -1;
        *result = KPXCreateImageFrom(image, 0);
        KPXInvert(*result);
        return 0;
    }
    int ReleaseFilter(kfm::filterhost::FilterHostFilter* filter) override {
        delete filter;
        ++filtersReleased;
        return 0;
    }
    int QueryFolders(kfm::filterhost::FilterHostContext*, std::vector<std::string>&) override {
        return 0;
    }
    int AddFolder(kfm::filterhost::FilterHostContext*, const std::string&) override { return 0; }
    int Rescan(kfm::filterhost::FilterHostContext*) override { return 0; }
    int WriteList(kfm::filterhost::FilterHostContext*, const std::string&) override { return 0; }
    int RemoveFolder(kfm::filterhost::FilterHostContext*, const std::string&) override { return 0; }

    bool failPrepare = false;
    bool ownerGiven = false;
    int depth = 0;
    RECT whole{};
    int callbacksSize = 0;
    int contexts = 0;
    int releases = 0;
    int filtersReleased = 0;
};

class PluginMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ThePlugInManager().PlugInRemoveAll();
        ASSERT_TRUE(editor.Start());
        editor.ShowAt(800, 600);
        // The program's folder for this test: its "Plug-Ins" and its list files.
        programFolder = kfm::test::newPluginFolder();
        plugIns = programFolder / "Plug-Ins";
        fs::create_directories(plugIns);
        g_AppSettings.programFolder = programFolder.string() + "/";
        ThePlugInManager().PlugInRemoveAll();
        // Frames "f0", "f1", "f2"; the first selected and current.
        kfm::test::FillAnimation(editor, 3, 16, 12, 40, 30);
    }
    void TearDown() override {
        kfm::filterhost::SetFilterHost(nullptr);
        g_bPreviewPlaying = 0;
        kfm::test::ForgetChanges(editor);
    }

    // A copy of the test plug-in in "Plug-Ins" that describes itself so.
    TestPluginControl* addPlugin(const std::string& file, const char* name, const char* category,
                                 int minFrames = 0, const fs::path& folder = {}) {
        const std::string path =
            kfm::test::copyTestPlugin(folder.empty() ? plugIns : folder, "TestPlugin.kfp", file);
        TestPluginControl* control = kfm::test::testPluginControl(path);
        EXPECT_NE(control, nullptr);
        if (control)
            control->setInfo(name, category, minFrames);
        return control;
    }

    // The start-up search over this test's "Plug-Ins", then the menu opened (and filled).
    QMenu* scanAndOpenMenu() {
        ThePlugInManager().ScanPlugins();
        return openMenu();
    }

    QMenu* openMenu() {
        QMenuBar* bar = editor.Frame().menuBar();
        QAction* top = bar->actions().value(6);
        if (!top || top->text().remove('&') != "Plug-ins" || !top->menu()) {
            ADD_FAILURE() << "no Plug-ins menu at index 6";
            return nullptr;
        }
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        QMenu* menu = top->menu();
        EXPECT_TRUE(
            QTest::qWaitFor([menu] { return menu->isVisible(); }, kfm::test::kHangMilliseconds));
        return menu;
    }

    void closeMenu(QMenu* menu) {
        if (menu)
            menu->close();
        QApplication::processEvents();
        editor.Idle();
    }

    void run(const QString& item) {
        editor.Idle();
        ASSERT_TRUE(kfm::test::ClickMenu(editor.Frame(), {"Plug-ins", item}));
        editor.Idle();
    }

    void returnFrames(TestPluginControl* control, std::vector<OwnedRecord*> records) {
        std::vector<TestReturnedFrame> frames;
        for (OwnedRecord* r : records)
            frames.push_back({r->frame, r->imageBytes(), r->maskBytes()});
        control->setResult(frames.data(), static_cast<int>(frames.size()));
    }

    void select(std::initializer_list<int> indices) {
        DeselectAllFrames();
        ClearCurrentFlags();
        for (const int i : indices)
            SelectFrame(i);
        SetCurrentFrame(*indices.begin());
        editor.Frame().Panes().SelectionChanged();
        editor.Idle();
    }

    kfm::test::EditorFixture editor;
    fs::path programFolder;
    fs::path plugIns;
};

} // namespace

TEST(PluginFirstRunTest, TheFirstStartSearchesThePlugInFolderOnce) {
    ThePlugInManager().PlugInRemoveAll();
    kfm::test::EditorFixture editor;
    ASSERT_TRUE(editor.Start());
    const std::string program = g_AppSettings.programFolder;
    EXPECT_EQ(g_AppSettings.FirstRun, 0);
    ASSERT_FALSE(ThePlugInManager().Folders().empty());
    EXPECT_EQ(ThePlugInManager().Folders().front().path, program + "Plug-Ins");
    EXPECT_EQ(ReadRegString("Dlgs\\FileOpenSave", "OpenInitPath", ""), program + "Samples/");
    EXPECT_EQ(ReadRegString("Dlgs\\FileImportExport", "OpenInitPath", ""), program + "Samples/");

    // The next start finds FirstRun cleared and leaves the manager alone.
    ThePlugInManager().PlugInRemoveAll();
    ASSERT_TRUE(editor.Restart());
    EXPECT_EQ(g_AppSettings.FirstRun, 0);
    EXPECT_TRUE(ThePlugInManager().Folders().empty());
}

TEST_F(PluginMenuTest, TheMenuListsThePlugInsByCategory) {
    addPlugin("wave.kfp", "Wave", "Effects");
    addPlugin("blur.kfp", "Blur", "Effects");
    addPlugin("noise.kfp", "Noise", "");
    addPlugin("two.kfp", "Needs Two", "", 2);
    kfm::test::copyTestPlugin(plugIns, "NotALibrary.kfp", "broken.kfp");
    kfm::test::copyTestPlugin(plugIns, "NullNamePlugin.kfp", "nameless.kfp");
    QMenu* menu = scanAndOpenMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(describeMenu(menu),
              "S:Effects[C:Blur... | C:Wave...] | C:Needs Two... (off) | C:Noise...");
    const QPixmap shot = menu->grab();
    EXPECT_TRUE(
        shot.save(QString::fromStdString(kfm::test::ArtifactsFolder() + "/plugin-menu.png")));
    closeMenu(menu);

    // The cache beside the program lists them.
    kfm::filterhost::PluginList cache;
    ASSERT_EQ(
        kfm::filterhost::ReadPluginListFile((programFolder / "PlugInsKeldo.ini").string(), cache),
        kfm::filterhost::PluginListRead::Read);
    EXPECT_EQ(cache.records.size(), 4u);

    // A second opening keeps the menu as it is.
    menu = openMenu();
    EXPECT_EQ(describeMenu(menu),
              "S:Effects[C:Blur... | C:Wave...] | C:Needs Two... (off) | C:Noise...");
    closeMenu(menu);
}

TEST_F(PluginMenuTest, WithoutPlugInsTheMenuOffersThePlugInPreferences) {
    QMenu* menu = scanAndOpenMenu();
    ASSERT_NE(menu, nullptr);
    // The item opens the preferences on their plug-ins page.
    EXPECT_EQ(describeMenu(menu), "C:Plug-in Preferences...");
    closeMenu(menu);
    // After a release of the host the menu is built again from scratch, with new plug-ins.
    addPlugin("late.kfp", "Late", "");
    ThePlugInManager().ScanPlugins();
    editor.Frame().ReleasePluginHost();
    menu = openMenu();
    EXPECT_EQ(describeMenu(menu), "C:Late...");
    closeMenu(menu);
    editor.Frame().ReleasePluginHost();
    ThePlugInManager().PlugInRemoveAll();
    fs::remove(programFolder / "PlugInsKeldo.ini");
    menu = openMenu();
    EXPECT_EQ(describeMenu(menu), "C:Plug-in Preferences...");
    closeMenu(menu);
}

TEST_F(PluginMenuTest, ARunFromTheMenuIsOneUndoStepAndACancelIsNone) {
    TestPluginControl* control = addPlugin("gen.kfp", "Generate", "");
    closeMenu(scanAndOpenMenu());
    select({1});

    control->setMode(TestRunMode::Cancel);
    run("Generate...");
    EXPECT_EQ(control->runs(), 1);
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "f1", "f2"}));
    EXPECT_FALSE(TheUndoHistory().CanUndo());

    OwnedRecord a(10, 8, 24, 0, [](int, int) { return 0xFF0000u; });
    OwnedRecord b(10, 8, 8, 0, [](int x, int) { return x == 0 ? 5u : 9u; });
    b.frame.transparentIndex = 5;
    OwnedRecord c(12, 8, 24, 0, [](int, int) { return 0x0000FFu; });
    returnFrames(control, {&a, &b, &c});
    run("Generate...");
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "f1", "", "", "", "f2"}));
    EXPECT_EQ(GetCurrentFrameIndex(), 4);
    EXPECT_EQ(GetSelFramesCount(), 1);
    EXPECT_EQ(GetCurrentFrame()->width, 12);
    EXPECT_EQ(editor.Frame().Panes().Strip()->model()->rowCount(), 7);
    EXPECT_EQ(control->cleanUps(), 1);
    EXPECT_FALSE(g_Progress.active);
    EXPECT_TRUE(editor.App().Document()->IsModified());
    ASSERT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPlugin);

    // The Edit menu names the step; undoing it brings the frames back.
    ASSERT_TRUE(kfm::test::ClickMenu(editor.Frame(), {"Edit"}));
    EXPECT_TRUE(editor.Action(ID_EDIT_UNDO)->text().contains("Plug-in"))
        << editor.Action(ID_EDIT_UNDO)->text().toStdString();
    if (QMenu* open = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        closeMenu(open);
    TheUndoHistory().Undo();
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "f1", "f2"}));
}

TEST_F(PluginMenuTest, ACommandIsEnabledByItsSelectedFramesAndNotWhilePreviewing) {
    addPlugin("two.kfp", "Needs Two", "", 2);
    closeMenu(scanAndOpenMenu());
    QAction* command = editor.Action(ID_PLUGIN_FIRST);
    ASSERT_EQ(ThePlugInManager().GetPluginMinFrames(ID_PLUGIN_FIRST), 2);
    editor.Idle();
    EXPECT_FALSE(command->isEnabled());
    select({0, 2});
    EXPECT_TRUE(command->isEnabled());
    // No outside editor is configured, and none is needed.
    EXPECT_TRUE(g_AppSettings.EditorPath.empty());
    g_bPreviewPlaying = 1;
    editor.Idle();
    EXPECT_FALSE(command->isEnabled());
    g_bPreviewPlaying = 0;
    // A frame without a picture does not count.
    KPXDeleteImage(
        static_cast<KpxHandle>(std::next(g_pAnimationData->frames.begin(), 2)->SetImage(0)));
    editor.Idle();
    EXPECT_FALSE(command->isEnabled());
}

TEST_F(PluginMenuTest, AnUnsupportedDepthAndAnUnloadableLibraryAreReported) {
    TestPluginControl* control = addPlugin("deep.kfp", "Deep", "");
    // A record the cache lists whose file is no library.
    kfm::test::copyTestPlugin(plugIns, "NotALibrary.kfp", "text.kfp");
    closeMenu(scanAndOpenMenu());
    {
        std::ofstream cache(programFolder / "PlugInsKeldo.ini", std::ios::app | std::ios::binary);
        cache << "[]\r\nText\r\n" << (plugIns / "text.kfp").string() << "\r\n0\r\n";
    }
    editor.Frame().ReleasePluginHost();
    closeMenu(openMenu());

    OwnedRecord sixteen(4, 4, 24, 0, [](int, int) { return 0u; });
    sixteen.frame.image.bmBitsPixel = 16;
    OwnedRecord good(4, 4, 24, 0, [](int, int) { return 0u; });
    returnFrames(control, {&sixteen, &good});
    QString caption, text;
    kfm::test::AnswerMessageBox("OK", [&](const QMessageBox& box) {
        caption = box.windowTitle();
        text = box.text();
    });
    run("Deep...");
    EXPECT_EQ(caption, "Error");
    EXPECT_EQ(text, "Unsupported bit depth!");
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "", "f1", "f2"}));

    kfm::test::AnswerMessageBox("OK", [&](const QMessageBox& box) {
        caption = box.windowTitle();
        text = box.text();
    });
    run("Text...");
    EXPECT_EQ(caption, "Error");
    EXPECT_TRUE(text.contains("text.kfp")) << text.toStdString();
    EXPECT_FALSE(g_Progress.active);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPlugin);
}

TEST_F(PluginMenuTest, OutsideFiltersRunThroughTheirHostAsOneUndoStep) {
    InvertingFilterHost host;
    kfm::filterhost::SetFilterHost(&host);
    std::ofstream(programFolder / "PlugInsAdobe.ini") << "[PlugInHeader]\r\n7678\r\n";
    addPlugin("wave.kfp", "Wave", "Effects");
    QMenu* menu = scanAndOpenMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(describeMenu(menu), "C:Invert... | C:Invert Badly... | - | S:Effects[C:Wave...]");
    closeMenu(menu);

    CObjFrame& current = *GetCurrentFrame();
    current.transparency = 0x01000003;
    const KpxHandle before = static_cast<KpxHandle>(current.GetImage());
    const COLORREF colour = KPXGetColorFromPalette(before, imageRowFromTop(before, 0)[0]);
    run("Invert...");
    EXPECT_TRUE(host.ownerGiven);
    EXPECT_EQ(host.depth, 24);
    EXPECT_EQ(host.whole.right, 16);
    EXPECT_EQ(host.whole.bottom, 12);
    EXPECT_EQ(host.callbacksSize, 16);
    EXPECT_EQ(host.filtersReleased, 1);
    ASSERT_EQ(KPXbpp(GetCurrentFrame()->GetImage()), 24);
    EXPECT_EQ(rgbAt(GetCurrentFrame()->GetImage(), 0, 0),
              0xFFFFFFu -
                  ((GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour)));
    EXPECT_EQ(GetCurrentFrame()->transparency, 0u);
    EXPECT_EQ(GetCurrentFrame()->softAlpha, 1);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPlugin);
    EXPECT_FALSE(g_Progress.active);
    TheUndoHistory().Undo();
    EXPECT_EQ(KPXbpp(GetCurrentFrame()->GetImage()), 8);
    EXPECT_EQ(GetCurrentFrame()->transparency, 0x01000003u);

    const struct {
        const char* item;
        bool failPrepare;
        UINT message;
    } failures[] = {{"Invert...", true, IDS_FILTER_PREPARE_FAILED},
                    {"Invert Badly...", false, IDS_FILTER_RUN_FAILED}};
    for (const auto& f : failures) {
        SCOPED_TRACE(f.item);
        host.failPrepare = f.failPrepare;
        QString text;
        kfm::test::AnswerMessageBox("OK", [&](const QMessageBox& box) { text = box.text(); });
        const std::uint16_t image = GetCurrentFrame()->GetImage();
        run(f.item);
        EXPECT_EQ(text, QString::fromStdString(kfm::ui::ResourceText(f.message)));
        EXPECT_EQ(GetCurrentFrame()->GetImage(), image);
        EXPECT_FALSE(TheUndoHistory().CanUndo());
    }

    // The context goes with the main window.
    editor.Stop();
    EXPECT_EQ(host.releases, host.contexts);
}

TEST_F(PluginMenuTest, TheFilterColourFunctionAnswersByMode) {
    int context = 0;
    const struct {
        void* context;
        int mode;
        int result;
        int red, green, blue;
    } cases[] = {
        {nullptr, 1, 0, 7, 8, 9},  {&context, 1, 1, 0, 0, 0},  {&context, 2, 1, 255, 255, 255},
        {&context, 3, 1, 7, 8, 9}, {&context, -1, 1, 7, 8, 9},
    };
    for (const auto& c : cases) {
        int red = 7, green = 8, blue = 9;
        EXPECT_EQ(kfm::ui::FilterColourCallback(c.context, c.mode, &red, &green, &blue), c.result)
            << c.mode;
        EXPECT_EQ(std::vector<int>({red, green, blue}), std::vector<int>({c.red, c.green, c.blue}))
            << c.mode;
    }
    // Mode 0 asks: OK gives the chosen colour, Cancel nothing.
    for (const bool accept : {true, false}) {
        int red = 7, green = 8, blue = 9;
        kfm::test::AnswerNextDialog([accept](QWidget* dialog) {
            auto* colours = qobject_cast<QColorDialog*>(dialog);
            ASSERT_NE(colours, nullptr);
            colours->setCurrentColor(QColor(10, 20, 30));
            if (accept)
                colours->accept();
            else
                colours->reject();
        });
        EXPECT_EQ(kfm::ui::FilterColourCallback(&context, 0, &red, &green, &blue), accept ? 1 : 0);
        EXPECT_EQ(std::vector<int>({red, green, blue}),
                  accept ? std::vector<int>({10, 20, 30}) : std::vector<int>({7, 8, 9}));
    }
}

TEST(PlugInQueryTest, ThePreferencesListShowsTheKnownFoldersMerged) {
    const kfm::test::TempDir files;
    const std::string cache = files.file("folders.ini");
    std::ofstream(cache, std::ios::binary)
        << "[PlugInHeader]\r\n7678\r\n[PlugInPath]\r\n/a\r\n/b/inner\r\n";
    CPlugInManager manager;
    ASSERT_EQ(manager.PlugInReadCache(cache, true), S_OK);
    QListWidget list;
    list.addItem("/a/sub");
    list.addItem("/B");
    EXPECT_EQ(manager.PlugInQuery(&list), 2);
    EXPECT_EQ(list.item(0)->text(), "/a");
    EXPECT_EQ(list.item(1)->text(), "/B");
    EXPECT_EQ(manager.PlugInQuery(nullptr), 0);
}
