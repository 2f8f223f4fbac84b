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
using pelorin::testing::FakePlatform;

Q_DECLARE_METATYPE(std::optional<postinstall::VersionRecord>)

class TestPrimelet : public QObject {
    Q_OBJECT

private slots:
    void sequence_data();
    void sequence();
    void splashKeys_data();
    void splashKeys();
};

void TestPrimelet::sequence_data() {
    QTest::addColumn<std::optional<postinstall::VersionRecord>>("version");
    QTest::addColumn<int>("enableLua");
    QTest::addColumn<int>("fault"); // 1: no regsvr32, 2: shortcut steps fail, 3: no tool, 4: click
    QTest::addColumn<QStringList>("expected");
    const std::optional<postinstall::VersionRecord> vista{{2, 6, 0}}, xp{{2, 5, 1}};
    const QString tool = u"start C:\\Program Files\\Pelorin\\Pelorin [1]"_s;
    QStringList registered;
    for (const char* control : {"mswinsck", "mscomctl", "msinet"}) {
        for (const char* option : {"/u /s", "/s"}) {
            const QString line = u"regsvr32 %1 %2.ocx"_s.arg(QLatin1String(option), control);
            registered << u"start %1 [2]"_s.arg(line) << u"ended %1"_s.arg(line);
        }
    }
    const QString desktop = u"C:\\Users\\taro\\Desktop\\ペロリン.lnk"_s;
    const QString start = u"C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk"_s;
    const QStringList renewed{u"delete "_s + desktop, u"delete "_s + start, u"save "_s + desktop,
                              u"save "_s + start, tool};
    // Each command only after the previous one has ended; the tool started whatever failed.
    QTest::newRow("VISTA, UAC off") << vista << 0 << 0 << (QStringList(registered) << tool);
    QTest::newRow("VISTA, UAC on") << vista << 1 << 0 << QStringList{tool};
    QTest::newRow("XP") << xp << 0 << 0 << renewed;
    QTest::newRow("Failed") << std::optional<postinstall::VersionRecord>() << 0 << 0 << renewed;
    QTest::newRow("no regsvr32") << vista << 0 << 1 << QStringList{registered[0], tool};
    QTest::newRow("shortcut steps fail") << xp << 0 << 2 << renewed.mid(0, 2) + QStringList{tool};
    QTest::newRow("no tool") << xp << 0 << 3 << renewed;
    // Closed by a click while the first command runs; the sequence goes on to its end.
    QTest::newRow("splash clicked") << vista << 0 << 4 << (QStringList(registered) << tool);
}

void TestPrimelet::sequence() {
    QFETCH(std::optional<postinstall::VersionRecord>, version);
    QFETCH(int, enableLua);
    QFETCH(int, fault);
    timing::setScale(0.01);
    QApplication::setQuitOnLastWindowClosed(false);
    FakePlatform platform;
    platform.version = version;
    platform.enableLua = enableLua;
    platform.unstartable = fault == 1   ? L"regsvr32"
                           : fault == 3 ? L"C:\\Program Files\\Pelorin\\Pelorin"
                                        : L"";
    platform.shortcutStepsThrow = fault == 2;
    frmPrimelet form(platform, L"C:\\Program Files\\Pelorin");
    int startsWhileShown = 0;
    platform.onLog = [&](const QString& line) {
        if (!line.startsWith(u"start"_s) || !form.splash().isVisible())
            return;
        // Delivered only when the sequence lets events through: while it waits.
        if (++startsWhileShown == 1 && fault == 4)
            QTimer::singleShot(0, &form.splash(), [&form] {
                QTest::mouseClick(&form.splash(), Qt::LeftButton, {}, QPoint(20, 20));
            });
    };
    form.Form_Load();

    QTEST(platform.log.filter(QRegularExpression(u"^(start|ended|delete|save) "_s)), "expected");
    QCOMPARE(startsWhileShown, fault == 4 ? 1 : platform.log.filter(u"start"_s).size());
    QVERIFY(platform.mostRunningAtOnce <= 1);
    QVERIFY(!form.splash().isVisible() && !form.isVisible());
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
    frmSplash splash;
    splash.showNow();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&splash, &press);
    QTEST(!splash.isVisible(), "closes");
}

QTEST_MAIN(TestPrimelet)
#include "tst_primelet.moc"
