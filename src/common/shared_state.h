#pragma once

#include <QString>

namespace pelorin {

// The few program-wide variables the windows share besides the settings file. They all start
// False, 0 or empty. Only the GUI thread touches them.
struct SharedState {
    bool ServerON = false;       // the tool's belief that the server is running
    bool LastProbeON = false;    // the latest status probe ended with "ON"
    bool ChoosingServer = false; // Init opened the settings dialog to pick one of several URLs
    bool SettingOpen = false;    // the server settings dialog is loaded
    QString DetailURL;           // the server URL handed to the details dialog
    short LampState = 0;         // floating button face: 0 none yet, 1 server on, 3 server off
    bool LampBlink = false;      // a probe or command is under way
    bool PortConnected = false;  // the monitor's TCP connection was established
};

SharedState& shared();

// Back to the start-up values; for tests that run several scenarios in one process.
void resetShared();

} // namespace pelorin
