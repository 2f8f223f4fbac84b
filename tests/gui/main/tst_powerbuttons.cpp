// The ON and OFF option buttons and the floating button, offscreen, against the simulated
// server on loopback with waits scaled down.
#include "harness.h"

#include "button/frmdesign.h"

#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

using namespace pelorin;

namespace {

// Whether the screen shows both option buttons as they are: the window as shown, compared with
// the same window painted afresh.
bool optionsShownAsTheyAre(frmMain& window) {
    QApplication::processEvents();
    const auto shown = [&window] {
        const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
        return screen.copy(
            window.option1()
                ->geometry()
                .united(window.option2()->geometry())
                .translated(window.option1()->parentWidget()->mapTo(&window, QPoint())));
    };
    const QImage before = shown();
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
};

void PowerButtonsTest::command_data() {
    QTest::addColumn<bool>("on"); // the option clicked; the server starts in the other state
    QTest::addColumn<bool>("mac");
    QTest::addColumn<bool>("encoding");
    QTest::addColumn<bool>("ends"); // the state it should end in
    QTest::addColumn<int>("messages");
    QTest::newRow("ON wakes") << true << true << false << true << 0;
    // The command's message, then the details dialog's note that no address is known.
    QTest::newRow("ON without MAC") << true << false << false << false << 2;
    QTest::newRow("OFF hibernates") << false << false << false << false << 0;
    QTest::newRow("OFF while encoding") << false << false << true << true << 1;
}

void PowerButtonsTest::command() {
    QFETCH(bool, on);
    QFETCH(bool, mac);
    QFETCH(bool, encoding);
    QFETCH(bool, ends);
    QFETCH(int, messages);
    tvsim::Config config;
    config.startOn = !on;
    config.encoding = encoding;
    config.wakeDelayMs = 30;
    Scene scene(config, [mac](Scene&) {
        if (mac)
            WriteIni(ini::Server, ini::macKey(1), QStringLiteral("00:11:22:33:44:55"));
    });
    frmMain& window = *scene.window;
    // The command runs inside the button's own click handling; while the details dialog is
    // open, the options on the screen show the selection as it is.
    bool shownWithDetailsOpen = false;
    scene.harness.dialogScript.push_back([&](QDialog& dialog) {
        shownWithDetailsOpen = optionsShownAsTheyAre(window);
        dialog.close();
    });
    QTest::mouseClick(on ? window.option1() : window.option2(), Qt::LeftButton);
    QCOMPARE(window.option1()->isChecked(), ends);
    QCOMPARE(window.statusText(),
             ends ? QStringLiteral("サーバー:ON") : QStringLiteral("サーバー:OFF"));
    QCOMPARE(scene.server->isOn(), ends);
    QCOMPARE(scene.harness.messages.size(), messages);
    QVERIFY(window.periodicTimer().isActive());
    QCOMPARE(shownWithDetailsOpen, on && !mac);
    QTest::qWait(20);
    QCOMPARE(scene.server->datagrams().size(), on && mac ? 6 : 0);
}

void PowerButtonsTest::otherOptionIgnoredWhileRunning() {
    tvsim::Config config;
    config.encoding = true; // OFF keeps probing for a while
    Scene scene(config);
    bool clickedDuringCommand = false;
    QTimer::singleShot(timing::scaled(PowerCommands::ShortWaitMs) + 20, [&] {
        clickedDuringCommand = scene.window->powerCommands().isRunning();
        scene.window->option1()->click();
        QVERIFY(scene.window->option2()->isChecked()); // put back at once
    });
    scene.window->option2()->click();
    QVERIFY(clickedDuringCommand);
    QCOMPARE(scene.harness.dialogs, 0); // no ON command (with its details dialog) inside the OFF
}

// The key switches the real server by click, by assistive technology's press action and by
// keyboard; Shift+F10 opens its menu, whose items switch between it and the window or end.
void PowerButtonsTest::floatingButton() {
    Scene scene;
    frmDesign* const button = scene.window->floatingButton();
    QLabel* const key = button->picture1();
    button->show();
    QTest::mouseClick(key, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!scene.server->isOn());
    QCOMPARE(button->face(), KeyFace::OffRaised);
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
