#include "serverlink/macaddr.h"

namespace pelorin {

namespace {
bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
} // namespace

MacItems parseMacItems(const QString& body) {
    MacItems items;
    QString text = body;
    qsizetype bar = text.indexOf(u'|');
    while (bar >= 0 && items.addresses.size() < MaxMacItems) {
        const QString item = text.left(bar);
        const qsizetype colon = item.indexOf(u':');
        items.addresses.append(colon >= 0 ? item.mid(colon + 1) : item);
        text = text.mid(bar + 1);
        bar = text.indexOf(u'|');
    }
    items.rest = text;
    return items;
}

bool isUsableMacText(const QString& mac) {
    if (mac.size() != 17)
        return false;
    for (int group = 0; group < 6; ++group) {
        for (int digit = 0; digit < 2; ++digit) {
            if (!isHexDigit(mac.at(group * 3 + digit)))
                return false;
        }
    }
    return true;
}

} // namespace pelorin
