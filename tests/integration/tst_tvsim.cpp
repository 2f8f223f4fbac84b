// The TV server simulator seen from a real HTTP client and real datagrams on loopback.

#include "simulator.h"

#include <QAuthenticator>
#include <QElapsedTimer>
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

// Short delays so the whole suite runs in about a second.
Config quickConfig() {
    Config config;
    config.macs = {QStringLiteral("00:11:22:33:44:55"), QStringLiteral("66-77-88-99-aa-bb")};
    config.wolPorts = {0, 0};
    config.slowMs = 300;
    config.hugeBytes = 3 * 1024 * 1024 + 17;
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

    void pagesAndRecords() {
        Simulator sim(quickConfig());
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QVERIFY(sim.url().startsWith(QStringLiteral("http://127.0.0.1:")));

        for (const QString& path : {QString(), QStringLiteral("/")}) {
            const Fetched title = get(client_, sim.url() + path);
            QCOMPARE(title.status, 200);
            QVERIFY(title.body.contains(kTitle));
        }
        const Fetched macs = get(client_, sim.url() + QStringLiteral("/GetMacAddr.asp"));
        QCOMPARE(macs.status, 200);
        QCOMPARE(macs.body, QByteArray("LAN1:00:11:22:33:44:55|LAN2:66-77-88-99-aa-bb|"));
        sim.setMacs({QStringLiteral("AA:BB:CC:DD:EE:FF")});
        QCOMPARE(get(client_, sim.url() + QStringLiteral("/GetMacAddr.asp")).body,
                 QByteArray("LAN:AA:BB:CC:DD:EE:FF|"));

        const Fetched missing = get(client_, sim.url() + QStringLiteral("/missing.asp?x=1"));
        QCOMPARE(missing.status, 404);
        QVERIFY(missing.body.contains("HTTP 404"));
        QVERIFY(!missing.body.contains(kTitle));

        const auto requests = sim.requests();
        QCOMPARE(requests.size(), 5);
        QCOMPARE(requests.last().path, QStringLiteral("/tv/missing.asp?x=1"));
        QCOMPARE(requests.last().status, 404);
        QVERIFY(requests.last().authorization.isEmpty());
        sim.clearRecords();
        QVERIFY(sim.requests().isEmpty());
    }

    void basicAuthentication() {
        Config config = quickConfig();
        config.userName = QStringLiteral("admin");
        config.password = QStringLiteral("s3cret");
        Simulator sim(config);
        QVERIFY(sim.start());
        const QString page = sim.url() + QStringLiteral("/GetMacAddr.asp");

        const Fetched anonymous = get(client_, page);
        QCOMPARE(anonymous.status, 401);
        QCOMPARE(anonymous.challenge, QByteArray("Basic realm=\"Orrisvale\""));
        QVERIFY(anonymous.body.contains("HTTP 401.2"));
        QVERIFY(!anonymous.body.contains("|"));

        // Qt's client sends without credentials, then again after the challenge.
        for (const auto& [password, status] :
             {std::pair{QStringLiteral("wrong"), 401}, std::pair{QStringLiteral("s3cret"), 200}}) {
            QNetworkAccessManager client;
            client.setProxy(QNetworkProxy::NoProxy);
            int asked = 0;
            connect(&client, &QNetworkAccessManager::authenticationRequired, this,
                    [&](QNetworkReply*, QAuthenticator* authenticator) {
                        if (asked++ > 0)
                            return; // no second guess: the client gives up
                        QCOMPARE(authenticator->realm(), QStringLiteral("Orrisvale"));
                        authenticator->setUser(QStringLiteral("admin"));
                        authenticator->setPassword(password);
                    });
            const Fetched fetched = get(client, page);
            QCOMPARE(fetched.status, status);
            QVERIFY(asked >= 1);
        }
        QCOMPARE(sim.requests().last().status, 200);
        QVERIFY(sim.requests().last().authorization.startsWith("Basic "));
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
        QCOMPARE(wol.size(), 2);
        QVERIFY(wol.at(0) != 0 && wol.at(1) != 0 && wol.at(0) != wol.at(1));
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
        QVERIFY(sim.isOn());
        QCOMPARE(sim.httpPort(), port);
        QVERIFY(get(client_, sim.url()).body.contains(kTitle));

        const auto datagrams = sim.datagrams();
        QCOMPARE(datagrams.size(), 3);
        QCOMPARE(datagrams.at(0).port, wol.at(0));
        QCOMPARE(datagrams.at(0).bytes.size(), 101);
        QCOMPARE(datagrams.at(2).port, wol.at(1));
        QCOMPARE(datagrams.at(2).bytes.size(), 108);

        QVERIFY(tvsim::isMagicPacketFor(magicPacket(second), QStringLiteral("66:77:88:99:AA:BB")));
        QVERIFY(!tvsim::isMagicPacketFor(magicPacket(second) + "x",
                                         QStringLiteral("66:77:88:99:AA:BB")));
        QVERIFY(!tvsim::isMagicPacketFor(magicPacket(second), QStringLiteral("66:77:88:99:AA")));
    }

    void faultsThatAnswer() {
        const Config config = quickConfig();
        Simulator sim(config);
        QVERIFY(sim.start());

        sim.setFault(Fault::Empty);
        const Fetched empty = get(client_, sim.url());
        QCOMPARE(empty.status, 200);
        QVERIFY(empty.body.isEmpty());

        sim.setFault(Fault::Garbage);
        const Fetched garbage = get(client_, sim.url() + QStringLiteral("/GetMacAddr.asp"));
        QCOMPARE(garbage.status, 200);
        QVERIFY(!garbage.body.isEmpty());
        for (const char* marker : {"<title>Orrisvale</title>", "HTTP 401.2", "HTTP 404", "|"})
            QVERIFY2(!garbage.body.contains(marker), marker);

        sim.setFault(Fault::Huge);
        const Fetched huge = get(client_, sim.url(), 5000);
        QCOMPARE(huge.status, 200);
        QCOMPARE(huge.body.size(), config.hugeBytes);

        sim.setFault(Fault::RedirectLoop);
        QCOMPARE(get(client_, sim.url()).error, QNetworkReply::TooManyRedirectsError);

        sim.setFault(Fault::NoChallenge401);
        const Fetched unchallenged = get(client_, sim.url());
        QCOMPARE(unchallenged.status, 401);
        QVERIFY(unchallenged.challenge.isEmpty());
        QVERIFY(unchallenged.body.contains("HTTP 401.2"));

        QElapsedTimer elapsed;
        elapsed.start();
        sim.setFault(Fault::Slow);
        QVERIFY(get(client_, sim.url()).body.contains(kTitle));
        QVERIFY(elapsed.elapsed() >= config.slowMs - 20);
    }

    // The client gives up, or the simulator goes away, while an answer is held back or being
    // streamed: nothing may crash and the simulator must keep serving.
    void faultsThatDoNotAnswer() {
        auto sim = std::make_unique<Simulator>(quickConfig());
        QVERIFY(sim->start());

        sim->setFault(Fault::Hang);
        QVERIFY(get(client_, sim->url(), 150).error != QNetworkReply::NoError);
        QCOMPARE(sim->requests().last().status, 0);

        sim->setFault(Fault::Slow);
        QVERIFY(get(client_, sim->url(), 100).error != QNetworkReply::NoError);
        QTest::qWait(300); // the held answer falls due after the client left

        sim->setFault(Fault::Reset);
        QVERIFY(get(client_, sim->url()).error != QNetworkReply::NoError);

        sim->setFault(Fault::Huge);
        {
            const std::unique_ptr<QNetworkReply> reply(client_.get(QNetworkRequest(sim->url())));
            QSignalSpy readyRead(reply.get(), &QNetworkReply::readyRead);
            QVERIFY(readyRead.wait(2000));
            reply->abort();
        }

        sim->setFault(Fault::None);
        QCOMPARE(get(client_, sim->url()).status, 200);

        sim->setFault(Fault::Hang);
        const std::unique_ptr<QNetworkReply> hanging(client_.get(QNetworkRequest(sim->url())));
        QSignalSpy received(sim.get(), &Simulator::requestReceived);
        QVERIFY(received.wait(1000));
        sim.reset();
        QTRY_VERIFY_WITH_TIMEOUT(hanging->isFinished(), 1000);
        QVERIFY(hanging->error() != QNetworkReply::NoError);
    }
};

QTEST_GUILESS_MAIN(TestTvSim)
#include "tst_tvsim.moc"
