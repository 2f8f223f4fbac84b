// The ON and OFF commands against the simulated server on loopback, waits scaled down: what the
// view is told, in which order, and how each way out leaves the server state.
#include "common/timing.h"
#include "serverlink/powercommands.h"
#include "settings/settings.h"
#include "simulator.h"
#include "support/recordingview.h"

#include <QTemporaryDir>
#include <QTest>

using namespace pelorin;
using End = PowerCommands::End;

class PowerCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void onWakesServer();
    void onServerNeverWakes();
    void onWithoutUsableMac_data();
    void onWithoutUsableMac();
    void onStopsAtProbeProblem();
    void offHibernates();
    void offRefusedWhileEncoding();
    void offWithoutAnswer();
    void offWithRefusedCredentials();

private:
    std::unique_ptr<tvsim::Simulator> start(tvsim::Config config);

    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingView m_view;
    std::unique_ptr<ServerLink> m_link;
    std::unique_ptr<PowerCommands> m_commands;
    std::unique_ptr<tvsim::Simulator> m_sim;
};

void PowerCommandsTest::init() {
    // Waits of a few milliseconds; the probe still waits 200 ms for an answer, which a busy
    // machine (the whole suite runs in parallel) needs.
    timing::setScale(0.02);
    m_dir = std::make_unique<QTemporaryDir>();
    setSettingsFilePath(m_dir->filePath(QStringLiteral("setting.ini")));
    m_view = RecordingView{};
    m_link = std::make_unique<ServerLink>(programSettings(), m_view);
    m_commands = std::make_unique<PowerCommands>(*m_link, programSettings(), m_view);
    m_sim.reset();
}

std::unique_ptr<tvsim::Simulator> PowerCommandsTest::start(tvsim::Config config) {
    config.wolPorts = {0, 0};
    auto simulator = std::make_unique<tvsim::Simulator>(std::move(config));
    if (!simulator->start())
        qFatal("tvsim: %s", qPrintable(simulator->errorString()));
    WriteIni(ini::Server, ini::URL, simulator->url());
    WakeOptions options;
    options.ports = simulator->wolPorts();
    m_commands->setWakeOptions(options);
    return simulator;
}

void PowerCommandsTest::onWakesServer() {
    tvsim::Config config;
    config.startOn = false;
    config.macs = {QStringLiteral("00:11:22:33:44:55")};
    // Asleep for about two probe rounds after the packet arrives.
    config.wakeDelayMs = timing::scaled(PowerCommands::ShortWaitMs + PowerCommands::LongWaitMs) + 5;
    m_sim = start(config);
    WriteIni(ini::Server, ini::macKey(1), QStringLiteral("00-11-22-33-44-55"));

    const PowerCommands::Result result = m_commands->switchOn();
    QCOMPARE(result.end, End::ServerOn);
    QVERIFY(result.tries >= 2);
    QCOMPARE(result.mac, QStringLiteral("00-11-22-33-44-55"));
    QCOMPARE(m_view.lamp.constLast(), QStringLiteral("on"));
    QCOMPARE(m_view.statusTexts.first(), QStringLiteral("命令送信..."));
    QCOMPARE(m_view.statusTexts.constLast(), QStringLiteral("サーバー:ON"));
    QCOMPARE(m_sim->datagrams().size(), 6);
    for (const tvsim::RecordedDatagram& datagram : m_sim->datagrams())
        QVERIFY(tvsim::isMagicPacketFor(datagram.bytes, QStringLiteral("00:11:22:33:44:55")));
    QVERIFY(!m_commands->isRunning());
}

void PowerCommandsTest::onServerNeverWakes() {
    tvsim::Config config;
    config.startOn = false;
    config.macs = {QStringLiteral("66:77:88:99:AA:BB")};
    m_sim = start(config);
    // "Mac" wins over "Mac-1", even when Mac-1 is the address the server would answer to.
    WriteIni(ini::Server, ini::Mac, QStringLiteral("00-11-22-33-44-55"));
    WriteIni(ini::Server, ini::macKey(1), QStringLiteral("66-77-88-99-AA-BB"));

    const PowerCommands::Result result = m_commands->switchOn();
    QCOMPARE(result.end, End::NeverWoke);
    QCOMPARE(result.tries, PowerCommands::Tries);
    QCOMPARE(m_view.lamp.constLast(), QStringLiteral("off"));
    QCOMPARE(m_view.lamp.count(QStringLiteral("blink")), 1 + PowerCommands::Tries);
    QCOMPARE(m_view.statusTexts.constLast(), QStringLiteral("サーバー:OFF"));
}

void PowerCommandsTest::onWithoutUsableMac_data() {
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("mac1");
    QTest::newRow("none") << ""
                          << "";
    QTest::newRow("Mac too short, Mac-1 usable") << "00-11-22-33-44"
                                                 << "00-11-22-33-44-55";
    QTest::newRow("not hexadecimal") << "zz-11-22-33-44-55"
                                     << "";
}

void PowerCommandsTest::onWithoutUsableMac() {
    QFETCH(QString, mac);
    QFETCH(QString, mac1);
    tvsim::Config config;
    config.startOn = false;
    m_sim = start(config);
    WriteIni(ini::Server, ini::Mac, mac);
    WriteIni(ini::Server, ini::macKey(1), mac1);

    QCOMPARE(m_commands->switchOn().end, End::NoUsableMac);
    QCOMPARE(m_view.messages.size(), 1);
    QCOMPARE(m_view.messages.first().first, MessageIcon::Exclamation);
    QVERIFY(m_view.messages.first().second.startsWith(QStringLiteral(
        "MACアドレスが登録されていないため、現在の状態では電源を入れることはできません。\r\n")));
    QVERIFY(m_view.lamp.isEmpty()); // the lamp stays as it was
    QCOMPARE(m_view.statusTexts, QStringList{QStringLiteral("サーバー:OFF")});
    QCOMPARE(m_view.detailsOpenedFor, QStringList{m_sim->url()});
    QTest::qWait(20);
    QVERIFY(m_sim->datagrams().isEmpty());
}

void PowerCommandsTest::onStopsAtProbeProblem() {
    tvsim::Config config;
    config.fault = tvsim::Fault::Garbage;
    m_sim = start(config);
    WriteIni(ini::Server, ini::Mac, QStringLiteral("00-11-22-33-44-55"));
    const PowerCommands::Result result = m_commands->switchOn();
    QCOMPARE(result.end, End::ProbeProblem);
    QCOMPARE(result.tries, 1);
    QCOMPARE(m_view.statusTexts.constLast(), QStringLiteral("サーバー状態不明"));
    QCOMPARE(m_view.lamp.constLast(), QStringLiteral("off"));
}

void PowerCommandsTest::offHibernates() {
    tvsim::Config config;
    config.userName = QStringLiteral("user");
    config.password = QStringLiteral("pw");
    config.hibernateDelayMs = timing::scaled(PowerCommands::LongWaitMs) + 5;
    m_sim = start(config);
    WriteIni(ini::Server, ini::UserName, QStringLiteral("user"));
    WriteIni(ini::Server, ini::Password, QStringLiteral("pw"));

    const PowerCommands::Result result = m_commands->switchOff();
    QCOMPARE(result.end, End::ServerOff);
    QVERIFY(result.tries >= 2);
    QVERIFY(!m_sim->isOn());
    QCOMPARE(m_sim->requests().first().path, QStringLiteral("/tv/hibern.asp"));
    QVERIFY(m_view.statusTexts.contains(QStringLiteral("状況確認中...")));
    QCOMPARE(m_view.statusTexts.constLast(), QStringLiteral("サーバー:OFF"));
    QCOMPARE(m_view.lamp.constLast(), QStringLiteral("off"));
    QVERIFY(m_view.messages.isEmpty());
}

void PowerCommandsTest::offRefusedWhileEncoding() {
    tvsim::Config config;
    config.encoding = true;
    m_sim = start(config);
    const PowerCommands::Result result = m_commands->switchOff();
    QCOMPARE(result.end, End::StillOn);
    QCOMPARE(result.tries, PowerCommands::Tries);
    QCOMPARE(m_view.lamp.constLast(), QStringLiteral("on"));
    QCOMPARE(m_view.statusTexts.constLast(), QStringLiteral("サーバー:ON"));
    QCOMPARE(m_view.messages.size(), 1);
    QCOMPARE(m_view.messages.first().first, MessageIcon::Information);
    QCOMPARE(m_view.messages.first().second,
             QStringLiteral(
                 "電源を休止状態にできませんでした。エンコーダが動作中の可能性があります。\r\n"
                 "エンコードを停止してから再試行してください。"));
}

void PowerCommandsTest::offWithoutAnswer() {
    tvsim::Config config;
    config.fault = tvsim::Fault::Hang;
    m_sim = start(config);
    const PowerCommands::Result result = m_commands->switchOff();
    QCOMPARE(result.end, End::NoAnswer);
    QCOMPARE(result.tries, 0);
    QCOMPARE(m_view.messages.size(), 1);
    QCOMPARE(m_view.messages.first().second,
             QStringLiteral("応答がありません。すでに休止状態の可能性があります。"));
    QCOMPARE(m_view.statusTexts.constLast(), QStringLiteral("サーバー:OFF"));
    QCOMPARE(m_view.lamp.constLast(), QStringLiteral("off"));
}

void PowerCommandsTest::offWithRefusedCredentials() {
    tvsim::Config config;
    config.userName = QStringLiteral("user");
    config.password = QStringLiteral("pw");
    m_sim = start(config);
    WriteIni(ini::Server, ini::UserName, QStringLiteral("user"));
    WriteIni(ini::Server, ini::Password, QStringLiteral("wrong"));

    // The refusal page answers the hibernate request (an answer counts), then every probe is
    // refused at once: ten tries without waiting, the lamp left blinking.
    const PowerCommands::Result result = m_commands->switchOff();
    QCOMPARE(result.end, End::StillRefused);
    QCOMPARE(result.tries, PowerCommands::Tries);
    QCOMPARE(m_view.lamp.constLast(), QStringLiteral("blink"));
    QCOMPARE(m_view.statusTexts.constLast(), QStringLiteral("認証失敗"));
    QVERIFY(m_view.messages.isEmpty());
    QVERIFY(m_sim->isOn());
}

QTEST_GUILESS_MAIN(PowerCommandsTest)
#include "tst_powercommands.moc"
