// The ON and OFF option buttons and the floating button, offscreen, against the simulated
// server on loopback with waits scaled down.
#include "harness.h"

#include "button/frmdesign.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

using namespace pelorin;

namespace {

// The power-button tests count only what the buttons send, not start-up's own requests.
struct ButtonScene : Scene {
    explicit ButtonScene(tvsim::Config config = {}) : Scene(std::move(config)) {
        server->clearRecords();
    }
};

void sendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), target->mapToGlobal(QPointF(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

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

void dragKey(QWidget* key, QPoint from, QPoint to) {
    sendMouse(key, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    sendMouse(key, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(key, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

} // namespace

class PowerButtonsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void onWakesServer();
    void onWithoutUsableMac();
    void selectionShownWhileRunning();
    void offHibernates();
    void offRefusedByEncoder();
    void offWithoutAnswer();
    void otherOptionIgnoredWhileRunning();
    void suppressedSelectionRunsNothing();
    void floatingButtonClickSwitches();
    void floatingButtonDragDoesNotSwitch();
    void floatingButtonIgnoresClicksWhileBlinking();
    void floatingButtonMenu();
    void floatingButtonByKeyboard();
};

void PowerButtonsTest::onWakesServer() {
    tvsim::Config config;
    config.startOn = false;
    config.wakeDelayMs = 30;
    ButtonScene scene(config);
    WriteIni(ini::Server, ini::macKey(1), QStringLiteral("00:11:22:33:44:55"));
    QVERIFY(scene.window->option2()->isChecked());

    scene.window->option1()->click();
    QCOMPARE(scene.window->lampColour(), frmMain::Green);
    QCOMPARE(scene.window->statusText(), QStringLiteral("サーバー:ON"));
    QVERIFY(scene.window->serverState().serverOn());
    QVERIFY(scene.window->periodicTimer().isActive());
    const auto datagrams = scene.server->datagrams();
    QCOMPARE(datagrams.size(), 6);
    for (qsizetype i = 0; i < datagrams.size(); ++i) {
        QCOMPARE(datagrams.at(i).port, scene.server->wolPorts().at(i % 2));
        QCOMPARE(datagrams.at(i).bytes.size(), 102);
        QVERIFY(
            tvsim::isMagicPacketFor(datagrams.at(i).bytes, QStringLiteral("00:11:22:33:44:55")));
    }
}

void PowerButtonsTest::onWithoutUsableMac() {
    tvsim::Config config;
    config.startOn = false;
    ButtonScene scene(config);
    scene.window->option1()->click();
    // The command's message, then the details dialog's own note that no address is known.
    QCOMPARE(scene.harness.messages.size(), 2);
    QCOMPARE(scene.harness.messages.first().first, MessageIcon::Exclamation);
    QVERIFY(scene.harness.messages.last().second.startsWith(
        QStringLiteral("詳細画面上でのMACアドレスについて：")));
    QCOMPARE(scene.harness.dialogsOpened, QStringList{QStringLiteral("pelorin::frmMac")});
    QVERIFY(scene.window->option2()->isChecked());
    QCOMPARE(scene.window->statusText(), QStringLiteral("サーバー:OFF"));
    QVERIFY(scene.window->periodicTimer().isActive());
    QTest::qWait(20);
    QVERIFY(scene.server->datagrams().isEmpty());
}

void PowerButtonsTest::selectionShownWhileRunning() {
    tvsim::Config config;
    config.startOn = false;
    ButtonScene scene(config);
    // A click is handled inside the button's own click handling, and the command runs from
    // there. With no address to wake, OFF is shown selected while the details dialog is open.
    bool shownWithDetailsOpen = false;
    scene.harness.dialogScript.push_back([&](QDialog& dialog) {
        shownWithDetailsOpen = optionsShownAsTheyAre(*scene.window);
        dialog.close();
    });
    QTest::mouseClick(scene.window->option1(), Qt::LeftButton);
    QVERIFY(scene.window->option2()->isChecked());
    QVERIFY(shownWithDetailsOpen);
}

void PowerButtonsTest::offHibernates() {
    ButtonScene scene;
    scene.window->option2()->click();
    QCOMPARE(scene.window->lampColour(), frmMain::White);
    QCOMPARE(scene.window->statusText(), QStringLiteral("サーバー:OFF"));
    QVERIFY(!scene.server->isOn());
    QVERIFY(!scene.window->serverState().serverOn());
    QVERIFY(scene.harness.messages.isEmpty());
    QVERIFY(scene.window->periodicTimer().isActive());
}

void PowerButtonsTest::offRefusedByEncoder() {
    tvsim::Config config;
    config.encoding = true;
    ButtonScene scene(config);
    scene.window->option2()->click();
    QCOMPARE(scene.window->lampColour(), frmMain::Green);
    QVERIFY(scene.window->option1()->isChecked());
    QCOMPARE(scene.window->statusText(), QStringLiteral("サーバー:ON"));
    QCOMPARE(scene.harness.messages.size(), 1);
    QVERIFY(scene.harness.messages.first().second.startsWith(
        QStringLiteral("電源を休止状態にできませんでした。")));
}

void PowerButtonsTest::offWithoutAnswer() {
    ButtonScene scene;
    scene.server->setFault(tvsim::Fault::Hang);
    scene.window->option2()->click();
    QCOMPARE(scene.harness.messageTexts(),
             QStringList{QStringLiteral("応答がありません。すでに休止状態の可能性があります。")});
    QCOMPARE(scene.window->lampColour(), frmMain::White);
    QCOMPARE(scene.window->statusText(), QStringLiteral("サーバー:OFF"));
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

void PowerButtonsTest::suppressedSelectionRunsNothing() {
    ButtonScene scene;
    scene.window->SuppressClick = true;
    scene.window->option2()->setChecked(true);
    scene.window->SuppressClick = false;
    QTest::qWait(20);
    QVERIFY(scene.server->requests().isEmpty());
    QVERIFY(scene.server->isOn());
}

void PowerButtonsTest::floatingButtonClickSwitches() {
    ButtonScene scene;
    frmDesign* button = scene.window->floatingButton();
    QCOMPARE(button->face(), KeyFace::OnRaised);
    QTest::mouseClick(button->picture1(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!scene.server->isOn());
    QCOMPARE(button->face(), KeyFace::OffRaised);
    QCOMPARE(scene.window->serverState().face(), LampFace::Off);
    QCOMPARE(button->pointer(), KeyPointer::Default);
}

void PowerButtonsTest::floatingButtonDragDoesNotSwitch() {
    ButtonScene scene;
    frmDesign* button = scene.window->floatingButton();
    button->show();
    const QPoint start = button->pos();
    dragKey(button->picture1(), QPoint(10, 10), QPoint(20, 10)); // exactly horizontal
    QCOMPARE(button->pos(), start + QPoint(10, 0));
    dragKey(button->picture1(), QPoint(10, 10), QPoint(15, 17));
    QCOMPARE(button->pos(), start + QPoint(15, 7));
    QTest::qWait(20);
    QVERIFY(scene.server->requests().isEmpty());
    QVERIFY(scene.server->isOn());
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Button_Top")), QString::number(button->y() * 15));
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Button_Left")), QString::number(button->x() * 15));
}

void PowerButtonsTest::floatingButtonIgnoresClicksWhileBlinking() {
    ButtonScene scene;
    frmDesign* button = scene.window->floatingButton();
    scene.window->Lamp_BLINK();
    QTest::mouseClick(button->picture1(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(button->pointer(), KeyPointer::Hourglass);
    QTest::qWait(20);
    QVERIFY(scene.server->requests().isEmpty());
}

void PowerButtonsTest::floatingButtonMenu() {
    ButtonScene scene;
    frmDesign* button = scene.window->floatingButton();
    scene.window->MIcon_Click();
    button->formAction()->trigger();
    QVERIFY(scene.window->isVisible());
    QVERIFY(!button->isVisible());
    QCOMPARE(ReadIni(ini::Form, ini::Show), QStringLiteral("Form"));

    scene.window->move(30, 40);
    button->endAction()->trigger();
    QCOMPARE(scene.harness.programEnds, 1);
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Main_Top")), QStringLiteral("600"));
}

void PowerButtonsTest::floatingButtonByKeyboard() {
    ButtonScene scene;
    frmDesign* const button = scene.window->floatingButton();
    QLabel* const key = button->picture1();
    QAccessibleInterface* const access = QAccessible::queryAccessibleInterface(key);
    QVERIFY(access);
    QCOMPARE(access->role(), QAccessible::Button);
    QCOMPARE(access->text(QAccessible::Name), QStringLiteral("ペロリン"));
    QCOMPARE(access->text(QAccessible::Description), QStringLiteral("ON"));
    QVERIFY(access->state().focusable);
    QVERIFY(access->actionInterface());
    QVERIFY(access->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));

    QTest::keyClick(key, Qt::Key_Space);
    QVERIFY(!scene.server->isOn());
    QCOMPARE(button->face(), KeyFace::OffRaised);
    QCOMPARE(access->text(QAccessible::Description), QStringLiteral("OFF"));

    // The press action clicks as a click does: a blinking lamp lets no click through.
    scene.window->Lamp_BLINK();
    QCOMPARE(access->text(QAccessible::Description), QStringLiteral("確認中"));
    access->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::keyClick(key, Qt::Key_Return);
    QTest::qWait(20);
    QVERIFY(scene.server->datagrams().isEmpty());
    scene.window->Lamp_OFF();
    access->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(scene.server->isOn());

    // The context-menu key (as the platform passes it on) and Shift+F10 open the menu.
    int menus = 0;
    button->setMenuPopup([&menus](QMenu&, QPoint) { ++menus; });
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              key->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(key, &menuKey);
    QTest::keyClick(key, Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(menus, 2);
}

QTEST_MAIN(PowerButtonsTest)
#include "tst_powerbuttons.moc"
