#include "UpdateCheck.h"

#include "MessageTarget.h"
#include "TempFileName.h"
#include "registry/RegistryHelpers.h"

#include <QApplication>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace kfm::update {

namespace {

constexpr const char* kUpdateInfo = "UpdateInfo";
constexpr const char* kReplyName = "version.txt";
constexpr quint16 kDefaultProxyPort = 80;
constexpr int kHttpOk = 200;

} // namespace

UpdateServer& TheUpdateServer() {
    static UpdateServer server;
    return server;
}

int LoadWinInet() {
    return 1;
}

void FreeWinInet() {}

UpdateCheck::UpdateCheck(QObject* window, UINT commandId, std::string abbreviation, int useNoProxy,
                         std::string proxyText)
    : window_(window), commandId_(commandId), abbreviation_(std::move(abbreviation)),
      useNoProxy_(useNoProxy), proxyText_(std::move(proxyText)),
      network_(std::make_unique<QNetworkAccessManager>()), beep_([] { QApplication::beep(); }) {}

UpdateCheck::~UpdateCheck() {
    done_ = true;
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        delete reply_;
    }
    removeTemporaryFile();
}

bool UpdateCheck::Running() const {
    return !done_ && reply_;
}

bool UpdateCheck::configureProxy() {
    if (useNoProxy_) {
        network_->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        return true;
    }
    const QString text = QString::fromStdString(proxyText_).trimmed();
    const qsizetype colon = text.lastIndexOf(':');
    const QString host = (colon < 0 ? text : text.left(colon)).trimmed();
    if (host.isEmpty())
        return false;
    bool portOk = false;
    const uint port = colon < 0 ? 0 : text.mid(colon + 1).trimmed().toUInt(&portOk);
    const quint16 chosen =
        portOk && port > 0 && port <= 65535 ? static_cast<quint16>(port) : kDefaultProxyPort;
    network_->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, host, chosen));
    return true;
}

bool UpdateCheck::Start() {
    temporaryFile_ = QString::fromStdString(kfm::shell::MakeTemporaryFile("kfm"));
    const QUrl url(QString::fromStdString(TheUpdateServer().baseUrl + kReplyName));
    if (!url.isValid() || !configureProxy()) {
        // The outcome still reaches the window, as a failed request's does.
        QTimer::singleShot(0, this, [this] { finishWith({}); });
        return false;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(kUserAgent));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(TheUpdateServer().transferTimeoutMs);
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &UpdateCheck::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &UpdateCheck::onFinished);
    return true;
}

void UpdateCheck::onReadyRead() {
    if (!reply_ || tooLong_)
        return;
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > kLargestReply)
        tooLong_ = true;
    else
        body_ += reply_->read(kLargestReply + 1 - body_.size());
    if (body_.size() > kLargestReply)
        tooLong_ = true;
    if (tooLong_)
        reply_->abort();
}

void UpdateCheck::onFinished() {
    if (done_ || !reply_)
        return;
    if (!tooLong_)
        body_ += reply_->read(kLargestReply + 1 - body_.size());
    const bool complete =
        reply_->error() == QNetworkReply::NoError && !tooLong_ && body_.size() <= kLargestReply &&
        reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == kHttpOk;
    reply_->deleteLater();
    reply_ = nullptr;
    if (!complete) {
        finishWith({});
        return;
    }
    VersionOutcome outcome;
    QFile file(temporaryFile_);
    const QByteArray text =
        body_.left(body_.indexOf('\0') < 0 ? body_.size() : body_.indexOf('\0'));
    if (!temporaryFile_.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(text) == text.size() && file.flush()) {
        file.close();
        WriteRegString(kUpdateInfo, "LastFileName", temporaryFile_.toStdString().c_str());
        outcome = CompareVersionInfo(abbreviation_, UserLanguageCode());
    }
    finishWith(std::move(outcome));
}

void UpdateCheck::finishWith(VersionOutcome outcome) {
    if (done_)
        return;
    done_ = true;
    outcome_ = std::move(outcome);
    removeTemporaryFile();
    if (window_)
        kfm::ui::PostMessageTo(window_, WM_COMMAND, commandId_, 0);
}

void UpdateCheck::Cancel() {
    if (done_)
        return;
    done_ = true;
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }
    if (beep_)
        beep_();
    removeTemporaryFile();
}

void UpdateCheck::removeTemporaryFile() {
    if (!temporaryFile_.isEmpty())
        QFile::remove(temporaryFile_);
    temporaryFile_.clear();
}

std::unique_ptr<UpdateCheck> StartUpdateCheck(QObject* window, UINT commandId,
                                              const std::string& abbreviation, int useNoProxy,
                                              const std::string& proxyText) {
    if (!window)
        return nullptr;
    auto check =
        std::make_unique<UpdateCheck>(window, commandId, abbreviation, useNoProxy, proxyText);
    check->Start();
    return check;
}

} // namespace kfm::update
