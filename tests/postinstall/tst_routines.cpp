// The post-install routines against the fake platform layer.

#include "fakeplatform.h"
#include "postinstall/moduac.h"
#include "postinstall/osversion.h"
#include "postinstall/shortcuts.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using pelorin::testing::FakePlatform;
using namespace pelorin::postinstall;

class TestRoutines : public QObject {
    Q_OBJECT

private slots:
    void versionTable_data() {
        QTest::addColumn<QString>("row"); // platform.major.minor name; none: the call fails
        for (const char* row : {"1.4.0 95", "1.4.10 98", "1.4.90 Me", "2.4.0 NT4", "2.5.0 2000",
                                "2.5.1 XP", "2.5.2 2003", "2.6.0 VISTA", "2.6.99 VISTA", "2.10.0",
                                "1.4.1", "2.5.3", "1.6.0", "3.5.1", " Failed"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }

    void versionTable() {
        QFETCH(QString, row);
        const QStringList v = row.section(u' ', 0, 0).split(u'.');
        FakePlatform platform;
        platform.version =
            v.size() < 3
                ? std::nullopt
                : std::optional(VersionRecord{v[0].toUInt(), v[1].toUInt(), v[2].toUInt()});
        QCOMPARE(QString::fromStdString(GetOSVersion(platform)), row.section(u' ', 1));
    }

    // On only for exactly 1; every key opened is closed, by its own handle, whatever happened.
    void uacSetting_data() {
        QTest::addColumn<int>("value"); // -1: absent
        QTest::addColumn<int>("fault"); // as FakePlatform::registryFault
        const std::tuple<const char*, int, int> rows[] = {
            {"1", 1, 0},       {"0", 0, 0},           {"2", 2, 0},
            {"absent", -1, 0}, {"key missing", 1, 1}, {"registry error", 1, 2}};
        for (const auto& [name, value, fault] : rows)
            QTest::newRow(name) << value << fault;
    }

    void uacSetting() {
        QFETCH(int, value);
        QFETCH(int, fault);
        FakePlatform platform;
        platform.enableLua = value >= 0 ? std::optional<std::uint32_t>(value) : std::nullopt;
        platform.registryFault = fault;
        QCOMPARE(modUAC::IsUACEnabled(platform), value == 1 && fault == 0);
        QCOMPARE(platform.openKeys, 0);
    }

    // Started minimised, then polled every 5 ms with events processed, until it has ended.
    void registrationPollsUntilEnded() {
        FakePlatform platform;
        modUAC::RegisterControls(platform, platform);
        QCOMPARE(
            platform.log.mid(0, 9).join(u", "_s),
            u"start regsvr32 /u /s mswinsck.ocx [2], events, events, pause 5, events, pause "
            u"5, ended regsvr32 /u /s mswinsck.ocx, events, start regsvr32 /s mswinsck.ocx [2]"_s);
    }

    // Quoted as the C runtime splits a command line.
    void windowsCommandLines_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("line");
        QTest::newRow("bare") << u"regsvr32"_s << u"/s"_s << u"regsvr32 /s"_s;
        QTest::newRow("spaces") << u"A B"_s << u"a b"_s << u"\"A B\" \"a b\""_s;
        QTest::newRow("empty argument") << u"x"_s << QString() << u"x \"\""_s;
        QTest::newRow("quote") << u"x"_s << u"say \"hi\""_s << u"x \"say \\\"hi\\\"\""_s;
        QTest::newRow("backslashes, quote") << u"x"_s << u"a\\\"b"_s << u"x \"a\\\\\\\"b\""_s;
        QTest::newRow("trailing backslash") << u"x"_s << u"C:\\A B\\"_s << u"x \"C:\\A B\\\\\""_s;
        QTest::newRow("inner backslashes") << u"x"_s << u"a\\b c"_s << u"x \"a\\b c\""_s;
    }

    void windowsCommandLines() {
        QFETCH(QString, program);
        QFETCH(QString, argument);
        QTEST(QString::fromStdWString(
                  windowsCommandLine({program.toStdWString(), {argument.toStdWString()}})),
              "line");
    }

    // Old shortcuts deleted, then new ones made in the folders there are; failures passed over.
    void shortcuts_data() {
        QTest::addColumn<int>("fault"); // 1: every step throws, 2: the desktop folder is unknown
        QTest::addColumn<QStringList>("steps");
        const QStringList& all = pelorin::testing::ShortcutSteps;
        QTest::newRow("both") << 0 << all;
        QTest::newRow("every step fails") << 1 << all.mid(0, 2);
        QTest::newRow("desktop unknown") << 2 << QStringList{all[1], all[3]};
    }

    void shortcuts() {
        QFETCH(int, fault);
        FakePlatform platform;
        platform.shortcutStepsThrow = fault == 1;
        if (fault == 2)
            platform.desktopFolder.clear();
        CreateShortcuts(platform, L"%ProgramFiles%\\Pelorin");
        QTEST(platform.log.filter(QRegularExpression(u"^(delete|save)"_s)), "steps");
        QCOMPARE(shortcutTarget(L"C:\\", WindowsPathRules), L"C:\\Pelorin.exe"); // no "\\\\"
        for (const auto& [link, properties] : platform.shortcuts)
            QVERIFY(properties.targetPath == L"C:\\Program Files\\Pelorin\\Pelorin.exe" &&
                    properties.workingDirectory == L"C:\\Program Files\\Pelorin" &&
                    properties.windowStyle == 4);
    }
};

QTEST_GUILESS_MAIN(TestRoutines)
#include "tst_routines.moc"
