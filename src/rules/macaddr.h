#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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

// The address the ON command wakes: the one the user gave (Server/Mac) unless that is empty,
// then the first one the server reported (Server/Mac-1).
QString macToWake(const QString& given, const QString& firstReported);

// The six two-character groups of a 17-character MAC address text (at 1-based positions 1, 4,
// ..., 16; the separators are not looked at), as the details dialog shows them in its boxes;
// nothing for a text of another length.
std::optional<QStringList> macGroups(const QString& mac);

// The details dialog's six boxes as the address it stores: joined with "-" when every box holds
// exactly two characters (as typed, any characters), nothing otherwise.
std::optional<QString> joinedMacGroups(const QStringList& groups);

} // namespace pelorin
