#include "rules/macaddr.h"

#include <algorithm>

namespace pelorin {

namespace {
constexpr int MacGroups = 6;
constexpr int MacTextLength = 17; // "XX-XX-XX-XX-XX-XX"

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
    if (mac.size() != MacTextLength)
        return false;
    for (int group = 0; group < MacGroups; ++group) {
        for (int digit = 0; digit < 2; ++digit) {
            if (!isHexDigit(mac.at(group * 3 + digit)))
                return false;
        }
    }
    return true;
}

QString macToWake(const QString& given, const QString& firstReported) {
    return given.isEmpty() ? firstReported : given;
}

std::optional<QStringList> macGroups(const QString& mac) {
    if (mac.size() != MacTextLength)
        return std::nullopt;
    QStringList groups;
    for (int group = 0; group < MacGroups; ++group)
        groups.append(mac.mid(3 * group, 2));
    return groups;
}

std::optional<QString> joinedMacGroups(const QStringList& groups) {
    if (groups.size() != MacGroups || !std::all_of(groups.cbegin(), groups.cend(),
                                                   [](const QString& g) { return g.size() == 2; }))
        return std::nullopt;
    return groups.join(u'-');
}

} // namespace pelorin
