// The simulator the other tests run against, seen from a real HTTP client and a real datagram:
// what they do not show is its exact challenge, the port kept over a sleep, and a SecureOn wake.
#include "simulator.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using namespace Qt::StringLiterals;

class TestTvSim : public QObject {
    Q_OBJECT

    QNetworkAccessManager m_client;

    // One GET, waited for: "STATUS CHALLENGE-HEADER BODY".
    QByteArray get(const QString& url) {
        m_client.clearConnectionCache();
        m_client.setProxy(QNetworkProxy::NoProxy);
        const std::unique_ptr<QNetworkReply> reply(m_client.get(QNetworkRequest(QUrl(url))));
        QSignalSpy(reply.get(), &QNetworkReply::finished).wait(4000);
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toByteArray() + ' ' +
               reply->rawHeader("WWW-Authenticate") + reply->readAll();
    }

private Q_SLOTS:
    void challengeAndWake() {
        tvsim::Config config;
        config.macs = {u"00:11:22:33:44:55"_s, u"66-77-88-99-aa-bb"_s};
        config.wolPorts = {0, 0};
        config.userName = u"admin"_s;
        config.password = u"s3cret"_s;
        tvsim::Simulator sim(config);
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        const QByteArray refused = get(sim.url() + u"/GetMacAddr.asp"_s);
        QVERIFY2(refused.startsWith("401 Basic realm=\"Orrisvale\"") &&
                     refused.contains("HTTP 401.2") && !refused.contains('|'),
                 refused.constData());
        sim.setCredentials({}, {});
        const quint16 port = sim.httpPort();
        QVERIFY(get(sim.url() + u"/hibern.asp"_s).startsWith("200"));
        QTRY_VERIFY(!sim.isOn());
        QUdpSocket().writeDatagram(QByteArray(6, '\xff') +
                                       QByteArray::fromHex("66778899aabb").repeated(16) + "pass42",
                                   QHostAddress::LocalHost, sim.wolPorts().at(1));
        QTRY_VERIFY(sim.isOn());
        QCOMPARE(sim.httpPort(), port);
        QVERIFY(get(sim.url()).contains("<title>Orrisvale</title>"));
    }
};

QTEST_GUILESS_MAIN(TestTvSim)
#include "tst_tvsim.moc"
