#pragma once

#include <QString>

namespace pelorin {

enum class MessageIcon { Exclamation = 48, Information = 64 };

// How the server-link logic shows what happens. The main window implements it with its lamp,
// status bar and message boxes; the command-line tool with text.
class LinkView {
public:
    virtual ~LinkView() = default;

    virtual void setStatusText(const QString& text) = 0; // the status bar's state/progress text
    virtual void showMessage(MessageIcon icon, const QString& text) = 0;

    virtual void lampOn() = 0;
    virtual void lampOff() = 0;
    virtual void lampBlink() = 0;

    // Shows "OFF" as the chosen option without starting the OFF command (the ON command could
    // not start: there is no address to wake).
    virtual void selectOffWithoutCommand() = 0;

    // Lets the user type the server's address and MAC address; returns when that is done.
    virtual void openDetailsDialog(const QString& serverUrl) = 0;
};

} // namespace pelorin
