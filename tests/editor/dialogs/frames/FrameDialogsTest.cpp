// The frame dialogs driven offscreen through their real controls over animations read from
// tests/data: what OK makes, what Cancel leaves, the registry values, the messages that keep a
// dialog open, and a screenshot of each.

#include "DocumentTestSupport.h"

#include "DlgAdjustFrames.h"
#include "DlgNewFrame.h"
#include "DlgResize.h"
#include "DlgRotate.h"
#include "DlgSizeVector.h"
#include "DlgTextSettings.h"
#include "DlgTween.h"
#include "FrameDialogRules.h"
#include "FrameInsertion.h"
#include "FrameTransparency.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "TextPreviewWnd.h"
#include "TextRender.h"
#include "ViewTestSupport.h"
#include "registry/RegistryHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gif_lib.h>

#include <cstring>
#include <vector>

namespace {

using namespace kfm::dialogs;
using kfm::test::ArtifactPath;

void showDialog(QDialog& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
}

// Types the value into the numeric field and commits it with Enter.
void typeInto(kfm::ui::DialogKit& kit, int id, int value) {
    auto* edit = kit.controlAs<kfm::ui::CNumEdit>(id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString::number(value));
    QTest::keyClick(edit, Qt::Key_Return);
}

int fieldValue(kfm::ui::DialogKit& kit, int id) {
    return kit.controlAs<kfm::ui::CNumEdit>(id)->GetValue();
}

void click(kfm::ui::DialogKit& kit, int id) {
    auto* button = kit.controlAs<QAbstractButton>(id);
    ASSERT_NE(button, nullptr) << id;
    // Check boxes and radios take clicks on their box and caption only, at the left.
    const bool boxed = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      boxed ? QPoint(6, button->height() / 2) : QPoint());
}

void screenshot(QWidget& widget, const char* name) {
    EXPECT_TRUE(widget.grab().save(ArtifactPath(name)));
}

int stored(const char* section, const char* name) {
    return ReadRegInt(section, name, -12345, 0, 0);
}

class FrameDialogTest : public DocumentFixture {
protected:
    void open(const char* relative) {
        const std::string path = kfm::test::testDataPath(relative).string();
        ASSERT_TRUE(doc->OpenDocumentFile(path.c_str())) << path;
    }
    std::vector<QString> messages;
    MessageSink recordMessages() {
        return [this](QWidget*, const QString& text) { messages.push_back(text); };
    }
};

TEST_F(FrameDialogTest, TweenOkMakesTheFramesAndStoresTheSettings) {
    open("gif/peers/im-disposals.gif");
    CDlgTween dialog(nullptr, 1, 3);
    dialog.SetMessageSink(recordMessages());
    showDialog(dialog);
    typeInto(dialog.kit(), CDlgTween::kCount, 4);
    typeInto(dialog.kit(), CDlgTween::kDelay, 12);
    screenshot(dialog, "tween-dialog.png");
    click(dialog.kit(), IDOK);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.empty());
    animation().UpdateFrameCount();
    EXPECT_EQ(animation().frameCount, 7);
    EXPECT_EQ(frameAt(1).delay, 12);
    EXPECT_EQ(frameAt(1).disposal, 3);
    EXPECT_EQ(stored("Dlgs\\Tween", "NumFrames"), 4);
    EXPECT_EQ(stored("Dlgs\\Tween", "Delay"), 12);
    EXPECT_EQ(stored("Dlgs\\Tween", "InsertFrames"), 1);
}

TEST_F(FrameDialogTest, TweenCancelStoresTheSettingsAndChangesNothing) {
    open("gif/peers/im-disposals.gif");
    CDlgTween dialog(nullptr, 1, 3);
    showDialog(dialog);
    typeInto(dialog.kit(), CDlgTween::kCount, 9);
    click(dialog.kit(), CDlgTween::kUpdateBetween);
    click(dialog.kit(), IDCANCEL);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(animation().RealFrameCount(), 3);
    EXPECT_EQ(stored("Dlgs\\Tween", "NumFrames"), 9);
    EXPECT_EQ(stored("Dlgs\\Tween", "UpdateIntermedFrames"), 1);
    EXPECT_EQ(stored("Dlgs\\Tween", "InsertFrames"), 0);
}

TEST_F(FrameDialogTest, TweenRefusalsKeepTheDialogOpenWithTheirMessage) {
    struct Case {
        const char* name;
        int first, second;
        int radio;
        UINT message;
    } cases[] = {
        {"adjacent between", 1, 2, CDlgTween::kUpdateBetween, kfm5res::IDS_TWEEN_NOTHING_BETWEEN},
        {"nothing selected", 1, 3, CDlgTween::kUpdateSelected, kfm5res::IDS_TWEEN_NOTHING_SELECTED},
        {"B before A", 3, 1, CDlgTween::kInsert, kfm5res::IDS_TWEEN_ORDER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open("gif/peers/im-disposals.gif");
        DeselectAllFrames();
        messages.clear();
        CDlgTween dialog(nullptr, c.first, c.second);
        dialog.SetMessageSink(recordMessages());
        showDialog(dialog);
        click(dialog.kit(), c.radio);
        click(dialog.kit(), IDOK);
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], kfm::ui::ResourceString(c.message));
        EXPECT_EQ(animation().RealFrameCount(), 3);
        dialog.reject();
    }
}

TEST_F(FrameDialogTest, TweenOkNeedsTheTransparencyCheck) {
    open("gif/peers/im-disposals.gif");
    CDlgTween dialog(nullptr, 1, 3);
    showDialog(dialog);
    auto* ok = dialog.kit().controlAs<QPushButton>(IDOK);
    auto* position = dialog.kit().controlAs<QCheckBox>(CDlgTween::kPosition);
    EXPECT_TRUE(ok->isEnabled());
    click(dialog.kit(), CDlgTween::kTransparency);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(position->isEnabled());
    click(dialog.kit(), CDlgTween::kTransparency);
    EXPECT_TRUE(ok->isEnabled());
}

TEST_F(FrameDialogTest, TweenHoldsStoredValuesToTheFieldRanges) {
    open("gif/peers/im-disposals.gif");
    WriteRegInt("Dlgs\\Tween", "NumFrames", 5000);
    WriteRegInt("Dlgs\\Tween", "Delay", -7);
    WriteRegInt("Dlgs\\Tween", "FramesToTween", 9);
    CDlgTween dialog(nullptr, 1, 40);
    const kfm::model::TweenRequest r = dialog.Request();
    EXPECT_EQ(r.count, 999);
    EXPECT_EQ(r.delay, 0);
    EXPECT_EQ(static_cast<int>(r.pictures), 2);
    EXPECT_EQ(r.second, 2) << "B is held to the last frame";
}

TEST_F(FrameDialogTest, VectorSizeKeepsTheDrawingsProportions) {
    CDlgSizeVector dialog(nullptr, 0, 0, 300, 200, "drawing.emf");
    showDialog(dialog);
    ASSERT_TRUE(dialog.kit().controlAs<QCheckBox>(CDlgSizeVector::kProportions)->isChecked());
    typeInto(dialog.kit(), CDlgSizeVector::kWidth, 100);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgSizeVector::kHeight), 67);
    typeInto(dialog.kit(), CDlgSizeVector::kHeight, 50);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgSizeVector::kWidth), 75);
    screenshot(dialog, "vector-size-dialog.png");
    click(dialog.kit(), IDOK);
    RECT r{};
    dialog.GetRect(r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 74);
    EXPECT_EQ(r.bottom, 49);
    EXPECT_EQ(dialog.GetAntialiasing(), 1);
    EXPECT_EQ(stored("Dlgs\\SizeVector", "Width"), 75);
    EXPECT_EQ(stored("Dlgs\\SizeVector", "Height"), 50);
}

TEST_F(FrameDialogTest, VectorSizeWithAnEmptyBoxAndCancelStoresNothing) {
    // A metafile whose box is empty: no division by zero, the sides stay within 1..9999.
    CDlgSizeVector dialog(nullptr, 10, 10, 10, 10, "empty.emf");
    showDialog(dialog);
    typeInto(dialog.kit(), CDlgSizeVector::kWidth, 9999);
    EXPECT_GE(fieldValue(dialog.kit(), CDlgSizeVector::kHeight), 1);
    EXPECT_LE(fieldValue(dialog.kit(), CDlgSizeVector::kHeight), 9999);
    click(dialog.kit(), IDCANCEL);
    EXPECT_EQ(stored("Dlgs\\SizeVector", "Width"), -12345);
}

// im-transparent.gif: one 24 x 16 frame with transparent index 1.
TEST_F(FrameDialogTest, ResizeNearestKeepsThePaletteAndIndexOthersGiveSoftAlpha) {
    struct Case {
        int radio;
        int depth;
        bool softAlpha;
    } cases[] = {{CDlgResize::kNearest, 8, false},
                 {CDlgResize::kLinear, 24, true},
                 {CDlgResize::kArea, 24, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        open("gif/peers/im-transparent.gif");
        const CObjFrame& source = frameAt(0);
        ASSERT_TRUE(kfm::model::hasTransparentIndex(source));
        const auto sourceImage = static_cast<KpxHandle>(source.GetImage());
        CDlgResize dialog(nullptr, source);
        dialog.SetMessageSink(recordMessages());
        showDialog(dialog);
        dialog.kit().controlAs<QCheckBox>(CDlgResize::kProportions)->setChecked(false);
        typeInto(dialog.kit(), CDlgResize::kWidth, 48);
        typeInto(dialog.kit(), CDlgResize::kHeight, 40);
        click(dialog.kit(), c.radio);
        click(dialog.kit(), IDOK);
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        const CObjFrame* made = dialog.GetResultFrame();
        ASSERT_NE(made, nullptr);
        const auto image = static_cast<KpxHandle>(made->GetImage());
        EXPECT_EQ(made->width, 48);
        EXPECT_EQ(made->height, 40);
        EXPECT_EQ(KPXWidth(image), 48);
        EXPECT_EQ(KPXHeight(image), 40);
        EXPECT_EQ(KPXbpp(image), c.depth);
        EXPECT_EQ(made->softAlpha != 0, c.softAlpha);
        if (c.depth == 8) {
            EXPECT_EQ(kfm::model::transparentIndex(*made), kfm::model::transparentIndex(source));
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(KPXGetColorFromPalette(image, i), KPXGetColorFromPalette(sourceImage, i));
        } else {
            EXPECT_NE(kfm::model::explicitTransparencyOf(image), 0);
        }
        EXPECT_EQ(stored("Dlgs\\Resize", "Interpolation"),
                  c.radio == CDlgResize::kNearest ? 0 : (c.radio == CDlgResize::kLinear ? 1 : 3));
        EXPECT_EQ(stored("Dlgs\\Resize", "Proportions"), 0);
        EXPECT_TRUE(messages.empty());
        // The frame in the animation is untouched.
        EXPECT_EQ(frameAt(0).width, 24);
    }
}

TEST_F(FrameDialogTest, ResizeProportionsFollowTheTypedSide) {
    CObjFrame& f = addFrame(0, 0, 100, 50, 8);
    CDlgResize dialog(nullptr, f);
    showDialog(dialog);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgResize::kHeight), 50);
    typeInto(dialog.kit(), CDlgResize::kWidth, 33);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgResize::kHeight), 17);
    EXPECT_FALSE(dialog.kit().controlAs<QCheckBox>(CDlgResize::kAntialias)->isEnabled());
    screenshot(dialog, "resize-dialog.png");
    click(dialog.kit(), IDCANCEL);
    EXPECT_EQ(dialog.GetResultFrame(), nullptr);
    EXPECT_EQ(stored("Dlgs\\Resize", "Interpolation"), -12345);
}

TEST_F(FrameDialogTest, AdjustShowsTheNewTotal) {
    CDlgAdjustFrames dialog(nullptr, 100, 4);
    showDialog(dialog);
    auto* result = dialog.kit().controlAs<QLabel>(CDlgAdjustFrames::kResult);
    EXPECT_TRUE(result->text().contains("100"));
    EXPECT_FALSE(dialog.kit().control(CDlgAdjustFrames::kPercent)->isEnabled());
    typeInto(dialog.kit(), CDlgAdjustFrames::kAmount, 5);
    EXPECT_TRUE(result->text().contains("120")) << result->text().toStdString();
    screenshot(dialog, "adjust-dialog.png");
    click(dialog.kit(), IDOK);
    EXPECT_EQ(dialog.GetMode(), 0);
    EXPECT_EQ(dialog.GetValue(), 5);
}

TEST_F(FrameDialogTest, AdjustPercentageSliderAndChangeFollowEachOther) {
    CDlgAdjustFrames dialog(nullptr, 50, 2);
    showDialog(dialog);
    click(dialog.kit(), CDlgAdjustFrames::kPercentMode);
    EXPECT_FALSE(dialog.kit().control(CDlgAdjustFrames::kAmount)->isEnabled());
    typeInto(dialog.kit(), CDlgAdjustFrames::kPercent, 33);
    auto* slider = dialog.kit().controlAs<QSlider>(CDlgAdjustFrames::kSlider);
    EXPECT_EQ(slider->value(), 33);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgAdjustFrames::kChange), 16);
    EXPECT_TRUE(dialog.ResultText().contains("66"));
    slider->setValue(-100);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgAdjustFrames::kPercent), -100);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgAdjustFrames::kChange), -50);
    typeInto(dialog.kit(), CDlgAdjustFrames::kChange, 25);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgAdjustFrames::kPercent), 50);
    EXPECT_EQ(slider->value(), 50);
    click(dialog.kit(), IDOK);
    EXPECT_EQ(dialog.GetMode(), 1);
    EXPECT_EQ(dialog.GetPercent(), 50);
}

TEST_F(FrameDialogTest, AdjustWithAZeroTotalStaysAtZeroPercent) {
    CDlgAdjustFrames dialog(nullptr, 0, 3);
    showDialog(dialog);
    click(dialog.kit(), CDlgAdjustFrames::kPercentMode);
    typeInto(dialog.kit(), CDlgAdjustFrames::kChange, 0);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgAdjustFrames::kPercent), 0);
    EXPECT_TRUE(dialog.ResultText().contains("0"));
}

TEST_F(FrameDialogTest, NewFrameKeepsTheUsersValuesAcrossSources) {
    animation().AnimationWidth = 120;
    animation().AnimationHeight = 90;
    const NewFrameValues caller{0, 33, RGB(1, 2, 3), 7, true};
    const NewFrameValues custom{30, 20, RGB(9, 9, 9), 4, false};
    CDlgNewFrame dialog(nullptr, caller, custom, CDlgNewFrame::kCaller);
    showDialog(dialog);
    // A caller width of 0 shows the animation's width.
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgNewFrame::kWidth), 120);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgNewFrame::kHeight), 33);
    EXPECT_TRUE(dialog.kit().controlAs<QCheckBox>(CDlgNewFrame::kTransparent)->isChecked());
    auto* sources = dialog.kit().controlAs<QComboBox>(CDlgNewFrame::kSource);
    sources->setCurrentIndex(CDlgNewFrame::kAnimation);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgNewFrame::kHeight), 90);
    // Going from the caller's values to the animation's size leaves the user's own alone.
    EXPECT_EQ(dialog.CustomValues().width, 30);
    EXPECT_EQ(dialog.CustomValues().height, 20);
    sources->setCurrentIndex(CDlgNewFrame::kCustom);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgNewFrame::kWidth), 30);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgNewFrame::kHeight), 20);
    EXPECT_FALSE(dialog.kit().controlAs<QCheckBox>(CDlgNewFrame::kTransparent)->isChecked());
    // Leaving the custom values keeps what was typed into them.
    typeInto(dialog.kit(), CDlgNewFrame::kWidth, 44);
    sources->setCurrentIndex(CDlgNewFrame::kAnimation);
    EXPECT_EQ(dialog.CustomValues().width, 44);
    sources->setCurrentIndex(CDlgNewFrame::kCustom);
    screenshot(dialog, "new-frame-dialog.png");
    click(dialog.kit(), IDOK);
    EXPECT_EQ(dialog.Result().width, 44);
    EXPECT_EQ(dialog.Result().height, 20);
    EXPECT_EQ(dialog.Result().index, 4);
    EXPECT_EQ(dialog.ResultSource(), CDlgNewFrame::kCustom);
}

TEST_F(FrameDialogTest, NewFrameColourComesFromThePaletteDialog) {
    const NewFrameValues caller{10, 10, RGB(0, 0, 0), 0, false};
    CDlgNewFrame dialog(nullptr, caller, caller, CDlgNewFrame::kCaller);
    std::vector<int> starts;
    dialog.SetPaletteChooser([&](QWidget*, KpxHandle image, int start) {
        starts.push_back(start);
        KPXSetColorToPalette(image, 12, RGB(200, 100, 50));
        return 12;
    });
    showDialog(dialog);
    click(dialog.kit(), CDlgNewFrame::kColour);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], 0);
    click(dialog.kit(), IDOK);
    EXPECT_EQ(dialog.Result().index, 12);
    EXPECT_EQ(dialog.Result().colour, RGB(200, 100, 50));
}

// dispose_bgnd.gif: frame 2 is 32 x 32 at (5, 10).
TEST_F(FrameDialogTest, RotateCounterClockwiseQuarterGivesMinusNinety) {
    open("gif/pillow/dispose_bgnd.gif");
    const CObjFrame& source = frameAt(1);
    CDlgRotate dialog(nullptr, 0, RECT{0, 0, 0, 0}, source);
    showDialog(dialog);
    click(dialog.kit(), CDlgRotate::kCounterClockwise);
    click(dialog.kit(), CDlgRotate::k90);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgRotate::kAngle), 90);
    screenshot(dialog, "rotate-dialog.png");
    click(dialog.kit(), IDOK);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetAngle(), -90);
    std::unique_ptr<CObjFrame> made = dialog.TakeResultFrame();
    ASSERT_NE(made, nullptr);
    ASSERT_NE(made->GetImage(), 0);
    // A quarter turn of a square picture: its top-left pixel goes to the bottom-left corner.
    const auto before = static_cast<KpxHandle>(source.GetImage());
    const auto after = static_cast<KpxHandle>(made->GetImage());
    EXPECT_EQ(KPXWidth(after), 32);
    EXPECT_EQ(pixelColour(after, 0, 31), pixelColour(before, 0, 0));
    EXPECT_EQ(pixelColour(after, 31, 31), pixelColour(before, 0, 31));
    // The frame in the animation stays as it was.
    EXPECT_EQ(frameAt(1).GetImage(), source.GetImage());
}

TEST_F(FrameDialogTest, RotateAntiAliasingOnlyWithTheBestResampling) {
    open("gif/pillow/dispose_bgnd.gif");
    CDlgRotate dialog(nullptr, 0, RECT{0, 0, 0, 0}, frameAt(1));
    showDialog(dialog);
    auto* antialias = dialog.kit().controlAs<QCheckBox>(CDlgRotate::kAntialias);
    struct Step {
        int click;
        bool antialiasEnabled;
        int code;
    } steps[] = {
        {CDlgRotate::kSmooth, false, 1},    {CDlgRotate::kBest, true, 2},
        {CDlgRotate::kAntialias, true, 18}, {CDlgRotate::kFast, false, 0},
        {CDlgRotate::kBest, true, 18},
    };
    for (const Step& s : steps) {
        click(dialog.kit(), s.click);
        EXPECT_EQ(antialias->isEnabled(), s.antialiasEnabled) << s.click;
        EXPECT_EQ(dialog.Resampling(), s.code) << s.click;
    }
    typeInto(dialog.kit(), CDlgRotate::kAngle, 30);
    // A free angle enlarges the picture to hold the turned square.
    EXPECT_GT(dialog.WorkingFrame()->width, 32);
    click(dialog.kit(), IDCANCEL);
    EXPECT_EQ(dialog.TakeResultFrame(), nullptr);
    EXPECT_EQ(frameAt(1).width, 32);
}

// The text dialog over dispose_bgnd.gif (100 x 100).
class TextDialogTest : public FrameDialogTest {
protected:
    void SetUp() override {
        FrameDialogTest::SetUp();
        open("gif/pillow/dispose_bgnd.gif");
        WriteRegString("Dlgs\\TextSettings", "lfFaceName", "Liberation Sans");
    }
    static void typeText(CDlgTextSettings& dialog, const QString& text) {
        // As typed (key clicks carry Latin letters only).
        auto* edit = dialog.kit().controlAs<QLineEdit>(CDlgTextSettings::kText);
        edit->setText(text);
        emit edit->textEdited(text);
    }
    static void typeSize(CDlgTextSettings& dialog, const QString& size) {
        auto* combo = dialog.kit().controlAs<QComboBox>(CDlgTextSettings::kSize);
        combo->lineEdit()->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), size);
        dialog.FlushSizeTimer();
    }
    static void chooseCharset(CDlgTextSettings& dialog, int charset) {
        auto* combo = dialog.kit().controlAs<QComboBox>(CDlgTextSettings::kCharset);
        const int at = combo->findData(charset);
        ASSERT_GE(at, 0) << "the face offers no character set " << charset;
        combo->setCurrentIndex(at);
    }
};

TEST_F(TextDialogTest, NewTextOverTheAnimationBuildsATextFrame) {
    RECT rect{0, 0, 100, 100};
    SelectAllFrames();
    ScopedImage background(CreatePreviewImage(0, 0, 99, 99, 0, 0, 1));
    CDlgTextSettings dialog(nullptr, background.get(), rect, CDlgTextSettings::kNew, nullptr);
    dialog.SetMessageSink(recordMessages());
    showDialog(dialog);
    typeText(dialog, "Hello");
    typeSize(dialog, "36");
    EXPECT_GT(dialog.TextWidth(), 40);
    EXPECT_TRUE(dialog.InfoText().contains(QString::number(dialog.TextWidth())));
    screenshot(dialog, "text-dialog.png");
    click(dialog.kit(), IDOK);
    ASSERT_EQ(dialog.result(), QDialog::Accepted)
        << (messages.empty() ? "" : messages[0].toStdString());
    std::unique_ptr<CObjFrame> made = dialog.TakeTextFrame();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->hasText, 1);
    EXPECT_EQ(made->text.text.value_or(""), "Hello");
    EXPECT_EQ(made->text.font.lfHeight, 36);
    EXPECT_STREQ(made->text.font.lfFaceName, "Liberation Sans");
    EXPECT_EQ(made->delay, 10);
    EXPECT_EQ(made->selected, 1);
    EXPECT_EQ(made->current, 1);
    ASSERT_NE(made->GetImage(), 0);
    EXPECT_EQ(made->width, dialog.TextWidth());
    EXPECT_EQ(stored("Dlgs\\TextSettings", "lfHeight"), 36);
}

TEST_F(TextDialogTest, TypedSizesAreHeldToTheList) {
    CDlgTextSettings dialog(nullptr, 0, RECT{0, 0, 0, 0}, CDlgTextSettings::kNew, nullptr);
    showDialog(dialog);
    auto* combo = dialog.kit().controlAs<QComboBox>(CDlgTextSettings::kSize);
    ASSERT_EQ(combo->count(), 34);
    EXPECT_EQ(combo->findText("34"), 17);
    EXPECT_EQ(combo->itemText(12), "24");
    struct Case {
        const char* typed;
        int index;
        int height;
    } cases[] = {{"5", 0, 8}, {"200", 33, 134}, {"34", 17, 34}};
    for (const Case& c : cases) {
        typeSize(dialog, c.typed);
        EXPECT_EQ(combo->currentIndex(), c.index) << c.typed;
        EXPECT_EQ(dialog.Holder().m_LogFont.lfHeight, c.height) << c.typed;
    }
}

TEST_F(TextDialogTest, AtLeastOnePixelOfTheTextStaysOnTheCanvas) {
    for (const bool elastic : {false, true}) {
        SCOPED_TRACE(elastic);
        animation().AnimationStateElasticSize = elastic;
        CDlgTextSettings dialog(nullptr, 0, RECT{0, 0, 0, 0}, CDlgTextSettings::kNew, nullptr);
        showDialog(dialog);
        ASSERT_GT(dialog.TextWidth(), 1);
        int minimum = 0, maximum = 0;
        dialog.kit()
            .controlAs<kfm::ui::CNumEdit>(CDlgTextSettings::kLeft)
            ->GetRange(&minimum, &maximum);
        const int allowed = elastic ? 0 : 1 - dialog.TextWidth();
        EXPECT_EQ(minimum, allowed);
        EXPECT_EQ(maximum, 99);
        typeInto(dialog.kit(), CDlgTextSettings::kLeft, -dialog.TextWidth());
        EXPECT_EQ(fieldValue(dialog.kit(), CDlgTextSettings::kLeft), allowed);
        dialog.reject();
    }
}

TEST_F(TextDialogTest, CancelAndEditWriteNothing) {
    {
        CDlgTextSettings dialog(nullptr, 0, RECT{0, 0, 0, 0}, CDlgTextSettings::kNew, nullptr);
        showDialog(dialog);
        typeSize(dialog, "52");
        click(dialog.kit(), IDCANCEL);
        EXPECT_EQ(dialog.GetTextFrame(), nullptr);
    }
    EXPECT_EQ(stored("Dlgs\\TextSettings", "lfHeight"), -12345);
    // A text frame edited: OK replaces it but stores no settings.
    TextObjectRecord record;
    record.color = RGB(0, 0, 200);
    record.font.lfHeight = 30;
    record.font.lfWeight = 400;
    std::strncpy(record.font.lfFaceName, "Liberation Sans", sizeof record.font.lfFaceName - 1);
    record.text = std::string("Edit me");
    FrameInfo info{};
    info.textObject = &record;
    const short image = CreateTextImage(&info);
    ASSERT_NE(image, 0);
    CObjFrame edited(static_cast<std::uint16_t>(image), info.width, info.height, 7, 9, 33, 2, 0u,
                     "name", "", &record, nullptr, nullptr, nullptr, 0);
    edited.marked = 1;
    CDlgTextSettings dialog(nullptr, 0, RECT{0, 0, 0, 0}, CDlgTextSettings::kEdit, &edited);
    showDialog(dialog);
    EXPECT_EQ(dialog.kit().controlAs<QLineEdit>(CDlgTextSettings::kText)->text(), "Edit me");
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgTextSettings::kLeft), 7);
    typeText(dialog, "Edited");
    click(dialog.kit(), IDOK);
    ASSERT_NE(dialog.GetTextFrame(), nullptr);
    EXPECT_EQ(dialog.GetTextFrame()->text.text.value_or(""), "Edited");
    EXPECT_EQ(dialog.GetTextFrame()->delay, 33);
    EXPECT_EQ(dialog.GetTextFrame()->marked, 1);
    EXPECT_EQ(dialog.GetTextFrame()->name, "name");
    EXPECT_EQ(stored("Dlgs\\TextSettings", "lfHeight"), -12345);
}

TEST_F(TextDialogTest, BadRecordsOpenAndRefuseOkWithAMessage) {
    struct Case {
        const char* name;
        const char* text;
        int height;
        const char* face;
        double matrix[4];
    } cases[] = {
        {"empty text", "", 30, "Liberation Sans", {1, 0, 0, 1}},
        {"missing face", "abc", 30, "No Such Face 123", {1, 0, 0, 1}},
        {"zero height", "abc", 0, "Liberation Sans", {1, 0, 0, 1}},
        {"huge height", "abc", 100000, "Liberation Sans", {1, 0, 0, 1}},
        {"singular matrix", "abc", 30, "Liberation Sans", {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        TextObjectRecord record;
        record.font.lfHeight = c.height;
        std::strncpy(record.font.lfFaceName, c.face, sizeof record.font.lfFaceName - 1);
        record.text = std::string(c.text);
        std::copy(std::begin(c.matrix), std::end(c.matrix), std::begin(record.matrix));
        CObjFrame edited(static_cast<std::uint16_t>(KPXCreateImage(4, 4, 8)), 4, 4, 0, 0, 10, 1, 0u,
                         "", "", &record, nullptr, nullptr, nullptr, 0);
        CDlgTextSettings dialog(nullptr, 0, RECT{0, 0, 0, 0}, CDlgTextSettings::kEdit, &edited);
        dialog.SetMessageSink(recordMessages());
        showDialog(dialog);
        click(dialog.kit(), IDOK);
        if (dialog.result() == QDialog::Accepted) {
            // Only what the dialog could draw is accepted.
            ASSERT_NE(dialog.GetTextFrame(), nullptr);
            EXPECT_NE(dialog.GetTextFrame()->GetImage(), 0);
        } else {
            EXPECT_TRUE(dialog.isVisible());
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(dialog.GetTextFrame(), nullptr);
            dialog.reject();
        }
    }
}

TEST_F(TextDialogTest, ACharacterTheSetLacksIsReportedAndTheRightSetStoresItsCodePage) {
    CDlgTextSettings dialog(nullptr, 0, RECT{0, 0, 0, 0}, CDlgTextSettings::kNew, nullptr);
    dialog.SetMessageSink(recordMessages());
    showDialog(dialog);
    chooseCharset(dialog, 0);
    typeText(dialog, QString::fromUtf8("Мир"));
    click(dialog.kit(), IDOK);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QString::fromUtf8("М")));
    chooseCharset(dialog, 204);
    click(dialog.kit(), IDOK);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_NE(dialog.GetTextFrame(), nullptr);
    // Windows-1251: М = 0xCC, и = 0xE8, р = 0xF0.
    EXPECT_EQ(dialog.GetTextFrame()->text.text.value_or(""), std::string("\xCC\xE8\xF0"));
    EXPECT_EQ(dialog.GetTextFrame()->text.font.lfCharSet, 204);
    EXPECT_EQ(DecodeText("\xCC\xE8\xF0", 204), QString::fromUtf8("Мир"));
}

TEST_F(TextDialogTest, MovingTheTextInThePreviewSetsThePosition) {
    CDlgTextSettings dialog(nullptr, 0, RECT{0, 0, 0, 0}, CDlgTextSettings::kNew, nullptr);
    showDialog(dialog);
    emit dialog.Preview()->moved(true, 12, 20);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgTextSettings::kLeft), 12);
    EXPECT_EQ(fieldValue(dialog.kit(), CDlgTextSettings::kTop), 20);
    click(dialog.kit(), IDOK);
    ASSERT_NE(dialog.GetTextFrame(), nullptr);
    EXPECT_EQ(dialog.GetTextFrame()->left, 12);
    EXPECT_EQ(dialog.GetTextFrame()->top, 20);
}

TEST_F(TextDialogTest, ATextFrameSurvivesASaveAndReadsInGiflib) {
    CDlgTextSettings dialog(nullptr, 0, RECT{0, 0, 0, 0}, CDlgTextSettings::kNew, nullptr);
    showDialog(dialog);
    typeText(dialog, "Saved");
    click(dialog.kit(), IDOK);
    std::unique_ptr<CObjFrame> made = dialog.TakeTextFrame();
    ASSERT_NE(made, nullptr);
    const TextObjectRecord record = made->text;
    const int width = made->width;
    const int height = made->height;
    ClearCurrentFlags();
    SetCurrentFrame(4);
    FrameList incoming;
    incoming.push_back(*made);
    ASSERT_EQ(InsertFramesAfterCurrent(incoming), 1);
    const std::string path = files.file("text.gif");
    ASSERT_TRUE(doc->OnSaveDocument(path.c_str()));
    ASSERT_TRUE(doc->OpenDocumentFile(path.c_str()));
    ASSERT_EQ(animation().RealFrameCount(), 6);
    const CObjFrame& back = frameAt(5);
    ASSERT_EQ(back.hasText, 1);
    EXPECT_EQ(back.text.text, record.text);
    EXPECT_EQ(back.text.font.lfHeight, record.font.lfHeight);
    EXPECT_STREQ(back.text.font.lfFaceName, record.font.lfFaceName);
    EXPECT_EQ(back.text.color, record.color);
    EXPECT_EQ(back.width, width);
    EXPECT_EQ(back.height, height);
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->ImageCount, 6);
    DGifCloseFile(gif, &error);
}

} // namespace
