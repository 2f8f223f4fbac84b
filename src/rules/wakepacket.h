#pragma once

#include <QByteArray>
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

} // namespace pelorin
