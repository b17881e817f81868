// The link control driven offscreen: its colours by style and state, the style masks, opening by
// click, press and Space through a replaced opener, the failure message and its sizing.

#include "HyperLink.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "ShellServices.h"
#include "ViewTestSupport.h"
#include "shell/Desktop.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace kfm::ui;

// Remembers the message boxes asked (their texts) and answers OK.
class MessageShell : public ShellServices {
public:
    std::string loadString(UINT id) override { return ResourceText(id); }
    int messageBox(const std::string& text, UINT flags) override {
        texts.push_back(text);
        this->flags.push_back(flags);
        return IDOK;
    }
    bool hasMainWindow() override { return false; }
    LRESULT sendToMainWindow(UINT, WPARAM, LPARAM) override { return 0; }
    bool escapePressed() override { return false; }
    void setWaitCursor(bool) override {}
    bool hasActiveDocument() override { return false; }
    void setDocumentModified(bool) override {}
    void refreshStripView() override {}
    void redrawViews(int, int) override {}
    void updateAnimationPage() override {}
    void updateOptimizeState() override {}

    std::vector<std::string> texts;
    std::vector<UINT> flags;
};

// Replaces the desktop's opener, the beep and the message boxes for one test.
class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        kfm::shell::setUrlOpener([this](const std::string& url) {
            opened.push_back(url);
            return openerWorks;
        });
        kfm::shell::setBeepHandler([this](UINT kind) { beeps.push_back(kind); });
        setShellServices(&shell);
    }
    void TearDown() override {
        setShellServices(nullptr);
        kfm::shell::setUrlOpener({});
        kfm::shell::setBeepHandler({});
    }

    bool openerWorks = true;
    std::vector<std::string> opened;
    std::vector<UINT> beeps;
    MessageShell shell;
};

TEST(HyperLinkColours, StyleAndStateChooseTheColour) {
    using L = CHyperLink;
    struct Case {
        DWORD style;
        bool hot, armed, visited;
        COLORREF colour;
    };
    const Case cases[] = {
        {L::DefaultStyle, false, false, false, L::NormalColour},
        {L::DefaultStyle, false, false, true, L::VisitedColour},
        {L::DefaultStyle, false, true, true, L::ArmedColour},
        {L::DefaultStyle, true, false, false, L::NormalColour}, // no hover colour without style 2
        {L::DefaultStyle | L::StyleHoverColour, true, true, true, L::HoverColour},
        {L::DefaultStyle | L::StyleHoverColour, false, true, false, L::ArmedColour},
        {L::DefaultStyle | L::StyleNoArmedColour, false, true, true, L::VisitedColour},
        {L::DefaultStyle | L::StyleNoArmedColour, false, true, false, L::NormalColour},
    };
    for (const Case& c : cases)
        EXPECT_EQ(L::ColourFor(c.style, c.hot, c.armed, c.visited), c.colour)
            << "style " << c.style << " hot " << c.hot << " armed " << c.armed << " visited "
            << c.visited;
    EXPECT_EQ(L::NormalColour, RGB(0, 0, 255));
    EXPECT_EQ(L::HoverColour, RGB(255, 0, 0));
}

TEST(HyperLinkStyle, OverlappingMasksChangeNothing) {
    CHyperLink link(QStringLiteral("Web"));
    EXPECT_EQ(link.GetLinkStyle(), 21u);
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);

    EXPECT_EQ(link.SetLinkStyle(CHyperLink::StyleUnderline | 2, CHyperLink::StyleUnderline), 0);
    EXPECT_EQ(link.GetLinkStyle(), 21u);

    EXPECT_EQ(link.SetLinkStyle(CHyperLink::StyleUnderline, CHyperLink::StyleNoHandCursor), 1);
    EXPECT_EQ(link.GetLinkStyle(), 20u | CHyperLink::StyleNoHandCursor);
    EXPECT_FALSE(link.font().underline()) << "the font follows the underline bit";
    EXPECT_NE(link.cursor().shape(), Qt::PointingHandCursor);
}

TEST(HyperLinkGeometry, TheWindowFitsItsTextByAlignment) {
    const QRect window(10, 20, 104, 44); // a border of 2 pixels each side
    const QSize client(100, 40);
    const QSize text(30, 12);
    struct Case {
        Qt::Alignment alignment;
        QRect expected;
    };
    const Case cases[] = {
        {Qt::AlignLeft | Qt::AlignTop, QRect(10, 20, 34, 16)},
        {Qt::AlignRight | Qt::AlignTop, QRect(80, 20, 34, 16)},
        {Qt::AlignHCenter | Qt::AlignTop, QRect(45, 20, 34, 16)},
        {Qt::AlignLeft | Qt::AlignVCenter, QRect(10, 34, 34, 16)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CHyperLink::RectForText(window, client, text, c.alignment), c.expected)
            << static_cast<int>(c.alignment);

    QWidget parent;
    parent.resize(300, 100);
    CHyperLink link(QStringLiteral("A link to size"), &parent);
    link.setGeometry(5, 5, 250, 60);
    link.SetUrl(QStringLiteral("https://www.keldo.example/"));
    EXPECT_EQ(link.size(), QFontMetrics(link.font()).size(Qt::TextSingleLine, link.text()));
    EXPECT_EQ(link.pos(), QPoint(5, 5));
    EXPECT_EQ(link.toolTip(), QStringLiteral("https://www.keldo.example/"));
}

TEST_F(HyperLinkTest, AClickOpensTheUrlOnRelease) {
    QWidget parent;
    CHyperLink link(QStringLiteral("Our web page"), &parent);
    link.SetUrl(QStringLiteral("https://www.keldo.example/"));
    parent.show();
    QApplication::setActiveWindow(&parent);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(opened.empty()) << "a press alone opens nothing without style 8";
    EXPECT_TRUE(link.IsArmed());
    EXPECT_TRUE(link.hasFocus()) << "style 16 takes the focus on a click";
    EXPECT_EQ(link.CurrentColour(), CHyperLink::ArmedColour);
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_EQ(opened, std::vector<std::string>{"https://www.keldo.example/"});
    EXPECT_TRUE(link.IsVisited());
    EXPECT_TRUE(beeps.empty());
    EXPECT_TRUE(shell.texts.empty());

    link.clearFocus();
    EXPECT_FALSE(link.IsArmed());
    EXPECT_EQ(link.CurrentColour(), CHyperLink::VisitedColour);
}

TEST_F(HyperLinkTest, WithStyle8ThePressOpensAndTheReleaseDoesNothingMore) {
    QWidget parent;
    CHyperLink link(QStringLiteral("Press me"), &parent);
    parent.show();
    ASSERT_EQ(link.SetLinkStyle(0, CHyperLink::StyleOpenOnPress), 1);
    QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(opened.size(), 1u);
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front(), "Press me") << "a link without a URL opens its text";
}

TEST_F(HyperLinkTest, SpaceOpensTheFocusedLink) {
    QWidget parent;
    auto* layout = new QHBoxLayout(&parent);
    auto* link = new CHyperLink(QStringLiteral("Keys"));
    layout->addWidget(link);
    link->SetUrl(QStringLiteral("https://www.keldo.example/keys"));
    parent.show();
    QApplication::setActiveWindow(&parent);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    link->setFocus();
    QTest::keyClick(link, Qt::Key_A);
    EXPECT_TRUE(opened.empty());
    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_EQ(opened, std::vector<std::string>{"https://www.keldo.example/keys"});
}

TEST_F(HyperLinkTest, AFailingOpenerBeepsSaysSoAndLeavesTheLinkUnvisited) {
    openerWorks = false;
    QWidget parent;
    CHyperLink link(QStringLiteral("Nowhere"), &parent);
    parent.show();
    link.OpenLink(true);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(beeps, std::vector<UINT>{MB_ICONEXCLAMATION});
    ASSERT_EQ(shell.texts.size(), 1u);
    EXPECT_EQ(shell.texts.front(), ResourceText(kfm5res::IDS_LINK_OPEN_FAILED));
    EXPECT_FALSE(shell.texts.front().empty());
    EXPECT_EQ(shell.flags.front(), MB_ICONEXCLAMATION_);
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(link.CurrentColour(), CHyperLink::NormalColour);
}

TEST_F(HyperLinkTest, ThePointerMakesItHotWithTheHoverColour) {
    QWidget parent;
    parent.resize(200, 60);
    CHyperLink link(QStringLiteral("Hover"), &parent);
    link.move(10, 10);
    ASSERT_EQ(link.SetLinkStyle(0, CHyperLink::StyleHoverColour), 1);
    parent.show();
    QTest::mouseMove(&link, QPoint(2, 2));
    EXPECT_TRUE(kfm::test::WaitFor([&] { return link.IsHot(); }));
    EXPECT_EQ(link.CurrentColour(), CHyperLink::HoverColour);
    QTest::mouseMove(&parent, QPoint(150, 50));
    EXPECT_TRUE(kfm::test::WaitFor([&] { return !link.IsHot(); }));
    QPixmap shot = parent.grab();
    shot.save(kfm::test::ArtifactPath("hyperlink.png"));
}

} // namespace
