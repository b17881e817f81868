// Pictures of the main window for reviewers (not compared): empty, and with a GIF open.

#include "EditorTestSupport.h"

#include "GIFAnimDoc.h"

#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(Screenshots, MainWindowEmptyAndWithAGifOpen) {
    kfm::test::EditorFixture editor;
    ASSERT_TRUE(editor.Start());
    kfm::ui::CMainFrame& frame = editor.Frame();
    frame.showNormal();
    frame.setGeometry(20, 20, 760, 420);
    editor.Idle();
    const std::string folder = kfm::test::ArtifactsFolder();
    const QString empty = QString::fromStdString(folder + "/main-window-empty.png");
    ASSERT_TRUE(frame.grab().save(empty));

    const std::string gif = kfm::test::testDataPath("gif/pillow/dispose_bgnd.gif").string();
    ASSERT_TRUE(editor.App().OpenDocumentFile(gif));
    editor.Idle();
    const QString open = QString::fromStdString(folder + "/main-window-gif-open.png");
    const QPixmap picture = frame.grab();
    ASSERT_TRUE(picture.save(open));
    EXPECT_EQ(picture.size(), frame.size());
}

} // namespace
