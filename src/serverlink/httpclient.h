#pragma once

#include "serverlink/connectionrelay.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

namespace pelorin {

// The program's one HTTP client. Address, user name and password stay set from one request to
// the next; `fetch` is synchronous: it waits in a local event loop that keeps timers and
// painting alive but holds user input back until the answer is in.
//
// Whatever a server does, a fetch ends by its time-out and leaves nothing running: the
// credentials go only to the scheme, host and port asked for (a redirect elsewhere is not
// followed, its 3xx is the answer), a server that keeps challenging gets them once, and neither
// an endless header nor an endless body is read beyond the relay's budget or the time-out.
class HttpClient : public QObject {
    Q_OBJECT
public:
    static constexpr int RequestTimeoutMs = 10000;
    static constexpr qint64 BodyCapBytes = 1024 * 1024;

    struct Result {
        bool ok = false;        // an answer arrived (any HTTP status)
        int httpStatus = 0;     // 0 when no answer arrived
        QByteArray body;        // at most BodyCapBytes
        bool truncated = false; // the body was longer and was cut at the cap
        QString error;          // why no answer arrived
    };

    explicit HttpClient(QObject* parent = nullptr);
    ~HttpClient() override;

    void setUrl(const QString& url) { m_url = url; }
    const QString& url() const { return m_url; }
    void setUserName(const QString& userName);
    void setPassword(const QString& password);

    // GET of the address set before. An HTTP error status (401, 404, ...) is an answer: its body
    // is returned. A refused connection, a time-out, an unknown host or a header that does not end
    // is not. While a fetch is under way a nested call fails at once instead of sharing the
    // client.
    Result fetch();
    bool isBusy() const { return m_busy; }

    // Sends the GET that the next fetch will ask for, without waiting for it: that fetch takes
    // this request's answer (its time-out counted from now) when the address and credentials
    // are still the same, and otherwise drops it and asks anew.
    void prefetch();

private:
    struct Request;
    std::unique_ptr<Request> send(const QUrl& url, bool offerCredentials, QElapsedTimer age = {});
    std::unique_ptr<Request> takePrefetched(const QUrl& url);
    Result await(Request& request);

    ConnectionRelay m_relay; // outlives the manager, whose connections run through it
    QNetworkAccessManager m_manager;
    std::unique_ptr<Request> m_prefetched;
    QString m_url;
    QString m_userName;
    QString m_password;
    bool m_busy = false;
};

} // namespace pelorin
