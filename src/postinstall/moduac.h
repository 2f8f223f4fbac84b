#pragma once

#include "postinstall/platform.h"

#include <array>
#include <cstdint>

namespace pelorin::postinstall::modUAC {

inline constexpr auto PolicyKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
inline constexpr auto EnableLuaValue = "EnableLUA";
inline constexpr std::uint32_t ReadAccess = 0x20019;

// The registration tool's command lines, run in this order: each control is unregistered and
// then registered again, silently.
const std::array<Command, 6>& registrationCommands();

// True only when the UAC setting could be read and equals 1; the key is closed in every case.
bool IsUACEnabled(Platform& platform);

// Runs the registration commands in order, each to its end while events keep being processed.
// A command that cannot be started ends the routine: the ones after it would need the same tool.
void RegisterControls(Platform& platform, EventPump& events);

// Waits, without a time limit, until the program has ended, processing events all along.
void waitUntilEnded(StartedProgram& program, EventPump& events);

} // namespace pelorin::postinstall::modUAC
