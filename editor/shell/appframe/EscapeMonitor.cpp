#include "EscapeMonitor.h"

#include "MessageTarget.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <memory>

namespace kfm::ui {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
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
        return true;
    default:
        return false;
    }
}

} // namespace

EscapeMonitor::EscapeMonitor() {
    QCoreApplication::instance()->installEventFilter(this);
}

EscapeMonitor::~EscapeMonitor() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    for (const HeldMessage& m : held_)
        delete m.event;
}

bool EscapeMonitor::Poll() {
    if (polling_) {
        const bool seen = escapeSeen_;
        escapeSeen_ = false;
        return seen;
    }
    constexpr qint64 kPollIntervalMs = 15;
    if (lastPoll_.isValid() && lastPoll_.elapsed() < kPollIntervalMs)
        return false;
    lastPoll_.start();
    polling_ = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    polling_ = false;
    // Held messages go back into the queue in their order, to run after the operation.
    std::vector<HeldMessage> held;
    held.swap(held_);
    for (const HeldMessage& m : held)
        QCoreApplication::postEvent(m.receiver, m.event);
    const bool seen = escapeSeen_;
    escapeSeen_ = false;
    return seen;
}

bool EscapeMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (!polling_)
        return false;
    if (event->type() == PostedMessageEvent::eventType()) {
        const auto* m = static_cast<PostedMessageEvent*>(event);
        held_.push_back({watched, new PostedMessageEvent(m->message, m->wParam, m->lParam)});
        return true;
    }
    // Shortcuts reach their actions, which are no widgets: they are dropped wherever they go.
    const bool shortcut = event->type() == QEvent::Shortcut;
    if (!isUserInput(event->type()) || (!shortcut && !watched->isWidgetType()))
        return false;
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        escapeSeen_ = true;
    return true;
}

EscapeMonitor& TheEscapeMonitor() {
    static EscapeMonitor monitor;
    return monitor;
}

} // namespace kfm::ui
