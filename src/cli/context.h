#pragma once

#include "cli/network.h"
#include "settings/settings.h"

#include <QIODevice>
#include <QJsonObject>
#include <QTextStream>

#include <functional>

namespace pelorin::cli {

// Exit statuses shared by every command.
enum Exit : int {
    Success = 0,
    NotReached = 1,    // the server is not in the asked-for state, or nothing was obtained
    UsageError = 2,    // bad arguments or configuration; nothing was written
    ServerProblem = 3, // the server refused the credentials or the URL names no page
};

struct Options {
    bool quiet = false; // no progress lines on standard error
    bool json = false;  // the result, or the error, as one JSON object on standard output
};

// What one run of pelorinctl works with: its options, its streams and its settings. Results go
// to `out`, progress lines and errors to `err`; nothing is written to the process's own streams.
struct Context {
    Options options;
    QTextStream& out;
    QTextStream& err;
    const Settings& settings;
    QIODevice& input;     // standard input, for a password
    bool inputIsTerminal; // a password is then typed without echo
    std::function<QList<Ipv4Network>()> localNetworks;

    // One compact JSON object on a line of its own, every control character escaped.
    void printJson(const QJsonObject& object) const;
    // A line on standard error unless --quiet.
    void progress(const QString& line) const;
    // "pelorinctl: MESSAGE" on standard error, control characters escaped.
    void printError(const QString& message) const;

    // Ends the command: with --json, prints `result` with "error" (null, or `error`) and "exit"
    // added; `error`, when there is one, also goes to standard error. Returns `exit`.
    int finish(int exit, QJsonObject result, const QString& error = {}) const;
    // Ends the command with nothing to report but `error` ({"error": ..., "exit": N} with
    // --json), followed by `hint` on standard error when there is one.
    int fail(int exit, const QString& error, const QString& hint = {}) const;
};

// `text` with every control character (C0, DEL and C1: U+0000..U+001F, U+007F..U+009F, tab and
// line breaks too) written as an escape, "\x1B" or "\u009B": text from the server or the settings
// file must not move the cursor, clear the screen or retitle the terminal.
QString escapedControls(const QString& text);

} // namespace pelorin::cli
