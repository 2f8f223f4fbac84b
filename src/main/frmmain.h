#pragma once

#include "button/frmdesign.h"
#include "common/ui/serverstate.h"
#include "desktop/traylamp.h"
#include "serverlink/linkview.h"
#include "serverlink/monitor.h"
#include "serverlink/powercommands.h"
#include "serverlink/serverlink.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace pelorin {

class DesktopNotices;
class InstanceLock;

// The tool's main window: start-up, the lamp and option buttons, the status bar, the periodic
// monitor, the menus and the end of the program. It shows what the server link does (LinkView)
// and lets the floating button and the tray icon stand in for it (FloatingButtonHost, TrayHost).
class frmMain final : public QMainWindow,
                      public LinkView,
                      public FloatingButtonHost,
                      public TrayHost {
    Q_OBJECT
public:
    static constexpr int LampIntervalMs = 800;
    static constexpr int MonitorIntervalMs = 15000;
    static constexpr QRgb Green = 0x00ff00;
    static constexpr QRgb White = 0xffffff;
    static constexpr QRgb Red = 0xff0000;

    // Builds the window. Before that it checks for another instance and, when start-up will
    // probe the stored URL at once, sends that request so its answer travels meanwhile.
    frmMain();
    ~frmMain() override;

    // Start-up: refuses a second instance, places the window, shows it or the floating button,
    // runs Init and starts the monitor. False when the program ended during start-up. Once the
    // first state is shown, the tray icon and the notifications follow (Form/Tray, Form/Notify).
    bool Form_Load();
    void Init();

    // Lamp routines: the only way the lamp, the floating button's face and (for ON and OFF) the
    // selected option change, and the only writers of the server state.
    void Lamp_ON();
    void Lamp_OFF();
    void Lamp_BLINK();
    void timLamp_Timer();
    void timPeriodic_Timer();

    void Option1_Click();
    void Option2_Click();
    void MLocation_Click();
    void MIcon_Click();
    void MHelp1_Click();
    void MVersion_Click();

    StatusWord CheckStatus(const QString& url) { return m_link.CheckStatus(url); }
    StatusWord CheckStatus_Silent(const QString& url) { return m_link.CheckStatus_Silent(url); }
    bool GetMacAddr(const QString& url) { return m_link.GetMacAddr(url); }

    // Read access for tests, the tray and the accessibility layer.
    const ServerState& serverState() const { return m_state; }
    QRgb lampColour() const;
    QString statusText() const;
    QRadioButton* option1() const { return Option1; }
    QRadioButton* option2() const { return Option2; }
    frmDesign* floatingButton() const { return m_design.get(); }
    // The tray icon; none where the desktop has no system tray or Form/Tray is "0", and none
    // before the first state is shown.
    TrayLamp* trayLamp() const { return m_tray.get(); }
    QTimer& periodicTimer() { return timPeriodic; }
    QTimer& lampTimer() { return timLamp; }
    PowerCommands& powerCommands() { return m_commands; }
    bool SuppressClick = false;

    // LinkView
    void showStatus(const QString& text) override;
    void showMessage(MessageIcon icon, const QString& text) override;
    void showLamp(Lamp lamp) override;
    void detailsNeeded(const QString& serverUrl) override;

    // FloatingButtonHost
    int mainTopTwips() const override;
    int mainLeftTwips() const override;
    void showMainWindow() override;
    void selectOption1() override;
    void selectOption2() override;
    void closeMainWindow() override;

    // TrayHost
    bool formShown() const override;
    void showForm(bool shown) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    QRadioButton* makeOption(const QString& caption, int left);
    void showState();
    void settleLamp(bool on);
    void selectQuietly(QRadioButton* option);
    void runPowerCommand(QRadioButton* option, PowerCommands::Result (PowerCommands::*command)());
    void openSettings();
    void openDetails(const QString& serverUrl);
    // Init's way out when start-up cannot go on: lamp off (if asked), the message, the end.
    void failStartUp(const QString& message, bool lampOff);
    bool endProgram();
    bool anotherInstanceRunning();
    void startDesktopCompanions();
    bool formIsButton() const;

    QGroupBox* Frame1 = nullptr;
    QLineEdit* txtLamp = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLabel* StatusBar1Panel1 = nullptr;
    QPlainTextEdit* txtInet = nullptr;
    QString m_inetPage; // what txtInet was last given
    QTimer timPeriodic;
    QTimer timLamp;

    ServerState m_state;
    const Settings& m_settings;
    ServerLink m_link;
    ServerMonitor m_monitor;
    PowerCommands m_commands;
    std::unique_ptr<frmDesign> m_design;
    std::unique_ptr<TrayLamp> m_tray;
    std::unique_ptr<DesktopNotices> m_notices;
    std::unique_ptr<InstanceLock> m_instanceLock;
    bool m_anotherInstance = false;
    QRadioButton* m_commandOption = nullptr; // the option whose command is running
    bool ChoosingServer = false; // Init opened the settings dialog to have one of several chosen
    bool m_ended = false;
};

// The lock that keeps a second Pelorin from running on the same settings file.
QString instanceLockPath(const QString& settingsPath);

} // namespace pelorin
