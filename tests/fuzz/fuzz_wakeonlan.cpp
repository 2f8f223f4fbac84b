// Where the magic packet goes and what it holds. The destination is the address up to its first
// ":", or a home network's broadcast address (ending in 255; which one, the unit table decides);
// an IPv6 address is the destination itself, and so is the text in brackets of "[v6]:port". A
// usable MAC text gives the 102-byte packet (plus any SecureOn bytes); anything else gives none.
// Input: address and MAC text as backslash-terminated fields, then the SecureOn bytes.
#include "fuzzcheck.h"
#include "rules/macaddr.h"
#include "serverlink/wakeonlan.h"

#include <QHostAddress>

#include <optional>

using namespace pelorin;

namespace {

bool isIPv6(const QString& address) {
    return QHostAddress(address).protocol() == QAbstractSocket::IPv6Protocol;
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
    if (isIPv6(address))
        FUZZ_CHECK(destination == address, address << destination);
    else if (address.startsWith(u'['))
        FUZZ_CHECK(destination == address.mid(1, address.indexOf(u']') - 1) ||
                       (destination.isEmpty() && !address.contains(u']')),
                   address << destination);
    else
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
