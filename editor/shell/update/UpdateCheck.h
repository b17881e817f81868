#pragma once
// The update check: asks the update server for "version.txt" over HTTP, directly or through a
// proxy, on the user-interface thread (Qt's network access does not block it), keeps the reply
// in a temporary "kfm" file named in "UpdateInfo" "LastFileName" while it is compared, and then
// posts WM_COMMAND with the caller's command id to the caller's window. Cancelling aborts the
// request, beeps and posts nothing.
//
// A reply counts only when it is complete, has status 200, carries the product's signature and
// is at most kLargestReply bytes long; anything else is no reply (kNoReply).

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>

#include "VersionInfo.h"
#include "types/Win32Types.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace kfm::update {

// Longer replies are refused.
constexpr qint64 kLargestReply = 64 * 1024;
// The agent text the request names.
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 4.01; Windows NT)";

// Where the check asks, and how long it waits for data before it gives up. The base URL is an
// HTTP folder whose host begins with "www"; tests point it at a server of their own.
struct UpdateServer {
    std::string baseUrl = "http://www.keldo-software.com/kfm/";
    int transferTimeoutMs = 10000;
};
UpdateServer& TheUpdateServer();

// The network library is part of the program: always 1.
int LoadWinInet();
void FreeWinInet();

class UpdateCheck : public QObject {
    Q_OBJECT
public:
    // window receives WM_COMMAND commandId (posted) once the outcome is known; it must also be
    // the MessageTarget that handles it. useNoProxy 0 sends the request through the proxy
    // "server:port" (port 80 when none is given).
    UpdateCheck(QObject* window, UINT commandId, std::string abbreviation, int useNoProxy,
                std::string proxyText);
    ~UpdateCheck() override;

    // Sends the request. False when no request could be made (the outcome is posted anyway).
    bool Start();
    // Aborts a running check: beeps, deletes the temporary file and posts nothing.
    void Cancel();
    bool Running() const;
    // Valid once the command was posted.
    const VersionOutcome& Outcome() const { return outcome_; }
    // The temporary file the reply goes to (empty before Start and after the check).
    const QString& TemporaryFile() const { return temporaryFile_; }

    // The beep of a cancelled check (the desktop's beep unless replaced).
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }

private:
    void onReadyRead();
    void onFinished();
    void finishWith(VersionOutcome outcome);
    void removeTemporaryFile();
    bool configureProxy();

    QPointer<QObject> window_;
    UINT commandId_;
    std::string abbreviation_;
    int useNoProxy_;
    std::string proxyText_;
    std::unique_ptr<QNetworkAccessManager> network_;
    QPointer<QNetworkReply> reply_;
    QByteArray body_;
    bool tooLong_ = false;
    bool done_ = false;
    QString temporaryFile_;
    VersionOutcome outcome_;
    std::function<void()> beep_;
};

// Makes the check and starts it; the caller owns it (and cancels it by Cancel or by deleting it,
// which posts nothing either).
std::unique_ptr<UpdateCheck> StartUpdateCheck(QObject* window, UINT commandId,
                                              const std::string& abbreviation, int useNoProxy,
                                              const std::string& proxyText);

} // namespace kfm::update
