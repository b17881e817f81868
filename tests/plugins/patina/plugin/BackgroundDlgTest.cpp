// The texture dialog and its gradient control offscreen: the seed and its lock under a fixed
// clock, presets listed, chosen and reloaded, the advanced part, range checks, the files it
// saves, and the colour ramp edited with the mouse. Screenshots go to test-artifacts/.

#include "BackgroundDlg.h"
#include "PatinaTestSupport.h"
#include "PresetFile.h"
#include "Random.h"
#include "TestSupport.h"

#include "resources/ResourceLibrary.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace kfm::patina {
namespace {

using test::answerModal;
using test::control;

// The plug-in's own texts: the module of Patina.kfp, loaded for them.
HINSTANCE pluginTexts() {
    static void* handle =
        dlopen((std::string(KFM_PLUGIN_DIR) + "/Patina.kfp").c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle ? kfm::resources::moduleOfAddress(dlsym(handle, "KFMRunPlugin")) : nullptr;
}

// A clock that moves on by one second at every reading.
std::int64_t ticking() {
    static std::int64_t seconds = 1000;
    return ++seconds;
}

class BackgroundDlgTest : public ::testing::Test {
protected:
    void SetUp() override { kfm::noise::SetNoiseClock(&ticking); }
    void TearDown() override { kfm::noise::SetNoiseClock(nullptr); }

    QString folder() const { return QString::fromStdString(presets_.path().string()); }
    std::unique_ptr<CBackgroundDlg> makeDialog() {
        auto dialog = std::make_unique<CBackgroundDlg>(nullptr, pluginTexts(), folder());
        dialog->show();
        return dialog;
    }

    kfm::test::TempDir presets_;
};

TEST_F(BackgroundDlgTest, OpensWithItsStartSettings) {
    const auto dialog = makeDialog();
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Generátor podkladů"));
    EXPECT_EQ(dialog->Settings().family, 0u);
    EXPECT_EQ(dialog->Settings().variant, 4);
    EXPECT_EQ(dialog->Settings().d, (std::array<double, 4>{1.0, 4.0, 0, 0}));
    EXPECT_EQ(dialog->Settings().rowsPer256, 8);
    EXPECT_EQ(dialog->Settings().bricksPer256, 4);
    EXPECT_EQ(dialog->Settings().colourSpeed, 511);
    EXPECT_EQ(dialog->Gradient().Colours()[255], 0xFFFFFFu);
    EXPECT_EQ(dialog->Gradient().Colours()[1], 0x010101u);
    const struct {
        int id;
        int min;
        int max;
        int value;
    } sliders[] = {{1025, 1, 12, 1}, {1002, 8192, 262144, 65536}, {1021, 31, 1023, 511}};
    for (const auto& s : sliders) {
        auto* slider = control<QSlider>(*dialog, s.id);
        ASSERT_NE(slider, nullptr) << s.id;
        EXPECT_EQ(slider->minimum(), s.min);
        EXPECT_EQ(slider->maximum(), s.max);
        EXPECT_EQ(slider->value(), s.value);
    }
    auto* lock = control<QToolButton>(*dialog, 1046);
    EXPECT_EQ(lock->toolTip(), QString::fromUtf8("Uzamknout číslo podkladu."));
    EXPECT_FALSE(lock->icon().isNull());
    EXPECT_EQ(control<QRadioButton>(*dialog, 1050)->text(), QString::fromUtf8("Kameny"));
}

// Catches the picture the preview paints while the texture is being composed.
class WaitWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && pictures.empty())
            pictures.push_back(static_cast<CTexturePreview*>(watched)->picture());
        return false;
    }
    std::vector<QImage> pictures;
};

TEST_F(BackgroundDlgTest, ThePreviewSaysPleaseWaitWhileItComposes) {
    const auto dialog = makeDialog();
    auto* preview = control<CTexturePreview>(*dialog, 1001);
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    WaitWatcher watcher;
    preview->installEventFilter(&watcher);
    QTest::mouseClick(control<QPushButton>(*dialog, 1000), Qt::LeftButton);
    ASSERT_FALSE(watcher.pictures.empty());
    const QImage& waiting = watcher.pictures.front();
    // White (smoothed) text on the black start picture, its baseline at (85, 120).
    int white = 0;
    for (int y = 100; y <= 122; ++y)
        for (int x = 85; x < 200; ++x)
            white += qGray(waiting.pixel(x, y)) > 200;
    EXPECT_GT(white, 20);
    waiting.save(QString::fromStdString(test::artifact("patina-wait.png")));
    int elsewhere = 0;
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 256; ++x)
            elsewhere += waiting.pixel(x, y) != qRgb(0, 0, 0);
    EXPECT_EQ(elsewhere, 0);
    EXPECT_NE(dialog->PreviewPicture(), waiting) << "then the texture replaces it";
}

TEST_F(BackgroundDlgTest, SlidersStoreAsTheyMoveAndTheUnusedControlsAreKept) {
    const auto dialog = makeDialog();
    control<QSlider>(*dialog, 1025)->setValue(7);
    EXPECT_EQ(dialog->Settings().zoom, 7);
    control<QSlider>(*dialog, 1021)->setValue(100);
    EXPECT_EQ(dialog->Settings().colourSpeed, 100);
    control<QSlider>(*dialog, 1002)->setValue(9000);
    EXPECT_EQ(dialog->Extras().modulationSpeed, 9000);

    control<QSpinBox>(*dialog, 1009)->setValue(5);
    control<QSpinBox>(*dialog, 1038)->setValue(3);
    control<QCheckBox>(*dialog, 1036)->setChecked(true);
    control<QComboBox>(*dialog, 1064)->setCurrentIndex(2);
    QTest::mouseClick(control<QPushButton>(*dialog, 1000), Qt::LeftButton);
    EXPECT_EQ(dialog->Extras().complexity, 5);
    EXPECT_EQ(dialog->Extras().generator, 3);
    EXPECT_TRUE(dialog->Extras().signedNoise);
    EXPECT_EQ(dialog->Extras().kind, 2);
    EXPECT_EQ(control<QComboBox>(*dialog, 1064)->itemText(4), "Other (noise)");
}

TEST_F(BackgroundDlgTest, TheLockKeepsTheSeedAndMinusOneDisablesIt) {
    const auto dialog = makeDialog();
    auto* redraw = control<QPushButton>(*dialog, 1000);
    auto* seed = control<QLineEdit>(*dialog, 1032);
    auto* lock = control<QToolButton>(*dialog, 1046);

    QStringList seeds;
    std::vector<QImage> pictures;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(redraw, Qt::LeftButton);
        seeds << seed->text();
        pictures.push_back(dialog->PreviewPicture());
    }
    EXPECT_NE(seeds[0], seeds[1]) << "each redraw without the lock has a new seed";
    EXPECT_NE(seeds[1], seeds[2]);
    EXPECT_NE(pictures[1], pictures[2]);

    QTest::mouseClick(lock, Qt::LeftButton);
    ASSERT_TRUE(lock->isChecked());
    QTest::mouseClick(redraw, Qt::LeftButton);
    EXPECT_EQ(seed->text(), seeds[2]);
    EXPECT_EQ(dialog->PreviewPicture(), pictures[2]) << "the same picture again";

    seed->setText(QStringLiteral("-1"));
    EXPECT_FALSE(lock->isEnabled());
    seed->setText(QStringLiteral("77"));
    EXPECT_TRUE(lock->isEnabled());
    QTest::mouseClick(redraw, Qt::LeftButton);
    EXPECT_EQ(seed->text(), QStringLiteral("77"));
    dialog->grab().save(QString::fromStdString(test::artifact("patina-dialog.png")));
}

TEST_F(BackgroundDlgTest, OutOfRangeNumbersAreRefusedWithAMessage) {
    const auto dialog = makeDialog();
    QTest::mouseClick(control<QPushButton>(*dialog, 1000), Qt::LeftButton);
    const QImage before = dialog->PreviewPicture();
    const struct {
        int id;
        const char* text;
    } cases[] = {{1032, "40000"}, {1032, "-2"}, {1032, "abc"}, {1055, "101"}, {1056, "-1"}};
    for (const auto& c : cases) {
        auto* edit = control<QLineEdit>(*dialog, c.id);
        const QString good = edit->text();
        edit->setText(QString::fromLatin1(c.text));
        QString message;
        answerModal<QMessageBox>([&](QMessageBox& box) {
            message = box.text();
            box.accept();
        });
        QTest::mouseClick(control<QPushButton>(*dialog, 1000), Qt::LeftButton);
        EXPECT_TRUE(message.startsWith(QString::fromUtf8("Zadejte celé číslo od"))) << c.text;
        EXPECT_EQ(dialog->PreviewPicture(), before) << "nothing redrawn for " << c.text;
        edit->setText(good);
    }
}

TEST_F(BackgroundDlgTest, PresetsAreListedChosenAndReloaded) {
    const auto dialog = makeDialog();
    auto* list = control<QListWidget>(*dialog, 1018);
    EXPECT_EQ(list->count(), 0) << "an empty folder gives an empty list";

    // A preset of family 1 with a red ramp, saved through the dialog's own path.
    TextureSettings clouds;
    SetTexture(clouds, 1, 0, 90, 0.97, 0, 0);
    SetPattern(clouds, 2, true, 8, 4);
    SetColouring(clouds, 3, 5, 400, 2);
    GradientRamp red;
    red.SetGradient(0x000080, 0x0000FF, 0, -1);
    ASSERT_TRUE(SavePreset(folder() + "/Mraky.ptn", clouds, red));
    ASSERT_TRUE(SavePreset(folder() + "/Jiné.ptn", TextureSettings{}, GradientRamp{}));
    dialog->FillPresetList();
    ASSERT_EQ(list->count(), 2);

    const QImage before = dialog->PreviewPicture();
    list->setCurrentItem(list->findItems("Mraky", Qt::MatchExactly).front());
    EXPECT_EQ(dialog->Settings().family, 1u);
    EXPECT_EQ(dialog->Settings().d[0], 90);
    EXPECT_TRUE(control<QRadioButton>(*dialog, 1050)->isChecked()) << "stones";
    EXPECT_TRUE(control<QCheckBox>(*dialog, 1061)->isChecked());
    EXPECT_EQ(control<QSlider>(*dialog, 1025)->value(), 5);
    EXPECT_EQ(control<QSlider>(*dialog, 1021)->value(), 400);
    EXPECT_EQ(dialog->Gradient().Colours()[255], 0x0000FFu);
    EXPECT_NE(dialog->PreviewPicture(), before) << "the preset redraws the preview";
    const QImage chosen = dialog->PreviewPicture();

    // Space released over the list loads the preset again (the clock gives a new seed).
    control<QSlider>(*dialog, 1025)->setValue(2);
    list->setFocus();
    QTest::keyRelease(list, Qt::Key_Space);
    EXPECT_EQ(control<QSlider>(*dialog, 1025)->value(), 5);

    // A file that disappeared loads nothing and says nothing.
    QFile::remove(folder() + "/Jiné.ptn");
    list->setCurrentItem(list->findItems(QString::fromUtf8("Jiné"), Qt::MatchExactly).front());
    EXPECT_EQ(dialog->Settings().family, 1u);

    // Saving a preset refills the list.
    ASSERT_TRUE(dialog->SavePresetTo(folder() + "/Nový.ptn"));
    EXPECT_EQ(list->count(), 2);
    EXPECT_FALSE(list->findItems(QString::fromUtf8("Nový"), Qt::MatchExactly).isEmpty());
    (void)chosen;
}

TEST_F(BackgroundDlgTest, TheAdvancedPartOpensAndCloses) {
    const auto dialog = makeDialog();
    auto* button = control<QPushButton>(*dialog, 1066);
    auto* advanced = control<QWidget>(*dialog, 1003);
    const int narrow = dialog->width();
    EXPECT_FALSE(advanced->isVisible());
    EXPECT_EQ(button->text(), QString::fromUtf8("&Rozšířené >>"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(advanced->isVisible());
    EXPECT_EQ(button->text(), QString::fromUtf8("&Rozšířené <<"));
    EXPECT_GE(dialog->width(),
              narrow + (CBackgroundDlg::kWideWidth - CBackgroundDlg::kNarrowWidth) / 2);
    dialog->grab().save(QString::fromStdString(test::artifact("patina-dialog-advanced.png")));
    control<QCheckBox>(*dialog, 1020)->click();
    EXPECT_FALSE(advanced->isVisible()) << "Check1 toggles it too";
    EXPECT_EQ(button->text(), QString::fromUtf8("&Rozšířené >>"));
    EXPECT_EQ(dialog->width(), narrow);
}

TEST_F(BackgroundDlgTest, SavesThePreviewAsABitmapOrNamesTheFailingStep) {
    const auto dialog = makeDialog();
    QTest::mouseClick(control<QPushButton>(*dialog, 1000), Qt::LeftButton);
    const QString path = folder() + "/preview.bmp";
    ASSERT_TRUE(dialog->SaveBitmapTo(path));
    const QImage saved(path);
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              dialog->PreviewPicture().convertToFormat(QImage::Format_RGB32));

    QString message;
    answerModal<QMessageBox>([&](QMessageBox& box) {
        message = box.text();
        box.accept();
    });
    EXPECT_FALSE(dialog->SaveBitmapTo("/nonexistent/folder/x.bmp"));
    EXPECT_EQ(message, "CreateFile");
}

// Types the name into the file dialog and confirms it, as a user does: a name chosen with
// selectFile() is dropped when the dialog's folder finishes loading after it.
void typeFileName(QFileDialog& files, const QString& path) {
    auto* name = files.findChild<QLineEdit*>("fileNameEdit");
    if (!name) {
        ADD_FAILURE() << "no name field";
        files.reject();
        return;
    }
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
}

TEST_F(BackgroundDlgTest, TheSaveButtonsAskForFilesWithTheirExtensions) {
    const auto dialog = makeDialog();
    QTest::mouseClick(control<QPushButton>(*dialog, 1000), Qt::LeftButton);
    QString startFolder;
    answerModal<QFileDialog>([&](QFileDialog& files) {
        startFolder = files.directory().absolutePath();
        typeFileName(files, folder() + "/Moje");
    });
    QTest::mouseClick(control<QPushButton>(*dialog, 1019), Qt::LeftButton);
    EXPECT_EQ(startFolder, QDir(folder()).absolutePath()) << "presets start in their folder";
    EXPECT_TRUE(QFile::exists(folder() + "/Moje.ptn"));
    EXPECT_EQ(control<QListWidget>(*dialog, 1018)->count(), 1);

    answerModal<QFileDialog>(
        [&](QFileDialog& files) { typeFileName(files, folder() + "/picture"); });
    QTest::mouseClick(control<QPushButton>(*dialog, 1013), Qt::LeftButton);
    EXPECT_FALSE(QImage(folder() + "/picture.bmp").isNull());
}

TEST_F(BackgroundDlgTest, TheFrameRepeatsThePreview) {
    const auto dialog = makeDialog();
    QTest::mouseClick(control<QPushButton>(*dialog, 1000), Qt::LeftButton);
    PluginResult* result = dialog->BuildResult(256, 256, nullptr);
    ASSERT_NE(result, nullptr);
    const PluginFrame& frame = result->frames[0];
    const QImage preview = dialog->PreviewPicture();
    const auto* bits = static_cast<const std::uint8_t*>(frame.image.bmBits);
    int differing = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const std::uint8_t* p = bits + y * frame.image.bmWidthBytes + 3 * x;
            differing += qRgb(p[2], p[1], p[0]) != preview.pixel(x, y);
        }
    EXPECT_EQ(differing, 0);
    FreePluginResult(result);
}

// The gradient control driven with the mouse.
class GradientCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctrl_.resize(256, 24);
        ctrl_.show();
    }
    QPoint at(int position) const { return ctrl_.MarkerCentre(position); }

    CGradientCtrl ctrl_;
};

TEST_F(GradientCtrlTest, DragsAnInnerMarkerAndIgnoresADragBackToItsStart) {
    ctrl_.SetGradient(0x000000, 0xFFFFFF, 0x0000FF, 0.5f);
    QSignalSpy changed(&ctrl_, &CGradientCtrl::changed);
    const QPoint start = at(127);
    QTest::mousePress(&ctrl_, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(&ctrl_, start + QPoint(40, 0));
    QTest::mouseRelease(&ctrl_, Qt::LeftButton, Qt::NoModifier, start + QPoint(40, 0));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(ctrl_.Ramp().Markers()[1].position, (start.x() + 40) * 255 / 256);

    const QPoint now = at(ctrl_.Ramp().Markers()[1].position);
    QTest::mousePress(&ctrl_, Qt::LeftButton, Qt::NoModifier, now);
    QTest::mouseMove(&ctrl_, now + QPoint(-30, 0));
    QTest::mouseRelease(&ctrl_, Qt::LeftButton, Qt::NoModifier, now);
    EXPECT_EQ(changed.count(), 1) << "a drag that ends where it began does not notify";

    // The ends cannot be dragged, and a drag stops at its neighbours' squares.
    QTest::mousePress(&ctrl_, Qt::LeftButton, Qt::NoModifier, at(0));
    QTest::mouseRelease(&ctrl_, Qt::LeftButton, Qt::NoModifier, at(0) + QPoint(50, 0));
    EXPECT_EQ(ctrl_.Ramp().Markers()[0].position, 0);
    QTest::mousePress(&ctrl_, Qt::LeftButton, Qt::NoModifier, now);
    QTest::mouseRelease(&ctrl_, Qt::LeftButton, Qt::NoModifier, QPoint(400, 10));
    EXPECT_EQ(ctrl_.Ramp().Markers()[1].position,
              (256 - CGradientCtrl::kMarkerSize / 2) * 255 / 256);
}

TEST_F(GradientCtrlTest, DoubleClicksAddAndRecolourRightClicksDelete) {
    QSignalSpy changed(&ctrl_, &CGradientCtrl::changed);
    QStringList customs;
    answerModal<QColorDialog>([&](QColorDialog& dialog) {
        for (int i = 0; i < 16; ++i)
            customs << QColorDialog::customColor(i).name();
        dialog.setCurrentColor(QColor(0, 0, 255));
        dialog.accept();
    });
    QTest::mouseDClick(&ctrl_, Qt::LeftButton, Qt::NoModifier, QPoint(100, 12));
    ASSERT_EQ(ctrl_.Ramp().Markers().size(), 3u);
    EXPECT_EQ(ctrl_.Ramp().Markers()[1], (GradientMarker{100 * 255 / 256, 0xFF0000}));
    EXPECT_EQ(changed.count(), 1);
    // 9876177 is 0x96B2D1: red 0xD1, green 0xB2, blue 0x96.
    EXPECT_EQ(customs.value(0), "#d1b296");

    answerModal<QColorDialog>([](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(0, 255, 0));
        dialog.accept();
    });
    QTest::mouseDClick(&ctrl_, Qt::LeftButton, Qt::NoModifier, at(255));
    EXPECT_EQ(ctrl_.Ramp().Markers()[2].colour, 0x00FF00u) << "the end marker is recoloured";
    EXPECT_EQ(changed.count(), 2);

    answerModal<QColorDialog>([](QColorDialog& dialog) { dialog.reject(); });
    QTest::mouseDClick(&ctrl_, Qt::LeftButton, Qt::NoModifier, QPoint(200, 12));
    EXPECT_EQ(ctrl_.Ramp().Markers().size(), 3u) << "cancelled";
    EXPECT_EQ(changed.count(), 2);

    QTest::mouseClick(&ctrl_, Qt::RightButton, Qt::NoModifier, at(0));
    EXPECT_EQ(ctrl_.Ramp().Markers().size(), 3u) << "the ends stay";
    QTest::mouseClick(&ctrl_, Qt::RightButton, Qt::NoModifier,
                      at(ctrl_.Ramp().Markers()[1].position));
    EXPECT_EQ(ctrl_.Ramp().Markers().size(), 2u);
    EXPECT_EQ(changed.count(), 3);
    ctrl_.grab().save(QString::fromStdString(test::artifact("patina-gradient.png")));
}

TEST_F(GradientCtrlTest, SerializeRoundTripsAndRefusesDamagedMarkers) {
    GradientRamp ramp;
    ramp.SetGradient(0x102030, 0x405060, 0, -1);
    ramp.InsertMarker(76, 0x708090);
    ctrl_.SetRamp(ramp);
    LittleEndianWriter out;
    ctrl_.Serialize(out);
    CGradientCtrl other;
    LittleEndianReader in(out.data());
    ASSERT_TRUE(other.Serialize(in));
    EXPECT_EQ(other.Ramp().Markers(), ctrl_.Ramp().Markers());
    EXPECT_EQ(other.Colours(), ctrl_.Colours());

    const std::vector<std::uint8_t> damaged(out.data().begin(), out.data().end() - 2);
    LittleEndianReader cut(damaged);
    EXPECT_FALSE(other.Serialize(cut));
    EXPECT_EQ(other.Ramp().Markers(), ctrl_.Ramp().Markers());
}

TEST_F(GradientCtrlTest, ASixtyFifthMarkerOpensNoDialog) {
    GradientRamp full;
    for (int i = 0; i < kMaxMarkers - 2; ++i)
        full.InsertMarker(4 + i * 3, 0x808080);
    ctrl_.SetRamp(full);
    bool dialogShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialogShown = true;
            dialog->reject();
        }
    });
    watch.start(10);
    QSignalSpy changed(&ctrl_, &CGradientCtrl::changed);
    QTest::mouseDClick(&ctrl_, Qt::LeftButton, Qt::NoModifier, QPoint(250, 2));
    QTest::qWait(50);
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(ctrl_.Ramp().Markers().size(), 64u);
}

} // namespace
} // namespace kfm::patina
