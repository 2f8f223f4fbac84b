#include "serverlink/wakeonlan.h"

#include "common/timing.h"
#include "serverlink/macaddr.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>
#include <QUdpSocket>

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

std::optional<QHostAddress> resolve(const QString& host, QString* error) {
    QHostAddress literal;
    if (literal.setAddress(host))
        return literal;

    QEventLoop loop;
    QHostInfo info;
    bool done = false;
    const int lookupId = QHostInfo::lookupHost(host, &loop, [&](const QHostInfo& answer) {
        info = answer;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(timing::scaled(10000), &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    if (!done) {
        QHostInfo::abortHostLookup(lookupId);
        *error = QStringLiteral("no answer looking up %1").arg(host);
        return std::nullopt;
    }
    for (const QHostAddress& candidate : info.addresses()) {
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol)
            return candidate;
    }
    if (!info.addresses().isEmpty())
        return info.addresses().constFirst();
    *error = QStringLiteral("cannot find the host %1").arg(host);
    return std::nullopt;
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

WakeReport SendMP(const QString& address, const QString& mac, const WakeOptions& options) {
    WakeReport report;
    report.destination = wakeDestination(address);
    const auto packet = magicPacket(mac, options.secureOn);
    if (!packet) {
        report.error = QStringLiteral("not a usable MAC address: %1").arg(mac);
        return report;
    }
    if (report.destination.isEmpty()) {
        report.error = QStringLiteral("no address to send to");
        return report;
    }
    const auto target = resolve(report.destination, &report.error);
    if (!target)
        return report;

    QUdpSocket socket;
    for (int round = 0; round < options.repetitions; ++round) {
        for (const quint16 port : options.ports) {
            if (socket.writeDatagram(*packet, *target, port) == packet->size())
                ++report.datagrams;
            else if (report.error.isEmpty())
                report.error = socket.errorString();
        }
        timing::waitProcessingEvents(options.pauseAfterRoundMs);
    }
    report.sent = report.error.isEmpty();
    return report;
}

} // namespace pelorin
