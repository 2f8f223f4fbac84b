#include "cli/network.h"

#include <QNetworkInterface>
#include <QRegularExpression>

namespace pelorin::cli {

namespace {

quint32 maskOf(int prefix) {
    return prefix == 0 ? 0 : ~quint32(0) << (32 - prefix);
}

Ipv4Network networkOf(quint32 address, int prefix) {
    return {address & maskOf(prefix), prefix};
}

} // namespace

QList<quint32> Ipv4Network::hosts() const {
    const bool ends = prefix <= 30; // the network's own address and its broadcast address
    QList<quint32> hosts;
    hosts.reserve(qsizetype(size()));
    for (quint64 n = ends ? 1 : 0; n < size() - (ends ? 1 : 0); ++n)
        hosts.append(first + quint32(n));
    return hosts;
}

QString Ipv4Network::text() const {
    return QStringLiteral("%1/%2").arg(ipv4Text(first)).arg(prefix);
}

QString ipv4Text(quint32 address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

std::optional<Ipv4Network> parseIpv4Network(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})(?:/(\\d{1,2}))?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    quint32 address = 0;
    for (int part = 1; part <= 4; ++part) {
        const uint value = match.captured(part).toUInt();
        if (value > 255)
            return std::nullopt;
        address = address << 8 | value;
    }
    const int prefix = match.hasCaptured(5) ? match.captured(5).toInt() : 32;
    if (prefix > 32)
        return std::nullopt;
    return networkOf(address, prefix);
}

QList<Ipv4Network> localIpv4Networks() {
    QList<Ipv4Network> networks;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& interface : interfaces) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const auto entries = interface.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || entry.ip().isLoopback())
                continue;
            const int prefix = entry.prefixLength();
            const quint32 own = entry.ip().toIPv4Address();
            const Ipv4Network network =
                networkOf(own, prefix >= WidestPrefix && prefix <= 32 ? prefix : 24);
            if (!networks.contains(network))
                networks.append(network);
        }
    }
    return networks;
}

} // namespace pelorin::cli
