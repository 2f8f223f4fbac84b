// The post-install sequence and its splash window, offscreen, against the fake platform layer.

#include "common/timing.h"
#include "fakeplatform.h"
#include "postinstall/frmprimelet.h"
#include "postinstall/frmsplash.h"

#include <QApplication>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace pelorin;
using pelorin::postinstall::VersionRecord;
using pelorin::testing::FakePlatform;

Q_DECLARE_METATYPE(std::optional<VersionRecord>)

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
            const QString line = u"regsvr32 %1 %2.ocx"_s.arg(QLatin1String(option), control);
            expected << u"start %1 [2]"_s.arg(line) << u"ended %1"_s.arg(line);
        }
    }
    return expected;
}

} // namespace

class TestPrimelet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sequence_data();
    void sequence();
    void splashClosesEarlyOnClick();
    void splashKeys_data();
    void splashKeys();
};

void TestPrimelet::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    timing::setScale(0.01);
}

void TestPrimelet::sequence_data() {
    QTest::addColumn<std::optional<VersionRecord>>("version");
    QTest::addColumn<std::uint32_t>("enableLua");
    QTest::addColumn<QString>("unstartable");
    QTest::addColumn<QStringList>("expected");
    const std::optional<VersionRecord> vista = VersionRecord{2, 6, 0};
    const QString desktop = u"C:\\Users\\taro\\Desktop\\ペロリン.lnk"_s;
    const QString start = u"C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk"_s;
    const QStringList renewed{u"delete "_s + desktop, u"delete "_s + start, u"save "_s + desktop,
                              u"save "_s + start, ToolStart};
    // Each command only after the previous one has ended; the tool started whatever failed.
    QTest::newRow("VISTA, UAC off")
        << vista << 0u << QString() << (registrationSteps() << ToolStart);
    QTest::newRow("VISTA, UAC on") << vista << 1u << QString() << QStringList{ToolStart};
    QTest::newRow("XP") << std::optional(VersionRecord{2, 5, 1}) << 0u << QString() << renewed;
    QTest::newRow("Failed") << std::optional<VersionRecord>() << 0u << QString() << renewed;
    QTest::newRow("no regsvr32") << vista << 0u << u"regsvr32"_s
                                 << QStringList{u"start regsvr32 /u /s mswinsck.ocx [2]"_s,
                                                ToolStart};
    QTest::newRow("shortcut steps fail")
        << std::optional(VersionRecord{2, 5, 1}) << 0u << u"!"_s << QStringList{ToolStart};
    QTest::newRow("no tool") << std::optional(VersionRecord{2, 5, 1}) << 0u
                             << u"C:\\Program Files\\Pelorin\\Pelorin"_s << renewed;
}

void TestPrimelet::sequence() {
    QFETCH(std::optional<VersionRecord>, version);
    QFETCH(std::uint32_t, enableLua);
    QFETCH(QString, unstartable);
    QFETCH(QStringList, expected);
    FakePlatform platform;
    platform.version = version;
    platform.enableLua = enableLua;
    platform.unstartablePrograms = {unstartable.toStdWString()};
    platform.foldersThrow = platform.shortcutStepsThrow = unstartable == u"!"_s;
    frmPrimelet form(platform, ProgramFolder);
    form.Form_Load();

    QCOMPARE(steps(platform), expected);
    QVERIFY(platform.mostRunningAtOnce <= 1);
    QVERIFY(!form.splash().isVisible());
    QVERIFY(!form.isVisible());
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
}

void TestPrimelet::splashKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Shift") << int(Qt::Key_Shift) << false;
    QTest::newRow("Meta") << int(Qt::Key_Meta) << false;
    QTest::newRow("AltGr") << int(Qt::Key_AltGr) << false;
    QTest::newRow("CapsLock") << int(Qt::Key_CapsLock) << false;
    QTest::newRow("A") << int(Qt::Key_A) << true;
}

// A bare modifier key leaves the splash open; any other key closes it.
void TestPrimelet::splashKeys() {
    QFETCH(int, key);
    QFETCH(bool, closes);
    frmSplash splash;
    splash.showNow();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&splash, &press);
    QCOMPARE(splash.isVisible(), !closes);
}

QTEST_MAIN(TestPrimelet)
#include "tst_primelet.moc"
