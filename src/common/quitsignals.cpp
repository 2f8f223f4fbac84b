#include "common/quitsignals.h"

#ifdef Q_OS_UNIX

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace pelorin {

namespace {

int signalPair[2] = {-1, -1};

// Hardly anything is safe inside a signal handler: it only writes a byte, and the event loop,
// watching the other end of the pair, does the rest.
extern "C" void onQuitSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPair[1], &byte, 1);
}

} // namespace

void callOnQuitSignals(QObject* context, std::function<void()> onQuit) {
    if (signalPair[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPair) != 0)
        return;
    auto* const notifier = new QSocketNotifier(signalPair[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [onQuit = std::move(onQuit)] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPair[0], &byte, 1);
        onQuit();
    });
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace pelorin

#else

namespace pelorin {

void callOnQuitSignals(QObject*, std::function<void()>) {}

} // namespace pelorin

#endif
