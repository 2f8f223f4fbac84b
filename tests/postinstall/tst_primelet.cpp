// The post-install sequence and its splash window, offscreen, against the fake platform layer.

#include "common/timing.h"
#include "fakeplatform.h"
#include "postinstall/frmprimelet.h"
#include "postinstall/frmsplash.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace pelorin;
using pelorin::postinstall::VersionRecord;
using pelorin::testing::FakePlatform;

Q_DECLARE_METATYPE(std::optional<VersionRecord>)
Q_DECLARE_METATYPE(std::optional<std::uint32_t>)

namespace {

const std::wstring ProgramFolder = L"C:\\Program Files\\Pelorin";
const QString ToolStart = u"start C:\\Program Files\\Pelorin\\Pelorin [1]"_s;

// The starts, ends and shortcut steps of a run, in order.
QStringList steps(const FakePlatform& platform) {
    return platform.log.filter(QRegularExpression(u"^(start|ended|delete|save) "_s));
}

QStringList registrationSteps() {
    QStringList expected;
    for (const char* control : {"mswinsck", "mscomctl", "msinet"}) {
        for (const char* option : {"/u /s", "/s"}) {
            const QString line =
                u"regsvr32 %1 %2.ocx"_s.arg(QLatin1String(option), QLatin1String(control));
            expected << u"start %1 [2]"_s.arg(line) << u"ended %1"_s.arg(line);
        }
    }
    return expected;
}

const QStringList ShortcutSteps{
    u"delete C:\\Users\\taro\\Desktop\\ペロリン.lnk"_s,
    u"delete C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk"_s,
    u"save C:\\Users\\taro\\Desktop\\ペロリン.lnk"_s,
    u"save C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk"_s,
};

} // namespace

class TestPrimelet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sequence_data();
    void sequence();
    void toolStartedWhateverFailed();
    void splashClosesEarlyOnClick();
};

void TestPrimelet::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    timing::setScale(0.01);
}

void TestPrimelet::sequence_data() {
    QTest::addColumn<std::optional<VersionRecord>>("version");
    QTest::addColumn<std::optional<std::uint32_t>>("enableLua");
    QTest::addColumn<QStringList>("expected");
    using V = std::optional<VersionRecord>;
    using U = std::optional<std::uint32_t>;
    // VISTA with UAC off: the six commands in order, each after the previous one has ended, and
    // the shortcuts left alone.
    const QStringList registered = registrationSteps() << ToolStart;
    QTest::newRow("6.0, UAC 0") << V({2, 6, 0}) << U(0) << registered;
    QTest::newRow("6.1, UAC absent") << V({2, 6, 1}) << U() << registered;
    QTest::newRow("6.2, UAC 2") << V({2, 6, 2}) << U(2) << registered;
    // VISTA with UAC on: neither registration nor shortcuts.
    QTest::newRow("6.1, UAC 1") << V({2, 6, 1}) << U(1) << QStringList{ToolStart};
    // Anything else, "Failed" included: shortcuts renewed, nothing registered.
    const QStringList renewed = QStringList(ShortcutSteps) << ToolStart;
    QTest::newRow("XP") << V({2, 5, 1}) << U(0) << renewed;
    QTest::newRow("95") << V({1, 4, 0}) << U(0) << renewed;
    QTest::newRow("10.0") << V({2, 10, 0}) << U(0) << renewed;
    QTest::newRow("Failed") << V() << U(0) << renewed;
}

void TestPrimelet::sequence() {
    QFETCH(std::optional<VersionRecord>, version);
    QFETCH(std::optional<std::uint32_t>, enableLua);
    QFETCH(QStringList, expected);
    FakePlatform platform;
    platform.version = version;
    platform.enableLua = enableLua;
    frmPrimelet form(platform, ProgramFolder);
    form.Form_Load();

    QCOMPARE(steps(platform), expected);
    QCOMPARE(platform.mostRunningAtOnce, 1);
    QVERIFY(!form.splash().isVisible());
}

void TestPrimelet::toolStartedWhateverFailed() {
    // Registration cannot start: the routine ends, and the tool is started even so.
    FakePlatform noRegistration;
    noRegistration.version = VersionRecord{2, 6, 0};
    noRegistration.enableLua = 0;
    noRegistration.unstartablePrograms = {L"regsvr32"};
    frmPrimelet first(noRegistration, ProgramFolder);
    first.Form_Load();
    QCOMPARE(steps(noRegistration),
             (QStringList{u"start regsvr32 /u /s mswinsck.ocx [2]"_s, ToolStart}));

    // Every shortcut step fails: the tool is started even so, from a root folder.
    FakePlatform noShortcuts;
    noShortcuts.foldersThrow = true;
    noShortcuts.shortcutStepsThrow = true;
    frmPrimelet second(noShortcuts, L"C:\\");
    second.Form_Load();
    QCOMPARE(noShortcuts.entries(u"start"_s), QStringList{u"start C:\\\\Pelorin [1]"_s});

    // The tool itself cannot be started: no message, the windows close all the same.
    FakePlatform noTool;
    noTool.unstartablePrograms = {ProgramFolder + L"\\Pelorin"};
    frmPrimelet third(noTool, ProgramFolder);
    third.Form_Load();
    QCOMPARE(noTool.entries(u"start"_s), QStringList{ToolStart});
    QVERIFY(!third.splash().isVisible());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void TestPrimelet::splashClosesEarlyOnClick() {
    FakePlatform platform;
    platform.version = VersionRecord{2, 6, 0};
    platform.enableLua = 0;
    platform.pollsUntilEnded = 4;
    frmPrimelet form(platform, ProgramFolder);
    QStringList splashAtStarts;
    platform.onLog = [&](const QString& line) {
        if (line == u"start regsvr32 /u /s mswinsck.ocx [2]"_s) {
            // Delivered only when the sequence lets events through: while it waits.
            QTimer::singleShot(0, &form.splash(), [&form] {
                QTest::mouseClick(&form.splash(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
            });
        }
        if (line.startsWith(u"start"_s))
            splashAtStarts << (form.splash().isVisible() ? u"shown"_s : u"closed"_s);
    };
    form.Form_Load();

    // Shown for the first command, closed while it ran; the sequence went on to its end.
    QCOMPARE(splashAtStarts, QStringList{u"shown"_s} << QStringList(6, u"closed"_s));
    QCOMPARE(steps(platform), registrationSteps() << ToolStart);
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(TestPrimelet)
#include "tst_primelet.moc"
