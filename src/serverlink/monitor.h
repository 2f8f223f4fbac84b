#pragma once

#include "serverlink/linkview.h"
#include "serverlink/porttest.h"
#include "serverlink/serverlink.h"
#include "settings/settings.h"

namespace pelorin {

// One look at the server by the periodic monitor. While the server is believed to be on, only
// its web port is tried (cheap, no page requested); otherwise the silent status probe runs. The
// outcome goes to the lamp and the status text; the monitor never starts a power command.
class ServerMonitor {
public:
    ServerMonitor(ServerLink& link, const Settings& settings, LinkView& view);

    // `believedOn`: the lamp shows the server on (the window's belief that it runs).
    void check(bool believedOn);

private:
    void checkPort();
    void checkByProbe();

    ServerLink& m_link;
    const Settings& m_settings;
    LinkView& m_view;
    PortTest m_portTest;
};

} // namespace pelorin
