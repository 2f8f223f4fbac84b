#include "common/timing.h"
#include "rules/serverurl.h"
#include "serverlink/connectionrelay.h"
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
using namespace Qt::StringLiterals;
using hostile::Act;

Q_DECLARE_METATYPE(Act)

namespace {

// Settings hold user and `password`; the simulator, when `locked`, asks for user/secret.
std::unique_ptr<tvsim::Simulator> startSimulator(tvsim::Config config = {}, bool locked = false,
                                                 const QString& password = u"secret"_s) {
    WriteIni(ini::Server, ini::UserName, u"user"_s);
    WriteIni(ini::Server, ini::Password, password);
    if (locked) {
        config.userName = u"user"_s;
        config.password = u"secret"_s;
    }
    auto simulator = std::make_unique<tvsim::Simulator>(std::move(config));
    if (!simulator->start())
        qFatal("tvsim did not start: %s", qPrintable(simulator->errorString()));
    return simulator;
}

// A loopback address nobody listens on.
QString closedUrl() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return u"http://127.0.0.1:%1/tv"_s.arg(server.serverPort());
}

HttpClient::Result fetch(const QString& url, const QString& password = {}) {
    HttpClient client;
    client.setUrl(url);
    client.setUserName(u"user"_s);
    client.setPassword(password);
    return client.fetch();
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

    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingView m_view;

private Q_SLOTS:
    void init() {
        timing::setScale(0.01);
        m_dir = std::make_unique<QTemporaryDir>();
        setSettingsFilePath(m_dir->filePath(u"setting.ini"_s));
        m_view = RecordingView{};
    }

    void probe_data() {
        QTest::addColumn<QString>("fault"); // a fault, or a page of a fault-free server
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("sentEarly"); // the request went out before the probe waited
        const char* const rows[][3] = {{"none", "secret", "ON"},
                                       {"none", "wrong", "PasswordRequired"},
                                       {"401-nochallenge", "secret", "PasswordRequired"},
                                       {"/nothing", "secret", "WrongURL"},
                                       {"empty", "secret", "OFF"},
                                       {"garbage", "secret", "BadConfigulation"},
                                       {"hang", "secret", "OFF"},
                                       {"reset", "secret", "OFF"},
                                       {"redirect-loop", "secret", "OFF"},
                                       {"huge", "secret", "BadConfigulation"}};
        for (const auto& [fault, password, word] : rows)
            for (const bool early : {false, true})
                QTest::addRow("%s %s%s", fault, password, early ? ", early" : "")
                    << QString(fault) << QString(password) << QString(word) << early;
    }

    void probe() {
        QFETCH(QString, fault);
        QFETCH(QString, password);
        QFETCH(QString, word);
        QFETCH(bool, sentEarly);
        tvsim::Config config;
        tvsim::parseFault(fault, &config.fault);
        const auto simulator = startSimulator(config, true, password);
        const QString url = simulator->url() + (fault.startsWith(u'/') ? fault : QString());
        ServerLink link(programSettings(), m_view);
        if (sentEarly) {
            // As at start-up: the request is sent, then the caller is busy without an event loop.
            link.prefetchStatus(url);
            QThread::msleep(20);
        }
        const StatusWord status = link.CheckStatus(url);
        QCOMPARE(statusWordText(status), word);
        QCOMPARE(link.lastProbeOn(), word == "ON"_L1);
        QCOMPARE(m_view.statusTexts, QStringList({u"接続中..."_s, statusPanelText(status)}));
        QVERIFY(link.responseText().size() <= HttpClient::BodyCapBytes);
        m_view.statusTexts.clear();
        link.CheckStatus_Silent(url);
        QCOMPARE(m_view.statusTexts, QStringList{statusPanelText(status)});
    }

    // A failed probe keeps the last page; an emptied password keeps the one given before, a
    // changed one is presented instead of a cached one.
    void probeKeepsBodyAndLogin() {
        const auto simulator = startSimulator({}, true);
        ServerLink link(programSettings(), m_view);
        QCOMPARE(link.CheckStatus(simulator->url() + u"/x"_s), StatusWord::WrongURL);
        QCOMPARE(link.CheckStatus(simulator->url()), StatusWord::On);
        WriteIni(ini::Server, ini::Password, QString());
        QCOMPARE(link.CheckStatus(simulator->url()), StatusWord::On);
        WriteIni(ini::Server, ini::Password, u"other"_s);
        QCOMPARE(link.CheckStatus(simulator->url()), StatusWord::PasswordRequired);
        simulator->setOn(false);
        QCOMPARE(link.CheckStatus(simulator->url()), StatusWord::Off);
        QVERIFY(link.responseText().contains("HTTP 401.2"_L1));
        QVERIFY(!link.lastProbeOn());
    }

    // An early request's answer is taken, unless the address changed; a time-out counts from when
    // the request was sent, not from when its answer is awaited.
    void prefetch() {
        timing::setScale(0.05);
        tvsim::Config config;
        config.macBodyOverride = u"A:00-11-22-33-44-55|tail"_s;
        const auto simulator = startSimulator(config);
        HttpClient client;
        client.setUrl(simulator->url());
        client.prefetch();
        QTRY_COMPARE(simulator->requests().size(), 1); // on its way with nobody waiting
        QVERIFY(client.fetch().ok);
        QCOMPARE(simulator->requests().size(), 1);
        client.prefetch();
        client.setUrl(pageAddress(simulator->url(), u"GetMacAddr.asp"_s));
        QCOMPARE(client.fetch().body, "A:00-11-22-33-44-55|tail"_ba);

        simulator->setFault(tvsim::Fault::Hang);
        const int timeoutMs = timing::scaled(HttpClient::RequestTimeoutMs);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!client.fetch().ok);
        QVERIFY(clock.elapsed() >= timeoutMs - 5);
        client.prefetch();
        QTest::qWait(timeoutMs * 6 / 10);
        clock.start();
        QVERIFY(!client.fetch().ok);
        QVERIFY(clock.elapsed() < timeoutMs * 9 / 10);
        QVERIFY(!fetch(u"not a url"_s).ok);
    }

    // A login is answered once per server; it never follows a redirect to another address, and
    // the server may be named or on IPv6.
    void hostileLogins() {
        timing::setScale(1);
        hostile::Server shifting(Act::ShiftingRealm);
        QVERIFY(shifting.listen());
        QElapsedTimer clock;
        clock.start();
        const HttpClient::Result refused = fetch(shifting.url(), u"secret"_s);
        QVERIFY(shifting.requests() <= 7);
        QVERIFY(clock.elapsed() < HttpClient::RequestTimeoutMs / 2);
        QVERIFY(refused.ok && refused.httpStatus == 401 && refused.body == "HTTP 401.2");

        timing::setScale(0.01);
        hostile::Server elsewhere(Act::DemandBasic);
        QVERIFY(elsewhere.listen(QHostAddress(u"127.0.0.2"_s)));
        hostile::Server server(Act::RedirectTo, elsewhere.url().toUtf8());
        QVERIFY(server.listen());
        WriteIni(ini::Server, ini::UserName, u"user"_s);
        WriteIni(ini::Server, ini::Password, u"secret"_s);
        ServerLink link(programSettings(), m_view);
        QVERIFY(link.CheckStatus(server.url()) != StatusWord::On);
        QCOMPARE(link.client().fetch().httpStatus, 302);
        QCOMPARE(elsewhere.requests(true), 0);

        for (const auto& [address, host] : {std::pair{QHostAddress::LocalHost, "localhost"},
                                            std::pair{QHostAddress::LocalHostIPv6, "::1"}}) {
            hostile::Server named(Act::DemandBasic);
            if (!named.listen(QHostAddress(address)))
                continue; // no such loopback address on this machine
            QUrl url(named.url());
            url.setHost(QString::fromLatin1(host));
            const HttpClient::Result page = fetch(url.toString(), u"secret"_s);
            QVERIFY2(page.body.contains("<title>Orrisvale</title>"), qPrintable(page.error));
        }
    }

    void endlessAnswerIsCutOff_data() {
        QTest::addColumn<Act>("act");
        QTest::addColumn<bool>("truncated"); // else no answer
        QTest::newRow("chunked body") << Act::EndlessChunked << true;
        QTest::newRow("body without length") << Act::EndlessUnsized << true;
        QTest::newRow("header lines") << Act::HeaderFlood << false;
        QTest::newRow("one header line") << Act::EndlessHeaderLine << false;
        QTest::newRow("slow header lines") << Act::HeaderTrickle << false;
    }

    // Whatever a server sends, the fetch ends by its deadline (a fast flood sooner, when it has
    // sent more than any page takes), its connection is closed then, and nothing keeps running.
    void endlessAnswerIsCutOff() {
        QFETCH(Act, act);
        QFETCH(bool, truncated);
        // Two seconds: Qt takes a while over a flood of one-byte chunks, more so under sanitizers.
        timing::setScale(0.2);
        const int deadlineMs = timing::scaled(HttpClient::RequestTimeoutMs);
        hostile::Server server(act);
        QVERIFY(server.listen());
        QElapsedTimer clock;
        clock.start();
        const HttpClient::Result result = fetch(server.url());
        const qint64 returnedMs = clock.elapsed();
        QCOMPARE(result.ok, truncated);
        QCOMPARE(result.truncated, truncated);
        QVERIFY(result.body.size() <= HttpClient::BodyCapBytes);
        QVERIFY2(returnedMs < deadlineMs + 100, qPrintable(QString::number(returnedMs)));
        QCOMPARE(returnedMs >= deadlineMs - 5, act == Act::HeaderTrickle);

        QTRY_COMPARE_WITH_TIMEOUT(server.streamsClosed(), 1, 500);
        const qint64 cpuBefore = cpuMs();
        QTest::qWait(300);
        QVERIFY2(cpuMs() - cpuBefore < 100, qPrintable(QString::number(cpuMs() - cpuBefore)));
    }

    void macRetrieval() {
        tvsim::Config config;
        config.macBodyOverride = u"A:00-11-22-33-44-55|B:66-77-88-99-AA-BB|tail"_s;
        const auto simulator = startSimulator(config);
        for (int n = 1; n <= 5; ++n)
            WriteIni(ini::Server, ini::macKey(n), u"old"_s);
        const auto stored = [] {
            return QStringList{ReadIni(ini::Server, ini::macKey(1)),
                               ReadIni(ini::Server, ini::macKey(2)),
                               ReadIni(ini::Server, ini::macKey(3))};
        };
        ServerLink link(programSettings(), m_view);
        // A failed request leaves the stored addresses and says why.
        QVERIFY(!link.GetMacAddr(closedUrl()));
        QCOMPARE(stored().constFirst(), u"old"_s);
        const QList expected{qMakePair(MessageIcon::Information,
                                       u"サーバーに接続するときにタイムアウトになりました。"
                                       "MACアドレスの自動取得はできませんでした。"_s)};
        QCOMPARE(m_view.messages, expected);

        QVERIFY(link.GetMacAddr(simulator->url() + u'/'));
        QCOMPARE(stored(), QStringList({u"00-11-22-33-44-55"_s, u"66-77-88-99-AA-BB"_s, {}}));
        QCOMPARE(link.responseText(), u"tail"_s);
        QCOMPARE(simulator->requests().constLast().path, u"/tv/GetMacAddr.asp"_s);
        QVERIFY(IniFile(settingsFilePath()).entries().size() >= 5); // emptied slots stay as keys

        // A page without items empties every slot and reports failure, without a message.
        QVERIFY(!link.GetMacAddr(simulator->url() + u"/missing"_s));
        QCOMPARE(stored().constFirst(), QString());
        QCOMPARE(m_view.messages, expected);
    }

    void magicPackets() {
        tvsim::Config config;
        config.startOn = false;
        config.macs = {u"00:11:22:AA:BB:CC"_s};
        config.wolPorts = {0, 0};
        const auto simulator = startSimulator(config);
        const QByteArray expected = magicPacket(u"00:11:22:AA:BB:CC"_s).value();
        const QString mac = u"00-11-22-aa-bb-cc"_s;
        WakeOptions options;
        options.ports = simulator->wolPorts();
        WakeReport report = SendMP(u"127.0.0.1:%1"_s.arg(simulator->httpPort()), mac, options);
        QVERIFY2(report.sent, qPrintable(report.error));
        QCOMPARE(report.destination + QString::number(report.datagrams), u"127.0.0.16"_s);
        QTRY_COMPARE(simulator->datagrams().size(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(simulator->datagrams().at(i).port, options.ports.at(i % 2));
            QCOMPARE(simulator->datagrams().at(i).bytes, expected);
        }
        QTRY_VERIFY(simulator->isOn());

        QUdpSocket listener;
        if (listener.bind(QHostAddress::LocalHostIPv6, 0)) {
            options.ports = {listener.localPort()};
            options.repetitions = 2;
            report = SendMP(wakeHostFromUrl(u"http://[::1]:8080/tv"_s), mac, options);
            QVERIFY2(report.sent, qPrintable(report.error));
            QCOMPARE(report.destination + QString::number(report.datagrams), u"::12"_s);
            for (int i = 0; i < 2; ++i) {
                QTRY_VERIFY(listener.hasPendingDatagrams());
                QCOMPARE(listener.receiveDatagram().data(), expected);
            }
        }
        for (const auto& [host, mac] :
             {std::pair{"127.0.0.1", "zz-11-22-33-44-55"}, std::pair{"", "00-11-22-33-44-55"},
              std::pair{"[::1", "00-11-22-aa-bb-cc"}}) {
            report = SendMP(QString::fromLatin1(host), QString::fromLatin1(mac));
            QVERIFY(!report.sent && report.datagrams == 0 && !report.error.isEmpty());
        }
    }

    // The relay lets only a SOCKS5 connect request through: here a well-formed BIND request.
    void relayRefusesOtherRequests() {
        const QString url = closedUrl();
        ConnectionRelay relay(1024);
        relay.startTransfer();
        const QNetworkProxy proxy =
            relay.proxyFactory()->queryProxy(QNetworkProxyQuery(QUrl(url))).constFirst();
        QTcpSocket socket;
        socket.connectToHost(proxy.hostName(), proxy.port());
        const auto exchange = [&](const QByteArray& bytes) {
            socket.write(bytes);
            while (socket.bytesAvailable() < 2 && socket.waitForReadyRead(2000)) {
            }
            return socket.read(2);
        };
        QCOMPARE(exchange("\x05\x01\x02"_ba), "\x05\x02"_ba);
        const QByteArray user = proxy.user().toLatin1(), password = proxy.password().toLatin1();
        QCOMPARE(exchange("\x01"_ba + char(user.size()) + user + char(password.size()) + password),
                 "\x01\x00"_ba);
        const quint16 port = QUrl(url).port();
        QCOMPARE(exchange("\x05\x02\x00\x01\x7f\x00\x00\x01"_ba + char(port >> 8) + char(port)),
                 "\x05\x07"_ba);
    }

    void portTest() {
        const auto simulator = startSimulator();
        PortTest test;
        QVERIFY(test.run(monitorEndpoint(simulator->url())));
        // A refused port answers at once instead of after the whole wait.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!test.run(monitorEndpoint(closedUrl()), 60000));
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!test.run(Endpoint{}));
        simulator->setOn(false);
        QVERIFY(!test.run(monitorEndpoint(simulator->url())));
    }
};

QTEST_GUILESS_MAIN(ServerLinkTest)
#include "tst_serverlink.moc"
