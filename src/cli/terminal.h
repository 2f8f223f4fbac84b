#pragma once

#include <QString>
#include <QTextStream>

#include <optional>

// Typing a password at the terminal without showing it. Each platform has a file of its own
// (terminal_posix.cpp, terminal_win.cpp); nothing else calls the system for it.
namespace pelorin::cli {

// Whether standard input is a terminal (on Windows, a console) rather than a pipe or a file.
bool stdinIsTerminal();

// Turns the terminal's echo off, shows `prompt` on `err` and reads one line from
// standard input; the echo is back on when it returns, also when a signal (Ctrl+C) ends the
// program meanwhile. The line comes without its line break. Nothing when the input ended before
// a line break, or when the echo could not be turned off (nothing was read then).
std::optional<QString> readLineWithoutEcho(const QString& prompt, QTextStream& err);

} // namespace pelorin::cli
