// A misbehaving TV server met through the real main window, offscreen: every fault the simulator
// knows at the start-up probe, the MAC retrieval, the OFF request and the monitor. Each ends in
// its status word or message, and the window keeps painting while it waits.
#include "gui/main/harness.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

using namespace pelorin;

namespace {

constexpr double Scale = 0.05; // a request time-out lasts half a second

const QString On = QStringLiteral("サーバー:ON");
const QString Off = QStringLiteral("サーバー:OFF");
const QString Unknown = QStringLiteral("サーバー状態不明");
const QString AuthFailed = QStringLiteral("認証失敗");
const QString BadPage = QStringLiteral("TVサーバーに接続しましたが、エラーを返しました。");
const QString MacTimeout = QStringLiteral("サーバーに接続するときにタイムアウトになりました。");
const QString MacFailed = QStringLiteral("MACアドレスの取得に失敗しました");
const QString KnownMac = QStringLiteral("AA:BB:CC:DD:EE:FF");

enum Stage { Probe, Mac, OffRequest, Monitor, MonitorBelievedOn };

// Nine tenths of a request's time-out: a coarse timer may fire early.
qint64 nearlyTimeout() {
    return timing::scaled(HttpClient::RequestTimeoutMs) * 9 / 10;
}

// How long a step took, and the longest the GUI thread went without running a 5 ms timer.
struct Watched {
    qint64 elapsed, stall;
};
template <typename Step> Watched watch(Step step) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, stall = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        stall = std::max(stall, clock.elapsed() - last);
        last = clock.elapsed();
    });
    timer.start(5);
    step();
    return {clock.elapsed(), std::max(stall, clock.elapsed() - last)};
}

QString responseText(const frmMain& window) {
    return window.findChild<QPlainTextEdit*>(QStringLiteral("txtInet"))->toPlainText();
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fault_data();
    void fault();
    void hugePageInRealMessageBox();
};

void FaultsTest::fault_data() {
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");

    const auto rows = [](Stage stage, const char* name, const QString& faults,
                         const QString& status, const QStringList& messages = {}) {
        for (const QString& fault : faults.split(u' '))
            QTest::addRow("%s: %s", name, qPrintable(fault))
                << int(stage) << fault << status << messages;
    };
    // "slow-within"/"slow-beyond": answered well inside/long after the time-out.
    const QString noAnswer = QStringLiteral("hang reset slow-beyond redirect-loop");
    rows(Probe, "probe", noAnswer + QStringLiteral(" empty"), Off);
    rows(Probe, "probe", "huge garbage", Unknown, {BadPage});
    rows(Probe, "probe", "slow-within", On);
    // Refused without a challenge: the settings dialog gets one chance, then the program ends.
    rows(Probe, "probe", "401-nochallenge", AuthFailed,
         {QStringLiteral("認証に失敗しました。"), QStringLiteral("接続できませんでした")});
    // No answer keeps the known addresses, an answer without any clears them.
    rows(Mac, "MAC", noAnswer, On, {MacTimeout, MacFailed});
    rows(Mac, "MAC", "empty huge garbage 401-nochallenge", On, {MacFailed});
    rows(Mac, "MAC", "slow-within", On);
    // An empty page reads as a server going down; a refusal blinks until the monitor looks.
    rows(OffRequest, "OFF", noAnswer, Off, {QStringLiteral("応答がありません。")});
    rows(OffRequest, "OFF", "empty slow-within", Off);
    rows(OffRequest, "OFF", "huge garbage", Unknown);
    rows(OffRequest, "OFF", "401-nochallenge", AuthFailed);
    rows(Monitor, "monitor", noAnswer + QStringLiteral(" empty huge garbage 401-nochallenge"), Off);
    rows(Monitor, "monitor", "slow-within", On);
    // Believed on, only the web port is tried: a page that never comes does not matter.
    rows(MonitorBelievedOn, "monitor, believed on", "hang", On);
}

void FaultsTest::fault() {
    QFETCH(int, stage);
    QFETCH(QString, fault);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);
    const bool slowWithin = fault == u"slow-within";
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
    frmMain& window = *scene.window;
    bool loaded = true;
    Watched watched{};
    if (stage == Probe || stage == Mac) {
        watched = watch([&] { loaded = window.Form_Load(); });
        watched.elapsed += stage == Probe ? buildingMs : 0;
    } else {
        QVERIFY(window.Form_Load());
        server->setFault(mode);
        if (stage == OffRequest) {
            watched = watch([&] { window.option2()->click(); });
        } else {
            window.periodicTimer().stop();
            server->setOn(true);
            server->clearRecords();
            watched = watch([&] { window.timPeriodic_Timer(); });
        }
    }

    QCOMPARE(window.statusText(), status);
    const QStringList texts = scene.harness.messages;
    QCOMPARE(texts.size(), messages.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        QVERIFY2(texts[i].startsWith(messages[i]), qPrintable(texts[i].left(200)));
    const bool ends =
        (stage == Probe && status == AuthFailed) || (stage == Mac && !messages.isEmpty());
    QCOMPARE(loaded, !ends);
    QCOMPARE(scene.harness.programEnds, ends ? 1 : 0);
    // A blinking lamp after OFF leaves the belief to the monitor.
    const bool blinking = stage == OffRequest && status == AuthFailed;
    const bool lit = stage == Mac ? messages.isEmpty() : blinking || status == On;
    QCOMPARE(window.serverState().serverOn(), lit);
    QCOMPARE(window.lampTimer().isActive(), blinking);
    if (!blinking)
        QCOMPARE(window.lampColour(), lit ? frmMain::Green : frmMain::White);
    if (stage != Mac && stage != OffRequest)
        QCOMPARE(scene.harness.dialogs, messages.isEmpty() ? 0 : 1);
    if (stage == Probe && status == Unknown) { // the unexpected page follows the explanation
        QVERIFY(!texts.constFirst().section(QStringLiteral("\r\n\r\n"), 1).isEmpty());
        QVERIFY(!responseText(window).isEmpty());
    }
    if (stage == Mac) {
        const QString stored = messages.isEmpty()              ? QStringLiteral("00:11:22:33:44:55")
                               : messages.contains(MacTimeout) ? KnownMac
                                                               : QString();
        QCOMPARE(ReadIni(ini::Server, ini::macKey(1)), stored);
    }
    if (stage == OffRequest) {
        QVERIFY(window.option2()->isChecked() && !window.powerCommands().isRunning());
        QCOMPARE(server->isOn(), !slowWithin);
    }
    if (stage >= OffRequest)
        QVERIFY(window.periodicTimer().isActive());
    if (stage == MonitorBelievedOn)
        QVERIFY(server->requests().isEmpty());

    // A wait that blocked the GUI thread would show as one stall as long as the time-out.
    QCOMPARE_LT(watched.stall, nearlyTimeout());
    if ((fault == u"hang" || fault == u"slow-beyond") && stage != MonitorBelievedOn)
        QCOMPARE_GE(watched.elapsed, nearlyTimeout());
}

// A page far larger than any real one: the real message box shows only its start, and the monitor
// meeting it again piles nothing up.
void FaultsTest::hugePageInRealMessageBox() {
    tvsim::Config config;
    config.fault = tvsim::Fault::Huge;
    config.hugeBytes = 64 * HttpClient::BodyCapBytes;
    Scene scene(config, {}, false, Scale);
    ui::setMessageHandler({}); // whoever reads the box presses OK as soon as it is up
    QString boxText;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* const box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->isVisible()) {
            boxText = box->text();
            box->accept();
        }
    });
    closer.start(5);
    frmMain& window = *scene.window;
    QVERIFY(window.Form_Load());
    QVERIFY(boxText.startsWith(BadPage) && boxText.size() <= 1024);
    const QString shown = responseText(window);
    QVERIFY(!shown.isEmpty() && shown.size() < HttpClient::BodyCapBytes);

    window.periodicTimer().stop();
    window.Lamp_OFF(); // believed off: the monitor probes the page
    QCOMPARE_LT(watch([&] { window.timPeriodic_Timer(); }).stall, nearlyTimeout());
    QCOMPARE(responseText(window), shown);
    QCOMPARE(window.statusText(), Off);
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
