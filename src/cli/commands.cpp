#include "cli/commands.h"

#include "cli/cmdline.h"
#include "cli/terminal.h"
#include "cli/textview.h"
#include "common/textcodec.h"
#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "serverlink/serverlink.h"
#include "serverlink/wakeonlan.h"
#include "settings/settings.h"
#include "settings/settingskeys.h"

#include <QJsonArray>

#include <iostream>
#include <string>

namespace pelorin::cli {

namespace {

// The setting as the program spells it, or nothing after saying what is wrong with the name.
std::optional<SettingName> settingNamed(const QString& section, const QString& key) {
    const auto name = knownSetting(section, key);
    if (name)
        return name;
    if (!isSectionName(section))
        printError(
            QStringLiteral("unknown section %1 (sections are Pos, Form and Server)").arg(section));
    else
        printError(QStringLiteral("unknown key %1 in section %2").arg(key, section));
    return std::nullopt;
}

// A setting's value as printed: a password in a URL stays hidden.
QString displayedValue(const QString& section, const QString& key, const QString& value) {
    const auto name = knownSetting(section, key);
    return name && isUrlSetting(*name) ? urlForDisplay(value) : value;
}

int configGet(const QStringList& words, const Options& options) {
    const auto name = settingNamed(words.at(0), words.at(1));
    if (!name)
        return UsageError;
    const QString value =
        displayedValue(name->section, name->key, ReadIni(name->section, name->key));
    if (options.json)
        printJson({{"section", name->section}, {"key", name->key}, {"value", value}});
    else
        out() << escapedControls(value) << Qt::endl;
    return Success;
}

// One line of standard input without its LF; nothing when the input ended before anything was
// read.
std::optional<QString> readStdinLine() {
    std::string line;
    if (!std::getline(std::cin, line) && line.empty())
        return std::nullopt;
    return decodeUtf8OrLocal(QByteArrayView(line.data(), qsizetype(line.size())));
}

// A password that stays off the command line: typed at the terminal without echo, or else the
// first line of standard input. A line that ends in CR LF (Windows) loses both.
std::optional<QString> readPassword(bool fromTerminal) {
    auto line = fromTerminal ? readLineWithoutEcho(QStringLiteral("Password (not shown): "))
                             : readStdinLine();
    if (!line)
        printError(fromTerminal ? QStringLiteral("no password was read from the terminal")
                                : QStringLiteral("no password was read: standard input ended"));
    else if (line->endsWith(u'\r'))
        line->chop(1);
    return line;
}

// The value `config set` is to store: the last word, or the password read as it asks for.
std::optional<QString> valueToSet(const SettingName& name, const QStringList& words,
                                  bool passwordStdin) {
    const bool password =
        name.section == QLatin1String(ini::Server) && name.key == QLatin1String(ini::Password);
    if (passwordStdin && !password) {
        printError(QStringLiteral("--password-stdin is for: config set Server Password"));
        return std::nullopt;
    }
    if (!passwordStdin && !(password && words.value(2) == QLatin1String("-")))
        return words.value(2);
    return readPassword(!passwordStdin && stdinIsTerminal());
}

int configSet(const QStringList& words, bool passwordStdin) {
    const auto name = settingNamed(words.at(0), words.at(1));
    if (!name)
        return UsageError;
    const auto value = valueToSet(*name, words, passwordStdin);
    if (!value)
        return UsageError;
    const QString problem = settingValueProblem(*name, *value);
    if (!problem.isEmpty()) {
        printError(problem);
        return UsageError;
    }
    const IniFile::WriteResult result = WriteIniChecked(name->section, name->key, *value);
    switch (result) {
    case IniFile::WriteResult::Written:
    case IniFile::WriteResult::Unchanged:
        return Success;
    case IniFile::WriteResult::Refused:
        printError(QStringLiteral("this value cannot be stored"));
        return UsageError;
    case IniFile::WriteResult::Unencodable:
    case IniFile::WriteResult::Busy:
    case IniFile::WriteResult::Unusable:
        printError(IniFile(settingsFilePath()).describe(result));
        return UsageError;
    default: // Failed, or a reason the engine may come to give: either way nothing was written
        break;
    }
    printError(QStringLiteral("cannot write %1").arg(settingsFilePath()));
    return UsageError;
}

void listAsText(const QList<IniFile::Entry>& entries) {
    const IniFile::Entry* previous = nullptr;
    for (const IniFile::Entry& entry : entries) {
        if (!previous || entry.section != previous->section)
            out() << (previous ? "\n" : "") << '[' << escapedControls(entry.section) << "]\n";
        out() << escapedControls(entry.key) << '='
              << escapedControls(displayedValue(entry.section, entry.key, entry.value)) << '\n';
        previous = &entry;
    }
    out() << Qt::flush;
}

void listAsJson(const QList<IniFile::Entry>& entries) {
    QJsonArray settings;
    for (const IniFile::Entry& entry : entries)
        settings.append(
            QJsonObject{{"section", entry.section},
                        {"key", entry.key},
                        {"value", displayedValue(entry.section, entry.key, entry.value)}});
    printJson({{"file", settingsFilePath()}, {"settings", settings}});
}

int configList(const Options& options) {
    const QList<IniFile::Entry> entries = IniFile(settingsFilePath()).entries();
    if (options.json)
        listAsJson(entries);
    else
        listAsText(entries);
    return Success;
}

// The start of a long text from the server, enough to recognise it in a message.
QString excerpt(const QString& text) {
    constexpr qsizetype Shown = 60;
    return text.size() <= Shown ? text : text.left(Shown) + QStringLiteral("...");
}

QStringList storedMacs() {
    QStringList macs;
    for (int n = 1; n <= ini::MacSlots; ++n) {
        const QString mac = ReadIni(ini::Server, ini::macKey(n));
        if (!mac.isEmpty())
            macs.append(mac);
    }
    return macs;
}

// The MAC address given on the command line, else the one the ON command would wake.
std::optional<QString> macToWake(const QString& given) {
    QString mac = given;
    if (mac.isEmpty())
        mac = programSettings().macToWake();
    if (isUsableMacText(mac))
        return mac;
    printError(mac.isEmpty() ? QStringLiteral("no MAC address: give one, or run pelorinctl macs")
                             : QStringLiteral("not a MAC address of six hexadecimal groups "
                                              "(XX-XX-XX-XX-XX-XX): %1")
                                   .arg(mac));
    return std::nullopt;
}

} // namespace

int runConfig(const QStringList& args, Options options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads and writes Pelorin's settings (sections Pos, Form and Server). A value that "
        "begins with a dash follows \"--\". The value - of Server Password asks for the "
        "password at the terminal without showing it (or reads a line of standard input)."));
    parser.addPositionalArgument(
        QStringLiteral("action"), QStringLiteral("get SECTION KEY | set SECTION KEY VALUE | list"),
        QStringLiteral("(get SECTION KEY | set SECTION KEY VALUE | list)"));
    const QCommandLineOption passwordStdin(
        QStringLiteral("password-stdin"),
        QStringLiteral("config set Server Password without VALUE: reads the password from the "
                       "first line of standard input."));
    parser.addOption(passwordStdin);
    if (const auto done = parseCommand(parser, {QStringLiteral("config"), 1, 4}, args, options))
        return *done;
    const QStringList words = parser.positionalArguments();
    const QString action = words.first();
    if (parser.isSet(passwordStdin)) {
        if (action == QLatin1String("set") && words.size() == 3)
            return configSet(words.mid(1), true);
        printError(QStringLiteral("--password-stdin goes with: config set Server Password "
                                  "(without VALUE)"));
        return UsageError;
    }
    if (action == QLatin1String("get") && words.size() == 3)
        return configGet(words.mid(1), options);
    if (action == QLatin1String("set") && words.size() == 4)
        return configSet(words.mid(1), false);
    if (action == QLatin1String("list") && words.size() == 1)
        return configList(options);
    printError(
        QStringLiteral("usage: pelorinctl config get SECTION KEY | set SECTION KEY VALUE | list"));
    return UsageError;
}

int runStatus(const QStringList& args, Options options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Probes the TV server and prints its state: ON, OFF, PasswordRequired, WrongURL or "
        "BadConfigulation. Exit status 0 for ON, 1 for OFF, 3 otherwise."));
    const auto parsed = parseUrlCommand(parser, QStringLiteral("status"), args, options);
    if (const int* exit = std::get_if<int>(&parsed))
        return *exit;
    const QString url = std::get<QString>(parsed);

    TextView view(options.quiet);
    ServerLink link(programSettings(), view);
    const StatusWord word = link.CheckStatus(url);
    if (options.json)
        printJson({{"status", statusWordText(word)},
                   {"server", serverStateName(word)},
                   {"url", urlForDisplay(url)}});
    else
        out() << statusWordText(word) << Qt::endl;
    if (word == StatusWord::On)
        return Success;
    return word == StatusWord::Off ? NotReached : ServerProblem;
}

int runMacs(const QStringList& args, Options options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fetches the server's MAC addresses into Server/Mac-1 ... Mac-5 and prints them. An "
        "answer without a usable address changes nothing and ends with exit status 1."));
    const auto parsed = parseUrlCommand(parser, QStringLiteral("macs"), args, options);
    if (const int* exit = std::get_if<int>(&parsed))
        return *exit;
    const QString url = std::get<QString>(parsed);

    TextView view(options.quiet);
    ServerLink link(programSettings(), view);
    const ServerLink::MacFetch fetched = link.fetchUsableMacs(url);
    if (fetched == ServerLink::MacFetch::Unusable)
        printError(QStringLiteral("no usable MAC address in the server's answer \"%1\"; "
                                  "Mac-1 ... Mac-5 are unchanged")
                       .arg(excerpt(link.responseText())));
    const bool stored = fetched == ServerLink::MacFetch::Stored;
    const QStringList macs = stored ? storedMacs() : QStringList();
    if (options.json) {
        printJson({{"macs", QJsonArray::fromStringList(macs)}});
    } else {
        for (const QString& mac : macs)
            out() << escapedControls(mac) << '\n';
        out() << Qt::flush;
    }
    return stored ? Success : NotReached;
}

int runWake(const QStringList& args, Options options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends the Wake-on-LAN magic packet to each port, three rounds unless --count says "
        "otherwise. A server address in a home network (10.x, 172.16-32.x, 192.168.x) is sent "
        "to that network's broadcast address."));
    parser.addPositionalArgument(
        QStringLiteral("MAC"),
        QStringLiteral("XX-XX-XX-XX-XX-XX (default: Server/Mac, then Mac-1)"),
        QStringLiteral("[MAC]"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("Server address (default: the stored URL's host)."),
                                QStringLiteral("HOST"));
    parser.addOption(to);
    const WakeFlags flags = addWakeFlags(parser);
    if (const auto done = parseCommand(parser, {QStringLiteral("wake"), 0, 1}, args, options))
        return *done;

    const auto mac = macToWake(parser.positionalArguments().value(0));
    if (!mac)
        return UsageError;
    const auto wake = wakeOptionsFrom(parser, flags);
    if (!wake)
        return UsageError;
    const QString host =
        parser.isSet(to) ? parser.value(to) : wakeHostFromUrl(ReadIni(ini::Server, ini::URL));
    if (host.isEmpty()) {
        printError(QStringLiteral("no server address: give --to HOST, or store the server URL"));
        return UsageError;
    }

    const WakeReport report = SendMP(host, *mac, *wake);
    if (options.json)
        printJson({{"sent", report.sent},
                   {"mac", *mac},
                   {"destination", report.destination},
                   {"datagrams", report.datagrams},
                   {"secureOn", !wake->secureOn.isEmpty()},
                   {"error", report.error}});
    if (!report.sent) {
        printError(QStringLiteral("could not wake %1: %2").arg(report.destination, report.error));
        return NotReached;
    }
    if (!options.json)
        out() << "sent " << report.datagrams << " magic packets for " << escapedControls(*mac)
              << " to " << escapedControls(report.destination) << Qt::endl;
    return Success;
}

} // namespace pelorin::cli
