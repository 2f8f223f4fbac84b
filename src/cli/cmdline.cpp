#include "cli/cmdline.h"

#include "cli/texts.h"
#include "common/timing.h"
#include "settings/settingskeys.h"

#include <algorithm>

namespace pelorin::cli {

namespace {

constexpr int MaxRepetitions = 100;

// Letters added, dropped, changed or swapped with their neighbour, letter case aside.
qsizetype editDistance(const QString& a, const QString& b) {
    const QString x = a.toLower();
    const QString y = b.toLower();
    QList<QList<qsizetype>> d(x.size() + 1, QList<qsizetype>(y.size() + 1));
    for (qsizetype i = 0; i <= x.size(); ++i)
        d[i][0] = i;
    for (qsizetype j = 0; j <= y.size(); ++j)
        d[0][j] = j;
    for (qsizetype i = 1; i <= x.size(); ++i) {
        for (qsizetype j = 1; j <= y.size(); ++j) {
            const qsizetype change = x[i - 1] == y[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[x.size()][y.size()];
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

QStringList closestNames(const QString& typed, const QStringList& candidates) {
    // A slip or two, fewer in a short word: a single letter is close to nothing.
    const qsizetype allowed = typed.size() <= 1 ? 0 : typed.size() <= 4 ? 1 : 2;
    qsizetype best = allowed;
    QStringList closest;
    for (const QString& candidate : candidates) {
        const qsizetype distance = editDistance(typed, candidate);
        if (distance > best || closest.contains(candidate))
            continue;
        if (distance < best && !closest.isEmpty())
            closest.clear();
        best = distance;
        closest.append(candidate);
    }
    if (!closest.isEmpty() || typed.size() < 2)
        return closest;
    for (const QString& candidate : candidates) {
        if (candidate.startsWith(typed, Qt::CaseInsensitive) && !closest.contains(candidate))
            closest.append(candidate);
    }
    return closest;
}

QString dashed(const QString& optionName) {
    return (optionName.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + optionName;
}

QStringList dashed(const QStringList& optionNames) {
    QStringList names;
    for (const QString& name : optionNames)
        names.append(dashed(name));
    return names;
}

bool jsonAsked(const QStringList& args) {
    for (const QString& arg : args) {
        if (arg == QLatin1String("--"))
            break;
        if (arg == QLatin1String("--json") || arg == QLatin1String("-json"))
            return true;
    }
    return false;
}

CommandLine::CommandLine(QString command, const QString& description)
    : m_command(std::move(command)) {
    m_parser.setApplicationDescription(description);
    // "-json" as well as "--json"; single letters stay short options.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

void CommandLine::addOption(const QCommandLineOption& option) {
    m_parser.addOption(option);
    m_optionNames += option.names();
}

void CommandLine::addPositional(const QString& name, const QString& description,
                                const QString& syntax) {
    m_parser.addPositionalArgument(name, description, syntax);
}

std::optional<int> CommandLine::parse(const QStringList& args, Context& context,
                                      qsizetype minPositional, qsizetype maxPositional) {
    // Qt's own help option would also offer --help-all, which lists options no command has.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  text::optionHelp());
    const QCommandLineOption json(QStringLiteral("json"), text::optionJson());
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   text::optionQuiet());
    addOption(json);
    addOption(quiet);
    addOption(help);
    const bool parsed = m_parser.parse(QStringList{QStringLiteral("pelorinctl")} + args);
    // Known as soon as it is there, so that even a mistake is answered in JSON.
    context.options.json = context.options.json || jsonAsked(args);
    if (!parsed) {
        const QStringList unknown = m_parser.unknownOptionNames();
        if (unknown.isEmpty())
            return usageError(context, m_parser.errorText());
        const QString& typed = unknown.constFirst();
        return usageError(context,
                          text::withSuggestion(text::unknownCommandOption(dashed(typed), m_command),
                                               dashed(closestNames(typed, m_optionNames))));
    }
    if (m_parser.isSet(help)) {
        context.out << helpText() << Qt::flush;
        return Success;
    }
    context.options.json = context.options.json || m_parser.isSet(json);
    context.options.quiet = context.options.quiet || m_parser.isSet(quiet);
    const qsizetype count = positional().size();
    if (count < minPositional || count > maxPositional)
        return usageError(context, text::wrongArgumentCount(m_command));
    return std::nullopt;
}

int CommandLine::usageError(const Context& context, const QString& message) const {
    return context.fail(UsageError, message, text::seeCommandHelp(m_command));
}

QString CommandLine::helpText() const {
    // Qt writes the executable's path into the usage line; users type "pelorinctl COMMAND".
    QString text = m_parser.helpText();
    const qsizetype options = text.indexOf(QLatin1String(" [options]"));
    if (options > 0)
        text.replace(0, options, QStringLiteral("Usage: pelorinctl ") + m_command);
    return text;
}

CheckedUrl checkedServerUrl(const Settings& settings, const QString& given) {
    const QString url = given.isEmpty() ? settings.url() : given;
    if (url.isEmpty())
        return {{}, text::noServerUrl()};
    const QString problem = settingValueProblem({ini::Server, ini::URL}, url);
    if (!problem.isEmpty())
        return {{}, problem};
    return {url, {}};
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

QString scaledSeconds(int milliseconds) {
    return QString::number(timing::scaled(milliseconds) / 1000.0, 'g', 4);
}

WakeFlags addWakeFlags(CommandLine& line) {
    WakeFlags flags{
        QCommandLineOption(QStringLiteral("ports"), text::optionPorts(), QStringLiteral("P1,P2")),
        QCommandLineOption(QStringLiteral("count"), text::optionCount(), QStringLiteral("N")),
        QCommandLineOption(QStringLiteral("secureon"), text::optionSecureOn(),
                           QStringLiteral("XX-XX-XX-XX-XX-XX")),
    };
    line.addOption(flags.ports);
    line.addOption(flags.count);
    line.addOption(flags.secureOn);
    return flags;
}

CheckedWakeOptions wakeOptionsFrom(const CommandLine& line, const WakeFlags& flags) {
    CheckedWakeOptions checked;
    WakeOptions& wake = checked.options;
    if (line.isSet(flags.ports)) {
        const auto ports = parsePorts(line.value(flags.ports));
        if (!ports)
            return {wake, text::badPorts(line.value(flags.ports))};
        wake.ports = *ports;
    }
    if (line.isSet(flags.count)) {
        const auto count = boundedNumber(line.value(flags.count), 1, MaxRepetitions);
        if (!count)
            return {wake, text::badCount(MaxRepetitions, line.value(flags.count))};
        wake.repetitions = *count;
    }
    if (line.isSet(flags.secureOn)) {
        const auto password = parseSixHexGroups(line.value(flags.secureOn));
        if (!password)
            return {wake, text::badSecureOn(line.value(flags.secureOn))};
        wake.secureOn = *password;
    }
    return checked;
}

} // namespace pelorin::cli
