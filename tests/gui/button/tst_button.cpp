#include "button/frmdesign.h"
#include "common/ui/serverstate.h"
#include "settings/settings.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace pelorin;

// A click on the key with the lamp 1 (server on), 3 (off) or 0 (nothing shown yet).
struct Click {
    int lamp = 0;
    bool blinking = false;
    KeyFace pressed{}, released{};
    QString calls{}; // what the main window was asked to do
    KeyPointer pointer = KeyPointer::Default;
};
Q_DECLARE_METATYPE(Click)

namespace {

void sendMove(QWidget* widget, QPoint pos, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(widget->mapToGlobal(pos)),
                     Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

// Plays the main window, which stands at 100 x 150 pixels, and records what the button asks.
class TestButton : public QObject, public FloatingButtonHost {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_fileNumber = 0;
    QStringList m_calls;
    std::function<void()> m_duringCommand; // runs inside the ON/OFF command
    std::unique_ptr<ServerState> m_state;
    std::unique_ptr<frmDesign> m_button;
    int m_popups = 0;

    int mainTopTwips() const override { return 2250; }
    int mainLeftTwips() const override { return 1500; }
    void showMainWindow() override { m_calls << u"show"_s; }
    void selectOption1() override { m_calls << u"on"_s, m_duringCommand(); }
    void selectOption2() override { m_calls << u"off"_s, m_duringCommand(); }
    void closeMainWindow() override { m_calls << u"close"_s; }

    void showButton(int lamp, bool blinking = false) {
        if (lamp != 0)
            m_state->settle(lamp == 1);
        if (blinking)
            m_state->startBlinking();
        m_button->setFace(lamp == 3 ? KeyFace::OffRaised : KeyFace::OnRaised);
        m_button->Form_Load();
        m_button->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_button.get()));
    }

private slots:
    void init() {
        setSettingsFilePath(m_dir.filePath(u"setting-%1.ini"_s.arg(++m_fileNumber)));
        m_calls.clear();
        m_duringCommand = [] {};
        m_popups = 0;
        m_state = std::make_unique<ServerState>();
        m_button = std::make_unique<frmDesign>(*this, *m_state);
        m_button->setMenuPopup([this](QMenu&, QPoint) { ++m_popups; });
    }

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

    void click_data() {
        QTest::addColumn<Click>("row");
        using enum KeyFace;
        QTest::newRow("running: switch off") << Click{1, false, OnPressed, OnRaised, u"off"_s};
        QTest::newRow("stopped: switch on") << Click{3, false, OffPressed, OffRaised, u"on"_s};
        QTest::newRow("state unknown") << Click{0, false, OnRaised, OnRaised};
        QTest::newRow("command under way")
            << Click{1, true, OnPressed, OnPressed, {}, KeyPointer::Hourglass};
    }
    void click() {
        QFETCH(Click, row);
        showButton(row.lamp, row.blinking);
        QLabel* const picture = m_button->picture1();
        std::optional<KeyFace> faceDuringCommand;
        m_duringCommand = [&] {
            faceDuringCommand = m_button->face();
            // The command's own event loop may deliver pointer moves: they drag nothing.
            sendMove(picture, QPoint(30, 25), Qt::LeftButton);
            sendMove(picture, QPoint(2, 3), Qt::NoButton);
        };
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(16, 16));
        QCOMPARE(m_button->face(), row.pressed);
        // The picture follows the face: set when the button shows, and at once while shown.
        QCOMPARE(picture->pixmap().toImage(), m_button->picture2(row.pressed).toImage());
        QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(16, 16));
        QCOMPARE(m_calls.join(u','), row.calls);
        QCOMPARE(m_button->face(), row.released);
        if (!row.calls.isEmpty())
            QCOMPARE(faceDuringCommand, std::optional(row.released)); // raised before it runs
        QCOMPARE(m_button->pointer(), row.pointer);
        QCOMPARE(m_popups, 0);
        QVERIFY(ReadIni(ini::Pos, u"Button_Top"_s).isEmpty()); // nothing dragged
    }

    void drag_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("offset"); // pixels the pointer moves
        QTest::addColumn<int>("lamp");
        QTest::newRow("diagonal") << Qt::LeftButton << QPoint(6, 8) << 1;
        QTest::newRow("horizontal") << Qt::LeftButton << QPoint(-7, 0) << 3;
        QTest::newRow("right button") << Qt::RightButton << QPoint(5, -3) << 3;
    }
    void drag() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, offset);
        QFETCH(int, lamp);
        showButton(lamp);
        const KeyFace face = m_button->face();
        QLabel* const picture = m_button->picture1();
        const QPoint grip(10, 12);
        const QPoint moved = QPoint(100, 150) + offset; // from the main window's corner
        QTest::mousePress(picture, button, {}, grip);
        sendMove(picture, grip + offset, button);
        QCOMPARE(m_button->pointer(), KeyPointer::Grab);
        // The key moved with the window, so the pointer is over the grip again.
        sendMove(picture, grip, button);
        QTest::mouseRelease(picture, button, {}, grip);
        QCOMPARE(m_button->pos(), moved);
        QVERIFY(m_calls.isEmpty());
        QCOMPARE(m_button->face(), face);
        QCOMPARE(m_button->pointer(), KeyPointer::Default);
        QCOMPARE(ReadIni(ini::Pos, u"Button_Top"_s) + ReadIni(ini::Pos, u"Button_Left"_s),
                 QString::number(moved.y() * 15) + QString::number(moved.x() * 15));
        QCOMPARE(m_popups, button == Qt::RightButton ? 1 : 0);
    }
};

QTEST_MAIN(TestButton)
#include "tst_button.moc"
