#include "serverlink/monitor.h"

#include "common/shared_state.h"
#include "serverlink/serverurl.h"
#include "settings/settings.h"

namespace pelorin {

ServerMonitor::ServerMonitor(ServerLink& link, LinkView& view) : m_link(link), m_view(view) {
    QObject::connect(&m_portTest, &PortTest::connectionEstablished, &m_portTest,
                     [] { shared().PortConnected = true; });
}

void ServerMonitor::check() {
    m_checking = true;
    if (shared().ServerON)
        checkPort();
    else
        checkByProbe();
    m_checking = false;
}

void ServerMonitor::checkPort() {
    shared().PortConnected = false;
    m_portTest.run(monitorEndpoint(ReadIni(ini::Server, ini::URL)));
    if (shared().PortConnected) {
        m_view.lampOn();
        m_view.setStatusText(status_text::ServerOn);
    } else {
        m_view.lampOff();
        shared().ServerON = false;
        m_view.setStatusText(status_text::ServerOff);
    }
}

void ServerMonitor::checkByProbe() {
    const StatusWord status = m_link.CheckStatus_Silent(ReadIni(ini::Server, ini::URL));
    if (status == StatusWord::On) {
        m_view.lampOn();
        shared().ServerON = true;
        m_view.setStatusText(status_text::ServerOn);
    } else if (status != StatusWord::Off) {
        // Refused credentials or an unexpected page: shown as off, without a message.
        m_view.lampOff();
        shared().ServerON = false;
        m_view.setStatusText(status_text::ServerOff);
    }
}

} // namespace pelorin
