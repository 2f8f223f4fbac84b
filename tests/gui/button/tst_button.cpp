#include "button/frmdesign.h"
#include "button/keyfaces.h"
#include "common/ui/serverstate.h"
#include "settings/settings.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

// The main window stands at 100 x 150 pixels; records what the button asks of it, in order.
class FakeHost final : public FloatingButtonHost {
public:
    QStringList calls;
    std::function<void()> duringCommand; // runs inside the ON/OFF command

    int mainTopTwips() const override { return 2250; }
    int mainLeftTwips() const override { return 1500; }
    void showMainWindow() override { calls.append(u"show"_s); }
    void selectOption1() override { command(u"on"_s); }
    void selectOption2() override { command(u"off"_s); }
    void closeMainWindow() override { calls.append(u"close"_s); }

private:
    void command(const QString& name) {
        calls.append(name);
        if (duringCommand)
            duringCommand();
    }
};

void sendMove(QWidget* widget, QPoint pos, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(widget->mapToGlobal(pos)),
                     Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

class TestButton : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_fileNumber = 0;
    FakeHost m_host;
    std::unique_ptr<ServerState> m_state;
    std::unique_ptr<frmDesign> m_button;
    QList<QPoint> m_popups;

    // The lamp's part: 1 server on, 3 server off, 0 nothing shown yet; the key's face to match.
    void showButton(int lampState, bool blinking = false) {
        if (lampState != 0)
            m_state->settle(lampState == 1);
        if (blinking)
            m_state->startBlinking();
        m_button->setFace(lampState == 3 ? KeyFace::OffRaised : KeyFace::OnRaised);
        m_button->Form_Load();
        m_button->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_button.get()));
    }

private slots:
    void init() {
        setSettingsFilePath(m_dir.filePath(u"setting-%1.ini"_s.arg(++m_fileNumber)));
        m_host = FakeHost();
        m_popups.clear();
        m_state = std::make_unique<ServerState>();
        m_button = std::make_unique<frmDesign>(m_host, *m_state);
        m_button->setMenuPopup([this](QMenu&, QPoint at) { m_popups.append(at); });
    }
    void cleanup() { m_button.reset(); }

    void placement_data() {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QPoint>("expected");
        const QPoint mainCorner(100, 150);
        QTest::newRow("both zero") << u"0"_s << u"0"_s << QPoint(0, 0);
        QTest::newRow("stored") << u"450"_s << u"900"_s << QPoint(60, 30);
        QTest::newRow("rounded") << u" 30.6 "_s << u"14.4"_s << QPoint(1, 2);
        QTest::newRow("negative") << u"-15"_s << u"900"_s << mainCorner;
        QTest::newRow("missing") << QString() << QString() << mainCorner;
        QTest::newRow("left missing") << u"450"_s << QString() << mainCorner;
        QTest::newRow("not a number") << u"top"_s << u"900"_s << mainCorner;
    }
    void placement() {
        QFETCH(QString, top);
        QFETCH(QString, left);
        QFETCH(QPoint, expected);
        if (!top.isNull())
            QVERIFY(WriteIni(ini::Pos, u"Button_Top"_s, top));
        if (!left.isNull())
            QVERIFY(WriteIni(ini::Pos, u"Button_Left"_s, left));
        m_button->Form_Load();
        QCOMPARE(m_button->pos(), expected);
    }

    void facesAndCursor() {
        QList<QImage> images;
        for (const KeyFace face :
             {KeyFace::OnRaised, KeyFace::OnPressed, KeyFace::OffRaised, KeyFace::OffPressed}) {
            const QImage image = m_button->picture2(face).toImage();
            QCOMPARE(image.size(), QSize(33, 33));
            QVERIFY2(!images.contains(image), "every face is a different picture");
            images.append(image);
        }
        // The picture follows the face once the button shows, and at once while it is shown.
        m_button->setFace(KeyFace::OffPressed);
        m_button->show();
        QCOMPARE(m_button->picture1()->pixmap().toImage(), images.at(3));
        m_button->setFace(KeyFace::OnRaised);
        QCOMPARE(m_button->picture1()->pixmap().toImage(), images.at(0));
        const QCursor hand = keyfaces::grabCursor();
        QCOMPARE(hand.pixmap().size(), QSize(32, 32));
        QCOMPARE(hand.hotSpot(), QPoint(16, 14));
    }

    void click_data() {
        QTest::addColumn<int>("lampState");
        QTest::addColumn<bool>("lampBlink");
        QTest::addColumn<KeyFace>("pressedFace");
        QTest::addColumn<KeyFace>("releasedFace");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<KeyPointer>("pointer");
        QTest::newRow("running: switch off")
            << 1 << false << KeyFace::OnPressed << KeyFace::OnRaised << QStringList{u"off"_s}
            << KeyPointer::Default;
        QTest::newRow("stopped: switch on")
            << 3 << false << KeyFace::OffPressed << KeyFace::OffRaised << QStringList{u"on"_s}
            << KeyPointer::Default;
        QTest::newRow("state unknown") << 0 << false << KeyFace::OnRaised << KeyFace::OnRaised
                                       << QStringList() << KeyPointer::Default;
        QTest::newRow("command under way") << 1 << true << KeyFace::OnPressed << KeyFace::OnPressed
                                           << QStringList() << KeyPointer::Hourglass;
    }
    void click() {
        QFETCH(int, lampState);
        QFETCH(bool, lampBlink);
        QFETCH(KeyFace, pressedFace);
        QFETCH(KeyFace, releasedFace);
        QFETCH(QStringList, calls);
        QFETCH(KeyPointer, pointer);
        showButton(lampState, lampBlink);
        const QPoint before = m_button->pos();
        QLabel* const picture = m_button->picture1();
        std::optional<KeyFace> faceDuringCommand;
        m_host.duringCommand = [&] {
            faceDuringCommand = m_button->face();
            // The command's own event loop may deliver pointer moves: they drag nothing.
            sendMove(picture, QPoint(30, 25), Qt::LeftButton);
            sendMove(picture, QPoint(2, 3), Qt::NoButton);
        };
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(16, 16));
        QCOMPARE(m_button->face(), pressedFace);
        QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(16, 16));

        QCOMPARE(m_host.calls, calls);
        QCOMPARE(m_button->face(), releasedFace);
        if (!calls.isEmpty())
            QCOMPARE(faceDuringCommand, std::optional(releasedFace)); // raised before it runs
        QCOMPARE(m_button->pointer(), pointer);
        QCOMPARE(m_button->pos(), before);
        QVERIFY(m_popups.isEmpty());
        QVERIFY(ReadIni(ini::Pos, u"Button_Top"_s).isEmpty());
    }

    void drag_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("offset"); // pixels the pointer moves
        QTest::addColumn<int>("lampState");
        QTest::newRow("diagonal") << Qt::LeftButton << QPoint(6, 8) << 1;
        QTest::newRow("horizontal") << Qt::LeftButton << QPoint(-7, 0) << 3;
        QTest::newRow("right button") << Qt::RightButton << QPoint(5, -3) << 3;
    }
    void drag() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, offset);
        QFETCH(int, lampState);
        showButton(lampState);
        const KeyFace face = m_button->face();
        QLabel* const picture = m_button->picture1();
        const QPoint grip(10, 12);
        const QPoint moved = QPoint(100, 150) + offset; // from the main window's corner
        QTest::mousePress(picture, button, {}, grip);
        sendMove(picture, grip + offset, button);
        QCOMPARE(m_button->pos(), moved);
        QCOMPARE(m_button->pointer(), KeyPointer::Grab);
        // The key moved with the window, so the pointer is over the grip again.
        sendMove(picture, grip, button);
        QTest::mouseRelease(picture, button, {}, grip);

        QCOMPARE(m_button->pos(), moved);
        QVERIFY(m_host.calls.isEmpty());
        QCOMPARE(m_button->face(), face);
        QCOMPARE(m_button->pointer(), KeyPointer::Default);
        QCOMPARE(ReadIni(ini::Pos, u"Button_Top"_s).toInt(), moved.y() * 15);
        QCOMPARE(ReadIni(ini::Pos, u"Button_Left"_s).toInt(), moved.x() * 15);
        QCOMPARE(m_popups.size(), button == Qt::RightButton ? 1 : 0);
    }

    void menuCommands() {
        showButton(0);
        m_button->formAction()->trigger();
        QVERIFY(!m_button->isVisible());
        QCOMPARE(ReadIni(ini::Form, ini::Show), u"Form"_s);
        showButton(0);
        m_button->endAction()->trigger();
        QVERIFY(!m_button->isVisible());
        QCOMPARE(m_host.calls, (QStringList{u"show"_s, u"close"_s}));
    }
};

QTEST_MAIN(TestButton)
#include "tst_button.moc"
