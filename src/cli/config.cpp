// `pelorinctl config`: reading and writing the settings file, by the names the program knows.
#include "cli/cmdline.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/texts.h"
#include "common/textcodec.h"
#include "rules/serverurl.h"
#include "settings/settingskeys.h"

#include <QJsonArray>

namespace pelorin::cli {

namespace {

const QString HiddenSecret = QStringLiteral("********");
// A password is at most IniFile::MaxValueBytes; a longer line is refused after it is read.
constexpr qint64 MaxInputLineBytes = 64 * 1024;

bool isPassword(const SettingName& name) {
    return name.section == QLatin1String(ini::Server) && name.key == QLatin1String(ini::Password);
}

// The setting as the program spells it, or why the name is not one.
struct NamedSetting {
    std::optional<SettingName> name;
    QString problem;
};

NamedSetting settingNamed(const QString& section, const QString& key) {
    if (const auto name = knownSetting(section, key))
        return {name, {}};
    if (!isSectionName(section))
        return {std::nullopt,
                text::withSuggestion(text::unknownSection(section),
                                     closestNames(section, {QString::fromLatin1(ini::Pos),
                                                            QString::fromLatin1(ini::Form),
                                                            QString::fromLatin1(ini::Server)}))};
    return {std::nullopt, text::unknownKey(key, section)};
}

// A setting's value as printed: a password in a URL stays hidden, and so does the password
// itself in a listing unless secrets are to be shown.
QString shownValue(const IniFile::Entry& entry, bool listing, bool showSecrets) {
    const auto name = knownSetting(entry.section, entry.key);
    if (!name)
        return entry.value;
    if (isUrlSetting(*name))
        return urlForDisplay(entry.value);
    if (listing && !showSecrets && isPassword(*name) && !entry.value.isEmpty())
        return HiddenSecret;
    return entry.value;
}

int configGet(const QStringList& words, const Context& context) {
    const NamedSetting named = settingNamed(words.at(0), words.at(1));
    if (!named.name)
        return context.fail(UsageError, named.problem);
    const SettingName& name = *named.name;
    const QString value = shownValue(
        {name.section, name.key, context.settings.read(name.section, name.key)}, false, true);
    if (!context.options.json)
        context.out << escapedControls(value) << Qt::endl;
    return context.finish(Success,
                          {{"section", name.section}, {"key", name.key}, {"value", value}});
}

// One line of standard input without its line break; nothing when the input ended before
// anything was read.
std::optional<QString> readInputLine(QIODevice& input) {
    const QByteArray line = input.readLine(MaxInputLineBytes);
    if (line.isEmpty())
        return std::nullopt;
    return decodeUtf8OrLocal(line.endsWith('\n') ? line.chopped(1) : line);
}

// A password that stays off the command line: typed at the terminal without echo, or else the
// first line of standard input. A line that ends in CR LF (Windows) loses both.
struct ReadPassword {
    std::optional<QString> password;
    QString problem;
};

ReadPassword readPassword(const Context& context, bool fromTerminal) {
    auto line = fromTerminal ? readLineWithoutEcho(text::passwordPrompt(), context.err)
                             : readInputLine(context.input);
    if (!line)
        return {std::nullopt,
                fromTerminal ? text::noPasswordFromTerminal() : text::noPasswordFromInput()};
    if (line->endsWith(u'\r'))
        line->chop(1);
    return {line, {}};
}

// The value `config set` is to store: the last word, or the password read as it asks for.
ReadPassword valueToSet(const Context& context, const SettingName& name, const QStringList& words,
                        bool passwordStdin) {
    const bool password = isPassword(name);
    if (passwordStdin && !password)
        return {std::nullopt, text::passwordStdinOnlyForPassword()};
    if (!passwordStdin && !(password && words.value(2) == QLatin1String("-")))
        return {words.value(2), {}};
    return readPassword(context, !passwordStdin && context.inputIsTerminal);
}

int configSet(const QStringList& words, bool passwordStdin, const Context& context) {
    const NamedSetting named = settingNamed(words.at(0), words.at(1));
    if (!named.name)
        return context.fail(UsageError, named.problem);
    const SettingName& name = *named.name;
    const ReadPassword value = valueToSet(context, name, words, passwordStdin);
    if (!value.password)
        return context.fail(UsageError, value.problem);
    if (const QString problem = settingValueProblem(name, *value.password); !problem.isEmpty())
        return context.fail(UsageError, problem);
    const IniFile::WriteResult result =
        context.settings.writeChecked(name.section, name.key, *value.password);
    const QJsonObject written{{"section", name.section},
                              {"key", name.key},
                              {"changed", result == IniFile::WriteResult::Written}};
    switch (result) {
    case IniFile::WriteResult::Written:
    case IniFile::WriteResult::Unchanged:
        return context.finish(Success, written);
    case IniFile::WriteResult::Refused:
        return context.fail(UsageError, text::valueRefused());
    case IniFile::WriteResult::Unencodable:
    case IniFile::WriteResult::Busy:
    case IniFile::WriteResult::Unusable:
        return context.fail(UsageError, context.settings.file().describe(result));
    default: // Failed, or a reason the engine may come to give: either way nothing was written
        break;
    }
    return context.fail(UsageError, text::cannotWrite(context.settings.path()));
}

int configList(bool showSecrets, const Context& context) {
    const QList<IniFile::Entry> entries = context.settings.file().entries();
    QJsonArray settings;
    const IniFile::Entry* previous = nullptr;
    for (const IniFile::Entry& entry : entries) {
        const QString value = shownValue(entry, true, showSecrets);
        settings.append(
            QJsonObject{{"section", entry.section}, {"key", entry.key}, {"value", value}});
        if (context.options.json)
            continue;
        if (!previous || entry.section != previous->section)
            context.out << (previous ? "\n" : "") << '[' << escapedControls(entry.section) << "]\n";
        context.out << escapedControls(entry.key) << '=' << escapedControls(value) << '\n';
        previous = &entry;
    }
    context.out << Qt::flush;
    return context.finish(Success, {{"file", context.settings.path()}, {"settings", settings}});
}

} // namespace

int runConfig(const QStringList& args, Context& context) {
    CommandLine line(QStringLiteral("config"), text::describeConfig());
    line.addPositional(QStringLiteral("action"), text::argumentConfigAction(),
                       QStringLiteral("(get SECTION KEY | set SECTION KEY VALUE | list)"));
    const QCommandLineOption passwordStdin(QStringLiteral("password-stdin"),
                                           text::optionPasswordStdin());
    const QCommandLineOption showSecrets(QStringLiteral("show-secrets"), text::optionShowSecrets());
    line.addOption(passwordStdin);
    line.addOption(showSecrets);
    if (const auto done = line.parse(args, context, 1, 4))
        return *done;
    const QStringList words = line.positional();
    const QString& action = words.constFirst();
    const QStringList actions{QStringLiteral("get"), QStringLiteral("set"), QStringLiteral("list")};
    if (!actions.contains(action))
        return line.usageError(context, text::withSuggestion(text::unknownConfigAction(action),
                                                             closestNames(action, actions)));
    if (line.isSet(showSecrets) && action != QLatin1String("list"))
        return line.usageError(context, text::showSecretsOnlyForList());
    if (line.isSet(passwordStdin)) {
        if (action == QLatin1String("set") && words.size() == 3)
            return configSet(words.mid(1), true, context);
        return line.usageError(context, text::passwordStdinWithoutValue());
    }
    if (action == QLatin1String("get") && words.size() == 3)
        return configGet(words.mid(1), context);
    if (action == QLatin1String("set") && words.size() == 4)
        return configSet(words.mid(1), false, context);
    if (action == QLatin1String("list") && words.size() == 1)
        return configList(line.isSet(showSecrets), context);
    return line.usageError(context, text::configUsage());
}

} // namespace pelorin::cli
