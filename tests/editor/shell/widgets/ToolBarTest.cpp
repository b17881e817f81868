// The flat toolbars: the emboss of disabled pictures, the colours' rule, custom drawing by the
// owner, repaints of changed buttons only, hot tracking and the right-click menu of the main
// window's bars.

#include "EditorTestSupport.h"

#include "CommandRouter.h"
#include "Kfm5ResourceIds.h"
#include "about/SplashWnd.h"
#include "toolbars/ToolBarEx.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using namespace kfm::ui;

QString artifact(const char* name) {
    return QString::fromStdString(kfm::test::ArtifactsFolder() + "/" + name);
}

bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 2000 && !condition(); ++i)
        QTest::qWait(10);
    return condition();
}

QIcon squareIcon(const QColor& colour) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(3, 3, 10, 10, colour);
    return QIcon(QPixmap::fromImage(image));
}

TEST(ToolBarEmboss, MarksPixelsThatAreNeitherFaceNorHighlight) {
    const QColor face(192, 192, 192), highlight(255, 255, 255), shadow(128, 128, 128);
    QImage picture(3, 2, QImage::Format_ARGB32);
    picture.fill(face);
    picture.setPixel(0, 0, qRgb(0, 0, 0));     // marked
    picture.setPixel(1, 0, highlight.rgb());   // not marked
    picture.setPixel(2, 1, qRgb(200, 10, 10)); // marked
    picture.setPixel(1, 1, qRgba(0, 0, 0, 0)); // transparent: not marked
    const QImage embossed = CToolBarEx::EmbossDisabled(picture, face, highlight, shadow);
    ASSERT_EQ(embossed.size(), QSize(4, 3));
    // Expected: shadow at the marked places, highlight one right and down where no shadow lies.
    const QRgb none = 0;
    const QRgb S = shadow.rgb(), H = highlight.rgb();
    const QRgb expected[3][4] = {{S, none, none, none}, {none, H, S, none}, {none, none, none, H}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const QRgb got = embossed.pixel(x, y);
            if (expected[y][x] == none)
                EXPECT_EQ(qAlpha(got), 0) << x << "," << y;
            else
                EXPECT_EQ(got | 0xFF000000u, expected[y][x] | 0xFF000000u) << x << "," << y;
        }
}

TEST(ToolBarColoursRule, CheckedButtonsUseTheHighlightWhenLightEqualsFace) {
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(200, 200, 200));
    palette.setColor(QPalette::Light, QColor(255, 255, 255));
    palette.setColor(QPalette::Dark, QColor(100, 100, 100));
    palette.setColor(QPalette::Midlight, QColor(220, 220, 220));
    EXPECT_EQ(CToolBarEx::ColoursFrom(palette).light, QColor(220, 220, 220));
    palette.setColor(QPalette::Midlight, QColor(200, 200, 200));
    const ToolBarColours colours = CToolBarEx::ColoursFrom(palette);
    EXPECT_EQ(colours.light, QColor(255, 255, 255));
    EXPECT_EQ(colours.face, QColor(200, 200, 200));
    EXPECT_EQ(colours.shadow, QColor(100, 100, 100));
}

// A bar of four commands (one checked, one disabled) and a separator, with the owner's
// notifications counted.
class FlatBarTest : public ::testing::Test {
protected:
    static constexpr UINT kPlain = 30001, kChecked = 30002, kDisabled = 30003, kSkipped = 30004;

    void SetUp() override {
        window.resize(300, 60);
        auto* rows = new QVBoxLayout(&window);
        bar = new CToolBarEx(QStringLiteral("Test"), &window, 59999);
        rows->addWidget(bar);
        rows->addStretch();
        for (const UINT id : {kPlain, kChecked, kDisabled}) {
            QAction* action = router.Action(id);
            action->setIcon(squareIcon(id == kDisabled ? Qt::black : Qt::blue));
            bar->addAction(action);
        }
        bar->addSeparator();
        router.Action(kSkipped)->setIcon(squareIcon(Qt::red));
        bar->addAction(router.Action(kSkipped));
        router.Action(kChecked)->setCheckable(true);
        // The commands' states come from their update handlers, as in the main window.
        for (const UINT id : {kPlain, kChecked, kDisabled, kSkipped})
            router.Route(
                id, [](UINT) {},
                [this](CmdUI& ui) {
                    ui.Enable(enabled.count(ui.id) > 0);
                    ui.SetCheck(ui.id == kChecked);
                });
        router.UpdateAll();
        bar->SetCustomDrawHandler([this](ToolBarCustomDraw& draw) -> LRESULT {
            stages.push_back(draw.drawStage);
            if (draw.drawStage == CDDS_PREPAINT)
                return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
            if (draw.drawStage == CDDS_ITEMPREPAINT) {
                ++painted[draw.itemSpec];
                states[draw.itemSpec] = draw.itemState;
                return draw.itemSpec == kSkipped ? CDRF_SKIPDEFAULT : CDRF_DODEFAULT;
            }
            return CDRF_DODEFAULT;
        });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(20);
    }

    QRect buttonRect(UINT id) { return bar->widgetForAction(router.Action(id))->geometry(); }

    std::set<UINT> enabled{kPlain, kChecked, kSkipped};
    QWidget window;
    CommandRouter router;
    CToolBarEx* bar = nullptr;
    std::vector<DWORD> stages;
    std::map<UINT, int> painted;
    std::map<UINT, UINT> states;
};

TEST_F(FlatBarTest, TheOwnerIsToldEachStageAndCanDrawAButtonItself) {
    stages.clear();
    const QImage shot = bar->grab().toImage();
    shot.save(artifact("toolbar-flat.png"));
    ASSERT_FALSE(stages.empty());
    EXPECT_EQ(stages.front(), CDDS_PREPAINT);
    EXPECT_EQ(stages.back(), CDDS_POSTPAINT);
    EXPECT_EQ(states[kPlain], 0u);
    EXPECT_EQ(states[kChecked], CDIS_CHECKED);
    EXPECT_EQ(states[kDisabled], CDIS_DISABLED);

    // The skipped button shows nothing of the bar's drawing: its place keeps the plain face.
    const QRect skipped = buttonRect(kSkipped);
    const QColor face = bar->Colours().face;
    for (int y = skipped.top(); y <= skipped.bottom(); ++y)
        for (int x = skipped.left(); x <= skipped.right(); ++x)
            ASSERT_EQ(shot.pixelColor(x, y).rgb(), face.rgb()) << x << "," << y;
    // A drawn button shows its picture; the checked one sits on the light colour.
    const QRect plain = buttonRect(kPlain);
    EXPECT_EQ(shot.pixelColor(plain.center()).rgb(), QColor(Qt::blue).rgb());
    const QRect checked = buttonRect(kChecked);
    EXPECT_EQ(shot.pixelColor(checked.left() + 2, checked.top() + 2).rgb(),
              bar->Colours().light.rgb());
}

TEST_F(FlatBarTest, AnUpdateThatChangesNothingRepaintsNothing) {
    QApplication::processEvents();
    painted.clear();
    bar->OnUpdateCmdUI([this] { router.UpdateAll(); });
    QTest::qWait(50);
    EXPECT_TRUE(painted.empty());

    enabled.erase(kPlain);
    bar->OnUpdateCmdUI([this] { router.UpdateAll(); });
    EXPECT_TRUE(waitFor([this] { return painted.count(kPlain) > 0; }));
    EXPECT_EQ(painted.count(kChecked), 0u) << "only the changed button repaints";
    EXPECT_EQ(painted.count(kSkipped), 0u);
}

TEST_F(FlatBarTest, TheHotButtonRisesAndClearsAfterThePointerLeaves) {
    QWidget* button = bar->widgetForAction(router.Action(kPlain));
    QCursor::setPos(button->mapToGlobal(button->rect().center()));
    QTest::mouseMove(button, button->rect().center());
    ASSERT_TRUE(waitFor([this] { return bar->HotButton() == 0; }));
    EXPECT_TRUE(bar->HotTimerActive());
    const QImage hot = bar->grab().toImage();
    const QRect r = buttonRect(kPlain);
    EXPECT_EQ(hot.pixelColor(r.topLeft()).rgb(), bar->Colours().highlight.rgb()) << "a raised edge";
    hot.save(artifact("toolbar-hot.png"));

    // A disabled button does not become hot.
    QWidget* disabled = bar->widgetForAction(router.Action(kDisabled));
    QTest::mouseMove(disabled, disabled->rect().center());
    EXPECT_TRUE(waitFor([this] { return bar->HotButton() == -1; }));

    QTest::mouseMove(button, button->rect().center());
    ASSERT_TRUE(waitFor([this] { return bar->HotButton() == 0; }));
    QCursor::setPos(bar->mapToGlobal(QPoint(0, 0)) + QPoint(500, 500));
    EXPECT_TRUE(waitFor([this] { return bar->HotButton() == -1; }))
        << "the timer sees the pointer outside the bar";
    EXPECT_FALSE(bar->HotTimerActive());
    EXPECT_EQ(CToolBarEx::kHotTimerMilliseconds, 250);
}

TEST_F(FlatBarTest, ColoursFollowAPaletteChange) {
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Button, QColor(10, 20, 30));
    palette.setColor(QPalette::Midlight, QColor(10, 20, 30));
    palette.setColor(QPalette::Light, QColor(40, 50, 60));
    bar->setPalette(palette);
    EXPECT_EQ(bar->Colours().face, QColor(10, 20, 30));
    EXPECT_EQ(bar->Colours().light, QColor(40, 50, 60));
    const QImage shot = bar->grab().toImage();
    const QRect checked = buttonRect(kChecked);
    EXPECT_EQ(shot.pixelColor(checked.left() + 2, checked.top() + 2).rgb(),
              QColor(40, 50, 60).rgb());
}

TEST(MainToolBars, AreFlatWithTheToggleMenuOnARightClick) {
    kfm::test::EditorFixture editor;
    ASSERT_TRUE(editor.Start());
    CSplashWnd::HideSplashScreen();
    editor.ShowAt(900, 600);
    auto* bar = qobject_cast<CMainToolBar*>(editor.Frame().ToolBar(CMainFrame::Standard));
    ASSERT_NE(bar, nullptr);
    for (int i = 0; i < CMainFrame::BarCount; ++i)
        EXPECT_NE(
            qobject_cast<CMainToolBar*>(editor.Frame().ToolBar(static_cast<CMainFrame::Bar>(i))),
            nullptr);
    editor.Frame().grab().save(artifact("main-toolbars.png"));

    std::set<UINT> ids;
    QTimer::singleShot(50, [&] {
        if (QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                if (!action->isSeparator())
                    ids.insert(CommandRouter::IdOf(action));
            menu->grab().save(artifact("toolbar-menu.png"));
            menu->close();
        }
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), bar->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(bar, &click);
    EXPECT_EQ(ids,
              (std::set<UINT>{kfm5res::ID_VIEW_TOOLBAR_STANDARD, kfm5res::ID_VIEW_TOOLBAR_ANIMATION,
                              kfm5res::ID_VIEW_TOOLBAR_FRAMES, kfm5res::ID_VIEW_STATUS_BAR}));
    EXPECT_TRUE(editor.Action(kfm5res::ID_VIEW_TOOLBAR_STANDARD)->isChecked());
}

} // namespace
