#pragma once

#include "serverlink/linkview.h"
#include "serverlink/porttest.h"
#include "serverlink/serverlink.h"

namespace pelorin {

// One look at the server by the periodic monitor. While the server is believed to be on, only
// its web port is tried (cheap, no page requested); otherwise the silent status probe runs. The
// outcome goes to the lamp and the status text; the monitor never starts a power command.
class ServerMonitor {
public:
    ServerMonitor(ServerLink& link, LinkView& view);

    void check();

    // True while a check waits on the network (a second one must not start meanwhile).
    bool isChecking() const { return m_checking; }

private:
    void checkPort();
    void checkByProbe();

    ServerLink& m_link;
    LinkView& m_view;
    PortTest m_portTest;
    bool m_checking = false;
};

} // namespace pelorin
