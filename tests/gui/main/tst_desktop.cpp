// The tray icon and the desktop notifications, offscreen, against the simulated server on
// loopback. The notifications go over a private session bus that this test starts, to a stand-in
// notification service that records them.
#include "harness.h"

#include "common/ui/application.h"
#include "desktop/traylamp.h"

#include <QAction>
#include <QDBusConnection>
#include <QProcess>
#include <QRadioButton>
#include <QTest>

using namespace pelorin;

namespace {

// The notification service as far as Pelorin uses it: Notify, recorded.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList notices; // application name, icon, title and body of each

public Q_SLOTS:
    uint Notify(const QString& appName, uint, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int) {
        notices.append(QStringList{appName, appIcon, summary, body}.join(u'|'));
        return uint(notices.size());
    }
};

QRgb iconCentre(const QSystemTrayIcon& icon) {
    const QImage picture = icon.icon().pixmap(22).toImage();
    return picture.pixel(picture.rect().center()) & 0xffffff;
}

enum Change { MonitorSeesOn, MonitorSeesOff, CommandConfirmed, CommandUnconfirmed };

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void oneNoticePerChange_data();
    void oneNoticePerChange();
    void trayFollowsLampAndDrivesServer();

private:
    QTemporaryDir m_busDir;
    QProcess m_bus; // a session bus of the test's own, with no service started on demand
    NotificationService m_service;
};

void DesktopTest::initTestCase() {
    QFile config(m_busDir.filePath(QStringLiteral("bus.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                "<auth>EXTERNAL</auth><policy context=\"default\">"
                                "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/>"
                                "<allow own=\"*\"/></policy></busconfig>")
                     .arg(m_busDir.path())
                     .toUtf8());
    config.close();
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                 QStringLiteral("--config-file=") + config.fileName()});
    if (!m_bus.waitForReadyRead(10000))
        QSKIP("dbus-daemon is not installed (scripts/install-deps.sh)");
    const QString address = QString::fromUtf8(m_bus.readLine().trimmed());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8()); // before anything here asks for it
    QDBusConnection service = QDBusConnection::connectToBus(address, QStringLiteral("service"));
    QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_service,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
}

void DesktopTest::cleanupTestCase() {
    m_bus.terminate();
    m_bus.waitForFinished(5000);
}

void DesktopTest::oneNoticePerChange_data() {
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("notify"); // Form/Notify; null: not in the file
    QTest::addColumn<QString>("body");   // empty: no notice at all
    QTest::newRow("monitor sees it start") << int(MonitorSeesOn) << QString() << "が起動しました。";
    QTest::newRow("monitor sees it stop") << int(MonitorSeesOff) << QString() << "が停止しました。";
    QTest::newRow("command confirmed")
        << int(CommandConfirmed) << QStringLiteral("1") << "を休止状態にしました。";
    QTest::newRow("command not confirmed")
        << int(CommandUnconfirmed) << QString() << "の休止を確認できませんでした。";
    QTest::newRow("switched off") << int(MonitorSeesOn) << QStringLiteral("0") << QString();
}

void DesktopTest::oneNoticePerChange() {
    QFETCH(int, change);
    QFETCH(QString, notify);
    QFETCH(QString, body);
    m_service.notices.clear();
    tvsim::Config config;
    config.startOn = change != MonitorSeesOn;
    config.encoding = change == CommandUnconfirmed; // the server stays on
    Scene scene(config, [&](Scene&) {
        if (!notify.isNull())
            WriteIni(ini::Form, ini::Notify, notify);
    });
    QCoreApplication::processEvents(); // the notices come once the first state shows
    if (change == MonitorSeesOn || change == MonitorSeesOff) {
        scene.server->setOn(change == MonitorSeesOn);
        scene.window->timPeriodic_Timer();
    } else {
        scene.window->option2()->click();
    }
    // Start-up's own state was no change; a second look finds none either.
    scene.window->timPeriodic_Timer();
    QTest::qWait(100);
    QCOMPARE(m_service.notices, body.isEmpty()
                                    ? QStringList()
                                    : QStringList{"ペロリン|pelorin|ペロリン|TVサーバー" + body});
}

// Neither the program icon nor the tray may delay the first state on the screen. The tray's icon
// and menu follow the lamp and switch the real server, except while a selection is suppressed;
// its click shows and hides whichever window Form/Show names.
void DesktopTest::trayFollowsLampAndDrivesServer() {
    ui::setUpApplication(ui::SetUpTiming::Deferred);
    Scene scene;
    frmMain& window = *scene.window;
    QVERIFY(QApplication::windowIcon().isNull());
    QCoreApplication::processEvents();
    QVERIFY(!QApplication::windowIcon().isNull());
    QVERIFY(!window.trayLamp()); // the offscreen desktop has no system tray
    TrayLamp tray(window, window.serverState());
    QCOMPARE(iconCentre(tray.icon()), frmMain::Green);
    tray.offAction()->trigger();
    QVERIFY(!scene.server->isOn());
    QCOMPARE(iconCentre(tray.icon()), frmMain::White);
    QVERIFY(tray.offAction()->isChecked() && window.option2()->isChecked());
    window.Lamp_BLINK(); // with the lamp's own steps: from the dark lamp, red first
    window.timLamp_Timer();
    QCOMPARE(iconCentre(tray.icon()), frmMain::Red);
    tray.onAction()->trigger();
    QTRY_VERIFY(scene.server->isOn());
    window.SuppressClick = true;
    tray.offAction()->trigger();
    window.SuppressClick = false;
    QTest::qWait(20);
    QVERIFY(scene.server->isOn());

    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    QVERIFY(!window.isVisible());
    tray.showAction()->trigger();
    QVERIFY(window.isVisible());
    window.MIcon_Click();
    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    QVERIFY(!window.floatingButton()->isVisible() && !window.isVisible());
    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    QVERIFY(window.floatingButton()->isVisible());
}

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
