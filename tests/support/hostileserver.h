#pragma once

// A scripted HTTP server on a loopback address that misbehaves the way attackers do: it sends
// the client elsewhere, shifts its authentication realm, or never stops talking. It runs in a
// thread of its own, as a machine of its own would: its flood does not wait for the event loop of
// the process under test, and a test can block waiting for a child process that talks to it.

#include <QAtomicInt>
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

namespace hostile {

enum class Act {
    Page,              // 200 with the TV server's title page
    RedirectTo,        // 302 to the location
    DemandBasic,       // 401 with a Basic challenge unless the request has an Authorization
                       // header, then 200 with the title page
    ShiftingRealm,     // 401 with a Basic challenge in a new realm on every answer
    EndlessChunked,    // 200, chunked, chunks without end
    EndlessUnsized,    // 200 without a length, a body without end
    HeaderFlood,       // 200, then header lines without end
    EndlessHeaderLine, // 200, then one header line that never ends
    HeaderTrickle,     // 200, then header lines without end, slowly (about 200 KiB/s)
};

class Server {
public:
    // `location` is where RedirectTo sends the client.
    explicit Server(Act act, QByteArray location = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool listen(const QHostAddress& address = QHostAddress::LocalHost);
    QString url() const; // "http://ADDRESS:PORT/tv"

    int requests() const;
    // The Authorization header of each request in order, empty where none was sent.
    QList<QByteArray> authorizations() const;
    // Endless answers that ended because the client closed the connection or broke it.
    int streamsClosed() const;

private:
    struct Records {
        QList<QByteArray> authorizations;
        int streamsClosed = 0;
    };
    class Worker;
    QThread m_thread;
    Worker* m_worker; // lives in m_thread
    QString m_url;
    mutable QMutex m_mutex;
    Records m_records;     // written by the worker under m_mutex
    QAtomicInt m_stop = 0; // ends a stream the client never closes
};

} // namespace hostile
