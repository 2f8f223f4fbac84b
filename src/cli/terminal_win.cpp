// Reading a password on Windows: the console's echo mode, and the Ctrl+C and Ctrl+Break that
// could end the program while it is off.
#include "cli/terminal.h"

#include <QTextStream>

#include <windows.h>

namespace pelorin::cli {

namespace {

HANDLE standardInput() {
    return GetStdHandle(STD_INPUT_HANDLE);
}

// The mode to return to; the control handler runs on a thread of its own and reads it.
DWORD savedMode = 0;

// The console keeps the mode a program leaves behind: put the echo back before Ctrl+C ends the
// program (FALSE lets the next handler, the default one, end it).
BOOL WINAPI restoreOnControl(DWORD) {
    SetConsoleMode(standardInput(), savedMode);
    return FALSE;
}

// Keeps the echo off for as long as it lives.
class EchoOff {
public:
    EchoOff() {
        if (!GetConsoleMode(standardInput(), &savedMode))
            return;
        SetConsoleCtrlHandler(restoreOnControl, TRUE);
        m_installed = true;
        const DWORD quiet = (savedMode & ~DWORD(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT;
        m_active = SetConsoleMode(standardInput(), quiet) != 0;
    }
    ~EchoOff() {
        if (!m_installed)
            return;
        SetConsoleMode(standardInput(), savedMode);
        SetConsoleCtrlHandler(restoreOnControl, FALSE);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    bool isActive() const { return m_active; }

private:
    bool m_installed = false;
    bool m_active = false;
};

} // namespace

bool stdinIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(standardInput(), &mode) != 0;
}

std::optional<QString> readLineWithoutEcho(const QString& prompt, QTextStream& err) {
    const EchoOff echoOff;
    if (!echoOff.isActive())
        return std::nullopt;
    err << prompt << Qt::flush;
    // The console hands out UTF-16 whatever its code page; the line ends with CR LF.
    QString line;
    wchar_t unit = 0;
    DWORD got = 0;
    while (ReadConsoleW(standardInput(), &unit, 1, &got, nullptr) && got == 1) {
        if (unit == L'\n') {
            err << Qt::endl;
            return line;
        }
        line += QChar(static_cast<char16_t>(unit));
    }
    err << Qt::endl;
    return std::nullopt;
}

} // namespace pelorin::cli
