#include "rules/wakepacket.h"

#include "rules/macaddr.h"

#include <QHostAddress>
#include <QStringList>

namespace pelorin {

namespace {

// Parts above this are not an address at all; the text is then sent as it stands.
constexpr int MaxAddressPart = 255;

bool isNumericAddress(const QString& address) {
    for (const QChar c : address) {
        if ((c < u'0' || c > u'9') && c != u'.')
            return false;
    }
    return true;
}

std::optional<int> addressPart(const QString& part) {
    bool ok = false;
    const int value = part.toInt(&ok);
    if (!ok || part.isEmpty() || value > MaxAddressPart)
        return std::nullopt;
    return value;
}

QString broadcastFor(int a, int b, int c) {
    if (a == 10)
        return QStringLiteral("10.255.255.255");
    if (a == 172 && b >= 16 && b <= 32)
        return QStringLiteral("172.%1.255.255").arg(b);
    if (a == 192 && b == 168)
        return QStringLiteral("192.168.%1.255").arg(c);
    return {};
}

} // namespace

QString wakeDestination(const QString& address) {
    // An IPv6 address has no broadcast address: the packet goes to the address itself.
    if (address.startsWith(u'[')) {
        const qsizetype close = address.indexOf(u']');
        return close > 0 ? address.mid(1, close - 1) : QString();
    }
    if (QHostAddress(address).protocol() == QAbstractSocket::IPv6Protocol)
        return address;
    const QString host = address.section(u':', 0, 0);
    if (!isNumericAddress(host) || host.count(u'.') < 3)
        return host;
    const QStringList parts = host.split(u'.');
    const auto a = addressPart(parts.at(0));
    const auto b = addressPart(parts.at(1));
    const auto c = addressPart(parts.at(2));
    if (!a || !b || !c)
        return host;
    const QString broadcast = broadcastFor(*a, *b, *c);
    return broadcast.isEmpty() ? host : broadcast;
}

std::optional<QByteArray> parseSixHexGroups(const QString& text) {
    if (!isUsableMacText(text))
        return std::nullopt;
    QByteArray bytes;
    for (int group = 0; group < 6; ++group)
        bytes.append(static_cast<char>(text.mid(group * 3, 2).toUInt(nullptr, 16)));
    return bytes;
}

std::optional<QByteArray> magicPacket(const QString& mac, const QByteArray& secureOn) {
    const auto address = parseSixHexGroups(mac);
    if (!address)
        return std::nullopt;
    QByteArray packet(6, '\xFF');
    for (int repetition = 0; repetition < 16; ++repetition)
        packet.append(*address);
    return packet + secureOn;
}

} // namespace pelorin
