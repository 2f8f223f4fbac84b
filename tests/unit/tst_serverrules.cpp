// The pure rules of the server link: how answers are classified, how MAC lists are read, where
// magic packets go and what they hold, and how hosts and ports come out of a server URL.
#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "rules/status.h"
#include "serverlink/wakeonlan.h"
#include "settings/settingskeys.h"

#include <QTest>

using namespace pelorin;

class ServerRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void classification_data();
    void classification();
    void macItems_data();
    void macItems();
    void usableMac_data();
    void usableMac();
    void wakeDestination_data();
    void wakeDestination();
    void magicPacketBytes();
    void urlSplitting_data();
    void urlSplitting();
    void settingChecks();
};

void ServerRules::classification_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("panel");
    const QString title = QStringLiteral("<title>Orrisvale</title>");
    QTest::newRow("title") << "<html>" + title + "</html>"
                           << "ON"
                           << "サーバー:ON";
    QTest::newRow("title wins over 404") << title + " HTTP 404"
                                         << "ON"
                                         << "サーバー:ON";
    QTest::newRow("title in capitals") << "<TITLE>ORRISVALE</TITLE>"
                                       << "BadConfigulation"
                                       << "サーバー状態不明";
    QTest::newRow("401.2") << "HTTP 401.2 - Unauthorized"
                           << "PasswordRequired"
                           << "認証失敗";
    QTest::newRow("401.2 before 404") << "HTTP 404 HTTP 401.2"
                                      << "PasswordRequired"
                                      << "認証失敗";
    QTest::newRow("empty") << ""
                           << "OFF"
                           << "サーバー:OFF";
    QTest::newRow("404") << "HTTP 404 - File not found"
                         << "WrongURL"
                         << "URL間違い";
    QTest::newRow("404 lower case") << "http 404 not found"
                                    << "BadConfigulation"
                                    << "サーバー状態不明";
    QTest::newRow("blank is not empty") << " "
                                        << "BadConfigulation"
                                        << "サーバー状態不明";
}

void ServerRules::classification() {
    QFETCH(QString, body);
    QFETCH(QString, word);
    QFETCH(QString, panel);
    const StatusWord status = classifyResponse(body);
    QCOMPARE(statusWordText(status), word);
    QCOMPARE(statusPanelText(status), panel);
}

void ServerRules::macItems_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("rest");
    QTest::newRow("one") << "LAN:00:11:22:33:44:55|" << QStringList{"00:11:22:33:44:55"} << "";
    QTest::newRow("two and tail") << "A:00-11-22-33-44-55|B:66-77-88-99-AA-BB|tail"
                                  << QStringList{"00-11-22-33-44-55", "66-77-88-99-AA-BB"}
                                  << "tail";
    QTest::newRow("no bar") << "00:11:22:33:44:55" << QStringList{} << "00:11:22:33:44:55";
    QTest::newRow("blanks kept") << "LAN: 00:11:22:33:44:55 \r\n|nolabel|"
                                 << QStringList{" 00:11:22:33:44:55 \r\n", "nolabel"} << "";
    QTest::newRow("label with colon")
        << "Local:Area:00-11-22-33-44-55|" << QStringList{"Area:00-11-22-33-44-55"} << "";
    QTest::newRow("sixth ignored")
        << "a:1|b:2|c:3|d:4|e:5|f:6|g" << QStringList{"1", "2", "3", "4", "5"} << "f:6|g";
}

void ServerRules::macItems() {
    QFETCH(QString, body);
    QFETCH(QStringList, addresses);
    QFETCH(QString, rest);
    const MacItems items = parseMacItems(body);
    QCOMPARE(items.addresses, addresses);
    QCOMPARE(items.rest, rest);
}

void ServerRules::usableMac_data() {
    QTest::addColumn<QString>("mac");
    QTest::addColumn<bool>("usable");
    QTest::newRow("colons") << "00:11:22:33:44:55" << true;
    QTest::newRow("hyphens, lower case") << "aa-bb-cc-dd-ee-ff" << true;
    QTest::newRow("any separator") << "00x11y22z33.44/55" << true;
    QTest::newRow("16 chars") << "00:11:22:33:44:5" << false;
    QTest::newRow("18 chars") << "00:11:22:33:44:55:" << false;
    QTest::newRow("not hex") << "GG:11:22:33:44:55" << false;
    QTest::newRow("sign in group") << "+1:11:22:33:44:55" << false;
    QTest::newRow("full-width digit") << "０0:11:22:33:44:55" << false;
}

void ServerRules::usableMac() {
    QFETCH(QString, mac);
    QFETCH(bool, usable);
    QCOMPARE(isUsableMacText(mac), usable);
    QCOMPARE(magicPacket(mac).has_value(), usable);
}

void ServerRules::wakeDestination_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("destination");
    QTest::newRow("192.168") << "192.168.1.20"
                             << "192.168.1.255";
    QTest::newRow("192.168 with port") << "192.168.1.20:8080"
                                       << "192.168.1.255";
    QTest::newRow("leading zeros") << "192.168.001.020"
                                   << "192.168.1.255";
    QTest::newRow("10") << "10.20.30.40"
                        << "10.255.255.255";
    QTest::newRow("172.16") << "172.16.5.1"
                            << "172.16.255.255";
    QTest::newRow("172.32 included") << "172.32.0.1"
                                     << "172.32.255.255";
    QTest::newRow("172.15") << "172.15.0.1"
                            << "172.15.0.1";
    QTest::newRow("172.33") << "172.33.0.1"
                            << "172.33.0.1";
    QTest::newRow("192.169") << "192.169.1.1"
                             << "192.169.1.1";
    QTest::newRow("loopback") << "127.0.0.1"
                              << "127.0.0.1";
    QTest::newRow("public") << "8.8.4.4"
                            << "8.8.4.4";
    QTest::newRow("two dots") << "192.168.1"
                              << "192.168.1";
    QTest::newRow("host name") << "tvserver"
                               << "tvserver";
    QTest::newRow("host name with port") << "tvserver:80"
                                         << "tvserver";
    QTest::newRow("part over 255") << "10.300.1.1"
                                   << "10.300.1.1";
    QTest::newRow("huge part") << "192.99999999999.1.1"
                               << "192.99999999999.1.1";
    QTest::newRow("empty part") << "192..1.1"
                                << "192..1.1";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("IPv6 in brackets") << "[::1]"
                                      << "::1";
    QTest::newRow("IPv6 in brackets with port") << "[fd00::20]:8080"
                                                << "fd00::20";
    QTest::newRow("IPv6 for a home address") << "[::ffff:192.168.1.20]:80"
                                             << "::ffff:192.168.1.20";
    QTest::newRow("bare IPv6") << "fe80::1"
                               << "fe80::1";
    QTest::newRow("bracket not closed") << "[::1:8080"
                                        << "";
}

void ServerRules::wakeDestination() {
    QFETCH(QString, address);
    QFETCH(QString, destination);
    QCOMPARE(pelorin::wakeDestination(address), destination);
}

void ServerRules::magicPacketBytes() {
    QByteArray expected(6, '\xFF');
    for (int i = 0; i < 16; ++i)
        expected += QByteArray::fromHex("001122aabbcc");
    QCOMPARE(magicPacket(QStringLiteral("00:11:22:AA:BB:CC")).value(), expected);
    QCOMPARE(magicPacket(QStringLiteral("00-11-22-aa-bb-cc")).value(), expected);
    QCOMPARE(magicPacket(QStringLiteral("00-11-22-aa-bb-cc")).value().size(), 102);
    const QByteArray password = QByteArray::fromHex("0102030405ff");
    QCOMPARE(magicPacket(QStringLiteral("00-11-22-aa-bb-cc"), password).value(),
             expected + password);
}

void ServerRules::urlSplitting_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("wakeHost");
    QTest::addColumn<QString>("monitorHost");
    QTest::addColumn<int>("monitorPort");
    QTest::newRow("plain") << "http://tvserver/tv"
                           << "tvserver"
                           << "tvserver" << 80;
    QTest::newRow("port") << "http://tvserver:8080/tv"
                          << "tvserver:8080"
                          << "tvserver" << 8080;
    QTest::newRow("no path") << "http://192.168.1.5:8080"
                             << "192.168.1.5:8080"
                             << "192.168.1.5" << 8080;
    QTest::newRow("port not a number") << "http://tv:abc/tv"
                                       << "tv:abc"
                                       << "tv" << 80;
    QTest::newRow("port out of range") << "http://tv:70000/tv"
                                       << "tv:70000"
                                       << "tv" << 80;
    QTest::newRow("https") << "https://tv/tv"
                           << "tv"
                           << "tv" << 443;
    QTest::newRow("no scheme") << "tv:81/tv"
                               << "tv:81"
                               << "tv" << 81;
    QTest::newRow("short") << "tv"
                           << "tv"
                           << "tv" << 80;
    QTest::newRow("scheme in capitals") << "HTTP://Tv/tv"
                                        << "Tv"
                                        << "Tv" << 80;
    QTest::newRow("ipv6") << "http://[::1]:8080/tv"
                          << "[::1]:8080"
                          << "::1" << 8080;
    QTest::newRow("empty") << ""
                           << ""
                           << "" << 80;
    // A user name and password in the URL never pass for the host.
    QTest::newRow("credentials") << "http://me:p@ss@tv:8080/tv"
                                 << "tv:8080"
                                 << "tv" << 8080;
    QTest::newRow("credentials, https") << "https://me:pw@tv/tv"
                                        << "tv"
                                        << "tv" << 443;
}

void ServerRules::urlSplitting() {
    QFETCH(QString, url);
    QFETCH(QString, wakeHost);
    QFETCH(QString, monitorHost);
    QFETCH(int, monitorPort);
    QCOMPARE(wakeHostFromUrl(url), wakeHost);
    const Endpoint endpoint = monitorEndpoint(url);
    QCOMPARE(endpoint.host, monitorHost);
    QCOMPARE(int(endpoint.port), monitorPort);

    QCOMPARE(pageAddress(QStringLiteral("http://h/tv"), QStringLiteral("hibern.asp")),
             QStringLiteral("http://h/tv/hibern.asp"));
    QCOMPARE(pageAddress(QStringLiteral("http://h/tv/"), QStringLiteral("hibern.asp")),
             QStringLiteral("http://h/tv/hibern.asp"));
}

void ServerRules::settingChecks() {
    const auto url = knownSetting(QStringLiteral("server"), QStringLiteral(" url "));
    QVERIFY(url);
    QCOMPARE(url->section, QStringLiteral("Server"));
    QCOMPARE(url->key, QStringLiteral("URL"));
    QVERIFY(knownSetting(QStringLiteral("Server"), QStringLiteral("List-100")));
    QVERIFY(!knownSetting(QStringLiteral("Server"), QStringLiteral("List-101")));
    QVERIFY(!knownSetting(QStringLiteral("Servers"), QStringLiteral("URL")));
    QVERIFY(!knownSetting(QStringLiteral("Form"), QStringLiteral("URL")));
    QCOMPARE(knownSetting(QStringLiteral("form"), QStringLiteral("tray"))->key,
             QStringLiteral("Tray"));
    QCOMPARE(knownSetting(QStringLiteral("Form"), QStringLiteral("NOTIFY"))->key,
             QStringLiteral("Notify"));

    const SettingName mac{QStringLiteral("Server"), QStringLiteral("Mac-1")};
    QVERIFY(settingValueProblem(mac, QStringLiteral("00-11-22-33-44-55")).isEmpty());
    QVERIFY(!settingValueProblem(mac, QStringLiteral("00-11-22-33-44")).isEmpty());
    const SettingName list{QStringLiteral("Server"), QStringLiteral("List-3")};
    QVERIFY(settingValueProblem(list, QStringLiteral("https://tv:8443/tv")).isEmpty());
    QVERIFY(!settingValueProblem(list, QStringLiteral("ftp://tv/tv")).isEmpty());
    QVERIFY(!settingValueProblem(list, QStringLiteral("http://tv:99999/tv")).isEmpty());
    QVERIFY(!settingValueProblem(list, QStringLiteral("http://tv/tv\r\n[Pos]")).isEmpty());
    const SettingName top{QStringLiteral("Pos"), QStringLiteral("Main_Top")};
    QVERIFY(settingValueProblem(top, QStringLiteral("1215")).isEmpty());
    QVERIFY(!settingValueProblem(top, QStringLiteral("high")).isEmpty());
}

QTEST_GUILESS_MAIN(ServerRules)
#include "tst_serverrules.moc"
