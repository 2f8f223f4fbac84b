// The tray icon and the desktop notifications, offscreen, against the simulated server on
// loopback. The notifications go over a private session bus that this test starts, to a stand-in
// notification service that records them.
#include "harness.h"

#include "common/ui/application.h"
#include "desktop/traylamp.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QRadioButton>
#include <QTest>

using namespace pelorin;

namespace {

// A session bus of the test's own, with no service that could be started on demand.
class PrivateBus {
public:
    PrivateBus() {
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write(QStringLiteral("<busconfig><type>session</type>"
                                    "<listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                                    "<policy context=\"default\"><allow send_destination=\"*\"/>"
                                    "<allow receive_sender=\"*\"/><allow own=\"*\"/>"
                                    "</policy></busconfig>")
                         .arg(m_dir.path())
                         .toUtf8());
        config.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                        QStringLiteral("--config-file=") + config.fileName()});
        if (m_daemon.waitForReadyRead(10000))
            m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }
    ~PrivateBus() {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }
    const QString& address() const { return m_address; } // empty: no bus

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

// The notification service as far as Pelorin uses it: Notify, recorded.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList bodies;
    QStringList others; // application name, icon and title of each

public Q_SLOTS:
    uint Notify(const QString& appName, uint /*replacesId*/, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& /*actions*/,
                const QVariantMap& /*hints*/, int /*timeout*/) {
        bodies.append(body);
        others.append(appName + u'|' + appIcon + u'|' + summary);
        return uint(bodies.size());
    }
};

// With a MAC to wake and, unless null, the notification setting; `settle` lets the desktop
// companions come, which they do once the first state shows.
struct DesktopScene : Scene {
    explicit DesktopScene(tvsim::Config config = {}, const QString& notify = {}, bool settle = true)
        : Scene(std::move(config), [&] {
              WriteIni(ini::Server, ini::macKey(1), QStringLiteral("00:11:22:33:44:55"));
              if (!notify.isNull())
                  WriteIni(ini::Form, ini::Notify, notify);
          }) {
        if (settle)
            QCoreApplication::processEvents();
    }
};

QRgb iconCentre(const QSystemTrayIcon& icon) {
    const QImage picture = icon.icon().pixmap(22).toImage();
    return picture.pixel(picture.rect().center()) & 0xffffff;
}

enum class Change { MonitorSeesOn, MonitorSeesOff, CommandConfirmed, CommandUnconfirmed };

} // namespace

Q_DECLARE_METATYPE(Change)

class DesktopTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void iconAfterTheFirstState();
    void oneNoticePerChange_data();
    void oneNoticePerChange();
    void noTrayWithoutSystemTray();
    void trayFollowsLampAndDrivesServer();
    void trayShowsAndHidesTheNamedWindow();

private:
    std::unique_ptr<PrivateBus> m_bus;
    NotificationService m_service;
};

void DesktopTest::initTestCase() {
    m_bus = std::make_unique<PrivateBus>();
    if (m_bus->address().isEmpty())
        QSKIP("dbus-daemon is not installed (scripts/install-deps.sh)");
    // Before anything in this process asks for the session bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toUtf8());
    QDBusConnection service =
        QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("notification service"));
    QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_service,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
}

void DesktopTest::iconAfterTheFirstState() {
    ui::setUpApplication(ui::SetUpTiming::Deferred);
    QVERIFY(QApplication::windowIcon().isNull());
    DesktopScene scene({}, {}, false);
    QCOMPARE(scene.window->statusText(), QStringLiteral("サーバー:ON"));
    QVERIFY(QApplication::windowIcon().isNull());
    QCoreApplication::processEvents();
    QVERIFY(!QApplication::windowIcon().isNull());
}

void DesktopTest::oneNoticePerChange_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("notify"); // Form/Notify; null: not in the file
    QTest::addColumn<QString>("body");   // empty: no notice at all
    QTest::newRow("monitor sees it start")
        << Change::MonitorSeesOn << QString() << QStringLiteral("TVサーバーが起動しました。");
    QTest::newRow("monitor sees it stop")
        << Change::MonitorSeesOff << QString() << QStringLiteral("TVサーバーが停止しました。");
    QTest::newRow("command confirmed") << Change::CommandConfirmed << QStringLiteral("1")
                                       << QStringLiteral("TVサーバーを休止状態にしました。");
    QTest::newRow("command not confirmed")
        << Change::CommandUnconfirmed << QString()
        << QStringLiteral("TVサーバーの休止を確認できませんでした。");
    QTest::newRow("switched off") << Change::MonitorSeesOn << QStringLiteral("0") << QString();
}

void DesktopTest::oneNoticePerChange() {
    QFETCH(Change, change);
    QFETCH(QString, notify);
    QFETCH(QString, body);
    m_service.bodies.clear();
    m_service.others.clear();
    tvsim::Config config;
    config.startOn = change != Change::MonitorSeesOn;
    config.encoding = change == Change::CommandUnconfirmed; // the server stays on
    DesktopScene scene(config, notify);

    switch (change) {
    case Change::MonitorSeesOn:
    case Change::MonitorSeesOff:
        scene.server->setOn(change == Change::MonitorSeesOn);
        scene.window->timPeriodic_Timer();
        break;
    case Change::CommandConfirmed:
    case Change::CommandUnconfirmed:
        scene.window->option2()->click();
        break;
    }
    // Start-up's own state was no change; a second look finds none either.
    scene.window->timPeriodic_Timer();
    if (body.isEmpty()) {
        QTest::qWait(100);
        QCOMPARE(m_service.bodies, QStringList());
        return;
    }
    QTRY_COMPARE(m_service.bodies, QStringList{body});
    QCOMPARE(m_service.others, QStringList{QStringLiteral("ペロリン|pelorin|ペロリン")});
    QTest::qWait(50);
    QCOMPARE(m_service.bodies.size(), 1);
}

void DesktopTest::noTrayWithoutSystemTray() {
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable()); // the offscreen desktop has none
    DesktopScene scene;
    QVERIFY(!scene.window->trayLamp());
    QCOMPARE(scene.window->statusText(), QStringLiteral("サーバー:ON"));
    scene.window->option2()->click();
    QVERIFY(!scene.server->isOn());
}

void DesktopTest::trayFollowsLampAndDrivesServer() {
    DesktopScene scene;
    frmMain& window = *scene.window;
    TrayLamp tray(window, window.serverState());
    QCOMPARE(iconCentre(tray.icon()), frmMain::Green);
    QCOMPARE(tray.icon().toolTip(), QStringLiteral("サーバー:ON"));
    QVERIFY(tray.onAction()->isChecked());

    // It blinks with the lamp's own steps.
    window.Lamp_BLINK();
    window.timLamp_Timer();
    QCOMPARE(iconCentre(tray.icon()), frmMain::White);
    window.timLamp_Timer();
    QCOMPARE(iconCentre(tray.icon()), frmMain::Red);

    tray.offAction()->trigger();
    QVERIFY(!scene.server->isOn());
    QCOMPARE(iconCentre(tray.icon()), frmMain::White);
    QCOMPARE(tray.icon().toolTip(), QStringLiteral("サーバー:OFF"));
    QVERIFY(tray.offAction()->isChecked());
    QVERIFY(window.option2()->isChecked());

    tray.onAction()->trigger();
    QTRY_VERIFY(scene.server->isOn());
    QCOMPARE(iconCentre(tray.icon()), frmMain::Green);
    QVERIFY(window.option1()->isChecked());

    // While a selection is suppressed, the menu starts nothing, as the option buttons do not.
    window.SuppressClick = true;
    tray.offAction()->trigger();
    window.SuppressClick = false;
    QTest::qWait(20);
    QVERIFY(scene.server->isOn());
}

void DesktopTest::trayShowsAndHidesTheNamedWindow() {
    DesktopScene scene;
    frmMain& window = *scene.window;
    TrayLamp tray(window, window.serverState());
    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    QVERIFY(!window.isVisible());
    emit tray.menu()->aboutToShow();
    QCOMPARE(tray.showAction()->text(), QStringLiteral("表示(&S)"));
    tray.showAction()->trigger();
    QVERIFY(window.isVisible());

    window.MIcon_Click(); // Form/Show is "Button" now: the click is the floating button's
    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    QVERIFY(!window.floatingButton()->isVisible());
    QVERIFY(!window.isVisible());
    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    QVERIFY(window.floatingButton()->isVisible());

    window.move(30, 40);
    tray.endAction()->trigger();
    QCOMPARE(scene.harness.programEnds, 1);
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Main_Top")), QStringLiteral("600"));
}

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
