// The commands that ask the server or send to it once: status, macs and wake.
#include "cli/commands.h"

#include "cli/cmdline.h"
#include "cli/texts.h"
#include "cli/textview.h"
#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "serverlink/serverlink.h"

#include <QJsonArray>

#include <variant>

namespace pelorin::cli {

namespace {

// The start of a long text from the server, enough to recognise it in a message.
QString excerpt(const QString& text) {
    constexpr qsizetype Shown = 60;
    return text.size() <= Shown ? text : text.left(Shown) + QStringLiteral("...");
}

QStringList storedMacs(const Settings& settings) {
    QStringList macs;
    for (int n = 1; n <= ini::MacSlots; ++n) {
        const QString mac = settings.read(ini::Server, ini::macKey(n));
        if (!mac.isEmpty())
            macs.append(mac);
    }
    return macs;
}

// Parses a command whose only argument is an optional server URL: the URL to use (the given or
// the stored one), or the exit status when the command is not to go on.
std::variant<QString, int> parseUrlCommand(CommandLine& line, const QStringList& args,
                                           Context& context) {
    line.addPositional(QStringLiteral("URL"), text::argumentUrl(), QStringLiteral("[URL]"));
    if (const auto done = line.parse(args, context, 0, 1))
        return *done;
    const CheckedUrl checked = checkedServerUrl(context.settings, line.positional().value(0));
    if (!checked.problem.isEmpty())
        return context.fail(UsageError, checked.problem);
    return checked.url;
}

} // namespace

int runStatus(const QStringList& args, Context& context) {
    CommandLine line(QStringLiteral("status"), text::describeStatus());
    const auto parsed = parseUrlCommand(line, args, context);
    if (const int* exit = std::get_if<int>(&parsed))
        return *exit;
    const QString url = std::get<QString>(parsed);

    TextView view(context);
    ServerLink link(context.settings, view);
    const StatusWord word = link.CheckStatus(url);
    if (!context.options.json)
        context.out << statusWordText(word) << Qt::endl;
    const int exit = word == StatusWord::On    ? Success
                     : word == StatusWord::Off ? NotReached
                                               : ServerProblem;
    return context.finish(exit, {{"url", urlForDisplay(url)},
                                 {"status", statusWordText(word)},
                                 {"server", serverStateName(word)}});
}

int runMacs(const QStringList& args, Context& context) {
    CommandLine line(QStringLiteral("macs"), text::describeMacs());
    const auto parsed = parseUrlCommand(line, args, context);
    if (const int* exit = std::get_if<int>(&parsed))
        return *exit;
    const QString url = std::get<QString>(parsed);

    TextView view(context);
    ServerLink link(context.settings, view);
    const ServerLink::MacFetch fetched = link.fetchUsableMacs(url);
    QString error;
    if (fetched == ServerLink::MacFetch::Unusable)
        error = text::macsUnusable(excerpt(link.responseText()));
    else if (fetched == ServerLink::MacFetch::NoAnswer)
        error =
            text::macsNoAnswer(urlForDisplay(pageAddress(url, QStringLiteral("GetMacAddr.asp"))),
                               scaledSeconds(HttpClient::RequestTimeoutMs));
    const QStringList macs = error.isEmpty() ? storedMacs(context.settings) : QStringList();
    if (!context.options.json) {
        for (const QString& mac : macs)
            context.out << escapedControls(mac) << '\n';
        context.out << Qt::flush;
    }
    return context.finish(error.isEmpty() ? Success : NotReached,
                          {{"url", urlForDisplay(url)}, {"macs", QJsonArray::fromStringList(macs)}},
                          error);
}

int runWake(const QStringList& args, Context& context) {
    CommandLine line(QStringLiteral("wake"), text::describeWake());
    line.addPositional(QStringLiteral("MAC"), text::argumentMac(), QStringLiteral("[MAC]"));
    const QCommandLineOption to(QStringLiteral("to"), text::optionTo(), QStringLiteral("HOST"));
    line.addOption(to);
    const WakeFlags flags = addWakeFlags(line);
    if (const auto done = line.parse(args, context, 0, 1))
        return *done;

    const QString mac = line.positional().value(0, context.settings.macToWake());
    if (mac.isEmpty())
        return context.fail(UsageError, text::noMac());
    if (!isUsableMacText(mac))
        return context.fail(UsageError, text::badMac(mac));
    const CheckedWakeOptions wake = wakeOptionsFrom(line, flags);
    if (!wake.problem.isEmpty())
        return context.fail(UsageError, wake.problem);
    const QString host = line.isSet(to) ? line.value(to) : wakeHostFromUrl(context.settings.url());
    if (host.isEmpty())
        return context.fail(UsageError, text::noWakeHost());

    const WakeReport report = SendMP(host, mac, wake.options);
    if (report.sent && !context.options.json)
        context.out << escapedControls(text::wakeSent(report.datagrams, mac, report.destination))
                    << Qt::endl;
    return context.finish(report.sent ? Success : NotReached,
                          {{"mac", mac},
                           {"destination", report.destination},
                           {"datagrams", report.datagrams},
                           {"sent", report.sent},
                           {"secure_on", !wake.options.secureOn.isEmpty()}},
                          report.sent ? QString()
                                      : text::wakeFailed(report.destination, report.error));
}

} // namespace pelorin::cli
