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
constexpr qsizetype BlockBytes = 64 * 1024;

QByteArray fixedAnswer(const QByteArray& status, const QByteArray& headers,
                       const QByteArray& body) {
    return "HTTP/1.1 " + status + "\r\n" + headers +
           "Content-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\n\r\n" + body;
}

} // namespace

class Server::Worker : public QObject {
public:
    Worker(Server& owner, Act act, QByteArray location)
        : m_owner(owner), m_act(act), m_location(std::move(location)) {
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
                answer(socket, pending.left(end + 2));
                pending.remove(0, end + 4);
            }
            socket->setProperty("pending", pending);
        });
    }

    void answer(QTcpSocket* socket, const QByteArray& request) {
        const bool authorized = request.toLower().contains("\nauthorization:");
        QMutexLocker lock(&m_owner.m_mutex);
        m_owner.m_authorized += authorized ? 1 : 0;
        const QByteArray realm = QByteArray::number(++m_owner.m_requests);
        lock.unlock();
        switch (m_act) {
        case Act::RedirectTo:
            return void(
                socket->write(fixedAnswer("302 Found", "Location: " + m_location + "\r\n", {})));
        case Act::DemandBasic:
        case Act::ShiftingRealm:
            return void(socket->write(
                m_act == Act::DemandBasic && authorized
                    ? fixedAnswer("200 OK", {}, TitlePage)
                    : fixedAnswer("401 Unauthorized",
                                  "WWW-Authenticate: Basic realm=\"" +
                                      (m_act == Act::ShiftingRealm ? realm : "tv") + "\"\r\n",
                                  "HTTP 401.2")));
        case Act::EndlessChunked: // one-byte chunks: the most work for the client per byte sent
            return stream(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                          QByteArray("1\r\nx\r\n").repeated(BlockBytes / 6));
        case Act::EndlessUnsized:
            return stream(socket, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n",
                          QByteArray(BlockBytes, 'x'));
        case Act::HeaderFlood:
            return stream(socket, "HTTP/1.1 200 OK\r\n",
                          QByteArray("X-Flood: 0123456789\r\n").repeated(BlockBytes / 21));
        case Act::EndlessHeaderLine:
            return stream(socket, "HTTP/1.1 200 OK\r\nX-Endless: ", QByteArray(BlockBytes, 'a'));
        case Act::HeaderTrickle:
            return stream(socket, "HTTP/1.1 200 OK\r\n",
                          QByteArray("X-Trickle: 0123456789\r\n").repeated(45), 5);
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
        while (!m_owner.m_stop.loadRelaxed()) {
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
                const QMutexLocker lock(&m_owner.m_mutex);
                ++m_owner.m_streamsClosed;
                break;
            }
        }
        socket->abort();
    }

    Server& m_owner;
    const Act m_act;
    const QByteArray m_location;
};

Server::Server(Act act, QByteArray location)
    : m_worker(new Worker(*this, act, std::move(location))) {
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
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    m_url = QString::fromLatin1(v6 ? "http://[%1]:%2/tv" : "http://%1:%2/tv")
                .arg(address.toString())
                .arg(port);
    return port != 0;
}

int Server::requests(bool authorizedOnly) const {
    const QMutexLocker lock(&m_mutex);
    return authorizedOnly ? m_authorized : m_requests;
}

int Server::streamsClosed() const {
    const QMutexLocker lock(&m_mutex);
    return m_streamsClosed;
}

} // namespace hostile
