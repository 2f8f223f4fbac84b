#include "simulator.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkDatagram>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <QUrl>

#include <algorithm>
#include <array>
#include <map>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

namespace tvsim {
namespace {

using Header = std::pair<QByteArray, QByteArray>;
using Status = QHttpServerResponder::StatusCode;

struct FaultName {
    Fault fault;
    const char* name;
};

constexpr std::array FaultNames = {
    FaultName{Fault::None, "none"},
    FaultName{Fault::Hang, "hang"},
    FaultName{Fault::Reset, "reset"},
    FaultName{Fault::Empty, "empty"},
    FaultName{Fault::Garbage, "garbage"},
    FaultName{Fault::Slow, "slow"},
    FaultName{Fault::Huge, "huge"},
    FaultName{Fault::RedirectLoop, "redirect-loop"},
    FaultName{Fault::NoChallenge401, "401-nochallenge"},
};

constexpr int MacSize = 6;
constexpr int MagicRepeats = 16;
constexpr int SecureOnSize = 6;
constexpr qsizetype GarbageSize = 4096;
constexpr qint64 StreamChunk = 64 * 1024;
constexpr qint64 StreamHighWater = 4 * StreamChunk;

// An answer is built completely before it is sent, so that Slow can hold it back unchanged.
struct Answer {
    int status = 200;
    QList<Header> headers;
    QByteArray body;
    bool hibernates = false; // the server goes off once this answer is out
};

Answer htmlAnswer(int status, const QByteArray& body) {
    return Answer{status, {{"Content-Type", "text/html"}}, body, false};
}

QByteArray errorPage(const QByteArray& title, const QByteArray& message) {
    return "<html><head><title>" + title + "</title></head>\r\n<body><h1>" + message +
           "</h1></body></html>\r\n";
}

QByteArray titlePage() {
    return "<html><head><title>Orrisvale</title></head>\r\n"
           "<body><h1>Orrisvale</h1></body></html>\r\n";
}

QByteArray unauthorizedPage() {
    return errorPage("You are not authorized to view this page",
                     "HTTP 401.2 - Unauthorized: Logon failed due to server configuration");
}

QByteArray notFoundPage() {
    return errorPage("The page cannot be found", "HTTP 404 - File not found");
}

Answer challengeAnswer() {
    Answer answer = htmlAnswer(401, unauthorizedPage());
    answer.headers.append(Header{"WWW-Authenticate", "Basic realm=\"Orrisvale\""});
    return answer;
}

// Random bytes without '<', 'H' and '|', so that no page marker and no adapter list item can
// appear in them by chance and a client cannot mistake them for a real page.
QByteArray garbage(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    auto* const random = QRandomGenerator::global();
    std::generate(bytes.begin(), bytes.end(), [random] {
        const auto byte = static_cast<unsigned char>(random->bounded(256));
        const bool marker = byte == '<' || byte == 'H' || byte == '|';
        return static_cast<char>(marker ? byte | 0x80 : byte);
    });
    return bytes;
}

// "/tv/" and "tv" both mean "/tv"; the root is the empty string so pages are "/<name>".
QString normalizedBasePath(QString path) {
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/'));
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString requestedPath(const QHttpServerRequest& request) {
    return QString::fromUtf8(
        request.url().toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment));
}

// Closing with a zero linger time sends a RST instead of a FIN: the client sees the connection
// torn down rather than an orderly end of an empty answer.
void resetConnection(QTcpSocket* socket) {
#ifdef Q_OS_UNIX
    const linger abortive{1, 0};
    ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive,
                 sizeof abortive);
#endif
    socket->abort();
}

// Feeds a long body to a connection a chunk at a time as the client takes it, so a huge answer
// costs little memory. A child of the socket: it goes when the connection goes.
class BodyStream : public QObject {
public:
    BodyStream(QTcpSocket* socket, qint64 size) : QObject(socket), socket_(socket), left_(size) {
        connect(socket, &QIODevice::bytesWritten, this, [this] { pump(); });
        pump();
    }

private:
    void pump() {
        static const QByteArray chunk(StreamChunk, '.');
        while (left_ > 0 && connected() && socket_->bytesToWrite() < StreamHighWater) {
            const qint64 size = std::min(left_, StreamChunk);
            if (socket_->write(chunk.constData(), size) != size)
                break;
            left_ -= size;
        }
        if (left_ == 0 || !connected())
            deleteLater();
    }

    bool connected() const { return socket_->state() == QAbstractSocket::ConnectedState; }

    QTcpSocket* const socket_; // the parent
    qint64 left_;
};

// A responder kept for an answer that comes later or never. The socket can die first; the
// pointer tells, and the entry is dropped when it does.
struct HeldResponder {
    QPointer<QTcpSocket> socket;
    QHttpServerResponder responder;
};

} // namespace

struct Simulator::Private {
    Private(Simulator* owner, Config initial);

    void handle(const QHttpServerRequest& request, QHttpServerResponder&& responder);
    Answer pageAnswer(const QHttpServerRequest& request) const;
    bool authorized(const QByteArray& authorization) const;
    bool isPage(const QString& path, QLatin1StringView name) const;
    QByteArray macList() const;

    int answerNow(QHttpServerResponder& responder, const Answer& answer);
    int answerLater(QHttpServerResponder&& responder, const Answer& answer);
    int streamHuge(QHttpServerResponder& responder) const;
    quint64 hold(QHttpServerResponder&& responder);
    void scheduleHibernation();
    void dropConnections();

    bool listenHttp();
    bool bindWakeOnLan();
    void readDatagrams(QUdpSocket* socket);
    bool fail(const QString& message);

    Simulator* const q;
    Config config;
    bool on;
    bool started = false;
    QString error;
    quint16 httpPort = 0;
    QList<quint16> wolPorts;
    QList<RecordedRequest> requests;
    QList<RecordedDatagram> datagrams;
    QTimer wakeTimer;
    QTimer hibernateTimer;
    std::map<quint64, HeldResponder> held;
    quint64 nextHeldId = 0;
    std::vector<std::unique_ptr<QUdpSocket>> udpSockets;
    // Owns the listening socket and the connections; declared last so it goes first.
    std::unique_ptr<QHttpServer> http;
    QPointer<QTcpServer> tcpServer;
};

Simulator::Private::Private(Simulator* owner, Config initial)
    : q(owner), config(std::move(initial)), on(config.startOn) {
    config.basePath = normalizedBasePath(config.basePath);
    wakeTimer.setSingleShot(true);
    hibernateTimer.setSingleShot(true);
    QObject::connect(&wakeTimer, &QTimer::timeout, q, [this] { q->setOn(true); });
    QObject::connect(&hibernateTimer, &QTimer::timeout, q, [this] { q->setOn(false); });
}

void Simulator::Private::handle(const QHttpServerRequest& request,
                                QHttpServerResponder&& responder) {
    RecordedRequest record{requestedPath(request), request.value("Authorization"), 0};
    const QByteArray faultPath = ('/' + config.faultPage).toLatin1();
    const bool faulty =
        config.faultPage.isEmpty() || isPage(request.url().path(), QLatin1StringView(faultPath));
    switch (faulty ? config.fault : Fault::None) {
    case Fault::None:
        record.status = answerNow(responder, pageAnswer(request));
        break;
    case Fault::Slow:
        record.status = answerLater(std::move(responder), pageAnswer(request));
        break;
    case Fault::Hang:
        hold(std::move(responder));
        break;
    case Fault::Reset:
        resetConnection(responder.socket());
        break;
    case Fault::Empty:
        record.status = answerNow(responder, htmlAnswer(200, {}));
        break;
    case Fault::Garbage:
        record.status = answerNow(responder, htmlAnswer(200, garbage(GarbageSize)));
        break;
    case Fault::Huge:
        record.status = streamHuge(responder);
        break;
    case Fault::RedirectLoop:
        record.status =
            answerNow(responder, Answer{302, {{"Location", record.path.toUtf8()}}, {}, false});
        break;
    case Fault::NoChallenge401:
        record.status = answerNow(responder, htmlAnswer(401, unauthorizedPage()));
        break;
    }
    requests.append(record);
    Q_EMIT q->requestReceived(record);
}

// Authentication covers the whole site, missing pages included, as on the real server.
Answer Simulator::Private::pageAnswer(const QHttpServerRequest& request) const {
    if (!authorized(request.value("Authorization")))
        return challengeAnswer();
    const QString path = request.url().path();
    if (isPage(path, {}) || isPage(path, QLatin1StringView("/")))
        return htmlAnswer(200, titlePage());
    if (isPage(path, QLatin1StringView("/GetMacAddr.asp")))
        return htmlAnswer(200, macList());
    if (isPage(path, QLatin1StringView("/hibern.asp"))) {
        Answer answer = htmlAnswer(200, "<html><body>Hibernating</body></html>\r\n");
        answer.hibernates = !config.encoding;
        return answer;
    }
    return htmlAnswer(404, notFoundPage());
}

bool Simulator::Private::authorized(const QByteArray& authorization) const {
    if (config.userName.isEmpty() && config.password.isEmpty())
        return true;
    const qsizetype space = authorization.indexOf(' ');
    if (space < 0 || authorization.left(space).compare("Basic", Qt::CaseInsensitive) != 0)
        return false;
    const auto decoded = QByteArray::fromBase64Encoding(authorization.mid(space + 1).trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    return decoded && *decoded == (config.userName + QLatin1Char(':') + config.password).toUtf8();
}

// Page names match whatever their case, as on the file system the real server serves from.
bool Simulator::Private::isPage(const QString& path, QLatin1StringView name) const {
    return path.size() == config.basePath.size() + name.size() &&
           path.startsWith(config.basePath, Qt::CaseInsensitive) &&
           path.endsWith(name, Qt::CaseInsensitive);
}

QByteArray Simulator::Private::macList() const {
    if (!config.macBodyOverride.isEmpty())
        return config.macBodyOverride.toUtf8();
    QByteArray body;
    const bool numbered = config.macs.size() > 1;
    for (qsizetype i = 0; i < config.macs.size(); ++i) {
        const QString label = numbered ? config.macLabel + QString::number(i + 1) : config.macLabel;
        body += (label + QLatin1Char(':') + config.macs.at(i) + QLatin1Char('|')).toUtf8();
    }
    return body;
}

int Simulator::Private::answerNow(QHttpServerResponder& responder, const Answer& answer) {
    const QTcpSocket* const socket = responder.socket();
    if (socket && socket->state() == QAbstractSocket::ConnectedState) {
        responder.writeStatusLine(static_cast<Status>(answer.status));
        for (const auto& [name, value] : answer.headers)
            responder.writeHeader(name, value);
        responder.writeHeader("Content-Length", QByteArray::number(answer.body.size()));
        responder.writeBody(answer.body);
    }
    if (answer.hibernates)
        scheduleHibernation();
    return answer.status;
}

int Simulator::Private::answerLater(QHttpServerResponder&& responder, const Answer& answer) {
    const quint64 id = hold(std::move(responder));
    QTimer::singleShot(config.slowMs, q, [this, id, answer] {
        const auto entry = held.find(id);
        if (entry == held.end()) {
            // The client left; a real server would still have done what it was asked.
            if (answer.hibernates)
                scheduleHibernation();
            return;
        }
        answerNow(entry->second.responder, answer);
        held.erase(entry);
    });
    return answer.status;
}

int Simulator::Private::streamHuge(QHttpServerResponder& responder) const {
    QTcpSocket* const socket = responder.socket();
    responder.writeStatusLine(Status::Ok);
    responder.writeHeader("Content-Type", "text/html");
    responder.writeHeader("Content-Length", QByteArray::number(config.hugeBytes));
    responder.writeBody(QByteArray()); // ends the header; the stream writes the body
    new BodyStream(socket, config.hugeBytes);
    return 200;
}

quint64 Simulator::Private::hold(QHttpServerResponder&& responder) {
    const quint64 id = nextHeldId++;
    QTcpSocket* const socket = responder.socket();
    held.emplace(id, HeldResponder{socket, std::move(responder)});
    QObject::connect(socket, &QObject::destroyed, q, [this, id] { held.erase(id); });
    return id;
}

void Simulator::Private::scheduleHibernation() {
    if (on)
        hibernateTimer.start(config.hibernateDelayMs);
}

// Going off ends the open connections too; otherwise a client's kept-alive connection would
// still reach a server that is asleep. disconnectFromHost() first sends what is queued, such as
// the answer to hibern.asp itself.
void Simulator::Private::dropConnections() {
    if (!tcpServer)
        return;
    const auto sockets = tcpServer->findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly);
    for (QTcpSocket* const socket : sockets)
        socket->disconnectFromHost();
}

bool Simulator::Private::listenHttp() {
    if (tcpServer->listen(config.address, httpPort))
        return true;
    error = QStringLiteral("HTTP port %1: %2").arg(httpPort).arg(tcpServer->errorString());
    return false;
}

bool Simulator::Private::bindWakeOnLan() {
    for (const quint16 port : std::as_const(config.wolPorts)) {
        auto socket = std::make_unique<QUdpSocket>();
        if (!socket->bind(config.address, port))
            return fail(QStringLiteral("UDP port %1: %2").arg(port).arg(socket->errorString()));
        QUdpSocket* const udp = socket.get();
        QObject::connect(udp, &QUdpSocket::readyRead, q, [this, udp] { readDatagrams(udp); });
        wolPorts.append(udp->localPort());
        udpSockets.push_back(std::move(socket));
    }
    return true;
}

void Simulator::Private::readDatagrams(QUdpSocket* socket) {
    while (socket->hasPendingDatagrams()) {
        const RecordedDatagram record{socket->localPort(), socket->receiveDatagram().data()};
        datagrams.append(record);
        const bool wakes =
            std::any_of(config.macs.cbegin(), config.macs.cend(),
                        [&](const auto& mac) { return isMagicPacketFor(record.bytes, mac); });
        if (wakes && !on && !wakeTimer.isActive())
            wakeTimer.start(config.wakeDelayMs);
        Q_EMIT q->datagramReceived(record);
    }
}

bool Simulator::Private::fail(const QString& message) {
    error = message;
    return false;
}

Simulator::Simulator(Config config, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(this, std::move(config))) {}

// The held responders go while their connections still exist; then the server, whose closing
// connections still report into d.
Simulator::~Simulator() {
    d->held.clear();
    d->http.reset();
}

bool Simulator::start() {
    if (d->started)
        return d->fail(QStringLiteral("already started"));
    if (!d->config.address.isLoopback())
        return d->fail(
            QStringLiteral("%1 is not a loopback address").arg(d->config.address.toString()));
    d->http = std::make_unique<QHttpServer>();
    d->http->setMissingHandler(
        [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
            d->handle(request, std::move(responder));
        });
    d->tcpServer = new QTcpServer(d->http.get());
    d->httpPort = d->config.httpPort;
    if (!d->listenHttp() || !d->bindWakeOnLan()) {
        d->udpSockets.clear();
        d->wolPorts.clear();
        d->http.reset();
        return false;
    }
    d->httpPort = d->tcpServer->serverPort();
    d->http->bind(d->tcpServer);
    if (!d->on)
        d->tcpServer->close();
    d->started = true;
    return true;
}

QString Simulator::errorString() const {
    return d->error;
}

quint16 Simulator::httpPort() const {
    return d->httpPort;
}

QList<quint16> Simulator::wolPorts() const {
    return d->wolPorts;
}

QString Simulator::url() const {
    const QHostAddress& address = d->config.address;
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    const QString path = d->config.basePath.isEmpty() ? QStringLiteral("/") : d->config.basePath;
    return QStringLiteral("http://%1:%2%3").arg(host).arg(d->httpPort).arg(path);
}

bool Simulator::isOn() const {
    return d->on;
}

void Simulator::setOn(bool on) {
    d->wakeTimer.stop();
    d->hibernateTimer.stop();
    if (on == d->on)
        return;
    if (d->started) {
        if (on && !d->listenHttp()) {
            qWarning("tvsim: cannot wake: %s", qPrintable(d->error));
            return;
        }
        if (!on) {
            d->tcpServer->close();
            d->dropConnections();
        }
    }
    d->on = on;
    Q_EMIT stateChanged(on);
}

void Simulator::setEncoding(bool encoding) {
    d->config.encoding = encoding;
}

void Simulator::setFault(Fault fault) {
    d->config.fault = fault;
}

void Simulator::setMacs(const QStringList& macs) {
    d->config.macs = macs;
}

void Simulator::setCredentials(const QString& userName, const QString& password) {
    d->config.userName = userName;
    d->config.password = password;
}

QList<RecordedRequest> Simulator::requests() const {
    return d->requests;
}

QList<RecordedDatagram> Simulator::datagrams() const {
    return d->datagrams;
}

void Simulator::clearRecords() {
    d->requests.clear();
    d->datagrams.clear();
}

bool parseFault(const QString& name, Fault* fault) {
    const auto entry = std::find_if(FaultNames.cbegin(), FaultNames.cend(), [&](const auto& e) {
        return name.compare(QLatin1StringView(e.name), Qt::CaseInsensitive) == 0;
    });
    if (entry == FaultNames.cend())
        return false;
    *fault = entry->fault;
    return true;
}

QStringList faultNames() {
    QStringList names;
    for (const auto& entry : FaultNames)
        names.append(QString::fromLatin1(entry.name));
    return names;
}

QByteArray parseMac(const QString& mac) {
    QString hex = mac.trimmed();
    if (hex.size() == 3 * MacSize - 1) {
        const QChar separator = hex.at(2);
        if (separator != QLatin1Char(':') && separator != QLatin1Char('-'))
            return {};
        for (int i = 2; i < hex.size(); i += 3) {
            if (hex.at(i) != separator)
                return {};
        }
        hex.remove(separator);
    }
    const bool isHex =
        hex.size() == 2 * MacSize && std::all_of(hex.cbegin(), hex.cend(), [](QChar c) {
            return c.isDigit() ||
                   (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
        });
    return isHex ? QByteArray::fromHex(hex.toLatin1()) : QByteArray();
}

bool isMagicPacketFor(const QByteArray& datagram, const QString& mac) {
    const QByteArray address = parseMac(mac);
    constexpr qsizetype plainSize = MacSize + MacSize * MagicRepeats;
    if (address.isEmpty() ||
        (datagram.size() != plainSize && datagram.size() != plainSize + SecureOnSize))
        return false;
    if (datagram.first(MacSize) != QByteArray(MacSize, '\xff'))
        return false;
    for (int i = 0; i < MagicRepeats; ++i) {
        if (datagram.mid(MacSize * (i + 1), MacSize) != address)
            return false;
    }
    return true;
}

} // namespace tvsim
