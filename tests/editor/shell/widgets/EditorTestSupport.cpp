#include "EditorTestSupport.h"

#include "WidgetApplication.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace kfm::test {

namespace {

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new WidgetApplication);

} // namespace

EditorFixture::EmptyDesktop::EmptyDesktop(const std::string& folder) {
    std::filesystem::create_directories(folder);
    // The user's data folder stays: the install switches' tests choose it themselves.
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS", "BROWSER"}) {
        saved_.emplace_back(name, qgetenv(name));
        qputenv(name, QByteArray::fromStdString(folder));
    }
    qunsetenv("BROWSER");
}

EditorFixture::EmptyDesktop::~EmptyDesktop() {
    for (const auto& [name, value] : saved_) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
}

EditorFixture::EditorFixture() : app_(std::make_unique<CFlimmerApp>()) {}

EditorFixture::~EditorFixture() {
    Stop();
}

bool EditorFixture::Start(const std::vector<std::string>& arguments) {
    stopped_ = false;
    const bool started = app_->InitInstance(arguments);
    if (started) {
        // The tests read the desktop's choices as the start-up leaves them.
        Frame().WaitForDesktopTools();
        QApplication::setActiveWindow(&Frame());
        Idle();
    }
    return started;
}

void EditorFixture::Stop() {
    if (stopped_)
        return;
    stopped_ = true;
    if (app_->MainFrame() && app_->MainFrame()->isVisible())
        app_->MainFrame()->close();
    app_->ExitInstance();
    app_.reset();
    QApplication::processEvents();
}

bool EditorFixture::Restart(const std::vector<std::string>& arguments) {
    Stop();
    app_ = std::make_unique<CFlimmerApp>();
    return Start(arguments);
}

void EditorFixture::ShowAt(int width, int height) {
    Frame().showNormal();
    Frame().setGeometry(20, 20, width, height);
    Idle();
}

void EditorFixture::Idle() {
    Frame().Router().RequestIdleUpdate();
    QTest::qWait(5);
    QApplication::processEvents();
}

void EditorFixture::Keys(const QKeySequence& keys) {
    // Shortcuts reach the active window; offscreen, closing a dialog activates none.
    QApplication::setActiveWindow(&Frame());
    QTest::keySequence(&Frame(), keys);
    Idle();
}

namespace {

QAction* findAction(const QList<QAction*>& actions, const QString& text) {
    for (QAction* action : actions)
        if (action->isVisible() && action->text().remove('&') == text)
            return action;
    return nullptr;
}

} // namespace

bool ClickMenu(kfm::ui::CMainFrame& frame, const QStringList& path) {
    QMenuBar* bar = frame.menuBar();
    QAction* action = findAction(bar->actions(), path.front());
    if (!action)
        return false;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action).center());
    for (qsizetype i = 1; i < path.size(); ++i) {
        QMenu* menu = action->menu();
        if (!menu || !QTest::qWaitFor([menu] { return menu->isVisible(); }, kHangMilliseconds))
            return false;
        action = findAction(menu->actions(), path[i]);
        if (!action)
            return false;
        QTest::mouseMove(menu, menu->actionGeometry(action).center());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    QApplication::processEvents();
    return true;
}

void AnswerNextDialog(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, answer] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog && ++*waited < kHangMilliseconds / 20)
            return;
        timer->stop();
        timer->deleteLater();
        if (!dialog) {
            ADD_FAILURE() << "no dialog came";
            return;
        }
        answer(dialog);
    });
    timer->start();
}

void AnswerFileDialog(const QString& path) {
    AnswerNextDialog([path](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        if (!files) {
            ADD_FAILURE() << "not a file dialog";
            dialog->close();
            return;
        }
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        if (!name) {
            ADD_FAILURE() << "no name field";
            files->reject();
            return;
        }
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    });
}

void AnswerMessageBox(const QString& buttonText, std::function<void(const QMessageBox&)> check) {
    AnswerNextDialog([buttonText, check](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (!box) {
            ADD_FAILURE() << "not a message box";
            dialog->close();
            return;
        }
        if (check)
            check(*box);
        for (QAbstractButton* button : box->buttons())
            if (button->text().remove('&') == buttonText) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        ADD_FAILURE() << "no button " << buttonText.toStdString();
        box->reject();
    });
}

std::string ArtifactsFolder() {
    std::filesystem::create_directories(KFM_TEST_ARTIFACTS_DIR);
    return KFM_TEST_ARTIFACTS_DIR;
}

} // namespace kfm::test
