#pragma once

#include "rules/status.h"
#include "serverlink/serverlink.h"
#include "serverlink/wakeonlan.h"
#include "settings/settings.h"

#include <QString>

namespace pelorin {

// The ON and OFF commands: wake the server with a magic packet, or ask it to hibernate, then
// probe until it is in the new state or ten tries have passed. Every step is shown through the
// link's view (lamp, status text, messages); the waits keep the event loop running.
class PowerCommands {
public:
    static constexpr int Tries = 10;
    static constexpr int ShortWaitMs = 500 * 5;
    static constexpr int LongWaitMs = 500 * 10;

    enum class End {
        NoUsableMac,  // nothing to wake: the user was sent to the details dialog
        ServerOn,     // the server answered "ON"
        ServerOff,    // the server stopped answering (or answered with an empty page)
        ProbeProblem, // the probe answered PasswordRequired, WrongURL or BadConfigulation
        NoAnswer,     // the hibernate request itself got no answer
        StillOn,      // ten tries after the hibernate request, the server still runs
        StillRefused, // ten tries after the hibernate request, the credentials were refused
        NeverWoke,    // ten tries after the magic packet, the server still does not answer
    };

    struct Result {
        End end = End::ServerOff;
        StatusWord lastStatus = StatusWord::Off;
        int tries = 0;   // probes made
        QString mac;     // the address woken (ON)
        WakeReport wake; // what the sender reported (ON)
    };

    PowerCommands(ServerLink& link, const Settings& settings, LinkView& view);

    // Ports, repetitions and pauses of the magic packet; tests send to their own loopback ports.
    void setWakeOptions(const WakeOptions& options) { m_wakeOptions = options; }

    Result switchOn();
    Result switchOff();

    // A command is under way (its waits let other events in, so a second one could start).
    bool isRunning() const { return m_running; }

private:
    Result wakeAndConfirm(const QString& url, const QString& mac);
    Result confirmAsleep();

    ServerLink& m_link;
    const Settings& m_settings;
    LinkView& m_view;
    WakeOptions m_wakeOptions;
    bool m_running = false;
};

// Whether a finished command left the server in the state it asked for.
bool reachedRequestedState(PowerCommands::End end);

} // namespace pelorin
