#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "rules/status.h"
#include "serverlink/wakeonlan.h"
#include "settings/settingskeys.h"

#include <QTest>

using namespace pelorin;
using namespace Qt::StringLiterals;

namespace {

// What one rule makes of one input, as text.
QString apply(const QString& rule, const QString& input) {
    if (rule == "status"_L1) {
        const StatusWord status = classifyResponse(input);
        return statusWordText(status) + u' ' + statusPanelText(status);
    }
    if (rule == "macs"_L1) {
        const MacItems items = parseMacItems(input);
        return items.addresses.join(u',') + u'/' + items.rest;
    }
    if (rule == "usable"_L1) {
        const bool usable = isUsableMacText(input);
        if (usable != magicPacket(input).has_value())
            return u"the packet maker disagrees"_s;
        return usable ? u"usable"_s : u"unusable"_s;
    }
    if (rule == "wake"_L1)
        return wakeDestination(input);
    if (rule == "url"_L1) {
        const Endpoint endpoint = monitorEndpoint(input);
        return wakeHostFromUrl(input) + u' ' + endpoint.host + u':' +
               QString::number(endpoint.port);
    }
    const QStringList name = input.section(u'=', 0, 0).split(u'/'); // "SECTION/KEY=VALUE"
    if (rule == "known"_L1) {
        const auto known = knownSetting(name[0], name[1]);
        return known ? known->section + u'/' + known->key : u"unknown"_s;
    }
    return settingValueProblem({name[0], name[1]}, input.section(u'=', 1)).isEmpty() ? u"ok"_s
                                                                                     : u"refused"_s;
}

} // namespace

class ServerRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rules_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QString rule;
        const auto row = [&](const char* name, const QString& input, const QString& expected) {
            QTest::addRow("%s: %s", qPrintable(rule), name) << rule << input << expected;
        };
        rule = u"status"_s;
        const QString title = u"<title>Orrisvale</title>"_s;
        row("title", "<html>" + title + "</html>", u"ON サーバー:ON"_s);
        row("title wins over 404", title + " HTTP 404", u"ON サーバー:ON"_s);
        row("title in capitals", u"<TITLE>ORRISVALE</TITLE>"_s,
            u"BadConfigulation サーバー状態不明"_s);
        row("401.2", u"HTTP 401.2 - Unauthorized"_s, u"PasswordRequired 認証失敗"_s);
        row("401.2 before 404", u"HTTP 404 HTTP 401.2"_s, u"PasswordRequired 認証失敗"_s);
        row("empty", {}, u"OFF サーバー:OFF"_s);
        row("404", u"HTTP 404 - File not found"_s, u"WrongURL URL間違い"_s);
        row("404 lower case", u"http 404 not found"_s, u"BadConfigulation サーバー状態不明"_s);
        row("blank is not empty", u" "_s, u"BadConfigulation サーバー状態不明"_s);

        rule = u"macs"_s;
        row("one", u"LAN:00:11:22:33:44:55|"_s, u"00:11:22:33:44:55/"_s);
        row("no bar", u"00:11:22:33:44:55"_s, u"/00:11:22:33:44:55"_s);
        row("blanks kept", u"LAN: 00:11 \r\n|nolabel|"_s, u" 00:11 \r\n,nolabel/"_s);
        row("label with colon", u"Local:Area:00-11|"_s, u"Area:00-11/"_s);
        row("sixth ignored", u"a:1|b:2|c:3|d:4|e:5|f:6|g"_s, u"1,2,3,4,5/f:6|g"_s);

        rule = u"usable"_s;
        row("colons", u"00:11:22:33:44:55"_s, u"usable"_s);
        row("any separator", u"00x11y22z33.44/55"_s, u"usable"_s);
        row("16 chars", u"00:11:22:33:44:5"_s, u"unusable"_s);
        row("18 chars", u"00:11:22:33:44:55:"_s, u"unusable"_s);
        row("not hex", u"GG:11:22:33:44:55"_s, u"unusable"_s);
        row("sign in group", u"+1:11:22:33:44:55"_s, u"unusable"_s);
        row("full-width digit", u"０0:11:22:33:44:55"_s, u"unusable"_s);

        rule = u"wake"_s; // the broadcast address of a home network, else the address itself
        row("192.168", u"192.168.1.20"_s, u"192.168.1.255"_s);
        row("leading zeros, port", u"192.168.001.020:8080"_s, u"192.168.1.255"_s);
        row("10", u"10.20.30.40"_s, u"10.255.255.255"_s);
        row("172.16", u"172.16.5.1"_s, u"172.16.255.255"_s);
        row("172.32 included", u"172.32.0.1"_s, u"172.32.255.255"_s);
        row("host name with port", u"tvserver:80"_s, u"tvserver"_s);
        row("IPv6 in brackets", u"[::1]"_s, u"::1"_s);
        row("IPv6 with port", u"[::ffff:192.168.1.20]:80"_s, u"::ffff:192.168.1.20"_s);
        row("bracket not closed", u"[::1:8080"_s, {});
        for (const char* same :
             {"172.15.0.1", "172.33.0.1", "192.169.1.1", "127.0.0.1", "192.168.1", "10.300.1.1",
              "192.99999999999.1.1", "192..1.1", "fe80::1", ""})
            row(same, QString::fromLatin1(same), QString::fromLatin1(same));

        rule = u"url"_s; // the host woken, and the host and port the monitor tests
        row("plain", u"http://tvserver/tv"_s, u"tvserver tvserver:80"_s);
        row("port", u"http://tvserver:8080/tv"_s, u"tvserver:8080 tvserver:8080"_s);
        row("port not a number", u"http://tv:abc/tv"_s, u"tv:abc tv:80"_s);
        row("port out of range", u"http://tv:70000/tv"_s, u"tv:70000 tv:80"_s);
        row("https", u"https://tv/tv"_s, u"tv tv:443"_s);
        row("no scheme", u"tv:81/tv"_s, u"tv:81 tv:81"_s);
        row("scheme in capitals", u"HTTP://Tv/tv"_s, u"Tv Tv:80"_s);
        row("ipv6", u"http://[::1]:8080/tv"_s, u"[::1]:8080 ::1:8080"_s);
        row("empty", {}, u" :80"_s);
        // A user name and password in the URL never pass for the host.
        row("credentials", u"http://me:p@ss@tv:8080/tv"_s, u"tv:8080 tv:8080"_s);

        rule = u"value"_s;
        row("mac", u"Server/Mac-1=00-11-22-33-44-55"_s, u"ok"_s);
        row("mac too short", u"Server/Mac-1=00-11-22-33-44"_s, u"refused"_s);
        row("https with port", u"Server/List-3=https://tv:8443/tv"_s, u"ok"_s);
        row("ftp", u"Server/List-3=ftp://tv/tv"_s, u"refused"_s);
        row("port out of range", u"Server/List-3=http://tv:99999/tv"_s, u"refused"_s);
        row("line break", u"Server/List-3=http://tv/tv\r\n[Pos]"_s, u"refused"_s);
        row("number", u"Pos/Main_Top=1215"_s, u"ok"_s);
        row("not a number", u"Pos/Main_Top=high"_s, u"refused"_s);

        rule = u"known"_s; // names as typed on the command line
        row("blanks and case", u"server/ url "_s, u"Server/URL"_s);
        row("Form/Tray", u"form/tray"_s, u"Form/Tray"_s);
        row("last list slot", u"Server/List-100"_s, u"Server/List-100"_s);
        row("list slot 101", u"Server/List-101"_s, u"unknown"_s);
        row("key of another section", u"Form/URL"_s, u"unknown"_s);
    }

    void rules() {
        QFETCH(QString, rule);
        QFETCH(QString, input);
        QTEST(apply(rule, input), "expected");
    }

    void magicPacketBytes() {
        QCOMPARE(magicPacket(u"00-11-22-aa-bb-cc"_s, "pw").value(),
                 QByteArray(6, '\xFF') + QByteArray::fromHex("001122aabbcc").repeated(16) + "pw");
    }
};

QTEST_GUILESS_MAIN(ServerRules)
#include "tst_serverrules.moc"
