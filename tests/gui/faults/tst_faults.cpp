// A misbehaving TV server met through the real main window, offscreen: every fault the simulator
// knows at the start-up probe, the MAC retrieval, the OFF request and the monitor. Each ends in
// its status word or message, the window keeps painting while it waits, and a huge page is cut
// at the client's cap.
#include "gui/main/harness.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

using namespace pelorin;

namespace {

// Waits are scaled so that a request time-out lasts half a second.
constexpr double Scale = 0.05;

const QString On = QStringLiteral("サーバー:ON");
const QString Off = QStringLiteral("サーバー:OFF");
const QString Unknown = QStringLiteral("サーバー状態不明");
const QString AuthFailed = QStringLiteral("認証失敗");
const QString BadPage = QStringLiteral("TVサーバーに接続しましたが、エラーを返しました。");
const QString AuthRefused = QStringLiteral("認証に失敗しました。");
const QString NotConnected = QStringLiteral("接続できませんでした");
const QString MacTimeout = QStringLiteral("サーバーに接続するときにタイムアウトになりました。");
const QString MacFailed = QStringLiteral("MACアドレスの取得に失敗しました");
const QString NoAnswer = QStringLiteral("応答がありません。");
const QString KnownMac = QStringLiteral("AA:BB:CC:DD:EE:FF");

enum Stage { Probe, Mac, OffRequest, Monitor, MonitorBelievedOn };

// What each stage ends in when the server shows the fault from that stage on.
struct Expected {
    const char* fault; // "slow-within"/"slow-beyond": answered well inside/long after the time-out
    QString probe;
    QStringList probeSays;
    QStringList macSays; // no answer keeps the known addresses, an answer without any clears them
    QString off;         // an empty page reads as a server going down
    QStringList offSays;
    QString monitor;
};

int requestTimeoutMs() {
    return timing::scaled(HttpClient::RequestTimeoutMs);
}

// Watches the GUI thread while one step runs: the longest gap between a timer's ticks.
class Heartbeat : public QObject {
public:
    Heartbeat() {
        m_timer.setInterval(5);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.elapsed();
            longestGapMs = std::max(longestGapMs, now - m_lastTickMs);
            m_lastTickMs = now;
            ++ticks;
        });
    }

    // Runs one step under watch and returns how long it took.
    template <typename Step> qint64 watch(Step step) {
        m_clock.start();
        m_timer.start();
        step();
        m_timer.stop();
        const qint64 elapsed = m_clock.elapsed();
        longestGapMs = std::max(longestGapMs, elapsed - m_lastTickMs);
        return elapsed;
    }

    qint64 longestGapMs = 0;
    int ticks = 0;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTickMs = 0;
};

QString responseText(const frmMain& window) {
    const auto* const box = window.findChild<QPlainTextEdit*>(QStringLiteral("txtInet"));
    return box ? box->toPlainText() : QString();
}

// The page that follows the explanation in the message about an unexpected answer.
QString pageInMessage(const QString& message) {
    const qsizetype at = message.indexOf(QStringLiteral("\r\n\r\n"));
    return at < 0 ? QString() : message.mid(at + 4);
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fault_data();
    void fault();
    void hugePageCapped();
    void realMessageBoxStaysReadable();
};

void FaultsTest::fault_data() {
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");

    const QStringList none;
    const QStringList badPage{BadPage};
    const QStringList macNoAnswer{MacTimeout, MacFailed};
    const QStringList macNone{MacFailed};
    const QStringList noAnswer{NoAnswer};
    // Refused without a challenge at start-up: the settings dialog gets one chance, then the
    // program ends; at OFF the lamp blinks on until the monitor looks again.
    const QList<Expected> table{
        {"hang", Off, none, macNoAnswer, Off, noAnswer, Off},
        {"reset", Off, none, macNoAnswer, Off, noAnswer, Off},
        {"empty", Off, none, macNone, Off, none, Off},
        {"huge", Unknown, badPage, macNone, Unknown, none, Off},
        {"slow-within", On, none, none, Off, none, On},
        {"slow-beyond", Off, none, macNoAnswer, Off, noAnswer, Off},
        {"garbage", Unknown, badPage, macNone, Unknown, none, Off},
        {"redirect-loop", Off, none, macNoAnswer, Off, noAnswer, Off},
        {"401-nochallenge",
         AuthFailed,
         {AuthRefused, NotConnected},
         macNone,
         AuthFailed,
         none,
         Off},
    };
    for (const Expected& e : table) {
        const auto row = [&](const char* stage, Stage s, const QString& status,
                             const QStringList& messages) {
            QTest::addRow("%s: %s", stage, e.fault) << int(s) << e.fault << status << messages;
        };
        row("probe", Probe, e.probe, e.probeSays);
        row("MAC", Mac, On, e.macSays); // the probe's word stays
        row("OFF", OffRequest, e.off, e.offSays);
        row("monitor", Monitor, e.monitor, none);
    }
    // Believed on, only the web port is tried: a page that never comes does not matter.
    QTest::newRow("monitor, believed on: hang") << int(MonitorBelievedOn) << "hang" << On << none;
}

void FaultsTest::fault() {
    QFETCH(int, stage);
    QFETCH(QString, fault);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);
    const bool slowWithin = fault == u"slow-within";
    const bool timesOut =
        (fault == u"hang" || fault == u"slow-beyond") && stage != MonitorBelievedOn;
    tvsim::Fault mode = tvsim::Fault::None;
    QVERIFY(tvsim::parseFault(fault.startsWith(u"slow") ? QStringLiteral("slow") : fault, &mode));

    tvsim::Config config;
    config.slowMs = slowWithin ? 50 : 3000;
    config.startOn = stage != Monitor;
    if (stage == Probe)
        config.fault = mode;
    QElapsedTimer building; // the window sends the start-up probe: its time-out counts from here
    building.start();
    Scene scene(
        config,
        [&](Scene& s) {
            if (stage != Mac)
                return;
            WriteIni(ini::Server, ini::macKey(1), KnownMac);
            QObject::connect(s.server.get(), &tvsim::Simulator::requestReceived, s.server.get(),
                             [&] { s.server->setFault(mode); }); // from the request after the probe
        },
        false, Scale);
    const qint64 buildingMs = building.elapsed();
    const auto& server = scene.server;
    const GuiHarness& harness = scene.harness;
    frmMain& window = *scene.window;
    Heartbeat heartbeat;
    bool loaded = true;
    qint64 elapsed = 0;
    if (stage == Probe || stage == Mac) {
        elapsed = heartbeat.watch([&] { loaded = window.Form_Load(); });
    } else {
        QVERIFY(window.Form_Load());
        QCOMPARE(window.serverState().serverOn(), stage != Monitor);
        server->setFault(mode);
        if (stage == OffRequest) {
            elapsed = heartbeat.watch([&] { window.option2()->click(); });
        } else {
            window.periodicTimer().stop();
            server->setOn(true);
            server->clearRecords();
            elapsed = heartbeat.watch([&] { window.timPeriodic_Timer(); });
        }
    }

    QCOMPARE(window.statusText(), status);
    const QStringList texts = harness.messages;
    QCOMPARE(texts.size(), messages.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        QVERIFY2(texts[i].startsWith(messages[i]), qPrintable(texts[i].left(200)));
    const bool ends =
        (stage == Probe && status == AuthFailed) || (stage == Mac && !messages.isEmpty());
    QCOMPARE(loaded, !ends);
    QCOMPARE(harness.programEnds, ends ? 1 : 0);
    // A blinking lamp after OFF leaves the belief to the monitor.
    const bool blinking = stage == OffRequest && status == AuthFailed;
    const bool lit = stage == Mac ? messages.isEmpty() : blinking || status == On;
    QCOMPARE(window.serverState().serverOn(), lit);
    QCOMPARE(window.serverState().blinking(), blinking);
    QCOMPARE(window.lampTimer().isActive(), blinking);
    if (!blinking)
        QCOMPARE(window.lampColour(), lit ? frmMain::Green : frmMain::White);
    if (stage != Mac && stage != OffRequest)
        QCOMPARE(harness.dialogsOpened.size(), messages.isEmpty() ? 0 : 1);
    if (stage == Probe && status == Unknown) {
        // The unexpected page is shown to the user as it came, after the explanation.
        const QString page = pageInMessage(texts.constFirst());
        QVERIFY(!page.isEmpty() && page.size() <= HttpClient::BodyCapBytes);
        QVERIFY(!responseText(window).isEmpty());
    }
    if (stage == Mac) {
        const QString stored = messages.isEmpty()              ? QStringLiteral("00:11:22:33:44:55")
                               : messages.contains(MacTimeout) ? KnownMac
                                                               : QString();
        QCOMPARE(ReadIni(ini::Server, ini::macKey(1)), stored);
    }
    if (stage == OffRequest) {
        QVERIFY(window.option2()->isChecked());
        QVERIFY(!window.powerCommands().isRunning());
        QCOMPARE(server->isOn(), !slowWithin);
    }
    if (stage >= OffRequest)
        QVERIFY(window.periodicTimer().isActive());
    if (stage == MonitorBelievedOn)
        QVERIFY(server->requests().isEmpty());

    // The GUI thread kept running all along. A wait that blocked it would show as one gap as
    // long as the time-out; the bound leaves room for a busy machine. A coarse timer may fire
    // early.
    QVERIFY2(heartbeat.longestGapMs < requestTimeoutMs() * 9 / 10,
             qPrintable(QStringLiteral("GUI thread stalled %1 ms").arg(heartbeat.longestGapMs)));
    if (timesOut) {
        if (stage == Probe)
            elapsed += buildingMs;
        QVERIFY2(elapsed >= requestTimeoutMs() * 9 / 10, qPrintable(QString::number(elapsed)));
        QVERIFY(heartbeat.ticks >= 10);
    }
}

// A page far larger than any real one is read up to the cap and no further, again and again;
// the real message box shows only the start of it.
void FaultsTest::hugePageCapped() {
    tvsim::Config config;
    config.fault = tvsim::Fault::Huge;
    config.hugeBytes = 64 * HttpClient::BodyCapBytes;
    Scene scene(config, {}, true, Scale);
    frmMain& window = *scene.window;
    QVERIFY(scene.loaded);
    QCOMPARE(pageInMessage(scene.harness.messages.constFirst()).size(), HttpClient::BodyCapBytes);
    const QString shown = responseText(window);
    QVERIFY(!shown.isEmpty() && shown.size() < HttpClient::BodyCapBytes);

    // The monitor meets the same page again; nothing piles up.
    window.periodicTimer().stop();
    window.Lamp_OFF(); // believed off: the monitor probes the page
    Heartbeat heartbeat;
    heartbeat.watch([&] { window.timPeriodic_Timer(); });
    QCOMPARE(responseText(window), shown);
    QCOMPARE(window.statusText(), Off);
    QVERIFY(heartbeat.longestGapMs < requestTimeoutMs() * 9 / 10);
}

void FaultsTest::realMessageBoxStaysReadable() {
    tvsim::Config config;
    config.fault = tvsim::Fault::Huge;
    Scene scene(config, {}, false, Scale);
    pelorin::ui::setMessageHandler({}); // whoever reads the box presses OK as soon as it is up
    QString boxText;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* const box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->isVisible()) {
            boxText = box->text();
            box->accept();
        }
    });
    closer.start();
    QVERIFY(scene.window->Form_Load());
    QVERIFY(boxText.startsWith(BadPage));
    QVERIFY(boxText.size() <= 1024);
    QCOMPARE(scene.window->statusText(), Unknown);
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
