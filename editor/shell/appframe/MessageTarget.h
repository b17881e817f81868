#pragma once
// Private window messages: a window that takes them implements one handler of (message,
// wParam, lParam). Sending is a direct call; posting queues an event that the window hands to
// the same handler when the event loop gets to it. The numbers stay the program's own
// (WM_COMMAND with a command id, WM_USER + n).

#include <QEvent>
#include <QObject>

#include "types/Win32Types.h"

namespace kfm::ui {

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// The queued form of a message.
class PostedMessageEvent : public QEvent {
public:
    PostedMessageEvent(UINT message, WPARAM wParam, LPARAM lParam);
    static QEvent::Type eventType();

    const UINT message;
    const WPARAM wParam;
    const LPARAM lParam;
};

LRESULT SendMessageTo(MessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message for receiver, which must also be the MessageTarget that handles it.
void PostMessageTo(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam);
// Hands a posted message to its target; false for every other event.
bool DispatchPostedMessage(QEvent* event, MessageTarget& target);

} // namespace kfm::ui
