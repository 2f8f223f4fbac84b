#include "cli/pagescan.h"

#include "cli/network.h"
#include "common/textcodec.h"
#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "rules/status.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <functional>

namespace pelorin::cli {

namespace {

// Enough for any page that carries the server's title near its top, and for a list of five
// MAC addresses; beyond it the answer is taken as it stands and the connection is closed.
constexpr qint64 MaxAnswerBytes = 64 * 1024;
// A server's page may move once or twice on the same server (a "/tv" to "/tv/", say).
constexpr int MaxRedirects = 3;
// On a home network a host that is there accepts a connection within milliseconds; one that is
// not never answers at all. Waiting a third of the time-out for that keeps a /24 short.
constexpr int ConnectShare = 3;

using State = HttpAnswer::State;

State decodeChunked(const QByteArray& data, QByteArray* body) {
    qsizetype at = 0;
    for (;;) {
        const qsizetype lineEnd = data.indexOf("\r\n", at);
        if (lineEnd < 0)
            return State::Incomplete;
        bool ok = false;
        const qlonglong size =
            data.mid(at, lineEnd - at).split(';').constFirst().trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0)
            return State::Malformed;
        if (size == 0)
            return State::Complete; // trailers, if any, are of no interest
        const qsizetype start = lineEnd + 2;
        if (data.size() - start < size + 2) {
            body->append(
                data.mid(start, qsizetype(std::min<qlonglong>(size, data.size() - start))));
            return State::Incomplete;
        }
        body->append(data.mid(start, qsizetype(size)));
        at = start + qsizetype(size) + 2;
    }
}

struct PageResult {
    bool answered = false;
    QByteArray body;
};

bool sameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port(80) == b.port(80);
}

QByteArray requestFor(const QUrl& url) {
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = url.host().toLatin1();
    if (url.port(80) != 80)
        host += ':' + QByteArray::number(url.port());
    return "GET " + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nAccept: */*\r\nConnection: close\r\n\r\n";
}

// One GET over a connection of its own (a new one for each redirect followed). It reports exactly
// once, by its deadline at the latest, always from the event loop (never from inside its
// constructor), and is deleted afterwards.
class PageFetch final : public QObject {
public:
    PageFetch(const QUrl& url, int timeoutMs, std::function<void(const PageResult&)> done,
              QObject* parent)
        : QObject(parent), m_done(std::move(done)), m_timeoutMs(timeoutMs) {
        m_deadline.setSingleShot(true);
        m_connectDeadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] { finish({}); });
        connect(&m_connectDeadline, &QTimer::timeout, this, [this] {
            if (m_socket->state() != QAbstractSocket::ConnectedState)
                finish({});
        });
        m_deadline.start(m_timeoutMs);
        connectTo(url);
    }

private:
    void connectTo(const QUrl& url) {
        if (m_socket) {
            m_socket->disconnect(this);
            m_socket->abort();
            m_socket->deleteLater();
        }
        m_url = url;
        m_received.clear();
        m_socket = new QTcpSocket(this);
        m_socket->setProxy(QNetworkProxy::NoProxy);
        m_socket->setReadBufferSize(MaxAnswerBytes);
        connect(m_socket, &QTcpSocket::connected, this, [this] {
            m_connectDeadline.stop();
            m_socket->write(requestFor(m_url));
        });
        connect(m_socket, &QTcpSocket::readyRead, this, [this] { read(false); });
        connect(m_socket, &QTcpSocket::disconnected, this, [this] { read(true); });
        connect(m_socket, &QTcpSocket::errorOccurred, this,
                [this](QAbstractSocket::SocketError error) {
                    if (error == QAbstractSocket::RemoteHostClosedError)
                        read(true);
                    else
                        finish({});
                });
        m_connectDeadline.start(std::max(1, m_timeoutMs / ConnectShare));
        m_socket->connectToHost(QHostAddress(url.host()), quint16(url.port(80)));
    }

    void read(bool closed) {
        if (m_finished)
            return;
        m_received += m_socket->read(MaxAnswerBytes - m_received.size());
        const bool ended = closed || m_received.size() >= MaxAnswerBytes;
        const HttpAnswer answer = readHttpAnswer(m_received, ended);
        if (answer.state == State::Complete)
            answered(answer);
        else if (answer.state == State::Malformed || ended)
            finish({});
    }

    void answered(const HttpAnswer& answer) {
        if (answer.status >= 300 && answer.status < 400 && m_redirects < MaxRedirects) {
            const QUrl next = m_url.resolved(QUrl::fromEncoded(answer.location));
            if (!answer.location.isEmpty() && sameOrigin(next, m_url)) {
                ++m_redirects;
                connectTo(next);
                return;
            }
        }
        finish({true, answer.body});
    }

    void finish(const PageResult& result) {
        if (m_finished)
            return;
        m_finished = true;
        m_deadline.stop();
        m_connectDeadline.stop();
        m_socket->disconnect(this);
        m_socket->abort();
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                m_done(result);
                deleteLater();
            },
            Qt::QueuedConnection);
    }

    std::function<void(const PageResult&)> m_done;
    const int m_timeoutMs;
    QUrl m_url;
    QTcpSocket* m_socket = nullptr; // a child, replaced on a redirect
    QTimer m_deadline;
    QTimer m_connectDeadline;
    QByteArray m_received;
    int m_redirects = 0;
    bool m_finished = false;
};

// Runs the requests of one scan, at most `parallel` at a time. A server found has its MAC
// addresses asked for before any further address is tried.
class Scan {
public:
    Scan(const QList<quint32>& addresses, const ScanOptions& options)
        : m_addresses(addresses), m_options(options), m_found(addresses.size()) {}

    QList<FoundServer> run() {
        for (qsizetype n = 0; n < m_addresses.size(); ++n)
            m_jobs.append({n, false});
        launch();
        if (m_active > 0)
            m_loop.exec();
        QList<FoundServer> found;
        for (const auto& server : m_found)
            if (server)
                found.append(*server);
        return found;
    }

private:
    struct Job {
        qsizetype index = 0;
        bool macs = false; // the MAC list of a server found, not its page
    };

    void launch() {
        while (m_active < m_options.parallel && !m_jobs.isEmpty()) {
            const Job job = m_jobs.takeFirst();
            const QString url = scanUrl(m_addresses.at(job.index), m_options);
            ++m_active;
            new PageFetch(
                QUrl(job.macs ? pageAddress(url, QStringLiteral("GetMacAddr.asp")) : url),
                m_options.timeoutMs,
                [this, job, url](const PageResult& result) {
                    --m_active;
                    take(job, url, result);
                    launch();
                },
                &m_owner);
        }
        if (m_active == 0)
            m_loop.quit();
    }

    void take(const Job& job, const QString& url, const PageResult& result) {
        if (!result.answered)
            return;
        const QString text = decodeUtf8OrLocal(result.body);
        if (job.macs) {
            m_found[job.index]->macs = parseMacItems(text).addresses;
        } else if (classifyResponse(text) == StatusWord::On) {
            m_found[job.index] = FoundServer{m_addresses.at(job.index), url, std::nullopt};
            m_jobs.prepend({job.index, true});
        }
    }

    const QList<quint32>& m_addresses;
    const ScanOptions m_options;
    QList<std::optional<FoundServer>> m_found;
    QList<Job> m_jobs;
    int m_active = 0;
    QEventLoop m_loop;
    QObject m_owner; // requests still being torn down go with the scan
};

} // namespace

HttpAnswer readHttpAnswer(const QByteArray& received, bool ended) {
    HttpAnswer answer;
    const qsizetype headerEnd = received.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return answer;
    const QList<QByteArray> lines = received.left(headerEnd).split('\n');
    const QList<QByteArray> statusLine = lines.constFirst().trimmed().split(' ');
    bool ok = false;
    answer.status = statusLine.value(1).toInt(&ok);
    if (!statusLine.constFirst().startsWith("HTTP/") || !ok || answer.status < 100 ||
        answer.status > 999) {
        answer.state = State::Malformed;
        return answer;
    }
    QByteArray length;
    bool chunked = false;
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (colon < 0)
            continue;
        if (name == "content-length")
            length = value;
        else if (name == "transfer-encoding")
            chunked = value.toLower().contains("chunked");
        else if (name == "location")
            answer.location = value;
    }
    const QByteArray body = received.mid(headerEnd + 4);
    if (answer.status < 200 || answer.status == 204 || answer.status == 304) {
        answer.state = State::Complete;
        return answer;
    }
    if (chunked) {
        answer.state = decodeChunked(body, &answer.body);
    } else if (const qlonglong size = length.toLongLong(&ok); ok && size >= 0) {
        answer.body = body.left(qsizetype(std::min<qlonglong>(size, body.size())));
        answer.state = body.size() >= size ? State::Complete : State::Incomplete;
    } else {
        answer.body = body;
    }
    // What came before the end is the answer; a malformed one stays so.
    if (ended && answer.state == State::Incomplete)
        answer.state = State::Complete;
    return answer;
}

QString scanUrl(quint32 address, const ScanOptions& options) {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(ipv4Text(address));
    if (options.port != 80)
        url.setPort(options.port);
    url.setPath(options.path);
    return url.toString();
}

QList<FoundServer> scanForServers(const QList<quint32>& addresses, const ScanOptions& options) {
    if (addresses.isEmpty())
        return {};
    Scan scan(addresses, options);
    return scan.run();
}

} // namespace pelorin::cli
