// The system-control dialog offscreen: how it opens in both modes, the type list and the sizes
// each type keeps, the position ranges, OK with its capture and the edge-lock question, the frame
// it makes or remakes, and records from files holding values outside every table.

#include "SysControlTestSupport.h"
#include "ViewTestSupport.h"

#include "AnimationData.h"
#include "DlgSysControl.h"
#include "FrameObject.h"
#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "PaletteRender.h"
#include "ShellServices.h"
#include "SysControlPages.h"
#include "SysControlRecord.h"
#include "SysControlTypes.h"
#include "UndoHistory.h"
#include "gdi/SystemLook.h"
#include "registry/RegistryHelpers.h"

#include "TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kfm::syscontrols;
namespace w = word;
using kfm::ui::CNumEdit;

constexpr std::uint32_t kTransparent = kKpxTransparencyIndexFlag;

UtcClock fixedClock() {
    return [] { return UtcDateTime{kfm::test::kClockYear, 2, 29, 13, 14, 15}; };
}

// A control frame as the dialog made it: its record, and a picture of the record's size.
std::unique_ptr<CObjFrame> controlFrame(const ControlObjectRecord& record, int width, int height) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    KPXFillImageByIndexColor(image, 3);
    auto frame = std::make_unique<CObjFrame>(image, width, height, 7, 9, 35, 2, 0, "Name",
                                             "Comment", nullptr, &record, nullptr, nullptr, 0);
    return frame;
}

class DlgSysControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        kfm::test::UseEnglishLocale();
        CAnimationData& animation = CreateProgramAnimation();
        animation.AnimationWidth = kfm::test::kAnimationWidth;
        animation.AnimationHeight = kfm::test::kAnimationHeight;
        animation.AnimationStateElasticSize = 0;
        setShellServices(&shell);
    }
    void TearDown() override {
        dialog.reset();
        setShellServices(nullptr);
        DestroyProgramAnimation();
    }

    CDlgSysControl& open(int mode = CDlgSysControl::kInsert, CObjFrame* edited = nullptr) {
        dialog =
            std::make_unique<CDlgSysControl>(nullptr, mode, edited, 0, 0, 0, 0, 0, fixedClock());
        dialog->show();
        QApplication::processEvents();
        return *dialog;
    }
    QComboBox* typeList() { return dialog->kit().controlAs<QComboBox>(CDlgSysControl::kTypeList); }
    CNumEdit* field(int id) { return dialog->kit().controlAs<CNumEdit>(id); }
    void chooseRow(int row) {
        typeList()->setCurrentIndex(row);
        dialog->OnSelChangeType();
    }
    // Types a value into a numeric field and commits it with Enter.
    void type(int id, const QString& value) {
        CNumEdit* edit = field(id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, value);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    SysControlSettings settings() {
        SysControlSettings s;
        dialog->Preview()->GetSettings(s);
        return s;
    }
    void screenshot(const char* name) { dialog->grab().save(kfm::test::ArtifactPath(name)); }

    kfm::test::ScopedRegistry registry;
    kfm::test::AnsweringShell shell;
    std::unique_ptr<CDlgSysControl> dialog;
};

TEST_F(DlgSysControlTest, AFreshRegistryOpensOnTheDialogType) {
    open();
    EXPECT_EQ(typeList()->count(), 19);
    EXPECT_EQ(typeList()->currentIndex(), 0);
    EXPECT_EQ(dialog->Preview()->GetType(), Dialog);
    EXPECT_EQ(settings()[w::Width], kfm::test::kAnimationWidth);
    EXPECT_EQ(settings()[w::Height], kfm::test::kAnimationHeight);
    EXPECT_NE(dialog->Page(0), nullptr) << "the shown type's page is made";
    EXPECT_EQ(dialog->Page(5), nullptr) << "other pages wait until they are shown";
    EXPECT_EQ(dialog->windowTitle(), dialog->kit().text(kfm5res::IDS_SYSCONTROL_NEW_CAPTION));
    EXPECT_TRUE(
        dialog->kit().controlAs<QAbstractButton>(CDlgSysControl::kControlView)->isChecked());
    screenshot("syscontrol_dialog_insert.png");
}

TEST_F(DlgSysControlTest, Row13IsTheSpinAndNoRowIsTheIPAddress) {
    open();
    chooseRow(13);
    EXPECT_EQ(dialog->TypeFromComboIndex(), Spin);
    EXPECT_EQ(dialog->Preview()->GetType(), Spin);
    EXPECT_EQ(settings()[w::Width], 16);
    EXPECT_EQ(settings()[w::Height], 23);
    for (int row = 0; row < typeList()->count(); ++row)
        EXPECT_NE(kfm::syscontrols::TypeFromComboIndex(row), IPAddress);
    // Returning to a page already shown finds the same page.
    CSysControlPage* spinPage = dialog->Page(13);
    chooseRow(0);
    chooseRow(13);
    EXPECT_EQ(dialog->Page(13), spinPage);
}

TEST_F(DlgSysControlTest, LeftZeroWithWidth50IsInsideTheRange) {
    open();
    chooseRow(3); // push button
    type(CDlgSysControl::kWidth, "50");
    EXPECT_EQ(settings()[w::Width], 50);
    int minimum = 0;
    int maximum = 0;
    field(CDlgSysControl::kLeft)->GetRange(&minimum, &maximum);
    EXPECT_EQ(minimum, -49);
    EXPECT_EQ(maximum, kfm::test::kAnimationWidth - 1);
    type(CDlgSysControl::kLeft, "0");
    EXPECT_EQ(settings()[w::Left], 0);
    type(CDlgSysControl::kLeft, "-60");
    EXPECT_EQ(settings()[w::Left], -49) << "the field holds the value to its range";
    type(CDlgSysControl::kWidth, "20000");
    EXPECT_LE(settings()[w::Width], 9999);
}

TEST_F(DlgSysControlTest, ACheckBoxKeepsItsSizeAcrossAnotherType) {
    open();
    chooseRow(5); // check box
    type(CDlgSysControl::kWidth, "77");
    type(CDlgSysControl::kHeight, "21");
    chooseRow(6); // static text
    EXPECT_EQ(dialog->Preview()->GetType(), StaticText);
    chooseRow(5);
    EXPECT_EQ(settings()[w::Width], 77);
    EXPECT_EQ(settings()[w::Height], 21);
    EXPECT_EQ(settings()[w::HBWidth], 77);
}

TEST_F(DlgSysControlTest, InsertMakesANewFrameOfDelay10AndSavesTheSettings) {
    open();
    chooseRow(3);
    dialog->kit().controlAs<CNumEdit>(CDlgSysControl::kText)->setText("Press");
    type(CDlgSysControl::kLeft, "5");
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const CObjFrame* frame = dialog->GetNewFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->delay, 10);
    EXPECT_EQ(frame->left, 5);
    EXPECT_TRUE(frame->hasControl);
    EXPECT_EQ(frame->control.type, static_cast<std::uint32_t>(PushButton));
    EXPECT_EQ(frame->control.text.value_or(""), "Press");
    EXPECT_EQ(KPXbpp(static_cast<KpxHandle>(frame->GetImage())), 8);
    EXPECT_EQ(frame->width, settings()[w::Width]);
    EXPECT_EQ(ReadRegInt(kSysControlSection, "scType", 0, 0, 0), PushButton);
}

TEST_F(DlgSysControlTest, ACancelledEdgeLockQuestionKeepsTheDialogOpen) {
    g_pAnimationData->AnimationStateLockLeft = 1;
    shell.answer = IDCANCEL;
    open();
    chooseRow(3);
    type(CDlgSysControl::kLeft, "-10");
    dialog->accept();
    EXPECT_EQ(shell.asked.size(), 1u);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->GetNewFrame(), nullptr);
    EXPECT_EQ(settings()[w::Left], -10) << "every value stays";
    EXPECT_EQ(ReadRegInt(kSysControlSection, "scType", -1, 0, 0), -1) << "nothing is saved";
    EXPECT_EQ(g_pAnimationData->AnimationStateLockLeft, 1);
}

TEST_F(DlgSysControlTest, AFailedCaptureSaysSoKeepsTheDialogAndSavesNothing) {
    open();
    chooseRow(6); // static text
    type(CDlgSysControl::kWidth, "9999");
    type(CDlgSysControl::kHeight, "9999");
    dialog->accept();
    ASSERT_EQ(shell.asked.size(), 1u);
    EXPECT_EQ(shell.asked[0], "text " + std::to_string(kfm5res::IDS_SC_CAPTURE_FAILED));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->GetNewFrame(), nullptr);
    EXPECT_EQ(ReadRegInt(kSysControlSection, "scType", -1, 0, 0), -1);
}

TEST_F(DlgSysControlTest, EditingTheSameTypeKeepsTheFramesValues) {
    SysControlSettings s = kfm::test::ControlSettings(ListBox, 90, 60);
    s[w::LBCurSel] = 2;
    s[w::LBSort] = 0;
    const ControlObjectRecord record = SettingsToRecord(s, "one\n\ntwo\n\nthree");
    auto edited = controlFrame(record, 90, 56);
    open(CDlgSysControl::kEdit, edited.get());
    EXPECT_EQ(dialog->windowTitle(), dialog->kit().text(kfm5res::IDS_SYSCONTROL_EDIT_CAPTION));
    EXPECT_EQ(typeList()->currentIndex(), 8);
    EXPECT_EQ(field(CDlgSysControl::kText)->text(), "three") << "the text field shows item 3";
    EXPECT_EQ(settings()[w::Left], 7);
    EXPECT_EQ(settings()[w::Top], 9);
    screenshot("syscontrol_dialog_edit_listbox.png");
    dialog->accept();
    const CObjFrame* frame = dialog->GetNewFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->delay, 35);
    EXPECT_EQ(frame->disposal, 2);
    EXPECT_EQ(frame->name, "Name");
    EXPECT_EQ(frame->comment, "Comment");
    EXPECT_EQ(frame->control.text.value_or(""), "one\n\ntwo\n\nthree");
    EXPECT_EQ(frame->control.values[1], 2);

    // Another type starts afresh with delay 10.
    auto again = controlFrame(record, 90, 56);
    open(CDlgSysControl::kEdit, again.get());
    chooseRow(3);
    dialog->accept();
    ASSERT_NE(dialog->GetNewFrame(), nullptr);
    EXPECT_EQ(dialog->GetNewFrame()->delay, 10);
    EXPECT_EQ(dialog->GetNewFrame()->name, "");
}

// Opening on a scroll bar or slider keeps the stored position: no live control holds one yet.
TEST_F(DlgSysControlTest, EditingAScrollBarOrSliderKeepsItsPosition) {
    for (const auto& [type, word] : {std::pair{int{HScrollBar}, int{w::SBHScrollPos}},
                                     std::pair{int{VScrollBar}, int{w::SBVScrollPos}},
                                     std::pair{int{Slider}, int{w::SLPos}}}) {
        SCOPED_TRACE(type);
        SysControlSettings s = kfm::test::ControlSettings(type, 100, 100);
        s[w::SBHMaxScrollPos] = 40;
        s[w::SBVMaxScrollPos] = 40;
        s[word] = 9;
        auto edited = controlFrame(SettingsToRecord(s, {}), 100, 100);
        open(CDlgSysControl::kEdit, edited.get());
        EXPECT_EQ(settings()[word], 9);
        dialog->accept();
        ASSERT_NE(dialog->GetNewFrame(), nullptr);
        SysControlSettings reread = kfm::test::ControlSettings(type, 100, 100);
        RecordToSettings(reread, dialog->GetNewFrame()->control, 100, 100);
        EXPECT_EQ(reread[word], 9);
    }
}

TEST_F(DlgSysControlTest, AnEditedFrameKeepsItsTransparentColourNotItsIndexNumber) {
    SysControlSettings s = kfm::test::ControlSettings(PushButton, 75, 23);
    s.Text = "OK";
    const ControlObjectRecord record = SettingsToRecord(s, {});
    auto edited = controlFrame(record, 75, 23);
    const auto oldImage = static_cast<KpxHandle>(edited->GetImage());
    // The old picture's transparent entry 77 holds the face colour.
    KPXSetColorToPalette(oldImage, 77, GetSysColor(COLOR_3DFACE));
    KPXFillDIBColorTable(oldImage);
    edited->transparency = kTransparent | 77;
    open(CDlgSysControl::kEdit, edited.get());
    dialog->accept();
    const CObjFrame* frame = dialog->GetNewFrame();
    ASSERT_NE(frame, nullptr);
    const auto image = static_cast<KpxHandle>(frame->GetImage());
    ASSERT_TRUE(frame->transparency & kTransparent);
    const int index = static_cast<int>(frame->transparency & 0xFF);
    EXPECT_EQ(KPXGetColorFromPalette(image, index), GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(GetImageTransparentIndex(image), index);

    // A colour the new picture lacks leaves it opaque.
    KPXSetColorToPalette(oldImage, 77, RGB(0, 255, 1));
    KPXFillDIBColorTable(oldImage);
    open(CDlgSysControl::kEdit, edited.get());
    dialog->accept();
    ASSERT_NE(dialog->GetNewFrame(), nullptr);
    EXPECT_EQ(dialog->GetNewFrame()->transparency, 0u);
}

TEST_F(DlgSysControlTest, ItemsTooLongForARecordAreRefusedWithAMessage) {
    open();
    chooseRow(8); // list box
    CNumEdit* text = field(CDlgSysControl::kText);
    text->setText(QString(200, QLatin1Char('a')));
    dialog->OnAddItem();
    EXPECT_EQ(dialog->Preview()->GetItemCount(), 1);
    text->setText(QString(60, QLatin1Char('b')));
    dialog->OnAddItem();
    EXPECT_EQ(dialog->Preview()->GetItemCount(), 1);
    ASSERT_EQ(shell.asked.size(), 1u);
    EXPECT_EQ(shell.asked[0], "text " + std::to_string(kfm5res::IDS_SC_ITEM_TOO_LONG));
    text->setText("");
    dialog->OnAddItem();
    EXPECT_EQ(dialog->Preview()->GetItemCount(), 1) << "an empty text adds no item";
    EXPECT_EQ(text->maxLength(), 255);
}

TEST_F(DlgSysControlTest, TheGeneralStyleBoxesRebuildTheControl) {
    open();
    chooseRow(3);
    auto* disabled = dialog->kit().controlAs<QCheckBox>(CDlgSysControl::kDisabled);
    QTest::mouseClick(disabled, Qt::LeftButton, {}, QPoint(6, disabled->height() / 2));
    EXPECT_EQ(settings()[w::GeneralDisabled], 1);
    EXPECT_FALSE(dialog->Preview()->GetControlWindow()->isEnabled());
    chooseRow(1); // message box
    EXPECT_FALSE(dialog->kit().control(CDlgSysControl::kStaticEdge)->isEnabled());
    EXPECT_TRUE(dialog->kit().control(CDlgSysControl::kClientEdge)->isEnabled());
}

TEST_F(DlgSysControlTest, PlacementViewShowsTheCaptureAndFollowsTheDrag) {
    open();
    chooseRow(3);
    dialog->OnPlacementView();
    CSysControlWnd* preview = dialog->Preview();
    EXPECT_EQ(preview->GetTool(), CSysControlWnd::kToolMove);
    EXPECT_NE(preview->GetCapturedImage(), 0);
    screenshot("syscontrol_dialog_placement.png");
    // The preview reports a finished move to 12, 14.
    dialog->OnPreviewMoved(1, (14 << 16) | 12);
    EXPECT_EQ(settings()[w::Left], 12);
    EXPECT_EQ(settings()[w::Top], 14);
    EXPECT_EQ(field(CDlgSysControl::kLeft)->GetValue(), 12);
    dialog->OnControlView();
    EXPECT_EQ(preview->GetTool(), CSysControlWnd::kToolControl);
    EXPECT_EQ(preview->GetCapturedImage(), 0);
}

// Records a file may carry: every index word outside its table, impossible dates, no texts.
TEST_F(DlgSysControlTest, HostileRecordsOpenAndCapture) {
    struct Hostile {
        const char* name;
        std::uint32_t type;
        std::uint32_t style;
        std::vector<std::int32_t> values;
        bool texts;
        int row; // the row the dialog opens on
    };
    const std::vector<Hostile> records = {
        {"type 0", 0, 0xFFFFFFFF, {}, true, 0},
        {"type 17", IPAddress, 0x7F000001, {}, true, 0},
        {"type 21", 21, 0, {}, true, 0},
        {"type 2^31", 0x80000000u, 0, {}, false, 0},
        {"list selection beyond", ListBox, 0, {40, 99}, true, 8},
        {"combo selection and kind beyond", ComboBox, 0xFF, {-5, 9, 99}, true, 9},
        {"tab numbers beyond", Tab, 0xFF, {7, 50, 60, -70}, true, 16},
        {"icon beyond", Icon, 7, {4000}, false, 2},
        {"message box beyond", MessageBox, 9, {77, 5}, false, 1},
        {"impossible date", DateTime, 2, {5, 2003, 2, 29, 25, 61, 99}, true, 17},
        {"calendar month 0", MonthCalendar, 15, {2000, 0, 1, 2000, 13, 40}, true, 18},
        {"slider range below selection", Slider, 0xF, {3, 7, 900, 50, -1, 80, 70}, true, 15},
        {"scroll bar negative", HScrollBar, 0xFFFFFF00, {-3, -8}, true, 11},
    };
    for (const Hostile& h : records) {
        SCOPED_TRACE(h.name);
        ControlObjectRecord record;
        record.type = h.type;
        record.styleBits = h.style;
        for (std::size_t i = 0; i < h.values.size(); ++i)
            record.values[i] = h.values[i];
        if (h.texts) {
            record.text = "one\n\ntwo";
            record.caption = "caption";
        }
        auto edited = controlFrame(record, 60, 30);
        open(CDlgSysControl::kEdit, edited.get());
        EXPECT_EQ(typeList()->currentIndex(), h.row);
        EXPECT_TRUE(IsListedType(settings()[w::Type]));
        dialog->accept();
        EXPECT_NE(dialog->GetNewFrame(), nullptr);
    }
}

} // namespace
