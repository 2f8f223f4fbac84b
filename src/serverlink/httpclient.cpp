#include "serverlink/httpclient.h"

#include "common/timing.h"
#include "rules/serverurl.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace pelorin {

namespace {

// What a server may send for one request: the page up to the cap, and room for header lines,
// challenges and redirects. Beyond it the relay cuts the transfer.
constexpr qint64 TransferBudgetBytes = HttpClient::BodyCapBytes + 256 * 1024;

// Requests one address may take: Qt answers a challenge with the credentials, NTLM needs a third
// round, and a connection the server closed meanwhile is asked again. Beyond that the server keeps
// challenging anew (a new realm each time makes Qt resend the credentials without asking).
constexpr int RequestsPerAddress = 4;

// Network-layer errors (refused, reset, time-out, unknown host, proxy trouble) mean that no
// answer came; content and protocol errors still carry the server's status and page.
bool isTransportError(QNetworkReply::NetworkError error) {
    return error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

bool sameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host() == b.host() &&
           a.port(defaultPort(a.scheme())) == b.port(defaultPort(b.scheme()));
}

} // namespace

// One GET under way: its reply, what has been read of it so far, and what it was sent for.
struct HttpClient::Request {
    explicit Request(const ConnectionRelay& relay) : relay(relay) {}
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

    const ConnectionRelay& relay;
    QPointer<QNetworkReply> reply;
    QUrl url;
    QString userName;
    QString password;
    QElapsedTimer age;
    Result result;
    bool timedOut = false;
    bool challengedAgain = false; // the server kept challenging after the credentials
    int sent = 0;
    int redirects = 0;

    void readAvailable() {
        result.body += reply->read(BodyCapBytes - result.body.size());
        if (result.body.size() >= BodyCapBytes &&
            (reply->bytesAvailable() > 0 || !reply->isFinished())) {
            // Enough of any page to classify it; the rest is not worth waiting for. A transfer
            // the relay ended already is closed and ends by itself.
            result.truncated = true;
            if (!relay.overBudget())
                reply->abort();
        }
    }

    void requestSent() {
        if (++sent - redirects > RequestsPerAddress) {
            challengedAgain = true;
            reply->abort();
        }
    }
};

HttpClient::HttpClient(QObject* parent) : QObject(parent), m_relay(TransferBudgetBytes) {
    // The TV server sits on the home network; a desktop proxy setting must not divert or block
    // it. The relay is the program's own, on this machine.
    m_manager.setProxyFactory(m_relay.proxyFactory().release()); // the manager takes it
    m_manager.setAutoDeleteReplies(false);
    connect(&m_manager, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                // Offer the stored credentials once per request, and only to the address that was
                // asked for; if the server refuses them, its refusal page is the answer.
                if (reply->property("pelorinCredentialsOffered").toBool() ||
                    !sameOrigin(reply->url(), reply->request().url()))
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
        refused.error = QCoreApplication::translate("HttpClient", "別の要求を処理中です");
        return refused;
    }
    std::unique_ptr<Request> request = takePrefetched(url);
    if (!request && !isWebUrl(url)) {
        Result refused;
        refused.error =
            QCoreApplication::translate("HttpClient", "http のアドレスではありません: %1")
                .arg(m_url);
        return refused;
    }
    m_busy = true;
    if (!request)
        request = send(url, true);
    Result result = await(*request);
    if (request->challengedAgain) {
        // The server refused the credentials with a new challenge: asked once more without
        // them, its refusal page is the answer.
        request = send(url, false, request->age);
        result = await(*request);
    }
    m_busy = false;
    return result;
}

void HttpClient::prefetch() {
    const QUrl url(m_url, QUrl::TolerantMode);
    if (m_busy || !isWebUrl(url))
        return;
    m_prefetched = send(url, true);
}

std::unique_ptr<HttpClient::Request> HttpClient::takePrefetched(const QUrl& url) {
    std::unique_ptr<Request> request = std::move(m_prefetched);
    if (request && request->url == url && request->userName == m_userName &&
        request->password == m_password)
        return request;
    return nullptr; // one sent for another address or other credentials is called off
}

std::unique_ptr<HttpClient::Request> HttpClient::send(const QUrl& url, bool offerCredentials,
                                                      QElapsedTimer age) {
    auto request = std::make_unique<Request>(m_relay);
    request->url = url;
    request->userName = m_userName;
    request->password = m_password;
    QNetworkRequest networkRequest(url);
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                                QNetworkRequest::AlwaysNetwork);
    // A redirect to another scheme, host or port is not followed: the page would not be the
    // server's, and the server's credentials must not travel there. Its 3xx is the answer.
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                QNetworkRequest::SameOriginRedirectPolicy);
    // Without credentials Qt answers no challenge at all: the 401 is the answer.
    if (!offerCredentials)
        networkRequest.setAttribute(QNetworkRequest::AuthenticationReuseAttribute,
                                    QNetworkRequest::Manual);
    request->age = age;
    if (!request->age.isValid())
        request->age.start();
    m_relay.startTransfer();
    request->reply = m_manager.get(networkRequest);
    Request* const pending = request.get();
    connect(request->reply, &QNetworkReply::readyRead, request->reply,
            [pending] { pending->readAvailable(); });
    connect(request->reply, &QNetworkReply::redirected, request->reply,
            [pending] { ++pending->redirects; });
    connect(request->reply, &QNetworkReply::requestSent, request->reply,
            [pending] { pending->requestSent(); });
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
    // The relay ended an answer that would not end: a page that had begun is cut short.
    const bool cut = m_relay.overBudget() && !request.timedOut;
    if (cut && status.isValid())
        result.truncated = true;
    if (result.truncated) {
        result.ok = true;
    } else if (request.timedOut) {
        result.error =
            QCoreApplication::translate("HttpClient", "%1 秒待っても応答がありませんでした")
                .arg(RequestTimeoutMs / 1000);
    } else if (cut) {
        result.error =
            QCoreApplication::translate("HttpClient", "応答のヘッダーが終わりませんでした");
    } else if (error == QNetworkReply::InsecureRedirectError && status.isValid()) {
        result.ok = true; // a redirect to another address, not followed
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
