// `pelorinctl watch`: the window's periodic monitor without the window. The same ServerMonitor
// looks at the server every interval; a line is printed whenever what the window would show
// (lamp and status text) changes.
#include "cli/cmdline.h"
#include "cli/commands.h"
#include "common/quitsignals.h"
#include "common/timing.h"
#include "serverlink/monitor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

namespace pelorin::cli {

namespace {

constexpr int DefaultIntervalSeconds = 15;
constexpr int MaxIntervalSeconds = 24 * 3600;

struct Shown {
    bool lampOn = false; // the window starts with a dark lamp
    QString status;
    bool operator==(const Shown&) const = default;
};

// Keeps what the monitor would show instead of showing it; the lines come from Watch.
class WatchView final : public LinkView {
public:
    void showStatus(const QString& text) override { m_shown.status = text; }
    void showMessage(MessageIcon, const QString& text) override {
        // Messages join their lines with CR LF for message boxes; each is an error line here.
        for (const QString& line : text.split(QLatin1String("\r\n")))
            printError(line);
    }
    void showLamp(Lamp lamp) override {
        if (lamp != Lamp::Checking)
            m_shown.lampOn = lamp == Lamp::On;
    }
    void detailsNeeded(const QString&) override {}

    const Shown& shown() const { return m_shown; }

private:
    Shown m_shown;
};

QString timestamp() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
}

class Watch {
public:
    Watch(int intervalMs, bool json) : m_intervalMs(intervalMs), m_json(json) {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { tick(); });
    }

    int run() {
        callOnQuitSignals(&m_timer, [this] { stop(); });
        m_timer.start(0);
        return QCoreApplication::exec();
    }

private:
    // Like the window's monitor, the next look is one interval after this one has finished.
    void tick() {
        m_monitor.check(m_view.shown().lampOn);
        if (m_stopping)
            return;
        const Shown& now = m_view.shown();
        if (!m_last || *m_last != now)
            print(now);
        m_last = now;
        m_timer.start(m_intervalMs);
    }

    // A check under way is cut short (its waits end with the event loop); what it found then
    // is not news, so nothing more is printed.
    void stop() {
        m_stopping = true;
        m_timer.stop();
        QCoreApplication::exit(Success);
    }

    void print(const Shown& shown) const {
        const QString server = shown.lampOn ? QStringLiteral("on") : QStringLiteral("off");
        if (m_json)
            printJson({{"time", timestamp()}, {"server", server}, {"status", shown.status}});
        else
            out() << timestamp() << ' ' << server << ' ' << shown.status << Qt::endl;
    }

    const int m_intervalMs;
    const bool m_json;
    WatchView m_view;
    ServerLink m_link{programSettings(), m_view};
    ServerMonitor m_monitor{m_link, programSettings(), m_view};
    QTimer m_timer;
    std::optional<Shown> m_last;
    bool m_stopping = false;
};

} // namespace

int runWatch(const QStringList& args, Options options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Watches the TV server as Pelorin's window does: while it is believed to be on, tests "
        "whether its web port accepts a connection; otherwise probes its page. Prints a line "
        "with the time, on or off and the status text at the start and whenever that changes. "
        "Ends with exit status 0 on SIGINT or SIGTERM."));
    const QCommandLineOption interval(
        QStringLiteral("interval"),
        QStringLiteral("Seconds between two looks (default: %1).").arg(DefaultIntervalSeconds),
        QStringLiteral("S"), QString::number(DefaultIntervalSeconds));
    parser.addOption(interval);
    if (const auto done = parseCommand(parser, {QStringLiteral("watch"), 0, 0}, args, options))
        return *done;
    const auto seconds = boundedNumber(parser.value(interval), 1, MaxIntervalSeconds);
    if (!seconds) {
        printError(QStringLiteral("--interval is a number of seconds from 1 to %1: %2")
                       .arg(MaxIntervalSeconds)
                       .arg(parser.value(interval)));
        return UsageError;
    }
    if (!checkedServerUrl())
        return UsageError;
    Watch watch(timing::scaled(*seconds * 1000), options.json);
    return watch.run();
}

} // namespace pelorin::cli
