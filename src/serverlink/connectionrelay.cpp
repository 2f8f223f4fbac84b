#include "serverlink/connectionrelay.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace pelorin {

namespace {

constexpr qint64 ChunkBytes = 64 * 1024;  // held at most on each side of a connection
constexpr qsizetype HandshakeLimit = 600; // the longest greeting, login and request together
const QString UserName = QStringLiteral("pelorin");

// SOCKS version 5 with user name and password login, CONNECT only.
constexpr char Socks5 = 5;
constexpr char LoginVersion = 1;
constexpr char MethodLogin = 2;
constexpr char NoAcceptableMethod = char(0xFF);
constexpr char CommandConnect = 1;
constexpr char AddressIPv4 = 1;
constexpr char AddressName = 3;
constexpr char AddressIPv6 = 4;

enum class Reply : char {
    Succeeded = 0,
    GeneralFailure = 1,
    NotAllowed = 2,
    NetworkUnreachable = 3,
    HostUnreachable = 4,
    ConnectionRefused = 5,
    CommandNotSupported = 7,
};

Reply replyFor(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return Reply::ConnectionRefused;
    case QAbstractSocket::HostNotFoundError:
        return Reply::HostUnreachable;
    case QAbstractSocket::NetworkError:
        return Reply::NetworkUnreachable;
    default:
        return Reply::GeneralFailure;
    }
}

QByteArray message(std::initializer_list<char> bytes) {
    return QByteArray(bytes.begin(), qsizetype(bytes.size()));
}

QByteArray newPassword() {
    QByteArray password;
    for (int part = 0; part < 2; ++part)
        password += QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    return password;
}

// Qt connects a proxied socket only to servers of the proxy's own address family (it takes the
// family from the proxy's address), so a server's IPv6 address goes through the relay's IPv6 side.
class RelayProxies : public QNetworkProxyFactory {
public:
    RelayProxies(QNetworkProxy proxy, QNetworkProxy proxyIPv6)
        : m_proxy(std::move(proxy)), m_proxyIPv6(std::move(proxyIPv6)) {}

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        const bool ipv6 =
            QHostAddress(query.peerHostName()).protocol() == QAbstractSocket::IPv6Protocol;
        return {ipv6 ? m_proxyIPv6 : m_proxy};
    }

private:
    const QNetworkProxy m_proxy;
    const QNetworkProxy m_proxyIPv6;
};

} // namespace

// Where every connection's bytes are counted against the budget and cut.
class ConnectionRelay::Worker : public QObject {
public:
    explicit Worker(ConnectionRelay& relay) : m_relay(relay) {
        for (QTcpServer* const listener : {&m_listener, &m_listenerIPv6}) {
            // The relay's own sockets never go through a proxy the desktop may have set.
            listener->setProxy(QNetworkProxy::NoProxy);
            connect(listener, &QTcpServer::newConnection, this,
                    [this, listener] { accept(*listener); });
        }
    }
    ~Worker() override;

    // The port on the loopback address, 0 when it cannot listen there.
    quint16 listen(bool ipv6) {
        QTcpServer& listener = ipv6 ? m_listenerIPv6 : m_listener;
        const QHostAddress loopback(ipv6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost);
        return listener.listen(loopback) ? listener.serverPort() : 0;
    }

    const QByteArray& password() const { return m_relay.m_password; }
    bool overBudget() const { return m_relay.overBudget(); }

    // Up to `wanted` bytes of the budget; nothing once it is spent.
    qint64 take(qint64 wanted) {
        const qint64 granted = std::min(wanted, m_relay.m_remaining.loadAcquire());
        if (granted > 0)
            m_relay.m_remaining.fetchAndSubOrdered(granted);
        return std::max<qint64>(granted, 0);
    }

    // The transfer wants more than its budget: it is over.
    void overrun() { m_relay.m_overBudget.storeRelease(1); }

    void forget(Pipe* pipe) { std::erase(m_pipes, pipe); }

private:
    void accept(QTcpServer& listener);

    ConnectionRelay& m_relay;
    QTcpServer m_listener{this}; // children, so that they move to the relay's thread
    QTcpServer m_listenerIPv6{this};
    std::vector<Pipe*> m_pipes; // children of this worker
};

// One connection from the HTTP client: the handshake, then bytes both ways, with at most
// ChunkBytes waiting on each side so that a fast server is held back by the system.
class ConnectionRelay::Pipe : public QObject {
public:
    Pipe(QTcpSocket* client, Worker& worker)
        : QObject(&worker), m_worker(worker), m_client(client) {
        m_client->setParent(this);
        m_server.setProxy(QNetworkProxy::NoProxy);
        m_server.setReadBufferSize(ChunkBytes);
        connect(m_client, &QTcpSocket::readyRead, this, &Pipe::readClient);
        connect(m_client, &QTcpSocket::bytesWritten, this, &Pipe::pump);
        connect(m_client, &QTcpSocket::disconnected, this, &Pipe::cut);
        connect(&m_server, &QTcpSocket::connected, this, &Pipe::serverConnected);
        connect(&m_server, &QTcpSocket::readyRead, this, &Pipe::pump);
        connect(&m_server, &QTcpSocket::disconnected, this, [this] {
            m_serverDone = true;
            pump();
        });
        connect(&m_server, &QTcpSocket::errorOccurred, this,
                [this](QAbstractSocket::SocketError error) {
                    if (m_stage == Stage::Connecting)
                        refuse(replyFor(error));
                });
        readClient();
    }
    ~Pipe() override {
        // Closing sockets signal their state; nothing of this pipe may answer any more.
        m_server.disconnect(this);
        m_client->disconnect(this);
        m_worker.forget(this);
    }

    void cut() {
        if (m_cut)
            return;
        m_cut = true;
        m_server.abort();
        m_client->abort();
        deleteLater();
    }

    // Closes the server's side at once; the client gets what was passed on, then the close.
    void finish() {
        m_server.abort();
        m_client->disconnectFromHost();
    }

private:
    enum class Stage { Greeting, Login, Request, Connecting, Open };

    void readClient() {
        if (m_stage == Stage::Open) {
            const QByteArray bytes = m_client->readAll();
            if (m_server.state() == QAbstractSocket::ConnectedState)
                m_server.write(bytes);
            return;
        }
        m_handshake += m_client->readAll();
        if (m_handshake.size() > HandshakeLimit)
            return cut();
        while (!m_cut && handshakeStep()) {
        }
    }

    // Takes the next complete handshake message; false when none is complete or it is over.
    bool handshakeStep() {
        switch (m_stage) {
        case Stage::Greeting:
            return greeting();
        case Stage::Login:
            return login();
        case Stage::Request:
            return request();
        case Stage::Connecting:
        case Stage::Open:
            break;
        }
        return false;
    }

    uchar byteAt(qsizetype index) const { return uchar(m_handshake.at(index)); }

    bool greeting() {
        if (m_handshake.size() < 2 || m_handshake.size() < 2 + byteAt(1))
            return false;
        const qsizetype length = 2 + byteAt(1);
        const bool login =
            m_handshake.at(0) == Socks5 && m_handshake.mid(2, length - 2).contains(MethodLogin);
        m_client->write(message({Socks5, login ? MethodLogin : NoAcceptableMethod}));
        if (!login) {
            m_client->disconnectFromHost();
            return false;
        }
        m_handshake.remove(0, length);
        m_stage = Stage::Login;
        return true;
    }

    bool login() {
        if (m_handshake.size() < 3 || m_handshake.size() < 3 + byteAt(1))
            return false;
        const qsizetype userLength = byteAt(1);
        const qsizetype length = 3 + userLength + byteAt(2 + userLength);
        if (m_handshake.size() < length)
            return false;
        const bool accepted =
            m_handshake.at(0) == LoginVersion &&
            m_handshake.mid(2, userLength) == UserName.toLatin1() &&
            m_handshake.mid(3 + userLength, length - 3 - userLength) == m_worker.password();
        m_client->write(message({LoginVersion, accepted ? char(0) : char(1)}));
        if (!accepted) {
            m_client->disconnectFromHost();
            return false;
        }
        m_handshake.remove(0, length);
        m_stage = Stage::Request;
        return true;
    }

    bool request() {
        if (m_handshake.size() < 5)
            return false;
        const char type = m_handshake.at(3);
        const qsizetype addressLength = type == AddressIPv4   ? 4
                                        : type == AddressIPv6 ? 16
                                        : type == AddressName ? 1 + byteAt(4)
                                                              : -1;
        if (m_handshake.at(0) != Socks5 || m_handshake.at(1) != CommandConnect ||
            addressLength < 0) {
            refuse(Reply::CommandNotSupported);
            return false;
        }
        if (m_handshake.size() < 6 + addressLength)
            return false;
        const QByteArray address = m_handshake.mid(4, addressLength);
        const quint16 port = qFromBigEndian<quint16>(m_handshake.constData() + 4 + addressLength);
        m_handshake.remove(0, 6 + addressLength);
        if (m_worker.overBudget()) {
            refuse(Reply::NotAllowed);
            return false;
        }
        m_stage = Stage::Connecting;
        const auto* const bytes = reinterpret_cast<const uchar*>(address.constData());
        if (type == AddressName)
            m_server.connectToHost(QString::fromLatin1(address.mid(1)), port);
        else if (type == AddressIPv4)
            m_server.connectToHost(QHostAddress(qFromBigEndian<quint32>(bytes)), port);
        else
            m_server.connectToHost(QHostAddress(bytes), port);
        return false;
    }

    void answer(Reply reply) {
        if (m_client->state() == QAbstractSocket::ConnectedState)
            m_client->write(message({Socks5, char(reply), 0, AddressIPv4, 0, 0, 0, 0, 0, 0}));
    }

    void refuse(Reply reply) {
        answer(reply);
        m_client->disconnectFromHost();
    }

    void serverConnected() {
        answer(Reply::Succeeded);
        m_stage = Stage::Open;
        if (!m_handshake.isEmpty())
            m_server.write(std::exchange(m_handshake, {}));
    }

    // Moves the server's bytes on while the client keeps up and the budget lasts; after the
    // server closed, passes the rest on and closes the client's side.
    void pump() {
        if (m_stage != Stage::Open || m_cut)
            return;
        while (m_client->bytesToWrite() < ChunkBytes && m_server.bytesAvailable() > 0) {
            const qint64 granted = m_worker.take(std::min(m_server.bytesAvailable(), ChunkBytes));
            if (granted == 0) {
                m_worker.overrun();
                return finish();
            }
            m_client->write(m_server.read(granted));
        }
        if (m_serverDone && m_server.bytesAvailable() == 0)
            m_client->disconnectFromHost();
    }

    Worker& m_worker;
    QTcpSocket* const m_client; // a child of this pipe
    QTcpSocket m_server{this};
    Stage m_stage = Stage::Greeting;
    QByteArray m_handshake;
    bool m_serverDone = false;
    bool m_cut = false;
};

ConnectionRelay::Worker::~Worker() {
    for (Pipe* const pipe : std::vector<Pipe*>(m_pipes))
        delete pipe;
}

void ConnectionRelay::Worker::accept(QTcpServer& listener) {
    while (QTcpSocket* const client = listener.nextPendingConnection())
        m_pipes.push_back(new Pipe(client, *this));
}

ConnectionRelay::ConnectionRelay(qint64 budgetBytes)
    : m_budgetBytes(budgetBytes), m_password(newPassword()), m_remaining(budgetBytes),
      m_worker(new Worker(*this)) {
    m_thread.setObjectName(QStringLiteral("Pelorin connection relay"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    quint16 ports[2] = {};
    QMetaObject::invokeMethod(
        m_worker,
        [&] {
            ports[0] = m_worker->listen(false);
            ports[1] = m_worker->listen(true);
        },
        Qt::BlockingQueuedConnection);
    const auto proxyAt = [this](const QString& loopback, quint16 port) {
        return port == 0 ? QNetworkProxy(QNetworkProxy::NoProxy)
                         : QNetworkProxy(QNetworkProxy::Socks5Proxy, loopback, port, UserName,
                                         QString::fromLatin1(m_password));
    };
    m_proxy = proxyAt(QStringLiteral("127.0.0.1"), ports[0]);
    m_proxyIPv6 = proxyAt(QStringLiteral("::1"), ports[1]);
}

ConnectionRelay::~ConnectionRelay() {
    QMetaObject::invokeMethod(
        m_worker, [this] { delete m_worker; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void ConnectionRelay::startTransfer() {
    m_remaining.storeRelease(m_budgetBytes);
    m_overBudget.storeRelease(0);
}

std::unique_ptr<QNetworkProxyFactory> ConnectionRelay::proxyFactory() const {
    return std::make_unique<RelayProxies>(m_proxy, m_proxyIPv6);
}

bool ConnectionRelay::overBudget() const {
    return m_overBudget.loadAcquire() != 0;
}

} // namespace pelorin
