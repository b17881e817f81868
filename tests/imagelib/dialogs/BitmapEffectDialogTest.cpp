// The effect dialogs driven offscreen: opened for each effect, a parameter changed through its
// control, the previews' pixels, OK giving the effect's image and Cancel giving none with the
// source unchanged, the colour buttons and the preview controls.

#include "BitmapEffectDialog.h"
#include "EffectPreviews.h"

#include "Bitra5ResourceIds.h"
#include "Bitra5Testing.h"
#include "WidgetApplication.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

namespace res = bitra5res;
using kpx::dialogs::BitmapEffectDialog;
using kpx::dialogs::KpxColorPreview;
using kpx::dialogs::KpxPreview;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new kfm::test::WidgetApplication);

// Deletes an image at the end of the scope.
struct Owned {
    KpxHandle handle;
    explicit Owned(KpxHandle h) : handle(h) {}
    ~Owned() { KPXDeleteImage(handle); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
};

// A 24-bit picture of one colour.
KpxHandle flat(int width, int height, COLORREF colour) {
    const KpxHandle image = KPXCreateImage(width, height, 24);
    std::uint8_t* bits = KPXGetBits(image);
    const int scan = KPXGetScanBytes(image);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bits + y * scan + x * 3;
            p[0] = GetBValue(colour);
            p[1] = GetGValue(colour);
            p[2] = GetRValue(colour);
        }
    return image;
}

COLORREF pixelOf(KpxHandle image, int x, int y) {
    const std::uint8_t* p =
        KPXGetBits(image) + (KPXHeight(image) - 1 - y) * KPXGetScanBytes(image) + x * 3;
    return RGB(p[2], p[1], p[0]);
}

std::vector<std::uint8_t> bytesOf(KpxHandle image) {
    const std::uint8_t* bits = KPXGetBits(image);
    return {bits, bits + KPXSizeImage(image)};
}

QRgb rgbOf(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

int countOf(const QImage& picture, QRgb colour) {
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += (picture.pixel(x, y) | 0xFF000000u) == colour;
    return count;
}

QRgb centreOf(const QImage& picture) {
    return picture.pixel(picture.width() / 2, picture.height() / 2) | 0xFF000000u;
}

void saveScreenshot(QWidget* widget, const char* name) {
    const QString folder = QStringLiteral(KFM_TEST_ARTIFACTS_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(widget->grab().save(folder + "/" + name + ".png"));
}

class EffectDialogTest : public ::testing::Test {
protected:
    void SetUp() override { imagesBefore = KpxLiveImageCount(); }
    void TearDown() override {
        kpx::dialogs::SetColorChooser({});
        EXPECT_EQ(KpxLiveImageCount(), imagesBefore) << "images left behind";
    }
    // Opens the dialog and waits for its first previews.
    static void open(BitmapEffectDialog& dialog) {
        dialog.resize(520, 420);
        dialog.show();
        ASSERT_TRUE(dialog.refresh().waitUntilIdle());
    }
    int imagesBefore = 0;
};

struct DialogCase {
    int effect;
    UINT templateId;
    const char* title;
    const char* screenshot;
};

TEST_F(EffectDialogTest, EachEffectOpensItsDialogWithItsTitleAndBothPreviews) {
    const Owned image(flat(60, 40, RGB(90, 120, 150)));
    for (const DialogCase c : {
             DialogCase{0, res::IDD_EFFECT_TINT, "Tint", "effect-tint"},
             DialogCase{1, res::IDD_EFFECT_TWO_COLORS, "Two Colours", "effect-two-colours"},
             DialogCase{10, res::IDD_EFFECT_BRIGHTNESS, "Brightness and Contrast",
                        "effect-brightness"},
             DialogCase{11, res::IDD_EFFECT_BRIGHTNESS, "Brightness and Contrast", nullptr},
             DialogCase{12, res::IDD_EFFECT_BALANCE, "Colour Balance", "effect-balance"},
             DialogCase{13, res::IDD_EFFECT_HUE, "Hue, Saturation and Brightness", "effect-hue"},
             DialogCase{20, res::IDD_EFFECT_SHARPEN, "Sharpen", "effect-sharpen"},
             DialogCase{21, res::IDD_EFFECT_BLUR, "Blur", "effect-blur"},
             DialogCase{22, res::IDD_EFFECT_EMBOSS, "Emboss", "effect-emboss"},
             DialogCase{23, res::IDD_EFFECT_EDGES, "Edges", "effect-edges"},
             DialogCase{24, res::IDD_EFFECT_MOSAIC, "Mosaic", "effect-mosaic"},
         }) {
        SCOPED_TRACE(c.effect);
        BitmapEffectDialog dialog(nullptr, image.handle, c.effect, 0);
        EXPECT_EQ(dialog.kit().templateId(), c.templateId);
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.title));
        open(dialog);
        auto* source = dialog.kit().controlAs<KpxPreview>(res::IDC_EFFECT_PREVIEW_SOURCE);
        auto* result = dialog.kit().controlAs<KpxPreview>(res::IDC_EFFECT_PREVIEW_RESULT);
        ASSERT_TRUE(source && result);
        EXPECT_TRUE(source->showsSource());
        EXPECT_FALSE(result->showsSource());
        EXPECT_EQ(source->shownPicture().size(), source->pictureSize());
        EXPECT_EQ(centreOf(source->shownPicture()), rgbOf(RGB(90, 120, 150)));
        EXPECT_FALSE(result->shownPicture().isNull());
        if (c.screenshot)
            saveScreenshot(&dialog, c.screenshot);
        dialog.reject();
    }
    EXPECT_EQ(BitmapEffectDialog::templateOf(kKpxEffectNegative), 0u);
    EXPECT_EQ(BitmapEffectDialog::templateOf(99), 0u);
}

TEST_F(EffectDialogTest, SliderChangesTheParameterTheSpinAndThePreview) {
    const Owned image(flat(60, 40, RGB(100, 100, 100)));
    BitmapEffectDialog dialog(nullptr, image.handle, kKpxEffectBrightness, 0);
    open(dialog);
    auto* slider = dialog.kit().controlAs<QSlider>(res::IDC_EFFECT_SLIDER);
    auto* spin = dialog.kit().controlAs<QSpinBox>(res::IDC_EFFECT_SPIN);
    ASSERT_TRUE(slider && spin);
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(100, 100, 100)));
    slider->setFocus();
    for (int i = 0; i < 50; ++i)
        QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(dialog.parameters().p1, 50);
    EXPECT_EQ(spin->value(), 50);
    ASSERT_TRUE(dialog.refresh().waitUntilIdle());
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(150, 150, 150)));
    // The white around the fitted picture is as bright as it gets.
    EXPECT_EQ(dialog.processedPreview().pixel(0, 0) | 0xFF000000u, rgbOf(RGB(255, 255, 255)));
    // The source preview stays as it was.
    EXPECT_EQ(centreOf(dialog.sourcePreview()), rgbOf(RGB(100, 100, 100)));
    saveScreenshot(&dialog, "effect-brightness-50");

    dialog.accept();
    const Owned result(dialog.apply(nullptr));
    ASSERT_NE(result.handle, 0);
    EXPECT_EQ(pixelOf(result.handle, 59, 39), RGB(150, 150, 150));
    EXPECT_EQ(pixelOf(image.handle, 59, 39), RGB(100, 100, 100));
}

TEST_F(EffectDialogTest, TypingIntoTheEditMovesTheSlider) {
    const Owned image(flat(20, 20, RGB(10, 20, 30)));
    BitmapEffectDialog dialog(nullptr, image.handle, kKpxEffectHueSaturation, 0);
    open(dialog);
    auto* edit = dialog.kit().controlAs<QLineEdit>(res::IDC_EFFECT_EDIT);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->maxLength(), 4);
    edit->selectAll();
    QTest::keyClicks(edit, "120");
    EXPECT_EQ(dialog.parameters().p1, 120);
    EXPECT_EQ(dialog.kit().controlAs<QSlider>(res::IDC_EFFECT_SLIDER)->value(), 120);
    ASSERT_TRUE(dialog.refresh().waitUntilIdle());
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(20, 30, 10)));
    dialog.reject();
}

TEST_F(EffectDialogTest, EditsTakeAsManyCharactersAsTheirRangeNeeds) {
    const Owned image(flat(8, 8, 0));
    struct Case {
        int effect;
        int chars;
    };
    for (const Case c : {Case{kKpxEffectBrightness, 4}, Case{kKpxEffectSharpen, 1},
                         Case{kKpxEffectBlur, 2}, Case{kKpxEffectMosaic, 2}}) {
        SCOPED_TRACE(c.effect);
        BitmapEffectDialog dialog(nullptr, image.handle, c.effect, 0);
        auto* edit = dialog.kit().controlAs<QLineEdit>(res::IDC_EFFECT_EDIT);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->maxLength(), c.chars);
    }
}

TEST_F(EffectDialogTest, OkGivesTheEffectsImageAndCancelGivesNone) {
    const Owned image(flat(30, 20, RGB(100, 100, 100)));
    const auto before = bytesOf(image.handle);
    const auto drive = [](bool ok) {
        QTimer::singleShot(0, [ok] {
            auto* dialog = qobject_cast<BitmapEffectDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* spin = dialog->kit().controlAs<QSpinBox>(res::IDC_EFFECT_SPIN + 2);
            spin->setFocus();
            for (int i = 0; i < 20; ++i)
                QTest::keyClick(spin, Qt::Key_Up);
            QTest::mouseClick(dialog->kit().controlAs<QPushButton>(ok ? IDOK : IDCANCEL),
                              Qt::LeftButton);
        });
    };
    drive(true);
    const Owned result(KPXBitmapEffect(nullptr, image.handle, kKpxEffectColorBalance, 0, nullptr));
    ASSERT_NE(result.handle, 0);
    EXPECT_EQ(pixelOf(result.handle, 0, 0), RGB(100, 100, 120));

    drive(false);
    EXPECT_EQ(KPXBitmapEffect(nullptr, image.handle, kKpxEffectColorBalance, 0, nullptr), 0);
    EXPECT_EQ(bytesOf(image.handle), before);
}

TEST_F(EffectDialogTest, CancelRestoresTheParametersTheDialogOpenedWith) {
    const Owned image(flat(10, 10, 0));
    BitmapEffectDialog dialog(nullptr, image.handle, kKpxEffectMosaic, 0);
    open(dialog);
    dialog.kit().controlAs<QSpinBox>(res::IDC_EFFECT_SPIN)->setValue(7);
    EXPECT_EQ(dialog.parameters().p1, 7);
    dialog.reject();
    EXPECT_EQ(dialog.parameters().p1, 1);
    EXPECT_EQ(dialog.apply(nullptr), 0) << "mosaic size 1 leaves nothing to do";
}

TEST_F(EffectDialogTest, NothingToDoGivesNoImageAfterOk) {
    const Owned image(flat(10, 10, 0));
    for (const int effect : {kKpxEffectSharpen, kKpxEffectBlur, kKpxEffectMosaic}) {
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<BitmapEffectDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->accept();
        });
        EXPECT_EQ(KPXBitmapEffect(nullptr, image.handle, effect, 0, nullptr), 0) << effect;
    }
}

TEST_F(EffectDialogTest, NegativeNeedsNoDialogAndBadArgumentsGiveNoImage) {
    const Owned image(flat(4, 4, RGB(10, 20, 30)));
    const Owned negative(KPXBitmapEffect(nullptr, image.handle, kKpxEffectNegative, 0, nullptr));
    ASSERT_NE(negative.handle, 0);
    EXPECT_EQ(pixelOf(negative.handle, 3, 3), RGB(245, 235, 225));
    EXPECT_EQ(KPXBitmapEffect(nullptr, 0, kKpxEffectBrightness, 0, nullptr), 0);
    EXPECT_EQ(KPXBitmapEffect(nullptr, image.handle, 3, 0, nullptr), 0);
    EXPECT_EQ(KPXBitmapEffect(nullptr, image.handle, 25, 0, nullptr), 0);
}

TEST_F(EffectDialogTest, TwoColourButtonsChooseTheColoursOfZeroAndOne) {
    const Owned image(flat(20, 20, RGB(0, 0, 0)));
    BitmapEffectDialog dialog(nullptr, image.handle, kKpxEffectTwoColors, 0);
    open(dialog);
    auto* fill0 = dialog.kit().controlAs<KpxColorPreview>(res::IDC_EFFECT_COLOR_FILL_1);
    auto* fill1 = dialog.kit().controlAs<KpxColorPreview>(res::IDC_EFFECT_COLOR_FILL_2);
    ASSERT_TRUE(fill0 && fill1);
    EXPECT_EQ(fill0->colorAt(0), RGB(0, 0, 0));
    EXPECT_EQ(fill1->colorAt(0), RGB(255, 255, 255));
    EXPECT_TRUE(dialog.kit().controlAs<QRadioButton>(res::IDC_EFFECT_DITHER_NONE)->isChecked());

    COLORREF offered = 1;
    kpx::dialogs::SetColorChooser([&](QWidget*, COLORREF* colour) {
        offered = *colour;
        *colour = RGB(200, 0, 0);
        return true;
    });
    QTest::mouseClick(dialog.kit().controlAs<QPushButton>(res::IDC_EFFECT_COLOR_1), Qt::LeftButton);
    EXPECT_EQ(offered, RGB(0, 0, 0)) << "the chooser starts from the current colour";
    EXPECT_EQ(dialog.parameters().p2, static_cast<int>(RGB(200, 0, 0)));
    EXPECT_EQ(fill0->colorAt(5), RGB(200, 0, 0));
    ASSERT_TRUE(dialog.refresh().waitUntilIdle());
    // The black picture takes the colour of 0.
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(200, 0, 0)));

    kpx::dialogs::SetColorChooser([](QWidget*, COLORREF*) { return false; });
    QTest::mouseClick(dialog.kit().controlAs<QPushButton>(res::IDC_EFFECT_COLOR_2), Qt::LeftButton);
    EXPECT_EQ(dialog.parameters().p3, static_cast<int>(RGB(255, 255, 255))) << "cancelled";

    QTest::mouseClick(dialog.kit().controlAs<QRadioButton>(res::IDC_EFFECT_DITHER_FLOYD),
                      Qt::LeftButton);
    EXPECT_EQ(dialog.parameters().p1, kKpxDitherFloydSteinberg);
    saveScreenshot(&dialog, "effect-two-colours-chosen");
    dialog.reject();
}

TEST_F(EffectDialogTest, EmbossDirectionsColourAndReset) {
    const Owned image(flat(20, 20, RGB(50, 50, 50)));
    BitmapEffectDialog dialog(nullptr, image.handle, kKpxEffectEmboss, 0);
    open(dialog);
    EXPECT_TRUE(dialog.kit().controlAs<QRadioButton>(kKpxEmbossBottom)->isChecked());
    // A flat picture embosses to the chosen colour.
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(128, 128, 128)));

    QTest::mouseClick(dialog.kit().controlAs<QRadioButton>(kKpxEmbossTopLeft), Qt::LeftButton);
    EXPECT_EQ(dialog.parameters().p1, kKpxEmbossTopLeft);
    kpx::dialogs::SetColorChooser([](QWidget*, COLORREF* colour) {
        *colour = RGB(10, 20, 30);
        return true;
    });
    QTest::mouseClick(dialog.kit().controlAs<QPushButton>(res::IDC_EFFECT_EMBOSS_COLOR),
                      Qt::LeftButton);
    ASSERT_TRUE(dialog.refresh().waitUntilIdle());
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(10, 20, 30)));

    QTest::mouseClick(dialog.kit().controlAs<QPushButton>(res::IDC_EFFECT_EMBOSS_RESET),
                      Qt::LeftButton);
    EXPECT_EQ(dialog.parameters().p1, kKpxEmbossBottom);
    EXPECT_EQ(dialog.parameters().p3, 0x808080);
    EXPECT_TRUE(dialog.kit().controlAs<QRadioButton>(kKpxEmbossBottom)->isChecked());
    ASSERT_TRUE(dialog.refresh().waitUntilIdle());
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(128, 128, 128)));
    dialog.reject();
}

TEST_F(EffectDialogTest, EdgeInversionCheckBox) {
    const Owned image(flat(20, 20, RGB(50, 50, 50)));
    BitmapEffectDialog dialog(nullptr, image.handle, kKpxEffectEdges, 0);
    open(dialog);
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(0, 0, 0)));
    auto* invert = dialog.kit().controlAs<QCheckBox>(res::IDC_EFFECT_INVERT);
    QTest::mouseClick(invert, Qt::LeftButton, {}, QPoint(6, invert->height() / 2));
    EXPECT_EQ(dialog.parameters().p1, 1);
    ASSERT_TRUE(dialog.refresh().waitUntilIdle());
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(255, 255, 255)));
    dialog.reject();
}

TEST_F(EffectDialogTest, TintRampStartsFromTheTintColoursDarkestShade) {
    const Owned image(flat(20, 20, RGB(0, 0, 0)));
    BitmapEffectDialog dialog(nullptr, image.handle, kKpxEffectTint, 0);
    open(dialog);
    kpx::dialogs::SetColorChooser([](QWidget*, COLORREF* colour) {
        *colour = RGB(100, 50, 80);
        return true;
    });
    QTest::mouseClick(dialog.kit().controlAs<QPushButton>(res::IDC_EFFECT_COLOR_1), Qt::LeftButton);
    auto* ramp = dialog.kit().controlAs<KpxColorPreview>(res::IDC_EFFECT_COLOR_RAMP);
    ASSERT_NE(ramp, nullptr);
    EXPECT_EQ(ramp->colorAt(0), RGB(50, 0, 30));
    EXPECT_EQ(kpx::dialogs::rampBar(RGB(100, 50, 80), 10), RGB(70, 20, 50));
    EXPECT_EQ(kpx::dialogs::rampBar(RGB(100, 50, 80), 127), RGB(255, 254, 255));
    ASSERT_TRUE(dialog.refresh().waitUntilIdle());
    // Black becomes the ramp's first entry.
    EXPECT_EQ(centreOf(dialog.processedPreview()), rgbOf(RGB(50, 0, 30)));
    saveScreenshot(&dialog, "effect-tint-chosen");
    dialog.reject();
}

TEST_F(EffectDialogTest, ClickingAPreviewSwitchesBetweenFittedAndActualSize) {
    const Owned image(flat(10, 6, RGB(0, 0, 255)));
    BitmapEffectDialog dialog(nullptr, image.handle, kKpxEffectBrightness, 0);
    open(dialog);
    auto* source = dialog.kit().controlAs<KpxPreview>(res::IDC_EFFECT_PREVIEW_SOURCE);
    const QImage fitted = dialog.sourcePreview();
    EXPECT_TRUE(dialog.fitted());
    EXPECT_GT(countOf(fitted, rgbOf(RGB(0, 0, 255))), 1000) << "the small picture is enlarged";
    QTest::mouseClick(source, Qt::LeftButton);
    EXPECT_FALSE(dialog.fitted());
    const QImage actual = dialog.sourcePreview();
    EXPECT_EQ(actual.size(), fitted.size());
    EXPECT_EQ(countOf(actual, rgbOf(RGB(0, 0, 255))), 60);
    EXPECT_EQ(centreOf(actual), rgbOf(RGB(0, 0, 255)));
    EXPECT_EQ(actual.pixel(actual.width() / 2, actual.height() / 2 - 4) | 0xFF000000u,
              rgbOf(RGB(255, 255, 255)))
        << "a 10 x 6 picture at 1:1 leaves white around it";
    ASSERT_TRUE(dialog.refresh().waitUntilIdle());
    EXPECT_EQ(dialog.processedPreview().size(), actual.size());
    QTest::mouseClick(source, Qt::LeftButton);
    EXPECT_TRUE(dialog.fitted());
    dialog.reject();
}

TEST_F(EffectDialogTest, PreviewControlsPaintTheirPictureAndColours) {
    KpxPreview empty(QStringLiteral("Result"));
    empty.resize(40, 30);
    const QImage blank = empty.grab().toImage();
    EXPECT_EQ(blank.pixel(20, 15), empty.palette().button().color().rgb());
    EXPECT_EQ(empty.cursor().shape(), Qt::CrossCursor);

    KpxPreview orig(QStringLiteral("Orig"));
    orig.resize(40, 30);
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage green(10, 10, QImage::Format_RGB32);
    green.fill(Qt::green);
    orig.setPictures(red, green);
    const QImage shown = orig.grab().toImage();
    EXPECT_EQ(shown.pixel(20, 15), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(5, 15), qRgb(255, 255, 255));

    KpxColorPreview ramp(QStringLiteral("Ramp"));
    ramp.resize(258, 12);
    ramp.setColors(RGB(0, 10, 20), 0);
    const QImage bars = ramp.grab().toImage();
    EXPECT_EQ(ramp.cursor().shape(), Qt::ArrowCursor);
    // Inside the 1-pixel frame: 256 pixels, two a bar.
    EXPECT_EQ(bars.pixel(1, 6), rgbOf(RGB(0, 10, 20)));
    EXPECT_EQ(bars.pixel(1 + 2 * 100, 6), rgbOf(RGB(200, 210, 220)));
    EXPECT_EQ(bars.pixel(256, 6), rgbOf(RGB(254, 255, 255)));

    KpxColorPreview second(QStringLiteral("2"));
    second.resize(20, 10);
    second.setColors(RGB(1, 2, 3), RGB(40, 50, 60));
    EXPECT_EQ(second.grab().toImage().pixel(10, 5), rgbOf(RGB(40, 50, 60)));
}

} // namespace
