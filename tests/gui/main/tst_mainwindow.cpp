// The main window offscreen against the simulated server: start-up and Init with every way
// through it, the lamp, the monitor, the menus and closing.
#include "harness.h"

#include "about/help.h"
#include "button/frmdesign.h"
#include "common/ui/formstyle.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTest>

using namespace pelorin;

namespace {
const QString UrlPrompt = QStringLiteral("TVサーバーのURLを指定してください");
const QString Failed = QStringLiteral("接続できませんでした");
} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartAsksForServer();
    void firstStartCancelled();
    void secondInstanceRefused();
    void unusableSettingsFileEndsStartUp();
    void startsWithServerOff();
    void configuredByAddressAndMacOnly();
    void wrongUrlCorrected();
    void refusedCredentialsEndProgram();
    void unexpectedPageReopensSettings();
    void macRetrievalFailureEndsProgram();
    void severalUrlsAskForChoice();
    void floatingButtonChosenAtStart_data();
    void floatingButtonChosenAtStart();
    void positionRestoredAndSaved();
    void windowLayoutAndMenus();
    void formStyleDrawsAsFusion();
    void lampBlinksAndSettles();
    void monitorFollowsServer();
    void menuCommands();
};

void MainWindowTest::firstStartAsksForServer() {
    GuiHarness harness;
    const auto server = GuiHarness::startServer();
    harness.dialogScript.push_back(GuiHarness::chooseServer(server->url()));
    frmMain window;
    QVERIFY(window.Form_Load());

    // The OK of the dialog ran Init (probe and MAC retrieval), and the outer Init probed again.
    QCOMPARE(harness.messageTexts(), QStringList{UrlPrompt});
    QCOMPARE(ReadIni(ini::Server, ini::URL), server->url());
    QCOMPARE(ReadIni(ini::Server, ini::listKey(1)), server->url());
    QCOMPARE(ReadIni(ini::Server, ini::macKey(1)), QStringLiteral("00:11:22:33:44:55"));
    QCOMPARE(window.lampColour(), frmMain::Green);
    QCOMPARE(window.statusText(), QStringLiteral("サーバー:ON"));
    QVERIFY(window.option1()->isChecked() && window.option1()->isEnabled());
    QVERIFY(window.serverState().serverOn());
    QVERIFY(!window.SuppressClick);
    QVERIFY(window.periodicTimer().isActive());
    QVERIFY(window.isVisible());
    QVERIFY(!window.floatingButton()->isVisible());
    // Selecting "ON" during start-up never sends a command.
    QVERIFY(server->datagrams().isEmpty());
    QCOMPARE(harness.programEnds, 0);
}

void MainWindowTest::firstStartCancelled() {
    GuiHarness harness;
    frmMain window;
    QVERIFY(!window.Form_Load());
    QCOMPARE(harness.dialogsOpened, QStringList{QStringLiteral("pelorin::frmSetting")});
    QCOMPARE(harness.messageTexts(), (QStringList{UrlPrompt, Failed}));
    QCOMPARE(harness.messages.last().first, MessageIcon::Exclamation);
    QCOMPARE(harness.programEnds, 1);
    QVERIFY(!window.periodicTimer().isActive());
}

void MainWindowTest::secondInstanceRefused() {
    GuiHarness harness;
    const auto server = GuiHarness::startServer();
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain first;
    QVERIFY(first.Form_Load());
    QFile file(settingsFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    // The status request sent while the window was built was the one the probe used.
    QCOMPARE(server->requests().size(), 2); // the status page and the MAC page, once each

    frmMain second;
    QVERIFY(!second.Form_Load());
    QTest::qWait(20); // time for a request the second one should not have sent
    QCOMPARE(harness.messageTexts().constLast(), QStringLiteral("既に起動しています。"));
    QCOMPARE(harness.programEnds, 1);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(server->requests().size(), 2);
    QVERIFY(first.periodicTimer().isActive());

    // The lock is in the user's own runtime folder, where no other user can take its name first.
    const QString runtime = harness.dir.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkdir(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    QCOMPARE(QFileInfo(instanceLockPath(settingsFilePath())).absolutePath(), runtime);
    qunsetenv("XDG_RUNTIME_DIR");
}

void MainWindowTest::unusableSettingsFileEndsStartUp() {
    GuiHarness harness;
    QVERIFY(QDir().mkdir(settingsFilePath())); // a folder where the file should be
    frmMain window;
    QVERIFY(!window.Form_Load());
    QCOMPARE(harness.messages.size(), 1);
    QVERIFY(harness.messages.first().second.startsWith(QStringLiteral("設定ファイルを使えません")));
    QCOMPARE(harness.programEnds, 1);
    QVERIFY(harness.dialogsOpened.isEmpty());
}

void MainWindowTest::startsWithServerOff() {
    GuiHarness harness;
    tvsim::Config config;
    config.startOn = false;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    QVERIFY(window.Form_Load());
    QVERIFY(harness.messages.isEmpty());
    QCOMPARE(window.lampColour(), frmMain::White);
    QCOMPARE(window.statusText(), QStringLiteral("サーバー:OFF"));
    QVERIFY(window.option2()->isChecked());
    QVERIFY(!window.serverState().serverOn());
    QCOMPARE(window.serverState().face(), LampFace::Off);
    QVERIFY(server->requests().isEmpty()); // nothing asked of a sleeping server, no hibern.asp
}

void MainWindowTest::configuredByAddressAndMacOnly() {
    GuiHarness harness;
    WriteIni(ini::Server, ini::Address, QStringLiteral("127.0.0.1"));
    WriteIni(ini::Server, ini::Mac, QStringLiteral("00-11-22-33-44-55"));
    frmMain window;
    // No prompt: the empty URL is probed, fails, and reads as "OFF".
    QVERIFY(window.Form_Load());
    QVERIFY(harness.messages.isEmpty());
    QVERIFY(harness.dialogsOpened.isEmpty());
    QCOMPARE(window.statusText(), QStringLiteral("サーバー:OFF"));
}

void MainWindowTest::wrongUrlCorrected() {
    GuiHarness harness;
    const auto server = GuiHarness::startServer();
    WriteIni(ini::Server, ini::URL, server->url() + QStringLiteral("/missing"));
    harness.dialogScript.push_back(GuiHarness::chooseServer(server->url()));
    frmMain window;
    QVERIFY(window.Form_Load());
    QCOMPARE(harness.messageTexts(),
             QStringList{QStringLiteral("URLが間違っているようです。確認してください。")});
    QCOMPARE(window.lampColour(), frmMain::Green);
    QVERIFY(window.serverState().serverOn());
    QCOMPARE(harness.programEnds, 0);
}

void MainWindowTest::refusedCredentialsEndProgram() {
    GuiHarness harness;
    tvsim::Config config;
    config.userName = QStringLiteral("user");
    config.password = QStringLiteral("pw");
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    QVERIFY(!window.Form_Load()); // the settings dialog is closed without an answer
    QCOMPARE(harness.messageTexts(),
             (QStringList{
                 QStringLiteral("認証に失敗しました。ユーザー名、パスワードが正しく入力されているか"
                                "確認してください。"),
                 Failed}));
    QCOMPARE(window.lampColour(), frmMain::White);
    QCOMPARE(harness.programEnds, 1);
}

void MainWindowTest::unexpectedPageReopensSettings() {
    GuiHarness harness;
    tvsim::Config config;
    config.fault = tvsim::Fault::Garbage;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    QVERIFY(window.Form_Load());
    QCOMPARE(harness.messages.size(), 1);
    QVERIFY(harness.messages.first().second.startsWith(
        QStringLiteral("TVサーバーに接続しましたが、エラーを返しました。URLが間違っていないか確認"
                       "してください。\r\n\r\n")));
    QVERIFY(harness.messages.first().second.size() > 60); // the server's answer follows
    QCOMPARE(harness.dialogsOpened, QStringList{QStringLiteral("pelorin::frmSetting")});
    QCOMPARE(window.lampColour(), frmMain::White);
    QVERIFY(!window.serverState().serverOn());
    QCOMPARE(harness.programEnds, 0);
}

void MainWindowTest::macRetrievalFailureEndsProgram() {
    GuiHarness harness;
    tvsim::Config config;
    config.macBodyOverride = QStringLiteral("no addresses here");
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    QVERIFY(!window.Form_Load());
    QCOMPARE(harness.messageTexts(),
             QStringList{QStringLiteral("MACアドレスの取得に失敗しました")});
    QCOMPARE(window.lampColour(), frmMain::White);
    QCOMPARE(harness.programEnds, 1);
}

void MainWindowTest::severalUrlsAskForChoice() {
    GuiHarness harness;
    const auto server = GuiHarness::startServer();
    WriteIni(ini::Server, ini::URL, QStringLiteral("http://127.0.0.1:1/old"));
    WriteIni(ini::Server, ini::listKey(57), server->url());
    harness.dialogScript.push_back(GuiHarness::chooseServer(server->url()));
    frmMain window;
    QVERIFY(window.Form_Load());
    QCOMPARE(
        harness.messageTexts(),
        QStringList{QStringLiteral("2件以上のURLが登録されています。接続先を選択してください。")});
    QCOMPARE(harness.dialogsOpened.size(), 1);
    QCOMPARE(ReadIni(ini::Server, ini::URL), server->url());
    QCOMPARE(window.lampColour(), frmMain::Green);
    // Only one probe of the chosen server (the dialog's OK ran no Init of its own), plus MACs.
    QCOMPARE(server->requests().size(), 2);
}

void MainWindowTest::floatingButtonChosenAtStart_data() {
    QTest::addColumn<QString>("show");
    QTest::addColumn<bool>("button");
    QTest::newRow("Button") << "Button" << true;
    QTest::newRow("lower case") << "button" << false;
    QTest::newRow("Form") << "Form" << false;
}

void MainWindowTest::floatingButtonChosenAtStart() {
    QFETCH(QString, show);
    QFETCH(bool, button);
    GuiHarness harness;
    tvsim::Config config;
    config.startOn = false;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    WriteIni(ini::Form, ini::Show, show);
    frmMain window;
    QVERIFY(window.Form_Load());
    QCOMPARE(window.floatingButton()->isVisible(), button);
    QCOMPARE(window.isVisible(), !button);
}

void MainWindowTest::positionRestoredAndSaved() {
    GuiHarness harness;
    tvsim::Config config;
    config.startOn = false;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    WriteIni(ini::Pos, QStringLiteral("Main_Top"), QStringLiteral("1500"));
    WriteIni(ini::Pos, QStringLiteral("Main_Left"), QStringLiteral("0"));
    {
        frmMain window;
        QVERIFY(window.Form_Load());
        QTRY_COMPARE(window.pos().y(), 100); // applied once the window system placed it
        window.move(20, 30);
        window.close();
        QCOMPARE(harness.programEnds, 1);
    }
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Main_Top")), QStringLiteral("450"));
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Main_Left")), QStringLiteral("300"));
    {
        frmMain window;
        QVERIFY(window.Form_Load());
        QCOMPARE(window.pos(), QPoint(20, 30));
        window.move(0, 40); // at the screen's left edge: nothing is saved
        window.close();
    }
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Main_Top")), QStringLiteral("450"));
    QCOMPARE(ReadIni(ini::Pos, QStringLiteral("Main_Left")), QStringLiteral("300"));
}

void MainWindowTest::windowLayoutAndMenus() {
    GuiHarness harness;
    frmMain window;
    QCOMPARE(window.windowTitle(), QStringLiteral("ペロリン"));
    QCOMPARE(window.width(), 136);
    QCOMPARE(window.centralWidget()->height() + window.statusBar()->height(), 72);
    QVERIFY(!window.option1()->isEnabled() && !window.option2()->isEnabled());
    QVERIFY(window.findChild<QPlainTextEdit*>(QStringLiteral("txtInet"))->isHidden());
    QStringList captions;
    for (QAction* top : window.menuBar()->actions()) {
        captions.append(top->text());
        for (QAction* item : top->menu()->actions())
            captions.append(item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    QCOMPARE(captions,
             (QStringList{"設定(&S)", "TVサーバーの指定(&L)", "-", "アイコン表示(&I)", "ヘルプ(&H)",
                          "目次とキーワード(&C)", "-", "バージョン情報(&A)"}));
}

// The program's style reads some stock pictures itself; what it draws with them must not differ
// by a pixel from what the Fusion style draws.
void MainWindowTest::formStyleDrawsAsFusion() {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("fusion")));
    ui::FormStyle form;
    QCOMPARE(form.baseStyle()->name(), QStringLiteral("fusion")); // offscreen: Fusion underneath

    const auto arrow = [](const QStyle& style, int size) {
        return style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton)
            .pixmap(size)
            .toImage();
    };
    for (const int size : {8, 16, 32})
        QCOMPARE(arrow(form, size), arrow(*fusion, size));

    // A frame with a caption is drawn the classic way on purpose; one without is Fusion's.
    QGroupBox box;
    box.resize(121, 49);
    box.setStyle(fusion.get());
    const QImage expected = box.grab().toImage();
    box.setStyle(&form);
    QCOMPARE(box.grab().toImage(), expected);
}

void MainWindowTest::lampBlinksAndSettles() {
    GuiHarness harness(1.0); // real 800 ms blink steps are checked against the timer's interval
    frmMain window;
    QCOMPARE(window.lampTimer().interval(), 800);
    window.Lamp_ON();
    QCOMPARE(window.lampColour(), frmMain::Green);
    QCOMPARE(window.floatingButton()->face(), KeyFace::OnRaised);
    window.Lamp_BLINK();
    QVERIFY(window.serverState().blinking());
    QCOMPARE(window.floatingButton()->pointer(), KeyPointer::Hourglass);
    QCOMPARE(window.lampColour(), frmMain::Green); // unchanged until the first tick
    window.timLamp_Timer();
    QCOMPARE(window.lampColour(), frmMain::White); // from the lit lamp: white first
    QCOMPARE(window.serverState().face(), LampFace::On);
    window.timLamp_Timer();
    QCOMPARE(window.lampColour(), frmMain::Red);
    QCOMPARE(window.serverState().face(), LampFace::Off);
    QCOMPARE(window.floatingButton()->face(), KeyFace::OffRaised);
    window.Lamp_OFF();
    QVERIFY(!window.lampTimer().isActive());
    QVERIFY(!window.serverState().blinking());
    QCOMPARE(window.lampColour(), frmMain::White);
    QVERIFY(window.option2()->isChecked());
    QCOMPARE(window.floatingButton()->pointer(), KeyPointer::Default);
    window.Lamp_BLINK();
    window.timLamp_Timer();
    QCOMPARE(window.lampColour(), frmMain::Red); // from the dark lamp: red first

    // Assistive technology reads the lamp's state; it is no text box to type into.
    QAccessibleInterface* const lamp =
        QAccessible::queryAccessibleInterface(window.findChild<QLineEdit*>("txtLamp"));
    QCOMPARE(lamp->role(), QAccessible::StaticText);
    QVERIFY(lamp->state().readOnly);
    QVERIFY(!lamp->editableTextInterface());
    QCOMPARE(lamp->text(QAccessible::Name), QStringLiteral("ランプ"));
    QCOMPARE(lamp->text(QAccessible::Description), QStringLiteral("確認中"));
    window.Lamp_ON();
    QCOMPARE(lamp->text(QAccessible::Description), QStringLiteral("ON"));
}

void MainWindowTest::monitorFollowsServer() {
    GuiHarness harness;
    tvsim::Config config;
    config.userName = QStringLiteral("user");
    config.password = QStringLiteral("pw");
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    WriteIni(ini::Server, ini::UserName, QStringLiteral("user"));
    WriteIni(ini::Server, ini::Password, QStringLiteral("pw"));
    frmMain window;
    QVERIFY(window.Form_Load());
    QVERIFY(window.serverState().serverOn());
    window.periodicTimer().stop();
    server->clearRecords();

    // Believed on: only a TCP connection is tried, no page is requested.
    window.timPeriodic_Timer();
    QCOMPARE(window.statusText(), QStringLiteral("サーバー:ON"));
    QVERIFY(server->requests().isEmpty());
    QVERIFY(window.periodicTimer().isActive());

    server->setOn(false);
    window.timPeriodic_Timer();
    QCOMPARE(window.lampColour(), frmMain::White);
    QCOMPARE(window.statusText(), QStringLiteral("サーバー:OFF"));
    QVERIFY(!window.serverState().serverOn());

    // Believed off and still off: only the probe's own text changes.
    window.timPeriodic_Timer();
    QCOMPARE(window.statusText(), QStringLiteral("サーバー:OFF"));
    QVERIFY(window.option2()->isChecked());

    // Comes up: lamp on and "ON" selected without sending anything.
    server->setOn(true);
    window.timPeriodic_Timer();
    QCOMPARE(window.lampColour(), frmMain::Green);
    QVERIFY(window.option1()->isChecked());
    QVERIFY(window.serverState().serverOn());
    QVERIFY(server->datagrams().isEmpty());

    // A refused password reads as off, without a message.
    window.Lamp_OFF(); // believed off: the monitor probes the page
    WriteIni(ini::Server, ini::Password, QStringLiteral("changed"));
    window.timPeriodic_Timer();
    QCOMPARE(window.statusText(), QStringLiteral("サーバー:OFF"));
    QCOMPARE(window.lampColour(), frmMain::White);
    QVERIFY(harness.messages.isEmpty());
}

void MainWindowTest::menuCommands() {
    GuiHarness harness;
    tvsim::Config config;
    config.startOn = false;
    const auto server = GuiHarness::startServer(config);
    WriteIni(ini::Server, ini::URL, server->url());
    frmMain window;
    QVERIFY(window.Form_Load());

    window.MIcon_Click();
    QVERIFY(!window.isVisible());
    QVERIFY(window.floatingButton()->isVisible());
    QCOMPARE(ReadIni(ini::Form, ini::Show), QStringLiteral("Button"));

    window.MHelp1_Click();
    QCOMPARE(harness.openedUrls.size(), 1);
    QVERIFY(harness.openedUrls.first().endsWith(QStringLiteral("index.html")));
    QVERIFY(harness.messages.isEmpty());
    // No program to show it: the message names the manual's file.
    ui::setUrlOpener([](const QString&) { return false; });
    window.MHelp1_Click();
    QCOMPARE(harness.messageTexts(), QStringList{QStringLiteral("ヘルプを開けませんでした。\r\n") +
                                                 QDir::toNativeSeparators(helpManualPath())});

    window.MLocation_Click();
    QCOMPARE(harness.dialogsOpened.constLast(), QStringLiteral("pelorin::frmSetting"));
    QVERIFY(window.periodicTimer().isActive()); // the monitor goes on meanwhile

    window.MVersion_Click();
    window.MVersion_Click();
    int aboutBoxes = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        aboutBoxes += widget->inherits("pelorin::frmAbout") && widget->isVisible();
    QCOMPARE(aboutBoxes, 1);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
