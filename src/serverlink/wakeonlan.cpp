#include "serverlink/wakeonlan.h"

#include "common/timing.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>
#include <QUdpSocket>

namespace pelorin {

namespace {

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
        *error = QCoreApplication::translate("wake", "%1 を調べましたが応答がありませんでした")
                     .arg(host);
        return std::nullopt;
    }
    for (const QHostAddress& candidate : info.addresses()) {
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol)
            return candidate;
    }
    if (!info.addresses().isEmpty())
        return info.addresses().constFirst();
    *error = QCoreApplication::translate("wake", "ホスト %1 が見つかりません").arg(host);
    return std::nullopt;
}

} // namespace

WakeReport SendMP(const QString& address, const QString& mac, const WakeOptions& options) {
    WakeReport report;
    report.destination = wakeDestination(address);
    const auto packet = magicPacket(mac, options.secureOn);
    if (!packet) {
        report.error =
            QCoreApplication::translate("wake", "使えるMACアドレスではありません: %1").arg(mac);
        return report;
    }
    if (report.destination.isEmpty()) {
        report.error = QCoreApplication::translate("wake", "送り先のアドレスがありません");
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
