// The MAC list a server sends (GetMacAddr.asp): any body splits into at most five items, each the
// text after its first ":" up to its "|", and the rest is exactly what follows the last "|" that
// was used. Usable items turn into six bytes that spell the same digits.
#include "fuzzcheck.h"
#include "rules/macaddr.h"
#include "serverlink/wakeonlan.h"

#include <algorithm>

using namespace pelorin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString body = fuzz::text(data, size);
    const MacItems items = parseMacItems(body);

    const QStringList pieces = body.split(u'|');
    const qsizetype used = std::min<qsizetype>(MaxMacItems, pieces.size() - 1);
    FUZZ_CHECK(items.addresses.size() == used, body << items.addresses);
    FUZZ_CHECK(body.endsWith(items.rest), body << items.rest);
    FUZZ_CHECK(items.rest == pieces.mid(used).join(u'|'), body << items.rest);
    for (qsizetype i = 0; i < used; ++i) {
        const QString& piece = pieces[i];
        const qsizetype colon = piece.indexOf(u':');
        FUZZ_CHECK(items.addresses[i] == (colon < 0 ? piece : piece.mid(colon + 1)),
                   body << i << items.addresses[i]);
    }

    for (const QString& address : items.addresses) {
        const auto bytes = parseSixHexGroups(address);
        FUZZ_CHECK(bytes.has_value() == isUsableMacText(address), address);
        if (!bytes)
            continue;
        FUZZ_CHECK(address.size() == 17 && bytes->size() == 6, address);
        for (int group = 0; group < 6; ++group) {
            const QString digits = address.mid(group * 3, 2);
            const QString spelled =
                QString::number(static_cast<uchar>(bytes->at(group)), 16).rightJustified(2, u'0');
            FUZZ_CHECK(digits.compare(spelled, Qt::CaseInsensitive) == 0, address << group);
        }
    }
    return 0;
}
