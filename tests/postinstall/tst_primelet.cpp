// The post-install sequence and its splash window, offscreen, against the fake platform layer.

#include "common/timing.h"
#include "fakeplatform.h"
#include "postinstall/frmprimelet.h"
#include "postinstall/frmsplash.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace pelorin;
using pelorin::postinstall::VersionRecord;
using pelorin::testing::FakePlatform;

Q_DECLARE_METATYPE(std::optional<VersionRecord>)

namespace {

const std::wstring ProgramFolder = L"C:\\Program Files\\Pelorin";
const QString ToolStart = u"start C:\\Program Files\\Pelorin\\Pelorin [1]"_s;
const QStringList ShortcutSteps{
    u"delete C:\\Users\\taro\\Desktop\\ペロリン.lnk"_s,
    u"delete C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk"_s,
    u"save C:\\Users\\taro\\Desktop\\ペロリン.lnk"_s,
    u"save C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk"_s,
};

QStringList matching(const QStringList& log, const QStringList& prefixes) {
    QStringList kept;
    for (const QString& line : log) {
        for (const QString& prefix : prefixes) {
            if (line.startsWith(prefix)) {
                kept << line;
                break;
            }
        }
    }
    return kept;
}

// The starts, ends and shortcut steps of a run, in order.
QStringList steps(const FakePlatform& platform) {
    return matching(platform.log, {u"start"_s, u"ended"_s, u"delete"_s, u"save"_s});
}

QStringList registrationSteps() {
    QStringList expected;
    for (const char* control : {"mswinsck", "mscomctl", "msinet"}) {
        for (const char* option : {"/u /s", "/s"}) {
            const QString line =
                u"regsvr32 %1 %2.ocx"_s.arg(QLatin1String(option), QLatin1String(control));
            expected << u"start %1 [2]"_s.arg(line) << u"ended %1"_s.arg(line);
        }
    }
    return expected;
}

VersionRecord vista(std::uint32_t minor = 0) {
    return VersionRecord{2, 6, minor};
}

void clickOn(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
}

} // namespace

class TestPrimelet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void vistaWithUacOffRegistersControls_data();
    void vistaWithUacOffRegistersControls();
    void vistaWithUacOnLeavesEverything();
    void otherVersionsRenewShortcuts_data();
    void otherVersionsRenewShortcuts();
    void toolStartedWhateverFailed();

    void splashUpWhileTheSequenceRuns();
    void splashClosesEarlyOnClick();
    void splashWindow();
    void splashClosesOnKeyNotByItself();
    void splashPicture();
};

void TestPrimelet::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    timing::setScale(0.01);
}

void TestPrimelet::vistaWithUacOffRegistersControls_data() {
    QTest::addColumn<uint>("minor");
    QTest::addColumn<std::optional<std::uint32_t>>("enableLua");
    QTest::newRow("6.0, UAC 0") << 0u << std::optional<std::uint32_t>(0);
    QTest::newRow("6.1, UAC absent") << 1u << std::optional<std::uint32_t>();
    QTest::newRow("6.2, UAC 2") << 2u << std::optional<std::uint32_t>(2);
    QTest::newRow("6.3, UAC 0") << 3u << std::optional<std::uint32_t>(0);
}

void TestPrimelet::vistaWithUacOffRegistersControls() {
    QFETCH(uint, minor);
    QFETCH(std::optional<std::uint32_t>, enableLua);
    FakePlatform platform;
    platform.version = vista(minor);
    platform.enableLua = enableLua;
    frmPrimelet form(platform, ProgramFolder);
    form.Form_Load();

    // The six commands in table order, each after the previous one has ended; the shortcuts are
    // left alone; the tool comes last.
    QCOMPARE(steps(platform), registrationSteps() << ToolStart);
    QCOMPARE(platform.mostRunningAtOnce, 1);
    QCOMPARE(platform.entries(u"version"_s).size(), 2);
    QCOMPARE(platform.openKeys, 0);
}

void TestPrimelet::vistaWithUacOnLeavesEverything() {
    FakePlatform platform;
    platform.version = vista(1);
    platform.enableLua = 1;
    frmPrimelet form(platform, ProgramFolder);
    form.Form_Load();

    QCOMPARE(steps(platform), QStringList{ToolStart});
    QVERIFY(platform.entries(u"folder"_s).isEmpty());
    QCOMPARE(platform.entries(u"close"_s).size(), 1);
}

void TestPrimelet::otherVersionsRenewShortcuts_data() {
    QTest::addColumn<std::optional<VersionRecord>>("version");
    QTest::addColumn<QString>("name");
    QTest::newRow("XP") << std::optional(VersionRecord{2, 5, 1}) << u"XP"_s;
    QTest::newRow("95") << std::optional(VersionRecord{1, 4, 0}) << u"95"_s;
    QTest::newRow("10.0") << std::optional(VersionRecord{2, 10, 0}) << QString();
    QTest::newRow("call failed") << std::optional(VersionRecord{}) << QString();
    QTest::newRow("error") << std::optional<VersionRecord>() << u"Failed"_s;
}

void TestPrimelet::otherVersionsRenewShortcuts() {
    QFETCH(std::optional<VersionRecord>, version);
    QFETCH(QString, name);
    FakePlatform platform;
    platform.version = version;
    platform.enableLua = 0;
    frmPrimelet form(platform, ProgramFolder);
    QCOMPARE(QString::fromStdString(form.GetOSVersion()), name);
    platform.log.clear();
    form.Form_Load();

    QCOMPARE(steps(platform), QStringList(ShortcutSteps) << ToolStart);
    QCOMPARE(platform.shortcuts.size(), 2u);
    for (const auto& [path, made] : platform.shortcuts)
        QCOMPARE(QString::fromStdWString(made.targetPath),
                 u"C:\\Program Files\\Pelorin\\Pelorin.exe"_s);
}

void TestPrimelet::toolStartedWhateverFailed() {
    // Registration cannot start: the routine ends, and the tool is started even so.
    FakePlatform noRegistration;
    noRegistration.version = vista();
    noRegistration.enableLua = 0;
    noRegistration.unstartablePrograms = {L"regsvr32"};
    frmPrimelet first(noRegistration, ProgramFolder);
    first.Form_Load();
    QCOMPARE(steps(noRegistration),
             (QStringList{u"start regsvr32 /u /s mswinsck.ocx [2]"_s, ToolStart}));

    // Every shortcut step fails: the tool is started even so.
    FakePlatform noShortcuts;
    noShortcuts.foldersThrow = true;
    noShortcuts.shortcutStepsThrow = true;
    frmPrimelet second(noShortcuts, L"C:\\");
    second.Form_Load();
    QCOMPARE(noShortcuts.entries(u"start"_s), QStringList{u"start C:\\\\Pelorin [1]"_s});

    // The tool itself cannot be started: no message, the windows close all the same.
    FakePlatform noTool;
    noTool.unstartablePrograms = {ProgramFolder + L"\\Pelorin"};
    frmPrimelet third(noTool, ProgramFolder);
    third.Form_Load();
    QCOMPARE(noTool.entries(u"start"_s), QStringList{ToolStart});
    QVERIFY(!third.splash().isVisible());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void TestPrimelet::splashUpWhileTheSequenceRuns() {
    FakePlatform platform;
    frmPrimelet form(platform, ProgramFolder);
    QStringList seen;
    bool formShown = false;
    platform.onLog = [&](const QString& line) {
        seen << (form.splash().isVisible() ? u"shown "_s : u"hidden "_s) + line;
        formShown = formShown || form.isVisible();
    };
    form.Form_Load();

    QCOMPARE(seen.constFirst(), u"shown version"_s);
    QCOMPARE(seen.constLast(), u"shown "_s + ToolStart);
    QVERIFY(seen.filter(u"hidden"_s).isEmpty());
    QVERIFY(!form.splash().isVisible());
    QVERIFY(!formShown);
    QVERIFY(!form.isVisible());
}

void TestPrimelet::splashClosesEarlyOnClick() {
    FakePlatform platform;
    platform.version = vista();
    platform.enableLua = 0;
    platform.pollsUntilEnded = 4;
    frmPrimelet form(platform, ProgramFolder);
    QStringList startsWithSplash;
    platform.onLog = [&](const QString& line) {
        if (line == u"start regsvr32 /u /s mswinsck.ocx [2]"_s) {
            // Delivered only when the sequence lets events through: while it waits.
            QTimer::singleShot(0, &form.splash(), [&form] { clickOn(&form.splash()); });
        }
        if (line.startsWith(u"start"_s))
            startsWithSplash << u"%1 %2"_s.arg(form.splash().isVisible()).arg(line);
    };
    form.Form_Load();

    // Closed while the first command ran; the sequence went on to its end.
    QCOMPARE(startsWithSplash.size(), 7);
    QVERIFY(startsWithSplash.constFirst().startsWith(u"1 "_s));
    QVERIFY(startsWithSplash.constLast().startsWith(u"0 "_s));
    QCOMPARE(startsWithSplash.filter(u"1 "_s).size(), 1);
    QCOMPARE(steps(platform), registrationSteps() << ToolStart);
    QVERIFY(!form.splash().isVisible());
}

void TestPrimelet::splashWindow() {
    frmSplash splash;
    splash.showNow();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(splash.windowTitle(), u"Form1"_s);
    QCOMPARE(splash.size(), QSize(197, 47));
    QCOMPARE(splash.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());

    // The picture at the top-left, unscaled: the window shows its left 197 columns.
    const QImage shown = splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture =
        QImage(QString::fromLatin1(frmSplash::PicturePath)).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(197, 47));
    QCOMPARE(shown, picture.copy(0, 0, 197, 47));

    // A click closes it; closing again changes nothing.
    clickOn(&splash);
    QVERIFY(!splash.isVisible());
    splash.close();
    QVERIFY(!splash.isVisible());
}

void TestPrimelet::splashClosesOnKeyNotByItself() {
    frmSplash splash;
    splash.showNow();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QTest::qWait(50);
    QVERIFY(splash.isVisible());

    QTest::keyClick(&splash, Qt::Key_Shift);
    QVERIFY(splash.isVisible());
    QTest::keyClick(&splash, Qt::Key_Escape);
    QVERIFY(!splash.isVisible());

    splash.showNow();
    QTest::keyClick(&splash, 'a');
    QVERIFY(!splash.isVisible());

    splash.showNow();
    QTest::mouseClick(&splash, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(splash.isVisible());
    splash.close();
}

void TestPrimelet::splashPicture() {
    QFile file(QString::fromLatin1(frmSplash::PicturePath));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray png = file.readAll();
    // The PNG header: 205 x 47, 8 bits per channel, colour type 2 (RGB): 24 bits a pixel.
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(png.mid(12, 4), "IHDR"_ba);
    QCOMPARE(png.mid(16, 8), QByteArray("\0\0\0\xcd\0\0\0\x2f", 8));
    QCOMPARE(png.at(24), char(8));
    QCOMPARE(png.at(25), char(2));

    const QImage picture = QImage::fromData(png);
    QCOMPARE(picture.size(), QSize(205, 47));
    QVERIFY(!picture.hasAlphaChannel());

    // Light grey in the corners, saturated bars on the left, blue characters in the middle.
    for (const QPoint corner : {QPoint(2, 45), QPoint(202, 3), QPoint(100, 2)}) {
        const QColor colour = picture.pixelColor(corner);
        QVERIFY2(colour.saturation() < 40 && colour.value() > 180,
                 qPrintable(colour.name() + u" at %1,%2"_s.arg(corner.x()).arg(corner.y())));
    }
    int barHues = 0;
    for (int x = 7; x < 35; x += 4)
        barHues += picture.pixelColor(x, 14).saturation() > 150 ? 1 : 0;
    QVERIFY(barHues >= 5);
    int blue = 0;
    for (int y = 8; y < 40; ++y) {
        for (int x = 47; x < 197; ++x) {
            const QColor colour = picture.pixelColor(x, y);
            if (colour.blue() > 150 && colour.red() < 90 && colour.green() < 110)
                ++blue;
        }
    }
    QVERIFY2(blue > 800, qPrintable(QString::number(blue)));
}

QTEST_MAIN(TestPrimelet)
#include "tst_primelet.moc"
