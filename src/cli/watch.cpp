// `pelorinctl watch`: the window's periodic monitor without the window. The same ServerMonitor
// looks at the server every interval; a line is printed whenever what the window's lamp would
// show changes.
#include "cli/cmdline.h"
#include "cli/commands.h"
#include "cli/texts.h"
#include "common/quitsignals.h"
#include "common/timing.h"
#include "rules/serverurl.h"
#include "serverlink/monitor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

namespace pelorin::cli {

namespace {

constexpr int DefaultIntervalSeconds = 15;
constexpr int MaxIntervalSeconds = 24 * 3600;

// Keeps the lamp the monitor would light instead of lighting it; the lines come from Watch.
// The monitor's status texts follow the lamp (ON or OFF), and it shows no messages.
class LampView final : public LinkView {
public:
    void showStatus(const QString&) override {}
    void showMessage(MessageIcon, const QString&) override {}
    void showLamp(Lamp lamp) override {
        if (lamp != Lamp::Checking)
            m_on = lamp == Lamp::On;
    }
    void detailsNeeded(const QString&) override {}

    bool isOn() const { return m_on; }

private:
    bool m_on = false; // the window starts with a dark lamp
};

QString timestamp() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
}

class Watch {
public:
    Watch(int intervalMs, const Context& context) : m_intervalMs(intervalMs), m_context(context) {
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
        m_monitor.check(m_view.isOn());
        if (m_stopping)
            return;
        if (!m_last || *m_last != m_view.isOn())
            print(m_view.isOn());
        m_last = m_view.isOn();
        m_timer.start(m_intervalMs);
    }

    // A check under way is cut short (its waits end with the event loop); what it found then
    // is not news, so nothing more is printed.
    void stop() {
        m_stopping = true;
        m_timer.stop();
        QCoreApplication::exit(Success);
    }

    void print(bool on) const {
        const StatusWord word = on ? StatusWord::On : StatusWord::Off;
        if (m_context.options.json)
            m_context.printJson({{"time", timestamp()},
                                 {"url", urlForDisplay(m_context.settings.url())},
                                 {"status", statusWordText(word)},
                                 {"server", serverStateName(word)}});
        else
            m_context.out << timestamp() << ' ' << statusWordText(word) << Qt::endl;
    }

    const int m_intervalMs;
    const Context& m_context;
    LampView m_view;
    ServerLink m_link{m_context.settings, m_view};
    ServerMonitor m_monitor{m_link, m_context.settings, m_view};
    QTimer m_timer;
    std::optional<bool> m_last;
    bool m_stopping = false;
};

} // namespace

int runWatch(const QStringList& args, Context& context) {
    CommandLine line(QStringLiteral("watch"), text::describeWatch());
    const QCommandLineOption interval(QStringLiteral("interval"),
                                      text::optionInterval(DefaultIntervalSeconds),
                                      QStringLiteral("S"), QString::number(DefaultIntervalSeconds));
    line.addOption(interval);
    if (const auto done = line.parse(args, context, 0, 0))
        return *done;
    const auto seconds = boundedNumber(line.value(interval), 1, MaxIntervalSeconds);
    if (!seconds)
        return context.fail(UsageError,
                            text::badInterval(MaxIntervalSeconds, line.value(interval)));
    if (const CheckedUrl url = checkedServerUrl(context.settings); !url.problem.isEmpty())
        return context.fail(UsageError, url.problem);
    Watch watch(timing::scaled(*seconds * 1000), context);
    return watch.run();
}

} // namespace pelorin::cli
