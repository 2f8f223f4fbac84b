#pragma once

#include "serverlink/powercommands.h"

#include <QObject>
#include <QString>

namespace pelorin {

// The lamp's colour: white (dark), green (lit), or red, the other colour of a blink.
enum class LampColour { White, Green, Red };

// The picture the floating button shows for the lamp: none before the first state is known, the
// server-on key or the server-off key. While the lamp blinks it alternates with the colour.
enum class LampFace { None, On, Off };

// What the windows show about the server, in one place: the belief that it runs, the lamp's
// colour and face, whether the lamp blinks (a probe or command is under way), whether a power
// command runs or Init looks at the server, and the status bar's text. The main window's lamp
// routines, its command runner, Init and its status bar are the only writers; the main window's
// lamp, the floating button, the tray icon and the notifications follow it through its signals.
class ServerState final : public QObject {
    Q_OBJECT
public:
    bool serverOn() const { return m_serverOn; }
    LampColour colour() const { return m_colour; }
    LampFace face() const { return m_face; }
    bool blinking() const { return m_blinking; }
    bool busy() const { return m_busy; }
    bool initialising() const { return m_initialising; }
    const QString& statusText() const { return m_statusText; }
    // What the lamp says in words, for assistive technology: "確認中" while it blinks, otherwise
    // "ON" or "OFF" as its colour shows.
    QString description() const;

    // Lamp_ON and Lamp_OFF: the blinking ends and the lamp shows the server on or off.
    void settle(bool on);
    // Lamp_BLINK: the lamp blinks from its next step on; colour and face stay for now.
    void startBlinking();
    // One step of the blink: white turns red (the off face), anything else white (the on face).
    void blinkStep();
    // A power command starts (true) or ends (false).
    void setBusy(bool busy);
    // The power command has ended with `end`: busy no more, then commandEnded.
    void endCommand(PowerCommands::End end);
    // Init looks at the server, at start-up or again after the settings dialog: what it finds is
    // where the server stands, not a change of it.
    void setInitialising(bool initialising);
    void setStatusText(const QString& text);

Q_SIGNALS:
    // Any of the values above changed.
    void changed();
    // The lamp and the button's face were painted: by settle() or a blink step, even when they
    // show what they showed before (the button then drops a pressed-in face).
    void lampPainted();
    // startBlinking(): the lamp blinks, and the button shows the hourglass, from now on.
    void blinkingStarted();
    // endCommand(): how the power command ended; busy() is already false.
    void commandEnded(pelorin::PowerCommands::End end);

private:
    void paint(LampColour colour, LampFace face);

    bool m_serverOn = false;
    LampColour m_colour = LampColour::White;
    LampFace m_face = LampFace::None;
    bool m_blinking = false;
    bool m_busy = false;
    bool m_initialising = false;
    QString m_statusText;
};

} // namespace pelorin
