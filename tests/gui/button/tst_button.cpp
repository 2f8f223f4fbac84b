#include "button/dragrules.h"
#include "button/frmdesign.h"
#include "button/keyfaces.h"
#include "common/shared_state.h"
#include "settings/settings.h"

#include <QAction>
#include <QApplication>
#include <QFile>
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

// Records what the button asks of the main window, in order.
class FakeHost final : public FloatingButtonHost {
public:
    int top = 2250; // 150 x 100 pixels
    int left = 1500;
    QStringList calls;
    std::function<void()> duringCommand; // runs inside the ON/OFF command

    int mainTopTwips() const override { return top; }
    int mainLeftTwips() const override { return left; }
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

QString fileText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).replace(u"\r\n"_s, u"\n"_s);
}

bool hasOrange(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 90 && c.green() < 170 && c.blue() < 60)
                return true;
        }
    return false;
}

bool isOpaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() != 255)
                return false;
    return true;
}

int lightness(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).lightness();
}

} // namespace

class TestButton : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rules();

    void placement_data();
    void placement();
    void windowLayout();
    void facesAndPointers();

    void click_data();
    void click();
    void noDragDuringCommand();
    void drag_data();
    void drag();
    void dragPastScreenEdgeIsKept();
    void rightButton();
    void realMenuPops();
    void menuCommands();

private:
    void showButton();

    QTemporaryDir m_dir;
    int m_fileNumber = 0;
    QString m_settings;
    FakeHost m_host;
    std::unique_ptr<frmDesign> m_button;
    QList<QPoint> m_popups;
};

void TestButton::init() {
    resetShared();
    m_settings = m_dir.filePath(u"setting-%1.ini"_s.arg(++m_fileNumber));
    setSettingsFilePath(m_settings);
    m_host = FakeHost();
    m_popups.clear();
    m_button = std::make_unique<frmDesign>(m_host);
    m_button->setMenuPopup([this](QMenu&, QPoint at) { m_popups.append(at); });
}

void TestButton::cleanup() {
    m_button.reset();
}

void TestButton::showButton() {
    m_button->Form_Load();
    m_button->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_button.get()));
}

// ---- decisions without a window -------------------------------------------------------------

// The window tests below cover the face and click decisions; these are the geometric ones.
void TestButton::rules() {
    using dragrules::storedButtonPosition;
    QCOMPARE(storedButtonPosition(u"0"_s, u"0"_s), std::optional(QPoint(0, 0)));
    QCOMPARE(storedButtonPosition(u" 30.6 "_s, u"14.4"_s), std::optional(QPoint(14, 31)));
    QCOMPARE(storedButtonPosition(u"450"_s, u"-1"_s), std::nullopt);
    QCOMPARE(storedButtonPosition(QString(), u"900"_s), std::nullopt);

    // Any offset, even along one axis only, is a drag; only no movement at all is a click.
    const QPoint start(150, 150);
    QVERIFY(!dragrules::dragHasMoved(start, QPointF(150, 150)));
    QVERIFY(dragrules::dragHasMoved(start, QPointF(165, 150)));
    QVERIFY(dragrules::dragHasMoved(start, QPointF(150, 135)));
    QVERIFY(dragrules::dragHasMoved(start, QPointF(165, 180)));
    QVERIFY(dragrules::dragHasMoved(start, QPointF(150.4, 150)));
    QCOMPARE(dragrules::dragTarget(QPoint(1500, 3000), start, QPointF(240, 105)),
             QPoint(1590, 2955));
}

// ---- the window ------------------------------------------------------------------------------

void TestButton::placement_data() {
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QPoint>("expected");
    const QPoint mainCorner(100, 150); // FakeHost's main window, in pixels
    QTest::newRow("both zero") << u"0"_s << u"0"_s << QPoint(0, 0);
    QTest::newRow("stored") << u"450"_s << u"900"_s << QPoint(60, 30);
    QTest::newRow("negative") << u"-15"_s << u"900"_s << mainCorner;
    QTest::newRow("missing") << QString() << QString() << mainCorner;
    QTest::newRow("left missing") << u"450"_s << QString() << mainCorner;
    QTest::newRow("not a number") << u"top"_s << u"900"_s << mainCorner;
}

void TestButton::placement() {
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

void TestButton::windowLayout() {
    const Qt::WindowFlags flags = m_button->windowFlags();
    QCOMPARE(m_button->windowType(), Qt::Tool);
    QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(m_button->size(), QSize(33, 30));
    QCOMPARE(m_button->minimumSize(), m_button->maximumSize());

    QLabel* picture = m_button->picture1();
    QCOMPARE(picture->geometry(), QRect(0, -1, 33, 33));
    QCOMPARE(picture->toolTip(), u"ペロリン"_s);
    QCOMPARE(picture->accessibleName(), u"電源ボタン"_s);
    QCOMPARE(m_button->face(), KeyFace::OnRaised);
    QCOMPARE(picture->pixmap().toImage(), m_button->picture2(KeyFace::OnRaised).toImage());

    QVERIFY(m_button->autoFillBackground());
    m_button->show(); // the background is drawn when the button first appears
    const QBrush background = m_button->palette().brush(QPalette::Window);
    QCOMPARE(background.texture().size(), QSize(64, 64));
    const QImage stripes = background.texture().toImage();
    QVERIFY(stripes.pixelColor(5, 0) != stripes.pixelColor(5, 2)); // rows differ...
    QCOMPARE(stripes.pixelColor(0, 2), stripes.pixelColor(63, 2)); // ...columns do not
    QVERIFY(stripes.pixelColor(0, 0).lightness() > 180);

    const QList<QAction*> actions = m_button->menu()->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions.at(0), m_button->formAction());
    QCOMPARE(actions.at(0)->text(), u"元に戻す(&R)"_s);
    QVERIFY(actions.at(1)->isSeparator());
    QCOMPARE(actions.at(2), m_button->endAction());
    QCOMPARE(actions.at(2)->text(), u"終了(&E)"_s);
}

void TestButton::facesAndPointers() {
    const QList<KeyFace> faces{KeyFace::OnRaised, KeyFace::OnPressed, KeyFace::OffRaised,
                               KeyFace::OffPressed};
    QList<QImage> images;
    for (const KeyFace face : faces) {
        const QImage image = m_button->picture2(face).toImage();
        QCOMPARE(image.size(), QSize(33, 33));
        QCOMPARE(image.depth(), 32);
        QVERIFY2(isOpaque(image), "the key hides the window's background completely");
        QVERIFY2(!images.contains(image), "every face is a different picture");
        images.append(image);
    }
    QVERIFY(hasOrange(images.at(0)) && hasOrange(images.at(1)));
    QVERIFY(!hasOrange(images.at(2)) && !hasOrange(images.at(3)));
    // Raised keys are lit from the top left, pressed ones the other way round.
    for (int raised : {0, 2}) {
        QVERIFY(lightness(images.at(raised), 2, 3) > lightness(images.at(raised), 30, 29));
        QVERIFY(lightness(images.at(raised + 1), 2, 3) < lightness(images.at(raised + 1), 30, 29));
    }

    QCOMPARE(m_button->picture1()->accessibleDescription(), u"ON"_s);
    m_button->setFace(KeyFace::OffPressed);
    QCOMPARE(m_button->face(), KeyFace::OffPressed);
    QCOMPARE(m_button->picture1()->pixmap().toImage(), images.at(3));
    QCOMPARE(m_button->picture1()->accessibleDescription(), u"OFF"_s);

    const QCursor hand = keyfaces::grabCursor();
    QCOMPARE(hand.pixmap().size(), QSize(32, 32));
    QCOMPARE(hand.hotSpot(), QPoint(16, 14));
    QCOMPARE(hand.pixmap().toImage().pixelColor(0, 0).alpha(), 0);
    QCOMPARE(hand.pixmap().toImage().pixelColor(16, 16).alpha(), 255);

    QLabel* picture = m_button->picture1();
    m_button->setPointer(KeyPointer::Grab);
    QCOMPARE(m_button->pointer(), KeyPointer::Grab);
    QCOMPARE(picture->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(picture->cursor().hotSpot(), QPoint(16, 14));
    m_button->setPointer(KeyPointer::Hourglass);
    QCOMPARE(picture->cursor().shape(), Qt::WaitCursor);
    m_button->setPointer(KeyPointer::Default);
    QVERIFY(!picture->testAttribute(Qt::WA_SetCursor));
}

// ---- clicks ----------------------------------------------------------------------------------

void TestButton::click_data() {
    QTest::addColumn<int>("lampState");
    QTest::addColumn<bool>("lampBlink");
    QTest::addColumn<KeyFace>("pressedFace");
    QTest::addColumn<KeyFace>("releasedFace");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<KeyPointer>("pointer");
    QTest::newRow("running: switch off") << 1 << false << KeyFace::OnPressed << KeyFace::OnRaised
                                         << QStringList{u"off"_s} << KeyPointer::Default;
    QTest::newRow("stopped: switch on") << 3 << false << KeyFace::OffPressed << KeyFace::OffRaised
                                        << QStringList{u"on"_s} << KeyPointer::Default;
    QTest::newRow("state unknown") << 0 << false << KeyFace::OnRaised << KeyFace::OnRaised
                                   << QStringList() << KeyPointer::Default;
    QTest::newRow("command under way") << 1 << true << KeyFace::OnPressed << KeyFace::OnPressed
                                       << QStringList() << KeyPointer::Hourglass;
}

void TestButton::click() {
    QFETCH(int, lampState);
    QFETCH(bool, lampBlink);
    QFETCH(KeyFace, pressedFace);
    QFETCH(KeyFace, releasedFace);
    QFETCH(QStringList, calls);
    QFETCH(KeyPointer, pointer);
    shared().LampState = static_cast<short>(lampState);
    shared().LampBlink = lampBlink;
    m_button->setFace(lampState == 3 ? KeyFace::OffRaised : KeyFace::OnRaised);
    showButton();
    const QPoint before = m_button->pos();
    std::optional<KeyFace> faceDuringCommand;
    m_host.duringCommand = [&] { faceDuringCommand = m_button->face(); };

    QLabel* picture = m_button->picture1();
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

void TestButton::noDragDuringCommand() {
    // The command's own event loop may deliver pointer moves; they must not drag the button.
    shared().LampState = 1;
    showButton();
    const QPoint before = m_button->pos();
    m_host.duringCommand = [&] {
        sendMove(m_button->picture1(), QPoint(30, 25), Qt::LeftButton);
        sendMove(m_button->picture1(), QPoint(2, 3), Qt::NoButton);
    };
    QTest::mouseClick(m_button->picture1(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(m_host.calls, QStringList{u"off"_s});
    QCOMPARE(m_button->pos(), before);
    QCOMPARE(m_button->pointer(), KeyPointer::Default);
}

// ---- drags -----------------------------------------------------------------------------------

void TestButton::drag_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("offset"); // pixels the pointer moves
    QTest::addColumn<int>("lampState");
    QTest::addColumn<KeyFace>("faceWhileDragging");
    QTest::addColumn<KeyFace>("faceAfter");
    QTest::newRow("diagonal") << Qt::LeftButton << QPoint(6, 8) << 1 << KeyFace::OnPressed
                              << KeyFace::OnRaised;
    QTest::newRow("horizontal") << Qt::LeftButton << QPoint(-7, 0) << 3 << KeyFace::OffPressed
                                << KeyFace::OffRaised;
    QTest::newRow("vertical") << Qt::LeftButton << QPoint(0, 5) << 1 << KeyFace::OnPressed
                              << KeyFace::OnRaised;
    QTest::newRow("state unknown")
        << Qt::LeftButton << QPoint(4, 4) << 0 << KeyFace::OnRaised << KeyFace::OnRaised;
    QTest::newRow("right button") << Qt::RightButton << QPoint(5, -3) << 3 << KeyFace::OffRaised
                                  << KeyFace::OffRaised;
}

void TestButton::drag() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, offset);
    QFETCH(int, lampState);
    QFETCH(KeyFace, faceWhileDragging);
    QFETCH(KeyFace, faceAfter);
    shared().LampState = static_cast<short>(lampState);
    m_button->setFace(lampState == 3 ? KeyFace::OffRaised : KeyFace::OnRaised);
    // Nothing stored yet: the button starts at the main window's corner, and the file shows
    // the order in which the drag writes the position.
    showButton();
    const QPoint start(100, 150);
    QCOMPARE(m_button->pos(), start);

    QLabel* picture = m_button->picture1();
    const QPoint grip(10, 12);
    QTest::mousePress(picture, button, {}, grip);
    QCOMPARE(m_button->face(), faceWhileDragging);
    sendMove(picture, grip + offset, button);
    const QPoint moved = start + offset;
    QCOMPARE(m_button->pos(), moved);
    QCOMPARE(m_button->pointer(), KeyPointer::Grab);
    // The key moved with the window, so the pointer is over the grip again.
    sendMove(picture, grip, button);
    QCOMPARE(m_button->pos(), moved);
    QTest::mouseRelease(picture, button, {}, grip);

    QVERIFY(m_host.calls.isEmpty());
    QCOMPARE(m_button->face(), faceAfter);
    QCOMPARE(m_button->pointer(), KeyPointer::Default);
    QCOMPARE(fileText(m_settings),
             u"[Pos]\nButton_Top=%1\nButton_Left=%2\n"_s.arg(moved.y() * 15).arg(moved.x() * 15));
    QCOMPARE(m_popups.size(), button == Qt::RightButton ? 1 : 0);

    // After the release, moves no longer drag.
    sendMove(picture, QPoint(1, 1), Qt::NoButton);
    QCOMPARE(m_button->pos(), moved);
}

void TestButton::dragPastScreenEdgeIsKept() {
    QVERIFY(WriteIni(ini::Pos, u"Button_Top"_s, u"0"_s));
    QVERIFY(WriteIni(ini::Pos, u"Button_Left"_s, u"0"_s));
    showButton();
    QCOMPARE(m_button->pos(), QPoint(0, 0));
    QLabel* picture = m_button->picture1();
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(20, 20));
    sendMove(picture, QPoint(15, 17), Qt::LeftButton);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(ReadIni(ini::Pos, u"Button_Top"_s), u"-45"_s);
    QCOMPARE(ReadIni(ini::Pos, u"Button_Left"_s), u"-75"_s);

    // The next start does not trust a negative position and goes to the main window.
    frmDesign next(m_host);
    next.Form_Load();
    QCOMPARE(next.pos(), QPoint(100, 150));
}

// ---- the menu --------------------------------------------------------------------------------

void TestButton::rightButton() {
    shared().LampState = 1;
    showButton();
    QLabel* picture = m_button->picture1();
    QTest::mousePress(picture, Qt::RightButton, {}, QPoint(8, 9));
    QCOMPARE(m_button->face(), KeyFace::OnRaised); // only the left button pushes the key
    QTest::mouseRelease(picture, Qt::RightButton, {}, QPoint(8, 9));
    QCOMPARE(m_popups, QList<QPoint>{picture->mapToGlobal(QPoint(8, 9))});
    QVERIFY(m_host.calls.isEmpty());
    QVERIFY(ReadIni(ini::Pos, u"Button_Top"_s).isEmpty());

    // A blinking lamp leaves the hourglass, but the menu still opens.
    shared().LampBlink = true;
    QTest::mouseClick(picture, Qt::RightButton, {}, QPoint(8, 9));
    QCOMPARE(m_popups.size(), 2);
    QCOMPARE(m_button->pointer(), KeyPointer::Hourglass);
}

void TestButton::realMenuPops() {
    m_button->setMenuPopup({});
    showButton();
    QTest::mouseClick(m_button->picture1(), Qt::RightButton, {}, QPoint(8, 9));
    QTRY_VERIFY(m_button->menu()->isVisible());
    m_button->menu()->hide();
    QVERIFY(m_host.calls.isEmpty());
}

void TestButton::menuCommands() {
    showButton();
    m_button->formAction()->trigger();
    QVERIFY(!m_button->isVisible());
    QCOMPARE(m_host.calls, QStringList{u"show"_s});
    QCOMPARE(ReadIni(ini::Form, ini::Show), u"Form"_s);

    showButton();
    m_button->endAction()->trigger();
    QVERIFY(!m_button->isVisible());
    QCOMPARE(m_host.calls, (QStringList{u"show"_s, u"close"_s}));
}

QTEST_MAIN(TestButton)
#include "tst_button.moc"
