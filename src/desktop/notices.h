#pragma once

#include "serverlink/powercommands.h"

#include <QString>

#include <optional>

// What the desktop is told about the server, decided without any window or bus.
namespace pelorin::notices {

// One desktop notification: its title and its text.
struct Notice {
    QString summary;
    QString body;
    bool operator==(const Notice&) const = default;
};

// Form/Tray and Form/Notify: on unless the setting is "0"; a missing key is the default, on.
bool switchedOn(const QString& setting);

// The monitor saw the server start (`on`) or stop with nobody asking.
Notice serverChanged(bool on);

// A power command ended with `end`. A notice when the server reached the state the command
// asked for, or when ten probes did not confirm it; nothing when the command stopped before that
// (the user was told in a message box then).
std::optional<Notice> commandEnded(PowerCommands::End end);

} // namespace pelorin::notices
