#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Asking many addresses at once for the TV server's page, as `pelorinctl discover` does. The
// program's HttpClient waits for one answer at a time behind its relay; a scan needs dozens of
// short, independent requests instead, so it has a small client of its own that keeps the same
// rules: no credentials, no proxy, a redirect followed only on the same address and port, every
// answer bounded, and every connection closed at its deadline whatever the server does.
namespace pelorin::cli {

// An HTTP answer as far as it has arrived.
struct HttpAnswer {
    enum class State { Incomplete, Complete, Malformed };
    State state = State::Incomplete;
    int status = 0;
    QByteArray location; // the Location header, for redirects
    QByteArray body;     // decoded when it came chunked
};

// Reads the bytes a server sent for one request. `ended`: nothing more will come (the server
// closed the connection, or the reader stopped at its limit); a body of unknown length is then
// complete.
HttpAnswer readHttpAnswer(const QByteArray& received, bool ended);

struct ScanOptions {
    quint16 port = 80;
    QString path = QStringLiteral("/tv");
    int timeoutMs = 1500; // for each request, connection included
    int parallel = 64;    // connections open at once
};

struct FoundServer {
    quint32 address = 0;
    QString url;                     // "http://ADDRESS[:PORT]/PATH"
    std::optional<QStringList> macs; // as GetMacAddr.asp lists them; nothing when it did not answer
};

// The server URL a scan asks at `address`.
QString scanUrl(quint32 address, const ScanOptions& options);

// Asks every address for the page and lists, in the order given, those whose page is the
// server's, each with the MAC addresses its GetMacAddr.asp page reports. Returns when every
// request has ended; the event loop runs meanwhile.
QList<FoundServer> scanForServers(const QList<quint32>& addresses, const ScanOptions& options);

} // namespace pelorin::cli
