#include "serverlink/httpclient.h"

#include "common/timing.h"

#include <QAuthenticator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace pelorin {

namespace {

// Network-layer errors (refused, reset, time-out, unknown host, proxy trouble) mean that no
// answer came; content and protocol errors still carry the server's status and page.
bool isTransportError(QNetworkReply::NetworkError error) {
    return error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

bool isHttpAddress(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

} // namespace

// One GET under way: its reply, what has been read of it so far, and what it was sent for.
struct HttpClient::Request {
    QPointer<QNetworkReply> reply;
    QUrl url;
    QString userName;
    QString password;
    QElapsedTimer age;
    Result result;
    bool timedOut = false;

    Request() = default;
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;
    // A request dropped before its answer was taken is called off.
    ~Request() {
        if (!reply)
            return;
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    }

    void readAvailable() {
        result.body += reply->read(BodyCapBytes - result.body.size());
        if (result.body.size() >= BodyCapBytes &&
            (reply->bytesAvailable() > 0 || !reply->isFinished())) {
            // Enough of any page to classify it; the rest is not worth waiting for.
            result.truncated = true;
            reply->abort();
        }
    }
};

HttpClient::HttpClient(QObject* parent) : QObject(parent) {
    // The TV server sits on the home network; a desktop proxy setting must not divert or block it.
    m_manager.setProxy(QNetworkProxy::NoProxy);
    m_manager.setAutoDeleteReplies(false);
    connect(&m_manager, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                // Offer the stored credentials once per request; if the server refuses them,
                // its refusal page is the answer.
                if (reply->property("pelorinCredentialsOffered").toBool())
                    return;
                if (m_userName.isEmpty() && m_password.isEmpty())
                    return;
                reply->setProperty("pelorinCredentialsOffered", true);
                authenticator->setUser(m_userName);
                authenticator->setPassword(m_password);
            });
}

void HttpClient::setUserName(const QString& userName) {
    if (userName == m_userName)
        return;
    m_userName = userName;
    // Forget credentials the manager cached, so that the next request presents the new ones.
    m_manager.clearAccessCache();
}

void HttpClient::setPassword(const QString& password) {
    if (password == m_password)
        return;
    m_password = password;
    m_manager.clearAccessCache();
}

HttpClient::~HttpClient() = default;

HttpClient::Result HttpClient::fetch() {
    const QUrl url(m_url, QUrl::TolerantMode);
    if (m_busy) {
        Result refused;
        refused.error = QStringLiteral("another request is under way");
        return refused;
    }
    std::unique_ptr<Request> request = takePrefetched(url);
    if (!request && !isHttpAddress(url)) {
        Result refused;
        refused.error = QStringLiteral("not an http address: %1").arg(m_url);
        return refused;
    }
    m_busy = true;
    if (!request)
        request = send(url);
    Result result = await(*request);
    m_busy = false;
    return result;
}

void HttpClient::prefetch() {
    const QUrl url(m_url, QUrl::TolerantMode);
    if (m_busy || !isHttpAddress(url))
        return;
    m_prefetched = send(url);
}

std::unique_ptr<HttpClient::Request> HttpClient::takePrefetched(const QUrl& url) {
    std::unique_ptr<Request> request = std::move(m_prefetched);
    if (request && request->url == url && request->userName == m_userName &&
        request->password == m_password)
        return request;
    return nullptr; // one sent for another address or other credentials is called off
}

std::unique_ptr<HttpClient::Request> HttpClient::send(const QUrl& url) {
    auto request = std::make_unique<Request>();
    request->url = url;
    request->userName = m_userName;
    request->password = m_password;
    QNetworkRequest networkRequest(url);
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                                QNetworkRequest::AlwaysNetwork);
    request->age.start();
    request->reply = m_manager.get(networkRequest);
    Request* const pending = request.get();
    connect(request->reply, &QNetworkReply::readyRead, request->reply,
            [pending] { pending->readAvailable(); });
    return request;
}

HttpClient::Result HttpClient::await(Request& request) {
    QNetworkReply* const reply = request.reply;
    if (!reply->isFinished()) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5% early
        connect(&deadline, &QTimer::timeout, &loop, [&] {
            request.timedOut = true;
            reply->abort();
        });
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        deadline.start(static_cast<int>(
            std::max<qint64>(0, timing::scaled(RequestTimeoutMs) - request.age.elapsed())));
        if (!reply->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

    Result& result = request.result;
    // An aborted reply (time-out) is closed: there is nothing left to read from it.
    if (!result.truncated && reply->isOpen())
        result.body += reply->read(BodyCapBytes - result.body.size());
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    if (result.truncated) {
        result.ok = true;
    } else if (request.timedOut) {
        result.error = QStringLiteral("no answer within %1 s").arg(RequestTimeoutMs / 1000);
    } else if (isTransportError(error) || !status.isValid()) {
        result.error = reply->errorString();
    } else {
        result.ok = true;
    }
    if (result.ok)
        result.httpStatus = status.toInt();
    else
        result.body.clear();
    reply->disconnect();
    reply->deleteLater();
    request.reply = nullptr;
    return std::move(result);
}

} // namespace pelorin
