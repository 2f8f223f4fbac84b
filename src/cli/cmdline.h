#pragma once

#include "cli/commands.h"
#include "rules/status.h"
#include "serverlink/wakeonlan.h"

#include <QCommandLineParser>
#include <QJsonObject>
#include <QTextStream>

#include <optional>
#include <variant>

// What the commands share: parsing their own arguments, checking the server URL and the
// magic-packet options, and writing results.
namespace pelorin::cli {

// Standard output: results only, progress and errors go to standard error.
QTextStream& out();

// One compact JSON object on a line of its own. Every control character in it is escaped.
void printJson(const QJsonObject& object);

// `text` with every control character (C0, DEL and C1: U+0000..U+001F, U+007F..U+009F, tab and
// line breaks too) written as an escape, "\x1B" or "\u009B": text from the server or the settings
// file must not move the cursor, clear the screen or retitle the terminal. Errors are printed
// through it.
QString escapedControls(const QString& text);

struct CommandSyntax {
    QString name;                // as typed after "pelorinctl"
    qsizetype minPositional = 0; // arguments that are not options
    qsizetype maxPositional = 0;
};

// Parses a command's own arguments after adding the options every command takes (--json,
// --quiet, --help), which update `options`. Nothing when the command is to go on; otherwise the
// exit status: its help was shown, or the arguments were wrong (one line on standard error).
std::optional<int> parseCommand(QCommandLineParser& parser, const CommandSyntax& syntax,
                                const QStringList& args, Options& options);

// The URL given on the command line, or else the stored server URL, when it is an http or
// https address; otherwise nothing, and the reason went to standard error.
std::optional<QString> checkedServerUrl(const QString& given = {});

// Parses a command whose only argument is an optional server URL. The URL to use (the given or
// the stored one), or the exit status when the command is not to go on.
std::variant<QString, int> parseUrlCommand(QCommandLineParser& parser, const QString& name,
                                           const QStringList& args, Options& options);

// "on", "off" or "unknown": what a probe's answer says about the server.
QString serverStateName(StatusWord word);

// A whole number from min to max written as decimal digits; nothing for anything else.
std::optional<int> boundedNumber(const QString& text, int min, int max);

// The magic packet's options as `wake` and `on` offer them.
struct WakeFlags {
    QCommandLineOption ports;
    QCommandLineOption count;
    QCommandLineOption secureOn;
};
WakeFlags addWakeFlags(QCommandLineParser& parser);

// The chosen options over the defaults; nothing when one is malformed (reported on stderr).
std::optional<WakeOptions> wakeOptionsFrom(const QCommandLineParser& parser,
                                           const WakeFlags& flags);

} // namespace pelorin::cli
