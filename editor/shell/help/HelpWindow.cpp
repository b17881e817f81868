#include "HelpWindow.h"

#include "HelpContexts.h"
#include "ResourceAccess.h"
#include "framework/ResourceDialog.h"
#include "resources/ResourceLibrary.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QUrl>

namespace kfm::ui {

namespace {

QPointer<HelpWindow> g_helpWindow;

std::string modulePath(HMODULE module) {
    char path[4096];
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    return length ? std::string(path, length) : std::string();
}

std::map<unsigned, std::string> readContextMap(const std::string& folder) {
    QFile file(QString::fromStdString(folder + kfm::shell::kHelpContextMap));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return kfm::shell::ParseHelpContextMap(file.readAll().toStdString());
}

// Along the main window's right edge: 700 pixels in from its right, 4 below its top, 696 wide
// and 7 less than its height.
void placeBeside(QWidget* help, const QWidget* mainWindow) {
    if (!mainWindow)
        return;
    const QRect main = mainWindow->frameGeometry();
    help->setGeometry(main.right() + 1 - 700, main.top() + 4, 696, main.height() - 7);
}

// Opens the help of the window in front when F1 is pressed outside the main window.
class HelpKeyFilter : public QObject {
public:
    explicit HelpKeyFilter(QWidget* mainWindow) : QObject(qApp), mainWindow_(mainWindow) {}
    void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !widget)
            return false;
        QWidget* window = widget->window();
        if (!mainWindow_ || window == mainWindow_ || window == g_helpWindow)
            return false;
        WinHelp(mainWindow_, HelpContextOf(widget));
        return true;
    }

private:
    QPointer<QWidget> mainWindow_;
};

} // namespace

HelpWindow::HelpWindow() : QTextBrowser(nullptr) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    // The help never keeps the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setObjectName(QStringLiteral("HelpWindow"));
    setOpenExternalLinks(true);
}

HelpWindow* HelpWindow::Instance() {
    return g_helpWindow;
}

HelpWindow* HelpWindow::ShowContext(QWidget* mainWindow, const std::string& folder,
                                    unsigned context) {
    if (!g_helpWindow) {
        g_helpWindow = new HelpWindow;
        if (mainWindow)
            QObject::connect(mainWindow, &QObject::destroyed, g_helpWindow, &QWidget::close);
    }
    const std::string page = kfm::shell::HelpPageFor(readContextMap(folder), context);
    const QString path = QString::fromStdString(folder + page);
    const QString shown = QFileInfo::exists(path)
                              ? path
                              : QString::fromStdString(folder + kfm::shell::kHelpContentsPage);
    g_helpWindow->setSource(QUrl::fromLocalFile(shown));
    g_helpWindow->setWindowTitle(g_helpWindow->documentTitle());
    placeBeside(g_helpWindow, mainWindow);
    g_helpWindow->show();
    return g_helpWindow;
}

QString HelpWindow::CurrentPage() const {
    return QFileInfo(source().toLocalFile()).fileName();
}

std::string ProgramHelpFolder() {
    return kfm::shell::HelpFolder(modulePath(nullptr), modulePath(GetResourceHandle()));
}

HelpWindow* WinHelp(QWidget* mainWindow, unsigned context) {
    return HelpWindow::ShowContext(mainWindow, ProgramHelpFolder(), context & 0xffff);
}

unsigned HelpContextOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (const auto* dialog = qobject_cast<const ResourceDialog*>(w))
            return dialog->kit().templateId();
        if (const auto* page = qobject_cast<const ResourcePage*>(w))
            return page->kit().templateId();
    }
    return kMainWindowHelpContext;
}

void InstallHelpKey(QWidget* mainWindow) {
    // One filter for the application; a new main window takes it over.
    static QPointer<HelpKeyFilter> filter;
    if (filter) {
        filter->SetMainWindow(mainWindow);
        return;
    }
    if (!qApp)
        return;
    filter = new HelpKeyFilter(mainWindow);
    qApp->installEventFilter(filter);
}

} // namespace kfm::ui
