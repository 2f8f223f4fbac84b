#pragma once

#include "common/ui/serverstate.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <array>
#include <optional>

class QAction;

namespace pelorin {

// What the tray icon asks of the main window.
class TrayHost {
public:
    virtual ~TrayHost() = default;
    virtual void selectOption1() = 0;   // select "ON": runs the ON command
    virtual void selectOption2() = 0;   // select "OFF": runs the OFF command
    virtual void closeMainWindow() = 0; // unloads the main window, which ends the program
    // The window Form/Show names (the main window, or the floating button for "Button"): whether
    // it shows, and showing or hiding it.
    virtual bool formShown() const = 0;
    virtual void showForm(bool shown) = 0;
};

// The lamp in the desktop's system tray: the lamp's colour, blinking as the lamp blinks (it
// follows the server state, with no timer of its own), the status bar's text as its tooltip, and
// a menu with ON and OFF (the option buttons' commands), show or hide, and 終了. A click shows or
// hides the window Form/Show names.
//
// The main window makes it once the first state is shown, and only where the desktop has a
// system tray.
class TrayLamp final : public QObject {
    Q_OBJECT
public:
    TrayLamp(TrayHost& host, const ServerState& state, QObject* parent = nullptr);

    QSystemTrayIcon& icon() { return m_icon; }
    QMenu* menu() { return &m_menu; }
    QAction* onAction() const { return m_on; }
    QAction* offAction() const { return m_off; }
    QAction* showAction() const { return m_show; }
    QAction* endAction() const { return m_end; }
    // The icon's picture for each lamp colour.
    static QIcon lampIcon(LampColour colour);

private:
    void stateChanged();
    void activated(QSystemTrayIcon::ActivationReason reason);
    void toggleForm();
    void nameShowAction();

    TrayHost& m_host;
    const ServerState& m_state;
    QSystemTrayIcon m_icon;
    QMenu m_menu;
    QAction* m_on = nullptr;
    QAction* m_off = nullptr;
    QAction* m_show = nullptr;
    QAction* m_end = nullptr;
    std::array<QIcon, 3> m_lampIcons; // by LampColour, drawn once
    std::optional<LampColour> m_shownColour;
};

} // namespace pelorin
