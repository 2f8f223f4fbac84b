#pragma once

#include "common/ui/serverstate.h"

#include <QObject>

namespace pelorin {

namespace notices {
struct Notice;
}

// Desktop notifications about the server, sent to the freedesktop notification service on the
// session bus: when the monitor sees the server start or stop with nobody asking, and when a
// power command ends (confirmed, or not confirmed after its ten probes). What Init finds, at
// start-up or after the settings dialog, is where the server stands, not a change.
//
// Nothing is ever awaited: without a bus or without the service the notice is simply lost.
class DesktopNotices final : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotices(const ServerState& state, QObject* parent = nullptr);

private:
    void stateChanged();
    void commandEnded(PowerCommands::End end);
    static void send(const notices::Notice& notice);

    const ServerState& m_state;
    bool m_knownOn; // the server's state as last told, or as it was when the watch began
};

} // namespace pelorin
