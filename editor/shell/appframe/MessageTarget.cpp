#include "MessageTarget.h"

#include <QCoreApplication>

namespace kfm::ui {

PostedMessageEvent::PostedMessageEvent(UINT m, WPARAM w, LPARAM l)
    : QEvent(eventType()), message(m), wParam(w), lParam(l) {}

QEvent::Type PostedMessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

LRESULT SendMessageTo(MessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam) {
    return target ? target->WindowProc(message, wParam, lParam) : 0;
}

void PostMessageTo(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam) {
    if (receiver)
        QCoreApplication::postEvent(receiver, new PostedMessageEvent(message, wParam, lParam));
}

bool DispatchPostedMessage(QEvent* event, MessageTarget& target) {
    if (event->type() != PostedMessageEvent::eventType())
        return false;
    const auto* posted = static_cast<PostedMessageEvent*>(event);
    target.WindowProc(posted->message, posted->wParam, posted->lParam);
    return true;
}

} // namespace kfm::ui
