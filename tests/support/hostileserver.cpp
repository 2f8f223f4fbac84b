#include "support/hostileserver.h"

#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace hostile {

namespace {

const QByteArray TitlePage = "<html><head><title>Orrisvale</title></head></html>";
const QByteArray TextPage = "Content-Type: text/html\r\n";
constexpr qsizetype BlockBytes = 64 * 1024;

QByteArray fixedAnswer(const QByteArray& statusLine, const QByteArray& headers,
                       const QByteArray& body) {
    return "HTTP/1.1 " + statusLine + "\r\n" + headers +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray headerValue(const QByteArray& request, const QByteArray& name) {
    for (const QByteArray& line : request.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

} // namespace

class Server::Worker : public QObject {
public:
    Worker(Act act, QByteArray location, QMutex& mutex, Records& records, QAtomicInt& stop)
        : m_act(act), m_location(std::move(location)), m_mutex(mutex), m_records(records),
          m_stop(stop) {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* const socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    QTcpServer m_server{this}; // a child, so that it moves to the thread with its owner

private:
    void serve(QTcpSocket* socket) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            QByteArray pending = socket->property("pending").toByteArray() + socket->readAll();
            qsizetype end = 0;
            while (!socket->property("streaming").toBool() &&
                   (end = pending.indexOf("\r\n\r\n")) >= 0) {
                const QByteArray request = pending.left(end + 2);
                pending.remove(0, end + 4);
                answer(socket, request);
            }
            socket->setProperty("pending", pending);
        });
    }

    void answer(QTcpSocket* socket, const QByteArray& request) {
        const QByteArray authorization = headerValue(request, "Authorization");
        qsizetype count = 0;
        {
            const QMutexLocker lock(&m_mutex);
            m_records.authorizations.append(authorization);
            count = m_records.authorizations.size();
        }
        switch (m_act) {
        case Act::Page:
            socket->write(fixedAnswer("200 OK", TextPage, TitlePage));
            return;
        case Act::RedirectTo:
            socket->write(fixedAnswer("302 Found", "Location: " + m_location + "\r\n", {}));
            return;
        case Act::DemandBasic:
            socket->write(authorization.isEmpty()
                              ? fixedAnswer("401 Unauthorized",
                                            "WWW-Authenticate: Basic realm=\"tv\"\r\n" + TextPage,
                                            "HTTP 401.2")
                              : fixedAnswer("200 OK", TextPage, TitlePage));
            return;
        case Act::ShiftingRealm:
            socket->write(fixedAnswer("401 Unauthorized",
                                      "WWW-Authenticate: Basic realm=\"realm" +
                                          QByteArray::number(count) + "\"\r\n" + TextPage,
                                      "HTTP 401.2"));
            return;
        case Act::EndlessChunked:
            // One-byte chunks: the most work for the client per byte sent.
            stream(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                   QByteArray("1\r\nx\r\n").repeated(BlockBytes / 6));
            return;
        case Act::EndlessUnsized:
            stream(socket, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n",
                   QByteArray(BlockBytes, 'x'));
            return;
        case Act::HeaderFlood:
            stream(socket, "HTTP/1.1 200 OK\r\n",
                   QByteArray("X-Flood: 0123456789\r\n").repeated(BlockBytes / 21));
            return;
        case Act::EndlessHeaderLine:
            stream(socket, "HTTP/1.1 200 OK\r\nX-Endless: ", QByteArray(BlockBytes, 'a'));
            return;
        case Act::HeaderTrickle:
            stream(socket, "HTTP/1.1 200 OK\r\n",
                   QByteArray("X-Trickle: 0123456789\r\n").repeated(45), 5);
            return;
        }
    }

    // Sends as fast as the connection takes it, as an attacker's own program would, until the
    // client closes or breaks the connection; the worker's event loop waits meanwhile.
    void stream(QTcpSocket* socket, const QByteArray& head, const QByteArray& block,
                int pauseMs = 0) {
        socket->setProperty("streaming", true);
        const int fd = int(socket->socketDescriptor());
        QByteArray data = head;
        qsizetype offset = 0;
        while (!m_stop.loadRelaxed()) {
            if (offset == data.size()) {
                data = block;
                offset = 0;
                QThread::msleep(pauseMs);
            }
            pollfd writable{fd, POLLOUT, 0};
            if (::poll(&writable, 1, 20) <= 0)
                continue;
            const ssize_t sent = ::send(fd, data.constData() + offset, size_t(data.size() - offset),
                                        MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent >= 0) {
                offset += sent;
            } else if (errno != EAGAIN && errno != EINTR) {
                const QMutexLocker lock(&m_mutex);
                ++m_records.streamsClosed;
                break;
            }
        }
        socket->abort();
    }

    const Act m_act;
    const QByteArray m_location;
    QMutex& m_mutex;
    Records& m_records;
    QAtomicInt& m_stop;
};

Server::Server(Act act, QByteArray location)
    : m_worker(new Worker(act, std::move(location), m_mutex, m_records, m_stop)) {
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

Server::~Server() {
    m_stop.storeRelaxed(1);
    QMetaObject::invokeMethod(
        m_worker, [this] { delete m_worker; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

bool Server::listen(const QHostAddress& address) {
    quint16 port = 0;
    QMetaObject::invokeMethod(
        m_worker,
        [&] {
            if (m_worker->m_server.listen(address))
                port = m_worker->m_server.serverPort();
        },
        Qt::BlockingQueuedConnection);
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + address.toString() + u']'
                             : address.toString();
    m_url = QStringLiteral("http://%1:%2/tv").arg(host).arg(port);
    return port != 0;
}

QString Server::url() const {
    return m_url;
}

int Server::requests() const {
    const QMutexLocker lock(&m_mutex);
    return int(m_records.authorizations.size());
}

QList<QByteArray> Server::authorizations() const {
    const QMutexLocker lock(&m_mutex);
    return m_records.authorizations;
}

int Server::streamsClosed() const {
    const QMutexLocker lock(&m_mutex);
    return m_records.streamsClosed;
}

} // namespace hostile
