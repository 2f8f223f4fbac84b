// The post-install routines against the fake platform layer.

#include "fakeplatform.h"
#include "postinstall/commandline.h"
#include "postinstall/moduac.h"
#include "postinstall/osversion.h"
#include "postinstall/shortcuts.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace pelorin::postinstall;
using pelorin::testing::CountingEvents;
using pelorin::testing::FakePlatform;

Q_DECLARE_METATYPE(std::optional<std::uint32_t>)
Q_DECLARE_METATYPE(std::optional<VersionRecord>)

namespace {

QString text(const std::wstring& value) {
    return QString::fromStdWString(value);
}

} // namespace

class TestRoutines : public QObject {
    Q_OBJECT

private slots:
    void versionTable_data();
    void versionTable();
    void uacSetting_data();
    void uacSetting();
    void registrationPollsUntilEnded();
    void targetAndToolCommand();
    void windowsCommandLines_data();
    void windowsCommandLines();
    void shortcutsDeletedThenMade();
    void shortcutFailuresAreIgnored();
};

void TestRoutines::versionTable_data() {
    QTest::addColumn<std::optional<VersionRecord>>("record");
    QTest::addColumn<QString>("name");
    const struct {
        VersionRecord record;
        const char* name;
    } rows[] = {{{1, 4, 0}, "95"},    {{1, 4, 10}, "98"},    {{1, 4, 90}, "Me"},
                {{2, 4, 0}, "NT4"},   {{2, 5, 0}, "2000"},   {{2, 5, 1}, "XP"},
                {{2, 5, 2}, "2003"},  {{2, 6, 0}, "VISTA"},  {{2, 6, 1}, "VISTA"},
                {{2, 6, 3}, "VISTA"}, {{2, 6, 99}, "VISTA"}, {{2, 10, 0}, ""},
                {{1, 4, 1}, ""},      {{2, 5, 3}, ""},       {{1, 6, 0}, ""},
                {{3, 5, 1}, ""},      {{0, 0, 0}, ""}};
    for (const auto& [record, name] : rows) {
        QTest::addRow("%u.%u.%u", record.platformId, record.majorVersion, record.minorVersion)
            << std::optional(record) << QString::fromUtf8(name);
    }
    QTest::newRow("error") << std::optional<VersionRecord>() << u"Failed"_s;
}

void TestRoutines::versionTable() {
    QFETCH(std::optional<VersionRecord>, record);
    QFETCH(QString, name);
    FakePlatform platform;
    platform.version = record;
    QCOMPARE(QString::fromStdString(GetOSVersion(platform)), name);
}

void TestRoutines::uacSetting_data() {
    QTest::addColumn<std::optional<std::uint32_t>>("value");
    QTest::addColumn<int>("fault"); // 0: none, 1: key missing, 2: registry error
    QTest::addColumn<bool>("enabled");
    using V = std::optional<std::uint32_t>;
    QTest::newRow("1") << V(1) << 0 << true;
    QTest::newRow("0") << V(0) << 0 << false;
    QTest::newRow("2") << V(2) << 0 << false;
    QTest::newRow("text 1") << V(0x31) << 0 << false;
    QTest::newRow("all bits") << V(0xffffffffu) << 0 << false;
    QTest::newRow("absent") << V() << 0 << false;
    QTest::newRow("key missing") << V(1) << 1 << false;
    QTest::newRow("registry error") << V(1) << 2 << false;
}

void TestRoutines::uacSetting() {
    QFETCH(std::optional<std::uint32_t>, value);
    QFETCH(int, fault);
    QFETCH(bool, enabled);
    FakePlatform platform;
    platform.enableLua = value;
    platform.keyExists = fault != 1;
    platform.registryThrows = fault == 2;
    QCOMPARE(modUAC::IsUACEnabled(platform), enabled);
    // Every key opened is closed, by its own handle, whether the read worked or not.
    QCOMPARE(platform.openKeys, 0);
    QVERIFY(platform.log.filter(u"?"_s).isEmpty());
}

void TestRoutines::registrationPollsUntilEnded() {
    FakePlatform platform;
    platform.pollsUntilEnded = 3;
    CountingEvents events(platform);
    modUAC::RegisterControls(platform, events);
    // Started minimised, then polled every 5 ms with events processed, until it has ended.
    const QString first = u"regsvr32 /u /s mswinsck.ocx"_s;
    QCOMPARE(platform.log.mid(0, 11),
             (QStringList{u"start %1 [2]"_s.arg(first), u"events"_s, u"running %1"_s.arg(first),
                          u"events"_s, u"pause 5"_s, u"running %1"_s.arg(first), u"events"_s,
                          u"pause 5"_s, u"ended %1"_s.arg(first), u"events"_s,
                          u"start regsvr32 /s mswinsck.ocx [2]"_s}));
    QCOMPARE(platform.started.front().arguments.size(), 3u); // each part one argument
}

void TestRoutines::targetAndToolCommand() {
    // The shortcut target gets no second separator after a root folder...
    QCOMPARE(text(shortcutTarget(L"C:\\", WindowsPathRules)), u"C:\\Pelorin.exe"_s);
    QCOMPARE(text(shortcutTarget(L"C:\\Program Files\\Pelorin", WindowsPathRules)),
             u"C:\\Program Files\\Pelorin\\Pelorin.exe"_s);
    QCOMPARE(text(shortcutTarget(L"/", PosixPathRules)), u"/Pelorin"_s);
    // ...while the tool command is always the folder, a separator and the name, kept whole.
    QCOMPARE(text(toolCommand(L"C:\\", WindowsPathRules).program), u"C:\\\\Pelorin"_s);
    const Command spaced = toolCommand(L"C:\\Program Files\\Pelorin", WindowsPathRules);
    QVERIFY(spaced.arguments.empty());
    QCOMPARE(text(windowsCommandLine(spaced)), u"\"C:\\Program Files\\Pelorin\\Pelorin\""_s);
    QCOMPARE(text(toolCommand(L"/usr/bin", PosixPathRules).program), u"/usr/bin/Pelorin"_s);
}

void TestRoutines::windowsCommandLines_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("line");
    QTest::newRow("bare") << u"regsvr32"_s << u"/s"_s << u"regsvr32 /s"_s;
    QTest::newRow("spaces") << u"C:\\A B\\x.exe"_s << u"a b"_s << u"\"C:\\A B\\x.exe\" \"a b\""_s;
    QTest::newRow("empty argument") << u"x"_s << QString() << u"x \"\""_s;
    QTest::newRow("quote") << u"x"_s << u"say \"hi\""_s << u"x \"say \\\"hi\\\"\""_s;
    QTest::newRow("backslashes before quote") << u"x"_s << u"a\\\"b"_s << u"x \"a\\\\\\\"b\""_s;
    QTest::newRow("trailing backslash") << u"x"_s << u"C:\\My Dir\\"_s << u"x \"C:\\My Dir\\\\\""_s;
    QTest::newRow("inner backslashes") << u"x"_s << u"a\\b c"_s << u"x \"a\\b c\""_s;
}

void TestRoutines::windowsCommandLines() {
    QFETCH(QString, program);
    QFETCH(QString, argument);
    QFETCH(QString, line);
    QCOMPARE(text(windowsCommandLine({program.toStdWString(), {argument.toStdWString()}})), line);
}

void TestRoutines::shortcutsDeletedThenMade() {
    FakePlatform platform;
    const QString desktopLink = u"C:\\Users\\taro\\Desktop\\ペロリン.lnk"_s;
    const QString startLink = u"C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk"_s;
    platform.files = {desktopLink.toStdWString()};
    CreateShortcuts(platform, L"%ProgramFiles%\\Pelorin");

    QCOMPARE(platform.log.filter(QRegularExpression(u"^(delete|save)"_s)),
             (QStringList{u"delete "_s + desktopLink, u"delete "_s + startLink,
                          u"save "_s + desktopLink, u"save "_s + startLink}));
    QCOMPARE(platform.shortcuts.size(), 2u);
    for (const auto& [link, made] : platform.shortcuts) {
        QCOMPARE(text(made.targetPath), u"C:\\Program Files\\Pelorin\\Pelorin.exe"_s);
        QCOMPARE(text(made.workingDirectory), u"C:\\Program Files\\Pelorin"_s);
    }
}

void TestRoutines::shortcutFailuresAreIgnored() {
    // No Start-menu folder: it is not made, and the desktop shortcut is made all the same.
    FakePlatform noFolder;
    noFolder.folders = {noFolder.desktopFolder};
    CreateShortcuts(noFolder, L"C:\\");
    QCOMPARE(noFolder.shortcuts.size(), 1u);

    // Every step raises an error: each one is still tried, and nothing escapes.
    FakePlatform failing;
    failing.shortcutStepsThrow = true;
    CreateShortcuts(failing, L"C:\\Pelorin");
    QCOMPARE(failing.entries(u"delete"_s).size(), 2);
    QCOMPARE(failing.entries(u"expand"_s).size(), 2);
    QVERIFY(failing.shortcuts.empty());

    // A folder the system does not know is left out rather than taken as the empty path.
    FakePlatform unknown;
    unknown.desktopFolder.clear();
    CreateShortcuts(unknown, L"C:\\Pelorin");
    QCOMPARE(unknown.entries(u"save"_s).size(), 1);
    QVERIFY(unknown.entries(u"save"_s).constFirst().contains(u"Programs"_s));
}

QTEST_GUILESS_MAIN(TestRoutines)
#include "tst_routines.moc"
