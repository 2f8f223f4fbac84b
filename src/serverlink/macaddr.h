#pragma once

#include <QString>
#include <QStringList>

namespace pelorin {

struct MacItems {
    QStringList addresses; // at most MaxItems, in the server's order, exactly as sent
    QString rest;          // what followed the last "|" that was consumed
};

// Splits a GetMacAddr.asp body into its "|"-terminated items. Each item loses everything up to
// and including its first ":" (the adapter's label); nothing is trimmed or checked. Items after
// the fifth are ignored: there are only five slots to keep them in.
MacItems parseMacItems(const QString& body);

inline constexpr int MaxMacItems = 5;

// A MAC address text the Wake-on-LAN sender can use: 17 characters whose six two-character
// groups (at 1-based positions 1, 4, 7, 10, 13, 16) are hexadecimal. The separators between
// the groups are not examined.
bool isUsableMacText(const QString& mac);

} // namespace pelorin
