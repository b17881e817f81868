// Varore.kfp as a host loads it: what its ELF file needs, its exports, its own texts, and its
// dialog driven offscreen through KFMRunPlugin (controls by id, the looping preview, OK,
// Cancel and Esc during the generation), with screenshots in test-artifacts/.

#include "PluginInterface.h"
#include "ShiverFixture.h"
#include "ShiverPlugin.h"
#include "WidgetApplication.h"
#include "framework/ResourceDialog.h"
#include "resources/ResourceLibrary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new kfm::test::WidgetApplication);

// The DT_NEEDED entries of a 64-bit ELF file's dynamic section.
std::vector<std::string> neededLibraries(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> needed;
    if (bytes.size() < sizeof(Elf64_Ehdr) || std::memcmp(bytes.data(), ELFMAG, SELFMAG) != 0)
        return needed;
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(bytes.data());
    if (header->e_ident[EI_CLASS] != ELFCLASS64 ||
        header->e_shoff + std::size_t{header->e_shnum} * sizeof(Elf64_Shdr) > bytes.size())
        return needed;
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(bytes.data() + header->e_shoff);
    for (int i = 0; i < header->e_shnum; ++i) {
        const Elf64_Shdr& dynamic = sections[i];
        if (dynamic.sh_type != SHT_DYNAMIC || dynamic.sh_link >= header->e_shnum)
            continue;
        const Elf64_Shdr& strings = sections[dynamic.sh_link];
        const auto* entries = reinterpret_cast<const Elf64_Dyn*>(bytes.data() + dynamic.sh_offset);
        for (std::size_t e = 0; e < dynamic.sh_size / sizeof(Elf64_Dyn); ++e)
            if (entries[e].d_tag == DT_NEEDED &&
                strings.sh_offset + entries[e].d_un.d_val < bytes.size())
                needed.emplace_back(bytes.data() + strings.sh_offset + entries[e].d_un.d_val);
    }
    return needed;
}

fs::path varorePath() {
    return fs::path(KFM_PLUGIN_DIR) / "Varore.kfp";
}

// The plug-in, loaded once for the program (plug-ins are never unloaded).
struct Varore {
    Varore() : handle(dlopen(varorePath().c_str(), RTLD_NOW | RTLD_LOCAL)) {
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

Varore& plugin() {
    static Varore varore;
    return varore;
}

std::string artifact(const std::string& name) {
    const std::string folder = KFM_TEST_ARTIFACTS_DIR;
    QDir().mkpath(QString::fromStdString(folder));
    return folder + "/" + name;
}

// Runs answer on the modal dialog once it shows, while the caller blocks in it; a dialog that
// never comes fails the test.
void answerDialog(std::function<void(QDialog&)> answer) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 3000)
            return;
        timer->stop();
        timer->deleteLater();
        if (!dialog) {
            ADD_FAILURE() << "no dialog came";
            return;
        }
        answer(*dialog);
    });
    timer->start();
}

template <class W> W* control(QDialog& dialog, int id) {
    return dialog.findChild<W*>(QStringLiteral("id%1").arg(id));
}

void setNumber(QDialog& dialog, int id, int value) {
    auto* spin = control<QSpinBox>(dialog, id);
    ASSERT_NE(spin, nullptr) << id;
    spin->setValue(value);
}

// Waits for the preview to be computed and shown.
bool previewReady(QDialog& dialog) {
    auto* preview = control<QWidget>(dialog, 14000);
    return preview &&
           QTest::qWaitFor([preview] { return !preview->accessibleName().isEmpty(); }, 60000);
}

struct ResultDeleter {
    void operator()(PluginResult* result) const { plugin().cleanUp(result); }
};
using Result = std::unique_ptr<PluginResult, ResultDeleter>;

} // namespace

TEST(VaroreFileTest, NoPlugInNeedsTheImageLibrary) {
    ASSERT_TRUE(fs::exists(varorePath()));
    int checked = 0;
    for (const fs::path& folder : {fs::path(KFM_PLUGIN_DIR), fs::path(KFM_TEST_PLUGIN_DIR)}) {
        if (!fs::exists(folder))
            continue;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() != ".kfp")
                continue;
            const std::vector<std::string> needed = neededLibraries(entry.path());
            for (const std::string& library : needed) {
                EXPECT_EQ(library.find("libBitra5"), std::string::npos) << entry.path();
                EXPECT_EQ(library.find("KFM5"), std::string::npos) << entry.path();
            }
            if (entry.path().filename() == "Varore.kfp") {
                // It is a real shared object with needs of its own (Qt, the platform layer).
                EXPECT_FALSE(needed.empty());
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 1);
}

TEST(VaroreFileTest, ExportsTheEntryPointsAndTheMachine) {
    Varore& v = plugin();
    ASSERT_NE(v.handle, nullptr) << dlerror();
    for (const char* name :
         {"KFMGetPluginInterface", "KFMRunPlugin", "KFMGetPluginInfo", "KFMCleanUp",
          "CreateMachine", "DeleteMachine", "GetInfo", "DeleteInfo"})
        EXPECT_NE(v.symbol(name), nullptr) << name;
    // Its helpers stay inside it.
    EXPECT_EQ(v.symbol("AllocPluginFrame"), nullptr);

    EXPECT_EQ(v.getInterface(nullptr), 0);
    PluginInterface table{};
    ASSERT_EQ(v.getInterface(&table), 1);
    EXPECT_EQ(table.size, 24);
    EXPECT_EQ(table.version, 1);
    EXPECT_EQ(table.pfnRunPlugin, v.run);
    EXPECT_EQ(table.pfnCleanUp, v.cleanUp);
    EXPECT_EQ(table.pfnGetPluginInfo, v.getInfo);
    EXPECT_EQ(table.pfnGetPluginInterface, v.getInterface);

    EXPECT_EQ(v.getInfo(nullptr), 0);
    PluginInfo info{};
    info.reserved3 = 77;
    ASSERT_EQ(v.getInfo(&info), 1);
    EXPECT_EQ(info.version, 1);
    EXPECT_STREQ(info.name, "Chvění");
    EXPECT_STREQ(info.category, "Efekty");
    EXPECT_STREQ(info.author, "Keldo software");
    EXPECT_EQ(info.minSelectedFrames, 1);
    EXPECT_EQ(info.reserved1, 0);
    EXPECT_EQ(info.reserved3, 0);

    EXPECT_EQ(v.cleanUp(nullptr), 1);
    auto* bare = static_cast<PluginResult*>(std::calloc(1, sizeof(PluginResult)));
    bare->count = 3;
    EXPECT_EQ(v.cleanUp(bare), 1) << "a null frame array frees only the header";
}

TEST(VaroreFileTest, FindsItsOwnCzechTextsThroughItsModule) {
    HMODULE own = kfm::resources::moduleOfAddress(plugin().symbol("KFMRunPlugin"));
    EXPECT_EQ(kfm::resources::codePageOf(own), 1250);
    EXPECT_EQ(kfm::ui::LibraryText(own, 1), QString::fromUtf8("Chvění"));
    EXPECT_EQ(kfm::ui::LibraryText(own, 2), QString::fromUtf8("Počítám rámec %d z %d"));
    EXPECT_EQ(kfm::ui::LibraryText(own, 3), QString::fromUtf8("Připraven"));
}

TEST(VaroreFileTest, TheMachineExports) {
    // Called through the exports' own types: a call through any other function type is
    // undefined, and the sanitizers stop at it.
    auto getInfo = reinterpret_cast<decltype(&GetInfo)>(plugin().symbol("GetInfo"));
    auto deleteInfo = reinterpret_cast<decltype(&DeleteInfo)>(plugin().symbol("DeleteInfo"));
    auto create = reinterpret_cast<decltype(&CreateMachine)>(plugin().symbol("CreateMachine"));
    auto destroy = reinterpret_cast<decltype(&DeleteMachine)>(plugin().symbol("DeleteMachine"));
    ASSERT_TRUE(getInfo && deleteInfo && create && destroy);
    ShiverInfo* info = getInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->version, 1);
    EXPECT_STREQ(info->name, "Varore");
    deleteInfo(info);
    deleteInfo(nullptr);
    for (const auto& size : {std::pair{0, 0}, std::pair{5000, 3}, std::pair{-4, 2048}}) {
        void* machine = create(size.first, size.second);
        EXPECT_NE(machine, nullptr);
        destroy(machine);
    }
    destroy(nullptr);
}

TEST(VaroreRunTest, NoFrameReturnsNullWithoutADialog) {
    kfm::shiver::test::SourceFrame source(8, 8, false);
    PluginRunInput input = *source.input();
    input.count = 0;
    bool dialogShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialogShown = true;
            dialog->reject();
        }
    });
    watch.start(10);
    EXPECT_EQ(plugin().run(&input, nullptr), nullptr);
    EXPECT_EQ(plugin().run(nullptr, nullptr), nullptr);
    EXPECT_FALSE(dialogShown);
}

TEST(VaroreRunTest, TheDialogRefusesOutOfRangeEntriesAndPlaysItsPreview) {
    kfm::shiver::test::SourceFrame source(300, 200, true);
    QStringList counters;
    QString title, status, differencesText;
    bool differencesInside = false;
    QStringList types;
    std::vector<int> refused;
    answerDialog([&](QDialog& dialog) {
        title = dialog.windowTitle();
        auto* type = control<QComboBox>(dialog, 14017);
        for (int i = 0; type && i < type->count(); ++i)
            types << type->itemText(i);
        auto* differences = control<QCheckBox>(dialog, 14022);
        if (differences) {
            differencesText = differences->text();
            const QRect inDialog(differences->mapTo(&dialog, QPoint(0, 0)), differences->size());
            differencesInside = dialog.rect().contains(inDialog);
        }
        // Typed values beyond a field's range are refused: the field keeps a value in range.
        const struct {
            int id;
            const char* typed;
        } entries[] = {
            {14013, "300"}, {14015, "0"}, {14002, "40000"}, {14004, "-2000"}, {14019, "5"}};
        for (const auto& e : entries) {
            auto* spin = control<QSpinBox>(dialog, e.id);
            auto* edit = spin ? spin->findChild<QLineEdit*>() : nullptr;
            if (!edit)
                continue;
            edit->selectAll();
            QTest::keyClicks(edit, e.typed);
            spin->interpretText();
            QTest::keyClick(edit, Qt::Key_Tab);
            refused.push_back(spin->value() >= spin->minimum() &&
                              spin->value() <= spin->maximum() && spin->text() != e.typed);
        }
        setNumber(dialog, 14013, 3);
        setNumber(dialog, 14015, 2);
        setNumber(dialog, 14002, 3);
        setNumber(dialog, 14004, -100);
        // A tick of (600 / 3) x 10 ms: two seconds between pictures.
        setNumber(dialog, 14019, 600);
        QTest::mouseClick(control<QPushButton>(dialog, 14012), Qt::LeftButton);
        auto* preview = control<QWidget>(dialog, 14000);
        if (previewReady(dialog)) {
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return preview->accessibleName() == "01/03"; }, 60000));
            status = control<QLabel>(dialog, 14018)->text();
            dialog.grab().save(QString::fromStdString(artifact("varore-dialog.png")));
            for (int shot = 0; shot < 3; ++shot) {
                const QString before = preview->accessibleName();
                EXPECT_TRUE(
                    QTest::qWaitFor([&] { return preview->accessibleName() != before; }, 60000));
                counters << preview->accessibleName();
                preview->grab().save(QString::fromStdString(
                    artifact("varore-preview-" + std::to_string(shot + 1) + ".png")));
            }
        }
        dialog.reject();
    });
    EXPECT_EQ(plugin().run(source.input(), nullptr), nullptr) << "Cancel returns nothing";
    EXPECT_EQ(title, QString::fromUtf8("Chvění"));
    EXPECT_EQ(types.size(), 9);
    EXPECT_EQ(types.value(0), QString::fromUtf8("Buněčná struktura 1"));
    EXPECT_EQ(types.value(8), QString::fromUtf8("Absolut Perlin"));
    EXPECT_EQ(differencesText, "Return differences only");
    EXPECT_TRUE(differencesInside);
    EXPECT_EQ(refused, (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_EQ(status, QString::fromUtf8("Připraven"));
    // The pictures follow each other and wrap after the last.
    EXPECT_EQ(counters, (QStringList{"02/03", "03/03", "01/03"}));
}

TEST(VaroreRunTest, OkReturnsTheFramesAndEscDuringTheGenerationNone) {
    kfm::shiver::test::SourceFrame source(64, 48, true);
    const auto accept = [](int frames) {
        answerDialog([frames](QDialog& dialog) {
            setNumber(dialog, 14013, frames);
            // OK while the preview may still be computed.
            QTest::mouseClick(control<QPushButton>(dialog, 14012), Qt::LeftButton);
            dialog.accept();
        });
    };
    static std::vector<int> steps;
    static QObject* escTarget = nullptr;
    QObject target;
    escTarget = &target;
    PluginRunContext context{kPluginRunContextSize, 0, [](int, int current, int total) {
                                 steps.push_back(current * 100 + total);
                             }};
    accept(5);
    Result frames(plugin().run(source.input(), &context));
    ASSERT_NE(frames, nullptr);
    EXPECT_EQ(frames->count, 5);
    EXPECT_EQ(steps, (std::vector<int>{5, 105, 205, 305, 405}));
    for (int j = 0; j < frames->count; ++j) {
        EXPECT_EQ(frames->frames[j].transparentIndex, 0);
        EXPECT_EQ(frames->frames[j].delay, 20);
    }

    // Esc pressed while frame 3 is made: the pump that follows delivers it.
    PluginRunContext escaping{
        kPluginRunContextSize, 0, [](int, int current, int) {
            if (current == 2)
                QCoreApplication::postEvent(
                    escTarget, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }};
    accept(6);
    EXPECT_EQ(plugin().run(source.input(), &escaping), nullptr);
}
