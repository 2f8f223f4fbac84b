// The ON and OFF commands from the command line: the very PowerCommands the window runs, with
// the outcome turned into an exit status and, on request, a JSON report.
#include "cli/cmdline.h"
#include "cli/commands.h"
#include "cli/textview.h"
#include "serverlink/powercommands.h"
#include "settings/settings.h"

#include <QElapsedTimer>

namespace pelorin::cli {

namespace {

using End = PowerCommands::End;

struct Outcome {
    const char* name; // the reported outcome
    QString server;   // "on", "off" or "unknown" as far as the command found out
    Exit exit;
};

// How each way out of a command reads to a script. A refused or unexpected page is the URL's
// or the credentials' fault (3), as for `status`. An OFF request nobody answered is decided by
// the look taken after it: the window takes such a server to be asleep already, but a script
// must not be told so unless the server reads OFF.
Outcome outcomeOf(End end, StatusWord lastStatus) {
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
        return {"NoAnswer", serverStateName(lastStatus),
                lastStatus == StatusWord::Off  ? Success
                : lastStatus == StatusWord::On ? NotReached
                                               : ServerProblem};
    case End::StillOn:
        return {"StillOn", "on", NotReached};
    case End::StillRefused:
        return {"StillRefused", "unknown", ServerProblem};
    case End::NeverWoke:
        break;
    }
    return {"NeverWoke", "off", NotReached};
}

// Prints the report (OFF wakes nothing, so its MAC is null) with the command's own `fields`,
// and gives the exit status.
int report(const PowerCommands::Result& result, const QElapsedTimer& clock, const Options& options,
           const QJsonObject& fields = {}) {
    const Outcome outcome = outcomeOf(result.end, result.lastStatus);
    if (options.json) {
        QJsonObject object{{"status", statusWordText(result.lastStatus)},
                           {"server", outcome.server},
                           {"mac", result.mac.isEmpty() ? QJsonValue() : QJsonValue(result.mac)},
                           {"tries", result.tries},
                           {"elapsed", static_cast<double>(clock.elapsed()) / 1000.0},
                           {"outcome", QLatin1String(outcome.name)}};
        for (auto field = fields.begin(); field != fields.end(); ++field)
            object.insert(field.key(), field.value());
        printJson(object);
    }
    if (result.end == End::NoUsableMac)
        printError(QStringLiteral("no usable MAC address in Server/Mac or Server/Mac-1"));
    if (result.end == End::NoAnswer && outcome.exit != Success)
        printError(QStringLiteral("the hibernation request got no answer and the server reads %1")
                       .arg(statusWordText(result.lastStatus)));
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
    ServerLink link(programSettings(), view);
    PowerCommands commands(link, programSettings(), view);
    commands.setWakeOptions(*wake);
    QElapsedTimer clock;
    clock.start();
    return report(commands.switchOn(), clock, options);
}

int runOff(const QStringList& args, Options options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Switches the TV server off: requests its hibernation page, then probes the server up "
        "to ten times until it stops answering; when the request gets no answer at all, probes "
        "it once. Exit status 0 when it is off, 1 when it keeps running (an encoder may be "
        "busy), 3 when the server refused the credentials or the URL."));
    if (const auto done = parseCommand(parser, {QStringLiteral("off"), 0, 0}, args, options))
        return *done;
    if (!checkedServerUrl())
        return UsageError;

    TextView view(options.quiet);
    ServerLink link(programSettings(), view);
    PowerCommands commands(link, programSettings(), view);
    QElapsedTimer clock;
    clock.start();
    PowerCommands::Result result = commands.switchOff();
    const bool answered = result.end != End::NoAnswer;
    if (!answered) {
        // The window has shown a sleeping server; what the command reports is what it sees now.
        result.lastStatus = link.CheckStatus(programSettings().url());
        result.tries = 1;
    }
    return report(result, clock, options,
                  {{"hibernate_request", answered ? "answered" : "unanswered"}});
}

} // namespace pelorin::cli
