// tvsim: the TV server simulator as a process, for demos and end-to-end tests. It prints one
// "tvsim: listening url=... wol=..." line when ready, then one line per event.

#include "common/quitsignals.h"
#include "simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr int BadUsage = 2;

void printLine(std::FILE* stream, const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stream);
    std::fflush(stream);
}

struct Options {
    tvsim::Config config;
    bool quiet = false;
};

struct Parsed {
    std::optional<Options> options;
    QString error;
};

std::optional<qint64> number(const QString& text, qint64 min, qint64 max) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok && value >= min && value <= max ? std::optional(value) : std::nullopt;
}

QStringList items(const QString& list) {
    QStringList result = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& item : result)
        item = item.trimmed();
    return result;
}

QList<QCommandLineOption> optionList() {
    const QString names = tvsim::faultNames().join(QStringLiteral(", "));
    return {
        {QStringLiteral("port"), QStringLiteral("HTTP port (0: any free port)."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("path"), QStringLiteral("Path of the server URL."), QStringLiteral("PATH"),
         QStringLiteral("/tv")},
        {QStringLiteral("macs"), QStringLiteral("Comma-separated adapter MACs."),
         QStringLiteral("MACS"), QStringLiteral("00:11:22:33:44:55")},
        {QStringLiteral("mac-label"), QStringLiteral("Label of the adapters in GetMacAddr.asp."),
         QStringLiteral("LABEL"), QStringLiteral("LAN")},
        {QStringLiteral("mac-body"), QStringLiteral("Exact body of GetMacAddr.asp."),
         QStringLiteral("TEXT")},
        {QStringLiteral("user"), QStringLiteral("User name for Basic authentication."),
         QStringLiteral("NAME")},
        {QStringLiteral("password"), QStringLiteral("Password for Basic authentication."),
         QStringLiteral("PW")},
        {QStringLiteral("off"), QStringLiteral("Start hibernating.")},
        {QStringLiteral("wake-delay"), QStringLiteral("Milliseconds from magic packet to on."),
         QStringLiteral("MS"), QStringLiteral("0")},
        {QStringLiteral("hibernate-delay"), QStringLiteral("Milliseconds from hibern.asp to off."),
         QStringLiteral("MS"), QStringLiteral("0")},
        {QStringLiteral("encoding"), QStringLiteral("Busy: hibern.asp answers but stays on.")},
        {QStringLiteral("fault"), QStringLiteral("HTTP misbehaviour: %1.").arg(names),
         QStringLiteral("NAME"), QStringLiteral("none")},
        {QStringLiteral("fault-page"),
         QStringLiteral("Page the fault hits, e.g. hibern.asp (default: every page)."),
         QStringLiteral("PAGE")},
        {QStringLiteral("slow-ms"), QStringLiteral("Delay of the slow fault."),
         QStringLiteral("MS"), QStringLiteral("3000")},
        {QStringLiteral("huge-bytes"), QStringLiteral("Body size of the huge fault."),
         QStringLiteral("N"), QStringLiteral("8388608")},
        {QStringLiteral("wol-ports"),
         QStringLiteral("Comma-separated UDP ports for magic packets (0: a free port; empty: "
                        "none)."),
         QStringLiteral("PORTS"), QStringLiteral("0")},
        {QStringLiteral("address"), QStringLiteral("Loopback address to listen on."),
         QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("quiet"), QStringLiteral("Print only the listening line.")},
    };
}

Parsed fail(const QString& error) {
    return Parsed{std::nullopt, error};
}

Parsed readOptions(const QCommandLineParser& parser) {
    Options options;
    tvsim::Config& config = options.config;
    const auto value = [&](const char* name) { return parser.value(QLatin1StringView(name)); };
    constexpr qint64 Day = 24 * 3600 * 1000;
    QString badNumber;
    const auto numeric = [&](const char* name, qint64 max) {
        const auto parsed = number(value(name), 0, max);
        if (!parsed && badNumber.isEmpty())
            badNumber = QStringLiteral("--%1 must be a number from 0 to %2")
                            .arg(QLatin1StringView(name))
                            .arg(max);
        return parsed.value_or(0);
    };
    config.httpPort = static_cast<quint16>(numeric("port", 65535));
    config.wakeDelayMs = static_cast<int>(numeric("wake-delay", Day));
    config.hibernateDelayMs = static_cast<int>(numeric("hibernate-delay", Day));
    config.slowMs = static_cast<int>(numeric("slow-ms", Day));
    config.hugeBytes = numeric("huge-bytes", qint64(1) << 40);
    if (!badNumber.isEmpty())
        return fail(badNumber);

    config.address = QHostAddress(value("address"));
    if (!config.address.isLoopback())
        return fail(QStringLiteral("--address must be a loopback address (local tests only)"));
    if (!tvsim::parseFault(value("fault"), &config.fault))
        return fail(QStringLiteral("unknown fault \"%1\"").arg(value("fault")));
    config.macs = items(value("macs"));
    for (const QString& mac : std::as_const(config.macs)) {
        if (tvsim::parseMac(mac).isEmpty())
            return fail(QStringLiteral("\"%1\" is not a MAC address").arg(mac));
    }
    config.wolPorts.clear();
    for (const QString& item : items(value("wol-ports"))) {
        const auto wolPort = number(item, 0, 65535);
        if (!wolPort)
            return fail(QStringLiteral("\"%1\" is not a UDP port").arg(item));
        config.wolPorts.append(static_cast<quint16>(*wolPort));
    }
    config.basePath = value("path");
    config.macLabel = value("mac-label");
    config.faultPage = value("fault-page");
    config.macBodyOverride = value("mac-body");
    config.userName = value("user");
    config.password = value("password");
    config.startOn = !parser.isSet(QStringLiteral("off"));
    config.encoding = parser.isSet(QStringLiteral("encoding"));
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    return Parsed{options, {}};
}

QString joinedPorts(const QList<quint16>& ports) {
    QStringList texts;
    for (const quint16 port : ports)
        texts.append(QString::number(port));
    return texts.join(QLatin1Char(','));
}

void logEvents(const tvsim::Simulator& simulator, const tvsim::Config& config) {
    QObject::connect(&simulator, &tvsim::Simulator::requestReceived, [](const auto& request) {
        const QByteArray scheme = request.authorization.split(' ').value(0);
        printLine(stdout, QStringLiteral("tvsim: request path=%1 status=%2 auth=%3")
                              .arg(request.path)
                              .arg(request.status)
                              .arg(scheme.isEmpty() ? QStringLiteral("none")
                                                    : QString::fromLatin1(scheme).toLower()));
    });
    QObject::connect(&simulator, &tvsim::Simulator::datagramReceived, [&](const auto& datagram) {
        const bool magic =
            std::any_of(config.macs.cbegin(), config.macs.cend(),
                        [&](const auto& m) { return tvsim::isMagicPacketFor(datagram.bytes, m); });
        printLine(stdout, QStringLiteral("tvsim: datagram port=%1 size=%2 magic=%3")
                              .arg(datagram.port)
                              .arg(datagram.bytes.size())
                              .arg(magic ? QStringLiteral("yes") : QStringLiteral("no")));
    });
    QObject::connect(&simulator, &tvsim::Simulator::stateChanged, [](bool on) {
        printLine(stdout,
                  on ? QStringLiteral("tvsim: state on") : QStringLiteral("tvsim: state off"));
    });
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tvsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated TV server for local tests."));
    const QCommandLineOption help = parser.addHelpOption();
    parser.addOptions(optionList());
    if (!parser.parse(QCoreApplication::arguments())) {
        printLine(stderr, QStringLiteral("tvsim: %1").arg(parser.errorText()));
        return BadUsage;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        printLine(stderr, QStringLiteral("tvsim: unexpected argument \"%1\"")
                              .arg(parser.positionalArguments().constFirst()));
        return BadUsage;
    }
    const Parsed parsed = readOptions(parser);
    if (!parsed.options) {
        printLine(stderr, QStringLiteral("tvsim: %1").arg(parsed.error));
        return BadUsage;
    }
    const Options& options = *parsed.options;

    tvsim::Simulator simulator(options.config);
    if (!simulator.start()) {
        printLine(stderr, QStringLiteral("tvsim: %1").arg(simulator.errorString()));
        return 1;
    }
    pelorin::callOnQuitSignals(&app, [&app] { app.quit(); });
    printLine(stdout, QStringLiteral("tvsim: listening url=%1 wol=%2")
                          .arg(simulator.url(), joinedPorts(simulator.wolPorts())));
    if (!options.quiet) {
        if (!simulator.isOn())
            printLine(stdout, QStringLiteral("tvsim: state off"));
        logEvents(simulator, options.config);
    }
    return QCoreApplication::exec();
}
