// Where the magic packet goes and what it holds. The destination is the address up to its first
// ":" unless that is a dotted home-network address, which becomes its network's broadcast
// address (ending in 255); the reference below decides that by its own parsing. An IPv6 address
// (as QHostAddress reads it) is the destination itself, and so is the text in brackets before
// "]" ("[v6]:port" as a URL writes it). A usable MAC text gives the 102-byte packet (plus any
// SecureOn bytes); anything else gives none.
// Input: address and MAC text as backslash-terminated fields, then the SecureOn bytes.
#include "fuzzcheck.h"
#include "rules/macaddr.h"
#include "serverlink/wakeonlan.h"

#include <QHostAddress>

#include <charconv>
#include <optional>

using namespace pelorin;

namespace {

// A decimal part of a dotted address as the rule reads it: digits only, leading zeros allowed,
// at most 255. Anything else means the text is used as it stands.
std::optional<int> part(const QString& text) {
    const std::string digits = text.toStdString();
    int value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || error != std::errc() || stop != end || value > 255)
        return std::nullopt;
    return value;
}

bool isIPv6(const QString& address) {
    return QHostAddress(address).protocol() == QAbstractSocket::IPv6Protocol;
}

QString expectedDestination(const QString& address) {
    if (address.startsWith(u'[')) {
        const qsizetype close = address.indexOf(u']');
        return close < 0 ? QString() : address.mid(1, close - 1);
    }
    if (isIPv6(address))
        return address;
    const qsizetype colon = address.indexOf(u':');
    const QString host = colon < 0 ? address : address.left(colon);
    for (const QChar c : host)
        if (c != u'.' && (c < u'0' || c > u'9'))
            return host;
    const QStringList parts = host.split(u'.');
    if (parts.size() < 4)
        return host;
    const auto a = part(parts[0]);
    const auto b = part(parts[1]);
    const auto c = part(parts[2]);
    if (!a || !b || !c)
        return host;
    if (*a == 10)
        return QStringLiteral("10.255.255.255");
    if (*a == 172 && *b >= 16 && *b <= 32)
        return QStringLiteral("172.%1.255.255").arg(*b);
    if (*a == 192 && *b == 168)
        return QStringLiteral("192.168.%1.255").arg(*c);
    return host;
}

std::optional<QByteArray> expectedMacBytes(const QString& mac) {
    if (mac.size() != 17)
        return std::nullopt;
    QByteArray bytes;
    for (int group = 0; group < 6; ++group) {
        int value = 0;
        for (int digit = 0; digit < 2; ++digit) {
            const char16_t c = mac[group * 3 + digit].unicode();
            const int nibble = c >= u'0' && c <= u'9'   ? c - u'0'
                               : c >= u'a' && c <= u'f' ? c - u'a' + 10
                               : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                        : -1;
            if (nibble < 0)
                return std::nullopt;
            value = value * 16 + nibble;
        }
        bytes.append(static_cast<char>(value));
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString address = fuzz::field(input, 256);
    const QString mac = fuzz::field(input, 64);
    const std::string secureOnBytes = input.ConsumeRemainingBytesAsString();
    const QByteArray secureOn(secureOnBytes.data(), static_cast<qsizetype>(secureOnBytes.size()));

    const QString destination = wakeDestination(address);
    FUZZ_CHECK(destination == expectedDestination(address), address << destination);
    if (!address.startsWith(u'[') && !isIPv6(address))
        FUZZ_CHECK(destination == address.section(u':', 0, 0) ||
                       (destination.endsWith(QLatin1String(".255")) && !destination.contains(u':')),
                   address << destination);

    const auto packet = magicPacket(mac, secureOn);
    const auto macBytes = expectedMacBytes(mac);
    FUZZ_CHECK(packet.has_value() == macBytes.has_value(), mac);
    FUZZ_CHECK(isUsableMacText(mac) == macBytes.has_value(), mac);
    if (packet) {
        FUZZ_CHECK(packet->size() == 102 + secureOn.size(), mac << packet->size());
        FUZZ_CHECK(packet->startsWith(QByteArray(6, '\xFF')) && packet->endsWith(secureOn), mac);
        for (int repetition = 0; repetition < 16; ++repetition)
            FUZZ_CHECK(packet->mid(6 + repetition * 6, 6) == *macBytes, mac << repetition);
    }
    return 0;
}
