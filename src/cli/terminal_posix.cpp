// Reading a password on POSIX systems: the terminal's ECHO flag, and the signals that could end
// the program while it is off.
#include "cli/terminal.h"

#include "common/textcodec.h"

#include <QByteArray>
#include <QTextStream>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include <termios.h>
#include <unistd.h>

namespace pelorin::cli {

namespace {

constexpr std::array GuardedSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The mode to return to; a signal handler reads it, so it cannot live in the guard object.
termios savedMode{};

// A signal that would end the program puts the terminal back first, then does what it would have
// done. tcsetattr, signal and raise are all async-signal-safe.
extern "C" void restoreAndRaise(int signal) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &savedMode);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Keeps the echo off for as long as it lives.
class EchoOff {
public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &savedMode) != 0)
            return;
        struct sigaction action {};
        action.sa_handler = restoreAndRaise;
        sigemptyset(&action.sa_mask);
        for (std::size_t n = 0; n < GuardedSignals.size(); ++n)
            sigaction(GuardedSignals[n], &action, &m_previous[n]);
        termios quiet = savedMode;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ICANON;
        // Anything typed before the prompt was shown was typed with the echo on: it is dropped.
        m_active = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        m_installed = true;
    }
    ~EchoOff() {
        if (!m_installed)
            return;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &savedMode);
        for (std::size_t n = 0; n < GuardedSignals.size(); ++n)
            sigaction(GuardedSignals[n], &m_previous[n], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    bool isActive() const { return m_active; }

private:
    std::array<struct sigaction, GuardedSignals.size()> m_previous{};
    bool m_installed = false;
    bool m_active = false;
};

// Byte by byte, so that nothing after the line break is taken from the terminal.
std::optional<QByteArray> readRawLine() {
    QByteArray line;
    for (;;) {
        char byte = 0;
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        if (byte == '\n')
            return line;
        line += byte;
    }
}

} // namespace

bool stdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<QString> readLineWithoutEcho(const QString& prompt, QTextStream& err) {
    const EchoOff echoOff;
    if (!echoOff.isActive())
        return std::nullopt;
    err << prompt << Qt::flush;
    const auto line = readRawLine();
    // The line break the user typed was not echoed either.
    err << Qt::endl;
    if (!line)
        return std::nullopt;
    return decodeUtf8OrLocal(*line);
}

} // namespace pelorin::cli
