// The pure rules of the server link: how answers are classified, how MAC lists are read, where
// magic packets go and what they hold, and how hosts and ports come out of a server URL.
#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "rules/status.h"
#include "serverlink/wakeonlan.h"
#include "settings/settingskeys.h"

#include <QTest>

using namespace pelorin;
using namespace Qt::StringLiterals;

namespace {
void columns(std::initializer_list<const char*> names) {
    for (const char* name : names)
        QTest::addColumn<QString>(name);
}
template <typename... T> void row(const char* name, const T&... values) {
    (QTest::newRow(name) << ... << values);
}
} // namespace

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
    columns({"body", "word", "panel"});
    const QString title = u"<title>Orrisvale</title>"_s;
    row("title", "<html>" + title + "</html>", u"ON"_s, u"サーバー:ON"_s);
    row("title wins over 404", title + " HTTP 404", u"ON"_s, u"サーバー:ON"_s);
    row("title in capitals", u"<TITLE>ORRISVALE</TITLE>"_s, u"BadConfigulation"_s,
        u"サーバー状態不明"_s);
    row("401.2", u"HTTP 401.2 - Unauthorized"_s, u"PasswordRequired"_s, u"認証失敗"_s);
    row("401.2 before 404", u"HTTP 404 HTTP 401.2"_s, u"PasswordRequired"_s, u"認証失敗"_s);
    row("empty", u""_s, u"OFF"_s, u"サーバー:OFF"_s);
    row("404", u"HTTP 404 - File not found"_s, u"WrongURL"_s, u"URL間違い"_s);
    row("404 lower case", u"http 404 not found"_s, u"BadConfigulation"_s, u"サーバー状態不明"_s);
    row("blank is not empty", u" "_s, u"BadConfigulation"_s, u"サーバー状態不明"_s);
}

void ServerRules::classification() {
    QFETCH(QString, body);
    const StatusWord status = classifyResponse(body);
    QTEST(statusWordText(status), "word");
    QTEST(statusPanelText(status), "panel");
}

void ServerRules::macItems_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("rest");
    const QString mac = u"00-11-22-33-44-55"_s;
    row("one", u"LAN:00:11:22:33:44:55|"_s, QStringList{u"00:11:22:33:44:55"_s}, QString());
    row("two and tail", "A:" + mac + "|B:66-77-88-99-AA-BB|tail",
        QStringList{mac, u"66-77-88-99-AA-BB"_s}, u"tail"_s);
    row("no bar", mac, QStringList{}, mac);
    row("blanks kept", "LAN: " + mac + " \r\n|nolabel|",
        QStringList{" " + mac + " \r\n", "nolabel"}, QString());
    row("label with colon", "Local:Area:" + mac + "|", QStringList{"Area:" + mac}, QString());
    row("sixth ignored", u"a:1|b:2|c:3|d:4|e:5|f:6|g"_s, QStringList{"1", "2", "3", "4", "5"},
        u"f:6|g"_s);
}

void ServerRules::macItems() {
    QFETCH(QString, body);
    const MacItems items = parseMacItems(body);
    QTEST(items.addresses, "addresses");
    QTEST(items.rest, "rest");
}

void ServerRules::usableMac_data() {
    QTest::addColumn<QString>("mac");
    QTest::addColumn<bool>("usable");
    row("colons", u"00:11:22:33:44:55"_s, true);
    row("hyphens, lower case", u"aa-bb-cc-dd-ee-ff"_s, true);
    row("any separator", u"00x11y22z33.44/55"_s, true);
    row("16 chars", u"00:11:22:33:44:5"_s, false);
    row("18 chars", u"00:11:22:33:44:55:"_s, false);
    row("not hex", u"GG:11:22:33:44:55"_s, false);
    row("sign in group", u"+1:11:22:33:44:55"_s, false);
    row("full-width digit", u"０0:11:22:33:44:55"_s, false);
}

void ServerRules::usableMac() {
    QFETCH(QString, mac);
    QFETCH(bool, usable);
    QCOMPARE(isUsableMacText(mac), usable);
    QCOMPARE(magicPacket(mac).has_value(), usable);
}

void ServerRules::wakeDestination_data() {
    columns({"address", "destination"});
    const char* const changed[][2] = {{"192.168.1.20", "192.168.1.255"},
                                      {"192.168.1.20:8080", "192.168.1.255"},
                                      {"192.168.001.020", "192.168.1.255"},
                                      {"10.20.30.40", "10.255.255.255"},
                                      {"172.16.5.1", "172.16.255.255"},
                                      {"172.32.0.1", "172.32.255.255"},
                                      {"tvserver:80", "tvserver"},
                                      {"", ""},
                                      {"[::1]", "::1"},
                                      {"[fd00::20]:8080", "fd00::20"},
                                      {"[::ffff:192.168.1.20]:80", "::ffff:192.168.1.20"},
                                      {"[::1:8080", ""}};
    for (const auto& [address, destination] : changed)
        row(*address ? address : "empty", QString::fromLatin1(address),
            QString::fromLatin1(destination));
    // Not a home network address: packets go to the address itself.
    for (const char* same :
         {"172.15.0.1", "172.33.0.1", "192.169.1.1", "127.0.0.1", "8.8.4.4", "192.168.1",
          "tvserver", "10.300.1.1", "192.99999999999.1.1", "192..1.1", "fe80::1"})
        row(same, QString::fromLatin1(same), QString::fromLatin1(same));
}

void ServerRules::wakeDestination() {
    QFETCH(QString, address);
    QTEST(pelorin::wakeDestination(address), "destination");
}

void ServerRules::magicPacketBytes() {
    const QByteArray expected =
        QByteArray(6, '\xFF') + QByteArray::fromHex("001122aabbcc").repeated(16);
    QCOMPARE(magicPacket(u"00:11:22:AA:BB:CC"_s).value(), expected);
    const QByteArray password = QByteArray::fromHex("0102030405ff");
    QCOMPARE(magicPacket(u"00-11-22-aa-bb-cc"_s, password).value(), expected + password);
}

void ServerRules::urlSplitting_data() {
    columns({"url", "wakeHost", "monitorHost"});
    QTest::addColumn<int>("monitorPort");
    row("plain", u"http://tvserver/tv"_s, u"tvserver"_s, u"tvserver"_s, 80);
    row("port", u"http://tvserver:8080/tv"_s, u"tvserver:8080"_s, u"tvserver"_s, 8080);
    row("no path", u"http://192.168.1.5:8080"_s, u"192.168.1.5:8080"_s, u"192.168.1.5"_s, 8080);
    row("port not a number", u"http://tv:abc/tv"_s, u"tv:abc"_s, u"tv"_s, 80);
    row("port out of range", u"http://tv:70000/tv"_s, u"tv:70000"_s, u"tv"_s, 80);
    row("https", u"https://tv/tv"_s, u"tv"_s, u"tv"_s, 443);
    row("no scheme", u"tv:81/tv"_s, u"tv:81"_s, u"tv"_s, 81);
    row("short", u"tv"_s, u"tv"_s, u"tv"_s, 80);
    row("scheme in capitals", u"HTTP://Tv/tv"_s, u"Tv"_s, u"Tv"_s, 80);
    row("ipv6", u"http://[::1]:8080/tv"_s, u"[::1]:8080"_s, u"::1"_s, 8080);
    row("empty", QString(), QString(), QString(), 80);
    // A user name and password in the URL never pass for the host.
    row("credentials", u"http://me:p@ss@tv:8080/tv"_s, u"tv:8080"_s, u"tv"_s, 8080);
    row("credentials, https", u"https://me:pw@tv/tv"_s, u"tv"_s, u"tv"_s, 443);
}

void ServerRules::urlSplitting() {
    QFETCH(QString, url);
    QTEST(wakeHostFromUrl(url), "wakeHost");
    const Endpoint endpoint = monitorEndpoint(url);
    QTEST(endpoint.host, "monitorHost");
    QTEST(int(endpoint.port), "monitorPort");
    for (const QString& base : {u"http://h/tv"_s, u"http://h/tv/"_s})
        QCOMPARE(pageAddress(base, u"hibern.asp"_s), u"http://h/tv/hibern.asp"_s);
}

void ServerRules::settingChecks() {
    const auto url = knownSetting(u"server"_s, u" url "_s);
    QVERIFY(url);
    QCOMPARE(url->section + url->key, u"ServerURL"_s);
    QVERIFY(knownSetting(u"Server"_s, u"List-100"_s));
    QVERIFY(!knownSetting(u"Server"_s, u"List-101"_s));
    QVERIFY(!knownSetting(u"Servers"_s, u"URL"_s));
    QVERIFY(!knownSetting(u"Form"_s, u"URL"_s));
    QCOMPARE(knownSetting(u"form"_s, u"tray"_s)->key, u"Tray"_s);
    QCOMPARE(knownSetting(u"Form"_s, u"NOTIFY"_s)->key, u"Notify"_s);

    const struct {
        const char *section, *key, *value;
        bool fine;
    } values[] = {
        {"Server", "Mac-1", "00-11-22-33-44-55", true},
        {"Server", "Mac-1", "00-11-22-33-44", false},
        {"Server", "List-3", "https://tv:8443/tv", true},
        {"Server", "List-3", "ftp://tv/tv", false},
        {"Server", "List-3", "http://tv:99999/tv", false},
        {"Server", "List-3", "http://tv/tv\r\n[Pos]", false},
        {"Pos", "Main_Top", "1215", true},
        {"Pos", "Main_Top", "high", false},
    };
    for (const auto& v : values)
        QVERIFY2(settingValueProblem({v.section, v.key}, QString::fromUtf8(v.value)).isEmpty() ==
                     v.fine,
                 v.value);
}

QTEST_GUILESS_MAIN(ServerRules)
#include "tst_serverrules.moc"
