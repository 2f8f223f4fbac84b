// `pelorinctl discover`: finding the server in the networks the user names.
#include "cli/cmdline.h"
#include "cli/commands.h"
#include "cli/pagescan.h"
#include "cli/texts.h"
#include "common/timing.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>

#include <limits>

namespace pelorin::cli {

namespace {

constexpr int DefaultTimeoutMs = 1500;
constexpr int MinTimeoutMs = 10;
constexpr int MaxTimeoutMs = 60000;

struct Scope {
    QList<Ipv4Network> networks;
    QString problem;
};

Scope networksNamed(const QStringList& words) {
    Scope scope;
    for (const QString& word : words) {
        const auto network = parseIpv4Network(word);
        if (!network)
            return {{}, text::notANetwork(word)};
        if (network->prefix < WidestPrefix)
            return {{}, text::networkTooLarge(network->text(), network->size(), WidestPrefix)};
        scope.networks.append(*network);
    }
    return scope;
}

// Every host address of the networks once, in the order named.
QList<quint32> addressesIn(const QList<Ipv4Network>& networks) {
    QList<quint32> addresses;
    QSet<quint32> seen;
    for (const Ipv4Network& network : networks) {
        for (const quint32 address : network.hosts()) {
            if (!seen.contains(address)) {
                seen.insert(address);
                addresses.append(address);
            }
        }
    }
    return addresses;
}

QJsonArray texts(const QList<Ipv4Network>& networks) {
    QJsonArray list;
    for (const Ipv4Network& network : networks)
        list.append(network.text());
    return list;
}

// Without a network named, the machine's own are offered and nothing is scanned.
int suggest(const Context& context) {
    const QList<Ipv4Network> local = context.localNetworks();
    if (!context.options.json) {
        for (const Ipv4Network& network : local)
            context.out << network.text() << '\n';
        context.out << Qt::flush;
    }
    return context.finish(UsageError, {{"suggestions", texts(local)}},
                          local.isEmpty() ? text::noNetworkToSuggest()
                                          : text::noNetworkNamed(local.constFirst().text()));
}

void list(const QList<FoundServer>& found, const Context& context) {
    for (qsizetype n = 0; n < found.size(); ++n) {
        const FoundServer& server = found.at(n);
        QStringList words{QString::number(n + 1), ipv4Text(server.address), server.url};
        words += server.macs.value_or(QStringList());
        context.out << escapedControls(words.join(u' ')) << '\n';
    }
    context.out << Qt::flush;
}

QJsonArray json(const QList<FoundServer>& found) {
    QJsonArray servers;
    for (const FoundServer& server : found)
        servers.append(
            QJsonObject{{"address", ipv4Text(server.address)},
                        {"url", server.url},
                        {"macs", server.macs ? QJsonValue(QJsonArray::fromStringList(*server.macs))
                                             : QJsonValue()}});
    return servers;
}

// What the settings dialog's OK and the start-up after it store for a server: the URL, the URL
// in the first free List-N slot unless it is listed already, and the MAC addresses the server
// reported (left alone when it did not answer). Credentials stay as they are.
QString save(const FoundServer& server, const Settings& settings) {
    const IniFile::WriteResult written = settings.writeChecked(ini::Server, ini::URL, server.url);
    if (written != IniFile::WriteResult::Written && written != IniFile::WriteResult::Unchanged)
        return settings.file().describe(written);
    if (!settings.registeredUrls().contains(server.url))
        settings.registerUrl(server.url);
    if (server.macs)
        settings.storeReportedMacs(*server.macs);
    return {};
}

} // namespace

int runDiscover(const QStringList& args, Context& context) {
    CommandLine line(QStringLiteral("discover"), text::describeDiscover());
    line.addPositional(QStringLiteral("CIDR"), text::argumentNetworks(),
                       QStringLiteral("[CIDR...]"));
    const QCommandLineOption port(QStringLiteral("port"), text::optionPort(), QStringLiteral("P"),
                                  QStringLiteral("80"));
    const QCommandLineOption path(QStringLiteral("path"), text::optionPath(),
                                  QStringLiteral("PATH"), QStringLiteral("/tv"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     text::optionTimeout(DefaultTimeoutMs), QStringLiteral("MS"),
                                     QString::number(DefaultTimeoutMs));
    const QCommandLineOption saveAs(QStringLiteral("save"), text::optionSave(),
                                    QStringLiteral("N"));
    const QCommandLineOption local(QStringLiteral("local"), text::optionLocal());
    for (const auto& option : {port, path, timeout, saveAs, local})
        line.addOption(option);
    if (const auto done = line.parse(args, context, 0, std::numeric_limits<qsizetype>::max()))
        return *done;

    ScanOptions options;
    const auto portNumber = boundedNumber(line.value(port), 1, 65535);
    if (!portNumber)
        return context.fail(UsageError, text::badPort(line.value(port)));
    options.port = quint16(*portNumber);
    options.path = line.value(path);
    if (!options.path.startsWith(u'/') ||
        options.path.contains(QRegularExpression(QStringLiteral("[\\s\\x00-\\x1F\\x7F#?]"))))
        return context.fail(UsageError, text::badPath(options.path));
    const auto ms = boundedNumber(line.value(timeout), MinTimeoutMs, MaxTimeoutMs);
    if (!ms)
        return context.fail(UsageError,
                            text::badTimeout(MinTimeoutMs, MaxTimeoutMs, line.value(timeout)));
    options.timeoutMs = timing::scaled(*ms);
    std::optional<int> chosen;
    if (line.isSet(saveAs)) {
        chosen = boundedNumber(line.value(saveAs), 1, std::numeric_limits<int>::max());
        if (!chosen)
            return context.fail(UsageError, text::badSave(line.value(saveAs)));
    }
    Scope scope = networksNamed(line.positional());
    if (!scope.problem.isEmpty())
        return context.fail(UsageError, scope.problem);
    if (line.isSet(local))
        scope.networks += context.localNetworks();
    if (scope.networks.isEmpty())
        return suggest(context);

    const QList<quint32> addresses = addressesIn(scope.networks);
    context.progress(text::scanning(addresses.size()));
    const QList<FoundServer> found = scanForServers(addresses, options);
    if (!context.options.json)
        list(found, context);
    QJsonObject result{
        {"networks", texts(scope.networks)}, {"servers", json(found)}, {"saved", QJsonValue()}};
    if (found.isEmpty())
        return context.finish(NotReached, result, text::noServerFound(addresses.size()));
    if (chosen) {
        if (*chosen > found.size())
            return context.finish(UsageError, result, text::saveOutOfRange(*chosen, found.size()));
        if (const QString problem = save(found.at(*chosen - 1), context.settings);
            !problem.isEmpty())
            return context.finish(UsageError, result, problem);
        context.progress(text::saved(found.at(*chosen - 1).url));
        result.insert("saved", *chosen);
    }
    return context.finish(Success, result);
}

} // namespace pelorin::cli
