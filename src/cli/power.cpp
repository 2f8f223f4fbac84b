// The ON and OFF commands from the command line: the very PowerCommands the window runs, with
// the outcome turned into an exit status and, on request, a JSON report.
#include "cli/cmdline.h"
#include "cli/commands.h"
#include "cli/textview.h"
#include "serverlink/powercommands.h"

#include <QElapsedTimer>

namespace pelorin::cli {

namespace {

using End = PowerCommands::End;

struct Outcome {
    const char* name;   // the reported outcome
    const char* server; // "on", "off" or "unknown" as far as the command found out
    Exit exit;
};

// How each way out of a command reads to a script. A refused or unexpected page is the URL's
// or the credentials' fault (3), as for `status`. An OFF request nobody answered is taken as a
// server already asleep, as the window does (it shows the dark lamp).
Outcome outcomeOf(End end) {
    switch (end) {
    case End::NoUsableMac:
        return {"NoUsableMac", "unknown", UsageError};
    case End::ServerOn:
        return {"ServerOn", "on", Success};
    case End::ServerOff:
        return {"ServerOff", "off", Success};
    case End::ProbeProblem:
        return {"ProbeProblem", "unknown", ServerProblem};
    case End::NoAnswer:
        return {"NoAnswer", "off", Success};
    case End::StillOn:
        return {"StillOn", "on", NotReached};
    case End::StillRefused:
        return {"StillRefused", "unknown", ServerProblem};
    case End::NeverWoke:
        break;
    }
    return {"NeverWoke", "off", NotReached};
}

// Prints the report (OFF wakes nothing, so its MAC is null) and gives the exit status.
int report(const PowerCommands::Result& result, const QElapsedTimer& clock,
           const Options& options) {
    const Outcome outcome = outcomeOf(result.end);
    if (options.json) {
        printJson({{"status", statusWordText(result.lastStatus)},
                   {"server", QLatin1String(outcome.server)},
                   {"mac", result.mac.isEmpty() ? QJsonValue() : QJsonValue(result.mac)},
                   {"tries", result.tries},
                   {"elapsed", static_cast<double>(clock.elapsed()) / 1000.0},
                   {"outcome", QLatin1String(outcome.name)}});
    }
    if (result.end == End::NoUsableMac)
        printError(QStringLiteral("no usable MAC address in Server/Mac or Server/Mac-1"));
    return outcome.exit;
}

} // namespace

int runOn(const QStringList& args, Options options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Switches the TV server on: sends the Wake-on-LAN magic packet for Server/Mac (else "
        "Mac-1) to the stored URL's host, then probes the server up to ten times until it "
        "answers. Exit status 0 when it is on, 1 when it never answered, 2 without a usable "
        "MAC address, 3 when the server refused the credentials or the URL."));
    const WakeFlags flags = addWakeFlags(parser);
    if (const auto done = parseCommand(parser, {QStringLiteral("on"), 0, 0}, args, options))
        return *done;
    const auto wake = wakeOptionsFrom(parser, flags);
    if (!wake || !checkedServerUrl())
        return UsageError;

    TextView view(options.quiet);
    ServerLink link(view);
    PowerCommands commands(link, view);
    commands.setWakeOptions(*wake);
    QElapsedTimer clock;
    clock.start();
    return report(commands.switchOn(), clock, options);
}

int runOff(const QStringList& args, Options options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Switches the TV server off: requests its hibernation page, then probes the server up "
        "to ten times until it stops answering. Exit status 0 when it is off (or did not answer "
        "the request: it is taken to be asleep already), 1 when it keeps running (an encoder "
        "may be busy), 3 when the server refused the credentials or the URL."));
    if (const auto done = parseCommand(parser, {QStringLiteral("off"), 0, 0}, args, options))
        return *done;
    if (!checkedServerUrl())
        return UsageError;

    TextView view(options.quiet);
    ServerLink link(view);
    PowerCommands commands(link, view);
    QElapsedTimer clock;
    clock.start();
    return report(commands.switchOff(), clock, options);
}

} // namespace pelorin::cli
