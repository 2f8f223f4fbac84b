#pragma once

#include <QStringList>

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
    bool json = false;  // the result as one JSON object on standard output
};

// Each command gets its own arguments (without the command name) and the options given before
// it, which its own --json and --quiet add to; it returns the exit status.
int runConfig(const QStringList& args, Options options);
int runStatus(const QStringList& args, Options options);
int runMacs(const QStringList& args, Options options);
int runWake(const QStringList& args, Options options);
int runOn(const QStringList& args, Options options);
int runOff(const QStringList& args, Options options);
int runWatch(const QStringList& args, Options options);

// Prints one line to standard error prefixed with the program name, its control characters
// escaped.
void printError(const QString& message);

} // namespace pelorin::cli
