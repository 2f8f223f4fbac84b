#pragma once

// A scripted HTTP server on a loopback address that misbehaves the way attackers do, in a thread
// of its own: its flood does not wait for the test's event loop, nor for a child it waits on.

#include <QAtomicInt>
#include <QHostAddress>
#include <QMutex>
#include <QThread>

namespace hostile {

enum class Act {
    RedirectTo,  // 302 to the location
    DemandBasic, // 401 with a Basic challenge unless the request is authorized, then the title page
    ShiftingRealm,     // 401 with a Basic challenge in a new realm on every answer
    EndlessChunked,    // 200, chunked, chunks without end
    EndlessUnsized,    // 200 without a length, a body without end
    HeaderFlood,       // 200, then header lines without end
    EndlessHeaderLine, // 200, then one header line that never ends
    HeaderTrickle,     // 200, then header lines without end, slowly (about 200 KiB/s)
};

class Server {
public:
    explicit Server(Act act, QByteArray location = {}); // where RedirectTo sends the client
    ~Server();

    bool listen(const QHostAddress& address = QHostAddress::LocalHost);
    QString url() const { return m_url; } // "http://ADDRESS:PORT/tv"
    // Requests answered; with `authorizedOnly`, those that carried an Authorization header.
    int requests(bool authorizedOnly = false) const;
    // Endless answers that ended because the client closed the connection or broke it.
    int streamsClosed() const;

private:
    class Worker;
    QThread m_thread;
    Worker* m_worker; // lives in m_thread
    QString m_url;
    mutable QMutex m_mutex; // guards the two records below, written by the worker
    int m_requests = 0;
    int m_authorized = 0;
    int m_streamsClosed = 0;
    QAtomicInt m_stop = 0; // ends a stream the client never closes
};

} // namespace hostile
