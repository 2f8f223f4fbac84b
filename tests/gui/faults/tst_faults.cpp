// A misbehaving TV server met through the real main window, offscreen: every fault the simulator
// knows (no answer, reset, empty page, huge page, slow answer, garbage, redirect loop, 401
// without a challenge) at the start-up probe, the MAC retrieval, the OFF request and the monitor.
// Each ends in its status word or message, the window keeps painting while it waits, and a huge
// page is cut at the client's cap.
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

// Short enough to be answered within the time-out, and long enough to outlast it.
constexpr int SlowWithinMs = 50;
constexpr int SlowBeyondMs = 3000;

int requestTimeoutMs() {
    return timing::scaled(HttpClient::RequestTimeoutMs);
}

// Watches the GUI thread while one step runs: a heartbeat timer that also asks the window to
// repaint, the longest gap between its ticks, and the paints that reached the window.
class Heartbeat : public QObject {
public:
    static constexpr int IntervalMs = 5;

    explicit Heartbeat(QWidget& window) : m_window(window) {
        m_timer.setInterval(IntervalMs);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.elapsed();
            m_longestGapMs = std::max(m_longestGapMs, now - m_lastTickMs);
            m_lastTickMs = now;
            ++m_ticks;
            m_window.update();
        });
        m_window.installEventFilter(this);
    }
    ~Heartbeat() override { m_window.removeEventFilter(this); }
    Heartbeat(const Heartbeat&) = delete;
    Heartbeat& operator=(const Heartbeat&) = delete;

    // Runs one step under watch and returns how long it took.
    template <typename Step> qint64 watch(Step step) {
        m_clock.start();
        m_lastTickMs = 0;
        m_timer.start();
        step();
        m_timer.stop();
        const qint64 elapsed = m_clock.elapsed();
        m_longestGapMs = std::max(m_longestGapMs, elapsed - m_lastTickMs);
        return elapsed;
    }

    qint64 longestGapMs() const { return m_longestGapMs; }
    int ticks() const { return m_ticks; }
    int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Paint && m_timer.isActive())
            ++m_paints;
        return false;
    }

private:
    QWidget& m_window;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTickMs = 0;
    qint64 m_longestGapMs = 0;
    int m_ticks = 0;
    int m_paints = 0;
};

tvsim::Fault faultNamed(const QString& name) {
    tvsim::Fault fault = tvsim::Fault::None;
    if (!tvsim::parseFault(name, &fault))
        qFatal("unknown fault %s", qPrintable(name));
    return fault;
}

// The server with the fault of the current data row; "slow" rows carry their delay.
tvsim::Config configFor(const QString& fault, int slowMs) {
    tvsim::Config config;
    config.fault = faultNamed(fault);
    config.slowMs = slowMs;
    return config;
}

QString responseText(const frmMain& window) {
    const auto* const box = window.findChild<QPlainTextEdit*>(QStringLiteral("txtInet"));
    return box ? box->toPlainText() : QString();
}

// A step that waited for the request time-out took at least that long, and the GUI thread kept
// running all along: the heartbeat went on and the window repainted during the wait. A wait that
// blocked the thread would show as one gap as long as the time-out; the bound leaves room for a
// busy machine that does not run the test for a while.
void verifyKeptPainting(const Heartbeat& heartbeat, qint64 elapsedMs, bool timesOut) {
    QVERIFY2(heartbeat.longestGapMs() < requestTimeoutMs() * 9 / 10,
             qPrintable(QStringLiteral("GUI thread stalled %1 ms").arg(heartbeat.longestGapMs())));
    if (!timesOut)
        return;
    // A coarse timer may fire up to 5 % early.
    QVERIFY2(elapsedMs >= requestTimeoutMs() * 95 / 100,
             qPrintable(QStringLiteral("ended after %1 ms, before the time-out").arg(elapsedMs)));
    QVERIFY(heartbeat.ticks() >= 10);
    QVERIFY(heartbeat.paints() >= 2);
}

// The page that follows the explanation in the message about an unexpected answer.
QString pageInMessage(const QString& message) {
    const QString separator = QStringLiteral("\r\n\r\n");
    const qsizetype at = message.indexOf(separator);
    return at < 0 ? QString() : message.mid(at + separator.size());
}

void verifyMessages(const GuiHarness& harness, const QStringList& expectedStarts) {
    const QStringList texts = harness.messageTexts();
    QCOMPARE(texts.size(), expectedStarts.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        QVERIFY2(texts.at(i).startsWith(expectedStarts.at(i)), qPrintable(texts.at(i).left(200)));
}

void addColumns() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("slowMs");
    QTest::addColumn<bool>("timesOut");
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startupProbe_data();
    void startupProbe();
    void macRetrieval_data();
    void macRetrieval();
    void offRequest_data();
    void offRequest();
    void monitor_data();
    void monitor();
    void hugePageCapped();
    void realMessageBoxStaysReadable();
};

// ---- Start-up probe: the fault is there from the first request ------------------------------

void FaultsTest::startupProbe_data() {
    addColumns();
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QRgb>("lamp");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("settingsDialogs");

    const QStringList none;
    const QStringList badPage{BadPage};
    QTest::newRow("hang") << "hang" << 0 << true << true << Off << frmMain::White << none << 0;
    QTest::newRow("reset") << "reset" << 0 << false << true << Off << frmMain::White << none << 0;
    QTest::newRow("empty") << "empty" << 0 << false << true << Off << frmMain::White << none << 0;
    QTest::newRow("huge") << "huge" << 0 << false << true << Unknown << frmMain::White << badPage
                          << 1;
    QTest::newRow("slow within the time-out")
        << "slow" << SlowWithinMs << false << true << On << frmMain::Green << none << 0;
    QTest::newRow("slow beyond the time-out")
        << "slow" << SlowBeyondMs << true << true << Off << frmMain::White << none << 0;
    QTest::newRow("garbage") << "garbage" << 0 << false << true << Unknown << frmMain::White
                             << badPage << 1;
    QTest::newRow("redirect-loop")
        << "redirect-loop" << 0 << false << true << Off << frmMain::White << none << 0;
    // Refused without a challenge: the settings dialog gets one chance, then the program ends.
    QTest::newRow("401-nochallenge")
        << "401-nochallenge" << 0 << false << false << AuthFailed << frmMain::White
        << QStringList{AuthRefused, NotConnected} << 1;
}

void FaultsTest::startupProbe() {
    QFETCH(QString, fault);
    QFETCH(int, slowMs);
    QFETCH(bool, timesOut);
    QFETCH(bool, loads);
    QFETCH(QString, status);
    QFETCH(QRgb, lamp);
    QFETCH(QStringList, messages);
    QFETCH(int, settingsDialogs);

    GuiHarness harness(Scale);
    const auto server = GuiHarness::startServer(configFor(fault, slowMs));
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    Heartbeat heartbeat(window);
    bool loaded = false;
    const qint64 elapsed = heartbeat.watch([&] { loaded = window.Form_Load(); });

    QCOMPARE(loaded, loads);
    QCOMPARE(harness.programEnds, loads ? 0 : 1);
    QCOMPARE(window.statusText(), status);
    QCOMPARE(window.lampColour(), lamp);
    verifyMessages(harness, messages);
    QCOMPARE(harness.dialogsOpened.size(), settingsDialogs);
    QCOMPARE(shared().ServerON, lamp == frmMain::Green);
    if (status == Unknown) {
        // The unexpected page is shown to the user as it came, after the explanation.
        const QString page = pageInMessage(harness.messageTexts().constFirst());
        QVERIFY(!page.isEmpty());
        QVERIFY(page.size() <= HttpClient::BodyCapBytes);
        QVERIFY(!responseText(window).isEmpty());
    }
    verifyKeptPainting(heartbeat, elapsed, timesOut);
}

// ---- MAC retrieval: the probe is answered, the request for the addresses meets the fault ------

void FaultsTest::macRetrieval_data() {
    addColumns();
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("storedMac");

    // No answer at all keeps the addresses known before; an answer without any clears them.
    const QString known = QStringLiteral("AA:BB:CC:DD:EE:FF");
    const QStringList noAnswer{MacTimeout, MacFailed};
    const QStringList noAddress{MacFailed};
    QTest::newRow("hang") << "hang" << 0 << true << noAnswer << known;
    QTest::newRow("reset") << "reset" << 0 << false << noAnswer << known;
    QTest::newRow("empty") << "empty" << 0 << false << noAddress << QString();
    QTest::newRow("huge") << "huge" << 0 << false << noAddress << QString();
    QTest::newRow("slow within the time-out")
        << "slow" << SlowWithinMs << false << QStringList() << QStringLiteral("00:11:22:33:44:55");
    QTest::newRow("slow beyond the time-out")
        << "slow" << SlowBeyondMs << true << noAnswer << known;
    QTest::newRow("garbage") << "garbage" << 0 << false << noAddress << QString();
    QTest::newRow("redirect-loop") << "redirect-loop" << 0 << false << noAnswer << known;
    QTest::newRow("401-nochallenge") << "401-nochallenge" << 0 << false << noAddress << QString();
}

void FaultsTest::macRetrieval() {
    QFETCH(QString, fault);
    QFETCH(int, slowMs);
    QFETCH(bool, timesOut);
    QFETCH(QStringList, messages);
    QFETCH(QString, storedMac);

    GuiHarness harness(Scale);
    tvsim::Config config;
    config.slowMs = slowMs;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    WriteIni(ini::Server, ini::macKey(1), QStringLiteral("AA:BB:CC:DD:EE:FF"));
    const tvsim::Fault faultMode = faultNamed(fault);
    // From the request after the probe on.
    QObject::connect(server.get(), &tvsim::Simulator::requestReceived, server.get(),
                     [&] { server->setFault(faultMode); });

    frmMain window;
    Heartbeat heartbeat(window);
    bool loaded = false;
    const qint64 elapsed = heartbeat.watch([&] { loaded = window.Form_Load(); });

    const bool retrieved = messages.isEmpty();
    QCOMPARE(loaded, retrieved);
    QCOMPARE(harness.programEnds, retrieved ? 0 : 1);
    verifyMessages(harness, messages);
    QCOMPARE(window.lampColour(), retrieved ? frmMain::Green : frmMain::White);
    QCOMPARE(shared().ServerON, retrieved);
    QCOMPARE(window.statusText(), On); // the probe's word stays; only the lamp goes dark
    QCOMPARE(ReadIni(ini::Server, ini::macKey(1)), storedMac);
    verifyKeptPainting(heartbeat, elapsed, timesOut);
}

// ---- OFF: the window runs against a healthy server, then the hibernate request meets the fault

void FaultsTest::offRequest_data() {
    addColumns();
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("blinking");
    QTest::addColumn<bool>("serverOn");

    const QStringList none;
    const QStringList noAnswer{NoAnswer};
    QTest::newRow("hang") << "hang" << 0 << true << noAnswer << Off << false << true;
    QTest::newRow("reset") << "reset" << 0 << false << noAnswer << Off << false << true;
    // An empty page reads as a server going down, whatever the server really does.
    QTest::newRow("empty") << "empty" << 0 << false << none << Off << false << true;
    QTest::newRow("huge") << "huge" << 0 << false << none << Unknown << false << true;
    QTest::newRow("slow within the time-out")
        << "slow" << SlowWithinMs << false << none << Off << false << false;
    QTest::newRow("slow beyond the time-out")
        << "slow" << SlowBeyondMs << true << noAnswer << Off << false << true;
    QTest::newRow("garbage") << "garbage" << 0 << false << none << Unknown << false << true;
    QTest::newRow("redirect-loop")
        << "redirect-loop" << 0 << false << noAnswer << Off << false << true;
    // Refused all the way: the lamp blinks on until the monitor looks again.
    QTest::newRow("401-nochallenge")
        << "401-nochallenge" << 0 << false << none << AuthFailed << true << true;
}

void FaultsTest::offRequest() {
    QFETCH(QString, fault);
    QFETCH(int, slowMs);
    QFETCH(bool, timesOut);
    QFETCH(QStringList, messages);
    QFETCH(QString, status);
    QFETCH(bool, blinking);
    QFETCH(bool, serverOn);

    GuiHarness harness(Scale);
    tvsim::Config config;
    config.slowMs = slowMs;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    QVERIFY(window.Form_Load());
    QCOMPARE(window.lampColour(), frmMain::Green);
    server->setFault(faultNamed(fault));

    Heartbeat heartbeat(window);
    const qint64 elapsed = heartbeat.watch([&] { window.option2()->click(); });

    verifyMessages(harness, messages);
    QCOMPARE(window.statusText(), status);
    QCOMPARE(shared().LampBlink, blinking);
    QCOMPARE(window.lampTimer().isActive(), blinking);
    if (!blinking)
        QCOMPARE(window.lampColour(), frmMain::White);
    QCOMPARE(shared().ServerON, blinking); // a blinking lamp leaves the belief to the monitor
    QVERIFY(window.option2()->isChecked());
    QVERIFY(!window.powerCommands().isRunning());
    QVERIFY(window.periodicTimer().isActive());
    QCOMPARE(harness.programEnds, 0);
    QCOMPARE(server->isOn(), serverOn);
    verifyKeptPainting(heartbeat, elapsed, timesOut);
}

// ---- Monitor: believed off, the server comes up with the fault ----------------------------------

void FaultsTest::monitor_data() {
    addColumns();
    QTest::addColumn<bool>("believedOn");
    QTest::addColumn<QString>("status");

    QTest::newRow("hang") << "hang" << 0 << true << false << Off;
    QTest::newRow("reset") << "reset" << 0 << false << false << Off;
    QTest::newRow("empty") << "empty" << 0 << false << false << Off;
    QTest::newRow("huge") << "huge" << 0 << false << false << Off;
    QTest::newRow("slow within the time-out") << "slow" << SlowWithinMs << false << false << On;
    QTest::newRow("slow beyond the time-out") << "slow" << SlowBeyondMs << true << false << Off;
    QTest::newRow("garbage") << "garbage" << 0 << false << false << Off;
    QTest::newRow("redirect-loop") << "redirect-loop" << 0 << false << false << Off;
    QTest::newRow("401-nochallenge") << "401-nochallenge" << 0 << false << false << Off;
    // Believed on, only the web port is tried: a page that never comes does not matter.
    QTest::newRow("hang, believed on") << "hang" << 0 << false << true << On;
}

void FaultsTest::monitor() {
    QFETCH(QString, fault);
    QFETCH(int, slowMs);
    QFETCH(bool, timesOut);
    QFETCH(bool, believedOn);
    QFETCH(QString, status);

    GuiHarness harness(Scale);
    tvsim::Config config;
    config.startOn = believedOn;
    config.slowMs = slowMs;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    QVERIFY(window.Form_Load());
    QCOMPARE(shared().ServerON, believedOn);
    window.periodicTimer().stop();
    server->setOn(true);
    server->setFault(faultNamed(fault));
    server->clearRecords();

    Heartbeat heartbeat(window);
    const qint64 elapsed = heartbeat.watch([&] { window.timPeriodic_Timer(); });

    const bool on = status == On;
    QCOMPARE(window.statusText(), status);
    QCOMPARE(window.lampColour(), on ? frmMain::Green : frmMain::White);
    QCOMPARE(shared().ServerON, on);
    QVERIFY(harness.messages.isEmpty()); // the monitor never shows a message
    QVERIFY(harness.dialogsOpened.isEmpty());
    QVERIFY(window.periodicTimer().isActive());
    if (believedOn)
        QVERIFY(server->requests().isEmpty());
    verifyKeptPainting(heartbeat, elapsed, timesOut);
}

// ---- Memory and layout: a page far larger than any real one ------------------------------------

void FaultsTest::hugePageCapped() {
    GuiHarness harness(Scale);
    tvsim::Config config;
    config.fault = tvsim::Fault::Huge;
    config.hugeBytes = 64 * HttpClient::BodyCapBytes;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    QVERIFY(window.Form_Load());
    // Read up to the cap and no further; the hidden response box holds only the start of it.
    QCOMPARE(pageInMessage(harness.messageTexts().constFirst()).size(), HttpClient::BodyCapBytes);
    const QString shown = responseText(window);
    QVERIFY(!shown.isEmpty());
    QVERIFY(shown.size() < HttpClient::BodyCapBytes);

    // The monitor meets the same page again; nothing piles up.
    window.periodicTimer().stop();
    shared().ServerON = false;
    Heartbeat heartbeat(window);
    heartbeat.watch([&] { window.timPeriodic_Timer(); });
    QCOMPARE(responseText(window), shown);
    QCOMPARE(window.statusText(), Off);
    QVERIFY(heartbeat.longestGapMs() < requestTimeoutMs() * 9 / 10);
}

void FaultsTest::realMessageBoxStaysReadable() {
    GuiHarness harness(Scale);
    pelorin::ui::setMessageHandler({}); // the real message box this time
    tvsim::Config config;
    config.fault = tvsim::Fault::Huge;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    QString boxText;
    // Whoever reads the box presses OK as soon as it is up.
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* const box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        boxText = box->text();
        box->accept();
    });
    closer.start();
    QVERIFY(window.Form_Load());
    closer.stop();
    QVERIFY(boxText.startsWith(BadPage));
    QVERIFY(boxText.size() <= 1024);
    QCOMPARE(window.statusText(), Unknown);
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
