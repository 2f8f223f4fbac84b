#include "cli/cmdline.h"

#include "settings/settings.h"
#include "settings/settingskeys.h"

#include <QJsonDocument>

#include <algorithm>

#include <cstdio>

namespace pelorin::cli {

namespace {

constexpr int MaxRepetitions = 100;

// Qt writes the executable's path into the usage line; users type "pelorinctl COMMAND".
QString helpText(const QCommandLineParser& parser, const QString& command) {
    QString text = parser.helpText();
    const qsizetype options = text.indexOf(QLatin1String(" [options]"));
    if (options > 0)
        text.replace(0, options, QStringLiteral("Usage: pelorinctl ") + command);
    return text;
}

std::optional<QList<quint16>> parsePorts(const QString& text) {
    QList<quint16> ports;
    for (const QString& part : text.split(u',')) {
        const auto port = boundedNumber(part.trimmed(), 1, 65535);
        if (!port)
            return std::nullopt;
        ports.append(static_cast<quint16>(*port));
    }
    return ports;
}

} // namespace

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

void printJson(const QJsonObject& object) {
    // Qt escapes the C0 controls in strings but writes DEL and the C1 controls as they are. In
    // UTF-8 they are the byte 0x7F and the pairs C2 80 ... C2 9F, which stand for nothing else.
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    QByteArray safe;
    safe.reserve(json.size());
    for (qsizetype i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json.at(i));
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json.at(i + 1)) : 0;
        if (byte == 0x7F) {
            safe += "\\u007f";
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            safe += "\\u00" + QByteArray::number(next, 16);
            ++i;
        } else {
            safe += char(byte);
        }
    }
    out() << safe << Qt::endl;
}

QString escapedControls(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code == 0x7F)
            shown +=
                QStringLiteral("\\x") + QString::number(code, 16).toUpper().rightJustified(2, u'0');
        else if (code >= 0x80 && code <= 0x9F)
            shown += QStringLiteral("\\u00") + QString::number(code, 16).toUpper();
        else
            shown += c;
    }
    return shown;
}

void printError(const QString& message) {
    QTextStream(stderr) << "pelorinctl: " << escapedControls(message) << Qt::endl;
}

std::optional<int> parseCommand(QCommandLineParser& parser, const CommandSyntax& syntax,
                                const QStringList& args, Options& options) {
    // Qt's own help option would also offer --help-all, which lists options no command has.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Prints the result as one JSON object."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("No progress lines on standard error."));
    parser.addOptions({json, quiet, help});
    if (!parser.parse(QStringList{QStringLiteral("pelorinctl")} + args)) {
        printError(parser.errorText());
        return UsageError;
    }
    if (parser.isSet(help)) {
        out() << helpText(parser, syntax.name) << Qt::flush;
        return Success;
    }
    options.json = options.json || parser.isSet(json);
    options.quiet = options.quiet || parser.isSet(quiet);
    const qsizetype count = parser.positionalArguments().size();
    if (count < syntax.minPositional || count > syntax.maxPositional) {
        printError(
            QStringLiteral("wrong number of arguments; see pelorinctl %1 --help").arg(syntax.name));
        return UsageError;
    }
    return std::nullopt;
}

std::optional<QString> checkedServerUrl(const QString& given) {
    const QString url = given.isEmpty() ? ReadIni(ini::Server, ini::URL) : given;
    if (url.isEmpty()) {
        printError(QStringLiteral("no server URL: give one, or store it with "
                                  "pelorinctl config set Server URL http://HOST/tv"));
        return std::nullopt;
    }
    const QString problem = settingValueProblem({ini::Server, ini::URL}, url);
    if (!problem.isEmpty()) {
        printError(problem);
        return std::nullopt;
    }
    return url;
}

QString serverStateName(StatusWord word) {
    switch (word) {
    case StatusWord::On:
        return QStringLiteral("on");
    case StatusWord::Off:
        return QStringLiteral("off");
    case StatusWord::PasswordRequired:
    case StatusWord::WrongURL:
    case StatusWord::BadConfigulation:
        break;
    }
    return QStringLiteral("unknown");
}

std::optional<int> boundedNumber(const QString& text, int min, int max) {
    bool ok = false;
    const int value = text.toInt(&ok);
    const bool digits = !text.isEmpty() && std::all_of(text.cbegin(), text.cend(),
                                                       [](QChar c) { return c.isDigit(); });
    if (!ok || !digits || value < min || value > max)
        return std::nullopt;
    return value;
}

WakeFlags addWakeFlags(QCommandLineParser& parser) {
    WakeFlags flags{
        QCommandLineOption(QStringLiteral("ports"),
                           QStringLiteral("UDP ports, comma-separated (default: 2304,9)."),
                           QStringLiteral("P1,P2")),
        QCommandLineOption(QStringLiteral("count"),
                           QStringLiteral("Rounds of datagrams to every port (default: 3)."),
                           QStringLiteral("N")),
        QCommandLineOption(QStringLiteral("secureon"),
                           QStringLiteral("SecureOn password appended to the packet."),
                           QStringLiteral("XX-XX-XX-XX-XX-XX")),
    };
    parser.addOptions({flags.ports, flags.count, flags.secureOn});
    return flags;
}

std::optional<WakeOptions> wakeOptionsFrom(const QCommandLineParser& parser,
                                           const WakeFlags& flags) {
    WakeOptions wake;
    if (parser.isSet(flags.ports)) {
        const auto ports = parsePorts(parser.value(flags.ports));
        if (!ports) {
            printError(QStringLiteral("ports are numbers from 1 to 65535: %1")
                           .arg(parser.value(flags.ports)));
            return std::nullopt;
        }
        wake.ports = *ports;
    }
    if (parser.isSet(flags.count)) {
        const auto count = boundedNumber(parser.value(flags.count), 1, MaxRepetitions);
        if (!count) {
            printError(QStringLiteral("--count is a number from 1 to %1: %2")
                           .arg(MaxRepetitions)
                           .arg(parser.value(flags.count)));
            return std::nullopt;
        }
        wake.repetitions = *count;
    }
    if (parser.isSet(flags.secureOn)) {
        const auto password = parseSixHexGroups(parser.value(flags.secureOn));
        if (!password) {
            printError(QStringLiteral("a SecureOn password is six hexadecimal groups "
                                      "(XX-XX-XX-XX-XX-XX): %1")
                           .arg(parser.value(flags.secureOn)));
            return std::nullopt;
        }
        wake.secureOn = *password;
    }
    return wake;
}

std::variant<QString, int> parseUrlCommand(QCommandLineParser& parser, const QString& name,
                                           const QStringList& args, Options& options) {
    parser.addPositionalArgument(QStringLiteral("URL"),
                                 QStringLiteral("server URL (default: the stored one)"),
                                 QStringLiteral("[URL]"));
    if (const auto done = parseCommand(parser, {name, 0, 1}, args, options))
        return *done;
    const auto url = checkedServerUrl(parser.positionalArguments().value(0));
    if (!url)
        return int(UsageError);
    return *url;
}

} // namespace pelorin::cli
