// The numeric edit and its up-down buddy driven offscreen with real key presses and focus.

#include "NumEdit.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <vector>

namespace {

using kfm::test::WaitFor;
using kfm::ui::CNumEdit;
using kfm::ui::CUpDown;

// A dialog-like parent that takes messages, with the field and a second field to move to.
class Page : public QWidget, public kfm::ui::MessageTarget {
public:
    Page() {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(edit);
        layout->addWidget(other);
        QObject::connect(edit, &CNumEdit::committed, [this](CNumEdit*) { ++signalled; });
        show();
        QApplication::setActiveWindow(this);
        edit->setFocus();
        QApplication::processEvents();
    }
    LRESULT WindowProc(UINT message, WPARAM, LPARAM lParam) override {
        if (message == CNumEdit::WM_NUMEDIT_CHANGED)
            senders.push_back(lParam);
        return 0;
    }
    void leaveField() {
        other->setFocus();
        QApplication::processEvents();
    }

    CNumEdit* edit = new CNumEdit(this);
    QLineEdit* other = new QLineEdit(this);
    std::vector<LPARAM> senders;
    int signalled = 0;
};

TEST(NumEdit, EnterClampsSelectsAndTellsTheParentOnce) {
    Page page;
    page.edit->SetRange(0, 100);
    QTest::keyClicks(page.edit, "250");
    EXPECT_TRUE(page.senders.empty());
    QTest::keyClick(page.edit, Qt::Key_Return);
    EXPECT_EQ(page.edit->text(), "100");
    EXPECT_EQ(page.edit->selectedText(), "100");
    ASSERT_EQ(page.senders.size(), 1u);
    EXPECT_EQ(page.senders[0], reinterpret_cast<LPARAM>(page.edit));
    EXPECT_EQ(page.signalled, 1);
    EXPECT_EQ(page.edit->GetValue(), 100);
    // Enter again without a change still commits.
    QTest::keyClick(page.edit, Qt::Key_Return);
    EXPECT_EQ(page.senders.size(), 2u);
}

TEST(NumEdit, LeavingTheFieldCommitsOnlyAChange) {
    Page page;
    page.leaveField();
    page.edit->SetValue(7); // filled while another field has the focus, as dialogs do
    page.edit->setFocus();
    QApplication::processEvents();
    page.leaveField();
    EXPECT_TRUE(page.senders.empty());
    page.edit->setFocus();
    QApplication::processEvents();
    QTest::keyClick(page.edit, Qt::Key_End);
    QTest::keyClicks(page.edit, "3");
    page.leaveField();
    EXPECT_EQ(page.senders.size(), 1u);
    EXPECT_EQ(page.edit->GetValue(), 73);
}

// A window that closes (or goes) takes the focus from a changed field: the field commits nothing
// to a parent that may be half destroyed.
TEST(NumEdit, ClosingTheWindowCommitsNothing) {
    Page page;
    QTest::keyClicks(page.edit, "12");
    page.close();
    QApplication::processEvents();
    EXPECT_TRUE(page.senders.empty());
    EXPECT_EQ(page.signalled, 0);
}

TEST(NumEdit, AutoApplyCommitsOnceASecondAfterTheLastKey) {
    Page page;
    page.edit->SetAutoApply(true);
    QElapsedTimer sinceFirstKey;
    sinceFirstKey.start();
    QTest::keyClicks(page.edit, "1");
    QTest::qWait(600);
    QTest::keyClicks(page.edit, "23");
    ASSERT_TRUE(WaitFor([&] { return !page.senders.empty(); }));
    // The wait restarts with every key: not a second after the first key, but after the last.
    EXPECT_GE(sinceFirstKey.elapsed(), 1590);
    QTest::qWait(100);
    EXPECT_EQ(page.senders.size(), 1u);
    EXPECT_EQ(page.edit->GetValue(), 123);
}

TEST(NumEdit, UpDownStepsItsBuddyWithinTheRange) {
    Page page;
    CUpDown upDown(&page);
    upDown.SetBuddy(page.edit);
    upDown.SetRange32(0, 3);
    upDown.SetPos(2);
    EXPECT_EQ(page.edit->text(), "2");
    QTest::mouseClick(upDown.UpButton(), Qt::LeftButton);
    QTest::mouseClick(upDown.UpButton(), Qt::LeftButton);
    EXPECT_EQ(page.edit->text(), "3");
    EXPECT_EQ(upDown.GetPos(), 3);
    // The position follows what is typed into the buddy, held to the range.
    page.edit->setText("-40");
    EXPECT_EQ(upDown.GetPos(), 0);
    QTest::mouseClick(upDown.DownButton(), Qt::LeftButton);
    EXPECT_EQ(page.edit->text(), "0");
    // A reversed range steps the other way.
    upDown.SetRange32(10, 0);
    upDown.SetPos(5);
    upDown.StepBy(1);
    EXPECT_EQ(upDown.GetPos(), 4);
}

} // namespace
