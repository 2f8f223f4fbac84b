#pragma once

#include "rules/serverurl.h"

#include <QTcpSocket>

namespace pelorin {

// The monitor's cheap check of a running server: can a TCP connection to its web port be opened?
// The wait processes all events, so the window stays usable for its whole length.
class PortTest {
public:
    // Between 10 and 11 seconds in the original tool; the middle of that window.
    static constexpr int WaitMs = 10500;

    // Starts a connection and waits until it is established, refused, or the wait is over.
    // Returns whether it was established; the connection is closed again afterwards.
    bool run(const Endpoint& endpoint, int waitMs = WaitMs);

private:
    QTcpSocket m_socket;
};

} // namespace pelorin
