#include "cli/texts.h"

#include "serverlink/linkview.h"

namespace pelorin::cli::text {

QString fromWindow(const QString& windowText) {
    struct Pair {
        const QString& window;
        const char* shown;
    };
    static const Pair pairs[] = {
        {status_text::Connecting, "Connecting..."},
        {status_text::ServerOn, "Server: ON"},
        {status_text::ServerOff, "Server: OFF"},
        {status_text::AuthFailed, "The server refused the credentials."},
        {status_text::WrongUrl, "The URL names no server page."},
        {status_text::Unknown, "Server state unknown."},
        {status_text::Sending, "Sending the command..."},
        {status_text::Confirming, "Waiting for the server to go down..."},
        {message_text::NoMac, "No MAC address is stored, so the server cannot be switched on. "
                              "If you know its MAC address, store it and try again."},
        {message_text::EncoderBusy,
         "The server could not be put into hibernation; an encoder may be running. Stop the "
         "encoding and try again."},
        {message_text::NoAnswer, "No answer; the server may be hibernating already."},
        {message_text::MacTimeout, ""}, // `macs` says itself how long it waited for whom
    };
    for (const Pair& pair : pairs) {
        if (pair.window == windowText)
            return QString::fromUtf8(pair.shown);
    }
    return windowText;
}

QString usage() {
    return QStringLiteral(
        R"(Usage: pelorinctl [--settings FILE] [--quiet] [--json] COMMAND [ARGS]

Switches, watches and finds the TV server from the command line, with the same settings as
Pelorin.

Commands:
  on [--ports P1,P2] [--count N] [--secureon XX-XX-XX-XX-XX-XX]
                               wake the server and wait until it answers
  off                          put the server into hibernation and wait until it is down
  status [URL]                 probe the server: ON, OFF, PasswordRequired, WrongURL
                               or BadConfigulation
  watch [--interval S]         print a line whenever the server's state changes
  macs [URL]                   fetch the server's MAC addresses into Mac-1 ... Mac-5
  wake [MAC] [--to HOST] [--ports P1,P2] [--count N] [--secureon XX-XX-XX-XX-XX-XX]
                               send the Wake-on-LAN magic packet
  discover CIDR... [--port P] [--path PATH] [--timeout MS] [--save N] [--local]
                               find servers in the named IPv4 networks (at most a /22
                               each); without CIDR, suggest this machine's networks
  config get SECTION KEY       print one setting
  config set SECTION KEY VALUE store one setting
  config set --password-stdin Server Password
                               store the first line of standard input as the password
                               (the VALUE - asks for it at the terminal without echo)
  config list [--show-secrets] print every setting, the password as ********
  help [COMMAND]               this text, or what a command does and takes

Options:
  --settings FILE   use FILE instead of Pelorin's setting.ini
  -q, --quiet       no progress lines on standard error
  --json            results, and errors, as JSON on standard output
  -h, --help        this text; COMMAND --help tells more about a command
  -V, --version     the version

Exit status: 0 done (the server is in the requested state), 1 not reached or nothing
found, 2 usage or configuration error (nothing written), 3 credentials refused or the URL
names no server page.
)");
}

QString version(const QString& number) {
    return QStringLiteral("pelorinctl %1").arg(number);
}

QString errorLine(const QString& message) {
    return QStringLiteral("pelorinctl: %1").arg(message);
}

QString seeHelp() {
    return QStringLiteral("See 'pelorinctl help'.");
}

QString seeCommandHelp(const QString& command) {
    return QStringLiteral("See 'pelorinctl help %1'.").arg(command);
}

QString didYouMean(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names)
        quoted.append(QStringLiteral("'%1'").arg(name));
    if (quoted.size() == 1)
        return QStringLiteral("did you mean %1?").arg(quoted.constFirst());
    const QString last = quoted.takeLast();
    return QStringLiteral("did you mean %1 or %2?").arg(quoted.join(QStringLiteral(", ")), last);
}

QString withSuggestion(const QString& message, const QStringList& suggestions) {
    if (suggestions.isEmpty())
        return message;
    return QStringLiteral("%1; %2").arg(message, didYouMean(suggestions));
}

QString optionJson() {
    return QStringLiteral("Prints the result, or the error, as one JSON object.");
}
QString optionQuiet() {
    return QStringLiteral("No progress lines on standard error.");
}
QString optionHelp() {
    return QStringLiteral("Shows this help.");
}
QString unknownCommand(const QString& name) {
    return QStringLiteral("unknown command '%1'").arg(name);
}
QString unknownOption(const QString& name) {
    return QStringLiteral("unknown option '%1'").arg(name);
}
QString unknownCommandOption(const QString& name, const QString& command) {
    return QStringLiteral("unknown option '%1' for %2").arg(name, command);
}
QString noCommand() {
    return QStringLiteral("no command given");
}
QString settingsNeedsFile() {
    return QStringLiteral("--settings needs the settings file's name: --settings FILE");
}
QString wrongArgumentCount(const QString& command) {
    return QStringLiteral("wrong number of arguments for %1").arg(command);
}
QString settingsFileUnusable(const QString& problem, const QString& path) {
    return QStringLiteral("%1: %2").arg(problem, path);
}
QString argumentUrl() {
    return QStringLiteral("Server URL (default: the stored one).");
}
QString noServerUrl() {
    return QStringLiteral("no server URL: give one, or store it with "
                          "pelorinctl config set Server URL http://HOST/tv");
}

QString describeStatus() {
    return QStringLiteral(
        "Probes the TV server and prints its state: ON, OFF, PasswordRequired, WrongURL or "
        "BadConfigulation. Exit status 0 for ON, 1 for OFF, 3 otherwise.");
}
QString describeMacs() {
    return QStringLiteral(
        "Fetches the server's MAC addresses into Server/Mac-1 ... Mac-5 and prints them. An "
        "answer without a usable address changes nothing and ends with exit status 1.");
}
QString macsUnusable(const QString& answer) {
    return QStringLiteral(
               "no usable MAC address in the server's answer \"%1\"; Mac-1 ... Mac-5 are unchanged")
        .arg(answer);
}
QString macsNoAnswer(const QString& page, const QString& seconds) {
    return QStringLiteral("no answer from %1 within %2 s; Mac-1 ... Mac-5 are unchanged")
        .arg(page, seconds);
}

QString describeWake() {
    return QStringLiteral(
        "Sends the Wake-on-LAN magic packet to each port, three rounds unless --count says "
        "otherwise. A server address in a home network (10.x, 172.16-32.x, 192.168.x) is sent "
        "to that network's broadcast address.");
}
QString argumentMac() {
    return QStringLiteral("XX-XX-XX-XX-XX-XX (default: Server/Mac, then Mac-1).");
}
QString optionTo() {
    return QStringLiteral("Server address (default: the stored URL's host).");
}
QString optionPorts() {
    return QStringLiteral("UDP ports, comma-separated (default: 2304,9).");
}
QString optionCount() {
    return QStringLiteral("Rounds of datagrams to every port (default: 3).");
}
QString optionSecureOn() {
    return QStringLiteral("SecureOn password appended to the packet.");
}
QString badPorts(const QString& value) {
    return QStringLiteral("ports are numbers from 1 to 65535: %1").arg(value);
}
QString badCount(int max, const QString& value) {
    return QStringLiteral("--count is a number from 1 to %1: %2").arg(max).arg(value);
}
QString badSecureOn(const QString& value) {
    return QStringLiteral("a SecureOn password is six hexadecimal groups (XX-XX-XX-XX-XX-XX): %1")
        .arg(value);
}
QString noMac() {
    return QStringLiteral("no MAC address: give one, or run pelorinctl macs");
}
QString badMac(const QString& mac) {
    return QStringLiteral("not a MAC address of six hexadecimal groups (XX-XX-XX-XX-XX-XX): %1")
        .arg(mac);
}
QString noWakeHost() {
    return QStringLiteral("no server address: give --to HOST, or store the server URL");
}
QString wakeFailed(const QString& destination, const QString& error) {
    return QStringLiteral("could not wake %1: %2").arg(destination, error);
}
QString wakeSent(int datagrams, const QString& mac, const QString& destination) {
    return QStringLiteral("sent %1 magic packets for %2 to %3")
        .arg(datagrams)
        .arg(mac, destination);
}

QString describeOn() {
    return QStringLiteral(
        "Switches the TV server on: sends the Wake-on-LAN magic packet for Server/Mac (else "
        "Mac-1) to the stored URL's host, then probes the server up to ten times until it "
        "answers, and prints its final state. Exit status 0 when it is on, 1 when it never "
        "answered, 2 without a usable MAC address, 3 when the server refused the credentials "
        "or the URL.");
}
QString describeOff() {
    return QStringLiteral(
        "Switches the TV server off: requests its hibernation page, then probes the server up "
        "to ten times until it stops answering (when the request gets no answer at all, probes "
        "it once), and prints its final state. Exit status 0 when it is off, 1 when it keeps "
        "running (an encoder may be busy), 3 when the server refused the credentials or the "
        "URL.");
}
QString storeMacHint() {
    return QStringLiteral("Store the server's MAC address with: pelorinctl config set Server Mac "
                          "XX-XX-XX-XX-XX-XX (or fetch it with: pelorinctl macs)");
}
QString noUsableMac() {
    return QStringLiteral("no usable MAC address in Server/Mac or Server/Mac-1");
}
QString neverWoke(int tries) {
    return QStringLiteral("the server did not answer after %1 probes").arg(tries);
}
QString probeProblem(StatusWord word) {
    switch (word) {
    case StatusWord::PasswordRequired:
        return QStringLiteral("the server refused the credentials");
    case StatusWord::WrongURL:
        return QStringLiteral("the URL names no server page");
    case StatusWord::On:
    case StatusWord::Off:
    case StatusWord::BadConfigulation:
        break;
    }
    return QStringLiteral("the URL leads to a page that is not the server's");
}
QString stillOn(int tries) {
    return QStringLiteral("the server still runs after %1 probes").arg(tries);
}
QString stillRefused(int tries) {
    return QStringLiteral("the server refused the credentials in all %1 probes after the "
                          "hibernation request")
        .arg(tries);
}
QString unansweredHibernation(const QString& statusWord) {
    return QStringLiteral("the hibernation request got no answer and the server reads %1")
        .arg(statusWord);
}
QString packetNotSent(const QString& destination, const QString& error) {
    return QStringLiteral("the magic packet could not be sent to %1: %2").arg(destination, error);
}

QString describeWatch() {
    return QStringLiteral(
        "Watches the TV server as Pelorin's window does: while it is believed to be on, tests "
        "whether its web port accepts a connection; otherwise probes its page. Prints a line "
        "with the time and the state (ON or OFF) at the start and whenever the state changes. "
        "Ends with exit status 0 on SIGINT or SIGTERM.");
}
QString optionInterval(int seconds) {
    return QStringLiteral("Seconds between two looks (default: %1).").arg(seconds);
}
QString badInterval(int max, const QString& value) {
    return QStringLiteral("--interval is a number of seconds from 1 to %1: %2").arg(max).arg(value);
}

QString describeConfig() {
    return QStringLiteral(
        "Reads and writes Pelorin's settings (sections Pos, Form and Server). A value that "
        "begins with a dash follows \"--\". The value - of Server Password asks for the "
        "password at the terminal without showing it (or reads a line of standard input). "
        "config list shows the password as ******** unless --show-secrets is given.");
}
QString argumentConfigAction() {
    return QStringLiteral("get SECTION KEY | set SECTION KEY VALUE | list");
}
QString optionPasswordStdin() {
    return QStringLiteral("config set Server Password without VALUE: reads the password from "
                          "the first line of standard input.");
}
QString optionShowSecrets() {
    return QStringLiteral("config list: shows the password instead of ********.");
}
QString configUsage() {
    return QStringLiteral("config takes: get SECTION KEY | set SECTION KEY VALUE | list");
}
QString unknownConfigAction(const QString& action) {
    return QStringLiteral("unknown config action '%1' (actions are get, set and list)").arg(action);
}
QString unknownSection(const QString& section) {
    return QStringLiteral("unknown section %1 (sections are Pos, Form and Server)").arg(section);
}
QString unknownKey(const QString& key, const QString& section) {
    return QStringLiteral("unknown key %1 in section %2").arg(key, section);
}
QString passwordStdinOnlyForPassword() {
    return QStringLiteral("--password-stdin is for: config set Server Password");
}
QString passwordStdinWithoutValue() {
    return QStringLiteral("--password-stdin goes with: config set Server Password (without VALUE)");
}
QString showSecretsOnlyForList() {
    return QStringLiteral("--show-secrets goes with: config list");
}
QString passwordPrompt() {
    return QStringLiteral("Password (not shown): ");
}
QString noPasswordFromTerminal() {
    return QStringLiteral("no password was read from the terminal");
}
QString noPasswordFromInput() {
    return QStringLiteral("no password was read: standard input ended");
}
QString valueRefused() {
    return QStringLiteral("this value cannot be stored");
}
QString cannotWrite(const QString& path) {
    return QStringLiteral("cannot write %1").arg(path);
}

QString describeDiscover() {
    return QStringLiteral(
        "Finds TV servers: asks every host address of the named IPv4 networks (CIDR, at most "
        "a /22 each) for the server page over HTTP, many at once, and lists each address whose "
        "page is the server's, with its URL and the MAC addresses it reports. Without CIDR, "
        "prints this machine's own networks as suggestions and scans nothing. Exit status 0 "
        "when a server was found, 1 when none was, 2 for a mistake in the arguments.");
}
QString argumentNetworks() {
    return QStringLiteral("IPv4 networks to scan, such as 192.168.1.0/24.");
}
QString optionPort() {
    return QStringLiteral("TCP port of the server's web page (default: 80).");
}
QString optionPath() {
    return QStringLiteral("Path of the server URL (default: /tv).");
}
QString optionTimeout(int ms) {
    return QStringLiteral("Milliseconds each address has to answer (default: %1).").arg(ms);
}
QString optionSave() {
    return QStringLiteral("Stores the N-th server found as the server URL, with its MAC "
                          "addresses, as the settings dialog's OK would.");
}
QString optionLocal() {
    return QStringLiteral("Scans this machine's own IPv4 networks too.");
}
QString notANetwork(const QString& text) {
    return QStringLiteral("not an IPv4 network written ADDRESS/PREFIX: %1").arg(text);
}
QString networkTooLarge(const QString& network, quint64 addresses, int widest) {
    return QStringLiteral("%1 has %2 addresses; a network to scan is at most a /%3 (%4 "
                          "addresses): name smaller ones")
        .arg(network)
        .arg(addresses)
        .arg(widest)
        .arg(quint64(1) << (32 - widest));
}
QString badPort(const QString& value) {
    return QStringLiteral("--port is a number from 1 to 65535: %1").arg(value);
}
QString badPath(const QString& value) {
    return QStringLiteral("--path is a URL path that begins with /: %1").arg(value);
}
QString badTimeout(int min, int max, const QString& value) {
    return QStringLiteral("--timeout is a number of milliseconds from %1 to %2: %3")
        .arg(min)
        .arg(max)
        .arg(value);
}
QString badSave(const QString& value) {
    return QStringLiteral("--save is the number of a server in the list, from 1: %1").arg(value);
}
QString noNetworkNamed(const QString& example) {
    return QStringLiteral("no network to scan: name one, such as pelorinctl discover %1, or "
                          "give --local to scan all of this machine's networks listed above")
        .arg(example);
}
QString noNetworkToSuggest() {
    return QStringLiteral("no network to scan: name one as ADDRESS/PREFIX (this machine has no "
                          "IPv4 network to suggest)");
}
QString scanning(qsizetype addresses) {
    return QStringLiteral("Asking %1 addresses for the server page...").arg(addresses);
}
QString noServerFound(qsizetype addresses) {
    return QStringLiteral("no server found among %1 addresses").arg(addresses);
}
QString saveOutOfRange(int n, qsizetype found) {
    return QStringLiteral("--save %1: only %2 servers were found; nothing was stored")
        .arg(n)
        .arg(found);
}
QString saved(const QString& url) {
    return QStringLiteral("Stored %1 as the server URL, with its MAC addresses.").arg(url);
}

QString describeHelp() {
    return QStringLiteral("Shows what pelorinctl does, or what one command does and takes.");
}
QString argumentCommand() {
    return QStringLiteral("A command.");
}

} // namespace pelorin::cli::text
