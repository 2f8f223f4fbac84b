#pragma once

#include <QList>
#include <QString>

#include <optional>

// IPv4 networks as `pelorinctl discover` takes and suggests them.
namespace pelorin::cli {

struct Ipv4Network {
    quint32 first = 0; // the network's own address: every host bit clear
    int prefix = 32;

    quint64 size() const { return quint64(1) << (32 - prefix); }
    // Every address but the network's own and its broadcast address; a /31 and a /32 have
    // neither, so all of theirs.
    QList<quint32> hosts() const;
    QString text() const; // "192.0.2.0/24"
    bool operator==(const Ipv4Network&) const = default;
};

// "a.b.c.d/n" (host bits may be set: they are cleared) or a single address "a.b.c.d" (a /32).
std::optional<Ipv4Network> parseIpv4Network(const QString& text);

QString ipv4Text(quint32 address);

// The largest network one argument may name: a scan of it stays short.
inline constexpr int WidestPrefix = 22;

// This machine's IPv4 networks (interfaces that are up, loopback left out), each at most a
// /WidestPrefix: a wider one becomes the /24 around this machine's own address in it.
QList<Ipv4Network> localIpv4Networks();

} // namespace pelorin::cli
