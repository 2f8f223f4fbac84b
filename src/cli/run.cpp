// One run of pelorinctl: the options before the command, then the command.
#include "cli/cli.h"
#include "cli/cmdline.h"
#include "cli/commands.h"
#include "cli/texts.h"

#include <QBuffer>
#include <QJsonObject>

namespace pelorin::cli {

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList&, Context&);
};

constexpr Command Commands[] = {
    {"on", runOn},     {"off", runOff},   {"status", runStatus},     {"watch", runWatch},
    {"macs", runMacs}, {"wake", runWake}, {"discover", runDiscover}, {"config", runConfig},
};

const QString Help = QStringLiteral("help");

QStringList commandNames() {
    QStringList names;
    for (const Command& command : Commands)
        names.append(QLatin1String(command.name));
    return names << Help;
}

const Command* commandNamed(const QString& name) {
    for (const Command& command : Commands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

// The options before the command, and what they ask for.
struct Global {
    enum class Action { Run, Help, Version };
    Action action = Action::Run;
    Options options;
    QString settingsPath; // empty: Pelorin's own settings file
    QString error;        // a mistake in them
    QString hint;
    QStringList rest; // the command and its arguments
};

Global readGlobalOptions(const QStringList& arguments) {
    Global global;
    global.options.json = jsonAsked(arguments);
    QStringList args = arguments;
    while (!args.isEmpty() && args.constFirst().startsWith(u'-') && args.constFirst() != u'-') {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--"))
            break;
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            global.action = Global::Action::Help;
        } else if (option == QLatin1String("--version") || option == QLatin1String("-V")) {
            global.action = Global::Action::Version;
        } else if (option == QLatin1String("--quiet") || option == QLatin1String("-q")) {
            global.options.quiet = true;
        } else if (option == QLatin1String("--json") || option == QLatin1String("-json")) {
            global.options.json = true;
        } else if (option == QLatin1String("--settings") ||
                   option.startsWith(QLatin1String("--settings="))) {
            // The file follows the option, or its "="; another option is no file name.
            QString path = option.section(u'=', 1);
            if (!option.contains(u'=') && !args.isEmpty() &&
                !args.constFirst().startsWith(QLatin1String("--")))
                path = args.takeFirst();
            if (path.isEmpty()) {
                global.error = text::settingsNeedsFile();
                return global;
            }
            global.settingsPath = path;
        } else {
            static const QStringList known{QStringLiteral("settings"), QStringLiteral("quiet"),
                                           QStringLiteral("json"), QStringLiteral("help"),
                                           QStringLiteral("version")};
            const QString typed =
                option.mid(option.startsWith(QLatin1String("--")) ? 2 : 1).section(u'=', 0, 0);
            global.error = text::withSuggestion(text::unknownOption(option.section(u'=', 0, 0)),
                                                dashed(closestNames(typed, known)));
            global.hint = text::seeHelp();
            return global;
        }
        if (global.action != Global::Action::Run)
            return global;
    }
    global.rest = args;
    return global;
}

int version(const Context& context) {
    const QString number = QStringLiteral(PELORIN_VERSION);
    if (!context.options.json)
        context.out << text::version(number) << Qt::endl;
    return context.finish(Success, {{"version", number}});
}

int help(const QStringList& args, Context& context) {
    CommandLine line(Help, text::describeHelp());
    line.addPositional(QStringLiteral("COMMAND"), text::argumentCommand(),
                       QStringLiteral("[COMMAND]"));
    if (const auto done = line.parse(args, context, 0, 1))
        return *done;
    if (line.positional().isEmpty()) {
        context.out << text::usage() << Qt::flush;
        return Success;
    }
    const QString name = line.positional().constFirst();
    if (name == Help)
        return help({QStringLiteral("--help")}, context);
    if (const Command* command = commandNamed(name))
        return command->run({QStringLiteral("--help")}, context);
    return context.fail(
        UsageError,
        text::withSuggestion(text::unknownCommand(name), closestNames(name, commandNames())),
        text::seeHelp());
}

int runCommand(QStringList args, Context& context) {
    if (args.isEmpty()) {
        context.fail(UsageError, text::noCommand());
        context.err << text::usage() << Qt::flush;
        return UsageError;
    }
    const QString name = args.takeFirst();
    if (name == Help)
        return help(args, context);
    const Command* command = commandNamed(name);
    if (!command)
        return context.fail(
            UsageError,
            text::withSuggestion(text::unknownCommand(name), closestNames(name, commandNames())),
            text::seeHelp());
    // A folder, a device or a huge file in the settings' place would read as empty settings and
    // every command would go wrong in its own way; say what is wrong with it instead.
    if (const auto problem = context.settings.file().problem(); problem != IniFile::Problem::None)
        return context.fail(UsageError, text::settingsFileUnusable(IniFile::describe(problem),
                                                                   context.settings.path()));
    return command->run(args, context);
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err, const RunInput& input) {
    const Global global = readGlobalOptions(arguments);
    const Settings settings(global.settingsPath.isEmpty() ? defaultSettingsFilePath()
                                                          : global.settingsPath);
    QBuffer noInput;
    noInput.open(QIODevice::ReadOnly);
    Context context{global.options,
                    out,
                    err,
                    settings,
                    input.input ? *input.input : noInput,
                    input.input && input.inputIsTerminal,
                    input.localNetworks ? input.localNetworks : localIpv4Networks};
    if (!global.error.isEmpty())
        return context.fail(UsageError, global.error, global.hint);
    switch (global.action) {
    case Global::Action::Help:
        out << text::usage() << Qt::flush;
        return Success;
    case Global::Action::Version:
        return version(context);
    case Global::Action::Run:
        break;
    }
    return runCommand(global.rest, context);
}

} // namespace pelorin::cli
