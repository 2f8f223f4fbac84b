// The post-install sequence and its splash window, offscreen, against the fake platform layer.

#include "common/timing.h"
#include "fakeplatform.h"
#include "postinstall/frmprimelet.h"
#include "postinstall/frmsplash.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace pelorin;
using pelorin::testing::FakePlatform;

class TestPrimelet : public QObject {
    Q_OBJECT

private slots:
    // Each command only after the previous one has ended; the tool started whatever failed; a
    // click while the first command runs closes the splash, and the sequence goes on.
    void sequence_data() {
        QTest::addColumn<int>("major"); // of Windows NT x.1
        QTest::addColumn<int>("fault"); // 1: no regsvr32, 2: splash clicked, 3: UAC on
        QTest::addColumn<QStringList>("expected");
        const QString tool = u"start C:\\Program Files\\Pelorin\\Pelorin [1]"_s;
        QStringList registered;
        for (const QString& control : {u"mswinsck"_s, u"mscomctl"_s, u"msinet"_s})
            for (const QString& line :
                 {u"regsvr32 /u /s "_s + control, u"regsvr32 /s "_s + control})
                registered << u"start %1.ocx [2]"_s.arg(line) << u"ended %1.ocx"_s.arg(line);
        QTest::newRow("VISTA, UAC off") << 6 << 0 << (QStringList(registered) << tool);
        QTest::newRow("VISTA, UAC on") << 6 << 3 << QStringList{tool};
        QTest::newRow("XP") << 5 << 0 << testing::ShortcutSteps + QStringList{tool};
        QTest::newRow("no regsvr32") << 6 << 1 << QStringList{registered[0], tool};
        QTest::newRow("splash clicked") << 6 << 2 << (QStringList(registered) << tool);
    }

    void sequence() {
        QFETCH(int, major);
        QFETCH(int, fault);
        timing::setScale(0.01);
        QApplication::setQuitOnLastWindowClosed(false);
        FakePlatform platform;
        platform.version = postinstall::VersionRecord{2, std::uint32_t(major), 1};
        platform.enableLua = fault == 3;
        platform.unstartable = fault == 1 ? L"regsvr32" : L"";
        frmPrimelet form(platform, L"C:\\Program Files\\Pelorin");
        int startsWhileShown = 0;
        platform.onLog = [&](const QString& line) {
            // A click is delivered only when the sequence lets events through: while it waits.
            if (line.startsWith(u"start"_s) && form.splash().isVisible() &&
                ++startsWhileShown == 1 && fault == 2)
                QTimer::singleShot(0, &form.splash(), [&form] {
                    QTest::mouseClick(&form.splash(), Qt::LeftButton, {}, QPoint(20, 20));
                });
        };
        form.Form_Load();
        QTEST(platform.log.filter(QRegularExpression(u"^(start|ended|delete|save) "_s)),
              "expected");
        QCOMPARE(startsWhileShown, fault == 2 ? 1 : platform.log.filter(u"start"_s).size());
        QVERIFY(!form.splash().isVisible() && !form.isVisible());
    }

    // A bare modifier key leaves the splash open; any other key closes it.
    void splashKeys_data() {
        QTest::addColumn<int>("key");
        for (const int key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta,
                              Qt::Key_AltGr, Qt::Key_CapsLock, Qt::Key_A})
            QTest::newRow(QMetaEnum::fromType<Qt::Key>().valueToKey(key)) << key;
    }

    void splashKeys() {
        QFETCH(int, key);
        frmSplash splash;
        splash.showNow();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&splash, &press);
        QCOMPARE(splash.isVisible(), key != Qt::Key_A);
    }
};

QTEST_MAIN(TestPrimelet)
#include "tst_primelet.moc"
