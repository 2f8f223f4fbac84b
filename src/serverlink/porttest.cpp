#include "serverlink/porttest.h"

#include "common/timing.h"

#include <QEventLoop>
#include <QTimer>

namespace pelorin {

bool PortTest::run(const Endpoint& endpoint, int waitMs) {
    // A previous test may still be connected or connecting.
    m_socket.abort();
    if (!endpoint.isValid())
        return false;

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5% early
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Connected, refused or unreachable: either way the wait is over.
    const auto onStateChange = QObject::connect(&m_socket, &QTcpSocket::stateChanged, &loop,
                                                [&loop](QAbstractSocket::SocketState state) {
                                                    if (state == QAbstractSocket::ConnectedState ||
                                                        state == QAbstractSocket::UnconnectedState)
                                                        loop.quit();
                                                });

    m_socket.connectToHost(endpoint.host, endpoint.port);
    deadline.start(timing::scaled(waitMs));
    if (m_socket.state() != QAbstractSocket::ConnectedState &&
        m_socket.state() != QAbstractSocket::UnconnectedState)
        loop.exec();

    QObject::disconnect(onStateChange);
    const bool connected = m_socket.state() == QAbstractSocket::ConnectedState;
    m_socket.abort();
    return connected;
}

} // namespace pelorin
