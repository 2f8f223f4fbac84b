#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace pelorin {

// Where the magic packet goes for a server address: a dotted address in one of the home-network
// ranges (10.x, 172.16-32.x, 192.168.x) is turned into that network's broadcast address, so the
// packet reaches a sleeping machine; anything else (another address, a host name) is used as it
// is. A ":port" after the address is dropped. An IPv6 address, bare or in brackets as in a URL
// ("[v6]" or "[v6]:port"), is used as it is; a bracket that is not closed leaves no address.
QString wakeDestination(const QString& address);

// The 102-byte magic packet for a MAC address text (see isUsableMacText), optionally followed by
// a 6-byte SecureOn password. Nothing when the text is not a usable address.
std::optional<QByteArray> magicPacket(const QString& mac, const QByteArray& secureOn = {});

// Parses "XX-XX-XX-XX-XX-XX" (or with ":") into six bytes; nothing when it is not that form.
std::optional<QByteArray> parseSixHexGroups(const QString& text);

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
