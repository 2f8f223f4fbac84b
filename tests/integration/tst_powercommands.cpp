#include "common/timing.h"
#include "serverlink/powercommands.h"
#include "settings/settings.h"
#include "simulator.h"
#include "support/recordingview.h"

#include <QTemporaryDir>
#include <QTest>

using namespace pelorin;
using namespace Qt::StringLiterals;
using End = PowerCommands::End;
Q_DECLARE_METATYPE(End)

class PowerCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commands_data() {
        QTest::addColumn<QString>("server"); // "asleep", "wakes", "encoding", "locked" or a fault
        QTest::addColumn<QStringList>("stored"); // Mac, Mac-1, Password
        QTest::addColumn<End>("end");
        QTest::addColumn<int>("tries"); // -1: more than one
        QTest::addColumn<QString>("lamp");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message"); // how the one message starts; empty: no message
        const QString mac = u"00-11-22-33-44-55"_s;
        const int tries = PowerCommands::Tries;
        const auto row = [](const char* name, const char* server, const QStringList& stored,
                            End end, int tries, const char* lamp, const QString& status,
                            const QString& message = {}) {
            QTest::newRow(name) << QString(server) << stored << end << tries << QString(lamp)
                                << status << message;
        };
        const QString noMac =
            u"MACアドレスが登録されていないため、現在の状態では電源を入れることはで"
            "きません。\r\n"_s;
        row("on wakes", "wakes", {{}, mac}, End::ServerOn, -1, "on", u"サーバー:ON"_s);
        // "Mac" wins over "Mac-1", even when Mac-1 is the address the server would answer to.
        row("on never wakes", "asleep", {mac, u"66-77-88-99-AA-BB"_s}, End::NeverWoke, tries, "off",
            u"サーバー:OFF"_s);
        row("on, no mac", "asleep", {{}, {}}, End::NoUsableMac, 0, "", u"サーバー:OFF"_s, noMac);
        row("on, Mac too short", "asleep", {u"00-11-22-33-44"_s, mac}, End::NoUsableMac, 0, "",
            u"サーバー:OFF"_s, noMac);
        row("on, probe problem", "garbage", {mac, {}}, End::ProbeProblem, 1, "off",
            u"サーバー状態不明"_s);
        row("off hibernates", "locked", {{}, {}, u"pw"_s}, End::ServerOff, -1, "off",
            u"サーバー:OFF"_s);
        row("off while encoding", "encoding", {}, End::StillOn, tries, "on", u"サーバー:ON"_s,
            u"電源を休止状態にできませんでした。エンコーダが動作中の可能性があります。\r\n"
            "エンコードを停止してから再試行してください。"_s);
        row("off, no answer", "hang", {}, End::NoAnswer, 0, "off", u"サーバー:OFF"_s,
            u"応答がありません。すでに休止状態の可能性があります。"_s);
        // The refusal answers the hibernate request, then every probe is refused at once.
        row("off, login refused", "locked", {{}, {}, u"wrong"_s}, End::StillRefused, tries, "blink",
            u"認証失敗"_s);
    }

    void commands() {
        QFETCH(QString, server);
        QFETCH(QStringList, stored);
        QFETCH(End, end);
        QFETCH(int, tries);
        QFETCH(QString, message);
        // The probe still waits 200 ms for an answer, which a busy machine needs.
        timing::setScale(0.02);
        const QTemporaryDir dir;
        setSettingsFilePath(dir.filePath(u"setting.ini"_s));
        tvsim::Config config;
        config.wolPorts = {0, 0};
        config.startOn = server != "asleep"_L1 && server != "wakes"_L1;
        config.encoding = server == "encoding"_L1;
        config.macs = {server == "wakes"_L1 ? u"00:11:22:33:44:55"_s : u"66:77:88:99:AA:BB"_s};
        // Asleep for about two probe rounds after the packet arrives; hibernating after one.
        config.wakeDelayMs =
            timing::scaled(PowerCommands::ShortWaitMs + PowerCommands::LongWaitMs) + 5;
        config.hibernateDelayMs = timing::scaled(PowerCommands::LongWaitMs) + 5;
        if (server == "locked"_L1) {
            config.userName = u"user"_s;
            config.password = u"pw"_s;
            WriteIni(ini::Server, ini::UserName, u"user"_s);
        }
        tvsim::parseFault(server, &config.fault);
        tvsim::Simulator sim(config);
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        const QString keys[] = {ini::Mac, ini::macKey(1), ini::Password};
        for (qsizetype i = 0; i < stored.size(); ++i)
            WriteIni(ini::Server, keys[i], stored[i]);
        WriteIni(ini::Server, ini::URL, sim.url());

        RecordingView view;
        ServerLink link(programSettings(), view);
        PowerCommands commands(link, programSettings(), view);
        WakeOptions options;
        options.ports = sim.wolPorts();
        commands.setWakeOptions(options);
        const bool on = QByteArray(QTest::currentDataTag()).startsWith("on");
        const PowerCommands::Result result = on ? commands.switchOn() : commands.switchOff();
        QCOMPARE(result.end, end);
        if (tries < 0)
            QVERIFY(result.tries >= 2);
        else
            QCOMPARE(result.tries, tries);
        QTEST(view.lamp.value(view.lamp.size() - 1), "lamp");
        QTEST(view.statusTexts.constLast(), "status");
        QCOMPARE(view.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QVERIFY(view.messages.first().second.startsWith(message));
            QCOMPARE(view.messages.first().first,
                     end == End::NoUsableMac ? MessageIcon::Exclamation : MessageIcon::Information);
        }
        QCOMPARE(sim.isOn(),
                 end != End::ServerOff && end != End::NeverWoke && end != End::NoUsableMac);
        QVERIFY(!commands.isRunning());
        if (end == End::NoUsableMac) {
            QCOMPARE(view.detailsOpenedFor, QStringList{sim.url()});
            QCOMPARE(view.statusTexts.size(), 1);
            QTest::qWait(20);
        }
        if (end == End::NeverWoke)
            QCOMPARE(view.lamp.count(u"blink"_s), 1 + PowerCommands::Tries);
        if (end == End::ServerOff) {
            QCOMPARE(sim.requests().first().path, u"/tv/hibern.asp"_s);
            QVERIFY(view.statusTexts.contains(u"状況確認中..."_s));
        }
        // Six packets, all for the address used; none without a usable one.
        const bool sent = on && end != End::NoUsableMac;
        if (sent)
            QCOMPARE(view.statusTexts.first(), u"命令送信..."_s);
        QCOMPARE(sim.datagrams().size(), sent ? 6 : 0);
        const QString used = stored.value(0).isEmpty() ? stored.value(1) : stored.value(0);
        for (const tvsim::RecordedDatagram& datagram : sim.datagrams())
            QVERIFY(tvsim::isMagicPacketFor(datagram.bytes, used));
        QCOMPARE(result.mac, on ? used : QString());
    }
};

QTEST_GUILESS_MAIN(PowerCommandsTest)
#include "tst_powercommands.moc"
