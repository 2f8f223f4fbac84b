#pragma once

#include "cli/context.h"
#include "rules/status.h"
#include "serverlink/wakeonlan.h"

#include <QCommandLineParser>

#include <optional>

// What the commands share: parsing their own arguments with help and suggestions, checking the
// server URL and the magic-packet options.
namespace pelorin::cli {

// The names among `candidates` closest to a mistyped `typed`, for "did you mean ...?": those at
// the smallest edit distance (letters added, dropped, changed or swapped, letter case aside) when
// it is small for the word's length, else those that begin with it; none when nothing is close.
QStringList closestNames(const QString& typed, const QStringList& candidates);

// An option's name as typed: "-q" for a letter, "--json" for a word.
QString dashed(const QString& optionName);
QStringList dashed(const QStringList& optionNames);

// Whether --json comes before any "--": even a mistake in the other arguments is then answered
// in JSON.
bool jsonAsked(const QStringList& args);

// One command's arguments: its own options, and those every command takes (--json, --quiet,
// --help), which update the run's options.
class CommandLine {
public:
    CommandLine(QString command, const QString& description);

    void addOption(const QCommandLineOption& option);
    void addPositional(const QString& name, const QString& description, const QString& syntax);

    // Nothing when the command is to go on; otherwise the exit status: its help was shown, or the
    // arguments were wrong (reported, with a suggestion for a mistyped option).
    std::optional<int> parse(const QStringList& args, Context& context, qsizetype minPositional,
                             qsizetype maxPositional);

    bool isSet(const QCommandLineOption& option) const { return m_parser.isSet(option); }
    QString value(const QCommandLineOption& option) const { return m_parser.value(option); }
    QStringList positional() const { return m_parser.positionalArguments(); }
    const QString& command() const { return m_command; }

    // Reports a wrong argument, with the hint to the command's help; the usage error status.
    int usageError(const Context& context, const QString& message) const;

private:
    QString helpText() const;

    QString m_command;
    QCommandLineParser m_parser;
    QStringList m_optionNames; // without dashes, for suggestions
};

// The URL given on the command line, or else the stored server URL, when it is an http or
// https address; otherwise the reason why not.
struct CheckedUrl {
    QString url;
    QString problem;
};
CheckedUrl checkedServerUrl(const Settings& settings, const QString& given = {});

// "on", "off" or "unknown": what a probe's answer says about the server.
QString serverStateName(StatusWord word);

// A whole number from min to max written as decimal digits; nothing for anything else.
std::optional<int> boundedNumber(const QString& text, int min, int max);

// The seconds of a time-out at the current time scale, as a message shows them ("10", "0.2").
QString scaledSeconds(int milliseconds);

// The magic packet's options as `wake` and `on` offer them.
struct WakeFlags {
    QCommandLineOption ports;
    QCommandLineOption count;
    QCommandLineOption secureOn;
};
WakeFlags addWakeFlags(CommandLine& line);

// The chosen options over the defaults, or why one is malformed.
struct CheckedWakeOptions {
    WakeOptions options;
    QString problem;
};
CheckedWakeOptions wakeOptionsFrom(const CommandLine& line, const WakeFlags& flags);

} // namespace pelorin::cli
