// The ON and OFF commands from the command line: the very PowerCommands the window runs, with
// the outcome turned into an exit status, the final state and, on request, a JSON report.
#include "cli/cmdline.h"
#include "cli/commands.h"
#include "cli/texts.h"
#include "cli/textview.h"
#include "rules/serverurl.h"
#include "serverlink/powercommands.h"

#include <QElapsedTimer>

namespace pelorin::cli {

namespace {

using End = PowerCommands::End;

struct Outcome {
    const char* name; // the reported outcome
    QString server;   // "on", "off" or "unknown" as far as the command found out
    Exit exit;
    QString error; // why the server is not in the asked-for state; empty when it is
};

// How each way out of a command reads to a script. A refused or unexpected page is the URL's
// or the credentials' fault (3), as for `status`. An OFF request nobody answered is decided by
// the look taken after it: the window takes such a server to be asleep already, but a script
// must not be told so unless the server reads OFF.
Outcome outcomeOf(const PowerCommands::Result& result) {
    const StatusWord last = result.lastStatus;
    switch (result.end) {
    case End::NoUsableMac:
        return {"NoUsableMac", "unknown", UsageError, text::noUsableMac()};
    case End::ServerOn:
        return {"ServerOn", "on", Success, {}};
    case End::ServerOff:
        return {"ServerOff", "off", Success, {}};
    case End::ProbeProblem:
        return {"ProbeProblem", "unknown", ServerProblem, text::probeProblem(last)};
    case End::NoAnswer:
        if (last == StatusWord::Off)
            return {"NoAnswer", "off", Success, {}};
        return {"NoAnswer", serverStateName(last),
                last == StatusWord::On ? NotReached : ServerProblem,
                text::unansweredHibernation(statusWordText(last))};
    case End::StillOn:
        return {"StillOn", "on", NotReached, text::stillOn(result.tries)};
    case End::StillRefused:
        return {"StillRefused", "unknown", ServerProblem, text::stillRefused(result.tries)};
    case End::NeverWoke:
        break;
    }
    return {"NeverWoke", "off", NotReached, text::neverWoke(result.tries)};
}

QJsonValue orNull(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

// Prints the final state (when a probe found one) and the report with the command's own
// `fields`, and gives the exit status.
int report(const PowerCommands::Result& result, const QElapsedTimer& clock, const Context& context,
           QJsonObject fields) {
    const Outcome outcome = outcomeOf(result);
    const bool probed = result.tries > 0;
    if (probed && !context.options.json)
        context.out << statusWordText(result.lastStatus) << Qt::endl;
    fields.insert("url", urlForDisplay(context.settings.url()));
    fields.insert("status", probed ? QJsonValue(statusWordText(result.lastStatus)) : QJsonValue());
    fields.insert("server", outcome.server);
    fields.insert("tries", result.tries);
    fields.insert("elapsed", static_cast<double>(clock.elapsed()) / 1000.0);
    fields.insert("outcome", QLatin1String(outcome.name));
    return context.finish(outcome.exit, fields, outcome.error);
}

} // namespace

int runOn(const QStringList& args, Context& context) {
    CommandLine line(QStringLiteral("on"), text::describeOn());
    const WakeFlags flags = addWakeFlags(line);
    if (const auto done = line.parse(args, context, 0, 0))
        return *done;
    const CheckedWakeOptions wake = wakeOptionsFrom(line, flags);
    if (!wake.problem.isEmpty())
        return context.fail(UsageError, wake.problem);
    if (const CheckedUrl url = checkedServerUrl(context.settings); !url.problem.isEmpty())
        return context.fail(UsageError, url.problem);

    TextView view(context);
    ServerLink link(context.settings, view);
    PowerCommands commands(link, context.settings, view);
    commands.setWakeOptions(wake.options);
    QElapsedTimer clock;
    clock.start();
    const PowerCommands::Result result = commands.switchOn();
    const bool woke = result.end != End::NoUsableMac;
    const WakeReport& sent = result.wake;
    if (woke && !sent.sent)
        context.printError(text::packetNotSent(sent.destination, sent.error));
    const QJsonObject packet{{"sent", sent.sent},
                             {"destination", sent.destination},
                             {"datagrams", sent.datagrams},
                             {"error", orNull(sent.error)}};
    return report(
        result, clock, context,
        {{"mac", orNull(result.mac)}, {"wake", woke ? QJsonValue(packet) : QJsonValue()}});
}

int runOff(const QStringList& args, Context& context) {
    CommandLine line(QStringLiteral("off"), text::describeOff());
    if (const auto done = line.parse(args, context, 0, 0))
        return *done;
    if (const CheckedUrl url = checkedServerUrl(context.settings); !url.problem.isEmpty())
        return context.fail(UsageError, url.problem);

    TextView view(context);
    ServerLink link(context.settings, view);
    PowerCommands commands(link, context.settings, view);
    QElapsedTimer clock;
    clock.start();
    PowerCommands::Result result = commands.switchOff();
    const bool answered = result.end != End::NoAnswer;
    if (!answered) {
        // The window has shown a sleeping server; what the command reports is what it sees now.
        result.lastStatus = link.CheckStatus(context.settings.url());
        result.tries = 1;
    }
    return report(result, clock, context,
                  {{"hibernate_request", answered ? "answered" : "unanswered"}});
}

} // namespace pelorin::cli
