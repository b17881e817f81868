// Patina.kfp as a host loads it: its exports and description, its own Czech texts and icon, the
// presets beside it, and runs through KFMRunPlugin with the dialog answered offscreen.

#include "PatinaTestSupport.h"
#include "PluginInterface.h"
#include "WidgetApplication.h"
#include "framework/ResourceDialog.h"
#include "resources/ResourceLibrary.h"

#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

using kfm::patina::test::answerModal;
using kfm::patina::test::control;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new kfm::test::WidgetApplication);

fs::path patinaPath() {
    return fs::path(KFM_PLUGIN_DIR) / "Patina.kfp";
}

// The plug-in, loaded once for the program (plug-ins are never unloaded).
struct Patina {
    Patina() : handle(dlopen(patinaPath().c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (!handle)
            return;
        getInterface =
            reinterpret_cast<PluginGetInterfaceProc>(dlsym(handle, "KFMGetPluginInterface"));
        getInfo = reinterpret_cast<PluginGetInfoProc>(dlsym(handle, "KFMGetPluginInfo"));
        run = reinterpret_cast<PluginRunProc>(dlsym(handle, "KFMRunPlugin"));
        cleanUp = reinterpret_cast<PluginCleanUpProc>(dlsym(handle, "KFMCleanUp"));
    }
    void* symbol(const char* name) const { return handle ? dlsym(handle, name) : nullptr; }

    void* handle;
    PluginGetInterfaceProc getInterface = nullptr;
    PluginGetInfoProc getInfo = nullptr;
    PluginRunProc run = nullptr;
    PluginCleanUpProc cleanUp = nullptr;
};

Patina& plugin() {
    static Patina patina;
    return patina;
}

struct ResultDeleter {
    void operator()(PluginResult* result) const { plugin().cleanUp(result); }
};
using Result = std::unique_ptr<PluginResult, ResultDeleter>;

std::vector<int> steps;
void recordStep(int reserved, int current, int total) {
    steps.push_back(reserved * 10000 + current * 100 + total);
}

TEST(PatinaFileTest, ExportsTheEntryPointsAndDescribesItself) {
    Patina& p = plugin();
    ASSERT_NE(p.handle, nullptr) << dlerror();
    for (const char* name :
         {"KFMGetPluginInterface", "KFMRunPlugin", "KFMGetPluginInfo", "KFMCleanUp"})
        EXPECT_NE(p.symbol(name), nullptr) << name;
    EXPECT_EQ(p.symbol("AllocPluginFrame"), nullptr) << "its helpers stay inside it";
    EXPECT_EQ(p.symbol("CreateMachine"), nullptr);

    EXPECT_EQ(p.getInterface(nullptr), 0);
    PluginInterface table{};
    ASSERT_EQ(p.getInterface(&table), 1);
    EXPECT_EQ(table.size, 24);
    EXPECT_EQ(table.version, 1);
    EXPECT_EQ(table.pfnGetPluginInterface, p.getInterface);
    EXPECT_EQ(table.pfnRunPlugin, p.run);
    EXPECT_EQ(table.pfnGetPluginInfo, p.getInfo);
    EXPECT_EQ(table.pfnCleanUp, p.cleanUp);

    EXPECT_EQ(p.getInfo(nullptr), 0);
    PluginInfo info{};
    info.category = "left over";
    info.reserved1 = 5;
    info.reserved3 = 77;
    ASSERT_EQ(p.getInfo(&info), 1);
    EXPECT_EQ(info.version, 1);
    EXPECT_STREQ(info.name, "Generátor podkladů");
    EXPECT_EQ(info.category, nullptr);
    EXPECT_STREQ(info.author, "Keldo software");
    EXPECT_EQ(info.minSelectedFrames, 0);
    EXPECT_EQ(info.reserved1, 0);
    EXPECT_EQ(info.reserved3, 0);

    EXPECT_EQ(p.cleanUp(nullptr), 1);
    auto* bare = static_cast<PluginResult*>(std::calloc(1, sizeof(PluginResult)));
    bare->count = 2;
    EXPECT_EQ(p.cleanUp(bare), 1) << "a null frame array frees only the header";
}

TEST(PatinaFileTest, FindsItsOwnCzechTextsAndIconThroughItsModule) {
    HMODULE own = kfm::resources::moduleOfAddress(plugin().symbol("KFMRunPlugin"));
    EXPECT_EQ(kfm::resources::codePageOf(own), 1250);
    EXPECT_EQ(kfm::ui::LibraryText(own, 102), QString::fromUtf8("&Rozšířené >>"));
    EXPECT_EQ(kfm::ui::LibraryText(own, 103), QString::fromUtf8("&Rozšířené <<"));
    EXPECT_EQ(kfm::ui::LibraryText(own, 104), QString::fromUtf8("Prosím čekejte..."));
    EXPECT_EQ(kfm::ui::LibraryText(own, 105), QString::fromUtf8("Uzamknout číslo podkladu."));
    EXPECT_EQ(kfm::ui::LibraryText(own, 1019), QString::fromUtf8("Uložit jako &nový podklad..."));
    const unsigned char* icon = nullptr;
    UINT size = 0;
    ASSERT_TRUE(kfm::resources::findBinary(own, 2, 138, &icon, &size));
    EXPECT_FALSE(QImage::fromData(icon, static_cast<int>(size), "PNG").isNull());
}

TEST(PatinaRunTest, NullInputAndCancelReturnNothing) {
    EXPECT_EQ(plugin().run(nullptr, nullptr), nullptr);
    PluginRunInput input{64, 64, 0, 0, nullptr, nullptr};
    answerModal([](QDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(plugin().run(&input, nullptr), nullptr);
}

TEST(PatinaRunTest, CanvasSizesAndProgress) {
    struct Case {
        int width;
        int height;
        bool frame;
        std::vector<int> progress;
    };
    const Case cases[] = {
        {0, 10, false, {}},
        {10, -3, false, {}},
        {1, 1, true, {102, 202}},
        {300, 17, true, {102, 202}},
    };
    for (const Case& c : cases) {
        steps.clear();
        // The selected frames are never read: a count with no array must not matter.
        PluginRunInput input{c.width, c.height, 0x123456, 5, nullptr, nullptr};
        PluginRunContext context{kPluginRunContextSize, 0, &recordStep};
        answerModal([](QDialog& dialog) { dialog.accept(); });
        Result result(plugin().run(&input, &context));
        EXPECT_EQ(steps, c.progress) << c.width << "x" << c.height;
        if (!c.frame) {
            EXPECT_EQ(result, nullptr);
            continue;
        }
        ASSERT_NE(result, nullptr);
        ASSERT_EQ(result->count, 1);
        const PluginFrame& frame = result->frames[0];
        EXPECT_EQ(frame.image.bmWidth, c.width);
        EXPECT_EQ(frame.image.bmHeight, c.height);
        EXPECT_EQ(frame.image.bmBitsPixel, 24);
        EXPECT_NE(frame.image.bmBits, nullptr);
        EXPECT_EQ(frame.mask.bmBits, nullptr);
        EXPECT_EQ(frame.palette, nullptr);
        EXPECT_EQ(frame.delay, 100);
        EXPECT_EQ(frame.transparentIndex, -1);
        EXPECT_EQ(frame.left, 0);
        EXPECT_EQ(frame.disposal, 0);
    }
    // Without a progress procedure.
    PluginRunInput input{2, 2, 0, 0, nullptr, nullptr};
    answerModal([](QDialog& dialog) { dialog.accept(); });
    EXPECT_NE(Result(plugin().run(&input, nullptr)), nullptr);
}

TEST(PatinaRunTest, ThePresetsBesideThePlugInReachEveryFamily) {
    const fs::path presets = fs::path(KFM_PLUGIN_DIR) / "presets";
    int count = 0;
    for (const auto& entry : fs::directory_iterator(presets))
        count += entry.path().extension() == ".ptn";
    EXPECT_GE(count, 20);
    QStringList listed;
    PluginRunInput input{32, 32, 0, 0, nullptr, nullptr};
    answerModal([&](QDialog& dialog) {
        auto* list = control<QListWidget>(dialog, 1018);
        for (int i = 0; list && i < list->count(); ++i)
            listed << list->item(i)->text();
        dialog.reject();
    });
    EXPECT_EQ(plugin().run(&input, nullptr), nullptr);
    EXPECT_EQ(listed.size(), count);
    EXPECT_TRUE(listed.contains(QString::fromUtf8("Mraky")));
}

} // namespace
