#include "cli/commands.h"

#include "cli/textview.h"
#include "serverlink/macaddr.h"
#include "serverlink/serverlink.h"
#include "serverlink/serverurl.h"
#include "serverlink/wakeonlan.h"
#include "settings/settings.h"
#include "settings/settingskeys.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace pelorin::cli {

namespace {

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

// Parses a command's own arguments; nothing when it already answered (help) or failed (usage).
std::optional<int> parseCommand(QCommandLineParser& parser, const QString& command,
                                const QStringList& args, qsizetype minPositional,
                                qsizetype maxPositional) {
    parser.addHelpOption();
    if (!parser.parse(QStringList{QStringLiteral("pelorinctl ") + command} + args)) {
        printError(parser.errorText());
        return UsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out() << parser.helpText() << Qt::flush;
        return Success;
    }
    const qsizetype count = parser.positionalArguments().size();
    if (count < minPositional || count > maxPositional) {
        printError(
            QStringLiteral("wrong number of arguments; see pelorinctl %1 --help").arg(command));
        return UsageError;
    }
    return std::nullopt;
}

// The URL given on the command line, else the current server URL of the settings.
std::optional<QString> serverUrl(const QCommandLineParser& parser) {
    const QStringList positional = parser.positionalArguments();
    const QString url = positional.isEmpty() ? ReadIni(ini::Server, ini::URL) : positional.first();
    if (url.isEmpty()) {
        printError(QStringLiteral("no server URL: give one, or store it with "
                                  "pelorinctl config set Server URL http://HOST/tv"));
        return std::nullopt;
    }
    return url;
}

int configGet(const QStringList& words) {
    const auto name = knownSetting(words.at(0), words.at(1));
    if (!name) {
        printError(QStringLiteral("unknown setting %1/%2").arg(words.at(0), words.at(1)));
        return UsageError;
    }
    out() << ReadIni(name->section, name->key) << Qt::endl;
    return Success;
}

int configSet(const QStringList& words) {
    const auto name = knownSetting(words.at(0), words.at(1));
    if (!name) {
        printError(QStringLiteral("unknown setting %1/%2").arg(words.at(0), words.at(1)));
        return UsageError;
    }
    const QString problem = settingValueProblem(*name, words.at(2));
    if (!problem.isEmpty()) {
        printError(problem);
        return UsageError;
    }
    switch (WriteIniChecked(name->section, name->key, words.at(2))) {
    case IniFile::WriteResult::Written:
    case IniFile::WriteResult::Unchanged:
        return Success;
    case IniFile::WriteResult::Refused:
        printError(QStringLiteral("this value cannot be stored"));
        return UsageError;
    case IniFile::WriteResult::Failed:
        break;
    }
    printError(QStringLiteral("cannot write %1").arg(settingsFilePath()));
    return UsageError;
}

int configList() {
    QString section;
    bool first = true;
    for (const IniFile::Entry& entry : IniFile(settingsFilePath()).entries()) {
        if (first || entry.section != section) {
            out() << (first ? "" : "\n") << '[' << entry.section << "]\n";
            section = entry.section;
            first = false;
        }
        out() << entry.key << '=' << entry.value << '\n';
    }
    out() << Qt::flush;
    return Success;
}

std::optional<QList<quint16>> parsePorts(const QString& text) {
    QList<quint16> ports;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        const uint port = part.trimmed().toUInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return std::nullopt;
        ports.append(static_cast<quint16>(port));
    }
    return ports;
}

} // namespace

void printError(const QString& message) {
    QTextStream(stderr) << "pelorinctl: " << message << Qt::endl;
}

int runConfig(const QStringList& args, const Options&) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads and writes Pelorin's settings (sections Pos, Form and Server)."));
    parser.addPositionalArgument(QStringLiteral("action"),
                                 QStringLiteral("get SECTION KEY | set SECTION KEY VALUE | list"));
    if (const auto done = parseCommand(parser, QStringLiteral("config"), args, 1, 4))
        return *done;
    const QStringList words = parser.positionalArguments();
    const QString action = words.first();
    if (action == QLatin1String("get") && words.size() == 3)
        return configGet(words.mid(1));
    if (action == QLatin1String("set") && words.size() == 4)
        return configSet(words.mid(1));
    if (action == QLatin1String("list") && words.size() == 1)
        return configList();
    printError(
        QStringLiteral("usage: pelorinctl config get SECTION KEY | set SECTION KEY VALUE | list"));
    return UsageError;
}

int runStatus(const QStringList& args, const Options& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Probes the TV server and prints its state: ON, OFF, PasswordRequired, WrongURL or "
        "BadConfigulation. Exit status 0 for ON, 1 for OFF, 3 otherwise."));
    parser.addPositionalArgument(QStringLiteral("URL"),
                                 QStringLiteral("server URL (default: the stored one)"),
                                 QStringLiteral("[URL]"));
    if (const auto done = parseCommand(parser, QStringLiteral("status"), args, 0, 1))
        return *done;
    const auto url = serverUrl(parser);
    if (!url)
        return UsageError;

    TextView view(options.quiet);
    ServerLink link(view);
    const StatusWord word = link.CheckStatus(*url);
    out() << statusWordText(word) << Qt::endl;
    if (word == StatusWord::On)
        return Success;
    return word == StatusWord::Off ? NotReached : ServerProblem;
}

int runMacs(const QStringList& args, const Options& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fetches the server's MAC addresses into Server/Mac-1 ... Mac-5 and prints them."));
    parser.addPositionalArgument(QStringLiteral("URL"),
                                 QStringLiteral("server URL (default: the stored one)"),
                                 QStringLiteral("[URL]"));
    if (const auto done = parseCommand(parser, QStringLiteral("macs"), args, 0, 1))
        return *done;
    const auto url = serverUrl(parser);
    if (!url)
        return UsageError;

    TextView view(options.quiet);
    ServerLink link(view);
    if (!link.GetMacAddr(*url))
        return NotReached;
    for (int n = 1; n <= ini::MacSlots; ++n) {
        const QString mac = ReadIni(ini::Server, ini::macKey(n));
        if (!mac.isEmpty())
            out() << mac << '\n';
    }
    out() << Qt::flush;
    return Success;
}

int runWake(const QStringList& args, const Options&) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends the Wake-on-LAN magic packet three times to each port. A server address in a "
        "home network (10.x, 172.16-32.x, 192.168.x) is sent to that network's broadcast "
        "address."));
    parser.addPositionalArgument(
        QStringLiteral("MAC"),
        QStringLiteral("XX-XX-XX-XX-XX-XX (default: Server/Mac, then Mac-1)"),
        QStringLiteral("[MAC]"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("server address (default: the stored URL's host)"),
                                QStringLiteral("HOST"));
    const QCommandLineOption ports(QStringLiteral("ports"),
                                   QStringLiteral("UDP ports (default: 2304,9)"),
                                   QStringLiteral("P1,P2"));
    parser.addOptions({to, ports});
    if (const auto done = parseCommand(parser, QStringLiteral("wake"), args, 0, 1))
        return *done;

    QString mac = parser.positionalArguments().value(0);
    if (mac.isEmpty())
        mac = ReadIni(ini::Server, ini::Mac);
    if (mac.isEmpty())
        mac = ReadIni(ini::Server, ini::macKey(1));
    if (!isUsableMacText(mac)) {
        printError(
            mac.isEmpty()
                ? QStringLiteral("no MAC address: give one, or run pelorinctl macs")
                : QStringLiteral("not a MAC address of six hexadecimal groups: %1").arg(mac));
        return UsageError;
    }
    const QString host =
        parser.isSet(to) ? parser.value(to) : wakeHostFromUrl(ReadIni(ini::Server, ini::URL));
    if (host.isEmpty()) {
        printError(QStringLiteral("no server address: give --to HOST, or store the server URL"));
        return UsageError;
    }
    WakeOptions wake;
    if (parser.isSet(ports)) {
        const auto chosen = parsePorts(parser.value(ports));
        if (!chosen) {
            printError(
                QStringLiteral("ports are numbers from 1 to 65535: %1").arg(parser.value(ports)));
            return UsageError;
        }
        wake.ports = *chosen;
    }

    const WakeReport report = SendMP(host, mac, wake);
    if (!report.sent) {
        printError(QStringLiteral("could not wake %1: %2").arg(report.destination, report.error));
        return NotReached;
    }
    out() << "sent " << report.datagrams << " magic packets for " << mac << " to "
          << report.destination << Qt::endl;
    return Success;
}

} // namespace pelorin::cli
