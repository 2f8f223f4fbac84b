#include "serverlink/monitor.h"

#include "rules/serverurl.h"

namespace pelorin {

ServerMonitor::ServerMonitor(ServerLink& link, const Settings& settings, LinkView& view)
    : m_link(link), m_settings(settings), m_view(view) {}

void ServerMonitor::check(bool believedOn) {
    if (believedOn)
        checkPort();
    else
        checkByProbe();
}

void ServerMonitor::checkPort() {
    const bool connected = m_portTest.run(monitorEndpoint(m_settings.url()));
    m_view.showLamp(connected ? LinkView::Lamp::On : LinkView::Lamp::Off);
    m_view.showStatus(connected ? status_text::serverOn() : status_text::serverOff());
}

void ServerMonitor::checkByProbe() {
    const StatusWord status = m_link.CheckStatus_Silent(m_settings.url());
    if (status == StatusWord::On) {
        m_view.showLamp(LinkView::Lamp::On);
        m_view.showStatus(status_text::serverOn());
    } else if (status != StatusWord::Off) {
        // Refused credentials or an unexpected page: shown as off, without a message.
        m_view.showLamp(LinkView::Lamp::Off);
        m_view.showStatus(status_text::serverOff());
    }
}

} // namespace pelorin
