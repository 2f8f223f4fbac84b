#pragma once

#include "common/message.h"

#include <QString>

namespace pelorin {

// The messages the core shows, in the user's language; pelorinctl recognises some of them.
namespace message_text {
QString noMac();       // no MAC address to wake the server with
QString encoderBusy(); // the server refused to hibernate
QString noAnswer();    // the hibernate request went unanswered
QString macTimeout();  // the MAC list could not be fetched
} // namespace message_text

// What the status probe, the MAC retrieval, the power commands and the monitor have to say while
// they work. The main window shows it with its lamp, status bar and message boxes; pelorinctl
// with text.
class LinkView {
public:
    // The server's state as the lamp shows it: being found out or switched (blinking), or on or
    // off as the latest look found it.
    enum class Lamp { Checking, On, Off };

    virtual ~LinkView() = default;

    virtual void showStatus(const QString& text) = 0; // the status bar's state or progress text
    virtual void showMessage(MessageIcon icon, const QString& text) = 0;
    virtual void showLamp(Lamp lamp) = 0;

    // The ON command found no usable MAC address to wake: the user is to give one (the window
    // shows OFF as chosen and opens the details dialog for `serverUrl`). Returns when done.
    virtual void detailsNeeded(const QString& serverUrl) = 0;
};

} // namespace pelorin
