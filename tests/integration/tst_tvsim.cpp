// The TV server simulator seen from a real HTTP client and real datagrams on loopback.

#include "simulator.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include <memory>

using tvsim::Config;
using tvsim::Fault;
using tvsim::Simulator;

namespace {

const QByteArray kTitle = "<title>Orrisvale</title>";

struct Fetched {
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray body;
    QByteArray challenge;
};

// One GET, waited for; the transfer time-out bounds a server that never answers.
Fetched get(QNetworkAccessManager& client, const QString& url, int timeoutMs = 2000) {
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(timeoutMs);
    request.setMaximumRedirectsAllowed(3);
    const std::unique_ptr<QNetworkReply> reply(client.get(request));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!reply->isFinished())
        finished.wait(timeoutMs + 2000);
    return {reply->error(), reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
            reply->isOpen() ? reply->readAll() : QByteArray(),
            reply->rawHeader("WWW-Authenticate")};
}

Config quickConfig() {
    Config config;
    config.macs = {QStringLiteral("00:11:22:33:44:55"), QStringLiteral("66-77-88-99-aa-bb")};
    config.wolPorts = {0, 0};
    return config;
}

QByteArray magicPacket(const QByteArray& mac) {
    return QByteArray(6, '\xff') + mac.repeated(16);
}

} // namespace

class TestTvSim : public QObject {
    Q_OBJECT

private:
    QNetworkAccessManager client_;

private Q_SLOTS:
    void initTestCase() { client_.setProxy(QNetworkProxy::NoProxy); }
    void init() { client_.clearConnectionCache(); }

    void pagesAndAuthentication() {
        Simulator sim(quickConfig());
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        const Fetched title = get(client_, sim.url());
        QCOMPARE(title.status, 200);
        QVERIFY(title.body.contains(kTitle));
        QCOMPARE(get(client_, sim.url() + QStringLiteral("/GetMacAddr.asp")).body,
                 QByteArray("LAN1:00:11:22:33:44:55|LAN2:66-77-88-99-aa-bb|"));
        const Fetched missing = get(client_, sim.url() + QStringLiteral("/missing.asp?x=1"));
        QCOMPARE(missing.status, 404);
        QVERIFY(!missing.body.contains(kTitle));

        Config config = quickConfig();
        config.userName = QStringLiteral("admin");
        config.password = QStringLiteral("s3cret");
        Simulator locked(config);
        QVERIFY(locked.start());
        const Fetched anonymous = get(client_, locked.url() + QStringLiteral("/GetMacAddr.asp"));
        QCOMPARE(anonymous.status, 401);
        QCOMPARE(anonymous.challenge, QByteArray("Basic realm=\"Orrisvale\""));
        QVERIFY(anonymous.body.contains("HTTP 401.2"));
        QVERIFY(!anonymous.body.contains("|"));

        QNetworkAccessManager client;
        client.setProxy(QNetworkProxy::NoProxy);
        connect(&client, &QNetworkAccessManager::authenticationRequired, this,
                [](QNetworkReply*, QAuthenticator* authenticator) {
                    authenticator->setUser(QStringLiteral("admin"));
                    authenticator->setPassword(QStringLiteral("s3cret"));
                });
        QCOMPARE(get(client, locked.url()).status, 200);
    }

    void hibernationAndEncoding() {
        Simulator sim(quickConfig());
        QVERIFY(sim.start());
        const quint16 port = sim.httpPort();
        QSignalSpy state(&sim, &Simulator::stateChanged);

        QCOMPARE(get(client_, sim.url()).status, 200); // leaves a kept-alive connection
        QCOMPARE(get(client_, sim.url() + QStringLiteral("/hibern.asp")).status, 200);
        QTRY_COMPARE_WITH_TIMEOUT(state.size(), 1, 1000);
        QCOMPARE(state.takeFirst().at(0).toBool(), false);
        QVERIFY(!sim.isOn());
        QCOMPARE(get(client_, sim.url()).error, QNetworkReply::ConnectionRefusedError);

        sim.setOn(true);
        QCOMPARE(sim.httpPort(), port);
        QCOMPARE(get(client_, sim.url()).status, 200);
        sim.setEncoding(true);
        state.clear();
        QCOMPARE(get(client_, sim.url() + QStringLiteral("/hibern.asp")).status, 200);
        QVERIFY(!state.wait(100));
        QVERIFY(sim.isOn());
        QCOMPARE(get(client_, sim.url()).status, 200);
    }

    void wakeOnLan() {
        Config config = quickConfig();
        config.startOn = false;
        config.wakeDelayMs = 30;
        Simulator sim(config);
        QVERIFY(sim.start());
        const auto wol = sim.wolPorts();
        const quint16 port = sim.httpPort();
        QCOMPARE(get(client_, sim.url()).error, QNetworkReply::ConnectionRefusedError);

        QSignalSpy received(&sim, &Simulator::datagramReceived);
        QSignalSpy state(&sim, &Simulator::stateChanged);
        const QByteArray second = QByteArray::fromHex("66778899aabb");
        QUdpSocket sender;
        sender.writeDatagram(magicPacket(second).chopped(1), QHostAddress::LocalHost, wol.at(0));
        sender.writeDatagram(magicPacket(QByteArray::fromHex("66778899aabc")),
                             QHostAddress::LocalHost, wol.at(1));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2, 1000);
        QVERIFY(!state.wait(config.wakeDelayMs + 70));
        QVERIFY(!sim.isOn());

        // With a SecureOn password appended, for the second adapter.
        sender.writeDatagram(magicPacket(second) + "pass42", QHostAddress::LocalHost, wol.at(1));
        QVERIFY(state.wait(1000));
        QCOMPARE(sim.httpPort(), port);
        QVERIFY(get(client_, sim.url()).body.contains(kTitle));
    }

    // Nonsense, and an answer held back until the client gives up: the simulator keeps serving.
    void faults() {
        Simulator sim(quickConfig());
        QVERIFY(sim.start());
        sim.setFault(Fault::Garbage);
        const Fetched garbage = get(client_, sim.url() + QStringLiteral("/GetMacAddr.asp"));
        QCOMPARE(garbage.status, 200);
        QVERIFY(!garbage.body.isEmpty());
        for (const char* marker : {"<title>Orrisvale</title>", "HTTP 401.2", "HTTP 404", "|"})
            QVERIFY2(!garbage.body.contains(marker), marker);

        sim.setFault(Fault::Hang);
        QVERIFY(get(client_, sim.url(), 150).error != QNetworkReply::NoError);
        sim.setFault(Fault::None);
        QCOMPARE(get(client_, sim.url()).status, 200);
    }
};

QTEST_GUILESS_MAIN(TestTvSim)
#include "tst_tvsim.moc"
