#pragma once

#include <QAtomicInteger>
#include <QByteArray>
#include <QNetworkProxy>
#include <QThread>

#include <memory>

namespace pelorin {

// Every connection of the HTTP client runs through this relay: a SOCKS5 proxy on the loopback
// addresses, in a thread of its own, open only to the holder of its one-time password.
//
// Qt's HTTP client parses answers in a thread of its own. On a direct connection it reads the
// socket unbuffered, one byte per system call while it collects the header lines, and leaves its
// read loop only when the system has nothing more for it: a server that keeps sending keeps that
// thread in the loop for good, and the abort that a time-out posts to it is never handled. The
// connection stays open, the thread keeps a processor busy and the unfinished header grows.
// Through a proxy Qt reads a buffered socket instead and returns to its event loop after each
// 64 KiB, so an abort takes effect; the relay then closes the server's side of the connection.
// The relay also ends a transfer that goes beyond its byte budget, so that neither an endless
// header nor an endless body grows in memory until the time-out.
class ConnectionRelay {
public:
    explicit ConnectionRelay(qint64 budgetBytes);
    ~ConnectionRelay();
    ConnectionRelay(const ConnectionRelay&) = delete;
    ConnectionRelay& operator=(const ConnectionRelay&) = delete;

    // Picks the relay's side for each server address; where the relay could not listen, the
    // connection is direct.
    std::unique_ptr<QNetworkProxyFactory> proxyFactory() const;

    // A new transfer begins: the byte budget is full again and new connections are let through.
    void startTransfer();
    // The transfer since startTransfer() ran out of budget: the connection that went beyond it
    // was closed after the bytes within it, and new ones are refused until the next transfer.
    bool overBudget() const;

private:
    class Pipe;
    class Worker;
    const qint64 m_budgetBytes;
    const QByteArray m_password;
    QAtomicInteger<qint64> m_remaining;
    QAtomicInt m_overBudget = 0;
    QThread m_thread;
    Worker* m_worker;          // lives in m_thread
    QNetworkProxy m_proxy;     // on 127.0.0.1
    QNetworkProxy m_proxyIPv6; // on ::1
};

} // namespace pelorin
