#pragma once

#include <QObject>

#include <functional>

namespace pelorin {

// Runs `onQuit` from the event loop when the process is asked to end (SIGINT, SIGTERM on POSIX
// systems), instead of being killed halfway through a line. Elsewhere the system's default
// stays in force.
void callOnQuitSignals(QObject* context, std::function<void()> onQuit);

} // namespace pelorin
