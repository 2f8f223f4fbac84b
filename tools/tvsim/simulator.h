#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace tvsim {

// How the simulated server misbehaves on its HTTP pages while it is on. A fault replaces the
// server's answer to every request (or to those of Config::faultPage), before authentication is
// looked at, so a client sees it whatever credentials it sends; the page's own effect
// (hibernation) does not happen then.
// Slow is the exception: it delays the normal answer, authentication and hibernation included.
enum class Fault {
    None,
    Hang,           // accepts the connection and the request, never answers
    Reset,          // closes the connection as soon as the request arrived, without answering
    Empty,          // 200 with an empty body
    Garbage,        // 200 with a body of random bytes that contains none of the page markers
    Slow,           // the normal answer, after Config::slowMs
    Huge,           // 200 with a body of Config::hugeBytes bytes, streamed
    RedirectLoop,   // 302 to itself, forever
    NoChallenge401, // 401 without a WWW-Authenticate header, body holds "HTTP 401.2"
};

// Parses the names used on tvsim's command line ("none", "hang", "reset", "empty", "garbage",
// "slow", "huge", "redirect-loop", "401-nochallenge"); false when the name is unknown.
bool parseFault(const QString& name, Fault* fault);
QStringList faultNames();

struct Config {
    QHostAddress address = QHostAddress::LocalHost; // must be a loopback address
    quint16 httpPort = 0;                           // 0: any free port
    QString basePath = QStringLiteral("/tv");       // the server URL's path
    // Adapters listed by GetMacAddr.asp as "LABEL:MAC|" items, in this order. One adapter is
    // labelled macLabel as is, several are numbered from 1 ("LAN1:", "LAN2:", ...).
    QStringList macs = {QStringLiteral("00:11:22:33:44:55")};
    QString macLabel = QStringLiteral("LAN");
    QString macBodyOverride; // when not empty, GetMacAddr.asp answers exactly this text
    QString userName;        // both empty: no authentication
    QString password;
    bool startOn = true;
    bool encoding = false;    // hibern.asp answers but the server keeps running
    int wakeDelayMs = 0;      // from a valid magic packet to accepting connections again
    int hibernateDelayMs = 0; // from answering hibern.asp to closing the port
    Fault fault = Fault::None;
    QString faultPage; // when not empty, the fault hits this page only ("hibern.asp")
    int slowMs = 3000;
    qint64 hugeBytes = 8 * 1024 * 1024;
    QList<quint16> wolPorts; // UDP ports to listen on for magic packets; 0 picks a free port
};

struct RecordedRequest {
    QString path;             // path and query as requested, e.g. "/tv/hibern.asp"
    QByteArray authorization; // the Authorization header, empty when none was sent
    // Status code answered (with Fault::Slow: the one that will be answered), 0 when the
    // server does not answer at all (Hang, Reset).
    int status = 0;
};

struct RecordedDatagram {
    quint16 port = 0; // local port that received it
    QByteArray bytes;
};

// A stand-in for the TV server: its web pages, Basic authentication, hibernation and a
// Wake-on-LAN listener, with fault modes and a record of everything received.
class Simulator : public QObject {
    Q_OBJECT
public:
    explicit Simulator(Config config, QObject* parent = nullptr);
    ~Simulator() override;

    // Binds the HTTP port and the UDP ports. While the server is off its HTTP port is closed;
    // waking reopens the same port number. False (see errorString()) when a port cannot be
    // bound, the address is not a loopback address, or the simulator was started already.
    bool start();
    QString errorString() const;

    quint16 httpPort() const;
    QList<quint16> wolPorts() const; // as bound, in Config order
    QString url() const;             // "http://127.0.0.1:PORT/tv" ("[::1]" on IPv6)

    bool isOn() const;
    // Off: the HTTP port stops accepting connections and open connections are closed.
    // Cancels a pending wake-up or hibernation. Before start() it only sets the initial state.
    void setOn(bool on);
    void setEncoding(bool encoding);
    void setFault(Fault fault);
    void setMacs(const QStringList& macs);
    void setCredentials(const QString& userName, const QString& password);

    QList<RecordedRequest> requests() const;
    QList<RecordedDatagram> datagrams() const;
    void clearRecords();

Q_SIGNALS:
    void stateChanged(bool on);
    void requestReceived(const tvsim::RecordedRequest& request);
    void datagramReceived(const tvsim::RecordedDatagram& datagram);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The six bytes of a MAC written as "00:11:22:33:44:55", "00-11-22-33-44-55" or
// "001122334455" (either case); empty when `mac` is not such a MAC.
QByteArray parseMac(const QString& mac);

// True when `datagram` is a magic packet (6 x 0xFF, then the MAC 16 times; optionally followed
// by a 6-byte SecureOn password) for the six bytes of `mac` ("00:11:22:33:44:55" or with "-").
bool isMagicPacketFor(const QByteArray& datagram, const QString& mac);

} // namespace tvsim

Q_DECLARE_METATYPE(tvsim::RecordedRequest)
Q_DECLARE_METATYPE(tvsim::RecordedDatagram)
