#pragma once

#include "rules/wakepacket.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace pelorin {

struct WakeOptions {
    QList<quint16> ports = {2304, 9};
    int repetitions = 3;
    int pauseAfterRoundMs = 500; // one pause after each round of ports, events keep flowing
    QByteArray secureOn;         // empty, or the 6-byte password some adapters require
};

struct WakeReport {
    bool sent = false;   // every datagram was handed to the network
    QString destination; // the address the datagrams were sent to
    int datagrams = 0;   // how many went out
    QString error;       // why not all went out
};

// Sends the magic packet for `mac` to the destination derived from `address`: each round sends
// once to every port in order, then pauses. An unusable MAC text, an unresolvable host or a
// datagram the system will not send is reported, never fatal.
WakeReport SendMP(const QString& address, const QString& mac, const WakeOptions& options = {});

} // namespace pelorin
