// The post-install routines against the fake platform layer: version table, UAC test,
// registration, shortcuts and the command lines they build.

#include "fakeplatform.h"
#include "postinstall/commandline.h"
#include "postinstall/moduac.h"
#include "postinstall/osversion.h"
#include "postinstall/shortcuts.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace pelorin::postinstall;
using pelorin::testing::CountingEvents;
using pelorin::testing::FakePlatform;

Q_DECLARE_METATYPE(std::optional<std::uint32_t>)

namespace {

const QStringList RegistrationLines{
    u"regsvr32 /u /s mswinsck.ocx"_s, u"regsvr32 /s mswinsck.ocx"_s,
    u"regsvr32 /u /s mscomctl.ocx"_s, u"regsvr32 /s mscomctl.ocx"_s,
    u"regsvr32 /u /s msinet.ocx"_s,   u"regsvr32 /s msinet.ocx"_s,
};

QString text(const std::wstring& value) {
    return QString::fromStdWString(value);
}

// The log without the lines of the given kinds.
QStringList without(const QStringList& log, const QStringList& prefixes) {
    QStringList kept;
    for (const QString& line : log) {
        if (std::none_of(prefixes.cbegin(), prefixes.cend(),
                         [&](const QString& prefix) { return line.startsWith(prefix); }))
            kept << line;
    }
    return kept;
}

} // namespace

class TestRoutines : public QObject {
    Q_OBJECT

private slots:
    void versionTable_data();
    void versionTable();
    void versionErrorIsFailed();

    void uacSetting_data();
    void uacSetting();
    void uacKeyMissingOrBroken();

    void registrationRunsEachCommandToItsEnd();
    void registrationStopsAtCommandThatCannotStart();

    void shortcutTargetAndLaunchCommand();
    void windowsCommandLines_data();
    void windowsCommandLines();

    void shortcutsDeletedThenMade();
    void shortcutFailuresAreIgnored();
};

void TestRoutines::versionTable_data() {
    QTest::addColumn<uint>("platformId");
    QTest::addColumn<uint>("major");
    QTest::addColumn<uint>("minor");
    QTest::addColumn<QString>("name");
    QTest::newRow("95") << 1u << 4u << 0u << u"95"_s;
    QTest::newRow("98") << 1u << 4u << 10u << u"98"_s;
    QTest::newRow("Me") << 1u << 4u << 90u << u"Me"_s;
    QTest::newRow("NT4") << 2u << 4u << 0u << u"NT4"_s;
    QTest::newRow("2000") << 2u << 5u << 0u << u"2000"_s;
    QTest::newRow("XP") << 2u << 5u << 1u << u"XP"_s;
    QTest::newRow("2003") << 2u << 5u << 2u << u"2003"_s;
    for (const uint minor : {0u, 1u, 2u, 3u, 99u})
        QTest::addRow("6.%u", minor) << 2u << 6u << minor << u"VISTA"_s;
    QTest::newRow("10.0") << 2u << 10u << 0u << QString();
    QTest::newRow("9x 4.1") << 1u << 4u << 1u << QString();
    QTest::newRow("NT 5.3") << 2u << 5u << 3u << QString();
    QTest::newRow("9x major 6") << 1u << 6u << 0u << QString();
    QTest::newRow("platform 0") << 0u << 4u << 0u << QString();
    QTest::newRow("CE") << 3u << 5u << 1u << QString();
    QTest::newRow("zero record") << 0u << 0u << 0u << QString();
}

void TestRoutines::versionTable() {
    QFETCH(uint, platformId);
    QFETCH(uint, major);
    QFETCH(uint, minor);
    QFETCH(QString, name);
    const VersionRecord record{platformId, major, minor};
    QCOMPARE(QString::fromStdString(osVersionName(record)), name);

    FakePlatform platform;
    platform.version = record;
    QCOMPARE(QString::fromStdString(GetOSVersion(platform)), name);
    QCOMPARE(platform.log, QStringList{u"version"_s});
}

void TestRoutines::versionErrorIsFailed() {
    FakePlatform platform;
    platform.version.reset();
    QCOMPARE(GetOSVersion(platform), std::string("Failed"));
}

void TestRoutines::uacSetting_data() {
    QTest::addColumn<std::optional<std::uint32_t>>("value");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("1") << std::optional<std::uint32_t>(1) << true;
    QTest::newRow("0") << std::optional<std::uint32_t>(0) << false;
    QTest::newRow("2") << std::optional<std::uint32_t>(2) << false;
    QTest::newRow("text 1") << std::optional<std::uint32_t>(0x31) << false;
    QTest::newRow("all bits") << std::optional<std::uint32_t>(0xffffffffu) << false;
    QTest::newRow("absent") << std::optional<std::uint32_t>() << false;
}

void TestRoutines::uacSetting() {
    QFETCH(std::optional<std::uint32_t>, value);
    QFETCH(bool, enabled);
    FakePlatform platform;
    platform.enableLua = value;
    QCOMPARE(modUAC::IsUACEnabled(platform), enabled);
    // Opened for reading, read into four bytes, and closed whether the read worked or not.
    QCOMPARE(platform.log,
             (QStringList{u"open SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System "
                          u"0 0x20019"_s,
                          u"query EnableLUA"_s, u"close"_s}));
    QCOMPARE(platform.openKeys, 0);
}

void TestRoutines::uacKeyMissingOrBroken() {
    FakePlatform missing;
    missing.keyExists = false;
    missing.enableLua = 1;
    QVERIFY(!modUAC::IsUACEnabled(missing));
    QCOMPARE(missing.log.size(), 1); // nothing to read, nothing to close
    QCOMPARE(missing.openKeys, 0);

    FakePlatform broken;
    broken.registryThrows = true;
    broken.enableLua = 1;
    QVERIFY(!modUAC::IsUACEnabled(broken));
    QCOMPARE(broken.openKeys, 0);
}

void TestRoutines::registrationRunsEachCommandToItsEnd() {
    FakePlatform platform;
    platform.pollsUntilEnded = 3;
    CountingEvents events(platform);
    modUAC::RegisterControls(platform, events);

    QStringList expected;
    for (const QString& line : RegistrationLines) {
        // Started minimised, events processed once, then polled every 5 ms with events
        // processed after each look, until the program has ended.
        expected << u"start %1 [2]"_s.arg(line) << u"events"_s;
        expected << u"running %1"_s.arg(line) << u"events"_s << u"pause 5"_s;
        expected << u"running %1"_s.arg(line) << u"events"_s << u"pause 5"_s;
        expected << u"ended %1"_s.arg(line) << u"events"_s;
    }
    QCOMPARE(platform.log, expected);
    QCOMPARE(platform.mostRunningAtOnce, 1);
    // Each part stays one argument; the control files are named without a folder.
    QCOMPARE(platform.started.size(), 6u);
    QCOMPARE(text(windowsCommandLine(platform.started.front())), RegistrationLines.front());
    QCOMPARE(platform.started.front().arguments.size(), 3u);
}

void TestRoutines::registrationStopsAtCommandThatCannotStart() {
    FakePlatform platform;
    platform.unstartablePrograms = {L"regsvr32"};
    CountingEvents events(platform);
    modUAC::RegisterControls(platform, events);
    QCOMPARE(platform.log, QStringList{u"start regsvr32 /u /s mswinsck.ocx [2]"_s});

    // A program that cannot be waited for ends at once: nothing to wait, nothing hangs.
    FakePlatform quick;
    quick.pollsUntilEnded = 1;
    CountingEvents quickEvents(quick);
    modUAC::RegisterControls(quick, quickEvents);
    QCOMPARE(quick.entries(u"start"_s).size(), 6);
    QCOMPARE(quick.entries(u"pause"_s).size(), 0);
}

void TestRoutines::shortcutTargetAndLaunchCommand() {
    // The shortcut target gets no second separator after a root folder...
    QCOMPARE(text(shortcutTarget(L"C:\\", WindowsPathRules)), u"C:\\Pelorin.exe"_s);
    QCOMPARE(text(shortcutTarget(L"C:\\Program Files\\Pelorin", WindowsPathRules)),
             u"C:\\Program Files\\Pelorin\\Pelorin.exe"_s);
    QCOMPARE(text(shortcutTarget(L"/", PosixPathRules)), u"/Pelorin"_s);
    QCOMPARE(text(shortcutTarget(L"/opt/pelorin", PosixPathRules)), u"/opt/pelorin/Pelorin"_s);

    // ...while the launch command is always the folder, a separator and the name.
    QCOMPARE(text(toolCommand(L"C:\\", WindowsPathRules).program), u"C:\\\\Pelorin"_s);
    const Command spaced = toolCommand(L"C:\\Program Files\\Pelorin", WindowsPathRules);
    QCOMPARE(text(spaced.program), u"C:\\Program Files\\Pelorin\\Pelorin"_s);
    QVERIFY(spaced.arguments.empty());
    // One program path, spaces and all: the command line does not split it.
    QCOMPARE(text(windowsCommandLine(spaced)), u"\"C:\\Program Files\\Pelorin\\Pelorin\""_s);
    QCOMPARE(text(windowsCommandLine(toolCommand(L"D:\\Tools", WindowsPathRules))),
             u"D:\\Tools\\Pelorin"_s);
    QCOMPARE(text(toolCommand(L"/usr/bin", PosixPathRules).program), u"/usr/bin/Pelorin"_s);
}

void TestRoutines::windowsCommandLines_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::newRow("bare") << u"regsvr32"_s << QStringList{u"/s"_s, u"msinet.ocx"_s}
                          << u"regsvr32 /s msinet.ocx"_s;
    QTest::newRow("spaces") << u"C:\\A B\\x.exe"_s << QStringList{u"a b"_s}
                            << u"\"C:\\A B\\x.exe\" \"a b\""_s;
    QTest::newRow("empty argument") << u"x"_s << QStringList{QString()} << u"x \"\""_s;
    QTest::newRow("quote") << u"x"_s << QStringList{u"say \"hi\""_s} << u"x \"say \\\"hi\\\"\""_s;
    QTest::newRow("backslashes before quote")
        << u"x"_s << QStringList{u"a\\\"b"_s} << u"x \"a\\\\\\\"b\""_s;
    QTest::newRow("trailing backslash")
        << u"x"_s << QStringList{u"C:\\My Dir\\"_s} << u"x \"C:\\My Dir\\\\\""_s;
    QTest::newRow("inner backslashes") << u"x"_s << QStringList{u"a\\b c"_s} << u"x \"a\\b c\""_s;
}

void TestRoutines::windowsCommandLines() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    Command command{program.toStdWString(), {}};
    for (const QString& argument : arguments)
        command.arguments.push_back(argument.toStdWString());
    QCOMPARE(text(windowsCommandLine(command)), line);
}

void TestRoutines::shortcutsDeletedThenMade() {
    FakePlatform platform;
    const std::wstring desktopLink = L"C:\\Users\\taro\\Desktop\\ペロリン.lnk";
    const std::wstring startLink = L"C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk";
    platform.files = {desktopLink};
    CreateShortcuts(platform, L"%ProgramFiles%\\Pelorin");

    const QString target = u"%ProgramFiles%\\Pelorin\\Pelorin.exe"_s;
    const QString folder = u"%ProgramFiles%\\Pelorin"_s;
    QCOMPARE(platform.log, (QStringList{
                               u"folder Desktop"_s,
                               u"delete %1"_s.arg(text(desktopLink)),
                               u"folder Programs"_s,
                               u"delete %1"_s.arg(text(startLink)),
                               u"expand %1"_s.arg(target),
                               u"expand %1"_s.arg(folder),
                               u"save %1"_s.arg(text(desktopLink)),
                               u"expand %1"_s.arg(target),
                               u"expand %1"_s.arg(folder),
                               u"save %1"_s.arg(text(startLink)),
                           }));
    for (const std::wstring& link : {desktopLink, startLink}) {
        QVERIFY(platform.shortcuts.count(link));
        const ShortcutProperties& made = platform.shortcuts.at(link);
        QCOMPARE(text(made.targetPath), u"C:\\Program Files\\Pelorin\\Pelorin.exe"_s);
        QCOMPARE(text(made.workingDirectory), u"C:\\Program Files\\Pelorin"_s);
        QCOMPARE(made.windowStyle, 4);
    }
}

void TestRoutines::shortcutFailuresAreIgnored() {
    // No Start-menu folder: it is not made, and the desktop shortcut is made all the same.
    FakePlatform noFolder;
    noFolder.folders = {noFolder.desktopFolder};
    CreateShortcuts(noFolder, L"C:\\");
    QCOMPARE(noFolder.shortcuts.size(), 1u);
    QCOMPARE(text(noFolder.shortcuts.begin()->second.targetPath), u"C:\\Pelorin.exe"_s);
    QCOMPARE(noFolder.folders.size(), 1u);
    QCOMPARE(noFolder.entries(u"save"_s).size(), 2);

    // Every step raises an error: each one is still tried, and nothing escapes.
    FakePlatform failing;
    failing.shortcutStepsThrow = true;
    CreateShortcuts(failing, L"C:\\Pelorin");
    QCOMPARE(
        without(failing.log, {u"folder"_s}),
        (QStringList{u"delete C:\\Users\\taro\\Desktop\\ペロリン.lnk"_s,
                     u"delete C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk"_s,
                     u"expand C:\\Pelorin\\Pelorin.exe"_s, u"expand C:\\Pelorin\\Pelorin.exe"_s}));
    QVERIFY(failing.shortcuts.empty());

    // Neither folder can be found: nothing is deleted or made anywhere else.
    FakePlatform noFolders;
    noFolders.foldersThrow = true;
    CreateShortcuts(noFolders, L"C:\\Pelorin");
    QCOMPARE(noFolders.log, (QStringList{u"folder Desktop"_s, u"folder Programs"_s}));

    // A folder the system does not know is left out rather than taken as the empty path.
    FakePlatform unknown;
    unknown.desktopFolder.clear();
    CreateShortcuts(unknown, L"C:\\Pelorin");
    QCOMPARE(unknown.entries(u"delete"_s).size(), 1);
    QCOMPARE(unknown.entries(u"save"_s).size(), 1);
    QVERIFY(unknown.entries(u"save"_s).constFirst().contains(u"Programs"_s));

    // POSIX spelling: launchers instead of .lnk files, and "/" between the parts.
    FakePlatform posix;
    posix.rules = PosixPathRules;
    posix.desktopFolder = L"/home/taro/Desktop";
    posix.programsFolder = L"/home/taro/.local/share/applications";
    posix.folders = {posix.desktopFolder, posix.programsFolder + L"/ペロリン"};
    CreateShortcuts(posix, L"/opt/Pelorin");
    QCOMPARE(
        posix.entries(u"save"_s),
        (QStringList{u"save /home/taro/Desktop/ペロリン.desktop"_s,
                     u"save /home/taro/.local/share/applications/ペロリン/ペロリン.desktop"_s}));
    QCOMPARE(text(posix.shortcuts.begin()->second.targetPath), u"/opt/Pelorin/Pelorin"_s);
}

QTEST_GUILESS_MAIN(TestRoutines)
#include "tst_routines.moc"
