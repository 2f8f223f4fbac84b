// The ON and OFF option buttons and the floating button, offscreen, against the simulated
// server on loopback with waits scaled down.
#include "harness.h"

#include "button/frmdesign.h"

#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

using namespace pelorin;

namespace {

// Counts only what the buttons send, not start-up's own requests.
struct ButtonScene : Scene {
    explicit ButtonScene(tvsim::Config config = {}, bool mac = false)
        : Scene(std::move(config), [mac](Scene&) {
              if (mac)
                  WriteIni(ini::Server, ini::macKey(1), QStringLiteral("00:11:22:33:44:55"));
          }) {
        server->clearRecords();
    }
};

// Whether the screen shows both option buttons as they are: the window as shown, compared with
// the same window painted afresh.
bool optionsShownAsTheyAre(frmMain& window) {
    QApplication::processEvents();
    const auto shown = [&window] {
        QImage screen = window.screen()->grabWindow(window.winId()).toImage();
        QList<QImage> parts;
        for (QRadioButton* const option : {window.option1(), window.option2()})
            parts.append(screen.copy(QRect(option->mapTo(&window, QPoint()), option->size())));
        return parts;
    };
    const QList<QImage> before = shown();
    window.repaint();
    return shown() == before;
}

} // namespace

class PowerButtonsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void command_data();
    void command();
    void otherOptionIgnoredWhileRunning();
    void floatingButton();
    void floatingButtonMenu();
};

void PowerButtonsTest::command_data() {
    QTest::addColumn<bool>("startOn");
    QTest::addColumn<bool>("encoding");
    QTest::addColumn<bool>("mac");
    QTest::addColumn<bool>("on"); // the option clicked, and the state it should end in
    QTest::addColumn<bool>("ends");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("datagrams");
    QTest::newRow("ON wakes") << false << false << true << true << true << 0 << 6;
    // The command's message, then the details dialog's note that no address is known.
    QTest::newRow("ON without MAC") << false << false << false << true << false << 2 << 0;
    QTest::newRow("OFF hibernates") << true << false << false << false << false << 0 << 0;
    QTest::newRow("OFF while encoding") << true << true << false << false << true << 1 << 0;
}

void PowerButtonsTest::command() {
    QFETCH(bool, startOn);
    QFETCH(bool, encoding);
    QFETCH(bool, mac);
    QFETCH(bool, on);
    QFETCH(bool, ends);
    QFETCH(int, messages);
    QFETCH(int, datagrams);
    tvsim::Config config;
    config.startOn = startOn;
    config.encoding = encoding;
    config.wakeDelayMs = 30;
    ButtonScene scene(config, mac);
    frmMain& window = *scene.window;
    // The command runs inside the button's own click handling; while the details dialog is
    // open, the options on the screen show the selection as it is.
    bool shownWithDetailsOpen = false;
    scene.harness.dialogScript.push_back([&](QDialog& dialog) {
        shownWithDetailsOpen = optionsShownAsTheyAre(window);
        dialog.close();
    });
    QTest::mouseClick(on ? window.option1() : window.option2(), Qt::LeftButton);
    QCOMPARE(window.serverState().serverOn(), ends);
    QCOMPARE(window.option1()->isChecked(), ends);
    QCOMPARE(window.statusText(),
             ends ? QStringLiteral("サーバー:ON") : QStringLiteral("サーバー:OFF"));
    QCOMPARE(window.lampColour(), ends ? frmMain::Green : frmMain::White);
    QCOMPARE(scene.server->isOn(), ends);
    QCOMPARE(scene.harness.messages.size(), messages);
    QVERIFY(window.periodicTimer().isActive());
    QCOMPARE(scene.harness.dialogsOpened.size(), on && !mac ? 1 : 0);
    QCOMPARE(shownWithDetailsOpen, on && !mac);
    QTest::qWait(20);
    const auto sent = scene.server->datagrams();
    QCOMPARE(sent.size(), datagrams);
    for (qsizetype i = 0; i < sent.size(); ++i) {
        QCOMPARE(sent.at(i).port, scene.server->wolPorts().at(i % 2));
        QVERIFY(tvsim::isMagicPacketFor(sent.at(i).bytes, QStringLiteral("00:11:22:33:44:55")));
    }
}

void PowerButtonsTest::otherOptionIgnoredWhileRunning() {
    tvsim::Config config;
    config.encoding = true; // OFF keeps probing for a while
    ButtonScene scene(config);
    bool clickedDuringCommand = false;
    QTimer::singleShot(timing::scaled(PowerCommands::ShortWaitMs) + 20, [&] {
        clickedDuringCommand = scene.window->powerCommands().isRunning();
        scene.window->option1()->click();
        QVERIFY(scene.window->option2()->isChecked()); // put back at once
    });
    scene.window->option2()->click();
    QVERIFY(clickedDuringCommand);
    QCOMPARE(scene.server->datagrams().size(), 0); // no ON command inside the OFF command
}

void PowerButtonsTest::floatingButton() {
    ButtonScene scene;
    frmDesign* const button = scene.window->floatingButton();
    QLabel* const key = button->picture1();
    button->show();
    // A drag, even an exactly horizontal one, moves the button and switches nothing.
    const QPoint start = button->pos();
    const auto send = [key](QEvent::Type type, QPoint pos, Qt::MouseButton b, Qt::MouseButtons bs) {
        QMouseEvent event(type, pos, key->mapToGlobal(pos), b, bs, Qt::NoModifier);
        QApplication::sendEvent(key, &event);
    };
    send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {20, 10}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {20, 10}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(button->pos(), start + QPoint(10, 0));
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Button_Left")), QString::number(button->x() * 15));
    // A blinking lamp lets no click through.
    scene.window->Lamp_BLINK();
    QTest::mouseClick(key, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(button->pointer(), KeyPointer::Hourglass);
    QTest::qWait(20);
    QVERIFY(scene.server->requests().isEmpty());
    scene.window->Lamp_ON();

    QTest::mouseClick(key, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!scene.server->isOn());
    QCOMPARE(button->face(), KeyFace::OffRaised);
    QCOMPARE(button->pointer(), KeyPointer::Default);

    // By keyboard and by assistive technology's press action, as by a click.
    QAccessibleInterface* const access = QAccessible::queryAccessibleInterface(key);
    QCOMPARE(access->text(QAccessible::Description), QStringLiteral("OFF"));
    access->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(scene.server->isOn());
    QCOMPARE(access->text(QAccessible::Description), QStringLiteral("ON"));
    QTest::keyClick(key, Qt::Key_Space);
    QVERIFY(!scene.server->isOn());
    int menus = 0;
    button->setMenuPopup([&menus](QMenu&, QPoint) { ++menus; });
    QTest::keyClick(key, Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(menus, 1);
}

void PowerButtonsTest::floatingButtonMenu() {
    ButtonScene scene;
    frmDesign* const button = scene.window->floatingButton();
    scene.window->MIcon_Click();
    QVERIFY(!scene.window->isVisible() && button->isVisible());
    QCOMPARE(ReadIni(ini::Form, ini::Show), QStringLiteral("Button"));
    button->formAction()->trigger();
    QVERIFY(scene.window->isVisible() && !button->isVisible());
    QCOMPARE(ReadIni(ini::Form, ini::Show), QStringLiteral("Form"));

    scene.window->move(30, 40);
    scene.window->MIcon_Click();
    button->endAction()->trigger();
    QVERIFY(!button->isVisible());
    QCOMPARE(scene.harness.programEnds, 1);
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Main_Top")), QStringLiteral("600"));
}

QTEST_MAIN(PowerButtonsTest)
#include "tst_powerbuttons.moc"
