// The main window offscreen against the simulated server: start-up and Init with every way
// through it, the lamp, the menus and closing.
#include "harness.h"

#include "about/help.h"
#include "button/frmdesign.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>

using namespace pelorin;

namespace {
const QString On = QStringLiteral("サーバー:ON");
const QString Off = QStringLiteral("サーバー:OFF");
const QString UrlPrompt = QStringLiteral("TVサーバーのURLを指定してください");
const QString Failed = QStringLiteral("接続できませんでした");

enum Setup { FirstStart, Cancelled, Unusable, ServerOff, AddressOnly, WrongUrl, Refused, Several };
} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startUp_data();
    void startUp();
    void secondInstanceRefused();
    void menus();
    void lampBlinksAndSettles();
};

void MainWindowTest::startUp_data() {
    QTest::addColumn<int>("setup");
    QTest::addColumn<QString>("show"); // Form/Show
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("status"); // empty: the program ends
    const auto row = [](const char* name, Setup setup, const QStringList& messages,
                        const QString& status, const char* show = "") {
        QTest::newRow(name) << int(setup) << QString::fromLatin1(show) << messages << status;
    };
    row("first start", FirstStart, {UrlPrompt}, On);
    row("first start cancelled", Cancelled, {UrlPrompt, Failed}, {});
    row("settings file unusable", Unusable, {"設定ファイルを使えません"}, {});
    row("server off", ServerOff, {}, Off, "button");
    row("floating button", ServerOff, {}, Off, "Button");
    row("address and MAC only", AddressOnly, {}, Off, "Form"); // the empty URL is probed: OFF
    row("wrong URL corrected", WrongUrl, {"URLが間違っているようです。"}, On);
    row("credentials refused", Refused, {"認証に失敗しました。", Failed}, {});
    row("several URLs", Several, {"2件以上のURLが登録されています。"}, On);
}

void MainWindowTest::startUp() {
    QFETCH(int, setup);
    QFETCH(QString, show);
    QFETCH(QStringList, messages);
    QFETCH(QString, status);
    tvsim::Config config;
    config.startOn = setup != ServerOff;
    if (setup == Refused)
        config.userName = config.password = QStringLiteral("user");
    Scene scene(config, [&](Scene& s) {
        WriteIni(ini::Form, ini::Show, show);
        const QString url = s.server->url();
        if (setup == FirstStart || setup == Cancelled || setup == AddressOnly)
            WriteIni(ini::Server, ini::URL, QString());
        if (setup == WrongUrl)
            WriteIni(ini::Server, ini::URL, url + QStringLiteral("/missing"));
        if (setup == AddressOnly) {
            WriteIni(ini::Server, ini::Address, QStringLiteral("127.0.0.1"));
            WriteIni(ini::Server, ini::Mac, QStringLiteral("00-11-22-33-44-55"));
        }
        if (setup == Unusable) // a folder where the file should be
            QVERIFY(QFile::remove(settingsFilePath()) && QDir().mkdir(settingsFilePath()));
        if (setup == Several) {
            WriteIni(ini::Server, ini::URL, QStringLiteral("http://127.0.0.1:1/old"));
            WriteIni(ini::Server, ini::listKey(57), url);
        }
        if (setup == FirstStart || setup == WrongUrl || setup == Several)
            s.harness.dialogScript.push_back(GuiHarness::chooseServer(url));
    });
    frmMain& window = *scene.window;
    const QStringList texts = scene.harness.messages;
    QCOMPARE(texts.size(), messages.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        QVERIFY2(texts[i].startsWith(messages[i]), qPrintable(texts[i]));
    const bool loaded = !status.isEmpty();
    QCOMPARE(scene.loaded, loaded);
    QCOMPARE(scene.harness.programEnds, loaded ? 0 : 1);
    QCOMPARE(scene.harness.dialogs, messages.isEmpty() || setup == Unusable ? 0 : 1);
    QCOMPARE(window.periodicTimer().isActive(), loaded);
    if (!loaded)
        return;
    QCOMPARE(window.statusText(), status);
    QCOMPARE(window.floatingButton()->isVisible(), show == u"Button");
    QCOMPARE(window.isVisible(), show != u"Button");
    QVERIFY(scene.server->datagrams().isEmpty()); // selecting at start-up sends no command
    if (setup == Several) // one probe and the MAC page: the dialog's OK ran no Init of its own
        QCOMPARE(scene.server->requests().size(), 2);
    if (setup == FirstStart)
        QCOMPARE(ReadIni(ini::Server, ini::macKey(1)), QStringLiteral("00:11:22:33:44:55"));
    if (status == On)
        QCOMPARE(ReadIni(ini::Server, ini::URL), scene.server->url());

    // A server chosen from the menu later is looked at at once, whatever start-up chose.
    scene.server->setOn(true);
    scene.server->clearRecords();
    scene.harness.dialogScript.push_back(GuiHarness::chooseServer(scene.server->url()));
    window.MLocation_Click();
    QVERIFY(!scene.server->requests().isEmpty());
    QCOMPARE(window.statusText(), On);
}

void MainWindowTest::secondInstanceRefused() {
    Scene first;
    frmMain second;
    QVERIFY(!second.Form_Load());
    QCOMPARE(first.harness.messages, QStringList{QStringLiteral("既に起動しています。")});
    QCOMPARE(first.harness.programEnds, 1);

    // The lock is in the user's own runtime folder, where no other user can take its name first.
    const QString runtime = first.harness.dir.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkdir(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    QCOMPARE(QFileInfo(instanceLockPath(settingsFilePath())).absolutePath(), runtime);
    qunsetenv("XDG_RUNTIME_DIR");
}

// Menus and a stored position off the screen, which comes back on it.
void MainWindowTest::menus() {
    Scene scene(
        {}, [](Scene&) { WriteIni(ini::Pos, QStringLiteral("Main_Top"), "1500"); }, false);
    frmMain& window = *scene.window;
    QVERIFY(!window.option1()->isEnabled() && !window.option2()->isEnabled()); // until a state
    QStringList captions;
    for (QAction* top : window.menuBar()->actions()) {
        captions.append(top->text());
        for (QAction* item : top->menu()->actions())
            captions.append(item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    QCOMPARE(captions,
             (QStringList{"設定(&S)", "TVサーバーの指定(&L)", "-", "アイコン表示(&I)", "ヘルプ(&H)",
                          "目次とキーワード(&C)", "-", "バージョン情報(&A)"}));
    QVERIFY(window.Form_Load());
    QTRY_COMPARE(window.pos().y(), 100); // applied once the window system placed it

    // Shown, then no program to show it: only then a message, naming the manual's file.
    window.MHelp1_Click();
    ui::setUrlOpener([](const QString&) { return false; });
    window.MHelp1_Click();
    QCOMPARE(scene.harness.messages, QStringList{QStringLiteral("ヘルプを開けませんでした。\r\n") +
                                                 QDir::toNativeSeparators(helpManualPath())});

    window.MVersion_Click();
    window.MVersion_Click();
    int aboutBoxes = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        aboutBoxes += widget->inherits("pelorin::frmAbout") && widget->isVisible();
    QCOMPARE(aboutBoxes, 1);
}

void MainWindowTest::lampBlinksAndSettles() {
    GuiHarness harness(1.0); // real 800 ms blink steps are checked against the timer's interval
    frmMain window;
    QCOMPARE(window.lampTimer().interval(), 800);
    QAccessibleInterface* const lamp =
        QAccessible::queryAccessibleInterface(window.findChild<QLineEdit*>("txtLamp"));
    QCOMPARE(lamp->role(), QAccessible::StaticText); // no text box to type into
    window.Lamp_ON();
    window.Lamp_BLINK();
    QCOMPARE(lamp->text(QAccessible::Description), QStringLiteral("確認中"));
    QCOMPARE(window.floatingButton()->pointer(), KeyPointer::Hourglass);
    QCOMPARE(window.lampColour(), frmMain::Green); // unchanged until the first tick
    window.timLamp_Timer();
    QCOMPARE(window.lampColour(), frmMain::White); // from the lit lamp: white first
    window.timLamp_Timer();
    QCOMPARE(window.lampColour(), frmMain::Red);
    QCOMPARE(window.floatingButton()->face(), KeyFace::OffRaised);
    window.Lamp_OFF();
    QVERIFY(!window.lampTimer().isActive() && window.option2()->isChecked());
    QCOMPARE(window.lampColour(), frmMain::White);
    QCOMPARE(window.floatingButton()->pointer(), KeyPointer::Default);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
