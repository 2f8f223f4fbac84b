#include "main/frmmain.h"

#include "about/frmabout.h"
#include "about/help.h"
#include "common/language.h"
#include "common/timing.h"
#include "common/ui/accessibility.h"
#include "common/ui/application.h"
#include "common/ui/fonts.h"
#include "common/ui/formcontrols.h"
#include "common/ui/seams.h"
#include "common/ui/twips.h"
#include "common/ui/windowpos.h"
#include "desktop/desktopnotices.h"
#include "desktop/notices.h"
#include "dialogs/frmmac.h"
#include "dialogs/frmsetting.h"
#include "main/instancelock.h"
#include "settings/settings.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>

#include <algorithm>

namespace pelorin {

namespace {

// The most of a response the hidden response box holds.
constexpr qsizetype ResponseBoxChars = 32 * 1024;

// Client area of the window, below the menu bar, in twips.
constexpr int ClientWidth = 2040;
constexpr int ClientHeight = 1080;

QRgb rgbOf(LampColour colour) {
    switch (colour) {
    case LampColour::Green:
        return frmMain::Green;
    case LampColour::Red:
        return frmMain::Red;
    case LampColour::White:
        break;
    }
    return frmMain::White;
}

// The stored URL when Init goes straight to its status probe, with no dialog before it;
// empty otherwise.
QString urlProbedAtOnce(const Settings& settings) {
    const QString url = settings.url();
    return url.isEmpty() || settings.severalUrlsRegistered() ? QString() : url;
}

// What is wrong with the settings file, for the user; empty when it can be used. An unusable one
// (a folder, a device, a huge file) would read as no settings at all and take no changes.
QString settingsFileTrouble() {
    const QString path = QDir::toNativeSeparators(settingsFilePath());
    switch (settingsFileProblem()) {
    case IniFile::Problem::None:
        break;
    case IniFile::Problem::NotRegularFile:
        return QCoreApplication::translate(
                   "frmMain", "設定ファイルを使えません：通常のファイルではありません。\r\n%1")
            .arg(path);
    case IniFile::Problem::TooLarge:
        return QCoreApplication::translate(
                   "frmMain", "設定ファイルを使えません：大きすぎます（%1 MiB まで）。\r\n%2")
            .arg(IniFile::MaxFileBytes >> 20)
            .arg(path);
    case IniFile::Problem::Unreadable:
        return QCoreApplication::translate("frmMain",
                                           "設定ファイルを使えません：読み込めません。\r\n%1")
            .arg(path);
    }
    return {};
}

bool isOnOrOff(StatusWord word) {
    return word == StatusWord::On || word == StatusWord::Off;
}

// Marks Init's look at the server in the state for as long as it runs, whichever way it ends.
class InitialisingFlag {
public:
    explicit InitialisingFlag(ServerState& state) : m_state(state), m_before(state.initialising()) {
        m_state.setInitialising(true);
    }
    ~InitialisingFlag() { m_state.setInitialising(m_before); }
    InitialisingFlag(const InitialisingFlag&) = delete;
    InitialisingFlag& operator=(const InitialisingFlag&) = delete;

private:
    ServerState& m_state;
    const bool m_before;
};

} // namespace

QString instanceLockPath(const QString& settingsPath) {
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(settingsPath).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    // In the user's own runtime folder: in the shared temporary folder another user could take
    // the name first and keep Pelorin from ever starting.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("pelorin-%1.lock").arg(QLatin1String(key)));
}

frmMain::frmMain()
    : m_settings(programSettings()), m_link(m_settings, *this),
      m_monitor(m_link, m_settings, *this), m_commands(m_link, m_settings, *this) {
    // The instance check and the first status request come before the window is built: the
    // answer travels while the window is laid out, and a second instance asks the server
    // nothing. Form_Load reports the check's result in its place.
    m_anotherInstance = anotherInstanceRunning();
    if (!m_anotherInstance) {
        if (const QString url = urlProbedAtOnce(m_settings); !url.isEmpty())
            m_link.prefetchStatus(url);
    }

    setWindowTitle(programTitle());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    buildMenus();
    buildWindow();

    timLamp.setInterval(timing::scaled(LampIntervalMs));
    timPeriodic.setInterval(timing::scaled(MonitorIntervalMs));
    timPeriodic.setSingleShot(false);
    connect(&timLamp, &QTimer::timeout, this, &frmMain::timLamp_Timer);
    connect(&timPeriodic, &QTimer::timeout, this, &frmMain::timPeriodic_Timer);

    m_design = std::make_unique<frmDesign>(*this, m_state);
    connect(&m_state, &ServerState::changed, this, &frmMain::showState);
}

frmMain::~frmMain() = default;

void frmMain::buildMenus() {
    QMenu* const MSettei = menuBar()->addMenu(QCoreApplication::translate("frmMain", "設定(&S)"));
    MSettei->setObjectName(QStringLiteral("MSettei"));
    QAction* const MLocation =
        MSettei->addAction(QCoreApplication::translate("frmMain", "TVサーバーの指定(&L)"));
    MLocation->setObjectName(QStringLiteral("MLocation"));
    MSettei->addSeparator()->setObjectName(QStringLiteral("MBar2"));
    QAction* const MIcon =
        MSettei->addAction(QCoreApplication::translate("frmMain", "アイコン表示(&I)"));
    MIcon->setObjectName(QStringLiteral("MIcon"));

    QMenu* const MHelp = menuBar()->addMenu(QCoreApplication::translate("frmMain", "ヘルプ(&H)"));
    MHelp->setObjectName(QStringLiteral("MHelp"));
    QAction* const MHelp1 =
        MHelp->addAction(QCoreApplication::translate("frmMain", "目次とキーワード(&C)"));
    MHelp1->setObjectName(QStringLiteral("MHelp1"));
    MHelp->addSeparator()->setObjectName(QStringLiteral("MBar1"));
    QAction* const MVersion =
        MHelp->addAction(QCoreApplication::translate("frmMain", "バージョン情報(&A)"));
    MVersion->setObjectName(QStringLiteral("MVersion"));

    connect(MLocation, &QAction::triggered, this, &frmMain::MLocation_Click);
    connect(MIcon, &QAction::triggered, this, &frmMain::MIcon_Click);
    connect(MHelp1, &QAction::triggered, this, &frmMain::MHelp1_Click);
    connect(MVersion, &QAction::triggered, this, &frmMain::MVersion_Click);
}

QRadioButton* frmMain::makeOption(const QString& caption, int left) {
    auto* const option = new QRadioButton(caption, Frame1);
    option->setGeometry(twips::rect(left, 240, 615, 375));
    const QStyle* const style = option->style();
    ui::fitText(*option, caption,
                option->width() - style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) -
                    style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing));
    option->setEnabled(false); // until the first status is known
    option->setAccessibleName(caption);
    return option;
}

void frmMain::buildWindow() {
    auto* const client = new QWidget(this);
    client->setAccessibleName(programTitle());
    setCentralWidget(client);

    Frame1 = new QGroupBox(client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips::rect(120, 0, 1815, 735));
    Frame1->setAccessibleName(QCoreApplication::translate("frmMain", "サーバーの電源"));

    txtLamp = new QLineEdit(Frame1);
    txtLamp->setObjectName(QStringLiteral("txtLamp"));
    txtLamp->setGeometry(twips::rect(120, 360, 135, 135));
    txtLamp->setReadOnly(true);
    txtLamp->setFocusPolicy(Qt::NoFocus);
    txtLamp->setFrame(false);
    txtLamp->setFont(ui::formFont(4));
    txtLamp->setAutoFillBackground(true);
    txtLamp->setAccessibleName(QCoreApplication::translate("frmMain", "ランプ"));
    ui::presentAs(*txtLamp, ui::AccessibleKind::Indicator);

    Option1 = makeOption(QStringLiteral("ON"), 360);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option2 = makeOption(QStringLiteral("OFF"), 960);
    Option2->setObjectName(QStringLiteral("Option2"));
    // A selection made by code runs the click handler just as a user's click does; the
    // handlers themselves decide (SuppressClick) whether to act.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });

    // Never shown: it only holds the last response text. Hidden, it is neither styled nor laid
    // out when the window shows or a page arrives.
    txtInet = new QPlainTextEdit(QStringLiteral("txtInet"), client);
    txtInet->setObjectName(QStringLiteral("txtInet"));
    txtInet->setGeometry(twips::rect(2760, 0, 3015, 975));
    txtInet->setFocusPolicy(Qt::NoFocus);
    // One long line is laid out once; wrapped, a long page would cost time growing with the
    // square of its length.
    txtInet->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_inetPage = txtInet->toPlainText();
    txtInet->setAccessibleName(QCoreApplication::translate("frmMain", "応答"));
    txtInet->setVisible(false);

    StatusBar1Panel1 = new QLabel(this);
    StatusBar1Panel1->setObjectName(QStringLiteral("StatusBar1Panel1"));
    StatusBar1Panel1->setAccessibleName(QCoreApplication::translate("frmMain", "状態"));
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(StatusBar1Panel1, 1);
    showState();

    // The client area below the menu bar holds the frame and the status bar; the window grows
    // around it by whatever height the menu bar needs.
    client->setFixedSize(twips::toPixels(ClientWidth),
                         twips::toPixels(ClientHeight) - statusBar()->sizeHint().height());
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

// ---- Start-up and Init ----------------------------------------------------------------------

bool frmMain::anotherInstanceRunning() {
    m_instanceLock = std::make_unique<InstanceLock>(instanceLockPath(settingsFilePath()));
    return !m_instanceLock->tryLock();
}

bool frmMain::endProgram() {
    m_ended = true;
    timPeriodic.stop();
    timLamp.stop();
    ui::endProgram();
    return false;
}

bool frmMain::Form_Load() {
    if (m_anotherInstance) {
        ui::showMessage(MessageIcon::Exclamation,
                        QCoreApplication::translate("frmMain", "既に起動しています。"));
        return endProgram();
    }
    if (const QString problem = settingsFileTrouble(); !problem.isEmpty()) {
        ui::showMessage(MessageIcon::Exclamation, problem);
        return endProgram();
    }
    ui::restoreWindowPosition(*this, Window::Main);
    SuppressClick = true;
    // Only the window that stays visible is shown: showing the other one only to hide it at
    // once would cost start-up time and change nothing on the screen.
    m_design->Form_Load();
    // The answer to the status request sent while the window was built has mostly arrived by
    // now; taken in before the window shows, it lets the first paint show the server's state
    // rather than "connecting", painted over a moment later.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (formIsButton())
        m_design->setVisible(true);
    else
        setVisible(true);
    Init();
    if (m_ended)
        return false;
    SuppressClick = false;
    timPeriodic.start();
    // Nothing of them, nor the program icon, may delay the first state on the screen: they come
    // once it is there.
    QMetaObject::invokeMethod(this, &frmMain::startDesktopCompanions, Qt::QueuedConnection);
    return true;
}

bool frmMain::formIsButton() const {
    return m_settings.read(ini::Form, ini::Show) == QLatin1String("Button");
}

void frmMain::startDesktopCompanions() {
    if (m_ended)
        return;
    ui::applyDeferredSetUp();
    if (notices::switchedOn(m_settings.read(ini::Form, ini::Tray)) &&
        QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = std::make_unique<TrayLamp>(*this, m_state);
        m_tray->icon().show();
    }
    if (notices::switchedOn(m_settings.read(ini::Form, ini::Notify)))
        m_notices = std::make_unique<DesktopNotices>(m_state);
}

void frmMain::openSettings() {
    SettingDialogHooks hooks;
    hooks.runInit = [this] {
        if (!ChoosingServer)
            Init();
    };
    hooks.openDetails = [this](const QString& url) { openDetails(url); };
    openSettingDialog(hooks);
}

void frmMain::failStartUp(const QString& message, bool lampOff) {
    if (lampOff)
        Lamp_OFF();
    showMessage(MessageIcon::Exclamation, message);
    endProgram();
}

void frmMain::Init() {
    if (m_ended)
        return;
    const InitialisingFlag initialising(m_state);
    if (m_settings.serverMissing()) {
        showMessage(MessageIcon::Information,
                    QCoreApplication::translate("frmMain", "TVサーバーのURLを指定してください"));
        openSettings();
        if (m_ended)
            return;
    }
    if (m_settings.serverMissing())
        return failStartUp(QCoreApplication::translate("frmMain", "接続できませんでした"), false);
    if (m_settings.severalUrlsRegistered()) {
        showMessage(MessageIcon::Information,
                    QCoreApplication::translate(
                        "frmMain", "2件以上のURLが登録されています。接続先を選択してください。"));
        ChoosingServer = true;
        openSettings();
        ChoosingServer = false;
        if (m_ended)
            return;
    }

    Lamp_BLINK();
    StatusWord status = CheckStatus(m_settings.url());

    if (status == StatusWord::WrongURL) {
        Lamp_OFF();
        showMessage(MessageIcon::Exclamation,
                    QCoreApplication::translate("frmMain",
                                                "URLが間違っているようです。確認してください。"));
        openSettings();
        if (m_ended)
            return;
        status = CheckStatus(m_settings.url());
        if (!isOnOrOff(status))
            return failStartUp(QCoreApplication::translate("frmMain", "接続できませんでした。"),
                               false);
    }
    if (status == StatusWord::PasswordRequired) {
        showMessage(MessageIcon::Exclamation,
                    QCoreApplication::translate(
                        "frmMain",
                        "認証に失敗しました。ユーザー名、パスワードが正しく入力されているか確認"
                        "してください。"));
        openSettings();
        if (m_ended)
            return;
        status = CheckStatus(m_settings.url());
        if (!isOnOrOff(status))
            return failStartUp(QCoreApplication::translate("frmMain", "接続できませんでした"),
                               true);
    }
    if (status == StatusWord::BadConfigulation) {
        Lamp_OFF();
        showMessage(MessageIcon::Exclamation,
                    QCoreApplication::translate(
                        "frmMain", "TVサーバーに接続しましたが、エラーを返しました。URLが間"
                                   "違っていないか確認してください。\r\n\r\n%1")
                        .arg(m_link.responseText()));
        // Run from the settings dialog's OK: reopening it would nest without end.
        if (loadedSettingDialog()) {
            endProgram();
            return;
        }
        openSettings();
        return;
    }
    // Lamp_ON and Lamp_OFF select the matching option themselves.
    if (status == StatusWord::On) {
        Lamp_ON();
        if (!GetMacAddr(m_settings.url()))
            failStartUp(QCoreApplication::translate("frmMain", "MACアドレスの取得に失敗しました"),
                        true);
    } else if (status == StatusWord::Off) {
        Lamp_OFF();
    }
}

// ---- Closing --------------------------------------------------------------------------------

void frmMain::closeEvent(QCloseEvent* event) {
    // Saved whether the window is visible or hidden behind the floating button.
    ui::saveWindowPosition(*this, Window::Main);
    event->accept();
    endProgram();
}

// ---- Menus ----------------------------------------------------------------------------------

void frmMain::MLocation_Click() {
    openSettings();
}

void frmMain::MIcon_Click() {
    m_design->setVisible(true);
    hide();
    WriteIni(ini::Form, ini::Show, QStringLiteral("Button"));
}

void frmMain::MHelp1_Click() {
    // Without a manual, or without a program to show it, the user learns which file it was.
    const QString manual = helpManualPath();
    if (!ShowHelp(this, manual))
        showMessage(MessageIcon::Exclamation,
                    QCoreApplication::translate("frmMain", "ヘルプを開けませんでした。\r\n%1")
                        .arg(QDir::toNativeSeparators(manual.isEmpty() ? expectedHelpManualPath()
                                                                       : manual)));
}

void frmMain::MVersion_Click() {
    showAboutBox();
}

// ---- Lamp -----------------------------------------------------------------------------------

void frmMain::showState() {
    QPalette palette = txtLamp->palette();
    const QColor colour(rgbOf(m_state.colour()));
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    txtLamp->setPalette(palette);
    txtLamp->setAccessibleDescription(m_state.description());
    StatusBar1Panel1->setText(m_state.statusText());
    StatusBar1Panel1->setAccessibleDescription(m_state.statusText());
}

QRgb frmMain::lampColour() const {
    return rgbOf(m_state.colour());
}

void frmMain::selectQuietly(QRadioButton* option) {
    SuppressClick = true;
    option->setChecked(true);
    SuppressClick = false;
    // While a user's click on the other option is still being handled, that option holds its own
    // repaint back; both are asked to repaint so that exactly one of them shows as selected.
    Option1->update();
    Option2->update();
}

void frmMain::Lamp_ON() {
    settleLamp(true);
}

void frmMain::Lamp_OFF() {
    settleLamp(false);
}

// Ends any blinking and shows the server's state everywhere at once: the lamp, the selected
// option (without starting its command) and, through the state, the floating button's face.
void frmMain::settleLamp(bool on) {
    Option1->setEnabled(true);
    Option2->setEnabled(true);
    timLamp.stop();
    m_state.settle(on);
    selectQuietly(on ? Option1 : Option2);
}

void frmMain::Lamp_BLINK() {
    m_state.startBlinking();
    if (!timLamp.isActive())
        timLamp.start();
}

void frmMain::timLamp_Timer() {
    m_state.blinkStep();
}

// ---- Status bar and messages ----------------------------------------------------------------

void frmMain::showStatus(const QString& text) {
    m_state.setStatusText(text);
    // The box is out of sight and only mirrors the page. It is refilled when the page changed,
    // and a page far longer than any real one is cut: laying out a megabyte of text would hold
    // the GUI thread for seconds.
    const QString page = m_link.responseText().left(ResponseBoxChars);
    if (page != m_inetPage) {
        m_inetPage = page;
        txtInet->setPlainText(page);
    }
}

QString frmMain::statusText() const {
    return m_state.statusText();
}

void frmMain::showMessage(MessageIcon icon, const QString& text) {
    ui::showMessage(icon, text);
}

// ---- Monitor --------------------------------------------------------------------------------

void frmMain::timPeriodic_Timer() {
    timPeriodic.stop();
    // A request of a running command or dialog holds the one HTTP client: look again later.
    if (m_link.client().isBusy()) {
        timPeriodic.start();
        return;
    }
    m_monitor.check(m_state.serverOn());
    if (!m_ended)
        timPeriodic.start();
}

// ---- Power commands -------------------------------------------------------------------------

void frmMain::runPowerCommand(QRadioButton* option,
                              PowerCommands::Result (PowerCommands::*command)()) {
    if (SuppressClick)
        return;
    // One command at a time: its waits let clicks in, and two commands would share the one
    // HTTP client. The other option's selection is put back as it was.
    if (m_commands.isRunning()) {
        if (m_commandOption && m_commandOption != option)
            selectQuietly(m_commandOption);
        return;
    }
    timPeriodic.stop();
    m_commandOption = option;
    m_state.setBusy(true);
    // A click runs the command from inside the button's own click handling, which repaints the
    // button only once the handler returns; the command takes seconds, so ask for it now.
    option->update();
    const PowerCommands::Result result = (m_commands.*command)();
    m_state.endCommand(result.end);
    m_commandOption = nullptr;
    if (!m_ended)
        timPeriodic.start();
}

void frmMain::Option1_Click() {
    runPowerCommand(Option1, &PowerCommands::switchOn);
}

void frmMain::Option2_Click() {
    runPowerCommand(Option2, &PowerCommands::switchOff);
}

void frmMain::showLamp(Lamp lamp) {
    switch (lamp) {
    case Lamp::Checking:
        Lamp_BLINK();
        return;
    case Lamp::On:
        Lamp_ON();
        return;
    case Lamp::Off:
        break;
    }
    Lamp_OFF();
}

void frmMain::detailsNeeded(const QString& serverUrl) {
    // OFF shows as chosen, without its command, while the user types the address to wake.
    selectQuietly(Option2);
    openDetails(serverUrl);
}

void frmMain::openDetails(const QString& serverUrl) {
    openDetailsDialog(
        serverUrl, {m_link.lastProbeOn(), [this](const QString& url) { return GetMacAddr(url); }});
}

// ---- Floating button host -------------------------------------------------------------------

int frmMain::mainTopTwips() const {
    return ui::windowTopTwips(*this);
}

int frmMain::mainLeftTwips() const {
    return ui::windowLeftTwips(*this);
}

void frmMain::showMainWindow() {
    setVisible(true);
}

void frmMain::selectOption1() {
    Option1->setChecked(true);
}

void frmMain::selectOption2() {
    Option2->setChecked(true);
}

void frmMain::closeMainWindow() {
    close();
}

// ---- Tray host -------------------------------------------------------------------------------

bool frmMain::formShown() const {
    return formIsButton() ? m_design->isVisible() : isVisible();
}

void frmMain::showForm(bool shown) {
    QWidget* const form = formIsButton() ? static_cast<QWidget*>(m_design.get()) : this;
    form->setVisible(shown);
    if (shown) {
        form->raise();
        form->activateWindow();
    }
}

} // namespace pelorin
