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

// A press on the key (lamp 1: on, 2: on and blinking, 3: off, 0: unknown), released in place or
// `offset` pixels away.
struct Press {
    int lamp = 0;
    QPoint offset{};
    KeyFace pressed{}, released{};
    QString calls{}; // what the main window was asked to do, and menus opened
    Qt::MouseButton button = Qt::LeftButton;
};
Q_DECLARE_METATYPE(Press)

// Plays the main window, which stands at 100 x 150 pixels, and records what the button asks.
class TestButton : public QObject, public FloatingButtonHost {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_fileNumber = 0;
    QStringList m_calls;
    std::function<void()> m_duringCommand; // runs inside the ON/OFF command
    std::unique_ptr<ServerState> m_state;
    std::unique_ptr<frmDesign> m_button;

    int mainTopTwips() const override { return 2250; }
    int mainLeftTwips() const override { return 1500; }
    void showMainWindow() override {}
    void selectOption1() override { m_calls << u"on"_s, m_duringCommand(); }
    void selectOption2() override { m_calls << u"off"_s, m_duringCommand(); }
    void closeMainWindow() override {}

private slots:
    void init() {
        setSettingsFilePath(m_dir.filePath(u"setting-%1.ini"_s.arg(++m_fileNumber)));
        m_calls.clear();
        m_state = std::make_unique<ServerState>();
        m_button = std::make_unique<frmDesign>(*this, *m_state);
        m_button->setMenuPopup([this](QMenu&, QPoint) { m_calls << u"menu"_s; });
    }

    void placement_data() {
        QTest::addColumn<QString>("stored"); // top,left
        QTest::addColumn<QPoint>("expected");
        const QPoint mainCorner(100, 150);
        QTest::newRow("both zero") << u"0,0"_s << QPoint(0, 0);
        QTest::newRow("stored") << u"450,900"_s << QPoint(60, 30);
        QTest::newRow("rounded") << u" 30.6 ,14.4"_s << QPoint(1, 2);
        QTest::newRow("negative") << u"-15,900"_s << mainCorner;
        QTest::newRow("missing") << QString() << mainCorner;
        QTest::newRow("left missing") << u"450"_s << mainCorner;
        QTest::newRow("not a number") << u"top,900"_s << mainCorner;
    }
    void placement() {
        QFETCH(QString, stored);
        QFETCH(QPoint, expected);
        const QStringList topLeft = stored.split(u',');
        QVERIFY(WriteIni(ini::Pos, u"Button_Top"_s, topLeft.value(0)) &&
                WriteIni(ini::Pos, u"Button_Left"_s, topLeft.value(1)));
        m_button->Form_Load();
        QCOMPARE(m_button->pos(), expected);
    }

    void press_data() {
        QTest::addColumn<Press>("row");
        using enum KeyFace;
        QTest::newRow("running: switch off") << Press{1, {}, OnPressed, OnRaised, u"off"_s};
        QTest::newRow("stopped: switch on") << Press{3, {}, OffPressed, OffRaised, u"on"_s};
        QTest::newRow("state unknown") << Press{0, {}, OnRaised, OnRaised};
        QTest::newRow("command under way") << Press{2, {}, OnPressed, OnPressed};
        QTest::newRow("drag") << Press{1, {6, 8}, OnPressed, OnRaised};
        QTest::newRow("drag sideways") << Press{3, {-7, 0}, OffPressed, OffRaised};
        QTest::newRow("drag right button")
            << Press{3, {5, -3}, OffRaised, OffRaised, u"menu"_s, Qt::RightButton};
    }
    void press() {
        QFETCH(Press, row);
        if (row.lamp != 0)
            m_state->settle(row.lamp != 3);
        if (row.lamp == 2)
            m_state->startBlinking();
        m_button->setFace(row.lamp == 3 ? KeyFace::OffRaised : KeyFace::OnRaised);
        m_button->Form_Load();
        m_button->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_button.get()));
        QLabel* const picture = m_button->picture1();
        const auto move = [picture](QPoint pos, Qt::MouseButtons buttons) {
            QMouseEvent event(QEvent::MouseMove, QPointF(pos), QPointF(picture->mapToGlobal(pos)),
                              Qt::NoButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(picture, &event);
        };
        std::optional<KeyFace> faceDuringCommand;
        m_duringCommand = [&] {
            faceDuringCommand = m_button->face();
            move(QPoint(30, 25), Qt::LeftButton); // moves in the command's own loop drag nothing
            move(QPoint(2, 3), Qt::NoButton);
        };
        const QPoint grip(10, 12);
        QTest::mousePress(picture, row.button, {}, grip);
        QCOMPARE(m_button->face(), row.pressed);
        // The picture follows the face: set when the button shows, and at once while shown.
        QCOMPARE(picture->pixmap().toImage(), m_button->picture2(row.pressed).toImage());
        if (!row.offset.isNull()) {
            move(grip + row.offset, row.button);
            QCOMPARE(m_button->pointer(), KeyPointer::Grab);
            move(grip, row.button); // the key moved along: the pointer is over the grip again
        }
        QTest::mouseRelease(picture, row.button, {}, grip);
        QCOMPARE(m_calls.join(u','), row.calls);
        QCOMPARE(m_button->face(), row.released);
        QCOMPARE(faceDuringCommand.value_or(row.released), row.released); // raised before it runs
        QCOMPARE(m_button->pointer(), row.lamp == 2 ? KeyPointer::Hourglass : KeyPointer::Default);
        const QPoint at = QPoint(100, 150) + row.offset; // from the main window's corner
        QCOMPARE(m_button->pos(), at);
        QCOMPARE(ReadIni(ini::Pos, u"Button_Top"_s) + ReadIni(ini::Pos, u"Button_Left"_s),
                 row.offset.isNull() ? QString()
                                     : QString::number(at.y() * 15) + QString::number(at.x() * 15));
    }
};

QTEST_MAIN(TestButton)
#include "tst_button.moc"
