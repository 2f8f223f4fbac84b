#include "serverlink/httpclient.h"

#include "common/timing.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace pelorin {

namespace {

// Network-layer errors (refused, reset, time-out, unknown host, proxy trouble) mean that no
// answer came; content and protocol errors still carry the server's status and page.
bool isTransportError(QNetworkReply::NetworkError error) {
    return error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

} // namespace

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

HttpClient::Result HttpClient::fetch() {
    Result result;
    const QUrl url(m_url, QUrl::TolerantMode);
    if (m_busy) {
        result.error = QStringLiteral("another request is under way");
        return result;
    }
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        result.error = QStringLiteral("not an http address: %1").arg(m_url);
        return result;
    }

    m_busy = true;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    QPointer<QNetworkReply> reply = m_manager.get(request);

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5% early
    bool timedOut = false;
    connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        const qint64 room = BodyCapBytes - result.body.size();
        result.body += reply->read(room);
        if (result.body.size() >= BodyCapBytes &&
            (reply->bytesAvailable() > 0 || !reply->isFinished())) {
            // Enough of any page to classify it; the rest is not worth waiting for.
            result.truncated = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(timing::scaled(RequestTimeoutMs));
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    // An aborted reply (time-out) is closed: there is nothing left to read from it.
    if (!result.truncated && reply->isOpen())
        result.body += reply->read(BodyCapBytes - result.body.size());
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    if (result.truncated) {
        result.ok = true;
    } else if (timedOut) {
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
    reply->deleteLater();
    m_busy = false;
    return result;
}

} // namespace pelorin
