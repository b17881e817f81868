#include "ShiverEscape.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

namespace kfm::shiver {

namespace {

bool isUserInput(const QEvent& event) {
    switch (event.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    case QEvent::Close:
        // The window system's close button; the program's own closes are not spontaneous.
        return event.spontaneous();
    default:
        return false;
    }
}

} // namespace

CShiverEscape::CShiverEscape(std::atomic<bool>& cancel) : cancel_(cancel) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

CShiverEscape::~CShiverEscape() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void CShiverEscape::Pump() {
    if (!QCoreApplication::instance())
        return;
    pumping_ = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    pumping_ = false;
}

bool CShiverEscape::eventFilter(QObject* watched, QEvent* event) {
    if (!pumping_ || !isUserInput(*event))
        return false;
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        cancel_.store(true);
    if (event->type() == QEvent::Close)
        event->ignore();
    return true;
}

} // namespace kfm::shiver
