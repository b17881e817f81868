#pragma once
// A small HTTP server on 127.0.0.1 for the update check's tests: it answers every request with
// the bytes it is given (in pieces when asked), or says nothing at all, and keeps the request
// lines it saw. Also a window that records the commands posted to it.

#include "MessageTarget.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <vector>

namespace kfm::test {

class UpdateTestServer : public QObject {
public:
    UpdateTestServer();
    quint16 port() const { return server_.serverPort(); }

    // The bytes of the next answers (status line, headers, body).
    void answer(QByteArray response, int pieces = 1) {
        response_ = std::move(response);
        pieces_ = pieces;
        silent_ = false;
    }
    // Accepts and never answers.
    void stayQuiet() { silent_ = true; }
    // The first line of every request seen.
    const QList<QByteArray>& requestLines() const { return requestLines_; }
    const QByteArray& lastRequest() const { return lastRequest_; }

    // A whole response: status, the body, with or without Content-Length (then the connection's
    // end marks the body's end).
    static QByteArray response(const QByteArray& body, int status = 200,
                               bool withContentLength = true);

private:
    void onConnection();

    QTcpServer server_;
    QByteArray response_;
    int pieces_ = 1;
    bool silent_ = false;
    QList<QByteArray> requestLines_;
    QByteArray lastRequest_;
};

// A window that takes posted commands.
class CommandRecorder : public QObject, public kfm::ui::MessageTarget {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_COMMAND)
            commands.push_back(static_cast<UINT>(wParam));
        return 0;
    }
    bool event(QEvent* event) override {
        return kfm::ui::DispatchPostedMessage(event, *this) || QObject::event(event);
    }
    std::vector<UINT> commands;
};

} // namespace kfm::test
