// The server link against the simulated TV server on loopback: the HTTP client, the status
// probe, the MAC retrieval, the Wake-on-LAN sender and the monitor's port test, with a real
// settings file in a temporary folder and waits scaled down.
#include "common/timing.h"
#include "rules/serverurl.h"
#include "serverlink/porttest.h"
#include "serverlink/serverlink.h"
#include "serverlink/wakeonlan.h"
#include "settings/settings.h"
#include "simulator.h"
#include "support/hostileserver.h"
#include "support/recordingview.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUdpSocket>

#include <ctime>

using namespace pelorin;

Q_DECLARE_METATYPE(hostile::Act)

namespace {

std::unique_ptr<tvsim::Simulator> startSimulator(tvsim::Config config = {}) {
    auto simulator = std::make_unique<tvsim::Simulator>(std::move(config));
    if (!simulator->start())
        qFatal("tvsim did not start: %s", qPrintable(simulator->errorString()));
    return simulator;
}

// A loopback port nobody listens on.
quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// CPU time this process has used, all threads together.
qint64 cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

class ServerLinkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void probeAgainstServer_data();
    void probeAgainstServer();
    void failedProbeKeepsPreviousBody();
    void credentialsPersistBetweenRequests();
    void clientLimits();
    void earlyRequestTakenOrCalledOff();
    void credentialsStayWithTheServer();
    void shiftingRealmAnsweredOnce();
    void endlessAnswerIsCutOff_data();
    void endlessAnswerIsCutOff();
    void serverNamedOrIPv6_data();
    void serverNamedOrIPv6();
    void macRetrieval();
    void macRetrievalFailureKeepsAddresses();
    void magicPacketsReachListener();
    void wakeReportsUnusableInput();
    void magicPacketsReachIPv6Listener();
    void portTest();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingView m_view;
};

void ServerLinkTest::init() {
    timing::setScale(0.01);
    m_dir = std::make_unique<QTemporaryDir>();
    setSettingsFilePath(m_dir->filePath(QStringLiteral("setting.ini")));
    m_view = RecordingView{};
}

void ServerLinkTest::probeAgainstServer_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("sentEarly"); // the request went out before the probe waited for it
    struct Row {
        const char* name;
        const char* fault;
        const char* page;
        const char* password;
        const char* word;
    };
    const Row rows[] = {
        {"title page", "none", "", "secret", "ON"},
        {"wrong password", "none", "", "wrong", "PasswordRequired"},
        {"401 without challenge", "401-nochallenge", "", "secret", "PasswordRequired"},
        {"unknown page", "none", "/nothing", "secret", "WrongURL"},
        {"empty body", "empty", "", "secret", "OFF"},
        {"garbage", "garbage", "", "secret", "BadConfigulation"},
        {"hang", "hang", "", "secret", "OFF"},
        {"reset", "reset", "", "secret", "OFF"},
        {"redirect loop", "redirect-loop", "", "secret", "OFF"},
        {"huge body", "huge", "", "secret", "BadConfigulation"},
    };
    for (const Row& row : rows) {
        for (const bool sentEarly : {false, true}) {
            QTest::addRow("%s%s", row.name, sentEarly ? ", sent early" : "")
                << row.fault << row.page << row.password << row.word << sentEarly;
        }
    }
}

void ServerLinkTest::probeAgainstServer() {
    QFETCH(QString, fault);
    QFETCH(QString, page);
    QFETCH(QString, password);
    QFETCH(QString, word);
    QFETCH(bool, sentEarly);
    tvsim::Config config;
    config.userName = QStringLiteral("user");
    config.password = QStringLiteral("secret");
    QVERIFY(tvsim::parseFault(fault, &config.fault));
    const auto simulator = startSimulator(config);
    WriteIni(ini::Server, ini::UserName, QStringLiteral("user"));
    WriteIni(ini::Server, ini::Password, password);

    ServerLink link(programSettings(), m_view);
    if (sentEarly) {
        // As at start-up: the request is sent, then the caller is busy without an event loop.
        link.prefetchStatus(simulator->url() + page);
        QThread::msleep(20);
    }
    const StatusWord status = link.CheckStatus(simulator->url() + page);
    QCOMPARE(statusWordText(status), word);
    QCOMPARE(link.lastProbeOn(), word == QLatin1String("ON"));
    QCOMPARE(m_view.statusTexts,
             QStringList({QStringLiteral("接続中..."), statusPanelText(status)}));
    QVERIFY(link.responseText().size() <= HttpClient::BodyCapBytes);

    // The silent variant never shows the connecting text.
    m_view.statusTexts.clear();
    link.CheckStatus_Silent(simulator->url() + page);
    QCOMPARE(m_view.statusTexts, QStringList{statusPanelText(status)});
}

void ServerLinkTest::failedProbeKeepsPreviousBody() {
    const auto simulator = startSimulator();
    ServerLink link(programSettings(), m_view);
    QCOMPARE(link.CheckStatus(simulator->url() + QStringLiteral("/x")), StatusWord::WrongURL);
    QVERIFY(link.responseText().contains(QLatin1String("HTTP 404")));
    simulator->setOn(false);
    QCOMPARE(link.CheckStatus(simulator->url()), StatusWord::Off);
    QVERIFY(link.responseText().contains(QLatin1String("HTTP 404")));
    QVERIFY(!link.lastProbeOn());
}

void ServerLinkTest::credentialsPersistBetweenRequests() {
    tvsim::Config config;
    config.userName = QStringLiteral("user");
    config.password = QStringLiteral("secret");
    const auto simulator = startSimulator(config);
    ServerLink link(programSettings(), m_view);
    WriteIni(ini::Server, ini::UserName, QStringLiteral("user"));
    WriteIni(ini::Server, ini::Password, QStringLiteral("secret"));
    QCOMPARE(link.CheckStatus(simulator->url()), StatusWord::On);

    // An emptied setting leaves the password given before in force.
    WriteIni(ini::Server, ini::Password, QString());
    QCOMPARE(link.CheckStatus(simulator->url()), StatusWord::On);

    // A changed password is presented, not one the client cached.
    WriteIni(ini::Server, ini::Password, QStringLiteral("other"));
    QCOMPARE(link.CheckStatus(simulator->url()), StatusWord::PasswordRequired);
    QVERIFY(link.responseText().contains(QLatin1String("HTTP 401.2")));
}

void ServerLinkTest::clientLimits() {
    tvsim::Config config;
    config.fault = tvsim::Fault::Huge;
    config.hugeBytes = 3 * HttpClient::BodyCapBytes;
    const auto simulator = startSimulator(config);
    HttpClient client;
    client.setUrl(simulator->url());
    const HttpClient::Result huge = client.fetch();
    QVERIFY(huge.ok);
    QVERIFY(huge.truncated);
    QCOMPARE(huge.body.size(), HttpClient::BodyCapBytes);

    // A server that never answers fails after the (scaled) request time-out, not before.
    simulator->setFault(tvsim::Fault::Hang);
    QElapsedTimer clock;
    clock.start();
    const HttpClient::Result hang = client.fetch();
    QVERIFY(!hang.ok);
    QVERIFY(clock.elapsed() >= timing::scaled(HttpClient::RequestTimeoutMs) - 5);

    client.setUrl(QStringLiteral("http://127.0.0.1:%1/tv").arg(closedPort()));
    QVERIFY(!client.fetch().ok);
    client.setUrl(QStringLiteral("not a url"));
    QVERIFY(!client.fetch().ok);
}

void ServerLinkTest::earlyRequestTakenOrCalledOff() {
    timing::setScale(0.05);
    tvsim::Config config;
    config.macBodyOverride = QStringLiteral("A:00-11-22-33-44-55|tail");
    const auto simulator = startSimulator(config);
    HttpClient client;
    client.setUrl(simulator->url());
    client.prefetch();
    QTRY_COMPARE(simulator->requests().size(), 1); // on its way with nobody waiting
    QVERIFY(client.fetch().ok);
    QCOMPARE(simulator->requests().size(), 1); // its answer was taken, not asked for again

    // The address changed before the fetch: the early request is called off, the new one asked.
    client.prefetch();
    client.setUrl(pageAddress(simulator->url(), QStringLiteral("GetMacAddr.asp")));
    const HttpClient::Result mac = client.fetch();
    QVERIFY(mac.ok);
    QCOMPARE(mac.body, QByteArray("A:00-11-22-33-44-55|tail"));

    // The time-out runs from when the request was sent, not from when its answer is awaited.
    simulator->setFault(tvsim::Fault::Hang);
    client.prefetch();
    const int timeoutMs = timing::scaled(HttpClient::RequestTimeoutMs);
    QTest::qWait(timeoutMs * 6 / 10);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!client.fetch().ok);
    QVERIFY(clock.elapsed() < timeoutMs * 9 / 10);
}

void ServerLinkTest::credentialsStayWithTheServer() {
    hostile::Server elsewhere(hostile::Act::DemandBasic);
    QVERIFY(elsewhere.listen(QHostAddress(QStringLiteral("127.0.0.2"))));
    hostile::Server server(hostile::Act::RedirectTo, elsewhere.url().toUtf8());
    QVERIFY(server.listen());
    WriteIni(ini::Server, ini::UserName, QStringLiteral("user"));
    WriteIni(ini::Server, ini::Password, QStringLiteral("secret"));

    ServerLink link(programSettings(), m_view);
    QVERIFY(link.CheckStatus(server.url()) != StatusWord::On);
    for (const QByteArray& authorization : elsewhere.authorizations())
        QVERIFY2(authorization.isEmpty(), authorization.constData());
    QCOMPARE(link.client().fetch().httpStatus, 302);
}

void ServerLinkTest::shiftingRealmAnsweredOnce() {
    timing::setScale(1);
    hostile::Server server(hostile::Act::ShiftingRealm);
    QVERIFY(server.listen());
    HttpClient client;
    client.setUrl(server.url());
    client.setUserName(QStringLiteral("user"));
    client.setPassword(QStringLiteral("secret"));
    QElapsedTimer clock;
    clock.start();
    const HttpClient::Result refused = client.fetch();
    QVERIFY2(server.requests() <= 7, qPrintable(QString::number(server.requests())));
    QVERIFY(clock.elapsed() < HttpClient::RequestTimeoutMs / 2);
    QVERIFY(refused.ok);
    QCOMPARE(refused.httpStatus, 401);
    QCOMPARE(refused.body, QByteArray("HTTP 401.2"));
}

void ServerLinkTest::endlessAnswerIsCutOff_data() {
    QTest::addColumn<hostile::Act>("act");
    QTest::addColumn<bool>("truncated"); // else no answer
    QTest::addColumn<bool>("atDeadline");
    QTest::newRow("chunked body") << hostile::Act::EndlessChunked << true << false;
    QTest::newRow("body without length") << hostile::Act::EndlessUnsized << true << false;
    QTest::newRow("header lines") << hostile::Act::HeaderFlood << false << false;
    QTest::newRow("one header line") << hostile::Act::EndlessHeaderLine << false << false;
    QTest::newRow("slow header lines") << hostile::Act::HeaderTrickle << false << true;
}

// Whatever a server sends, the fetch ends by its deadline (a fast flood sooner, when it has
// sent more than any page takes), its connection is closed then, and nothing keeps running.
void ServerLinkTest::endlessAnswerIsCutOff() {
    QFETCH(hostile::Act, act);
    QFETCH(bool, truncated);
    QFETCH(bool, atDeadline);
    // Two seconds: Qt takes a while over a flood of one-byte chunks, more so under sanitizers.
    timing::setScale(0.2);
    const int deadlineMs = timing::scaled(HttpClient::RequestTimeoutMs);
    hostile::Server server(act);
    QVERIFY(server.listen());
    HttpClient client;
    client.setUrl(server.url());
    QElapsedTimer clock;
    clock.start();
    const HttpClient::Result result = client.fetch();
    const qint64 returnedMs = clock.elapsed();
    QCOMPARE(result.ok, truncated);
    QCOMPARE(result.truncated, truncated);
    QVERIFY(result.body.size() <= HttpClient::BodyCapBytes);
    QVERIFY2(returnedMs < deadlineMs + 100, qPrintable(QString::number(returnedMs)));
    QCOMPARE(returnedMs >= deadlineMs - 5, atDeadline);

    QTRY_COMPARE_WITH_TIMEOUT(server.streamsClosed(), 1, 500);
    const qint64 cpuBefore = cpuMs();
    QTest::qWait(300);
    const qint64 cpuUsed = cpuMs() - cpuBefore;
    QVERIFY2(cpuUsed < 100, qPrintable(QStringLiteral("%1 ms").arg(cpuUsed)));
}

void ServerLinkTest::serverNamedOrIPv6_data() {
    QTest::addColumn<QHostAddress>("listen");
    QTest::addColumn<QString>("host");
    QTest::newRow("host name") << QHostAddress(QHostAddress::LocalHost) << "localhost";
    QTest::newRow("IPv6 address") << QHostAddress(QHostAddress::LocalHostIPv6) << "[::1]";
}

void ServerLinkTest::serverNamedOrIPv6() {
    QFETCH(QHostAddress, listen);
    QFETCH(QString, host);
    hostile::Server server(hostile::Act::Page);
    if (!server.listen(listen))
        QSKIP("no such loopback address on this machine");
    QUrl url(server.url());
    url.setHost(host.remove(u'[').remove(u']'));
    HttpClient client;
    client.setUrl(url.toString());
    const HttpClient::Result page = client.fetch();
    QVERIFY2(page.ok, qPrintable(page.error));
    QVERIFY(page.body.contains("<title>Orrisvale</title>"));
}

void ServerLinkTest::macRetrieval() {
    tvsim::Config config;
    config.macBodyOverride = QStringLiteral("A:00-11-22-33-44-55|B:66-77-88-99-AA-BB|tail");
    const auto simulator = startSimulator(config);
    for (int n = 1; n <= 5; ++n)
        WriteIni(ini::Server, ini::macKey(n), QStringLiteral("old"));
    ServerLink link(programSettings(), m_view);
    QVERIFY(link.GetMacAddr(simulator->url() + u'/'));
    QCOMPARE(ReadIni(ini::Server, ini::macKey(1)), QStringLiteral("00-11-22-33-44-55"));
    QCOMPARE(ReadIni(ini::Server, ini::macKey(2)), QStringLiteral("66-77-88-99-AA-BB"));
    QCOMPARE(ReadIni(ini::Server, ini::macKey(3)), QString());
    QCOMPARE(link.responseText(), QStringLiteral("tail"));
    QCOMPARE(simulator->requests().constLast().path, QStringLiteral("/tv/GetMacAddr.asp"));
    // Emptied slots stay in the file as keys.
    QVERIFY(IniFile(settingsFilePath()).entries().size() >= 5);

    // A page without items empties every slot and reports failure, without a message.
    simulator->setMacs({});
    QVERIFY(!link.GetMacAddr(simulator->url() + QStringLiteral("/missing")));
    QCOMPARE(ReadIni(ini::Server, ini::macKey(1)), QString());
    QVERIFY(m_view.messages.isEmpty());
}

void ServerLinkTest::macRetrievalFailureKeepsAddresses() {
    WriteIni(ini::Server, ini::macKey(1), QStringLiteral("00-11-22-33-44-55"));
    ServerLink link(programSettings(), m_view);
    QVERIFY(!link.GetMacAddr(QStringLiteral("http://127.0.0.1:%1/tv").arg(closedPort())));
    QCOMPARE(ReadIni(ini::Server, ini::macKey(1)), QStringLiteral("00-11-22-33-44-55"));
    QCOMPARE(m_view.messages.size(), 1);
    QCOMPARE(m_view.messages.first().first, MessageIcon::Information);
    QCOMPARE(m_view.messages.first().second,
             QStringLiteral("サーバーに接続するときにタイムアウトになりました。"
                            "MACアドレスの自動取得はできませんでした。"));
}

void ServerLinkTest::magicPacketsReachListener() {
    tvsim::Config config;
    config.startOn = false;
    config.macs = {QStringLiteral("00:11:22:AA:BB:CC")};
    config.wolPorts = {0, 0};
    const auto simulator = startSimulator(config);
    const QList<quint16> ports = simulator->wolPorts();

    WakeOptions options;
    options.ports = ports;
    const WakeReport report = SendMP(QStringLiteral("127.0.0.1:%1").arg(simulator->httpPort()),
                                     QStringLiteral("00-11-22-aa-bb-cc"), options);
    QVERIFY2(report.sent, qPrintable(report.error));
    QCOMPARE(report.destination, QStringLiteral("127.0.0.1"));
    QCOMPARE(report.datagrams, 6);

    QTRY_COMPARE(simulator->datagrams().size(), 6);
    const QByteArray expected = magicPacket(QStringLiteral("00:11:22:AA:BB:CC")).value();
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(simulator->datagrams().at(i).port, ports.at(i % 2));
        QCOMPARE(simulator->datagrams().at(i).bytes, expected);
    }
    QTRY_VERIFY(simulator->isOn());
}

void ServerLinkTest::wakeReportsUnusableInput() {
    const WakeReport badMac =
        SendMP(QStringLiteral("127.0.0.1"), QStringLiteral("zz-11-22-33-44-55"));
    QVERIFY(!badMac.sent);
    QCOMPARE(badMac.datagrams, 0);
    const WakeReport noHost = SendMP(QString(), QStringLiteral("00-11-22-33-44-55"));
    QVERIFY(!noHost.sent);
    QVERIFY(!noHost.error.isEmpty());
}

void ServerLinkTest::magicPacketsReachIPv6Listener() {
    QUdpSocket listener;
    if (!listener.bind(QHostAddress::LocalHostIPv6, 0))
        QSKIP("no IPv6 loopback on this machine");
    WakeOptions options;
    options.ports = {listener.localPort()};
    options.repetitions = 2;
    const WakeReport report = SendMP(wakeHostFromUrl(QStringLiteral("http://[::1]:8080/tv")),
                                     QStringLiteral("00-11-22-aa-bb-cc"), options);
    QVERIFY2(report.sent, qPrintable(report.error));
    QCOMPARE(report.destination, QStringLiteral("::1"));
    QCOMPARE(report.datagrams, 2);
    for (int i = 0; i < 2; ++i) {
        QTRY_VERIFY(listener.hasPendingDatagrams());
        QCOMPARE(listener.receiveDatagram().data(),
                 magicPacket(QStringLiteral("00:11:22:AA:BB:CC")).value());
    }

    const WakeReport unusable = SendMP(QStringLiteral("[::1"), QStringLiteral("00-11-22-aa-bb-cc"));
    QVERIFY(!unusable.sent);
    QVERIFY(!unusable.error.isEmpty());
}

void ServerLinkTest::portTest() {
    const auto simulator = startSimulator();
    PortTest test;
    QVERIFY(test.run(monitorEndpoint(simulator->url())));

    // A refused port answers at once instead of after the whole wait.
    QElapsedTimer clock;
    clock.start();
    const Endpoint closed{QStringLiteral("127.0.0.1"), closedPort()};
    QVERIFY(!test.run(closed, 60000));
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(!test.run(Endpoint{}));

    simulator->setOn(false);
    QVERIFY(!test.run(monitorEndpoint(simulator->url())));
}

QTEST_GUILESS_MAIN(ServerLinkTest)
#include "tst_serverlink.moc"
