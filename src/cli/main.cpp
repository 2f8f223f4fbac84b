#include "cli/commands.h"
#include "common/timing.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <map>

namespace {

using pelorin::cli::Options;

const char* const Usage = R"(Usage: pelorinctl [--settings FILE] [--quiet] [--json] COMMAND [ARGS]

Switches and watches the TV server from the command line, with the same settings as Pelorin.

Commands:
  on [--ports P1,P2] [--count N] [--secureon XX-XX-XX-XX-XX-XX]
                               wake the server and wait until it answers
  off                          put the server into hibernation and wait until it is down
  status [URL]                 probe the server; prints ON, OFF, PasswordRequired, WrongURL
                               or BadConfigulation (exit 0 ON, 1 OFF, 3 otherwise)
  watch [--interval S]         print a line whenever the server's state changes
  macs [URL]                   fetch the server's MAC addresses into Mac-1 ... Mac-5
  wake [MAC] [--to HOST] [--ports P1,P2] [--count N] [--secureon XX-XX-XX-XX-XX-XX]
                               send the Wake-on-LAN magic packet
  config get SECTION KEY       print one setting
  config set SECTION KEY VALUE store one setting
  config set --password-stdin Server Password
                               store the first line of standard input as the password
                               (the VALUE - asks for it at the terminal without echo)
  config list                  print every setting

Options:
  --settings FILE   use FILE instead of Pelorin's setting.ini
  --quiet           no progress lines on standard error
  --json            results as JSON on standard output
  --help            this text; COMMAND --help tells more about a command

Exit status: 0 done (the server is in the requested state), 1 not reached,
2 usage or configuration error, 3 credentials refused or the URL names no server page.
)";

int printUsage(FILE* stream) {
    QTextStream(stream) << Usage;
    return stream == stdout ? pelorin::cli::Success : pelorin::cli::UsageError;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelorinctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));
    pelorin::timing::applyScaleFromEnvironment();

    QStringList args = QCoreApplication::arguments().mid(1);
    Options options;
    while (!args.isEmpty() && args.constFirst().startsWith(u'-')) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--help") || option == QLatin1String("-h"))
            return printUsage(stdout);
        if (option == QLatin1String("--version")) {
            QTextStream(stdout) << "pelorinctl " << PELORIN_VERSION << Qt::endl;
            return pelorin::cli::Success;
        }
        if (option == QLatin1String("--quiet") || option == QLatin1String("-q")) {
            options.quiet = true;
        } else if (option == QLatin1String("--json")) {
            options.json = true;
        } else if (option == QLatin1String("--settings") && !args.isEmpty()) {
            pelorin::setSettingsFilePath(args.takeFirst());
        } else if (option.startsWith(QLatin1String("--settings="))) {
            pelorin::setSettingsFilePath(option.section(u'=', 1));
        } else {
            pelorin::cli::printError(QStringLiteral("unknown option %1").arg(option));
            return printUsage(stderr);
        }
    }
    if (args.isEmpty())
        return printUsage(stderr);

    const std::map<QString, std::function<int(const QStringList&, Options)>> commands = {
        {QStringLiteral("config"), pelorin::cli::runConfig},
        {QStringLiteral("status"), pelorin::cli::runStatus},
        {QStringLiteral("macs"), pelorin::cli::runMacs},
        {QStringLiteral("wake"), pelorin::cli::runWake},
        {QStringLiteral("on"), pelorin::cli::runOn},
        {QStringLiteral("off"), pelorin::cli::runOff},
        {QStringLiteral("watch"), pelorin::cli::runWatch},
    };
    const QString name = args.takeFirst();
    const auto command = commands.find(name);
    if (command == commands.end()) {
        pelorin::cli::printError(QStringLiteral("unknown command %1").arg(name));
        return printUsage(stderr);
    }
    // A folder, a device or a huge file in the settings' place would read as empty settings and
    // every command would go wrong in its own way; say what is wrong with it instead.
    if (const auto problem = pelorin::settingsFileProblem();
        problem != pelorin::IniFile::Problem::None) {
        pelorin::cli::printError(pelorin::IniFile::describe(problem) + QStringLiteral(": ") +
                                 pelorin::settingsFilePath());
        return pelorin::cli::UsageError;
    }
    return command->second(args, options);
}
